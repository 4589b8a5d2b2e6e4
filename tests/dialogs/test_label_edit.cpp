// The label dialog's list: a plain text lands in its language's row, empty
// rows stay out of the result, copy and paste between two dialogs, line
// breaks in multi-line mode.
#include "dialogs/zun_label_edit.h"

#include "contracts/data/zun_msg.h"
#include "ui/zun_dlg_ids.h"
#include "ui/zun_edit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ZUN;

namespace {

// A dialog shown, initialised with the label, then looked at.
struct ShownDialog {
    explicit ShownDialog(const CZunString& label, const wchar_t* row, bool multi)
    {
        dlg.m_label = label;
        dlg.m_rowCountry = row;
        dlg.m_multi = multi;
        dlg.Create();
    }
    CZunLabelEdit dlg;
};

} // namespace

TEST(LabelEdit, APlainTextLandsInItsLanguagesRow)
{
    ShownDialog shown(L"Sheet", L"EN", false);
    CZunLabelEditLst* list = shown.dlg.list();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetItemCount(), 8);
    EXPECT_EQ(list->GetCurSel(), 1) << "the English row is selected";
    EXPECT_EQ(list->GetItemText(1, 1), L"Sheet");
    EXPECT_EQ(list->GetItemText(0, 1), L"");
    EXPECT_EQ(list->GetItemText(0, 0), L"Deutsch");
    const CZunString result = list->result();
    EXPECT_EQ(result.view().front(), L'\\') << "a composite label";
    EXPECT_EQ(label_get(result, L"en", false), L"Sheet");
    EXPECT_EQ(label_get(result, L"de", false), L"");
}

TEST(LabelEdit, EmptyRowsStayOutAndAllEmptyGivesEmpty)
{
    CZunString label;
    label_set(label, L"Blech", L"de");
    label_set(label, L"T\u00F4le", L"fr");
    ShownDialog shown(label, L"de", false);
    EXPECT_EQ(shown.dlg.list()->result(), label);
    for (int row = 0; row < shown.dlg.list()->GetItemCount(); ++row)
        shown.dlg.list()->SetItemText(row, 1, L"");
    EXPECT_EQ(shown.dlg.list()->result(), L"");
}

TEST(LabelEdit, SingleLineRowsShowBreaksAsBlanks)
{
    CZunString label;
    label_set(label, L"eins\nzwei", L"de");
    ShownDialog single(label, L"de", false);
    EXPECT_EQ(single.dlg.list()->GetItemText(0, 1), L"eins zwei");
    EXPECT_FALSE(single.dlg.list()->rowMulti(0));
    EXPECT_EQ(single.dlg.list()->GetItemImage(0, 0), 0);

    label_set(label, L"a\nb\nc", L"en");
    ShownDialog multi(label, L"de", true);
    EXPECT_EQ(multi.dlg.list()->GetItemText(0, 1), L"eins\nzwei");
    EXPECT_TRUE(multi.dlg.list()->rowMulti(0));
    EXPECT_EQ(multi.dlg.list()->GetItemImage(1, 0), 1);
    EXPECT_EQ(multi.dlg.list()->lineCount(), 3) << "the tallest row";
    multi.dlg.list()->command(1027);  // the selected German row to one line
    EXPECT_EQ(multi.dlg.list()->GetItemText(0, 1), L"eins zwei");
    EXPECT_FALSE(multi.dlg.list()->rowMulti(0));
}

TEST(LabelEdit, CopyThenPasteBetweenTwoDialogs)
{
    CZunString label;
    label_set(label, L"Blech", L"de");
    label_set(label, L"Sheet\\ngalvanised", L"en");
    ShownDialog from(label, L"de", false);
    from.dlg.list()->command(1029);  // copy

    ShownDialog to(CZunString(L"\\it:vecchio"), L"it", false);
    to.dlg.list()->command(1028);  // paste
    const CZunString pasted = to.dlg.list()->result();
    EXPECT_EQ(label_get(pasted, L"de", false), L"Blech");
    EXPECT_EQ(label_get(pasted, L"en", false), L"Sheet galvanised") << "single-line: a blank";
    EXPECT_EQ(label_get(pasted, L"it", false), L"") << "the paste replaces every language";

    ShownDialog multi(CZunString(), L"de", true);
    multi.dlg.list()->command(1028);
    EXPECT_EQ(label_get(multi.dlg.list()->result(), L"en", false), L"Sheet\ngalvanised");
}

