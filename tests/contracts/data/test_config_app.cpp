#include "contracts/data/zun_app.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_view.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace {

// Points ZUN_SETTINGS_DIR at a fresh folder for one test and reloads the
// configuration from the shipped defaults and that folder.
class SettingsDir {
public:
    explicit SettingsDir(const char* userConfig = nullptr)
        : m_dir(std::filesystem::temp_directory_path() / ("zun_cfg_" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_dir);
        setenv("ZUN_SETTINGS_DIR", m_dir.c_str(), 1);
        if (userConfig)
            std::ofstream(m_dir / "config.json") << userConfig;
        ZUN::CZunCfgMgr::instance().reload();
    }
    ~SettingsDir()
    {
        std::filesystem::remove_all(m_dir);
        unsetenv("ZUN_SETTINGS_DIR");
        ZUN::CZunCfgMgr::instance().reload();
    }

private:
    std::filesystem::path m_dir;
};

void expectPoint(const CZunPoint3d& p, double x, double y, double z)
{
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
    EXPECT_NEAR(p.z, z, 1e-12);
}

} // namespace

TEST(Config, ShippedDefaultsHoldTheKeysTheModuleReads)
{
    SettingsDir settings;
    EXPECT_TRUE(ZUN::CZunCfgMgr::instance().loadErrors().isEmpty());
    int n = -1;
    ASSERT_NE(ZUN::cfg_get(L"ORV_MENU\\COLOR\\PDSIZE"), nullptr);
    EXPECT_TRUE(ZUN::cfg_get(L"ORV_MENU\\COLOR\\PDSIZE")->get(n));
    for (const wchar_t* key : {L"HIGHLIGHT", L"REFER", L"AXIS", L"BASE", L"AUX", L"BACKGROUND"})
        EXPECT_TRUE(ZUN::cfg_get(CZunDataKey({L"ORV_MENU\\COLOR", key}))->get(n)) << CZunString(key).toUtf8();
    CZunString appl;
    EXPECT_TRUE(ZUN::cfg_get(L"_APPL")->get(appl));
    EXPECT_EQ(appl, L"ZUN");
    EXPECT_NE(ZUN::cfg_get(ZUN::getCfgKey(L"*WALL_EDIT*", L"MODE")), nullptr);
    EXPECT_EQ(ZUN::cfg_get(L"*ZUN_OUTLINE*"), nullptr);
}

TEST(Config, UserFileLaysOverTheDefaultsKeyByKey)
{
    SettingsDir settings(R"({"ORV_MENU": {"COLOR": {"HIGHLIGHT": 5}}, "MINE": "x"})");
    int highlight = 0, refer = 0;
    ASSERT_TRUE(ZUN::cfg_get(L"ORV_MENU\\COLOR\\HIGHLIGHT")->get(highlight));
    ASSERT_TRUE(ZUN::cfg_get(L"ORV_MENU\\COLOR\\REFER")->get(refer));
    EXPECT_EQ(highlight, 5);
    EXPECT_EQ(refer, 8);  // still the shipped default
    EXPECT_NE(ZUN::cfg_get(L"MINE"), nullptr);
}

TEST(Config, ABrokenUserFileKeepsTheDefaultsAndSaysWhy)
{
    SettingsDir settings("{\"ORV_MENU\": ");
    ASSERT_EQ(ZUN::CZunCfgMgr::instance().loadErrors().len(), 1);
    EXPECT_NE(ZUN::CZunCfgMgr::instance().loadErrors()[0].find(L"config.json:1:14: malformed JSON"), -1);
    EXPECT_NE(ZUN::cfg_get(L"ORV_MENU\\COLOR\\HIGHLIGHT"), nullptr);
}

