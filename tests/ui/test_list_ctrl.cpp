// The report list: selection, cell images, and editing a cell in place
// with the clicks, keys and scrolling that start and end it.

#include "tests/ui/ui_test_util.h"

#include "render/qt/zun_qstring.h"
#include "ui/zun_dlg_item.h"
#include "ui/zun_edit.h"
#include "ui/zun_list_ctrl.h"
#include "ui/zun_msg_callback.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

// A list whose hooks a test sets and counts.
class CTestList : public CZunListCtrl {
public:
    using CZunListCtrl::CZunListCtrl;

    std::set<int> editable{0, 1, 2};  // columns OnAllowEdit agrees to
    bool accept = true;               // OnEndItemEdit's answer
    std::function<void(CZunEdit*)> init;
    int allows = 0, inits = 0, ends = 0, destroys = 0;
    QString endText;                  // the edit's text when OnEndItemEdit ran

protected:
    void OnInitEditCtrl(LVHITTESTINFO*, CZunEdit* edit) override
    {
        ++inits;
        if (init)
            init(edit);
    }
    int OnAllowEdit(LVHITTESTINFO* hit) override
    {
        ++allows;
        return editable.count(hit->iSubItem) ? 1 : 0;
    }
    int OnEndItemEdit(CZunEdit* edit) override
    {
        ++ends;
        endText = edit->text();
        return accept ? 1 : 0;
    }
    void OnDestroyEditCtrl(CZunEdit*) override { ++destroys; }
};

// Template 9022 with a list of 40 rows in three columns (left, right,
// centred) above its field 1001, in a test's own settings folder.
struct ListDialog {
    CTestSettings settings;
    CTestDlg dlg{kTplList};
    CTestList* list = nullptr;

    ListDialog()
    {
        list = new CTestList(&dlg);
        ZUN::dlgIdSet(list, 3030);
        static_cast<QVBoxLayout*>(dlg.layout())->insertWidget(0, list);
        list->InsertColumn(0, L"Name", LVCFMT_LEFT, 120);
        list->InsertColumn(1, L"Wert", LVCFMT_RIGHT, 100);
        list->InsertColumn(2, L"Art", LVCFMT_CENTER, 100);
        for (int row = 0; row < 40; ++row) {
            const CZunString n = CZunString::formatted(L"%d", row);
            list->InsertItem(row, (L"Zeile " + n).c_str());
            list->SetItemText(row, 1, n);
            list->SetItemText(row, 2, L"x");
        }
    }
    ~ListDialog()
    {
        if (dlg.hasWindow())
            dlg.DestroyWindow();
    }
    QPoint cellCentre(int row, int col) const
    {
        return list->visualRect(list->indexFromItem(list->topLevelItem(row), col)).center();
    }
    void click(int row, int col) const { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(row, col)); }
    QLineEdit* field() const { return qobject_cast<QLineEdit*>(dlg.GetDlgItem(1001)); }
    // Lets deleteLater of an ended edit run.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

enum class Ending { ClickOtherRow, ClickSameRow, Scroll, ClickField, TabKey, EscapeKey };

struct EditCase {
    const char* name;
    bool typed;           // "neu" typed into the edit
    bool accept;          // OnEndItemEdit agrees
    Ending ending;
    const char* cell;     // cell (1, 1) afterwards
    int ends;             // calls of OnEndItemEdit
};

std::ostream& operator<<(std::ostream& out, const EditCase& c) { return out << c.name; }

class ListCtrlEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(ListCtrlEdit, ClickSelectedRowTypeAndLeave)
{
    const EditCase& c = GetParam();
    ListDialog d;
    d.list->accept = c.accept;
    ASSERT_TRUE(d.dlg.Create());
    ASSERT_TRUE(showActive(&d.dlg));

    d.click(1, 1);
    EXPECT_EQ(d.list->GetCurSel(), 1);
    EXPECT_EQ(d.list->editCtrl(), nullptr) << "the first click only selects";
    EXPECT_EQ(d.list->allows, 0);

