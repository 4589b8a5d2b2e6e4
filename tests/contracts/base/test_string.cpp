#include "contracts/base/zun_string.h"

#include <gtest/gtest.h>

TEST(StringIndex, NegativeCountsFromTheEndAndOutsideReadsZero)
{
    const CZunString s(L"ABC");
    EXPECT_EQ(s[0], L'A');
    EXPECT_EQ(s[-1], L'C');
    EXPECT_EQ(s[-3], L'A');
    EXPECT_EQ(s[-4], 0);
    EXPECT_EQ(s[3], 0);
    EXPECT_EQ(s[size_t{1}], L'B');  // any integral index type works
    EXPECT_EQ(CZunString()[-1], 0);
}

TEST(StringIndex, SetAtFollowsTheSameRule)
{
    CZunString s(L"abc");
    EXPECT_TRUE(s.setAt(-1, L'Z'));
    EXPECT_FALSE(s.setAt(3, L'Q'));
    EXPECT_EQ(s, L"abZ");
}

TEST(StringOps, MidFindReplaceClipInsteadOfFailing)
{
    const CZunString s(L"PARM12\\VAL");
    EXPECT_EQ(s.mid(4, 2), L"12");
    EXPECT_EQ(s.mid(7), L"VAL");
    EXPECT_EQ(s.mid(-3, 2), L"PA");
    EXPECT_EQ(s.mid(50), L"");
    EXPECT_EQ(s.right(3), L"VAL");
    EXPECT_EQ(s.find(L"\\"), 6);
    EXPECT_EQ(s.find(L"X"), -1);
    EXPECT_EQ(s.find(L'A', 2), 8);
    EXPECT_EQ(s.find(L"A", 99), -1);

    CZunString t(L"a.b.c");
    EXPECT_EQ(t.replace(L".", L"::"), 2);
    EXPECT_EQ(t, L"a::b::c");
    EXPECT_EQ(t.replace(L"", L"x"), 0);
}

TEST(StringOps, UpperCaseCoversUmlauts)
{
    CZunString s(L"stra\u00dfe \u00e4\u00f6\u00fc");
    s.makeUpper();
    EXPECT_EQ(s, L"STRA\u00dfE \u00c4\u00d6\u00dc");
}

TEST(StringOps, TrimRemovesBlanksOnBothSides)
{
    CZunString s(L" \t 12,5 \n");
    EXPECT_EQ(s.trim(), L"12,5");
    CZunString blank(L"   ");
    EXPECT_TRUE(blank.trim().isEmpty());
}

TEST(StringCompare, OrderAndEqualityWithText)
{
    const CZunString a(L"ABC"), b(L"ABD");
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(a == L"ABC");
    EXPECT_TRUE(L"ABC" == a);
    EXPECT_TRUE(a != L"abc");
    EXPECT_TRUE(a < L"B");
    EXPECT_TRUE(CZunString(nullptr) == L"");
    EXPECT_EQ(a + L"-" + b, L"ABC-ABD");
}

TEST(StringFormat, PercentSTakesWideTextAndHsNarrow)
{
    const CZunString key(L"PARM");
    EXPECT_EQ(CZunString::formatted(L"%s%d", key.c_str(), 3), L"PARM3");
    EXPECT_EQ(CZunString::formatted(L"%-6s|", L"ab"), L"ab    |");
    EXPECT_EQ(CZunString::formatted(L"%hs=%c", "x", L'\u00e4'), L"x=\u00e4");
    EXPECT_EQ(CZunString::formatted(L"%.3f %5.1f %%", 3.14159, 2.25), L"3.142   2.2 %");
    EXPECT_EQ(CZunString::formatted(L"%ls", L"wide"), L"wide");
}

TEST(StringFormat, LongResultsGrowTheBuffer)
{
    const CZunString big(L'x', 5000);
    CZunString s;
    s.format(L"<%s>", big.c_str());
    EXPECT_EQ(s.len(), 5002);
    EXPECT_EQ(s[-1], L'>');
}

TEST(StringUtf8, RoundTripAndBadBytes)
{
    const CZunString s(L"Ma\u00df \u00b1 \u00b2 \u20ac \U0001F600");
    EXPECT_EQ(CZunString::fromUtf8(s.toUtf8()), s);
    EXPECT_EQ(CZunString::fromUtf8("a\xff" "b"), L"a\ufffdb");
    EXPECT_EQ(CZunString::fromUtf8("\xe2\x82"), L"\ufffd\ufffd");  // truncated sequence
}

TEST(StringUtf8, OnlyShortestFormsOfRealCharactersDecode)
{
    // Each byte of an overlong form, a surrogate or a code beyond U+10FFFF
    // becomes a replacement character, so that no byte sequence decodes to
    // what another one does.
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"*\xc0\x8d", L"*\ufffd\ufffd"},            // carriage return in two bytes
        {"\xc1\xbf", L"\ufffd\ufffd"},
        {"\xe0\x80\x80", L"\ufffd\ufffd\ufffd"},   // NUL in three bytes
        {"\xe0\x9f\xbf", L"\ufffd\ufffd\ufffd"},
        {"\xf0\x8f\xbf\xbf", L"\ufffd\ufffd\ufffd\ufffd"},
        {"\xed\xa0\x80", L"\ufffd\ufffd\ufffd"},   // a surrogate
        {"\xf4\x90\x80\x80", L"\ufffd\ufffd\ufffd\ufffd"},
        {"\xc2\x80", L"\u0080"},
        {"\xe0\xa0\x80", L"\u0800"},
        {"\xed\x9f\xbf\xee\x80\x80", L"\ud7ff\ue000"},
        {"\xef\xbf\xbf", L"\uffff"},
        {"\xf0\x90\x80\x80", L"\U00010000"},
        {"\xf4\x8f\xbf\xbf", L"\U0010ffff"},
    };
    for (const auto& [utf8, wide] : cases) {
        const CZunString decoded = CZunString::fromUtf8(utf8);
        EXPECT_EQ(decoded, wide) << utf8;
        EXPECT_EQ(CZunString::fromUtf8(decoded.toUtf8()), decoded) << utf8;
    }
}

TEST(StringBuffer, GetBufferAndReleaseToNul)
{
    CZunString s;
    wchar_t* buffer = s.GetBuffer(10);
    buffer[0] = L'h';
    buffer[1] = L'i';
    buffer[2] = 0;
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"hi");
    EXPECT_EQ(s.len(), 2);
}