TEST(Config, BackupPutsTheTreeBack)
{
    SettingsDir settings;
    {
        ZUN::CCfgBackup backup;
        ASSERT_NE(ZUN::cfg_dir_make(L"*ZUN_OUTLINE*"), nullptr);
        ZUN::cfg_get(L"ORV_MENU\\COLOR")->set(99, L"AXIS");
        EXPECT_NE(ZUN::cfg_get(L"*ZUN_OUTLINE*"), nullptr);
    }
    EXPECT_EQ(ZUN::cfg_get(L"*ZUN_OUTLINE*"), nullptr);
    int axis = 0;
    ZUN::cfg_get(L"ORV_MENU\\COLOR\\AXIS")->get(axis);
    EXPECT_EQ(axis, 4);
}

TEST(Config, SaveWritesTheUserFile)
{
    SettingsDir settings;
    ZUN::cfg_dir_make(L"*ZUN_OUTLINE*")->set(L"Rechteck", L"1\\LABEL");
    CZunString why;
    ASSERT_TRUE(ZUN::CZunCfgMgr::instance().save(&why)) << why.toUtf8();
    ZUN::CZunCfgMgr::instance().reload();
    CZunString label;
    EXPECT_TRUE(ZUN::cfg_get(L"*ZUN_OUTLINE*\\1\\LABEL")->get(label));
    EXPECT_EQ(label, L"Rechteck");
}

TEST(AppObject, NamedFunctionsAnswerWithHostStatus)
{
    CZunApp app;
    ZUN::CZunRbList result;
    EXPECT_EQ(app.invokeFunction(L"zun_text_to_regl", {}, result), kRtError);
    app.registerFunction(L"twice", [](const ZUN::CZunRbList& args, ZUN::CZunRbList& out) {
        out.append(ZUN::CRbValue::makeReal(args.get(0).real * 2));
        return static_cast<int>(kRtNorm);
    });
    EXPECT_TRUE(app.hasFunction(L"twice"));
    EXPECT_EQ(app.invokeFunction(L"twice", {ZUN::CRbValue::makeReal(21)}, result), kRtNorm);
    EXPECT_EQ(result.get(0).real, 42.0);
}

// The application's callbacks are the host's code. Whatever they throw
// stays inside the module: the call fails as it fails otherwise, and the
// caller's result and entity keep what they held.
TEST(AppObject, ThrowingHostCallbacksFailWithoutAnException)
{
    CZunApp app;
    app.registerFunction(L"fails", [](const ZUN::CZunRbList&, ZUN::CZunRbList& out) -> int {
        out.append(ZUN::CRbValue::makeReal(1.0));  // half an answer, then the failure
        throw std::runtime_error("host failed");
    });
    ZUN::CZunRbList result{ZUN::CRbValue::makeReal(7.0)};
    int status = kRtNorm;
    EXPECT_NO_THROW(status = app.invokeFunction(L"fails", {}, result));
    EXPECT_EQ(status, kRtError);
    ASSERT_EQ(result.len(), 1);
    EXPECT_EQ(result.get(0).real, 7.0);

    ZUN::CAdsName entity;
    entity.id[0] = 11;
    app.setEntityPicker([](ZUN::CAdsName& picked, const CZunString&, bool) -> bool {
        picked.id[0] = 99;  // half a pick, then the failure
        throw 3;
    });
    bool picked = true;
    EXPECT_NO_THROW(picked = app.entitySelect(entity, L"DRILL", false));
    EXPECT_FALSE(picked);
    EXPECT_EQ(entity.id[0], 11);

    app.setPartDrawer([](CZunGDX*, CZunDataItem*, CZunDataItem*) -> bool { throw std::bad_alloc(); });
    bool drawn = true;
    EXPECT_NO_THROW(drawn = app.partImageDraw(nullptr, nullptr, nullptr));
    EXPECT_FALSE(drawn);
}

TEST(AppObject, InstallingAHostObjectAndRestoringTheDefault)
{
    CZunApp* defaultApp = zunAppPtr();
    CZunApp host;
    host.bkColorSet(0x123456);
    EXPECT_EQ(zunAppSet(&host), nullptr);
    EXPECT_EQ(zunAppPtr(), &host);
    EXPECT_EQ(zunAppPtr()->bkColorGet(), 0x123456u);
    EXPECT_EQ(zunAppSet(nullptr), &host);
    EXPECT_EQ(zunAppPtr(), defaultApp);
}

