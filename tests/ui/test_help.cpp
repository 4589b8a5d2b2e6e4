// The help service: help specs, help files in the module's help window,
// web addresses handed to the desktop, and bad input.
#include "ui/zun_help.h"

#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg.h"
#include "render/qt/zun_qstring.h"
#include "tests/contracts/data/test_tmp_dir.h"
#include "tests/ui/url_recorder.h"
#include "ui/zun_help_p.h"
#include "ui/zun_help_window_p.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QHelpEngineCore>
#include <QHelpLink>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

using namespace ZUN;

namespace {

CZunString wide(const std::filesystem::path& path) { return CZunString::fromUtf8(path.string()); }

const QString kEnglish = QStringLiteral("zun.module.help.en");
const QString kGerman = QStringLiteral("zun.module.help.de");

// Every case starts without engine and window, in a known language, with
// web addresses caught instead of opened.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        helpReset();
        m_lang = msgLangSet(L"en");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        dataDirAdd(wide(data.path()));
    }
    void TearDown() override
    {
        dataDirRemove(wide(data.path()));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        helpCollectionFolderSet(QString());
        helpReset();
        msgLangSet(m_lang.c_str());
    }

    UrlRecorder recorder;
    CTestTmpDir data;

private:
    CZunString m_lang;
};

QString pageOf(const QUrl& url)
{
    return url.path().section(QLatin1Char('/'), -1);
}

// The colour of the page's first heading: the pages' style sheet makes it
// blue, the browser's default is black.
QColor headingColor(const CZunHelpWindow& window)
{
    for (QTextBlock block = window.browser()->document()->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() == 1)
            return block.charFormat().foreground().color();
    return {};
}

} // namespace

// ---- specs ------------------------------------------------------------------

struct SpecCase {
    const wchar_t* spec;
    const wchar_t* name;
    const wchar_t* topic;
};

void PrintTo(const SpecCase& c, std::ostream* out)
{
    *out << '"' << CZunString(c.spec) << '"';
}

class HelpSpecSplit : public ::testing::TestWithParam<SpecCase> {};

TEST_P(HelpSpecSplit, NameAndTopic)
{
    const HelpSpec parts = helpSpecSplit(GetParam().spec);
    EXPECT_EQ(parts.name, GetParam().name);
    EXPECT_EQ(parts.topic, GetParam().topic);
}

INSTANTIATE_TEST_SUITE_P(Specs, HelpSpecSplit, ::testing::Values(
    SpecCase{L"outline", L"Zun", L"outline"},              // no backslash: the module's help
    SpecCase{L"Zun\\units", L"Zun", L"units"},
    SpecCase{L"Other\\label", L"Other", L"label"},          // the first part names the help
    SpecCase{L"a\\b\\c", L"a", L"b"},                       // further parts are not used
    SpecCase{L"a\\\\b", L"a", L"b"},                        // empty parts do not count
    SpecCase{L"Zun\\", L"Zun", L"Zun\\"},                   // one part: the whole spec is the topic
    SpecCase{L"\\outline", L"Zun", L"\\outline"},
    SpecCase{L"", L"Zun", L""},
    SpecCase{nullptr, L"Zun", L""}));

TEST(HelpWebAddress, TopicReplacedEverywhereOrAddressUnchanged)
{
    EXPECT_EQ(helpWebAddress(L"https://h.example/<topic>/x?q=<topic>", L"units"),
              QUrl(QStringLiteral("https://h.example/units/x?q=units")));
    EXPECT_EQ(helpWebAddress(L"https://h.example/start", L"units"), QUrl(QStringLiteral("https://h.example/start")));
    EXPECT_TRUE(helpIsWebAddress(L"HTTPS://h.example"));
    EXPECT_TRUE(helpIsWebAddress(L"Http://h.example"));
    EXPECT_FALSE(helpIsWebAddress(L"/usr/share/zun/help/Zun.qch"));
    EXPECT_FALSE(helpIsWebAddress(L"htt"));
}

// ---- the shipped help file --------------------------------------------------

