// Controls by id, templates, links, message boxes, the about command, the
// entry helper of the exported dialog functions and the module's start.
#include "tests/ui/ui_test_util.h"

#include "contracts/data/zun_config.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_dlg_item.h"
#include "ui/zun_dlg_run.h"
#include "ui/zun_dlg_template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

using namespace ZUN;

// ---- controls by id ---------------------------------------------------------

struct ItemCase {
    int id;
    const char* className;
    const wchar_t* text;
    bool takesText;
};

void PrintTo(const ItemCase& c, std::ostream* os)
{
    *os << c.id << "_" << c.className;
}

class DlgItemTest : public DlgTest, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(DlgItemTest, ControlsAreFoundAndTextedById)
{
    const ItemCase& c = GetParam();
    QWidget* control = dlg.GetDlgItem(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), c.className);
    EXPECT_EQ(dlgIdOf(control), c.id);
    EXPECT_EQ(dlg.SetDlgItemText(c.id, c.text), c.takesText);
    if (c.takesText) {
        EXPECT_EQ(dlg.GetDlgItemText(c.id), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, DlgItemTest,
                         ::testing::Values(ItemCase{3001, "QLabel", L"Größe ⌀", true},
                                           ItemCase{1001, "QLineEdit", L"12,5", true},
                                           ItemCase{1003, "QLineEdit", L"in der Gruppe", true},
                                           ItemCase{3003, "QGroupBox", L"Gruppe 2", true},
                                           ItemCase{1004, "QComboBox", L"frei", true},
                                           ItemCase{1005, "QComboBox", L"Liste", false},
                                           ItemCase{1006, "QPlainTextEdit", L"a\nb", true},
                                           ItemCase{1007, "QCheckBox", L"&Prüfen", true},
                                           ItemCase{IDOK, "QPushButton", L"Gut", true}));

TEST(DlgItem, AMissingIdGivesNothing)
{
    CTestDlg dlg(kTplFields);
    EXPECT_EQ(dlg.GetDlgItem(4711), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(0), nullptr);
    EXPECT_FALSE(dlg.SetDlgItemText(4711, L"x"));
    EXPECT_TRUE(dlg.GetDlgItemText(4711).isEmpty());
}

TEST(DlgItem, ControlsOfANestedPageAreThePages)
{
    CTestDlg host(kTplHost);
    auto* tabs = qobject_cast<QTabWidget*>(host.GetDlgItem(3010));
    ASSERT_NE(tabs, nullptr);
    auto* page = new CZunTabPage(kTplPage, tabs);
    tabs->addTab(page, QStringLiteral("Seite"));
    EXPECT_EQ(host.GetDlgItem(1001), nullptr);
    EXPECT_NE(page->GetDlgItem(1001), nullptr);
}

TEST(Templates, AnIdWithoutTemplateGivesAClearResult)
{
    EXPECT_FALSE(dlgTemplateExists(4242));
    CTestDlg dlg(4242);
    EXPECT_FALSE(dlg.hasTemplate());
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.Create());
    EXPECT_FALSE(dlg.hasWindow());
    EXPECT_EQ(dlgStackDepth(), 0);
}

namespace {
void oneLabel(QWidget* root)
{
    dlgIdSet(new QLabel(QStringLiteral("eigen"), root), 77);
}
} // namespace

TEST(Templates, CallersAddTemplatesOfTheirOwnButNotOverTheModules)
{
    EXPECT_FALSE(dlgTemplateRegister(100, &oneLabel));
    EXPECT_FALSE(dlgTemplateRegister(kTplFields, &oneLabel));
    EXPECT_FALSE(dlgTemplateRegister(9999, nullptr));
    EXPECT_FALSE(dlgTemplateUnregister(100));

    ASSERT_TRUE(dlgTemplateRegister(9999, &oneLabel));
    {
        CTestDlg dlg(9999);
        EXPECT_EQ(dlg.GetDlgItemText(77), L"eigen");
    }
    EXPECT_TRUE(dlgTemplateUnregister(9999));
    EXPECT_FALSE(dlgTemplateExists(9999));
}

struct ModuleTemplateCase {
    int id;
    const char* title;
    std::vector<int> ids;  // controls the later dialogs rely on
    bool resizable;
};

void PrintTo(const ModuleTemplateCase& c, std::ostream* os)
{
    *os << "template_" << c.id;
}

class ModuleTemplateTest : public ::testing::TestWithParam<ModuleTemplateCase> {};

