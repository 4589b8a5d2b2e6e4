// The machining bridge against a scripted host: the host dialog edits the
// picked hole entity's data in place, changes the machining type in the
// configuration, and answers as each case says.

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_dta.h"
#include "dialogs/zun_dlg_bgr.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

namespace {

using namespace ZUN;

CZunDataItem treeOf(const std::string& json)
{
    CZunDataItem root(true);
    CDataFileError error;
    EXPECT_TRUE(dataFromJson(json, L"mem", root, &error)) << error.toString().toUtf8();
    return root;
}

std::string jsonOf(const CZunDataItem& item) { return dataToJson(item, 0); }

const char* const kAssembly = R"({"LABEL": "Frame A", "ORDER": "4711", "MAT": "S235",
  "HOLE": {"1": {"X": 10.0, "Y": 20.0, "DIA": 8.5}}})";

// What the scripted host dialog does.
struct HostScript {
    const char* name;
    int status;           // the host call's status
    CZunRbList answer;    // its result list
    bool throws = false;  // the host callback throws instead
};

// A drawing holding one hole entity, a configuration put back afterwards,
// and an application object whose "orv_hole_dial" runs a script.
class DlgBgrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drawingCurrent().swap(m_savedDrawing);
        m_hole = drawingCurrent().addPart(L"H1", L"HOLE", treeOf(R"({"OLD": 1})"));
        ASSERT_NE(m_hole, nullptr);
        m_previousApp = zunAppSet(&m_app);
    }
    void TearDown() override
    {
        zunAppSet(m_previousApp);
        drawingCurrent().swap(m_savedDrawing);
    }

    // The host dialog: records what it was given, edits the entity's data
    // and the machining type, then answers as scripted.
    void scriptHost(const HostScript& script)
    {
        m_app.registerFunction(kHoleDialogFunction, [this, script](const CZunRbList& args, CZunRbList& result) {
            ++m_hostCalls;
            m_argsSeen = args.len();
            m_entitySeen = jsonOf(m_hole->data);
            m_typeSeen = CZunString();
            if (const CZunDataItem* bt = cfg_get(CZunDataKey({L"*HOLE*", L"BT"})))
                bt->get(m_typeSeen);
            if (script.throws)
                throw std::runtime_error("host failed");
            m_hole->data.set(L"Frame B", CZunDataKey(L"LABEL"));
            m_hole->data.set(12.0, CZunDataKey(L"BT\\1\\DIA"));
            CZunCfgMgr::instance().makeItem(CZunDataKey({L"*HOLE*", L"BT"}))->set(CZunDataItem::Value(CZunString(L"BOHR")));
            result = script.answer;
            return script.status;
        });
    }

    CCfgBackup m_config;
    CZunDrawing m_savedDrawing;
    CZunPart* m_hole = nullptr;
    CZunApp m_app;
    CZunApp* m_previousApp = nullptr;
    int m_hostCalls = 0;
    int m_argsSeen = -1;
    std::string m_entitySeen;
    CZunString m_typeSeen;
};

CRbValue valueOfType(short type, long number)
{
    CRbValue v = CRbValue::make(type);
    v.number = number;
    return v;
}

struct AnswerCase {
    HostScript script;
    int expected;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.script.name; }

class DlgBgrAnswers : public DlgBgrTest, public ::testing::WithParamInterface<AnswerCase> {};

// Only an accepted dialog changes the assembly and the machining type; every
// other answer leaves both exactly as they were.
TEST_P(DlgBgrAnswers, ResultAndWhatComesBack)
{
    const AnswerCase& c = GetParam();
    scriptHost(c.script);
    CZunDataItem assembly = treeOf(kAssembly);
    const std::string before = jsonOf(assembly);
    CZunString bt = L"SENK";

    EXPECT_EQ(dlgBgr(DlgEnv_st(), bt, &assembly, nullptr), c.expected);

    EXPECT_EQ(m_hostCalls, 1);
    EXPECT_EQ(m_argsSeen, 0) << "the host dialog gets an empty argument list";
    EXPECT_EQ(m_typeSeen, CZunString(L"SENK")) << "the machining type reaches the host through the configuration";
    if (c.expected == 1) {
        CZunString label, order, type;
        double dia = 0.0;
        EXPECT_TRUE(assembly.get(label, CZunDataKey(L"LABEL")));
        EXPECT_EQ(label, CZunString(L"Frame B"));
        EXPECT_TRUE(assembly.get(order, CZunDataKey(L"ORDER")));
        EXPECT_EQ(order, CZunString(L"4711"));
        EXPECT_TRUE(assembly.get(dia, CZunDataKey(L"HOLE\\1\\DIA")));
        EXPECT_EQ(dia, 12.0);
        EXPECT_TRUE(assembly.get(type, CZunDataKey(L"MAT")));
        EXPECT_EQ(type, CZunString(L"S235")) << "the rest of the assembly survives the trip";
        EXPECT_EQ(bt, CZunString(L"BOHR"));
    } else {
        EXPECT_EQ(jsonOf(assembly), before);
        EXPECT_EQ(bt, CZunString(L"SENK"));
    }
}

