#include "contracts/base/zun_number.h"
#include "contracts/base/zun_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

CZunString fmt(double value, int format, int precision, bool option = false)
{
    CZunString text(L"untouched");
    if (!ZUN::zunRtoS(value, format, precision, text, option))
        return L"<fail>";
    return text;
}

// Deterministic across platforms, unlike the standard distributions.
struct SplitMix {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
};

std::vector<double> sampleValues()
{
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.5, 11.9999, 11.99999999, 12.0, -12.0, 23.99996,
                                  1e-300, 4.9e-324, -2.5e-310, 0.05, 0.15, 2.5, 1e15, -7.5e14, 123456789.123456789,
                                  1e18, 9.99995, 99999.99999, 1.0 / 3.0, 2.0 / 3.0};
    SplitMix rng{42};
    for (int i = 0; i < 2500; ++i) {
        const double sign = rng.below(3) == 0 ? -1.0 : 1.0;
        switch (rng.below(4)) {
        case 0:  // any magnitude
            values.push_back(sign * rng.unit() * std::pow(10.0, rng.below(24) - 9));
            break;
        case 1:  // just around a foot or an inch boundary
            values.push_back(sign * (12.0 * rng.below(200) + (rng.below(2) ? 12.0 : 1.0) -
                                     std::pow(10.0, -1 - rng.below(12)) * (rng.below(2) ? 1 : -1)));
            break;
        case 2:  // on or beside a 1/256 grid point, ties included
            values.push_back(sign * (rng.below(5000) / 512.0 + (rng.below(2) ? 0.0 : rng.unit() * 1e-9)));
            break;
        default:  // plain decimals as users type them
            values.push_back(sign * rng.below(1000000) / std::pow(10.0, rng.below(7)));
            break;
        }
    }
    return values;
}

struct FormatExample {
    double value;
    int format, precision;
    const wchar_t* text;
};

double halfUnit(int format, int precision, const CZunString& text)
{
    if (format == 1)
        return 0.5 * std::pow(10.0, ZUN::atoi(text.c_str() + text.find(L'E') + 1) - precision);
    if (format <= 3)
        return 0.5 * std::pow(10.0, -precision);
    return 0.5 * std::ldexp(1.0, -precision);
}

TEST(NumberFormatExamples, EveryFormat)
{
    // Ties go to even, as in every format (2.5 with no decimals is "2").
    const FormatExample examples[] = {
        {12.345678, 1, 4, L"1.2346E+01"}, {-0.000123, 1, 2, L"-1.23E-04"}, {9.99996, 1, 4, L"1.0000E+01"},
        {-0.0, 1, 1, L"0.0E+00"}, {12.345678, 2, 4, L"12.3457"}, {-0.5, 2, 4, L"-0.5000"},
        {-0.00004, 2, 4, L"0.0000"}, {2.5, 2, 0, L"2"}, {14.5, 3, 4, L"1'-2.5000\""},
        {11.99999, 3, 4, L"1'-0.0000\""}, {-14.5, 3, 1, L"-1'-2.5\""}, {-0.00001, 3, 2, L"0'-0.00\""},
        {1234567.0, 3, 0, L"102880'-7\""}, {14.75, 4, 2, L"1'-2 3/4\""}, {12.0, 4, 4, L"1'-0\""},
        {0.5, 4, 4, L"0'-0 1/2\""}, {35.99, 4, 3, L"3'-0\""}, {-14.76, 4, 2, L"-1'-2 3/4\""},
        {14.75, 5, 2, L"14 3/4"}, {0.75, 5, 8, L"3/4"}, {14.0, 5, 3, L"14"}, {-0.75, 5, 2, L"-3/4"},
        {-0.1, 5, 2, L"0"}, {0.3, 5, 2, L"1/4"}, {2.5, 5, 0, L"2"}, {3.5, 5, 0, L"4"}, {1.0 / 16, 4, 3, L"0'-0\""},
        {3.0 / 16, 4, 3, L"0'-0 1/4\""}};
    for (const FormatExample& e : examples)
        EXPECT_EQ(fmt(e.value, e.format, e.precision), CZunString(e.text)) << e.value << " format " << e.format;
}

TEST(NumberFormatExamples, CompactOption)
{
    const FormatExample examples[] = {
        {15.0, 1, 4, L"1.5E+01"}, {10.0, 1, 4, L"1E+01"}, {12.5, 2, 4, L"12.5"}, {12.0, 2, 4, L"12"},
        {14.5, 3, 4, L"1'-2.5\""}, {0.5, 3, 4, L"0.5\""}, {0.0, 3, 4, L"0\""}, {0.5, 4, 4, L"1/2\""},
        {6.5, 4, 4, L"6 1/2\""}, {12.5, 4, 4, L"1'-0 1/2\""}, {14.75, 5, 2, L"14 3/4"}};
    for (const FormatExample& e : examples)
        EXPECT_EQ(fmt(e.value, e.format, e.precision, true), CZunString(e.text)) << e.value << " format " << e.format;
}

TEST(NumberFormatExamples, RefusalsLeaveTextAlone)
{
    EXPECT_EQ(fmt(ZUN::nan(), 2, 2), L"<fail>");
    EXPECT_EQ(fmt(std::numeric_limits<double>::infinity(), 1, 2), L"<fail>");
    EXPECT_EQ(fmt(1.0, 0, 2), L"<fail>");
    EXPECT_EQ(fmt(1.0, 6, 2), L"<fail>");
    EXPECT_EQ(fmt(1e50, 2, 4), L"<fail>");  // 56 characters
    EXPECT_EQ(fmt(1e50, 2, 0).len(), 51);
    EXPECT_EQ(fmt(1e300, 1, 15), L"1.000000000000000E+300");

    wchar_t buffer[ZUN::kZunRtoSMax];
    std::wmemset(buffer, L'#', ZUN::kZunRtoSMax);
    EXPECT_FALSE(ZUN::zunRtoS(1e54, 2, 1, buffer));
    EXPECT_EQ(buffer[0], L'#');
    ASSERT_TRUE(ZUN::zunRtoS(-2.25, 5, 8, buffer));
    EXPECT_STREQ(buffer, L"-2 1/4");
}

