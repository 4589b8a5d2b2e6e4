#include "contracts/data/zun_units.h"

#include "contracts/data/zun_msg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace ZUN;

namespace {

// Puts the drawing's unit and format back, so the suite passes in any order.
class UnitsTest : public ::testing::Test {
protected:
    void TearDown() override { acad_unit_set(m_unit); acad_format_set(m_format); }

private:
    int m_unit = acad_unit_get();
    int m_format = acad_format_get();
};

bool nearlyEqual(double a, double b, double tolerance = 4.5e-16) { return std::fabs(a - b) <= tolerance * std::fabs(b); }

} // namespace

TEST_F(UnitsTest, DefinedFactorsComeOutExactly)
{
    struct Factor { double value; int from, to; double expected; };
    const Factor factors[] = {
        {1.0, kUnitInch, kUnitMillimeter, 25.4}, {25.4, kUnitMillimeter, kUnitInch, 1.0},
        {-2.5, kUnitInch, kUnitCentimeter, -6.35}, {1.0, kUnitFoot, kUnitMeter, 0.3048},
        {0.3048, kUnitMeter, kUnitFoot, 1.0}, {10.0, kUnitFoot, kUnitMeter, 3.048}, {1.0, kUnitFoot, kUnitInch, 12.0},
        {1.0, kUnitYard, kUnitMeter, 0.9144}, {1.0, kUnitMile, kUnitFoot, 5280.0},
        {1.0, kUnitMile, kUnitKilometer, 1.609344}, {1000.0, kUnitMil, kUnitInch, 1.0},
        {1.0, kUnitMicroinch, kUnitNanometer, 25.4}, {1.0, kUnitMeter, kUnitMillimeter, 1000.0},
        {1.0, kUnitDecameter, kUnitDecimeter, 100.0}, {1.0, kUnitMicron, kUnitAngstrom, 1.0e4},
        {1.0, kUnitAstronomical, kUnitMeter, 149597870700.0}, {1.0, kUnitLightYear, kUnitMeter, 9460730472580800.0}};
    for (const Factor& f : factors)
        EXPECT_EQ(acadUnitCv(f.value, f.from, f.to), f.expected) << f.value << ": " << f.from << " -> " << f.to;
    EXPECT_TRUE(nearlyEqual(acadUnitCv(1.0, kUnitParsec, kUnitAstronomical), 648000.0 / std::numbers::pi));
}

TEST_F(UnitsTest, EveryPairRoundTripsAndChainsConsistently)
{
    for (int a = 1; a < kUnitCount; ++a)
        for (int b = 1; b < kUnitCount; ++b)
            for (const double v : {1.0, 0.1, 1234.5678, -7.25, 3.0e-5}) {
                const double there = acadUnitCv(v, a, b);
                EXPECT_TRUE(nearlyEqual(acadUnitCv(there, b, a), v)) << a << " -> " << b << " of " << v;
                EXPECT_TRUE(nearlyEqual(acadUnitCv(acadUnitCv(v, a, kUnitMeter), kUnitMeter, b), there, 1e-15))
                    << a << " -> " << b << " via metres of " << v;
            }
}

TEST_F(UnitsTest, DrawingUnitUnitlessAndUnknownUnits)
{
    EXPECT_EQ(acad_unit_get(), kUnitMillimeter);
    EXPECT_EQ(acad_format_get(), kFormatDecimal);
    EXPECT_EQ(acadUnitCv(1.0, kUnitDrawing, kUnitMeter), 0.001);
    for (const int bad : {int{kUnitDrawing}, 21, -5})
        acad_unit_set(bad);
    acad_format_set(0);
    acad_format_set(6);
    EXPECT_EQ(acad_unit_get(), kUnitMillimeter) << "only units 0..20 are drawing units";
    EXPECT_EQ(acad_format_get(), kFormatDecimal);

    acad_unit_set(kUnitInch);
    EXPECT_EQ(acadUnitCv(1.0, kUnitDrawing, kUnitMillimeter), 25.4);
    EXPECT_EQ(acadUnitCv(25.4, kUnitMillimeter, kUnitDrawing), 1.0);
    EXPECT_EQ(unitAbbrev(kUnitDrawing), L"\"");
    for (const int other : {int{kUnitDrawing}, int{kUnitMillimeter}, int{kUnitParsec}}) {
        EXPECT_EQ(acadUnitCv(7.5, kUnitNone, other), 7.5);
        EXPECT_EQ(acadUnitCv(7.5, other, kUnitNone), 7.5);
        EXPECT_EQ(acadUnitCv(7.5, 21, other), 7.5);
        EXPECT_EQ(acadUnitCv(7.5, other, -2), 7.5);
    }
    acad_unit_set(kUnitNone);
    EXPECT_EQ(acadUnitCv(4.0, kUnitDrawing, kUnitMeter), 4.0);
}

