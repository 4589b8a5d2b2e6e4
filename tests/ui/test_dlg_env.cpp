// The dialog environment record and the dialog stack: the owner of a new
// dialog is the innermost open captioned module dialog, else the host's
// window, else the active window; tab pages never touch the stack.
#include "tests/ui/ui_test_util.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_msg.h"
#include "ui/zun_dlg_env.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace ZUN;

namespace {

class HostWindow {
public:
    explicit HostWindow(bool asApplic)
    {
        m_window.setWindowTitle(QStringLiteral("Host"));
        m_window.resize(200, 100);
        if (asApplic)
            DlgEnv_st::hWndApplic = &m_window;
    }
    ~HostWindow() { DlgEnv_st::hWndApplic = nullptr; }
    QWidget* window() { return &m_window; }

private:
    QWidget m_window;
};

} // namespace

struct OwnerCase {
    int openDialogs;   // captioned module dialogs open, each owned by the last
    bool applicSet;    // the host stored its main window
    const char* name;
};

void PrintTo(const OwnerCase& c, std::ostream* os)
{
    *os << c.name;
}

class OwnerChoiceTest : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(OwnerChoiceTest, TheInnermostOpenDialogOwnsTheNextOne)
{
    const OwnerCase& c = GetParam();
    CTestSettings settings;
    HostWindow host(c.applicSet);
    ASSERT_TRUE(showActive(host.window()));
    ASSERT_EQ(dlgStackDepth(), 0);

    std::vector<std::unique_ptr<CTestDlg>> open;
    for (int i = 0; i < c.openDialogs; ++i) {
        DlgEnv_st env;
        open.push_back(std::make_unique<CTestDlg>(kTplFields, env.parentWnd()));
        EXPECT_EQ(open.back()->isSubDlg(), i > 0);
        ASSERT_TRUE(open.back()->Create());
    }
    ASSERT_EQ(dlgStackDepth(), c.openDialogs);

    const DlgEnv_st env;
    if (c.openDialogs > 0)
        EXPECT_EQ(env.hWndParent, open.back().get()) << "the dialog opened last";
    else
        EXPECT_EQ(env.hWndParent, host.window()) << (c.applicSet ? "hWndApplic" : "the active window");
    EXPECT_EQ(env.parentWnd(), env.hWndParent);
    // Asking did not change the stack.
    EXPECT_EQ(dlgStackDepth(), c.openDialogs);
    if (c.openDialogs > 1) {
        EXPECT_EQ(open[1]->parentWidget(), open[0].get());
    }

