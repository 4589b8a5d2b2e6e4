#include "contracts/data/zun_material.h"

#include "contracts/data/zun_files.h"
#include "contracts/data/zun_hatch.h"
#include "contracts/data/zun_msg.h"
#include "tests/contracts/data/test_current_drawing.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace ZUN;

namespace {

using Keys = CZunArrayTempl<CZunString>;

CZunString wide(const std::filesystem::path& path) { return CZunString::fromUtf8(path.string()); }

double realProp(const CMatProp& prop, const wchar_t* key)
{
    double value = -1.0;
    EXPECT_TRUE(prop.props.get(value, key)) << prop.key << ": " << CZunString(key);
    return value;
}

bool flagProp(const CMatProp& prop, const wchar_t* key)
{
    bool value = false;
    return prop.props.get(value, key) && value;
}

// Every test starts from an empty open drawing and the shipped library and
// leaves both so for the next one.
class MaterialTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CZunString error;
        EXPECT_TRUE(CZunMatMgr::setLibraryFile(L"", &error)) << error;
    }

    CTestCurrentDrawing drawing;
    CZunMatMgr mgr;
};

// Materials a drawing brings along, beside one the library knows as well.
const char* const kDrawingWithMaterials = R"({"zun": "drawing", "materials": {
 "S235": {"LABEL": "\\de:Mein Stahl\\en:My steel", "PHYS": 2, "PROPS": {"DENSITY": 1.0}},
 "FACADE-WOOL": {"LABEL": "\\de:Fassadendämmung\\en:Facade insulation", "REF": "MW-ROCK",
                 "PROPS": {"LAMBDA": 0.034, "COLOR": 3}},
 "RED-STEEL": {"LABEL": "Rotstahl", "PHYS": "STEEL", "HPNAME": "ANSI31", "DENSITY": 7850.0, "SUBS": ["S235"],
               "PROPS": {"HPNAME": "ANSI32"}},
 "FOAM": {"PHYS": "insulation", "EDGES": [], "EDGE": "wrong type"},
 "LOOP-A": {"REF": "LOOP-B", "PROPS": {"A": 1}},
 "LOOP-B": {"REF": "LOOP-A", "PHYS": 3, "PROPS": {"B": 2}},
 "SELF": {"REF": "SELF", "PHYS": 1},
 "NOT-A-MATERIAL": 5,
 "#7": {"LABEL": "integer key"}
}})";

} // namespace

// ---- the shipped library -------------------------------------------------------

TEST_F(MaterialTest, ShippedLibraryLoadsInKeyOrder)
{
    CZunString error;
    EXPECT_FALSE(mgr.loadError(error)) << error;
    EXPECT_TRUE(error.isEmpty());

    Keys keys{L"left over"};
    const int count = mgr.matDrawAll(keys, true);
    EXPECT_EQ(count, keys.len());
    EXPECT_GE(count, 25);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (const wchar_t* key : {L"SYSTEM", L"SPACE", L"S235", L"S355", L"EPDM", L"C24", L"PIR"})
        EXPECT_GE(keys.indexOf(key), 0) << CZunString(key);
    EXPECT_EQ(keys.indexOf(L"left over"), -1);
}