TEST_P(ModuleTemplateTest, HasItsTitleButtonsAndControls)
{
    const ModuleTemplateCase& c = GetParam();
    CTestSettings settings;
    CTestDlg dlg(c.id);
    ASSERT_TRUE(dlg.hasTemplate());
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(c.title));
    for (int id : c.ids)
        EXPECT_NE(dlg.GetDlgItem(id), nullptr) << "control " << id;
    auto* ok = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.isResizable(), c.resizable);
    EXPECT_FALSE(dlg.windowIcon().isNull()) << "the module's icon";
    if (QWidget* help = dlg.GetDlgItem(IDHELP)) {
        EXPECT_FALSE(help->isVisible()) << "no help file, no help button";
    }
    dlg.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Module, ModuleTemplateTest,
    ::testing::Values(ModuleTemplateCase{100, "Info", {1, 4000, 4001, 4002, 4003}, false},
                      ModuleTemplateCase{200, "Kontur", {1, 2, 9, 5034, 5012, 1059, 1060, 1061, 1062, 4004, 4005, 5008, 5009, 5010, 5011, 5013}, true},
                      ModuleTemplateCase{201, "Filter Konturen", {1, 2, 5029}, true},
                      ModuleTemplateCase{203, "Materialauswahl", {1, 2, 9, 1090}, true},
                      ModuleTemplateCase{204, "Bezeichnung", {1, 2, 9, 1086, 1091}, true},
                      ModuleTemplateCase{2000, "Einheit wählen", {1, 1091}, true}));

TEST(Templates, SizeLimitsOfTheMaterialAndLabelDialogs)
{
    CTestDlg material(203);
    EXPECT_EQ(material.minimumSize(), QSize(300, 150));
    EXPECT_EQ(material.maximumSize(), QSize(700, 900));
    CTestDlg label(204);
    EXPECT_EQ(label.minimumSize(), QSize(500, 250));
}

// ---- links -------------------------------------------------------------------

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class SetLink : public DlgTest {};

TEST_F(SetLink, PlainTextWithoutLinkAnAnchorWithOne)
{
    auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(3002));
    dlg.setLink(3002, L"<b>nicht fett</b>", nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("<b>nicht fett</b>"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);

    dlg.setLink(3002, L"Handbuch", L"https://zun.example.org/manual");
    EXPECT_EQ(label->text(), QStringLiteral("<a href=\"https://zun.example.org/manual\">Handbuch</a>"));

    // A click on the anchor goes to the desktop's handler of the address.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    ASSERT_TRUE(shown());
    const QPoint onText(label->fontMetrics().horizontalAdvance(QStringLiteral("Hand")), label->height() / 2);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, onText);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://zun.example.org/manual")));
}

// ---- message boxes -----------------------------------------------------------------

struct TitleCase {
    const wchar_t* appl;  // null: no "_APPL" in the configuration
    const wchar_t* caption;
    const wchar_t* expected;
};

void PrintTo(const TitleCase& c, std::ostream* os)
{
    *os << "appl_" << testName(c.appl) << "_caption_" << testName(c.caption);
}

class MessageBoxTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(MessageBoxTitleTest, TheApplicationsNameTitlesTheBox)
{
    const TitleCase& c = GetParam();
    CCfgBackup keep;
    CZunDataItem* root = CZunCfgMgr::instance().getCfgRoot();
    root->remove(L"_APPL");
    if (c.appl)
        root->set(c.appl, L"_APPL");
    EXPECT_EQ(messageBoxTitle(c.caption), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, MessageBoxTitleTest,
                         ::testing::Values(TitleCase{L"ZUN", L"Fehler", L"BALDRIX"},
                                           TitleCase{L"ORV", nullptr, L"ORVELA"},
                                           TitleCase{L"Werkstatt", L"Fehler", L"Werkstatt"},
                                           TitleCase{L"ZUNFT", L"x", L"ZUNFT"},
                                           TitleCase{nullptr, L"ZUN", L"BALDRIX"},
                                           TitleCase{nullptr, L"Fehler", L"Fehler"},
                                           TitleCase{nullptr, nullptr, L""}));

struct BoxCase {
    unsigned type;
    QMessageBox::StandardButton press;
    int expected;
    QMessageBox::Icon icon;
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << "type_" << std::hex << c.type << std::dec << "_gives_" << c.expected;
}

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxTest, ButtonsIconAndResultFollowTheType)
{
    const BoxCase& c = GetParam();
    CTestSettings settings;
    CZunDlg dlg(kTplFields);
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(c.press)->click();
    });
    EXPECT_EQ(dlg.MessageBoxW(L"Wert zu groß", L"Fehler", c.type), c.expected);
    EXPECT_EQ(title, QStringLiteral("BALDRIX")) << "the shipped configuration names the application ZUN";
    EXPECT_EQ(text, QStringLiteral("Wert zu groß"));
    EXPECT_EQ(icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Types, MessageBoxTest,
    ::testing::Values(BoxCase{MB_OK, QMessageBox::Ok, IDOK, QMessageBox::NoIcon},
                      BoxCase{MB_OKCANCEL | MB_ICONQUESTION, QMessageBox::Cancel, IDCANCEL, QMessageBox::Question},
                      BoxCase{MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::No, IDNO, QMessageBox::Warning},
                      BoxCase{MB_YESNOCANCEL | MB_ICONINFORMATION, QMessageBox::Yes, IDYES, QMessageBox::Information},
                      BoxCase{MB_ABORTRETRYIGNORE | MB_ICONERROR, QMessageBox::Ignore, IDIGNORE, QMessageBox::Critical},
                      BoxCase{MB_RETRYCANCEL, QMessageBox::Retry, IDRETRY, QMessageBox::NoIcon}));

