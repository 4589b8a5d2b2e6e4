// The reader that material trees use must answer for every material what
// propGet answers: label, sub-materials, kinds, flags and whether only the
// drawing holds it, through references, loops and members of the wrong type.

#include "contracts/data/zun_material.h"

#include "tests/contracts/data/test_current_drawing.h"

#include <gtest/gtest.h>

#include <string>

using namespace ZUN;

namespace {

// Beside the shipped library: materials of the drawing that derive from it
// and from each other, name kinds by flag, switch flags off, and a chain of
// references longer than any is followed.
std::string drawingJson()
{
    std::string json = R"({"zun": "drawing", "materials": {
 "S235": {"LABEL": "\\de:Mein Stahl", "PHYS": 2},
 "FACADE-WOOL": {"LABEL": "\\de:Fassadendämmung\\en:Facade insulation", "REF": "MW-ROCK", "PROPS": {"LAMBDA": 0.034}},
 "RED-STEEL": {"LABEL": "Rotstahl", "PHYS": "STEEL", "HPNAME": "ANSI31", "SUBS": ["S235", "FOAM"],
               "PROPS": {"HPNAME": "ANSI32"}},
 "STEEL-OFF": {"PHYS": "STEEL", "PROPS": {"STEEL": false}, "REF": "RED-STEEL"},
 "LOOSE-OFF": {"COATING": 0, "REF": "S235", "EDGE": 2},
 "FOAM": {"PHYS": "insulation", "EDGES": [], "EDGE": "wrong type", "SUBS": "not a list"},
 "EDGE-OF": {"REF": "LOOSE-OFF", "LABEL": 5, "SUBS": []},
 "LOOP-A": {"REF": "LOOP-B", "PROPS": {"A": 1}},
 "LOOP-B": {"REF": "LOOP-A", "PHYS": 3, "PROPS": {"B": 0}},
 "SELF": {"REF": "SELF", "PHYS": 1},
 "FLAG-NAMED-PROPS": {"PHYS": "PROPS"},
 "NOT-A-MATERIAL": 5)";
    // CHAIN0 -> CHAIN1 -> ... -> CHAIN39, only the last one says its kind.
    for (int i = 0; i < 40; ++i) {
        json += ",\n \"CHAIN" + std::to_string(i) + "\": {";
        json += i < 39 ? "\"REF\": \"CHAIN" + std::to_string(i + 1) + "\"" : std::string("\"PHYS\": 4, \"DEEP\": true");
        json += "}";
    }
    return json + "}}";
}

const wchar_t* const kFlags[] = {L"INSULATION", L"insulation", L"STEEL", L"HPNAME", L"DENSITY", L"COATING",
                                 L"A",          L"B",          L"LABEL", L"PROPS",  L"DEEP",    L"LAMBDA"};

// What matHasPhysType says of propGet's properties.
bool flagOfProps(const CMatProp& prop, const wchar_t* flag)
{
    const CZunDataItem* item = prop.props.childByKey(CZunItemKey(flag));
    bool on = true;
    return item && (!item->get(on) || on);
}

class MaterialReader : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(CTestCurrentDrawing::load(drawingJson())); }

    CTestCurrentDrawing drawing;
    CZunMatMgr mgr;
};

} // namespace

TEST_P(MaterialReader, AnswersAsPropGet)
{
    const CZunString key = GetParam();
    CMatProp prop;
    const bool known = mgr.propGet(key, prop);
    const CZunMatReader reader;
    CMatEntry entry;
    entry.physKind = -7;  // untouched when the material is unknown
    ASSERT_EQ(reader.entryGet(key, entry), known);
    EXPECT_EQ(reader.isShadowMat(key), mgr.isShadowMat(key));
    if (!known) {
        EXPECT_EQ(entry.physKind, -7);
        return;
    }
    EXPECT_EQ(entry.label ? *entry.label : CZunString(), prop.label);
    EXPECT_EQ(entry.subMats ? *entry.subMats : CZunArrayTempl<CZunString>(), prop.subMats);
    EXPECT_EQ(entry.edgeKind, prop.edgeKind);
    EXPECT_EQ(entry.physKind, prop.physKind);
    EXPECT_EQ(entry.shadow, mgr.isShadowMat(key));
    for (const wchar_t* flag : kFlags)
        EXPECT_EQ(reader.flagOn(key, CZunItemKey(flag)), flagOfProps(prop, flag)) << CZunString(flag).toUtf8();
}

INSTANTIATE_TEST_SUITE_P(LibraryAndDrawing, MaterialReader,
                         ::testing::Values(L"S235", L"MW-ROCK", L"SYSTEM", L"SPACE", L"FACADE-WOOL", L"RED-STEEL",
                                           L"STEEL-OFF", L"LOOSE-OFF", L"FOAM", L"EDGE-OF", L"LOOP-A", L"LOOP-B",
                                           L"SELF", L"FLAG-NAMED-PROPS", L"CHAIN0", L"CHAIN5", L"CHAIN39",
                                           L"NOT-A-MATERIAL", L"NOPE", L""));

TEST(MaterialReaderLife, KeepsTheLibraryItWasMadeWith)
{
    CTestCurrentDrawing drawing;
    const CZunMatReader reader;
    CMatEntry before;
    ASSERT_TRUE(reader.entryGet(L"S235", before));
    ASSERT_NE(before.label, nullptr);
    const CZunString label = *before.label;
    // The shipped library read again replaces the one in use, for new
    // readers only.
    EXPECT_TRUE(CZunMatMgr::setLibraryFile(L""));
    CMatEntry after;
    ASSERT_TRUE(reader.entryGet(L"S235", after));
    EXPECT_EQ(after.label, before.label) << "the same library, still alive";
    EXPECT_EQ(*after.label, label);
    const CZunMatReader fresh;
    CMatEntry third;
    ASSERT_TRUE(fresh.entryGet(L"S235", third));
    EXPECT_NE(third.label, before.label) << "a new reader reads the library in use now";
    EXPECT_EQ(*third.label, label);
}