// The library is checked as data here, straight from the file, so that a
// broken reference shows even where the manager would quietly skip it.
TEST(MaterialShippedFile, EveryReferenceNamesAMaterialOfTheLibrary)
{
    const CZunString path = fileFind(L"data/materials.json");
    ASSERT_FALSE(path.isEmpty());
    CZunDataItem root(true);
    CDataFileError error;
    ASSERT_TRUE(dataFileLoad(path, root, &error)) << error.toString();
    CHatchPatternLib patterns;
    ASSERT_TRUE(patterns.load(fileFind(L"data/zun.pat")));

    std::map<std::wstring, int> parents;  // how many SUBS lists name each material
    for (const auto& m : root.childList()) {
        const CZunString key = m->getKey().text();
        SCOPED_TRACE(key.toUtf8());
        ASSERT_TRUE(m->isDir());
        Keys subs, edges;
        CZunString ref, label, pattern;
        if (m->getItem(L"SUBS")) {
            ASSERT_TRUE(m->get(subs, L"SUBS"));
        }
        for (const CZunString& sub : subs) {
            EXPECT_NE(root.getItem(CZunItemKey(sub)), nullptr) << "SUBS names " << sub;
            ++parents[sub.str()];
        }
        if (m->getItem(L"EDGES")) {
            ASSERT_TRUE(m->get(edges, L"EDGES"));
        }
        for (const CZunString& edge : edges) {
            int kind = 0;
            EXPECT_TRUE(root.get(kind, {CZunItemKey(edge), L"EDGE"}) && kind > 0) << "EDGES names " << edge;
        }
        if (m->get(ref, L"REF")) {
            EXPECT_NE(root.getItem(CZunItemKey(ref)), nullptr) << "REF names " << ref;
            EXPECT_NE(ref, key);
        }
        ASSERT_TRUE(m->get(label, L"LABEL"));
        EXPECT_FALSE(label_get(label, L"de", false).isEmpty());
        EXPECT_FALSE(label_get(label, L"en", false).isEmpty());
        if (m->get(pattern, L"PROPS\\HPNAME")) {
            EXPECT_TRUE(patterns.contains(pattern)) << pattern;
        }

        // Bodies need a weight and a conductivity; derived ones may take them over.
        int phys = 0;
        if (m->get(phys, L"PHYS") && phys >= kMatPhysSolid && phys <= kMatPhysCavity && ref.isEmpty()) {
            double density = 0.0, lambda = 0.0;
            EXPECT_TRUE(m->get(density, L"PROPS\\DENSITY") && density > 0.0);
            EXPECT_TRUE(m->get(lambda, L"PROPS\\LAMBDA") && lambda > 0.0);
        }
    }
    // One tree below SYSTEM: every other material sits in exactly one SUBS list.
    for (const auto& m : root.childList()) {
        const std::wstring key = m->getKey().text().str();
        EXPECT_EQ(parents[key], key == L"SYSTEM" ? 0 : 1) << CZunString(key);
    }
}

// ---- properties ----------------------------------------------------------------

TEST_F(MaterialTest, LibraryPropertiesReadRight)
{
    CMatProp steel;
    ASSERT_TRUE(mgr.propGet(L"S235", steel));
    EXPECT_EQ(steel.key, L"S235");
    EXPECT_EQ(steel.physKind, kMatPhysSolid);
    EXPECT_EQ(steel.edgeKind, kMatEdgeNone);
    EXPECT_EQ(steel.subMats, (Keys{L"S235-GALV"}));
    EXPECT_TRUE(steel.edges.isEmpty());
    EXPECT_TRUE(steel.refKey.isEmpty());
    EXPECT_EQ(realProp(steel, L"DENSITY"), 7850.0);
    EXPECT_EQ(realProp(steel, L"LAMBDA"), 50.0);
    EXPECT_TRUE(flagProp(steel, L"STEEL"));
    EXPECT_FALSE(flagProp(steel, L"INSULATION"));
    EXPECT_TRUE(std::is_sorted(steel.physProps.begin(), steel.physProps.end()));
    EXPECT_EQ(steel.physProps.len(), steel.props.childCount());
    for (const wchar_t* key : {L"DENSITY", L"LAMBDA", L"STEEL", L"HPNAME", L"COLOR"})
        EXPECT_GE(steel.physProps.indexOf(key), 0) << CZunString(key);

    CMatProp prop;
    ASSERT_TRUE(mgr.propGet(L"EPDM", prop));
    EXPECT_EQ(prop.physKind, kMatPhysSeal);
    EXPECT_EQ(prop.edgeKind, kMatEdgeSeal);
    ASSERT_TRUE(mgr.propGet(L"PIR", prop));
    EXPECT_EQ(prop.physKind, kMatPhysInsulation);
    EXPECT_EQ(realProp(prop, L"LAMBDA"), 0.022);
    EXPECT_EQ(prop.edges, (Keys{L"PE-FOAM", L"BUTYL-TAPE"}));
    ASSERT_TRUE(mgr.propGet(L"SYSTEM", prop));
    EXPECT_EQ(prop.physKind, kMatPhysNone);
    EXPECT_EQ(prop.props.childCount(), 0);
}

