// The material tree control in its dialog: root texts and labels in the
// dialog's language, images, selection by key, and a picture of it.

#include "tests/ui/ui_test_util.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_material.h"
#include "tests/contracts/data/test_current_drawing.h"
#include "ui/zun_country_box.h"
#include "ui/zun_mat_tree_ctrl.h"
#include "ui/zun_msg_callback.h"

#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <string>

using namespace ZUN;

namespace {

const char* const kLibrary = R"({"zun": "data", "version": 1, "root": {
 "SYSTEM": {"LABEL": "\\de:System\\en:System", "SUBS": ["METAL"]},
 "METAL": {"LABEL": "\\de:Metalle\\en:Metals", "SUBS": ["S235", "ALU"]},
 "S235": {"LABEL": "\\de:Baustahl S235\\en:Structural steel S235", "PHYS": 1, "SUBS": ["S235-GALV"]},
 "S235-GALV": {"LABEL": "\\de:Baustahl S235, verzinkt\\en:Structural steel S235, galvanized", "REF": "S235",
               "SUBS": ["ZINC"]},
 "ZINC": {"LABEL": "\\de:Zinkstaubfarbe\\en:Zinc-rich paint", "EDGE": 4, "PHYS": 5, "SUBS": ["S235"]},
 "ALU": {"LABEL": "\\de:Aluminium\\en:Aluminium", "PHYS": 1},
 "EPDM": {"LABEL": "\\de:EPDM-Dichtung\\en:EPDM seal", "EDGE": 2, "PHYS": 3}
}})";

const char* const kDrawing = R"({"zun": "drawing", "materials": {
 "S235": {}, "ALU": {}, "EPDM": {},
 "RED": {"LABEL": "\\de:Rotstahl\\en:Red steel", "PHYS": "STEEL", "SUBS": ["S235", "GHOST"]}
}})";

class MatTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CZunString error;
        ASSERT_TRUE(CZunMatMgr::setLibraryFile(CZunString::fromUtf8(tmp.write("lib.json", kLibrary).string()), &error))
            << error;
        CTestCurrentDrawing::load(kDrawing);
        previous = CZunDlg::SetMsgCallBack(&ZUN::msgDefaultCallBack);
        tree = qobject_cast<CZunMatTreeCtrl*>(dlg.GetDlgItem(3020));
        ASSERT_NE(tree, nullptr);
    }
    void TearDown() override
    {
        if (dlg.hasWindow())
            dlg.DestroyWindow();
        CZunDlg::SetMsgCallBack(previous);
        CZunMatMgr::setLibraryFile(L"");
    }

    // Node texts, two blanks per level.
    std::string outline() const
    {
        std::string text;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            int depth = 0;
            for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
                ++depth;
            text += std::string(static_cast<size_t>(2 * depth), ' ') + (*it)->text(0).toStdString() + "[" +
                    std::to_string(tree->itemImage(*it)) + "]\n";
        }
        return text;
    }
    QTreeWidgetItem* findText(const QString& text) const
    {
        const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    CTestSettings settings;
    CTestTmpDir tmp;
    CTestCurrentDrawing drawing;
    ZunMsgCallBack previous = nullptr;
    CTestDlg dlg{kTplMat};
    CZunMatTreeCtrl* tree = nullptr;
};

} // namespace

TEST_F(MatTreeCtrlTest, EveryFlagInTheDialogsLanguage)
{
    dlg.SetCountry(L"en");
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(QString::fromWCharArray(tree->country()), QStringLiteral("en"));
    // Every flag: both filters (an empty sub-type list passes every
    // physical material), names, SYSTEM, no SPACE, the drawing root.
    EXPECT_TRUE(tree->init(kMatTreeDrawing | kMatTreeNames | kMatTreeEdge | kMatTreeSystem | kMatTreeNoSpace | kMatTreePhys,
                           L"zinc", {}));
    // The library root's text is a catalogue text; the drawing root's
    // German default stands where the catalogue has no English one.
    const QString libraryRoot = tree->topLevelItem(0)->text(0);
    EXPECT_EQ(libraryRoot, QString::fromWCharArray(dlg.GetMsg(L"ZUN_LIB_027", L"Bibliothek")));
    // ALU leads to no edge material and is left out at the top; only
    // materials that pass both tests themselves show image 1; the cycle
    // ZINC -> S235 ends at the repeated S235.
    EXPECT_EQ(outline(), libraryRoot.toStdString() +
                             "[0]\n"
                             "  SYSTEM   System[0]\n"
                             "    METAL   Metals[0]\n"
                             "      ALU   Aluminium[0]\n"
                             "      S235   Structural steel S235[0]\n"
                             "        S235-GALV   Structural steel S235, galvanized[0]\n"
                             "          ZINC   Zinc-rich paint[1]\n"
                             "  EPDM   EPDM seal[1]\n"
                             "  S235   Structural steel S235[0]\n"
                             "    S235-GALV   Structural steel S235, galvanized[0]\n"
                             "      ZINC   Zinc-rich paint[1]\n" +
                             tree->topLevelItem(1)->text(0).toStdString() +
                             "[0]\n"
                             "  RED   Red steel[0]\n"
                             "    GHOST[0]\n"
                             "    S235   Structural steel S235[0]\n"
                             "      S235-GALV   Structural steel S235, galvanized[0]\n"
                             "        ZINC   Zinc-rich paint[1]\n");
    // The last ZINC made is the one asked for.
    CZunString key;
    EXPECT_TRUE(tree->getSelMat(key));
    EXPECT_EQ(key, L"ZINC");
    EXPECT_EQ(tree->currentItem()->parent()->parent()->parent()->parent(), tree->topLevelItem(1));
}

