// Help of a dialog: tool tips and help popups per control by message key,
// the help button shown only with a help file, Help at a topic through the
// help opener, and a missing help file looked for by the user.
#include "tests/ui/ui_test_util.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolTip>
#include <QWhatsThis>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

struct HelpCall {
    QWidget* owner;
    CZunString location;
    CZunString topic;
};
std::vector<HelpCall> g_helpCalls;

bool recordHelp(QWidget* owner, const CZunString& location, const CZunString& topic)
{
    g_helpCalls.push_back({owner, location, topic});
    return true;
}

struct Popup {
    QPoint where;
    QString text;
};
std::vector<Popup> g_popups;

void recordPopup(const QPoint& where, const QString& text, QWidget*)
{
    g_popups.push_back({where, text});
}

// Replaces the help opener and the popup for one test.
class HelpSeams {
public:
    HelpSeams()
        : m_opener(CZunDlg::SetHelpOpener(&recordHelp)), m_shower(CZunDlg::SetPopupShower(&recordPopup))
    {
        g_helpCalls.clear();
        g_popups.clear();
    }
    ~HelpSeams()
    {
        CZunDlg::SetHelpOpener(m_opener);
        CZunDlg::SetPopupShower(m_shower);
    }

private:
    CZunDlg::HelpOpener m_opener;
    CZunDlg::PopupShower m_shower;
};

void addHelpTexts(CTestDlg& dlg)
{
    dlg.m_toolTipKey[1001] = L"ZUN_MFC_0009";   // "Label"
    dlg.m_toolTipKey[1004] = L"ZUN_MFC_0012";   // on a combo box: its line edit asks
    dlg.m_toolTipKey[1002] = L"ZUN_NOT_IN_ANY_CATALOGUE";
    dlg.m_helpKey[1001] = L"ZUN_MFC_0010";      // "No text selected"
    dlg.m_helpKey[1003] = L"\\ZUN_MFC_0011\\.";  // "No text assigned."
    dlg.m_helpKey[0] = L"";
}

QString sendToolTip(QWidget* widget)
{
    QToolTip::hideText();
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The fields dialog made with the help texts above in a language, and
// shown active unless asked not to.
class HelpDlg : public DlgTest {
protected:
    bool make(const wchar_t* country, bool show = true)
    {
        dlg.addTexts = addHelpTexts;
        dlg.SetCountry(country);
        return show ? shown() : dlg.Create();
    }
};

} // namespace

struct ToolTipCase {
    int id;
    const wchar_t* country;
    const char* expected;  // empty: no tool tip of ours
};

void PrintTo(const ToolTipCase& c, std::ostream* os)
{
    *os << c.id << "_" << testName(c.country);
}

class ToolTipTest : public HelpDlg, public ::testing::WithParamInterface<ToolTipCase> {};

TEST_P(ToolTipTest, AControlShowsTheTextOfItsToolTipKey)
{
    const ToolTipCase& c = GetParam();
    ASSERT_TRUE(make(c.country));
    QWidget* control = dlg.GetDlgItem(c.id);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        control = combo->lineEdit();
    EXPECT_EQ(sendToolTip(control), QString::fromUtf8(c.expected));
    QToolTip::hideText();
}

INSTANTIATE_TEST_SUITE_P(Controls, ToolTipTest,
                         ::testing::Values(ToolTipCase{1001, L"en", "Label"}, ToolTipCase{1001, L"de", ""},
                                           ToolTipCase{1001, L"0", "ZUN_MFC_0009"},
                                           ToolTipCase{1004, L"en", "Material selection"},
                                           ToolTipCase{1002, L"en", ""}, ToolTipCase{1003, L"en", ""}));

class ToolTips : public HelpDlg {};
class HelpPopups : public HelpDlg {};
class HelpButton : public HelpDlg {};
class HelpTopic : public HelpDlg {
protected:
    HelpSeams seams;
};

TEST_F(ToolTips, TheTextLivesInOneModuleWideBuffer)
{
    ASSERT_TRUE(make(L"en", false));
    const wchar_t* first = dlg.ToolTip(1001);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, L"Label");
    const wchar_t* second = dlg.ToolTip(1004);
    EXPECT_EQ(second, first) << "the next request overwrites the buffer";
    EXPECT_STREQ(first, L"Material selection");
    EXPECT_EQ(dlg.ToolTip(1007), nullptr);
    // A control's own tool tip shows where the dialog has none.
    dlg.GetDlgItem(1007)->setToolTip(QStringLiteral("eigener"));
    ASSERT_TRUE(showActive(&dlg));
    EXPECT_EQ(sendToolTip(dlg.GetDlgItem(1007)), QStringLiteral("eigener"));
    QToolTip::hideText();
}