TEST_F(HelpTest, ShippedHelpIsFoundInTheBuildTreeForEachLanguage)
{
    EXPECT_EQ(help_find(L"Zun"), CZunString::fromUtf8(ZUN_BUILD_DATA_DIR "/help/Zun.qch"));
    msgLangSet(L"de");
    EXPECT_EQ(help_find(L"Zun"), CZunString::fromUtf8(ZUN_BUILD_DATA_DIR "/help/de/Zun.qch"));
    msgLangSet(L"fr");  // no French help: the English one
    EXPECT_EQ(help_find(L"Zun"), CZunString::fromUtf8(ZUN_BUILD_DATA_DIR "/help/Zun.qch"));
}

struct KeywordCase {
    const char* keyword;
    const char* page;
    const char* english;
    const char* german;
};

void PrintTo(const KeywordCase& c, std::ostream* out)
{
    *out << c.keyword;
}

class HelpKeywords : public HelpTest, public ::testing::WithParamInterface<KeywordCase> {};

// Each dialog's topic has one page with a title in both languages.
TEST_P(HelpKeywords, OnePagePerDialogInEachLanguage)
{
    const KeywordCase& c = GetParam();
    for (const auto& [lang, nameSpace, title] : {std::tuple{L"en", kEnglish, c.english}, std::tuple{L"de", kGerman, c.german}}) {
        msgLangSet(lang);
        ASSERT_TRUE(help((CZunString(L"Zun\\") + CZunString::fromUtf8(c.keyword)).c_str())) << c.keyword;
        CZunHelpWindow* window = helpWindow(false);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->currentUrl().host(), nameSpace);
        EXPECT_EQ(pageOf(window->currentUrl()), QString::fromUtf8(c.page));
        EXPECT_EQ(window->currentTitle(), QString::fromUtf8(title));
        EXPECT_TRUE(window->windowTitle().startsWith(QString::fromUtf8(title))) << window->windowTitle().toStdString();
        EXPECT_TRUE(window->statusText().isEmpty());
        EXPECT_EQ(headingColor(*window), QColor(0x1d, 0x4f, 0x7c)) << "the style sheet was not applied";
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, HelpKeywords, ::testing::Values(
    KeywordCase{"dialogs", "index.html", "Zun dialogs", "Zun-Dialoge"},
    KeywordCase{"about", "about.html", "Info", "Info"},
    KeywordCase{"outline", "outline.html", "Outline", "Kontur"},
    KeywordCase{"material", "material.html", "Material selection", "Materialauswahl"},
    KeywordCase{"units", "units.html", "Select unit", "Einheit wählen"},
    KeywordCase{"label", "label.html", "Label", "Bezeichnung"},
    KeywordCase{"machining", "machining.html", "Machining of an assembly", "Bearbeitung einer Baugruppe"},
    KeywordCase{"folder", "folder.html", "Choose folder", "Ordner wählen"},
    KeywordCase{"file", "file.html", "Open file", "Datei öffnen"}));

// Every link of every page leads to a page of the same file.
TEST_F(HelpTest, PagesLinkOnlyToPagesTheFileHas)
{
    for (const wchar_t* lang : {L"en", L"de"}) {
        msgLangSet(lang);
        ASSERT_TRUE(help(L"dialogs"));
        QHelpEngineCore* engine = helpEngine();
        ASSERT_NE(engine, nullptr);
        const QString nameSpace = helpWindow(false)->currentUrl().host();
        const QList<QUrl> pages = engine->files(nameSpace, QString(), QStringLiteral("html"));
        EXPECT_EQ(pages.size(), 9);
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#]+)"));
        int links = 0;
        for (const QUrl& page : pages) {
            const QString html = QString::fromUtf8(engine->fileData(page));
            for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
                const QUrl target = page.resolved(QUrl(it.next().captured(1)));
                EXPECT_FALSE(engine->fileData(target).isEmpty()) << page.toString().toStdString() << " -> "
                                                                 << target.toString().toStdString();
            }
        }
        EXPECT_GT(links, 20);
    }
}

// ---- help(spec) from end to end ---------------------------------------------

