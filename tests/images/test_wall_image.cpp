#include "contracts/data/zun_config.h"
#include "images/zun_image_wall.h"
#include "tests/images/part_image_test_data.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// What the registered "WALL" generator was handed.
struct Captured {
    int calls = 0;
    CZunGDX* gdx = nullptr;
    ZUN::CDtaFilePointer* part = nullptr;
    std::unique_ptr<CZunDataItem> options;
    bool answer = true;
};
Captured g_wall;

bool captureWall(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    ++g_wall.calls;
    g_wall.gdx = gdx;
    g_wall.part = part;
    g_wall.options = opts && opts->get() ? std::make_unique<CZunDataItem>(*opts->get()) : nullptr;
    gdx->imagePt({1}, 0, CZunPoint3d::kOrigin, CZunColor(), CZunMatrix3d(), 0.0, 0, {});
    return g_wall.answer;
}

// A wall of shells 3 and 5 whose corners join shell by shell.
const char* const kWall = R"({
 "SN": {"#3": {"THICK": 240.0}, "#5": {"THICK": 120.0}},
 "CORNER": {"MODE": "SHELL"},
 "VL": {"$": "vl", "pts": [[0, 0], [3000, 0]]}
})";

class WallImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_wall = Captured();
        // The editing command's state starts from nothing in every test.
        ZUN::CZunCfgMgr::instance().getCfgRoot()->remove(L"*WALL_EDIT*");
        setGdxImageFcn(L"WALL", captureWall);
    }
    void TearDown() override { setGdxImageFcn(L"WALL", nullptr); }

    static void edit(const wchar_t* key, const CZunDataItem::Value& value)
    {
        ZUN::cfg_dir_make(L"*WALL_EDIT*")->set(value, key);
    }
    bool draw(CImageTestPart* part)
    {
        return zun_wall_edit_image(&gdx, part ? part->handle.get() : nullptr);
    }
    // The active shell the generator was told of, -1 for none.
    static int activeGiven()
    {
        int act = -1;
        return g_wall.options && g_wall.options->get(act, L"ACT") ? act : -1;
    }

    ZUN::CCfgBackup config;
    CZunGDX gdx;
};

} // namespace

TEST_F(WallImage, ActiveShellFromTheCommandOrTheWallsFirstShell)
{
    CImageTestPart wall("{}", kWall);
    edit(L"MODE", CZunDataItem::Value(CZunString(L"SHELL")));

    // No shell picked yet: the first one is edited.
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(g_wall.calls, 1);
    EXPECT_EQ(activeGiven(), 3);

    edit(L"BT", 5L);
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), 5);

    // A shell the wall does not have is not edited either.
    edit(L"BT", 4L);
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), 3);

    // A short integer in the configuration names the same shell.
    edit(L"BT", static_cast<short>(5));
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), 5);
    EXPECT_EQ(g_wall.calls, 4);
}

TEST_F(WallImage, NothingDrawnWithoutAPickedShellTheWallHas)
{
    // Shell 0 is the default number, and the wall has it: only a number
    // the command gave makes it the edited shell.
    CImageTestPart wall("{}", R"({"SN": {"#0": {}, "#2": {}}})");
    EXPECT_FALSE(draw(&wall));
    EXPECT_EQ(g_wall.calls, 0);
    EXPECT_EQ(gdx.lenGet(), 0);

    // Without shells the command must name one.
    CImageTestPart plain("{}", R"({"VL": {"$": "vl", "pts": [[0, 0], [10, 0]]}})");
    EXPECT_FALSE(draw(&plain));
    EXPECT_FALSE(draw(nullptr));
    EXPECT_EQ(g_wall.calls, 0);

    edit(L"BT", 7L);
    edit(L"MODE", CZunDataItem::Value(CZunString(L"SHELL")));
    EXPECT_TRUE(draw(&plain));
    EXPECT_EQ(activeGiven(), 7);
    EXPECT_TRUE(draw(nullptr));
    EXPECT_EQ(g_wall.part, nullptr);
    EXPECT_EQ(activeGiven(), 7);
    edit(L"BT", 0L);
    EXPECT_TRUE(draw(&wall));  // now the command gave 0 itself
    EXPECT_EQ(activeGiven(), 0);
}

TEST_F(WallImage, ActiveShellOnlyWhenShellsAreEdited)
{
    CImageTestPart wall("{}", kWall);
    edit(L"BT", 5L);

    EXPECT_TRUE(draw(&wall));  // no mode
    EXPECT_EQ(activeGiven(), -1);

    edit(L"MODE", CZunDataItem::Value(CZunString(L"AXIS")));
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), -1);

    edit(L"MODE", CZunDataItem::Value(CZunString(L"CORNER")));
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), 5);  // the wall's corners join shell by shell

    wall.data()->set(L"AXIS", L"CORNER\\MODE");
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), -1);
    wall.data()->remove(L"CORNER");
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), -1);

    edit(L"MODE", CZunDataItem::Value(CZunString(L"SHELL")));
    EXPECT_TRUE(draw(&wall));
    EXPECT_EQ(activeGiven(), 5);
}

TEST_F(WallImage, OptionsCarryTheEditedLineAndAskForTheMarker)
{
    CImageTestPart wall("{}", kWall);
    edit(L"BT", 3L);
    ASSERT_TRUE(draw(&wall));
    ASSERT_NE(g_wall.options, nullptr);
    CZunVertexArray vl;
    vl.append(CZunPoint3d(1, 1), CZunPoint3d(2, 2));
    EXPECT_TRUE(g_wall.options->get(vl, L"VL"));
    EXPECT_TRUE(vl.isEmpty());
    long coord = 0;
    EXPECT_TRUE(g_wall.options->get(coord, L"COORD"));
    EXPECT_EQ(coord, 1);
    EXPECT_EQ(g_wall.options->childCount(), 2);  // VL, COORD: no ACT without a mode

    CZunVertexArray edited;
    edited.append(CZunPoint3d(0, 0), CZunPoint3d(500, 0));
    edited.append(CZunPoint3d(500, 0), CZunPoint3d(500, 300), 0.5);
    edit(L"VL", CZunDataItem::Value(edited));
    ASSERT_TRUE(draw(&wall));
    EXPECT_TRUE(g_wall.options->get(vl, L"VL"));
    EXPECT_EQ(vl, edited);

    // Handed on as they were given.
    EXPECT_EQ(g_wall.gdx, &gdx);
    EXPECT_EQ(g_wall.part, wall.handle.get());
    EXPECT_EQ(gdx.lenGet(), 2);
}

TEST_F(WallImage, ResultIsTheGeneratorsAndNeedsOne)
{
    CImageTestPart wall("{}", kWall);
    const std::string before = wall.snapshot();
    EXPECT_FALSE(zun_wall_edit_image(nullptr, wall.handle.get()));
    EXPECT_EQ(g_wall.calls, 0);

    g_wall.answer = false;
    EXPECT_FALSE(draw(&wall));
    EXPECT_EQ(g_wall.calls, 1);

    setGdxImageFcn(L"WALL", nullptr);
    EXPECT_FALSE(draw(&wall));
    EXPECT_EQ(g_wall.calls, 1);
    EXPECT_EQ(wall.snapshot(), before);
}