TEST_F(UnitsTest, AutoPrecTable)
{
    EXPECT_EQ(autoPrec(0, kUnitMeter, kFormatDecimal), 0);
    EXPECT_EQ(autoPrec(5, kUnitMillimeter, kFormatFractional), 5);
    EXPECT_EQ(autoPrec(12, kUnitInch, kFormatDecimal), 8);

    struct Row { int unit, decimals, fraction; };
    const Row rows[] = {{kUnitNone, 2, 4}, {kUnitInch, 3, 4}, {kUnitFoot, 4, 4}, {kUnitMillimeter, 1, 1},
                        {kUnitCentimeter, 2, 3}, {kUnitMeter, 3, 8}, {kUnitKilometer, 6, 8},
                        {kUnitDecimeter, 3, 6}, {kUnitParsec, 8, 8}, {42, 2, 4}};
    for (const Row& row : rows) {
        for (const int format : {kFormatScientific, kFormatDecimal, kFormatEngineering})
            EXPECT_EQ(autoPrec(-1, row.unit, format), row.decimals) << row.unit << " format " << format;
        for (const int format : {kFormatArchitectural, kFormatFractional})
            EXPECT_EQ(autoPrec(-1, row.unit, format), row.fraction) << row.unit << " format " << format;
    }
    // Whatever the table says, no length below a gigametre shows coarser
    // than a millimetre.
    for (int unit = 1; unit < kUnitGigameter; ++unit)
        EXPECT_LE(acadUnitCv(std::pow(10.0, -autoPrec(-1, unit, kFormatDecimal)), unit, kUnitMillimeter), 1.0 + 1e-12)
            << unit;

    EXPECT_EQ(autoPrec(-1, kUnitDrawing, kFormatDecimal), 1);
    acad_unit_set(kUnitMeter);
    EXPECT_EQ(autoPrec(-1, kUnitDrawing, kFormatDecimal), 3);
    acad_unit_set(kUnitInch);
    EXPECT_EQ(autoPrec(-1, kUnitDrawing, kFormatArchitectural), 4);
}

TEST(UnitsNames, NamesPerLanguageAndAbbreviations)
{
    const CZunArrayTempl<CZunString> de = acad_units(L"de");
    const CZunArrayTempl<CZunString> en = acad_units(L"EN");
    ASSERT_EQ(de.len(), kUnitCount);
    ASSERT_EQ(en.len(), kUnitCount);
    EXPECT_EQ(de[kUnitFoot], L"Fu\u00DF");
    EXPECT_EQ(de[kUnitMicron], L"Mikrometer");
    EXPECT_EQ(en[kUnitInch], L"Inches");
    EXPECT_EQ(en[kUnitMillimeter], L"Millimetres");
    for (const auto* names : {&de, &en})
        for (int i = 0; i < kUnitCount; ++i)
            EXPECT_EQ(names->indexOf((*names)[i]), i) << "names must tell units apart: " << i;
    EXPECT_EQ(acad_units(L"fr"), en);
    EXPECT_EQ(acad_units(L"de_AT"), de);
    EXPECT_EQ(acad_units(L"dex"), en);
    const CZunString previous = msgLangSet(L"en");
    EXPECT_EQ(acad_units(L""), en);
    msgLangSet(previous);

    EXPECT_EQ(unitAbbrev(kUnitMillimeter), L"mm");
    EXPECT_EQ(unitAbbrev(kUnitMeter), L"m");
    EXPECT_EQ(unitAbbrev(kUnitFoot), L"'");
    EXPECT_EQ(unitAbbrev(kUnitMicron), L"\u00B5m");
    EXPECT_TRUE(unitAbbrev(kUnitNone).isEmpty());
    EXPECT_TRUE(unitAbbrev(21).isEmpty());
    for (int unit = 1; unit < kUnitCount; ++unit)
        EXPECT_FALSE(unitAbbrev(unit).isEmpty()) << unit;
}