namespace {

// The list alone, with the hook the in-place edit calls when it ends.
struct ProbeList : CZunLabelEditLst {
    using CZunLabelEditLst::OnAllowEdit;
    using CZunLabelEditLst::OnEndItemEdit;
};

} // namespace

TEST(LabelEdit, AnEndedEditTurnsLiteralBreaksIntoLinesInMultiLineMode)
{
    for (const bool multi : {true, false}) {
        ProbeList list;
        list.setMulti(multi);
        list.fill(CZunString(), L"de");
        LVHITTESTINFO name;
        name.iItem = 0;
        name.iSubItem = 0;
        LVHITTESTINFO text = name;
        text.iSubItem = 1;
        EXPECT_EQ(list.OnAllowEdit(&name), 0) << "the language column stays";
        EXPECT_EQ(list.OnAllowEdit(&text), 1);
        CZunEdit edit;
        edit.setText(QString::fromWCharArray(L"eins\\nzwei\u00B6drei"));
        EXPECT_EQ(list.OnEndItemEdit(&edit), 0) << "written by the list itself";
        if (multi) {
            EXPECT_EQ(list.GetItemText(0, 1), L"eins\nzwei\ndrei");
            EXPECT_TRUE(list.rowMulti(0));
            EXPECT_EQ(list.GetItemImage(0, 0), 1);
            EXPECT_EQ(list.lineCount(), 3);
            list.resize(400, 300);
            list.show();
            QApplication::processEvents();
            EXPECT_EQ(list.visualItemRect(list.topLevelItem(1)).height(), 16 * 3 + 2) << "every row as tall as the tallest";
        } else {
            EXPECT_EQ(list.GetItemText(0, 1), L"eins\\nzwei\u00B6drei");
            EXPECT_FALSE(list.rowMulti(0));
        }
    }
}

// A picture of the dialog for the documentation, when asked for.
TEST(LabelEdit, PictureWhenAsked)
{
    const QByteArray folder = qgetenv("ZUN_PICTURE_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "ZUN_PICTURE_DIR not set";
    CZunString label;
    label_set(label, L"Fu\u00DFplatte 300\u00D7400\u00D725\n4 Ankerl\u00F6cher \u00D8 26", L"de");
    label_set(label, L"Base plate 300\u00D7400\u00D725\n4 anchor holes \u00D8 26", L"en");
    label_set(label, L"Platine 300\u00D7400\u00D725", L"fr");
    ShownDialog shown(label, L"de", true);
    shown.dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(shown.dlg.grab().save(QString::fromUtf8(folder) + "/label-edit.png"));
}

// The text column is twice as wide as the list however wide the dialog is
// shown or made, so a long text is never cut off while the list has room.
class LabelEditWidth : public ::testing::TestWithParam<int> {};

TEST_P(LabelEditWidth, TheTextColumnIsTwiceTheListsWidth)
{
    const QString text = QStringLiteral("Rechteckplatte mit sehr langer Bezeichnung f\u00FCr die Pr\u00FCfung der Spaltenbreite");
    ShownDialog shown(CZunString(text.toStdWString()), L"de", false);
    CZunLabelEditLst* list = shown.dlg.list();
    ASSERT_NE(list, nullptr);
    shown.dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.dlg));
    shown.dlg.resize(GetParam(), shown.dlg.height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.dlg.width() == GetParam(); }, 2000));
    QApplication::processEvents();
    EXPECT_EQ(list->columnWidth(1), 2 * list->width());
    EXPECT_GE(list->columnWidth(1), QFontMetrics(list->font()).horizontalAdvance(text) + 8)
        << "the text fits its column";
    shown.dlg.hide();
}

INSTANTIATE_TEST_SUITE_P(Widths, LabelEditWidth, ::testing::Values(560, 800, 1200));