TEST_F(MaterialTest, DerivedMaterialTakesOverWhatItDoesNotGiveItself)
{
    CMatProp galv;
    ASSERT_TRUE(mgr.propGet(L"S235-GALV", galv));
    EXPECT_EQ(galv.refKey, L"S235");
    // Kind, density and flag from S235; colour and flag of its own, the colour beating S235's 150.
    EXPECT_EQ(galv.physKind, kMatPhysSolid);
    EXPECT_EQ(realProp(galv, L"DENSITY"), 7850.0);
    EXPECT_TRUE(flagProp(galv, L"STEEL"));
    EXPECT_TRUE(flagProp(galv, L"GALVANIZED"));
    int color = 0;
    EXPECT_TRUE(galv.props.get(color, L"COLOR"));
    EXPECT_EQ(color, 9);
    EXPECT_EQ(galv.edges, (Keys{L"ZINC-PAINT"}));
    EXPECT_TRUE(galv.subMats.isEmpty()) << "the tree below S235 is not its own";
    EXPECT_GE(galv.physProps.indexOf(L"DENSITY"), 0);

    CMatProp rc;
    ASSERT_TRUE(mgr.propGet(L"C30/37-RC", rc));
    EXPECT_EQ(realProp(rc, L"DENSITY"), 2500.0);
    EXPECT_EQ(realProp(rc, L"FCK"), 30.0);
    EXPECT_EQ(rc.edges, (Keys{L"PU-SEALANT", L"PE-FOAM"}));
}

TEST_F(MaterialTest, UnknownKeysAreRefusedAndLeaveThePropAlone)
{
    CMatProp prop;
    prop.key = L"before";
    prop.physKind = 9;
    for (const wchar_t* key : {L"NO-SUCH", L"", L"s235", L"S235\\PROPS", L"PROPS"}) {
        EXPECT_FALSE(mgr.propGet(key, prop)) << CZunString(key);
        EXPECT_FALSE(mgr.isShadowMat(key));
        EXPECT_EQ(mgr.matLabel(key, L"en"), CZunString(key));
    }
    EXPECT_EQ(prop.key, L"before");
    EXPECT_EQ(prop.physKind, 9);
}

// ---- labels --------------------------------------------------------------------

TEST_F(MaterialTest, LabelsByLanguageWithFallbacks)
{
    ASSERT_NO_FATAL_FAILURE(drawing.load(kDrawingWithMaterials));
    EXPECT_EQ(mgr.matLabel(L"S235", L"de"), L"Baustahl S235");
    EXPECT_EQ(mgr.matLabel(L"S235", L"en"), L"Structural steel S235");
    EXPECT_EQ(mgr.matLabel(L"S235", L"EN"), L"Structural steel S235");
    EXPECT_EQ(mgr.matLabel(L"S235", L"it"), L"Baustahl S235") << "a missing language gives the German text";
    EXPECT_EQ(mgr.matLabel(L"FACADE-WOOL", L"en"), L"Facade insulation");
    EXPECT_EQ(mgr.matLabel(L"RED-STEEL", L"en"), L"Rotstahl") << "a plain label serves every language";
    EXPECT_EQ(mgr.matLabel(L"FOAM", L"de"), L"FOAM");

    // Properties read once give the same text, and the label is the
    // material's own: a derived material without one shows its key.
    for (const wchar_t* key : {L"S235", L"FACADE-WOOL", L"RED-STEEL", L"FOAM", L"S235-GALV"}) {
        CMatProp prop;
        ASSERT_TRUE(mgr.propGet(key, prop)) << CZunString(key);
        for (const wchar_t* country : {L"de", L"en", L"it"})
            EXPECT_EQ(CZunMatMgr::labelOf(prop, country), mgr.matLabel(key, country)) << CZunString(key);
    }

    const CZunString before = msgLangSet(L"en");
    EXPECT_EQ(mgr.matLabel(L"SPACE", L""), L"Air space");
    msgLangSet(L"de");
    EXPECT_EQ(mgr.matLabel(L"SPACE", L""), L"Luftraum");
    msgLangSet(before.c_str());
}

