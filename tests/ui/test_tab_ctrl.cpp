// The tab control: pages made on first display, disabled tabs, the key
// walk, deleting tabs, closing the pages on OK.

#include "tests/ui/ui_test_util.h"

#include "ui/zun_tab_ctrl.h"

#include <QTabBar>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

// A page that counts how often its values were taken.
class CCountingPage : public CZunTabPage {
public:
    CCountingPage() : CZunTabPage(kTplPage) {}
    bool UpdateData(bool save) override
    {
        updates += save ? 1 : 0;
        return true;
    }
    int updates = 0;
};

// A hosting dialog (template 9006) with its tab control and four pages
// "A" to "D", in a test's own settings folder. The pages are declared
// before the dialog, so the dialog, and with it the tab control, goes
// first: the control must hand them back.
struct TabHost {
    CTestSettings settings;
    std::vector<std::unique_ptr<CCountingPage>> pages;
    CTestDlg host{kTplTabs};
    CZunTabCtrl* tabs = nullptr;

    explicit TabHost(int count = 4)
    {
        for (int i = 0; i < count; ++i)
            pages.push_back(std::make_unique<CCountingPage>());
        tabs = qobject_cast<CZunTabCtrl*>(host.GetDlgItem(3010));
        const wchar_t* labels[] = {L"A", L"B", L"C", L"D", L"E", L"F"};
        for (int i = 0; i < count; ++i)
            tabs->InsertItem(-1, labels[i], pages[static_cast<size_t>(i)].get(), 9100 + i);
    }
    ~TabHost()
    {
        if (host.hasWindow())
            host.DestroyWindow();
    }
    int pageIndex(const QWidget* page) const
    {
        for (size_t i = 0; i < pages.size(); ++i)
            if (pages[i].get() == page)
                return static_cast<int>(i);
        return -1;
    }
    // The page the user sees: the current one of the widget.
    int shownPage() const { return pageIndex(tabs->currentWidget()); }
    QWidget* field(int page) const { return pages[static_cast<size_t>(page)]->GetDlgItem(1001); }
};

} // namespace

TEST(TabCtrl, FirstTabShownAtOnceLaterInsertionsKeepTheShownPage)
{
    TabHost t(0);
    ASSERT_NE(t.tabs, nullptr);
    CCountingPage a, b, c;
    EXPECT_EQ(t.tabs->InsertItem(0, L"A", nullptr, 1), 0) << "a null page is refused";
    EXPECT_EQ(t.tabs->count(), 0);
    EXPECT_EQ(t.tabs->GetCurSel(), -1);

    EXPECT_EQ(t.tabs->InsertItem(-1, L"A", &a, 9101), 0);
    EXPECT_TRUE(a.hasWindow()) << "the first page is made at once";
    EXPECT_EQ(t.tabs->GetCurSel(), 0);
    EXPECT_EQ(t.tabs->InsertItem(7, L"B", &b, 9102), 1) << "beyond the end appends";
    EXPECT_FALSE(b.hasWindow()) << "pages are made when first shown";
    EXPECT_EQ(t.tabs->InsertItem(0, L"C", &c, 9103), 0);
    EXPECT_EQ(t.tabs->GetCurSel(), 1) << "the shown page keeps being shown";
    EXPECT_EQ(t.tabs->currentWidget(), &a);
    EXPECT_EQ(t.tabs->tabText(0), QStringLiteral("C"));

    unsigned idd = 0;
    EXPECT_TRUE(t.tabs->GetDlgIDD(2, idd));
    EXPECT_EQ(idd, 9102u);
    EXPECT_FALSE(t.tabs->GetDlgIDD(3, idd));
    EXPECT_FALSE(t.tabs->GetDlgIDD(-1, idd));
    EXPECT_EQ(idd, 9102u);

    // The page is placed below the tabs, inside the control.
    ASSERT_TRUE(t.host.Create());
    const QRect bar = t.tabs->tabBar()->geometry();
    const QRect page = QRect(a.mapTo(t.tabs, QPoint(0, 0)), a.size());
    EXPECT_GE(page.top(), bar.bottom());
    EXPECT_TRUE(t.tabs->rect().contains(page));

    EXPECT_EQ(t.tabs->SetCurSel(2), 1);
    EXPECT_TRUE(b.hasWindow());
    EXPECT_EQ(t.tabs->SetCurSel(2), 2) << "the shown tab again changes nothing";
    EXPECT_EQ(t.tabs->SetCurSel(5), 2);
    EXPECT_EQ(t.tabs->SetCurSel(-1), 2);
    t.tabs->DeleteAllItems();
}

// ---- keys ---------------------------------------------------------------------------

struct KeyWalk {
    const char* name;
    int tabs;
    std::set<int> disabled;
    int start;
    bool back;               // Ctrl+Shift+Tab instead of Ctrl+Tab
    std::vector<int> seen;   // the tab shown after each press
};

std::ostream& operator<<(std::ostream& out, const KeyWalk& w) { return out << w.name; }

