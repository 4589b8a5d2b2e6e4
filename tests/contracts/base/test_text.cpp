#include "contracts/base/zun_text.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::vector<std::wstring> tok(const wchar_t* text, const wchar_t* separators, bool keepEmpty)
{
    std::vector<std::wstring> out;
    for (const CZunString& part : ZUN::strTok(text, separators, keepEmpty))
        out.push_back(part.str());
    return out;
}

using Parts = std::vector<std::wstring>;

TEST(TextTokSplit, KeepOrDropEmptyParts)
{
    EXPECT_EQ(tok(L"\\KEY\\", L"\\", true), (Parts{L"", L"KEY", L""}));
    EXPECT_EQ(tok(L"\\KEY\\", L"\\", false), (Parts{L"KEY"}));
    EXPECT_EQ(tok(L"Zun\\\\topic", L"\\", false), (Parts{L"Zun", L"topic"}));
    EXPECT_EQ(tok(L"Zun\\\\topic", L"\\", true), (Parts{L"Zun", L"", L"topic"}));
    EXPECT_EQ(tok(L"a;b,c", L",;", true), (Parts{L"a", L"b", L"c"}));
    EXPECT_EQ(tok(L";", L";", true), (Parts{L"", L""}));
    EXPECT_EQ(tok(L";;", L";", false), Parts{});
    EXPECT_EQ(tok(L"", L";", true), Parts{});
    EXPECT_EQ(tok(L"a;b", L"", true), (Parts{L"a;b"}));
}

TEST(TextTokUnescape, KnownEscapes)
{
    EXPECT_EQ(ZUN::unEscapeWideChar(L"a\\nb\\rc\\td"), L"a\nb\rc\td");
    EXPECT_EQ(ZUN::unEscapeWideChar(L"\\\\n \\\" \\'"), L"\\n \" '");
    EXPECT_EQ(ZUN::unEscapeWideChar(L"\\x41\\x7a"), L"Az");
    EXPECT_EQ(ZUN::unEscapeWideChar(L"\\u00e7a \\U+00B0C"), L"\u00E7a \u00B0C");
    EXPECT_EQ(ZUN::unEscapeWideChar(L"\\uD83D\\uDE00!"), std::wstring(1, wchar_t(0x1F600)) + L"!");
}

TEST(TextTokUnescape, UnknownOrTruncatedStayLiteral)
{
    for (const wchar_t* text : {L"\\q", L"end\\", L"\\x4", L"\\xZZ", L"\\u12", L"\\u12G4", L"\\U+12",
                                L"\\U0041", L"\\x00", L"\\uDE00", L"\\uD83D", L"\\uD83Dx", L"\\U+D83D"})
        EXPECT_EQ(ZUN::unEscapeWideChar(text), text) << CZunString(text).toUtf8();
    EXPECT_EQ(ZUN::unEscapeWideChar(L"\\q\\n"), L"\\q\n");
    EXPECT_EQ(ZUN::unEscapeWideChar(L""), L"");
}

TEST(CountriesTable, OrderCodesNamesLocales)
{
    const struct { const wchar_t *code, *name, *locale; } expected[] = {
        {L"de", L"Deutsch", L"de_DE"},        {L"en", L"English", L"en_GB"},
        {L"fr", L"Fran\u00E7ais", L"fr_FR"},  {L"it", L"Italiano", L"it_IT"},
        {L"nl", L"Nederlands", L"nl_NL"},     {L"es", L"Espa\u00F1ol", L"es_ES"},
        {L"pl", L"Polski", L"pl_PL"},         {L"cs", L"\u010Ce\u0161tina", L"cs_CZ"},
    };
    const ZUN::ZunCountry_st* table = ZUN::zunDlCountrys();
    ASSERT_EQ(table, ZUN::zunDlCountrys());
    std::set<std::wstring> codes;
    int n = 0;
    for (; table[n].code; ++n) {
        ASSERT_NE(table[n].name, nullptr);
        ASSERT_NE(table[n].locale, nullptr);
        EXPECT_TRUE(codes.insert(table[n].code).second) << "duplicate code";
        if (n < 8) {
            EXPECT_STREQ(table[n].code, expected[n].code);
            EXPECT_STREQ(table[n].name, expected[n].name);
            EXPECT_STREQ(table[n].locale, expected[n].locale);
        }
    }
    EXPECT_GE(n, 8);
}

} // namespace