CZunRbList answer(std::initializer_list<CRbValue> values)
{
    return CZunRbList(values);
}

INSTANTIATE_TEST_SUITE_P(
    Host, DlgBgrAnswers,
    ::testing::Values(
        AnswerCase{{"long_1", kRtNorm, answer({CRbValue::makeLong(1)})}, 1},
        AnswerCase{{"short_1", kRtNorm, answer({CRbValue::makeShort(1)})}, 1},
        AnswerCase{{"int32_1", kRtNorm, answer({valueOfType(kRtInt32, 1)})}, 1},
        AnswerCase{{"long_1_then_more", kRtNorm, answer({CRbValue::makeLong(1), CRbValue::makeText(L"x")})}, 1},
        AnswerCase{{"long_0", kRtNorm, answer({CRbValue::makeLong(0)})}, 2},
        AnswerCase{{"short_0", kRtNorm, answer({CRbValue::makeShort(0)})}, 2},
        AnswerCase{{"long_7", kRtNorm, answer({CRbValue::makeLong(7)})}, 0},
        AnswerCase{{"short_minus_1", kRtNorm, answer({CRbValue::makeShort(-1)})}, 0},
        AnswerCase{{"text_first", kRtNorm, answer({CRbValue::makeText(L"1"), CRbValue::makeLong(1)})}, 2},
        AnswerCase{{"real_1", kRtNorm, answer({CRbValue::makeReal(1.0)})}, 2},
        AnswerCase{{"nothing", kRtNorm, answer({})}, 2},
        AnswerCase{{"status_error", kRtError, answer({CRbValue::makeLong(1)})}, 0},
        AnswerCase{{"status_other", 5001, answer({CRbValue::makeLong(1)})}, 0},
        AnswerCase{{"throws", kRtNorm, answer({CRbValue::makeLong(1)}), true}, 0}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.script.name); });

TEST_F(DlgBgrTest, EntityReceivesTheAssemblyWithLabelOrderAndMachinings)
{
    scriptHost({"cancel", kRtNorm, answer({CRbValue::makeLong(0)})});
    CZunDataItem assembly = treeOf(kAssembly);
    CZunString bt = L"SENK";
    dlgBgr(DlgEnv_st(), bt, &assembly, nullptr);

    const CZunDataItem seen = treeOf(m_entitySeen);
    EXPECT_EQ(seen.getItem(CZunDataKey(L"OLD")), nullptr) << "the assembly replaces the entity's data";
    CZunString label, mat;
    EXPECT_TRUE(seen.get(label, CZunDataKey(L"LABEL")));
    EXPECT_EQ(label, CZunString(L"Frame A"));
    EXPECT_TRUE(seen.get(mat, CZunDataKey(L"MAT")));
    ASSERT_NE(seen.getItem(CZunDataKey(L"BT")), nullptr);
    EXPECT_EQ(jsonOf(*seen.getItem(CZunDataKey(L"BT"))), jsonOf(*assembly.getItem(CZunDataKey(L"HOLE"))));
}