class TabCtrlKeys : public ::testing::TestWithParam<KeyWalk> {};

TEST_P(TabCtrlKeys, CtrlTabFromAPageField)
{
    const KeyWalk& w = GetParam();
    TabHost t(w.tabs);
    ASSERT_TRUE(t.host.Create());
    ASSERT_TRUE(showActive(&t.host));
    t.tabs->SetCurSel(w.start);
    for (int i : w.disabled)
        EXPECT_TRUE(t.tabs->EnableTab(i, false));
    EXPECT_EQ(t.tabs->GetCurSel(), w.start) << "disabling a tab does not move the selection";
    EXPECT_EQ(t.shownPage(), w.start);

    std::vector<int> seen;
    for (size_t n = 0; n < w.seen.size(); ++n) {
        // The key comes from the focused field of the shown page, as the
        // user types it; the page forwards it to the tab control.
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, w.back ? Qt::Key_Backtab : Qt::Key_Tab,
                        w.back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        seen.push_back(t.tabs->GetCurSel());
        EXPECT_EQ(t.shownPage(), t.tabs->GetCurSel());
        EXPECT_TRUE(t.field(t.tabs->GetCurSel())->hasFocus()) << "the shown page has the focus";
    }
    EXPECT_EQ(seen, w.seen);
    for (int i : w.disabled) {
        if (i != 0 && i != w.start) {  // shown before they were disabled
            EXPECT_FALSE(t.pages[static_cast<size_t>(i)]->hasWindow()) << "a disabled tab's page is never made";
        }
    }
    EXPECT_TRUE(t.host.isVisible());
}

const KeyWalk kKeyWalks[] = {
    {"ForwardWrapsToTheFirst", 4, {}, 0, false, {1, 2, 3, 0, 1}},
    {"BackWrapsToTheLast", 4, {}, 0, true, {3, 2, 1, 0}},
    {"DisabledTabsSkipped", 5, {1, 2}, 0, false, {3, 4, 0, 3}},
    {"DisabledTabsSkippedBackwards", 5, {1, 4}, 0, true, {3, 2, 0, 3}},
    {"OnlyTheShownTabEnabled", 4, {1, 2, 3}, 0, false, {0, 0}},
    {"OnlyTheShownTabEnabledBackwards", 4, {1, 2, 3}, 0, true, {0}},
    {"EveryTabDisabledStopsAfterOneRound", 3, {0, 1, 2}, 1, false, {1, 1}},
    {"SingleTab", 1, {}, 0, false, {0}},
};