TEST_F(MatTreeCtrlTest, ImagesRootsAndSelection)
{
    dlg.SetCountry(L"de");
    ASSERT_TRUE(dlg.Create());
    tree->init(kMatTreeDrawing, L"no such material");
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Bibliothek"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Zeichnung"));
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0)) << "an unknown key selects the library root";
    CZunString key = L"kept";
    EXPECT_FALSE(tree->getSelMat(key));
    EXPECT_EQ(key, L"kept");

    QTreeWidgetItem* steel = findText(QStringLiteral("Baustahl S235"));
    QTreeWidgetItem* red = findText(QStringLiteral("Rotstahl"));
    QTreeWidgetItem* ghost = findText(QStringLiteral("GHOST"));
    ASSERT_TRUE(steel && red && ghost);
    EXPECT_EQ(tree->itemImage(tree->topLevelItem(0)), 0);
    EXPECT_EQ(tree->itemImage(steel), 1);
    EXPECT_EQ(tree->itemImage(red), 2);
    EXPECT_EQ(tree->itemImage(ghost), 1) << "an unknown key is no drawing material";
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(tree->image(i).isNull());
        // Sharp on high-density screens: the icon is drawn at 32 pixels, not scaled up.
        EXPECT_EQ(tree->image(i).pixmap(QSize(32, 32)).size(), QSize(32, 32));
    }
    EXPECT_EQ(steel->icon(0).cacheKey(), tree->image(1).cacheKey());

    // selectMat takes the first node made with the key, exactly as written.
    EXPECT_FALSE(tree->selectMat(L"s235"));
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_TRUE(tree->selectMat(L"S235"));
    EXPECT_EQ(tree->currentItem(), steel);
    EXPECT_EQ(tree->currentItem()->parent(), tree->topLevelItem(0));
    EXPECT_TRUE(tree->getSelMat(key));
    EXPECT_EQ(key, L"S235");
    EXPECT_TRUE(tree->selectMat(L"GHOST"));
    EXPECT_TRUE(red->isExpanded()) << "the node chosen is shown";

    // The user picks a root: nothing chosen.
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_FALSE(tree->getSelMat(key));

    // A second init starts again.
    tree->init(0, L"ALU");
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_TRUE(tree->getSelMat(key));
    EXPECT_EQ(key, L"ALU");
    EXPECT_FALSE(tree->selectMat(L"RED")) << "drawing-only materials are gone";
}

// A window narrower than the names: every name keeps its whole width and
// the tree scrolls sideways to it.
class MatTreeCtrlWidth : public MatTreeCtrlTest, public ::testing::WithParamInterface<int> {};

TEST_P(MatTreeCtrlWidth, LongNamesAreScrolledToNotCut)
{
    dlg.SetCountry(L"en");
    ASSERT_TRUE(dlg.Create());
    tree->init(kMatTreeDrawing | kMatTreeSystem, L"S235-GALV");
    tree->expandAll();
    tree->setFixedWidth(GetParam());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::processEvents();
    QTreeWidgetItem* galvanized = findText(QStringLiteral("Structural steel S235, galvanized"));
    ASSERT_NE(galvanized, nullptr);
    const QRect cell = tree->visualItemRect(galvanized);
    const int text = QFontMetrics(tree->font()).horizontalAdvance(galvanized->text(0));
    EXPECT_GE(tree->columnWidth(0) - cell.left() - tree->iconSize().width(), text) << "the name has its width";
    const bool narrower = tree->columnWidth(0) > tree->viewport()->width();
    EXPECT_EQ(tree->horizontalScrollBar()->maximum() > 0, narrower) << "a scroll bar exactly when needed";
    dlg.hide();
}

INSTANTIATE_TEST_SUITE_P(Widths, MatTreeCtrlWidth, ::testing::Values(120, 180, 900));

