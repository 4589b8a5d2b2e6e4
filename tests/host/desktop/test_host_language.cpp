// The host's languages: Qt's own dialogs, reasons of unreadable files, the
// view codes and the texts sheet in the message language, and the language
// of a first start.

#include "host_window_fixture.h"

#include "host/desktop/zun_host_language.h"
#include "host/desktop/zun_host_reasons.h"
#include "host/desktop/zun_host_scene.h"
#include "host/desktop/zun_host_settings.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Sets the default locale for one test and puts the suite's back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : m_previous(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

// ---- first start ------------------------------------------------------------------

struct LocaleCase {
    QLocale::Language language;
    QLocale::Territory territory;
    const char* code;
};

class HostLanguageForLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(HostLanguageForLocale, FollowsTheLocaleAtAFirstStartOnly)
{
    const LocaleCase& c = GetParam();
    EXPECT_EQ(zunHostLanguageForLocale(QLocale(c.language, c.territory)), QString::fromLatin1(c.code));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("ZUN_SETTINGS_DIR", dir.path().toLocal8Bit());
    LocaleScope scope(QLocale(c.language, c.territory));
    {
        CZunHostSettings first;
        EXPECT_EQ(first.language(), QString::fromLatin1(c.code));
        // A language chosen once stays, whatever the locale says.
        first.setLanguage(QString::fromLatin1(c.code) == QLatin1String("de") ? QStringLiteral("en")
                                                                             : QStringLiteral("de"));
        first.sync();
    }
    CZunHostSettings again;
    EXPECT_NE(again.language(), QString::fromLatin1(c.code));
}

INSTANTIATE_TEST_SUITE_P(Locales, HostLanguageForLocale,
                         ::testing::Values(LocaleCase{QLocale::German, QLocale::Germany, "de"},
                                           LocaleCase{QLocale::German, QLocale::Austria, "de"},
                                           LocaleCase{QLocale::German, QLocale::Switzerland, "de"},
                                           LocaleCase{QLocale::English, QLocale::UnitedStates, "en"},
                                           LocaleCase{QLocale::French, QLocale::France, "en"},
                                           LocaleCase{QLocale::C, QLocale::AnyTerritory, "en"}));

// ---- language codes ---------------------------------------------------------------

struct CodeCase {
    const char* code;
    bool known;
};

class HostLanguageCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(HostLanguageCode, UnknownCodesAreRefusedWithTheKnownOnes)
{
    const QString code = QString::fromLatin1(GetParam().code);
    EXPECT_EQ(zunHostLanguageKnown(code), GetParam().known);
    const QString refusal = zunHostUnknownLanguage(code);
    EXPECT_TRUE(refusal.contains(QStringLiteral("'%1'").arg(code))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("de, en"))) << refusal.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Codes, HostLanguageCode,
                         ::testing::Values(CodeCase{"de", true}, CodeCase{"en", true}, CodeCase{"0", true},
                                           CodeCase{"fr", false}, CodeCase{"DE", false}, CodeCase{"", false},
                                           CodeCase{"deutsch", false}));

// ---- Qt's own texts -----------------------------------------------------------------

struct QtTextCase {
    const char* code;
    const char* cancel;  // a standard button
    const char* lookIn;  // a label of Qt's own file dialog
};

class HostQtTranslations : public ::testing::TestWithParam<QtTextCase> {
protected:
    CZunQtTranslations m_qtTexts;
};

QString cancelText()
{
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

QString fileDialogLookIn()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QLabel* label = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    return label ? label->text() : QString();
}