// Unusable: the name has a help location that cannot be shown; help() still
// reports it as found.
enum class Shown { Page, Address, Unusable, Nothing };

struct RouteCase {
    const wchar_t* spec;
    Shown shown;
    const char* expected;   // the page, or the web address
    bool keywordMissing;
};

void PrintTo(const RouteCase& c, std::ostream* out)
{
    *out << '"' << CZunString(c.spec) << '"';
}

class HelpRoutes : public HelpTest, public ::testing::WithParamInterface<RouteCase> {
protected:
    void SetUp() override
    {
        HelpTest::SetUp();
        data.write("help/Web.url", "\n  https://help.example.org/zun/<topic>.html  \n");
        data.write("help/Plain.url", "https://help.example.org/start\n");
        data.write("help/Ftp.url", "ftp://help.example.org/<topic>\n");
        data.write("help/Broken.qch", "this is no help file");
    }
};

TEST_P(HelpRoutes, SpecOpensThePageOrTheAddress)
{
    const RouteCase& c = GetParam();
    const bool opened = help(c.spec);
    EXPECT_EQ(opened, c.shown != Shown::Nothing) << "true exactly when the name has a help location";
    CZunHelpWindow* window = helpWindow(false);
    switch (c.shown) {
    case Shown::Page:
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->currentUrl().host(), kEnglish);
        EXPECT_EQ(pageOf(window->currentUrl()), QString::fromUtf8(c.expected));
        EXPECT_EQ(window->statusText().isEmpty(), !c.keywordMissing) << window->statusText().toStdString();
        EXPECT_TRUE(recorder.urls.isEmpty());
        break;
    case Shown::Address:
        EXPECT_EQ(window, nullptr) << "a web address needs no help window";
        ASSERT_EQ(recorder.urls.size(), 1);
        EXPECT_EQ(recorder.urls[0], QUrl(QString::fromUtf8(c.expected)));
        break;
    case Shown::Unusable:
    case Shown::Nothing:
        EXPECT_EQ(window, nullptr);
        EXPECT_TRUE(recorder.urls.isEmpty());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Specs, HelpRoutes, ::testing::Values(
    RouteCase{L"outline", Shown::Page, "outline.html", false},
    RouteCase{L"Zun\\units", Shown::Page, "units.html", false},
    RouteCase{L"Zun\\LABEL", Shown::Page, "label.html", false},            // topics in any case
    RouteCase{L"Zun.qch\\folder", Shown::Page, "folder.html", false},
    RouteCase{L"Zun\\nosuchtopic", Shown::Page, "index.html", true},       // the start page stays
    RouteCase{L"", Shown::Page, "index.html", false},
    RouteCase{L"Zun\\", Shown::Page, "index.html", true},
    RouteCase{L"Web\\label", Shown::Address, "https://help.example.org/zun/label.html", false},
    RouteCase{L"Plain\\label", Shown::Address, "https://help.example.org/start", false},
    RouteCase{L"https://help.example.org/find?q=<topic>\\file", Shown::Address,
              "https://help.example.org/find?q=file", false},
    RouteCase{L"Missing\\outline", Shown::Nothing, "", false},
    RouteCase{L"Broken\\outline", Shown::Unusable, "", false},              // not a help file
    RouteCase{L"Ftp\\outline", Shown::Nothing, "", false}));                // not a web address

TEST_F(HelpTest, TopicOpensAfterTheStartPageAndLinksAreFollowed)
{
    ASSERT_TRUE(help(L"Zun\\outline"));
    CZunHelpWindow* window = helpWindow(false);
    ASSERT_NE(window, nullptr);
    CZunHelpBrowser* browser = window->browser();
    ASSERT_TRUE(browser->isBackwardAvailable());
    browser->backward();
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("index.html"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Zun dialogs – Help"));

    // A page link stays in the window; a web link goes to the desktop.
    emit browser->anchorClicked(QUrl(QStringLiteral("material.html")));
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("material.html"));
    emit browser->anchorClicked(QUrl(QStringLiteral("https://help.example.org/more")));
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("material.html"));
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls[0], QUrl(QStringLiteral("https://help.example.org/more")));

    // The same window serves the next request.
    ASSERT_TRUE(help(L"units"));
    EXPECT_EQ(helpWindow(false), window);
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("units.html"));
}