    d.click(1, 1);
    CZunEdit* edit = d.list->editCtrl();
    ASSERT_NE(edit, nullptr) << "a click on the selected row edits the cell";
    EXPECT_EQ(d.list->inits, 1);
    EXPECT_EQ(ZUN::dlgIdOf(edit), 1025);
    EXPECT_EQ(edit->geometry(), d.list->editRect(1, 1));
    EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("1"));
    EXPECT_TRUE(edit->hasFocus());
    if (c.typed)
        QTest::keyClicks(edit, "neu");

    switch (c.ending) {
    case Ending::ClickOtherRow:
        d.click(3, 0);
        break;
    case Ending::ClickSameRow:
        d.click(1, 0);
        break;
    case Ending::Scroll:
        d.list->verticalScrollBar()->setValue(d.list->verticalScrollBar()->maximum());
        break;
    case Ending::ClickField:
        QTest::mouseClick(d.field(), Qt::LeftButton);
        break;
    case Ending::TabKey:
        QTest::keyClick(edit, Qt::Key_Tab);
        break;
    case Ending::EscapeKey:
        QTest::keyClick(edit, Qt::Key_Escape);
        break;
    }
    ListDialog::settle();
    EXPECT_EQ(d.list->editCtrl(), nullptr) << "the edit ended";
    EXPECT_EQ(d.list->findChildren<CZunEdit*>().size(), 0);
    EXPECT_EQ(d.list->destroys, 1);
    EXPECT_EQ(d.list->ends, c.ends);
    EXPECT_EQ(d.list->GetItemText(1, 1).toUtf8(), c.cell);
    EXPECT_EQ(d.list->GetCurSel(), 1) << "the click that ends an edit does nothing else";
    EXPECT_EQ(d.list->inits, 1);
    EXPECT_TRUE(d.dlg.isVisible()) << "ending a cell's edit leaves the dialog open";
}

const EditCase kEditCases[] = {
    {"TypedEndedByClickOnAnotherRow", true, true, Ending::ClickOtherRow, "neu", 1},
    {"TypedEndedByClickOnTheSameRow", true, true, Ending::ClickSameRow, "neu", 1},
    {"TypedEndedByScrolling", true, true, Ending::Scroll, "neu", 1},
    {"TypedEndedByClickOnAnotherControl", true, true, Ending::ClickField, "neu", 1},
    {"TypedEndedByTab", true, true, Ending::TabKey, "neu", 1},
    {"HookRefusesTheText", true, false, Ending::ClickOtherRow, "1", 1},
    {"HookRefusesTheTextOnFocusLoss", true, false, Ending::ClickField, "1", 1},
    {"UnchangedNeverWrites", false, true, Ending::ClickOtherRow, "1", 0},
    {"UnchangedScrolledAway", false, true, Ending::Scroll, "1", 0},
    {"TypedDroppedByEscape", true, true, Ending::EscapeKey, "1", 0},
    {"UnchangedLeftByEscape", false, true, Ending::EscapeKey, "1", 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, ListCtrlEdit, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ListCtrl, OnlyCellsTheHookAllowsAreEdited)
{
    ListDialog d;
    d.list->editable = {0};
    ASSERT_TRUE(d.dlg.Create());
    ASSERT_TRUE(showActive(&d.dlg));
    d.click(2, 1);
    d.click(2, 1);
    EXPECT_EQ(d.list->allows, 1);
    EXPECT_EQ(d.list->editCtrl(), nullptr);
    d.click(2, 0);
    ASSERT_NE(d.list->editCtrl(), nullptr);
    EXPECT_EQ(d.list->editItem(), 2);
    EXPECT_EQ(d.list->editSubItem(), 0);
    EXPECT_EQ(d.list->editCtrl()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    // The base list never edits.
    CZunListCtrl plain;
    plain.InsertColumn(0, L"A");
    plain.InsertItem(0, L"a");
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    plain.SetCurSel(0);
    const QPoint p = plain.visualRect(plain.indexFromItem(plain.topLevelItem(0), 0)).center();
    QTest::mouseClick(plain.viewport(), Qt::LeftButton, {}, p);
    EXPECT_EQ(plain.editCtrl(), nullptr);
}

TEST(ListCtrl, ANumberRefusedByTheEditKeepsItOpen)
{
    ListDialog d;
    d.list->init = [](CZunEdit* edit) {
        edit->setEditFlags(CZunEdit::kInteger, ZUN::kFlagRange, 0, 0, 100);
        edit->setVal(1);
    };
    ZunMsgCallBack previous = CZunDlg::SetMsgCallBack(&ZUN::msgDefaultCallBack);
    ASSERT_TRUE(d.dlg.Create());
    ASSERT_TRUE(showActive(&d.dlg));
    d.click(1, 1);
    d.click(1, 1);
    QPointer<CZunEdit> edit = d.list->editCtrl();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "500");

    QString message;
    whenModal([&](QWidget* box) {
        if (auto* m = qobject_cast<QMessageBox*>(box)) {
            message = m->text();
            m->accept();
        }
    });
    d.click(3, 1);
    ListDialog::settle();
    EXPECT_FALSE(message.isEmpty()) << "the edit checked its entry";
    ASSERT_TRUE(edit);
    EXPECT_EQ(d.list->editCtrl(), edit.data()) << "a refused entry keeps the edit open";
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d.dlg));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(d.list->GetItemText(1, 1), L"1");
    EXPECT_EQ(d.list->ends, 0);
    EXPECT_EQ(d.list->GetCurSel(), 1) << "the click that left the refused entry did nothing";

    edit->selectAll();
    QTest::keyClicks(edit, "42");
    QTest::keyClick(edit, Qt::Key_Tab);
    ListDialog::settle();
    EXPECT_EQ(d.list->editCtrl(), nullptr);
    EXPECT_EQ(d.list->ends, 1);
    EXPECT_EQ(d.list->GetItemText(1, 1), toZun(d.list->endText));
    EXPECT_EQ(d.list->GetItemText(1, 1), L"42");
    CZunDlg::SetMsgCallBack(previous);
}

