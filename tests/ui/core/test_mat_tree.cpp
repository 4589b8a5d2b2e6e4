#include "ui/core/zun_mat_tree.h"

#include "contracts/data/zun_material.h"
#include "tests/contracts/data/test_current_drawing.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <string>

using namespace ZUN;

namespace {

// A small library for the cases below. Labels in German and English so
// the sort and the language show; cycles and a shared sub-material are
// part of the data, as a hand-made library may have them.
const char* const kLibrary = R"({"zun": "data", "version": 1, "root": {
 "SYSTEM": {"LABEL": "\\de:Zentrale\\en:Zentral", "SUBS": ["METAL", "SEALS"]},
 "METAL": {"LABEL": "\\de:Metalle\\en:Metals", "SUBS": ["S235", "ALU"]},
 "S235": {"LABEL": "\\de:Baustahl\\en:Steel", "PHYS": 1, "PROPS": {"STEEL": true, "DENSITY": 7850.0}},
 "ALU": {"LABEL": "\\de:Aluminium\\en:Aluminium", "PHYS": 1, "PROPS": {"ALUMINIUM": true, "STEEL": false}},
 "SEALS": {"LABEL": "\\de:Dichtungen\\en:Seals", "SUBS": ["EPDM", "FOAM"]},
 "EPDM": {"LABEL": "\\de:EPDM-Profil\\en:EPDM profile", "EDGE": 2, "PHYS": 3},
 "FOAM": {"PHYS": 2},
 "SPACE": {"LABEL": "\\de:Luftraum\\en:Air space", "PHYS": 4},
 "LOOP-A": {"LABEL": "\\de:Schleife A", "SUBS": ["LOOP-B"]},
 "LOOP-B": {"LABEL": "\\de:Schleife B", "SUBS": ["LOOP-C", "LOOP-A"]},
 "LOOP-C": {"LABEL": "\\de:Schleife C", "SUBS": ["LOOP-A", "EPDM"]},
 "SELF": {"LABEL": "\\de:Selbst", "SUBS": ["SELF"]},
 "PANEL-1": {"LABEL": "\\de:Platte 1", "SUBS": ["CORE", "SKIN"]},
 "PANEL-2": {"LABEL": "\\de:Platte 2", "SUBS": ["CORE"]},
 "CORE": {"LABEL": "\\de:Kern", "SUBS": ["FOAM"]},
 "SKIN": {"LABEL": "\\de:Haut", "PHYS": 5}
}})";

struct TreeCase {
    const char* name;
    const char* drawingMaterials;  // the "materials" of the open drawing
    unsigned flags;
    const char* physTypes;         // comma separated
    const wchar_t* selMat;
    const wchar_t* country;
    // One line per node in display order: two blanks per level, the text,
    // the image in brackets, a star on the node to select.
    const char* outline;
};

std::ostream& operator<<(std::ostream& out, const TreeCase& c) { return out << c.name; }

std::string outlineOf(const CMatTreeLayout& layout)
{
    std::string text;
    std::vector<int> depth;
    for (const MatTreeNode& node : layout.nodes()) {
        const int d = node.parent < 0 ? 0 : depth[static_cast<size_t>(node.parent)] + 1;
        const int i = static_cast<int>(depth.size());
        depth.push_back(d);
        text += std::string(static_cast<size_t>(2 * d), ' ') + layout.text(i).toUtf8() + "[" + std::to_string(node.image) +
                "]" + (static_cast<int>(depth.size()) - 1 == layout.selected() ? "*" : "") + "\n";
    }
    return text;
}

class MatTreeLayoutTest : public ::testing::TestWithParam<TreeCase> {
protected:
    void SetUp() override
    {
        CZunString error;
        ASSERT_TRUE(CZunMatMgr::setLibraryFile(CZunString::fromUtf8(tmp.write("lib.json", kLibrary).string()), &error))
            << error;
    }
    void TearDown() override { CZunMatMgr::setLibraryFile(L""); }

    CTestTmpDir tmp;
    CTestCurrentDrawing drawing;
};

CZunArrayTempl<CZunString> splitTypes(const char* list)
{
    CZunArrayTempl<CZunString> types;
    std::string rest = list;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        types.append(CZunString::fromUtf8(rest.substr(0, comma)));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return types;
}

