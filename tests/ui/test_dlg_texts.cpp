// Control texts by message key: languages, the language "0", SetCountry on
// a live dialog, and the diagnostic mode.
#include "tests/ui/ui_test_util.h"

#include "contracts/data/zun_msg.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// OK and Cancel by the shared keys, the caption with a default of its own,
// the check box by a three-part key, a key for a control that is missing.
void addFieldTexts(CTestDlg& dlg)
{
    dlg.m_langKey[IDOK] = L"DLG_001";
    dlg.m_langDef[IDOK] = L"OK";
    dlg.m_langKey[IDCANCEL] = L"DLG_002";
    dlg.m_langDef[IDCANCEL] = L"Abbrechen";
    dlg.m_langKey[3001] = L"ZUN_MFC_0009";
    dlg.m_langDef[3001] = L"Bezeichnung";
    dlg.m_langKey[1007] = L"\\ZUN_MFC_0012\\:";
    dlg.m_langDef[1007] = L"Materialauswahl";
}

QString textOf(CZunDlg& dlg, int id)
{
    return QString::fromStdWString(dlg.GetDlgItemText(id).str());
}

} // namespace

struct TextCase {
    const wchar_t* country;
    const char* ok;
    const char* cancel;
    const char* caption;
    const char* check;
    const char* help;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << testName(c.country);
}

class DialogTextTest : public DlgTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(DialogTextTest, ControlsShowTheirTextsInTheDialogsLanguage)
{
    const TextCase& c = GetParam();
    dlg.addTexts = addFieldTexts;
    dlg.SetCountry(c.country);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(textOf(dlg, IDOK), QString::fromUtf8(c.ok));
    EXPECT_EQ(textOf(dlg, IDCANCEL), QString::fromUtf8(c.cancel));
    EXPECT_EQ(textOf(dlg, 3001), QString::fromUtf8(c.caption));
    EXPECT_EQ(textOf(dlg, 1007), QString::fromUtf8(c.check));
    EXPECT_EQ(textOf(dlg, IDHELP), QString::fromUtf8(c.help)) << "every dialog's help button";
}

INSTANTIATE_TEST_SUITE_P(
    Languages, DialogTextTest,
    ::testing::Values(TextCase{L"de", "OK", "Abbrechen", "Bezeichnung", "Materialauswahl:", "Hilfe"},
                      TextCase{L"en", "OK", "Cancel", "Label", "Material selection:", "Help"},
                      // The language "0" shows every control's key.
                      TextCase{L"0", "DLG_001", "DLG_002", "ZUN_MFC_0009", "\\ZUN_MFC_0012\\:", "ZUN_MFC_0106"}));

class DialogTexts : public DlgTest {};

TEST_F(DialogTexts, ADialogWithoutLanguageTakesTheCurrentOneAtCreation)
{
    const CZunString before = ZUN::msgLangSet(L"en");
    dlg.addTexts = addFieldTexts;
    ASSERT_TRUE(dlg.Create());
    EXPECT_STREQ(dlg.country(), L"en");
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("Cancel"));
    dlg.DestroyWindow();
    ZUN::msgLangSet(before);
}

TEST_F(DialogTexts, AChildDialogOfTheSameKindInheritsTheLanguage)
{
    dlg.SetCountry(L"0");
    ASSERT_TRUE(dlg.Create());
    CTestDlg child(kTplFixed, &dlg);
    ASSERT_TRUE(child.Create());
    EXPECT_STREQ(child.country(), L"0");
    child.DestroyWindow();
}

TEST_F(DialogTexts, SetCountryRetextsALiveDialogOnlyForAnotherLanguage)
{
    dlg.addTexts = addFieldTexts;
    dlg.SetCountry(L"de");
    EXPECT_EQ(dlg.updLangCalls, 0) << "no window yet: nothing to text";
    EXPECT_FALSE(dlg.updLang()) << "no window yet";
    dlg.updLangCalls = 0;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.updLangCalls, 1);

    // A text changed by hand stays when the language does not change.
    dlg.SetDlgItemText(IDCANCEL, L"von Hand");
    dlg.SetCountry(L"de");
    EXPECT_EQ(dlg.updLangCalls, 1);
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("von Hand"));

    dlg.SetCountry(L"en");
    EXPECT_EQ(dlg.updLangCalls, 2);
    EXPECT_STREQ(dlg.country(), L"en");
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("Cancel"));
    dlg.SetCountry(L"0");
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("DLG_002"));
}

TEST_F(DialogTexts, WithoutACallbackNothingIsTexted)
{
    dlg.addTexts = addFieldTexts;
    const ZunMsgCallBack installed = CZunDlg::SetMsgCallBack(nullptr);
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.updLang());
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("Abbrechen")) << "the template's text";
    CZunDlg::SetMsgCallBack(installed);
}

TEST_F(DialogTexts, DiagnosticModeBracketsMissingTextsAndReportsMissingControls)
{
    CTestEnv diag("ZUN_DLG_DIAG", "1");
    dlg.addTexts = [](CTestDlg& d) {
        addFieldTexts(d);
        d.m_langKey[4711] = L"ZUN_MFC_0010";  // no control 4711 in the template
        d.m_langKey[3002] = L"ZUN_NOT_IN_ANY_CATALOGUE";
    };
    dlg.SetCountry(L"en");
    ASSERT_TRUE(dlg.Create());
    // Known to the catalogue: as usual; unknown: the default in brackets.
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("Cancel"));
    EXPECT_EQ(textOf(dlg, 3002), QStringLiteral("[]"));
    ASSERT_EQ(dlg.boxes.size(), 1);
    EXPECT_EQ(dlg.boxes[0], QStringLiteral("\nSetDlgItemText failed:\nDlgID = 4711\nKEY = 'ZUN_MFC_0010'"));

    // In German every text falls back to its default, so all show brackets.
    dlg.SetCountry(L"de");
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("[Abbrechen]"));
}

TEST_F(DialogTexts, OutsideDiagnosticModeAMissingControlIsSkippedSilently)
{
    CTestEnv diag("ZUN_DLG_DIAG", "0");
    dlg.addTexts = [](CTestDlg& d) {
        addFieldTexts(d);
        d.m_langKey[4711] = L"ZUN_MFC_0010";
    };
    dlg.SetCountry(L"de");
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.boxes.isEmpty());
    EXPECT_EQ(textOf(dlg, IDCANCEL), QStringLiteral("Abbrechen"));
}