// ---- materials of the drawing --------------------------------------------------

TEST_F(MaterialTest, DrawingMaterialsAreShadowsUnlessTheLibraryHasThem)
{
    ASSERT_NO_FATAL_FAILURE(drawing.load(kDrawingWithMaterials));
    EXPECT_FALSE(mgr.isShadowMat(L"S235"));
    EXPECT_TRUE(mgr.isShadowMat(L"FACADE-WOOL"));
    EXPECT_TRUE(mgr.isShadowMat(L"RED-STEEL"));
    EXPECT_FALSE(mgr.isShadowMat(L"NOT-A-MATERIAL"));
    EXPECT_FALSE(mgr.isShadowMat(L"MW-ROCK"));

    // The library wins: the drawing cannot turn S235 into an insulation.
    CMatProp prop;
    ASSERT_TRUE(mgr.propGet(L"S235", prop));
    EXPECT_EQ(prop.physKind, kMatPhysSolid);
    EXPECT_EQ(realProp(prop, L"DENSITY"), 7850.0);
    EXPECT_EQ(mgr.matLabel(L"S235", L"en"), L"Structural steel S235");

    // Value items and integer keys are no materials: propGet could not find them.
    Keys keys;
    EXPECT_EQ(mgr.matDrawAll(keys, false), 7);
    EXPECT_EQ(keys, (Keys{L"FACADE-WOOL", L"FOAM", L"LOOP-A", L"LOOP-B", L"RED-STEEL", L"S235", L"SELF"}));
}

TEST_F(MaterialTest, DrawingMaterialsDeriveFromTheLibraryAndNameKindsByFlag)
{
    ASSERT_NO_FATAL_FAILURE(drawing.load(kDrawingWithMaterials));
    CMatProp wool;
    ASSERT_TRUE(mgr.propGet(L"FACADE-WOOL", wool));
    // Kind and density from the library's MW-ROCK, the conductivity its own.
    EXPECT_EQ(wool.physKind, kMatPhysInsulation);
    EXPECT_EQ(realProp(wool, L"DENSITY"), 120.0);
    EXPECT_EQ(realProp(wool, L"LAMBDA"), 0.034);
    EXPECT_TRUE(flagProp(wool, L"INSULATION"));

    CMatProp red;
    ASSERT_TRUE(mgr.propGet(L"RED-STEEL", red));
    EXPECT_EQ(red.physKind, kMatPhysSolid);
    EXPECT_TRUE(flagProp(red, L"STEEL"));
    EXPECT_EQ(realProp(red, L"DENSITY"), 7850.0);
    EXPECT_EQ(red.subMats, (Keys{L"S235"}));
    CZunString pattern;
    EXPECT_TRUE(red.props.get(pattern, L"HPNAME"));
    EXPECT_EQ(pattern, L"ANSI32") << "PROPS wins over a property written beside it";
    EXPECT_EQ(red.physProps, (Keys{L"DENSITY", L"HPNAME", L"STEEL"})) << "LABEL, PHYS and SUBS are no properties";

    CMatProp foam;
    ASSERT_TRUE(mgr.propGet(L"FOAM", foam));
    EXPECT_EQ(foam.physKind, kMatPhysInsulation);
    EXPECT_EQ(foam.edgeKind, kMatEdgeNone) << "a kind of the wrong type counts as missing";
    EXPECT_TRUE(foam.edges.isEmpty());
    EXPECT_TRUE(flagProp(foam, L"insulation"));
}