TEST_P(MatTreeLayoutTest, Outline)
{
    const TreeCase& c = GetParam();
    CTestCurrentDrawing::load(std::string(R"({"zun": "drawing", "materials": )") + c.drawingMaterials + "}");
    MatTreeInput input;
    input.flags = c.flags;
    input.physTypes = splitTypes(c.physTypes);
    input.selMat = c.selMat;
    input.country = c.country;
    CMatTreeLayout layout;
    layout.build(CZunMatMgr(), input);
    EXPECT_EQ(outlineOf(layout), c.outline);

    // A layout built again keeps the room of its last materials: nothing of
    // them may show through (a tree whose flags the user changes).
    MatTreeInput other;
    other.flags = kMatTreeDrawing | kMatTreeNames | kMatTreeSystem;
    other.selMat = L"SELF";
    other.country = L"en";
    CMatTreeLayout reused;
    reused.build(CZunMatMgr(), other);
    reused.build(CZunMatMgr(), input);
    EXPECT_EQ(outlineOf(reused), c.outline);
}

const char* const kMixed = R"({"S235": {}, "ALU": {}, "SEALS": {}, "SPACE": {}, "MINE": {"LABEL": "\\de:Eigen", "PHYS": 1},
                               "M1": {"LABEL": "\\de:Stahl", "PHYS": 1}, "BARE": {"PHYS": 1}})";