TEST(ListCtrl, ImagesMoveTheEditRightOfThem)
{
    ListDialog d;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    d.list->SetImageList({QIcon(pixmap)});
    EXPECT_EQ(d.list->SetItemImage(4, 2, 0), 1);
    EXPECT_EQ(d.list->SetItemImage(40, 0, 0), 0);
    EXPECT_EQ(d.list->SetItemImage(4, 7, 0), 0);
    EXPECT_EQ(d.list->GetItemImage(4, 2), 0);
    EXPECT_EQ(d.list->GetItemImage(4, 1), -1);
    EXPECT_FALSE(d.list->topLevelItem(4)->icon(2).isNull());
    ASSERT_TRUE(d.dlg.Create());
    ASSERT_TRUE(showActive(&d.dlg));

    const QRect cell = d.list->visualRect(d.list->indexFromItem(d.list->topLevelItem(4), 2));
    const QRect rect = d.list->editRect(4, 2);
    EXPECT_GE(rect.left(), cell.left() + 16);
    EXPECT_EQ(rect.right(), cell.right() - 2);
    EXPECT_EQ(d.list->editRect(4, 1).left(), d.list->visualRect(d.list->indexFromItem(d.list->topLevelItem(4), 1)).left());

    const LVHITTESTINFO onIcon = d.list->SubItemHitTest(QPoint(cell.left() + 3, cell.center().y()));
    EXPECT_EQ(onIcon.flags, LVHT_ONITEMICON);
    EXPECT_EQ(onIcon.iItem, 4);
    EXPECT_EQ(onIcon.iSubItem, 2);
    const LVHITTESTINFO onLabel = d.list->SubItemHitTest(QPoint(cell.right() - 3, cell.center().y()));
    EXPECT_EQ(onLabel.flags, LVHT_ONITEMLABEL);
    const LVHITTESTINFO beyond = d.list->SubItemHitTest(QPoint(d.list->viewport()->width() - 2, cell.center().y()));
    EXPECT_EQ(beyond.flags, LVHT_NOWHERE);
}

TEST(ListCtrl, SelectionByProgramAndTexts)
{
    ListDialog d;
    ASSERT_TRUE(d.dlg.Create());
    ASSERT_TRUE(showActive(&d.dlg));
    EXPECT_EQ(d.list->GetCurSel(), -1);
    EXPECT_EQ(d.list->SetCurSel(40), 0);
    EXPECT_EQ(d.list->SetCurSel(-1), 0);
    EXPECT_EQ(d.list->GetCurSel(), -1);
    EXPECT_EQ(d.list->SetCurSel(35), 1);
    EXPECT_EQ(d.list->GetCurSel(), 35);
    EXPECT_TRUE(d.list->viewport()->rect().contains(d.cellCentre(35, 0))) << "scrolled into view";
    EXPECT_EQ(d.list->SetCurSel(2), 1);
    EXPECT_EQ(d.list->GetCurSel(), 2);

    EXPECT_EQ(d.list->GetItemText(0, 1), L"0");
    EXPECT_TRUE(d.list->GetItemText(0, 5).isEmpty());
    EXPECT_FALSE(d.list->SetItemText(0, 3, L"x"));
    EXPECT_EQ(d.list->headerItem()->text(1), QStringLiteral("Wert"));
    EXPECT_EQ(d.list->InsertColumn(1, L"Neu", LVCFMT_CENTER), 1);
    EXPECT_EQ(d.list->GetItemText(0, 2), L"0") << "cells move with an inserted column";
    EXPECT_EQ(d.list->GetItemText(0, 1), L"");
    EXPECT_EQ(d.list->headerItem()->text(2), QStringLiteral("Wert"));
    EXPECT_EQ(d.list->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(d.list->headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Texts through the dialog, in its language.
    ZunMsgCallBack previous = CZunDlg::SetMsgCallBack(&ZUN::msgDefaultCallBack);
    d.dlg.SetCountry(L"0");
    EXPECT_EQ(CZunString(d.list->GetMsg(L"ZUN_MFC_0106", L"Hilfe")), L"ZUN_MFC_0106");
    CZunListCtrl lone;
    EXPECT_EQ(CZunString(lone.GetMsg(L"ZUN_MFC_0106", L"Hilfe")), L"Hilfe");
    CZunDlg::SetMsgCallBack(previous);
}

} // namespace