    // Closing in reverse order empties the stack again.
    while (!open.empty()) {
        EXPECT_TRUE(open.back()->DestroyWindow());
        open.pop_back();
    }
    EXPECT_EQ(dlgStackDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(Open, OwnerChoiceTest,
                         ::testing::Values(OwnerCase{0, false, "none_active_window"}, OwnerCase{0, true, "none_applic"},
                                           OwnerCase{1, true, "one"}, OwnerCase{2, true, "two"},
                                           OwnerCase{2, false, "two_no_applic"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DlgEnv, WithoutAnyWindowTheOwnerIsNull)
{
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    const DlgEnv_st env;
    EXPECT_EQ(env.hWndParent, nullptr);
    EXPECT_EQ(env.parentWnd(), nullptr);
}

TEST(DlgEnv, DefaultsComeFromTheApplicationAndTheLanguage)
{
    const CZunString before = msgLangSet(L"en");
    zunAppPtr()->setNumberFormat(kFormatArchitectural, 3);
    const DlgEnv_st env;
    EXPECT_EQ(env.format, kFormatArchitectural);
    EXPECT_EQ(env.country, L"en");
    EXPECT_TRUE(env.helpFile.isEmpty());
    EXPECT_TRUE(env.helpTopic.isEmpty());
    zunAppPtr()->setNumberFormat(kFormatDecimal, 2);
    msgLangSet(before);
}

TEST(DlgEnv, CopiesCarryEveryField)
{
    QWidget owner;
    DlgEnvMatTree_st env;
    env.format = kFormatFractional;
    env.country = L"fr";
    env.helpFile = L"/opt/zun/help/Zun.qch";
    env.helpTopic = L"material";
    env.hWndParent = &owner;
    env.matTypes = {L"PHYS", L"SYSTEM"};
    env.physTypes = {L"DENSITY"};
    env.withDrawing = true;
    env.showNames = true;

    const DlgEnvMatTree_st copy(env);
    DlgEnvMatTree_st assigned;
    assigned = env;
    for (const DlgEnvMatTree_st* c : {&copy, static_cast<const DlgEnvMatTree_st*>(&assigned)}) {
        EXPECT_EQ(c->format, kFormatFractional);
        EXPECT_EQ(c->country, L"fr");
        EXPECT_EQ(c->helpFile, L"/opt/zun/help/Zun.qch");
        EXPECT_EQ(c->helpTopic, L"material");
        EXPECT_EQ(c->parentWnd(), &owner);
        ASSERT_EQ(c->matTypes.len(), 2);
        EXPECT_EQ(c->matTypes[1], L"SYSTEM");
        ASSERT_EQ(c->physTypes.len(), 1);
        EXPECT_EQ(c->physTypes[0], L"DENSITY");
        EXPECT_TRUE(c->withDrawing);
        EXPECT_TRUE(c->showNames);
    }
    // Through the base, the copy still names the same owner.
    const DlgEnv_st& base = copy;
    EXPECT_EQ(base.parentWnd(), &owner);
}

TEST(DlgStack, PopsWhatWasPushedLastAndNullWhenEmpty)
{
    EXPECT_EQ(dlgStackPop(), nullptr);
    EXPECT_EQ(dlgStackDepth(), 0);
    QWidget a;
    QWidget b;
    dlgStackPush(&a);
    dlgStackPush(&b);
    EXPECT_EQ(dlgStackTop(), &b);
    EXPECT_EQ(dlgStackPop(), &b);
    EXPECT_EQ(dlgStackPop(), &a);
    EXPECT_EQ(dlgStackPop(), nullptr);
    EXPECT_EQ(dlgStackDepth(), 0);
}

TEST(DlgStack, ADialogDeletedOnTheStackIsNoOwner)
{
    auto gone = std::make_unique<QWidget>();
    dlgStackPush(gone.get());
    gone.reset();
    const DlgEnv_st env;
    EXPECT_EQ(env.hWndParent, QApplication::activeWindow());
    EXPECT_EQ(dlgStackDepth(), 0) << "the stale entry was dropped";
}

TEST(DlgStack, ATabPageLeavesTheStackAlone)
{
    CTestSettings settings;
    CTestDlg host(kTplHost);
    ASSERT_TRUE(host.Create());
    ASSERT_EQ(dlgStackDepth(), 1);
    auto* tabs = qobject_cast<QTabWidget*>(host.GetDlgItem(3010));
    ASSERT_NE(tabs, nullptr);

    auto* page = new CZunTabPage(kTplPage, tabs);
    EXPECT_TRUE(page->isSubDlg()) << "the host was open";
    EXPECT_FALSE(page->hasCaption());
    tabs->addTab(page, QStringLiteral("Seite"));
    ASSERT_TRUE(page->Create());
    EXPECT_EQ(dlgStackDepth(), 1);
    EXPECT_EQ(dlgStackTop(), &host);
    EXPECT_TRUE(page->DestroyWindow());
    delete page;
    EXPECT_EQ(dlgStackDepth(), 1);
    EXPECT_EQ(dlgStackTop(), &host);
    EXPECT_TRUE(host.DestroyWindow());
    EXPECT_EQ(dlgStackDepth(), 0);
}

TEST(DlgStack, AModalRunPushesAndPopsOnce)
{
    CTestSettings settings;
    CTestDlg dlg(kTplFixed);
    int depthDuringRun = -1;
    whenModal([&](QWidget* modal) {
        depthDuringRun = dlgStackDepth();
        EXPECT_EQ(dlgStackTop(), modal);
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(depthDuringRun, 1);
    EXPECT_EQ(dlgStackDepth(), 0);
}