const TreeCase kTreeCases[] = {
    {"NoFlagsLibraryOnly", kMixed, 0, "", L"", L"de",
     "Bibliothek[0]*\n"
     "  Aluminium[1]\n"
     "  Baustahl[1]\n"
     "  Dichtungen[1]\n"
     "    EPDM-Profil[1]\n"
     "    FOAM[1]\n"
     "  Luftraum[1]\n"},
    {"LabelsInTheTreesLanguage", kMixed, 0, "", L"alu", L"en",
     "Bibliothek[0]\n"
     "  Air space[1]\n"
     "  Aluminium[1]*\n"
     "  Seals[1]\n"
     "    EPDM profile[1]\n"
     "    FOAM[1]\n"
     "  Steel[1]\n"},
    {"SystemFirstWhateverItsLabel", R"({"S235": {}})", kMatTreeSystem, "", L"", L"de",
     "Bibliothek[0]*\n"
     "  Zentrale[1]\n"
     "    Dichtungen[1]\n"
     "      EPDM-Profil[1]\n"
     "      FOAM[1]\n"
     "    Metalle[1]\n"
     "      Aluminium[1]\n"
     "      Baustahl[1]\n"
     "  Baustahl[1]\n"},
    {"SpaceLeftOut", kMixed, kMatTreeNoSpace, "", L"", L"de",
     "Bibliothek[0]*\n"
     "  Aluminium[1]\n"
     "  Baustahl[1]\n"
     "  Dichtungen[1]\n"
     "    EPDM-Profil[1]\n"
     "    FOAM[1]\n"},
    {"DrawingRootWithDrawingOnlyMaterials", kMixed, kMatTreeDrawing, "", L"m1", L"de",
     "Bibliothek[0]\n"
     "  Aluminium[1]\n"
     "  Baustahl[1]\n"
     "  Dichtungen[1]\n"
     "    EPDM-Profil[1]\n"
     "    FOAM[1]\n"
     "  Luftraum[1]\n"
     "Zeichnung[0]\n"
     "  BARE[2]\n"
     "  Eigen[2]\n"
     "  Stahl[2]*\n"},
    {"KeysWithNames", R"({"M1": {"LABEL": "\\de:Steel", "PHYS": 1}, "BARE": {}, "S235": {}})", kMatTreeNames | kMatTreeDrawing,
     "", L"", L"de",
     "Bibliothek[0]*\n"
     "  S235   Baustahl[1]\n"
     "Zeichnung[0]\n"
     "  BARE[2]\n"
     "  M1   Steel[2]\n"},
    {"EdgeFilterKeepsWhatLeadsToAnEdge", R"({"SEALS": {}, "S235": {}, "LOOP-B": {}, "GASKET": {"EDGE": 1}})",
     kMatTreeEdge | kMatTreeDrawing, "", L"", L"de",
     "Bibliothek[0]*\n"
     "  Dichtungen[0]\n"
     "    EPDM-Profil[1]\n"
     "    FOAM[0]\n"
     "  Schleife B[0]\n"
     "    Schleife A[0]\n"
     "    Schleife C[0]\n"
     "      EPDM-Profil[1]\n"
     "      Schleife A[0]\n"
     "Zeichnung[0]\n"
     "  GASKET[2]\n"},
    {"PhysFilterWithSubTypes", R"({"METAL": {}, "S235": {}, "ALU": {}, "SKIN": {}})", kMatTreePhys, "STEEL", L"", L"de",
     "Bibliothek[0]*\n"
     "  Baustahl[1]\n"
     "  Metalle[0]\n"
     "    Aluminium[0]\n"
     "    Baustahl[1]\n"},
    {"PhysFilterWithoutSubTypes", R"({"METAL": {}, "SKIN": {}, "LOOP-A": {}})", kMatTreePhys, "", L"", L"de",
     "Bibliothek[0]*\n"
     "  Haut[1]\n"
     "  Metalle[0]\n"
     "    Aluminium[1]\n"
     "    Baustahl[1]\n"
     "  Schleife A[0]\n"
     "    Schleife B[0]\n"
     "      Schleife C[0]\n"
     "        EPDM-Profil[1]\n"},
    {"CyclesEndAtTheRepeatedAncestor", R"({"LOOP-A": {}, "SELF": {}})", 0, "", L"loop-a", L"de",
     "Bibliothek[0]\n"
     "  Schleife A[1]*\n"
     "    Schleife B[1]\n"
     "      Schleife C[1]\n"
     "        EPDM-Profil[1]\n"
     "  Selbst[1]\n"},
    {"SharedSubMaterialUnderEachUser", R"({"PANEL-1": {}, "PANEL-2": {}})", 0, "", L"FOAM", L"de",
     "Bibliothek[0]\n"
     "  Platte 1[1]\n"
     "    Haut[1]\n"
     "    Kern[1]\n"
     "      FOAM[1]\n"
     "  Platte 2[1]\n"
     "    Kern[1]\n"
     "      FOAM[1]*\n"},
    {"UnknownKeysShowTheirKey", R"({"MINE": {"SUBS": ["NOWHERE", "S235"]}})", kMatTreeDrawing | kMatTreeNames, "", L"nothing",
     L"de",
     "Bibliothek[0]*\n"
     "Zeichnung[0]\n"
     "  MINE[2]\n"
     "    NOWHERE[1]\n"
     "    S235   Baustahl[1]\n"},
    {"EmptyDrawing", R"({})", kMatTreeDrawing | kMatTreeEdge | kMatTreePhys, "STEEL", L"S235", L"de",
     "Bibliothek[0]*\n"
     "Zeichnung[0]\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MatTreeLayoutTest, ::testing::ValuesIn(kTreeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every material reachable from the top level is known once, however often
// the tree would show it.
TEST_F(MatTreeLayoutTest, MaterialsReachedAreKeptOnce)
{
    CTestCurrentDrawing::load(R"({"zun": "drawing", "materials": {"PANEL-1": {}, "PANEL-2": {}, "LOOP-A": {}}})");
    MatTreeInput input;
    input.flags = kMatTreeSystem | kMatTreeEdge;
    CMatTreeLayout layout;
    layout.build(CZunMatMgr(), input);
    // PANEL-1, PANEL-2, CORE, SKIN, FOAM, LOOP-A..C, EPDM, SYSTEM, METAL, SEALS, S235, ALU.
    EXPECT_EQ(layout.materialsRead(), 14);
    // Without an edge below them the panels are left out; SYSTEM always stays.
    for (int i = 0; i < static_cast<int>(layout.nodes().size()); ++i)
        EXPECT_NE(layout.key(i), L"PANEL-1");
    EXPECT_TRUE(layout.key(layout.libraryRoot()).isEmpty());
    EXPECT_EQ(layout.text(layout.libraryRoot()), L"Bibliothek");
    EXPECT_TRUE(layout.text(-1).isEmpty());
}

TEST(MatTreeTextOrder, CaseFoldedThenExact)
{
    EXPECT_TRUE(matTreeTextLess(L"alu", L"Beton"));
    EXPECT_TRUE(matTreeTextLess(L"Alu", L"alu"));
    EXPECT_FALSE(matTreeTextLess(L"alu", L"Alu"));
    EXPECT_TRUE(matTreeTextLess(L"Kern", L"Kernholz"));
    EXPECT_FALSE(matTreeTextLess(L"x", L"x"));
}

} // namespace