TEST(AppObject, HatchPatternsComeFromTheShippedFile)
{
    CZunApp app;
    ZUN::CHatchPattern ansi31;
    ASSERT_TRUE(app.hatchPatternGet(L"ansi31", ansi31));
    ASSERT_EQ(ansi31.len(), 1);
    EXPECT_EQ(ansi31[0], (ZUN::CHatchLine{45, 0, 0, 0, 3.175}));
    ZUN::CHatchPattern none{ZUN::CHatchLine{1}};
    EXPECT_FALSE(app.hatchPatternGet(L"NO_SUCH_PATTERN", none));
    EXPECT_TRUE(none.isEmpty());
}

TEST(AppObject, EntitySelectPicksFromTheOpenDrawing)
{
    ASSERT_TRUE(ZUN::drawingOpen(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json")));
    CZunApp app;
    ZUN::CAdsName name;
    ASSERT_TRUE(app.entitySelect(name, L"BAR", true));
    EXPECT_EQ(ZUN::drawingCurrent().partByName(name)->handle, L"9C");
    EXPECT_FALSE(app.entitySelect(name, L"NOTHING", true));
    app.setEntityPicker([](ZUN::CAdsName&, const CZunString&, bool) { return false; });
    EXPECT_FALSE(app.entitySelect(name, L"BAR", true));
    EXPECT_FALSE(app.partImageDraw(nullptr, nullptr, nullptr));
}

TEST(ViewMatrix, DirectionBecomesPlusZAndStaysUpright)
{
    // Seen from the front (viewer at -y): x stays x, world z points up.
    const CZunMatrix3d front = ZUN::g_mtx_view({0, -1, 0}, CZunPoint3d::kOrigin, true);
    expectPoint(CZunPoint3d(1, 0, 0) * front, 1, 0, 0);
    expectPoint(CZunPoint3d(0, 0, 1) * front, 0, 1, 0);
    expectPoint(CZunPoint3d(0, -1, 0) * front, 0, 0, 1);
    // From above nothing changes; from the right side, world y runs to the right.
    EXPECT_TRUE(ZUN::g_mtx_view({0, 0, 1}, {}, true).isEqualTo(CZunMatrix3d::kIdentity, 1e-15));
    expectPoint(CZunPoint3d(0, 1, 0) * ZUN::g_mtx_view({1, 0, 0}, {}, true), 1, 0, 0);
    // The target stays where it is.
    expectPoint(CZunPoint3d(5, 5, 5) * ZUN::g_mtx_view({1, 1, 1}, {5, 5, 5}, true), 5, 5, 5);
    // An isometric view keeps the view's x axis horizontal.
    const CZunMatrix3d iso = ZUN::g_mtx_view({1, -1, 1}, {}, true);
    const CZunVector3d up = CZunVector3d(0, 0, 1) * iso;
    EXPECT_NEAR(up.x, 0.0, 1e-12);
    EXPECT_GT(up.y, 0.0);
    EXPECT_TRUE(ZUN::g_mtx_view({}, {}, true).isEqualTo(CZunMatrix3d::kIdentity));
}

TEST(LocalMatrix, FromMtxOrFromPositionAndAxes)
{
    CZunDataItem item(true);
    EXPECT_TRUE(ZUN::g_mtx_local(&item, 4, 4).isEqualTo(CZunMatrix3d::kIdentity));
    item.set(CZunPoint3d(1, 2, 0), L"POS");
    item.set(CZunPoint3d(0, 1, 0), L"XDIR");
    const CZunMatrix3d m = ZUN::g_mtx_local(&item, 6, 4);  // metres to millimetres
    expectPoint(CZunPoint3d(1, 0, 0) * m, 1000, 2001, 0);
    CZunMatrix3d stored;
    stored.setToTranslation({7, 0, 0});
    item.set(stored, L"MTX");
    EXPECT_EQ(ZUN::g_mtx_local(&item, 6, 4), stored);
    EXPECT_TRUE(ZUN::g_mtx_local(nullptr, 0, 0).isEqualTo(CZunMatrix3d::kIdentity));
}