// An assembly without label, order or machinings: the entity gets empty
// texts and an empty set of machinings, and accepting brings the host's
// machinings back as the assembly's first ones.
TEST_F(DlgBgrTest, BareAssemblyStartsFromEmptyMachinings)
{
    scriptHost({"accept", kRtNorm, answer({CRbValue::makeLong(1)})});
    CZunDataItem assembly(true);
    CZunString bt;
    EXPECT_EQ(dlgBgr(DlgEnv_st(), bt, &assembly, nullptr), 1);

    const CZunDataItem seen = treeOf(m_entitySeen);
    CZunString label = L"unset";
    EXPECT_TRUE(seen.get(label, CZunDataKey(L"LABEL")));
    EXPECT_TRUE(label.isEmpty());
    ASSERT_NE(seen.getItem(CZunDataKey(L"BT")), nullptr);
    EXPECT_TRUE(seen.getItem(CZunDataKey(L"BT"))->isDir());
    double dia = 0.0;
    EXPECT_TRUE(assembly.get(dia, CZunDataKey(L"HOLE\\1\\DIA")));
    EXPECT_EQ(dia, 12.0);
}

TEST_F(DlgBgrTest, OutlineCatalogueIsMadeOnce)
{
    scriptHost({"cancel", kRtNorm, answer({CRbValue::makeLong(0)})});
    ASSERT_EQ(cfg_get(CZunDataKey(L"*ZUN_OUTLINE*")), nullptr);
    CZunDataItem assembly = treeOf(kAssembly);
    CZunString bt;
    dlgBgr(DlgEnv_st(), bt, &assembly, nullptr);
    CZunDataItem* catalogue = cfg_get(CZunDataKey(L"*ZUN_OUTLINE*"));
    ASSERT_NE(catalogue, nullptr);
    EXPECT_GT(catalogue->childCount(), 0) << "filled with the default outlines";

    // A user's change to the catalogue survives the second call.
    catalogue->set(L"mine", CZunDataKey(L"MARK"));
    const int outlines = catalogue->childCount();
    dlgBgr(DlgEnv_st(), bt, &assembly, nullptr);
    catalogue = cfg_get(CZunDataKey(L"*ZUN_OUTLINE*"));
    ASSERT_NE(catalogue, nullptr);
    EXPECT_EQ(catalogue->childCount(), outlines);
    EXPECT_NE(catalogue->getItem(CZunDataKey(L"MARK")), nullptr);
}

// Nothing picked: the host dialog still runs, the drawing and the
// configuration's machining type are not touched, and acceptance copies
// nothing into the assembly but reads the machining type back.
TEST_F(DlgBgrTest, NoEntityPicked)
{
    m_app.setEntityPicker([](CAdsName&, const CZunString&, bool) { return false; });
    scriptHost({"accept", kRtNorm, answer({CRbValue::makeLong(1)})});
    CZunDataItem assembly = treeOf(kAssembly);
    const std::string before = jsonOf(assembly);
    CZunString bt = L"SENK";

    EXPECT_EQ(dlgBgr(DlgEnv_st(), bt, &assembly, nullptr), 1);
    EXPECT_EQ(m_hostCalls, 1);
    EXPECT_TRUE(m_typeSeen.isEmpty()) << "the machining type is written only for a picked entity";
    EXPECT_NE(m_entitySeen.find("OLD"), std::string::npos) << "the entity was not overwritten";
    EXPECT_EQ(jsonOf(assembly), before);
    EXPECT_EQ(bt, CZunString(L"BOHR"));
}

TEST_F(DlgBgrTest, PickerAsksForAHoleEntity)
{
    CZunString asked;
    m_app.setEntityPicker([&](CAdsName& entity, const CZunString& type, bool) {
        asked = type;
        entity = drawingCurrent().entityName(*m_hole);
        return true;
    });
    scriptHost({"cancel", kRtNorm, answer({CRbValue::makeLong(0)})});
    CZunDataItem assembly = treeOf(kAssembly);
    CZunString bt;
    dlgBgr(DlgEnv_st(), bt, &assembly, nullptr);
    EXPECT_EQ(asked, CZunString(L"HOLE"));
}

TEST_F(DlgBgrTest, NoAssemblyRunsNothing)
{
    scriptHost({"accept", kRtNorm, answer({CRbValue::makeLong(1)})});
    CZunString bt = L"SENK";
    EXPECT_EQ(dlgBgr(DlgEnv_st(), bt, nullptr, nullptr), 0);
    EXPECT_EQ(m_hostCalls, 0);
    EXPECT_EQ(bt, CZunString(L"SENK"));
}

} // namespace
