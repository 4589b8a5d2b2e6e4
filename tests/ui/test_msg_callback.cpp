// The module's default message callback: keys, defaults, the language "0",
// three-part keys and the ring of eight results.
#include "tests/ui/ui_test_util.h"

#include "contracts/data/zun_msg.h"
#include "ui/zun_msg_callback.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using ZUN::msgDefaultCallBack;

struct CallBackCase {
    const wchar_t* key;
    const wchar_t* def;
    const wchar_t* country;
    const wchar_t* expected;
};

void PrintTo(const CallBackCase& c, std::ostream* os)
{
    *os << testName(c.key) << "_in_" << testName(c.country) << (c.def ? "" : "_nodefault");
}

class DefaultCallBackTest : public ::testing::TestWithParam<CallBackCase> {};

TEST_P(DefaultCallBackTest, GivesTheTextOfTheKey)
{
    const CallBackCase& c = GetParam();
    EXPECT_STREQ(msgDefaultCallBack(c.key, c.def, c.country), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DefaultCallBackTest,
    ::testing::Values(
        // The catalogue's text in its language, the caller's default in German.
        CallBackCase{L"ZUN_MFC_0001", L"Wert darf nicht kleiner sein als", L"en", L"Value must not be less than"},
        CallBackCase{L"ZUN_MFC_0001", L"Wert darf nicht kleiner sein als", L"de", L"Wert darf nicht kleiner sein als"},
        // A key nobody knows keeps its default; without one it is empty.
        CallBackCase{L"ZUN_NO_SUCH_KEY", L"Vorgabe", L"en", L"Vorgabe"},
        CallBackCase{L"ZUN_NO_SUCH_KEY", nullptr, L"en", L""},
        // The language "0" shows the key itself, whatever the default.
        CallBackCase{L"ZUN_MFC_0001", L"Vorgabe", L"0", L"ZUN_MFC_0001"},
        CallBackCase{L"A\\ZUN_MFC_0001\\:", L"x", L"0", L"A\\ZUN_MFC_0001\\:"},
        // Three parts: text of the middle key between the outer parts.
        CallBackCase{L"A\\ZUN_MFC_0001\\:", L"kleiner als", L"en", L"AValue must not be less than:"},
        CallBackCase{L"\\ZUN_OUTL_0004\\...", L"Filter", L"de", L"Filter..."},
        CallBackCase{L"\\ZUN_OUTL_0004\\...", L"Filter", L"en", L"Filter..."},
        // Two parts are one key, which the catalogue does not know.
        CallBackCase{L"A\\ZUN_MFC_0001", L"ganz", L"en", L"ganz"},
        // Four parts too.
        CallBackCase{L"A\\ZUN_MFC_0001\\:\\x", L"ganz", L"en", L"ganz"}));

TEST(DefaultCallBack, AResultStaysIntactForSevenMoreCallsAndTheEighthReusesItsSlot)
{
    const wchar_t* first = msgDefaultCallBack(L"ZUN_MFC_0001", nullptr, L"en");
    const std::wstring firstText = first;
    ASSERT_EQ(firstText, L"Value must not be less than");
    const wchar_t* others[] = {L"ZUN_MFC_0002", L"ZUN_MFC_0004", L"ZUN_MFC_0005", L"ZUN_MFC_0006",
                               L"ZUN_MFC_0007", L"ZUN_MFC_0008", L"ZUN_MFC_0009"};
    const wchar_t* seventh = nullptr;
    for (const wchar_t* key : others)
        seventh = msgDefaultCallBack(key, nullptr, L"en");
    EXPECT_EQ(std::wstring(first), firstText) << "seven more calls must leave the first result alone";
    EXPECT_STREQ(seventh, L"Label");

    // The eighth further call takes the first result's slot and overwrites it.
    const wchar_t* eighth = msgDefaultCallBack(L"ZUN_MFC_0012", nullptr, L"en");
    EXPECT_EQ(eighth, first);
    EXPECT_STREQ(first, L"Material selection");
    EXPECT_STREQ(seventh, L"Label") << "the seventh is still intact";
}

TEST(DefaultCallBack, ANullCountryIsTheCurrentLanguage)
{
    const CZunString before = ZUN::msgLangSet(L"en");
    EXPECT_STREQ(msgDefaultCallBack(L"DLG_002", L"Abbrechen", nullptr), L"Cancel");
    ZUN::msgLangSet(L"de");
    EXPECT_STREQ(msgDefaultCallBack(L"DLG_002", L"Abbrechen", nullptr), L"Abbrechen");
    ZUN::msgLangSet(before);
    EXPECT_STREQ(msgDefaultCallBack(nullptr, L"x", L"0"), L"");
}

TEST(DefaultCallBack, TheDialogAsksTheInstalledCallBack)
{
    CTestDlg dlg(kTplFields);
    dlg.SetCountry(L"en");
    EXPECT_STREQ(dlg.GetMsg(L"DLG_002", L"Abbrechen"), L"Cancel");
    EXPECT_STREQ(dlg.GetMsg(L"DLG_002", L"Abbrechen", L"de"), L"Abbrechen");

    // Without a callback the default comes back as it was given.
    const ZunMsgCallBack installed = CZunDlg::SetMsgCallBack(nullptr);
    EXPECT_EQ(installed, &msgDefaultCallBack);
    const wchar_t* def = L"Abbrechen";
    EXPECT_EQ(dlg.GetMsg(L"DLG_002", def), def);
    EXPECT_EQ(dlg.GetMsg(L"DLG_002", nullptr), nullptr);
    EXPECT_EQ(CZunDlg::SetMsgCallBack(installed), nullptr);
}