TEST_P(HostQtTranslations, StandardButtonsAndFileDialogsSpeakTheLanguage)
{
    if (!QFileInfo::exists(zunHostQtTranslationsDir() + QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's translations are not installed (scripts/deps.sh installs them)";
    const QtTextCase& c = GetParam();
    EXPECT_TRUE(m_qtTexts.install(QString::fromLatin1(c.code)));
    EXPECT_EQ(cancelText(), QString::fromUtf8(c.cancel));
    EXPECT_EQ(fileDialogLookIn(), QString::fromUtf8(c.lookIn));
    // Their owner gone, Qt speaks English again.
    m_qtTexts.remove();
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

INSTANTIATE_TEST_SUITE_P(Languages, HostQtTranslations,
                         ::testing::Values(QtTextCase{"de", "Abbrechen", "Suchen in:"},
                                           QtTextCase{"en", "Cancel", "Look in:"}));

TEST(HostQtTranslationsMissing, LeavesQtInEnglishAndSaysSo)
{
    QTemporaryDir empty;
    CZunQtTranslations qtTexts;
    EXPECT_FALSE(qtTexts.install(QStringLiteral("de"), empty.path()));
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

// ---- reasons -------------------------------------------------------------------------

struct ReasonCase {
    const char* english;
    const char* german;
};

class HostReason : public ::testing::TestWithParam<ReasonCase> {
protected:
    void TearDown() override { ZUN::msgLangSet(L"de"); }
};

TEST_P(HostReason, IsWordedInTheMessageLanguage)
{
    const QString english = QString::fromUtf8(GetParam().english);
    ZUN::msgLangSet(L"de");
    EXPECT_EQ(zunHostReason(english), QString::fromUtf8(GetParam().german));
    ZUN::msgLangSet(L"en");
    EXPECT_EQ(zunHostReason(english), english);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, HostReason,
    ::testing::Values(
        ReasonCase{"expected a number at /parts/0/data/X", "erwartet: eine Zahl (bei /parts/0/data/X)"},
        ReasonCase{"expected an array of parts at /parts", "erwartet: ein Feld von Teilen (bei /parts)"},
        ReasonCase{"expected member \"zun\" at /", "erwartet: das Element \"zun\" (bei /)"},
        ReasonCase{"expected a non-empty text \"handle\" at /parts/3/handle",
                   "erwartet: ein nicht leerer Text \"handle\" (bei /parts/3/handle)"},
        // A piece the host does not know keeps its wording inside the frame.
        ReasonCase{"expected a segment [x1, y1, z1, x2, y2, z2, bulge] at /a",
                   "erwartet: a segment [x1, y1, z1, x2, y2, z2, bulge] (bei /a)"},
        ReasonCase{"malformed JSON: syntax error", "kein gültiges JSON: syntax error"},
        ReasonCase{"cannot read the file: No such file or directory",
                   "die Datei kann nicht gelesen werden: No such file or directory"},
        ReasonCase{"objects and arrays nested more than 256 levels deep",
                   "Objekte und Felder mehr als 256 Ebenen tief verschachtelt"},
        ReasonCase{"drawing format version 9 is newer than this program reads (up to 2); open it with a newer "
                   "version",
                   "Zeichnungsformat Version 9 ist neuer als dieses Programm liest (bis 2); mit einer neueren "
                   "Version öffnen"},
        ReasonCase{"The metafile has no usable size.", "Die Metadatei hat keine verwendbare Größe."},
        ReasonCase{"something else entirely", "something else entirely"}));

// Every reason and piece the host rewords reads in English as the reader
// wrote it, and in German as the texts give it: the English catalogue and
// the readers' wording must not drift apart.
TEST(HostReasonTexts, ReadInEnglishAsTheReadersWordThem)
{
    const auto check = [](const CZunHostReasonText& r) {
        ZUN::msgLangSet(L"en");
        EXPECT_EQ(zunHostText(r.text), QString::fromUtf8(r.english)) << r.text.key;
        ZUN::msgLangSet(L"de");
        EXPECT_EQ(zunHostText(r.text), QString::fromUtf8(r.text.german)) << r.text.key;
    };
    for (const CZunHostReasonText& r : ZunHostTexts::kReasonWholes)
        check(r);
    for (const CZunHostReasonText& r : ZunHostTexts::kReasonPieces)
        check(r);
}

TEST(HostFileError, NamesLineAndColumnInTheLanguage)
{
    ZUN::CDataFileError error;
    error.file = L"/tmp/x.json";
    error.line = 3;
    error.column = 14;
    error.message = L"expected a number at /unit";
    ZUN::msgLangSet(L"de");
    EXPECT_EQ(zunHostFileError(error), QStringLiteral("Zeile 3, Spalte 14: erwartet: eine Zahl (bei /unit)"));
    ZUN::msgLangSet(L"en");
    EXPECT_EQ(zunHostFileError(error), QStringLiteral("line 3, column 14: expected a number at /unit"));
    error.line = 0;
    EXPECT_EQ(zunHostFileError(error), QStringLiteral("expected a number at /unit"));
    ZUN::msgLangSet(L"de");
}

// ---- the window ----------------------------------------------------------------------

struct ViewLabelCase {
    const char* language;
    const char* code;   // the list's code
    const char* label;  // what the button shows
};

class HostViewLabels : public HostWindowFixture, public ::testing::WithParamInterface<ViewLabelCase> {};

TEST_P(HostViewLabels, ButtonsShowTheLanguagesCodesAndTheListKeepsItsOwn)
{
    const ViewLabelCase& c = GetParam();
    m_window->setLanguage(QString::fromLatin1(c.language));
    auto* bar = m_window->findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    ASSERT_NE(bar, nullptr);
    QAction* action = nullptr;
    for (QAction* a : bar->actions())
        if (a->data().toString() == QLatin1String(c.code))
            action = a;
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->iconText(), QString::fromLatin1(c.label));
    EXPECT_TRUE(action->text().endsWith(QStringLiteral("(%1)").arg(QString::fromLatin1(c.label))))
        << action->text().toStdString();
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->text().contains(QString::fromLatin1(c.label))) << button->text().toStdString();

    // The label turns the view as the code does; the list keeps its code.
    ASSERT_TRUE(m_window->setViewDirection(QString::fromLatin1(c.label)));
    EXPECT_EQ(m_window->scene().viewDirection(), QString::fromLatin1(c.code));
    EXPECT_TRUE(action->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Views, HostViewLabels,
                         ::testing::Values(ViewLabelCase{"de", "O", "O"}, ViewLabelCase{"de", "NO", "NO"},
                                           ViewLabelCase{"de", "SO", "SO"}, ViewLabelCase{"de", "SW", "SW"},
                                           ViewLabelCase{"en", "O", "E"}, ViewLabelCase{"en", "NO", "NE"},
                                           ViewLabelCase{"en", "SO", "SE"}, ViewLabelCase{"en", "NW", "NW"},
                                           ViewLabelCase{"en", "P", "P"}));

using HostWindowLanguage = HostWindowFixture;

TEST_F(HostWindowLanguage, EnglishLabelsTurnTheViewInGermanToo)
{
    ASSERT_TRUE(m_window->setViewDirection(QStringLiteral("e")));
    EXPECT_EQ(m_window->scene().viewDirection(), QStringLiteral("O"));
    ASSERT_TRUE(m_window->setViewDirection(QStringLiteral("NE")));
    EXPECT_EQ(m_window->scene().viewDirection(), QStringLiteral("NO"));
    EXPECT_FALSE(m_window->setViewDirection(QStringLiteral("X")));
    EXPECT_EQ(m_window->scene().viewDirection(), QStringLiteral("NO"));
}

TEST_F(HostWindowLanguage, AnUnreadableDrawingIsExplainedInGerman)
{
    const QString bad = path("broken.json");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"zun\": \"drawing\", \"version\": 1, \"unit\": \"mm\", \"parts\": []}");
    }
    EXPECT_FALSE(m_window->openDrawing(bad));
    ASSERT_EQ(m_messages.size(), 1);
    const QString& text = m_messages[0];
    EXPECT_TRUE(text.contains(QStringLiteral("Zeile 1, Spalte "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("erwartet: eine Einheitennummer (bei /unit)"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("expected"))) << text.toStdString();
}

TEST_F(HostWindowLanguage, QtsOwnButtonsFollowTheWindowsLanguage)
{
    if (!QFileInfo::exists(zunHostQtTranslationsDir() + QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's translations are not installed (scripts/deps.sh installs them)";
    m_window->setLanguage(QStringLiteral("de"));
    EXPECT_EQ(cancelText(), QStringLiteral("Abbrechen"));
    m_window->setLanguage(QStringLiteral("en"));
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
    m_window->setLanguage(QStringLiteral("de"));
    EXPECT_EQ(cancelText(), QStringLiteral("Abbrechen"));
    // The translations belong to the window: closed, it takes them along.
    m_window.reset();
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

struct SheetCase {
    const char* language;
    int group;
    const char* name;
};

class HostTextsSheet : public HostWindowFixture, public ::testing::WithParamInterface<SheetCase> {};

TEST_P(HostTextsSheet, NamesItsGroupsInTheLanguage)
{
    const SheetCase& c = GetParam();
    // Switched while the sheet is shown and a group picked: the name follows.
    m_window->showNode(m_window->textsNode());
    ASSERT_TRUE(m_window->pickGroup(c.group));
    m_window->setLanguage(QString::fromLatin1(c.language));
    EXPECT_TRUE(m_window->pickText().contains(QString::fromUtf8(c.name))) << m_window->pickText().toStdString();
    // Shown anew in that language, it names them the same way.
    m_window->showNode(m_window->drawingNode());
    m_window->showNode(m_window->textsNode());
    ASSERT_TRUE(m_window->pickGroup(c.group));
    EXPECT_TRUE(m_window->pickText().contains(QString::fromUtf8(c.name))) << m_window->pickText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sheet, HostTextsSheet,
                         ::testing::Values(SheetCase{"de", 2, "Umrissschrift"}, SheetCase{"de", 3, "Ausrichtung"},
                                           SheetCase{"en", 2, "Outline font"}, SheetCase{"en", 3, "Alignment"}));

} // namespace
