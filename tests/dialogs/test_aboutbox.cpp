// The about box: template 100 with the module's name and version, a line
// about the module, e-mail and web links, in the dialog's language; opened
// by the about command of the dialogs that offer it.
#include "dialogs/zun_aboutbox.h"

#include "contracts/os/zun_registry.h"
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_dlg_env.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

void whenModal(std::function<void(QDialog*)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        for (int i = 0; i < 200 && !QApplication::activeModalWidget(); ++i)
            QTest::qWait(10);
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        if (!QTest::qWaitForWindowActive(modal))
            qWarning("the modal window did not become active");
        action(modal);
    });
}

QString text(CZunDlg& dlg, int id)
{
    auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(id));
    return label ? label->text() : QString();
}

} // namespace

struct AboutCase {
    const wchar_t* country;
    const char* title;
    const char* version;
    const char* line;
    const char* mail;
    const char* web;
    const char* ok;
};

void PrintTo(const AboutCase& c, std::ostream* os)
{
    for (const wchar_t* ch = c.country; *ch; ++ch)
        *os << static_cast<char>(*ch);
}

class AboutBoxTest : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutBoxTest, ShowsNameVersionAndAddressesInTheDialogsLanguage)
{
    const AboutCase& c = GetParam();
    CTestTmpDir tmp;
    CTestEnv settings("ZUN_SETTINGS_DIR", tmp.str().c_str());
    CAboutboxDlg box;
    box.SetCountry(c.country);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Info")) << "the template's title";
    ASSERT_TRUE(box.Create());
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8(c.title));
    const QString version = QStringLiteral("Zun_2017_19_64_Mfc %1 %2")
                                .arg(QString::fromUtf8(c.version), QString::fromStdWString(ZUN::moduleVersion()));
    EXPECT_EQ(text(box, 4002), version);
    EXPECT_EQ(text(box, 4003), QString::fromUtf8(c.line));
    EXPECT_EQ(text(box, 4000), QStringLiteral("<a href=\"mailto:zun-support@example.org\">%1: zun-support@example.org</a>")
                                   .arg(QString::fromUtf8(c.mail)));
    EXPECT_EQ(text(box, 4001), QStringLiteral("<a href=\"https://zun.example.org\">%1: https://zun.example.org</a>")
                                   .arg(QString::fromUtf8(c.web)));
    EXPECT_EQ(box.GetDlgItemText(IDOK), CZunString::fromUtf8(c.ok));
    // Both address lines are links the desktop opens.
    for (int id : {4000, 4001})
        EXPECT_TRUE(qobject_cast<QLabel*>(box.GetDlgItem(id))->openExternalLinks()) << id;
    EXPECT_FALSE(box.isResizable());
    EXPECT_FALSE(box.windowIcon().isNull());
    box.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Languages, AboutBoxTest,
    ::testing::Values(AboutCase{L"de", "Info", "Version", "Grafik- und Dialogmodul für Bauteile: Bleche, Stäbe, Wände, Bohrungen",
                                "E-Mail", "Internet", "OK"},
                      AboutCase{L"en", "About", "Version",
                                "Graphics and dialog module for construction parts: sheets, bars, walls, drillings",
                                "E-mail", "Web", "OK"},
                      AboutCase{L"0", "ZUN_MFC_0100", "ZUN_MFC_0101", "ZUN_MFC_0102", "ZUN_MFC_0103", "ZUN_MFC_0104",
                                "DLG_001"}));

TEST(AboutBox, TheVersionIsTheBuildsAndTheNameTheModules)
{
    EXPECT_STREQ(ZUN::moduleName(), L"Zun_2017_19_64_Mfc");
    EXPECT_EQ(CZunString(ZUN::moduleVersion()), CZunString::fromUtf8(ZUN_PROJECT_VERSION));
}

TEST(AboutBox, RemembersItsPositionUnderItsGermanTitle)
{
    CTestTmpDir tmp;
    CTestEnv settings("ZUN_SETTINGS_DIR", tmp.str().c_str());
    CAboutboxDlg box;
    box.SetCountry(L"en");
    whenModal([](QDialog* modal) {
        modal->move(150, 120);
        QTest::mouseClick(static_cast<CZunDlg*>(modal)->GetDlgItem(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(box.DoModal(), IDOK);
    std::uint32_t pos = 0;
    EXPECT_TRUE(ZUN::regRead(ZUN::regAppKey(L"ZUN") + L"\\Dialogs\\Info", L"Pos", pos));
    EXPECT_EQ(pos, 150u | (120u << 16));
}

TEST(AboutBox, OpensFromTheAboutCommandOfADialogThatOffersIt)
{
    CTestTmpDir tmp;
    CTestEnv settings("ZUN_SETTINGS_DIR", tmp.str().c_str());
    CZunDlg units(2000);
    units.EnableAboutCommand(&CAboutboxDlg::Show);
    ASSERT_TRUE(units.Create());
    units.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&units));

    QString title;
    QWidget* owner = reinterpret_cast<QWidget*>(1);
    int stackDepth = 0;
    whenModal([&](QDialog* modal) {
        title = modal->windowTitle();
        owner = modal->parentWidget();
        stackDepth = ZUN::dlgStackDepth();
        modal->accept();
    });
    QTest::keyClick(&units, Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(title, QStringLiteral("Info"));
    EXPECT_EQ(owner, nullptr) << "opened without owner";
    EXPECT_EQ(stackDepth, 2);
    EXPECT_EQ(ZUN::dlgStackDepth(), 1);
    units.DestroyWindow();
}