TEST_F(MatTreeCtrlTest, KeysLanguageShowsMessageKeys)
{
    dlg.SetCountry(L"0");
    ASSERT_TRUE(dlg.Create());
    tree->init(kMatTreeDrawing, nullptr);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("ZUN_LIB_027"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("DLG_SG018"));
}

TEST_F(MatTreeCtrlTest, OutsideADialogDefaultsAndNoToolTips)
{
    CZunMatTreeCtrl lone;
    EXPECT_EQ(lone.country(), nullptr);
    lone.init(kMatTreeDrawing | kMatTreeSystem, L"");
    EXPECT_EQ(lone.topLevelItem(0)->text(0), QStringLiteral("Bibliothek"));
    EXPECT_EQ(lone.topLevelItem(1)->text(0), QStringLiteral("Zeichnung"));
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), QPoint(5, 5));
    EXPECT_TRUE(QApplication::sendEvent(lone.viewport(), &tip));
}

// A picture of the material dialog, for a person to look at; written when
// ZUN_TEST_PICTURES names a folder.
TEST_F(MatTreeCtrlTest, Picture)
{
    dlg.SetCountry(L"de");
    ASSERT_TRUE(dlg.Create());
    tree->init(kMatTreeDrawing | kMatTreeNames | kMatTreeSystem, L"ZINC");
    tree->expandAll();
    dlg.resize(420, 420);
    const QImage picture = dlg.grab().toImage();
    EXPECT_EQ(picture.size(), dlg.size() * dlg.devicePixelRatio());
    if (const char* folder = std::getenv("ZUN_TEST_PICTURES")) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(folder) + QStringLiteral("/material_tree.png")));
    }
}

// ---- the country box -------------------------------------------------------------------------

struct CountryCase {
    const wchar_t* code;
    int result;
    const wchar_t* selected;  // afterwards; the box starts on "en"
};

class CountryBoxSelect : public ::testing::TestWithParam<CountryCase> {};

TEST_P(CountryBoxSelect, ByCodeIgnoringCase)
{
    const CountryCase& c = GetParam();
    CZunComboCountryBox box;
    ASSERT_EQ(box.SelectCountry(L"en"), 1);
    EXPECT_EQ(box.SelectCountry(c.code), c.result);
    ASSERT_NE(box.GetCountry(), nullptr);
    EXPECT_EQ(CZunString(box.GetCountry()), CZunString(c.selected));
}

const CountryCase kCountryCases[] = {
    {L"de", 1, L"de"}, {L"DE", 1, L"de"}, {L"Fr", 1, L"fr"}, {L"cS", 1, L"cs"},
    {L"xx", 0, L"en"}, {L"", 0, L"en"},   {nullptr, 0, L"en"}, {L"d", 0, L"en"}, {L"dee", 0, L"en"},
};

INSTANTIATE_TEST_SUITE_P(Codes, CountryBoxSelect, ::testing::ValuesIn(kCountryCases),
                         [](const auto& info) {
                             return info.param.code ? testName(info.param.code) : std::string("null");
                         });

TEST(CountryBox, SortedNamesOfTheTableWithTheirCodes)
{
    CZunComboCountryBox box;
    EXPECT_FALSE(box.isEditable());
    int rows = 0;
    for (const ZunCountry_st* c = zunDlCountrys(); c->code; ++c)
        ++rows;
    ASSERT_EQ(box.count(), rows);
    EXPECT_EQ(box.currentIndex(), 0);
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names << box.itemText(i);
    EXPECT_LT(names.indexOf("Deutsch"), names.indexOf("English"));
    EXPECT_LT(names.indexOf("English"), names.indexOf("Español"));
    EXPECT_LT(names.indexOf("Español"), names.indexOf("Italiano"));
    EXPECT_LT(names.indexOf("Nederlands"), names.indexOf("Polski"));
    ASSERT_EQ(box.SelectCountry(L"NL"), 1);
    EXPECT_EQ(box.currentText(), QStringLiteral("Nederlands"));
}

TEST(CountryBox, EmptyTable)
{
    CZunComboCountryBox box;
    const ZunCountry_st empty[] = {{nullptr, nullptr, nullptr}};
    box.setCountries(empty);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.GetCountry(), nullptr);
    EXPECT_EQ(box.SelectCountry(L"de"), 0);
    box.setCountries(nullptr);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.GetCountry(), nullptr);
    // A record without a name still lists its code.
    const ZunCountry_st nameless[] = {{L"xx", nullptr, nullptr}, {nullptr, nullptr, nullptr}};
    box.setCountries(nameless);
    EXPECT_EQ(box.itemText(0), QStringLiteral("xx"));
    EXPECT_EQ(box.SelectCountry(L"XX"), 1);
}