// ---- the about command ------------------------------------------------------------

namespace {
int g_aboutOpened = 0;
void countAbout()
{
    ++g_aboutOpened;
}
} // namespace

class AboutCommand : public DlgTest {};

TEST_F(AboutCommand, TheContextMenuAndAltF1SendTheAboutCommand)
{
    g_aboutOpened = 0;
    dlg.SetCountry(L"en");
    ASSERT_TRUE(dlg.Create());
    {
        std::unique_ptr<QMenu> none(dlg.createSysMenu());
        EXPECT_TRUE(none->isEmpty()) << "offered only when switched on";
    }
    dlg.EnableAboutCommand(&countAbout);
    ASSERT_TRUE(showActive(&dlg));
    std::unique_ptr<QMenu> menu(dlg.createSysMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* about = menu->actions().constFirst();
    EXPECT_EQ(about->text(), QStringLiteral("Ab&out..."));
    EXPECT_EQ(about->data().toUInt(), IDM_ABOUTBOX);
    about->trigger();
    EXPECT_EQ(g_aboutOpened, 1);

    QTest::keyClick(&dlg, Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(g_aboutOpened, 2);

    // The system's own low bits do not matter; other commands do nothing.
    dlg.OnSysCommand(IDM_ABOUTBOX | 0x3);
    dlg.OnSysCommand(0xF060);
    EXPECT_EQ(g_aboutOpened, 3);

    // A right click on the dialog opens the menu.
    whenModal([](QWidget*) {});
    QTimer::singleShot(50, [] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            popup->actions().constFirst()->trigger(), popup->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), dlg.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&dlg, &click);
    EXPECT_EQ(g_aboutOpened, 4);

    dlg.EnableAboutCommand(nullptr);
    QTest::keyClick(&dlg, Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(g_aboutOpened, 4);
}

TEST_F(AboutCommand, TheGermanTextComesFromTheModulesStrings)
{
    EXPECT_EQ(moduleString(IDS_ABOUTBOX), L"Inf&o...");
    EXPECT_TRUE(moduleString(4711).isEmpty());
    dlg.SetCountry(L"de");
    dlg.EnableAboutCommand(&countAbout);
    std::unique_ptr<QMenu> menu(dlg.createSysMenu());
    EXPECT_EQ(menu->actions().constFirst()->text(), QStringLiteral("Inf&o..."));
}

// ---- entry helper ---------------------------------------------------------------------

TEST(EntryHelper, OwnerLanguageAndHelpGoInResultsComeBackOnOk)
{
    CTestSettings settings;
    QWidget owner;
    DlgEnv_st env;
    env.hWndParent = &owner;
    env.country = L"0";
    env.helpFile = L"/opt/zun/help/Zun.qch";
    env.helpTopic = L"Testdialog";

    struct Seen {
        QWidget* parent = nullptr;
        CZunString country, helpFile, helpTopic;
        int moduleDepth = 0;
    } seen;
    CZunString result = L"unverändert";

    for (const bool accept : {false, true}) {
        whenModal([accept](QWidget* modal) {
            auto* dlg = static_cast<CZunDlg*>(modal);
            dlg->SetDlgItemText(1001, L"eingegeben");
            accept ? dlg->accept() : dlg->reject();
        });
        const int r = dlgRunModal<CTestDlgFields>(
            env, kEnvAll,
            [&](CTestDlgFields& dlg) {
                seen.parent = dlg.parentWidget();
                seen.country = dlg.country();
                dlg.GetHelpFile(seen.helpFile);
                dlg.GetHelpTopic(seen.helpTopic);
                seen.moduleDepth = CModuleState::depth();
            },
            [&](CTestDlgFields& dlg) { result = dlg.GetDlgItemText(1001); });
        EXPECT_EQ(r, accept ? IDOK : IDCANCEL);
        EXPECT_EQ(result, accept ? L"eingegeben" : L"unverändert");
    }
    EXPECT_EQ(seen.parent, &owner);
    EXPECT_EQ(seen.country, L"0");
    EXPECT_EQ(seen.helpFile, L"/opt/zun/help/Zun.qch");
    EXPECT_EQ(seen.helpTopic, L"Testdialog");
    EXPECT_EQ(seen.moduleDepth, 1);
    EXPECT_EQ(CModuleState::depth(), 0);
    EXPECT_EQ(dlgStackDepth(), 0);
}

TEST(EntryHelper, OnlyWhatTheFunctionUsesIsCopiedAndFailuresGiveMinusOne)
{
    CTestSettings settings;
    DlgEnv_st env;
    env.country = L"0";
    env.helpTopic = L"nicht benutzt";
    CZunString country, topic;
    int copiedBack = 0;
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(dlgRunModal<CTestDlgFields>(
                  env, kEnvCountry | kCopyBackAlways,
                  [&](CTestDlgFields& dlg) {
                      country = dlg.country();
                      dlg.GetHelpTopic(topic);
                  },
                  [&](CTestDlgFields&) { ++copiedBack; }),
              IDCANCEL);
    EXPECT_EQ(country, L"0");
    EXPECT_TRUE(topic.isEmpty());
    EXPECT_EQ(copiedBack, 1) << "copied back whatever the result";

    // A dialog whose template is missing cannot run.
    EXPECT_EQ(dlgRunModal<CTestDlgMissing>(env, kEnvAll, [](CTestDlgMissing&) {}, [](CTestDlgMissing&) {}), -1);
    // Nothing thrown on the way leaves the module.
    EXPECT_EQ(dlgRunModal<CTestDlgFields>(
                  env, kEnvAll, [](CTestDlgFields&) { throw std::runtime_error("caller's data"); },
                  [](CTestDlgFields&) {}),
              -1);
    EXPECT_EQ(dlgStackDepth(), 0);
}

// ---- module start ---------------------------------------------------------------------

TEST(Module, AttachInstallsTheDefaultCallbackAndDetachUndoesIt)
{
    ASSERT_TRUE(moduleAttached());
    EXPECT_EQ(CZunDlg::msgCallBack(), &msgDefaultCallBack);
    EXPECT_TRUE(zunDialApp().isRunning());
    EXPECT_TRUE(moduleAttach()) << "a second attach changes nothing";

    moduleDetach();
    EXPECT_FALSE(moduleAttached());
    EXPECT_EQ(CZunDlg::msgCallBack(), nullptr) << "the callback found at start";
    EXPECT_TRUE(moduleIcon(IDI_ZUN_MODULE).isNull()) << "resources gone with the module";

    // A host's own callback survives the module's stop.
    ASSERT_TRUE(moduleAttach());
    const ZunMsgCallBack host = [](const wchar_t* key, const wchar_t*, const wchar_t*) { return key; };
    CZunDlg::SetMsgCallBack(host);
    moduleDetach();
    EXPECT_EQ(CZunDlg::msgCallBack(), host);
    CZunDlg::SetMsgCallBack(nullptr);
    ASSERT_TRUE(moduleAttach());
    EXPECT_EQ(CZunDlg::msgCallBack(), &msgDefaultCallBack);
}

TEST(Module, IconsAreDrawnAndFoundById)
{
    for (int id = IDI_ZUN_MODULE; id <= IDI_ZUN_MULTI_LINE; ++id) {
        const QIcon icon = moduleIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(16, 16)) << id;
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(opaque, 40) << "icon " << id << " has a picture";
    }
    EXPECT_TRUE(moduleIcon(1999).isNull());
    EXPECT_TRUE(moduleIcon(2006).isNull());
}

#include "test_dlg_misc.moc"
