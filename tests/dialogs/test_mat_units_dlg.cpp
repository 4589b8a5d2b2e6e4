// The material selection and unit dialogs, run modally as the add-on's
// commands run them, and the test behind the material dialog's OK button.

#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"
#include "dialogs/zun_mat_tree_dlg.h"
#include "dialogs/zun_units_dlg.h"
#include "tests/contracts/data/test_current_drawing.h"
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/core/zun_mat_accept.h"
#include "ui/core/zun_mat_tree.h"
#include "ui/zun_mat_tree_ctrl.h"
#include "ui/zun_tree_ctrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

using namespace ZUN;

namespace {

// A library with a reference, a reference loop, a reference to nothing,
// edge materials and groups; a drawing that adds a material of its own.
const char* const kLibrary = R"({"zun": "data", "version": 1, "root": {
 "SYSTEM": {"LABEL": "\\de:System\\en:System", "SUBS": ["METAL", "SEALS", "LOOP-A", "LOST"]},
 "METAL": {"LABEL": "\\de:Metalle\\en:Metals", "SUBS": ["S235", "ALU"]},
 "S235": {"LABEL": "\\de:Baustahl S235\\en:Structural steel S235", "PHYS": 1, "PROPS": {"STEEL": true},
          "SUBS": ["S235-GALV"]},
 "S235-GALV": {"LABEL": "\\de:Baustahl verzinkt\\en:Galvanized steel", "REF": "S235"},
 "ALU": {"LABEL": "\\de:Aluminium\\en:Aluminium", "PHYS": 1},
 "SEALS": {"LABEL": "\\de:Dichtungen\\en:Seals", "SUBS": ["EPDM", "ZINC"]},
 "EPDM": {"LABEL": "\\de:EPDM-Dichtung\\en:EPDM seal", "EDGE": 2, "PHYS": 3},
 "ZINC": {"LABEL": "\\de:Zinkstaubfarbe\\en:Zinc-rich paint", "EDGE": 4, "PHYS": 5},
 "LOOP-A": {"LABEL": "\\de:Schleife A\\en:Loop A", "REF": "LOOP-B", "PHYS": 1},
 "LOOP-B": {"LABEL": "\\de:Schleife B\\en:Loop B", "REF": "LOOP-A", "PHYS": 1},
 "LOST": {"LABEL": "\\de:Verweist ins Leere\\en:Refers to nothing", "REF": "NOWHERE", "PHYS": 1}
}})";

const char* const kDrawing = R"({"zun": "drawing", "materials": {
 "S235": {}, "S235-GALV": {}, "ALU": {}, "EPDM": {}, "ZINC": {}, "LOOP-A": {}, "LOST": {},
 "RED": {"LABEL": "\\de:Rotstahl\\en:Red steel", "PHYS": "STEEL"}
}})";

class MaterialLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        CZunString error;
        ASSERT_TRUE(CZunMatMgr::setLibraryFile(CZunString::fromUtf8(m_tmp.write("lib.json", kLibrary).string()), &error))
            << error.toUtf8();
        CTestCurrentDrawing::load(kDrawing);
    }
    void TearDown() override { CZunMatMgr::setLibraryFile(L""); }

    CTestTmpDir m_tmp;
};

// ---- what OK accepts -----------------------------------------------------------

struct AcceptCase {
    const char* key;
    unsigned flags;
    std::vector<const wchar_t*> physTypes;
    bool accepted;
};

void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.key << " flags " << c.flags; }

class MatDlgAccepts : public MaterialLibrary, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(MatDlgAccepts, AsTheFiltersSay)
{
    const AcceptCase& c = GetParam();
    CZunArrayTempl<CZunString> types;
    for (const wchar_t* t : c.physTypes)
        types.append(t);
    EXPECT_EQ(matDlgAccepts(CZunMatMgr(), CZunString::fromUtf8(c.key), c.flags, types), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Library, MatDlgAccepts,
    ::testing::Values(
        // No filter: every known material, never a root or an unknown key.
        AcceptCase{"ALU", 0, {}, true}, AcceptCase{"METAL", 0, {}, true}, AcceptCase{"", 0, {}, false},
        AcceptCase{"NOPE", 0, {}, false},
        // SYSTEM always.
        AcceptCase{"SYSTEM", kMatTreeEdge, {}, true}, AcceptCase{"SYSTEM", kMatTreePhys, {L"STEEL"}, true},
        // Edge materials only; the edge filter wins over the physical one.
        AcceptCase{"EPDM", kMatTreeEdge, {}, true}, AcceptCase{"ZINC", kMatTreeEdge, {}, true},
        AcceptCase{"ALU", kMatTreeEdge, {}, false}, AcceptCase{"S235", kMatTreeEdge | kMatTreePhys, {}, false},
        // Bodies only, with every sub-type asked for, through references.
        AcceptCase{"S235", kMatTreePhys, {}, true}, AcceptCase{"METAL", kMatTreePhys, {}, false},
        AcceptCase{"S235", kMatTreePhys, {L"STEEL"}, true}, AcceptCase{"ALU", kMatTreePhys, {L"STEEL"}, false},
        AcceptCase{"S235-GALV", kMatTreePhys, {L"STEEL"}, true}, AcceptCase{"RED", kMatTreePhys, {L"STEEL"}, true},
        AcceptCase{"S235", kMatTreePhys, {L"STEEL", L"WOOD"}, false},
        // A reference loop and a reference to nothing are refused.
        AcceptCase{"LOOP-A", kMatTreePhys, {}, false}, AcceptCase{"LOST", kMatTreePhys, {}, false}));

// ---- the record's flags -----------------------------------------------------------

struct FlagCase {
    const char* name;
    std::function<void(DlgEnvMatTree_st&)> fill;
    unsigned flags;
    int physTypes;
};

void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.name; }

class MatDlgFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MatDlgFlags, FromTheRecord)
{
    DlgEnvMatTree_st env;
    GetParam().fill(env);
    CZunArrayTempl<CZunString> types;
    EXPECT_EQ(CZunMatTreeDlg::flagsOf(env, types), GetParam().flags);
    EXPECT_EQ(types.len(), GetParam().physTypes);
}

INSTANTIATE_TEST_SUITE_P(
    Records, MatDlgFlags,
    ::testing::Values(
        FlagCase{"Nothing", [](DlgEnvMatTree_st&) {}, 0u, 0},
        FlagCase{"DrawingAndNames", [](DlgEnvMatTree_st& e) { e.withDrawing = e.showNames = true; }, 3u, 0},
        FlagCase{"EdgeBeforePhys",
                 [](DlgEnvMatTree_st& e) { e.matTypes = {L"PHYS", L"EDGE"}; e.physTypes = {L"steel"}; }, 4u, 0},
        FlagCase{"Phys", [](DlgEnvMatTree_st& e) { e.matTypes = {L"PHYS"}; e.physTypes = {L"steel", L"x"}; }, 32u, 2},
        FlagCase{"SystemAndSpace", [](DlgEnvMatTree_st& e) { e.matTypes = {L"SPACE", L"SYSTEM"}; }, 24u, 0},
        FlagCase{"WordsAreExact", [](DlgEnvMatTree_st& e) { e.matTypes = {L"edge", L"Phys"}; }, 0u, 0}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

// ---- the dialogs, run modally -------------------------------------------------------

// Runs act on the module dialog that is up once the event loop turns.
template <class Dlg>
void whenUp(std::function<void(Dlg&)> act)
{
    QTimer::singleShot(0, [act] {
        if (auto* dlg = qobject_cast<Dlg*>(QApplication::activeModalWidget()))
            act(*dlg);
        else if (QWidget* other = QApplication::activeModalWidget())
            other->close();
    });
}

QPushButton* button(CZunDlg& dlg, int id) { return qobject_cast<QPushButton*>(dlg.GetDlgItem(id)); }

QTreeWidgetItem* nodeOf(CZunMatTreeCtrl& tree, const wchar_t* key)
{
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if (tree.itemKey(*it) == CZunString(key))
            return *it;
    return nullptr;
}

class MatTreeDlg : public MaterialLibrary {};

TEST_F(MatTreeDlg, ThePresetMaterialIsSelectedAndOkReturnsIt)
{
    DlgEnvMatTree_st env;
    env.country = L"en";
    CZunString mat = L"ALU";
    QString title;
    bool okEnabled = false;
    bool treeHasFocus = false;
    whenUp<CZunMatTreeDlg>([&](CZunMatTreeDlg& dlg) {
        title = dlg.windowTitle();
        treeHasFocus = dlg.focusWidget() == dlg.tree();
        okEnabled = button(dlg, IDOK)->isEnabled();
        button(dlg, IDOK)->click();
    });
    EXPECT_EQ(dlgMatTree(env, mat), 1);
    EXPECT_EQ(mat, CZunString(L"ALU"));
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(title, QStringLiteral("Material selection"));
    EXPECT_TRUE(treeHasFocus) << "keys go to the tree, not to a button";
}

TEST_F(MatTreeDlg, AnUnknownPresetStartsAtTheRootAndADoubleClickChooses)
{
    DlgEnvMatTree_st env;
    env.matTypes = {L"PHYS"};
    env.physTypes = {L"steel"};
    CZunString mat = L"NOPE";
    bool okAtStart = true, okOnRefused = true;
    whenUp<CZunMatTreeDlg>([&](CZunMatTreeDlg& dlg) {
        okAtStart = button(dlg, IDOK)->isEnabled();
        CZunString key;
        EXPECT_FALSE(dlg.tree()->getSelMat(key)) << "the library root";
        // From an accepted material back to the library root: OK goes off
        // again, and a double click on the root does nothing.
        QTreeWidgetItem* root = dlg.tree()->topLevelItem(0);
        dlg.tree()->setCurrentItem(nodeOf(*dlg.tree(), L"S235-GALV"));
        dlg.tree()->setCurrentItem(root);
        okOnRefused = button(dlg, IDOK)->isEnabled();
        emit dlg.tree()->itemDoubleClicked(root, 0);
        QTreeWidgetItem* galv = nodeOf(*dlg.tree(), L"S235-GALV");
        ASSERT_NE(galv, nullptr);
        dlg.tree()->setCurrentItem(galv);
        emit dlg.tree()->itemDoubleClicked(galv, 0);
    });
    EXPECT_EQ(dlgMatTree(env, mat), 1);
    EXPECT_FALSE(okAtStart);
    EXPECT_FALSE(okOnRefused);
    EXPECT_EQ(mat, CZunString(L"S235-GALV"));
}

TEST_F(MatTreeDlg, CancelLeavesTheMaterial)
{
    CZunString mat = L"S235";
    whenUp<CZunMatTreeDlg>([](CZunMatTreeDlg& dlg) {
        dlg.tree()->selectMat(L"ALU");
        button(dlg, IDCANCEL)->click();
    });
    EXPECT_EQ(dlgMatTree(DlgEnvMatTree_st(), mat), 0);
    EXPECT_EQ(mat, CZunString(L"S235"));
}

TEST_F(MatTreeDlg, EnterOnARefusedSelectionDoesNotClose)
{
    DlgEnvMatTree_st env;
    env.matTypes = {L"EDGE"};
    CZunString mat = L"EPDM";
    bool stayed = false;
    whenUp<CZunMatTreeDlg>([&](CZunMatTreeDlg& dlg) {
        EXPECT_FALSE(dlg.tree()->selectMat(L"ALU")) << "filtered out";
        dlg.tree()->setCurrentItem(dlg.tree()->topLevelItem(0));
        QTest::keyClick(dlg.tree(), Qt::Key_Return);
        stayed = dlg.isVisible();
        dlg.tree()->selectMat(L"ZINC");
        QTest::keyClick(dlg.tree(), Qt::Key_Return);
    });
    EXPECT_EQ(dlgMatTree(env, mat), 1);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(mat, CZunString(L"ZINC"));
}

// ---- the unit dialog ------------------------------------------------------------

int rowOfUnit(const CZunListBox& list, int unit)
{
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->data(Qt::UserRole).toInt() == unit)
            return row;
    return -1;
}

TEST(UnitsDlg, ThePresetIsSelectedAndOkReturnsTheChosenUnit)
{
    DlgEnv_st env;
    msgLangSet(L"en");
    QString title, name4;
    int rows = 0, current = -1;
    whenUp<CZunUnitsDlg>([&](CZunUnitsDlg& dlg) {
        title = dlg.windowTitle();
        rows = dlg.list()->count();
        current = dlg.list()->currentItem() ? dlg.list()->currentItem()->data(Qt::UserRole).toInt() : -1;
        name4 = dlg.list()->item(rowOfUnit(*dlg.list(), 4))->text();
        dlg.list()->setCurrentRow(rowOfUnit(*dlg.list(), 2));
        button(dlg, IDOK)->click();
    });
    EXPECT_EQ(dlgUnits(env, static_cast<ZUN::lUnit>(4)), 2);
    msgLangSet(L"de");
    EXPECT_EQ(title, QStringLiteral("Select unit")) << title.toStdString();
    EXPECT_EQ(rows, acad_units(L"en").len());
    EXPECT_EQ(current, 4);
    EXPECT_EQ(name4, QString::fromStdWString(acad_units(L"en").get(4).str()));
}

TEST(UnitsDlg, UnitZeroCannotBeConfirmedEscapeIsSwallowedTheCloseBoxEnds)
{
    bool okAtStart = true, openAfterEnter = false, openAfterEscape = false;
    whenUp<CZunUnitsDlg>([&](CZunUnitsDlg& dlg) {
        okAtStart = button(dlg, IDOK)->isEnabled();
        QTest::keyClick(dlg.list(), Qt::Key_Return);
        openAfterEnter = dlg.isVisible();
        QTest::keyClick(dlg.list(), Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        openAfterEscape = dlg.isVisible();
        dlg.list()->setCurrentRow(rowOfUnit(*dlg.list(), 6));
        dlg.close();  // the close box
    });
    EXPECT_EQ(dlgUnits(DlgEnv_st(), static_cast<ZUN::lUnit>(0)), 6);
    EXPECT_FALSE(okAtStart);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_TRUE(openAfterEscape);
}

} // namespace