TEST_F(MaterialTest, ReferenceLoopsEnd)
{
    ASSERT_NO_FATAL_FAILURE(drawing.load(kDrawingWithMaterials));
    CMatProp a;
    ASSERT_TRUE(mgr.propGet(L"LOOP-A", a));
    EXPECT_EQ(a.physKind, kMatPhysSeal);
    EXPECT_EQ(a.physProps, (Keys{L"A", L"B"}));
    CMatProp b;
    ASSERT_TRUE(mgr.propGet(L"LOOP-B", b));
    EXPECT_EQ(b.physProps, (Keys{L"A", L"B"}));
    CMatProp self;
    ASSERT_TRUE(mgr.propGet(L"SELF", self));
    EXPECT_EQ(self.physKind, kMatPhysSolid);
}

TEST_F(MaterialTest, TheOpenDrawingCountsAtEveryCall)
{
    ASSERT_NO_FATAL_FAILURE(drawing.openSample());
    Keys keys;
    EXPECT_EQ(mgr.matDrawAll(keys, false), 1);
    EXPECT_EQ(keys, (Keys{L"S235"}));
    EXPECT_FALSE(mgr.isShadowMat(L"S235"));
    CMatProp prop;
    EXPECT_FALSE(mgr.propGet(L"FOAM", prop));

    ASSERT_NO_FATAL_FAILURE(drawing.load(kDrawingWithMaterials));
    EXPECT_TRUE(mgr.propGet(L"FOAM", prop));

    ASSERT_NO_FATAL_FAILURE(drawing.load(R"({"zun": "drawing"})"));
    EXPECT_EQ(mgr.matDrawAll(keys, false), 0);
    EXPECT_TRUE(keys.isEmpty());
    EXPECT_FALSE(mgr.propGet(L"FOAM", prop));
    EXPECT_TRUE(mgr.propGet(L"S235", prop));
}

// ---- other library files -------------------------------------------------------

TEST_F(MaterialTest, BrokenLibraryFileIsRefusedWithItsPosition)
{
    CTestTmpDir tmp;
    const CZunString syntax = wide(tmp.write("syntax.json", "{\"zun\": \"data\", \"version\": 1, \"root\": {\n"
                                                           "  \"A\": {\"PHYS\": 1,}\n}}\n"));
    CZunString error;
    EXPECT_FALSE(CZunMatMgr::setLibraryFile(syntax, &error));
    EXPECT_EQ(error.find(syntax + L":2:"), 0) << error;

    const CZunString layout = wide(tmp.write("layout.json", "{\"zun\": \"data\", \"version\": 1, \"root\": {\n"
                                                           "  \"A\": {\"PHYS\": 1},\n"
                                                           "  \"B\": {\"LABEL\": \"b\", \"PHYS\": \"one\"}\n}}\n"));
    EXPECT_FALSE(CZunMatMgr::setLibraryFile(layout, &error));
    EXPECT_EQ(error, layout + L":3:31: expected a kind code, an integer 0 or above at /root/B/PHYS");

    // Without the envelope the position is still right.
    const CZunString bare = wide(tmp.write("bare.json", "{\"A\": {\"SUBS\": [1, 2]}}"));
    EXPECT_FALSE(CZunMatMgr::setLibraryFile(bare, &error));
    EXPECT_EQ(error.find(L":1:16: expected an array of material keys at /A/SUBS"), bare.len()) << error;
    const CZunString missing = wide(tmp.path() / "missing.json");
    EXPECT_FALSE(CZunMatMgr::setLibraryFile(missing, &error));
    EXPECT_EQ(error.find(missing + L": cannot read the file"), 0) << error;

    // Each refusal kept the library in use.
    CZunString loadText;
    EXPECT_FALSE(mgr.loadError(loadText)) << loadText;
    CMatProp prop;
    EXPECT_TRUE(mgr.propGet(L"S235", prop));
}