TEST_F(HelpTest, GermanKeywordsAndTexts)
{
    msgLangSet(L"de");
    ASSERT_TRUE(help(L"Zun\\Kontur"));
    CZunHelpWindow* window = helpWindow(false);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->currentUrl().host(), kGerman);
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("outline.html"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kontur – Hilfe"));
    ASSERT_TRUE(help(L"Zun\\gibtsnicht"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Kein Hilfethema zu „gibtsnicht“."));
}

TEST_F(HelpTest, HelpOpenTakesLocationsDirectly)
{
    const CZunString shipped = help_find(L"Zun");
    EXPECT_TRUE(helpOpen(nullptr, shipped, L"machining"));
    EXPECT_EQ(pageOf(helpWindow(false)->currentUrl()), QStringLiteral("machining.html"));

    EXPECT_TRUE(helpOpen(nullptr, L"HTTP://help.example.org/<topic>", L"a b"));
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls[0].path(), QStringLiteral("/a b"));

    EXPECT_FALSE(helpOpen(nullptr, L"", L"outline"));
    EXPECT_FALSE(helpOpen(nullptr, wide(data.path() / "none.qch"), L"outline"));
    EXPECT_FALSE(helpOpen(nullptr, wide(data.write("empty.qch", "")), L"outline"));
    EXPECT_EQ(pageOf(helpWindow(false)->currentUrl()), QStringLiteral("machining.html")) << "a bad file changes nothing shown";
}

// A second copy of the same help (another path, same namespace) replaces
// the first registration instead of failing.
TEST_F(HelpTest, AnotherCopyOfTheSameHelpIsTakenFromItsOwnPath)
{
    const CZunString shipped = help_find(L"Zun");
    ASSERT_TRUE(helpOpen(nullptr, shipped, L"outline"));
    const std::filesystem::path copy = data.path() / "copy.qch";
    std::filesystem::copy_file(shipped.toUtf8(), copy);
    ASSERT_TRUE(helpOpen(nullptr, wide(copy), L"units"));
    EXPECT_EQ(helpEngine()->documentationFileName(kEnglish), QString::fromStdString(copy.string()));
    EXPECT_EQ(pageOf(helpWindow(false)->currentUrl()), QStringLiteral("units.html"));
}

TEST_F(HelpTest, FailedEngineIsRememberedUntilReset)
{
    // The collection cannot be made below a plain file.
    const std::filesystem::path blocker = data.write("blocker", "a file, not a folder");
    helpCollectionFolderSet(QString::fromStdString((blocker / "help").string()));
    EXPECT_TRUE(help(L"outline")) << "the help is found, though nothing can show it";
    EXPECT_EQ(helpEngine(), nullptr);
    EXPECT_FALSE(helpEngineError().isEmpty());

    // Later calls do not try again, even where it would work now.
    const std::filesystem::path good = data.path() / "collection";
    helpCollectionFolderSet(QString::fromStdString(good.string()));
    EXPECT_TRUE(help(L"outline"));
    EXPECT_FALSE(helpOpen(nullptr, help_find(L"Zun"), L"units"));
    EXPECT_FALSE(std::filesystem::exists(good)) << "no second set-up was tried";
    EXPECT_EQ(helpWindow(true), nullptr);

    // Web addresses need no engine.
    EXPECT_TRUE(helpOpen(nullptr, L"https://help.example.org/<topic>", L"units"));
    EXPECT_EQ(recorder.urls.size(), 1);

    helpReset();
    EXPECT_TRUE(help(L"outline"));
    EXPECT_TRUE(std::filesystem::exists(good / "zun-help.qhc"));
}

TEST_F(HelpTest, PlacedBesideItsOwnerOrCentredOnTheScreen)
{
    QWidget owner;
    owner.setGeometry(50, 60, 200, 150);
    owner.show();
    helpWindow(true)->resize(300, 200);
    ASSERT_TRUE(helpOpen(&owner, help_find(L"Zun"), L"units"));
    EXPECT_EQ(helpWindow(false)->frameGeometry().topLeft(), QPoint(owner.frameGeometry().right() + 8, owner.frameGeometry().top()));
    EXPECT_EQ(helpWindow(false)->size(), QSize(300, 200));
    // Once placed, it stays where it is.
    helpWindow(false)->move(10, 20);
    ASSERT_TRUE(helpOpen(&owner, help_find(L"Zun"), L"label"));
    EXPECT_EQ(helpWindow(false)->pos(), QPoint(10, 20));

    helpReset();
    owner.hide();
    helpWindow(true)->resize(300, 200);
    ASSERT_TRUE(help(L"units"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offCentre = helpWindow(false)->frameGeometry().center() - screen.center();
    // A window never shown has no frame yet: its margins may shift it a little.
    EXPECT_LE(offCentre.manhattanLength(), 8) << offCentre.x() << ", " << offCentre.y();
}

// Qt blocks every window but a running modal dialog's own: the help window
// joins the dialog while it runs and stays open on its own afterwards.
TEST_F(HelpTest, HelpFromAModalDialogStaysUsableAndOutlivesIt)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Outline"));
    QWidget* parentWhileRunning = reinterpret_cast<QWidget*>(1);
    QString pageAfterClick;
    bool opened = false;
    QTimer::singleShot(0, &dialog, [&] {
        opened = helpOpen(&dialog, help_find(L"Zun"), L"outline");
        CZunHelpWindow* window = helpWindow(false);
        if (window) {
            parentWhileRunning = window->parentWidget();
            // A click through the window handle goes the way of the
            // window system, where Qt drops input to windows a modal
            // dialog blocks (a click on the widget itself would not).
            QToolButton* back = nullptr;
            for (QToolButton* button : window->findChildren<QToolButton*>())
                if (button->text() == QStringLiteral("Back"))
                    back = button;
            if (back && QTest::qWaitForWindowExposed(window)) {
                QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                                  back->mapTo(window, back->rect().center()));
                pageAfterClick = pageOf(window->currentUrl());
            }
        }
        dialog.accept();
    });
    dialog.exec();
    EXPECT_TRUE(opened);
    EXPECT_EQ(parentWhileRunning, &dialog);
    EXPECT_EQ(pageAfterClick, QStringLiteral("index.html")) << "the help window took no input while the dialog ran";
    CZunHelpWindow* window = helpWindow(false);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(pageOf(window->currentUrl()), QStringLiteral("index.html"));
}

#include "moc_url_recorder.cpp"

// With no window manager there is no title bar: the keyboard closes the
// window, wherever the focus is in it.
struct CloseKeyCase {
    const char* name;
    QKeyCombination key;
};

class HelpCloseKey : public HelpTest, public ::testing::WithParamInterface<CloseKeyCase> {};

TEST_P(HelpCloseKey, ClosesTheHelpWindow)
{
    ASSERT_TRUE(help(L"Zun\\outline"));
    CZunHelpWindow* window = helpWindow(false);
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* toolBar = window->findChild<QToolBar*>();
    for (QWidget* focus : {static_cast<QWidget*>(window->browser()), static_cast<QWidget*>(toolBar)}) {
        ASSERT_NE(focus, nullptr);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        focus->setFocus();
        QTest::keyClick(focus, GetParam().key.key(), GetParam().key.keyboardModifiers());
        EXPECT_FALSE(window->isVisible()) << focus->metaObject()->className();
    }
    // Closed, not gone: the next request shows it again.
    ASSERT_TRUE(help(L"units"));
    EXPECT_EQ(helpWindow(false), window);
    EXPECT_TRUE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, HelpCloseKey,
                         ::testing::Values(CloseKeyCase{"Escape", QKeyCombination(Qt::Key_Escape)},
                                           CloseKeyCase{"CtrlW", QKeyCombination(Qt::CTRL, Qt::Key_W)}),
                         [](const auto& info) { return std::string(info.param.name); });