TEST(NumberFormatRoundTrip, AllFormatsPrecisionsAndOptions)
{
    int checked = 0;
    for (const double x : sampleValues()) {
        for (int format = 1; format <= 5; ++format) {
            for (int precision = 0; precision <= (format <= 3 ? 15 : 8); ++precision) {
                for (const bool option : {false, true}) {
                    CZunString text;
                    ASSERT_TRUE(ZUN::zunRtoS(x, format, precision, text, option)) << x;
                    double back = 0.0;
                    ASSERT_TRUE(ZUN::zunAtoF(text, back)) << text.toUtf8();
                    const CZunString again = fmt(back, format, precision, option);
                    ASSERT_EQ(again, text) << "x=" << x << " format " << format << " precision " << precision;
                    const double slack = std::nextafter(std::fabs(x), INFINITY) - std::fabs(x);
                    ASSERT_LE(std::fabs(back - x), halfUnit(format, precision, text) * (1 + 1e-9) + slack)
                        << text.toUtf8() << " from " << x;
                    // Each text reads as the double nearest to what it denotes: the
                    // decimal text as the C library reads it, feet-inch texts as the
                    // same length written plainly, fractions of 2^n exactly.
                    double denoted = back;
                    if (format <= 2)
                        denoted = std::wcstod(text, nullptr);
                    else if (format == 3)
                        denoted = std::wcstod(fmt(x, 2, precision), nullptr);
                    else if (format == 4)
                        denoted = ZUN::zunAtoF(fmt(x, 5, precision));
                    else
                        denoted = std::round(std::ldexp(back, precision)) / std::ldexp(1.0, precision);
                    ASSERT_EQ(back, denoted) << text.toUtf8();
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 300000);
}

TEST(NumberParseForms, UserInput)
{
    // "1'-8.22039\"" and its like are rounded once, not twice.
    const std::pair<const wchar_t*, double> inputs[] = {
        {L"  12.5  ", 12.5}, {L"-12,5", -12.5}, {L"+.5", 0.5}, {L"7.", 7.0}, {L"1.5e3", 1500.0}, {L"1.5E+03", 1500.0},
        {L"25e-1", 2.5}, {L"3/4", 0.75}, {L"14 3/4", 14.75}, {L"14-3/4", 14.75}, {L"-5/4", -1.25},
        {L"1'-2 3/4\"", 14.75}, {L"1' 2\"", 14.0}, {L"1'2.5\"", 14.5}, {L"1' - 2\"", 14.0}, {L"2'", 24.0},
        {L"1.5'", 18.0}, {L"6\"", 6.0}, {L"-1'-2\"", -14.0}, {L"2'6", 30.0}, {L"3\u2032-1\u2033", 37.0},
        {L"1'-8.22039\"", 20.22039}, {L"1'-7.74203556\"", 19.74203556}, {L"1e-400", 0.0}};
    for (const auto& [text, value] : inputs)
        EXPECT_EQ(ZUN::zunAtoF(text), value) << CZunString(text).toUtf8();
    EXPECT_DOUBLE_EQ(ZUN::zunAtoF(L"1/3"), 1.0 / 3.0);
    EXPECT_FALSE(std::signbit(ZUN::zunAtoF(L"-0")));
}

TEST(NumberParseForms, GarbageIsRefused)
{
    for (const wchar_t* text : {L"", L"   ", L"abc", L"1/0", L"3'x", L"1..2", L"1,,2", L".", L"-", L"1e", L"1e+",
                                L"1.5 1/2", L"1 2", L"3/4/5", L"2'-", L"1'--2\"", L"1'+2", L"1\"2", L"12 3/",
                                L"1.5/2", L"/4", L"1 /4", L"- 5", L"1e400", L"0x10", L"inf", L"nan", L"1''", L"5\"'"}) {
        EXPECT_TRUE(ZUN::isNan(ZUN::zunAtoF(text))) << CZunString(text).toUtf8();
        double value = 7.0;
        EXPECT_FALSE(ZUN::zunAtoF(text, value));
        EXPECT_EQ(value, 7.0);
    }
    EXPECT_TRUE(ZUN::isNan(ZUN::zunAtoF(nullptr)));
}

TEST(NumberParseForms, CReadersStopAtFirstStranger)
{
    const std::pair<const wchar_t*, double> reals[] = {
        {L"  -1.5e3xyz", -1500.0}, {L"2,75 m", 2.75}, {L"1e", 1.0}, {L"3'-4\"", 3.0}, {L"abc", 0.0}, {L".", 0.0},
        {nullptr, 0.0}, {L"1e999", HUGE_VAL}};
    for (const auto& [text, value] : reals)
        EXPECT_EQ(ZUN::atof(text), value) << (text ? CZunString(text).toUtf8() : "null");
    const std::pair<const wchar_t*, int> integers[] = {
        {L" +42.9", 42}, {L"-17abc", -17}, {L"1e3", 1}, {L"x1", 0},
        {L"99999999999999999999999999999999", std::numeric_limits<int>::max()},
        {L"-2147483648", std::numeric_limits<int>::min()}, {L"-99999999999", std::numeric_limits<int>::min()}};
    for (const auto& [text, value] : integers)
        EXPECT_EQ(ZUN::atoi(text), value) << CZunString(text).toUtf8();
}

} // namespace