TEST_F(MaterialTest, AnotherLibraryReplacesTheShippedOneUntilReset)
{
    CTestTmpDir tmp;
    const CZunString path = wide(tmp.write("own.json", R"({"zun": "data", "version": 1, "root": {
 "OAK": {"LABEL": "\\de:Eiche\\en:Oak", "PHYS": 1, "SUBS": [], "PROPS": {"DENSITY": 690.0, "TIMBER": true}},
 "BEECH": {"LABEL": "\\de:Buche\\en:Beech", "REF": "OAK", "PROPS": {"DENSITY": 720.0}}
}})"));
    CZunString error = L"stale";
    ASSERT_TRUE(CZunMatMgr::setLibraryFile(path, &error)) << error;
    EXPECT_TRUE(error.isEmpty());

    Keys keys;
    EXPECT_EQ(mgr.matDrawAll(keys, true), 2);
    EXPECT_EQ(keys, (Keys{L"BEECH", L"OAK"}));
    CMatProp prop;
    EXPECT_FALSE(mgr.propGet(L"S235", prop));
    ASSERT_TRUE(mgr.propGet(L"BEECH", prop));
    EXPECT_EQ(prop.physKind, kMatPhysSolid);
    EXPECT_EQ(realProp(prop, L"DENSITY"), 720.0);
    EXPECT_TRUE(flagProp(prop, L"TIMBER"));
    EXPECT_EQ(mgr.matLabel(L"OAK", L"en"), L"Oak");

    // The drawing's S235 is a shadow now that the library lacks it.
    ASSERT_NO_FATAL_FAILURE(drawing.openSample());
    EXPECT_TRUE(mgr.isShadowMat(L"S235"));
    ASSERT_TRUE(mgr.propGet(L"S235", prop));
    EXPECT_TRUE(flagProp(prop, L"STEEL"));
    EXPECT_EQ(mgr.matLabel(L"S235", L"en"), L"Structural steel S235");

    ASSERT_TRUE(CZunMatMgr::setLibraryFile(L"", &error)) << error;
    EXPECT_FALSE(mgr.isShadowMat(L"S235"));
    EXPECT_GE(mgr.matDrawAll(keys, true), 25);
}

TEST_F(MaterialTest, BrokenShippedLibraryLeavesAnEmptyOneAndSaysWhy)
{
    CTestTmpDir tmp;
    const auto file = tmp.write("data/materials.json", "{\"zun\": \"data\",\n \"root\": {\"A\": }}\n");
    dataDirAdd(wide(tmp.path()));
    CZunString error;
    EXPECT_FALSE(CZunMatMgr::setLibraryFile(L"", &error));
    CZunString why;
    EXPECT_TRUE(mgr.loadError(why));
    EXPECT_EQ(why, error);
    EXPECT_EQ(why.find(wide(file) + L":2:"), 0) << why;

    Keys keys{L"x"};
    EXPECT_EQ(mgr.matDrawAll(keys, true), 0);
    EXPECT_TRUE(keys.isEmpty());
    ASSERT_NO_FATAL_FAILURE(drawing.openSample());
    CMatProp prop;
    EXPECT_TRUE(mgr.propGet(L"S235", prop)) << "the drawing's materials still work";
    EXPECT_TRUE(mgr.isShadowMat(L"S235"));

    EXPECT_TRUE(dataDirRemove(wide(tmp.path())));
    EXPECT_TRUE(CZunMatMgr::setLibraryFile(L"", &error)) << error;
    EXPECT_FALSE(mgr.loadError(why));
}