INSTANTIATE_TEST_SUITE_P(Walks, TabCtrlKeys, ::testing::ValuesIn(kKeyWalks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TabCtrl, CtrlTabOnTheBarAndEscapeSwallowed)
{
    TabHost t(3);
    ASSERT_TRUE(t.host.Create());
    ASSERT_TRUE(showActive(&t.host));
    t.tabs->EnableTab(1, false);
    t.tabs->tabBar()->setFocus();
    QTest::keyClick(t.tabs->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(t.tabs->GetCurSel(), 2);

    // Escape in a page's field closes neither the page nor the dialog.
    QList<int> results;
    QObject::connect(&t.host, &QDialog::finished, [&](int r) { results << r; });
    QWidget* field = t.field(2);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    QTest::keyClick(t.tabs->tabBar(), Qt::Key_Escape);
    EXPECT_TRUE(results.isEmpty());
    EXPECT_TRUE(t.host.isVisible());
    EXPECT_TRUE(t.pages[2]->isVisible());

    // Enter in a page is the hosting dialog's: its default button ends it.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(results, QList<int>{IDOK});
}

TEST(TabCtrl, MouseOnADisabledTabKeepsThePage)
{
    TabHost t(3);
    ASSERT_TRUE(t.host.Create());
    ASSERT_TRUE(showActive(&t.host));
    EXPECT_TRUE(t.tabs->EnableTab(1, false));
    EXPECT_FALSE(t.tabs->isTabEnabled(1));
    EXPECT_FALSE(t.tabs->tabBar()->isTabEnabled(1)) << "a disabled tab is greyed";
    EXPECT_FALSE(t.tabs->EnableTab(3, false));
    EXPECT_FALSE(t.tabs->isTabEnabled(3));

    QTabBar* bar = t.tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(t.tabs->GetCurSel(), 0);
    EXPECT_EQ(t.shownPage(), 0);
    EXPECT_FALSE(t.pages[1]->hasWindow());
    EXPECT_EQ(t.tabs->SetCurSel(1), 0) << "nor by program";
    EXPECT_EQ(t.tabs->GetCurSel(), 0);

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(t.tabs->GetCurSel(), 2);
    EXPECT_EQ(t.shownPage(), 2);
    EXPECT_TRUE(t.pages[2]->hasWindow());
    EXPECT_TRUE(t.field(2)->hasFocus());

    // Disabling the shown tab leaves its page shown and usable.
    EXPECT_TRUE(t.tabs->EnableTab(2, false));
    EXPECT_EQ(t.shownPage(), 2);
    EXPECT_TRUE(t.field(2)->isEnabled());
    EXPECT_TRUE(t.tabs->EnableTab(1, true));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(t.tabs->GetCurSel(), 1);
}

// ---- deleting -----------------------------------------------------------------------

struct Deletion {
    const char* name;
    int shown;
    int deleted;
    int result;
    int curSel;      // afterwards
    int shownPage;   // the page shown afterwards (index among the four made)
};

std::ostream& operator<<(std::ostream& out, const Deletion& d) { return out << d.name; }

class TabCtrlDelete : public ::testing::TestWithParam<Deletion> {};

TEST_P(TabCtrlDelete, KeepsOrMovesTheShownPage)
{
    const Deletion& d = GetParam();
    TabHost t(4);
    ASSERT_TRUE(t.host.Create());
    t.tabs->SetCurSel(d.shown);
    EXPECT_EQ(t.tabs->DeleteItem(d.deleted), d.result);
    EXPECT_EQ(t.tabs->GetCurSel(), d.curSel);
    EXPECT_EQ(t.shownPage(), d.shownPage);
    EXPECT_EQ(t.tabs->count(), d.result ? 3 : 4);
    EXPECT_EQ(t.tabs->GetItemCount(), t.tabs->count());
    if (d.result) {
        CCountingPage& gone = *t.pages[static_cast<size_t>(d.deleted)];
        EXPECT_FALSE(gone.hasWindow()) << "the deleted tab's page window ends";
        EXPECT_EQ(gone.parentWidget(), nullptr) << "and the page is handed back";
        EXPECT_TRUE(t.pages[static_cast<size_t>(d.shownPage)]->hasWindow());
    }
}

const Deletion kDeletions[] = {
    {"BeforeTheShownOne", 2, 0, 1, 1, 2},
    {"AfterTheShownOne", 1, 3, 1, 1, 1},
    {"TheShownOneShowsTheNext", 1, 1, 1, 1, 2},
    {"TheShownLastShowsTheNewLast", 3, 3, 1, 2, 2},
    {"OutOfRange", 1, 4, 0, 1, 1},
    {"Negative", 1, -1, 0, 1, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, TabCtrlDelete, ::testing::ValuesIn(kDeletions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TabCtrl, DeleteAllAndPagesOutliveTheControl)
{
    CTestSettings settings;
    auto t = std::make_unique<TabHost>(3);
    ASSERT_TRUE(t->host.Create());
    t->tabs->SetCurSel(2);
    EXPECT_EQ(t->tabs->DeleteAllItems(), 1);
    EXPECT_EQ(t->tabs->count(), 0);
    EXPECT_EQ(t->tabs->GetCurSel(), -1);
    for (const auto& page : t->pages) {
        EXPECT_FALSE(page->hasWindow());
        EXPECT_EQ(page->parentWidget(), nullptr);
    }
    EXPECT_EQ(t->tabs->DeleteItem(0), 0);

    // A control destroyed with its dialog hands its pages back unharmed.
    auto host = std::make_unique<CTestDlg>(kTplTabs);
    auto* tabs = qobject_cast<CZunTabCtrl*>(host->GetDlgItem(3010));
    CCountingPage kept;
    tabs->InsertItem(-1, L"K", &kept, 1);
    ASSERT_TRUE(host->Create());
    host.reset();
    EXPECT_EQ(kept.parentWidget(), nullptr);
    EXPECT_FALSE(kept.hasWindow());
}

TEST(TabCtrl, APageDeletedByItsOwnerTakesItsTab)
{
    TabHost t(3);
    ASSERT_TRUE(t.host.Create());
    t.tabs->SetCurSel(2);
    t.pages[0].reset();
    EXPECT_EQ(t.tabs->count(), 2);
    EXPECT_EQ(t.tabs->GetItemCount(), 2);
    EXPECT_EQ(t.tabs->GetCurSel(), 1);
    EXPECT_EQ(t.tabs->GetDlg(1), t.pages[2].get());
    EXPECT_EQ(t.shownPage(), 2);

    // The shown page goes: the one now at its place (here the last) shows.
    t.pages[2].reset();
    EXPECT_EQ(t.tabs->count(), 1);
    EXPECT_EQ(t.tabs->GetCurSel(), 0);
    EXPECT_EQ(t.tabs->currentWidget(), t.pages[1].get());
    EXPECT_TRUE(t.pages[1]->hasWindow());
}

TEST(TabCtrl, OnOkTakesAndClosesEveryMadePage)
{
    TabHost t(3);
    ASSERT_TRUE(t.host.Create());
    t.tabs->SetCurSel(2);
    t.tabs->OnOk();
    EXPECT_EQ(t.pages[0]->updates, 1);
    EXPECT_EQ(t.pages[1]->updates, 0) << "a page never shown has no values to take";
    EXPECT_EQ(t.pages[2]->updates, 1);
    EXPECT_FALSE(t.pages[0]->isVisible());
    EXPECT_FALSE(t.pages[2]->isVisible());
    EXPECT_TRUE(t.host.isVisible());
}