TEST_F(HelpPopups, F1AndWhatsThisShowTheControlsHelpTextAtItsCentre)
{
    HelpSeams seams;
    ASSERT_TRUE(make(L"en"));

    QWidget* first = dlg.GetDlgItem(1001);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_F1);
    ASSERT_EQ(g_popups.size(), 1u);
    EXPECT_EQ(g_popups[0].text, QStringLiteral("No text selected"));
    EXPECT_EQ(g_popups[0].where, first->mapToGlobal(first->rect().center()));

    // What's This on a control: asked first whether it has help, then shown.
    QWidget* third = dlg.GetDlgItem(1003);
    QHelpEvent query(QEvent::QueryWhatsThis, QPoint(1, 1), third->mapToGlobal(QPoint(1, 1)));
    query.ignore();
    QApplication::sendEvent(third, &query);
    EXPECT_TRUE(query.isAccepted());
    QHelpEvent ask(QEvent::WhatsThis, QPoint(1, 1), third->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(third, &ask);
    ASSERT_EQ(g_popups.size(), 2u);
    EXPECT_EQ(g_popups[1].text, QStringLiteral("No text assigned."));
    EXPECT_EQ(g_popups[1].where, third->mapToGlobal(third->rect().center()));

    // A control without help text, and the empty key of id 0: nothing shows.
    QWidget* second = dlg.GetDlgItem(1002);
    second->setFocus();
    QTest::keyClick(second, Qt::Key_F1);
    EXPECT_TRUE(dlg.OnHelpInfo(0, QPoint(5, 5)));
    EXPECT_TRUE(dlg.OnHelpInfo(4711, QPoint(5, 5)));
    EXPECT_EQ(g_popups.size(), 2u);
}

TEST_F(HelpPopups, AControlThatIsMissingShowsAtTheMouse)
{
    HelpSeams seams;
    dlg.addTexts = [](CTestDlg& d) { d.m_helpKey[4711] = L"ZUN_MFC_0010"; };
    dlg.SetCountry(L"0");
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.OnHelpInfo(4711, QPoint(33, 44)));
    ASSERT_EQ(g_popups.size(), 1u);
    EXPECT_EQ(g_popups[0].where, QPoint(33, 44));
    EXPECT_EQ(g_popups[0].text, QStringLiteral("ZUN_MFC_0010"));
}

TEST_F(HelpPopups, TheRealPopupOpens)
{
    ASSERT_TRUE(make(L"en"));
    const QWidgetList before = QApplication::topLevelWidgets();
    dlg.OnHelpInfo(1001, QPoint());
    QWidget* popup = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!before.contains(w) && w->isVisible())
            popup = w;
    }
    ASSERT_NE(popup, nullptr) << "a popup window appeared";
    QWhatsThis::hideText();
}

TEST_F(HelpButton, ShowsOnlyWithAHelpFile)
{
    ASSERT_TRUE(dlg.Create());
    QWidget* button = dlg.GetDlgItem(IDHELP);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isVisibleTo(&dlg));

    dlg.SetHelpFile(L"/opt/zun/share/help/Zun.qch");
    EXPECT_TRUE(button->isVisibleTo(&dlg));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(dlg.GetHelpFile(), L"/opt/zun/share/help/Zun.qch");

    dlg.SetHelpFile(nullptr);
    EXPECT_FALSE(button->isVisibleTo(&dlg));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(dlg.GetHelpFile().isEmpty());

    // A folder alone is no help file.
    dlg.SetHelpFile(L"/opt/zun/share/help/");
    EXPECT_FALSE(button->isVisibleTo(&dlg));
    // A web address is one, whatever it ends in.
    dlg.SetHelpFile(L"https://zun.example.org/help/");
    EXPECT_TRUE(button->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.GetHelpFile(), L"https://zun.example.org/help/");
    dlg.DestroyWindow();

    // Set before the window shows: the button follows when it shows.
    CTestDlg later(kTplFields);
    later.SetHelpFile(L"help.qch");
    ASSERT_TRUE(later.Create());
    EXPECT_TRUE(later.GetDlgItem(IDHELP)->isVisible());
}

struct HelpCase {
    const char* name;
    const wchar_t* file;
    const wchar_t* dialogTopic;
    const wchar_t* topic;
    const wchar_t* expectedTopic;
};

void PrintTo(const HelpCase& c, std::ostream* os)
{
    *os << c.name;
}

class HelpTopicTest : public HelpTopic, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpTopicTest, HelpOpensTheLocationAtTheTopic)
{
    const HelpCase& c = GetParam();
    // A readable help file where the case names one.
    CZunString file = c.file;
    if (file == L"<readable>")
        file = CZunString::fromUtf8(settings.dir().write("help/Zun.qch", "not opened here").string());
    dlg.SetHelpFile(file);
    dlg.SetHelpTopic(c.dialogTopic);
    EXPECT_TRUE(dlg.Help(c.topic));
    ASSERT_EQ(g_helpCalls.size(), 1u);
    EXPECT_EQ(g_helpCalls[0].owner, &dlg);
    EXPECT_EQ(g_helpCalls[0].location, file);
    EXPECT_EQ(g_helpCalls[0].topic, c.expectedTopic);
}

INSTANTIATE_TEST_SUITE_P(
    Topics, HelpTopicTest,
    ::testing::Values(HelpCase{"file_own_topic", L"<readable>", L"Kontur", nullptr, L"Kontur"},
                      HelpCase{"file_given_topic", L"<readable>", L"Kontur", L"Filter", L"Filter"},
                      HelpCase{"web", L"https://zun.example.org/help/<topic>.html", L"Info", nullptr, L"Info"},
                      HelpCase{"web_upper_case", L"HTTP://zun.example.org/?q=<topic>", L"", L"Einheit", L"Einheit"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HelpTopic, AMissingHelpFileIsLookedForByTheUser)
{
    const std::string found = settings.dir().write("elsewhere/Zun.qch", "help").string();
    dlg.SetHelpFile(L"/no/such/folder/Zun.qch");
    dlg.SetHelpTopic(L"Kontur");

    QString title;
    QString startFolder;
    whenModal([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(files, nullptr);
        title = files->windowTitle();
        startFolder = files->directory().absolutePath();
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("qch"));
        files->selectFile(QString::fromStdString(found));
        static_cast<QDialog*>(files)->accept();
    });
    EXPECT_TRUE(dlg.Help(nullptr));
    EXPECT_FALSE(title.isEmpty()) << "the system's own title";
    EXPECT_EQ(startFolder, QStringLiteral("/")) << "the nearest folder that exists";
    ASSERT_EQ(g_helpCalls.size(), 1u);
    EXPECT_EQ(g_helpCalls[0].location, CZunString::fromUtf8(found));
    EXPECT_EQ(g_helpCalls[0].topic, L"Kontur");
    EXPECT_EQ(dlg.GetHelpFile(), CZunString::fromUtf8(found)) << "the dialog keeps the file found";
}

TEST_F(HelpTopic, CancellingTheSearchOpensNothing)
{
    dlg.SetHelpFile(L"/no/such/folder/Zun.qch");
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(dlg.Help(L"Kontur"));
    EXPECT_TRUE(g_helpCalls.empty());
    EXPECT_EQ(dlg.GetHelpFile(), L"/no/such/folder/Zun.qch");
}

TEST_F(HelpTopic, TheHelpButtonOpensTheDialogsTopic)
{
    dlg.SetHelpFile(L"https://zun.example.org/<topic>");
    dlg.SetHelpTopic(L"Testdialog");
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(showActive(&dlg));
    QTest::mouseClick(dlg.GetDlgItem(IDHELP), Qt::LeftButton);
    ASSERT_EQ(g_helpCalls.size(), 1u);
    EXPECT_EQ(g_helpCalls[0].topic, L"Testdialog");
    EXPECT_TRUE(dlg.isVisible()) << "help leaves the dialog open";
}

TEST(TabPage, TakesHelpTopicAndLanguageFromTheDialogThatHostsIt)
{
    CTestSettings settings;
    CTestDlg host(kTplHost);
    host.SetHelpFile(L"https://zun.example.org/<topic>");
    host.SetHelpTopic(L"Gastgeber");
    host.SetCountry(L"en");
    ASSERT_TRUE(host.Create());
    auto* tabs = qobject_cast<QTabWidget*>(host.GetDlgItem(3010));
    ASSERT_NE(tabs, nullptr);
    auto* page = new CZunTabPage(kTplPage, tabs);
    tabs->addTab(page, QStringLiteral("Seite"));
    ASSERT_TRUE(page->Create());
    EXPECT_EQ(page->parentDlg(), &host);
    EXPECT_EQ(page->GetHelpFile(), L"https://zun.example.org/<topic>");
    CZunString topic;
    page->GetHelpTopic(topic);
    EXPECT_EQ(topic, L"Gastgeber");
    EXPECT_STREQ(page->country(), L"en");
    EXPECT_FALSE(page->isWindow());
    page->DestroyWindow();
    host.DestroyWindow();
}
