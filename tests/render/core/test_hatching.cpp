#include "render/core/zun_hatching.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace ZUN;

namespace {

using Contours = CZunArrayTempl<CZunVertexArray>;
using Spans = std::vector<std::pair<double, double>>;

CZunVertexArray square(double x0, double y0, double x1, double y1)
{
    return CZunVertexArray::fromPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, true);
}

// The shipped patterns and a few of the tests' own. The algorithms are
// handed their definitions, as the painter hands them; no application
// object is involved.
const CHatchPatternLib& patterns()
{
    static const CHatchPatternLib lib = [] {
        CHatchPatternLib l;
        EXPECT_TRUE(l.load(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/data/zun.pat")));
        EXPECT_TRUE(l.parse("*FLAT\n0, 0,0, 0,1\n*DASH\n0, 0,0, 0,1, 2,-1\n*STAGGER\n0, 0,0, 1,1, 2,-1\n"
                            "*DOT\n0, 0,0, 0,1, 0,-1\n*ALONG\n0, 0,0, 3,0\n",
                            L"test.pat"));
        return l;
    }();
    return lib;
}

CPatternLines definitionOf(const wchar_t* name)
{
    CHatchPattern definition;
    patterns().get(name, definition);
    return patternLinesOf(definition);
}

const ZunUnitLengths kMillimetres = ZunUnitLengths::inUnit(kUnitMillimeter);

Contours hatch(const Contours& region, const wchar_t* name, double angle = 0.0, double scale = 1.0,
               bool isDouble = false, const CZunMatrix3d& mtx = CZunMatrix3d(),
               const ZunUnitLengths& lengths = kMillimetres)
{
    return zun_hatch_region(region, mtx, CHatchProp(name, angle, scale, isDouble), definitionOf(name), lengths);
}

// The pieces of one line of a horizontal hatch as x ranges, left to right.
Spans spans(const CZunVertexArray& line)
{
    Spans out;
    for (const CZunVertex& v : line) {
        EXPECT_NEAR(v.start().y, v.end().y, 1e-9);
        out.emplace_back(std::min(v.start().x, v.end().x), std::max(v.start().x, v.end().x));
    }
    std::sort(out.begin(), out.end());
    return out;
}

void expectSpans(const CZunVertexArray& line, const Spans& expected)
{
    const Spans got = spans(line);
    ASSERT_EQ(got.size(), expected.size()) << "line at y " << line.first().start().y;
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, expected[i].first, 1e-9) << "piece " << i << " at y " << line[0].start().y;
        EXPECT_NEAR(got[i].second, expected[i].second, 1e-9) << "piece " << i << " at y " << line[0].start().y;
    }
}

// No drawn piece has its middle outside the region (holes are outside).
void expectAllInside(const Contours& region, const Contours& lines)
{
    for (const CZunVertexArray& line : lines)
        for (const CZunVertex& v : line)
            EXPECT_NE(g_vll_pt_inside(region, v.mid()), 0) << "piece at (" << v.mid().x << ", " << v.mid().y << ")";
}


} // namespace

TEST(HatchGenUser, ScaleTwoGivesLinesTwoApartClippedToTheSquare)
{
    // Lines at y = 0, 2, ... 10, lowest first; those along the top and
    // bottom edges count as inside.
    const Contours lines = hatch({square(0, 0, 10, 10)}, L"_USER", 0.0, 2.0);
    ASSERT_EQ(lines.len(), 6);
    for (int i = 0; i < lines.len(); ++i) {
        EXPECT_NEAR(lines[i][0].start().y, 2.0 * i, 1e-9);
        expectSpans(lines[i], {{0.0, 10.0}});
    }
    // mtx maps pattern space: 2 x 2 apart.
    CZunMatrix3d twice;
    twice.setToScaling(2.0);
    const Contours scaled = hatch({square(0, 0, 10, 10)}, L"_u", 0.0, 2.0, false, twice);
    ASSERT_EQ(scaled.len(), 3);
    EXPECT_NEAR(scaled[1][0].start().y - scaled[0][0].start().y, 4.0, 1e-9);
}

TEST(HatchGenUser, DoubleHatchPutsTheCrossingSetFirst)
{
    // The upright set, walked upward in its own frame (-x), then the level one.
    const Contours lines = hatch({square(0.5, 0.5, 9.5, 9.5)}, L"_USER", 0.0, 2.0, true);
    ASSERT_EQ(lines.len(), 8);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(lines[i].len(), 1);
        const CZunVertex& v = lines[i][0];
        const bool upright = i < 4;
        EXPECT_NEAR(upright ? v.end().x - v.start().x : v.end().y - v.start().y, 0.0, 1e-9) << "line " << i;
        EXPECT_NEAR(upright ? v.start().x : v.start().y, upright ? 8.0 - 2.0 * i : 2.0 * (i - 3), 1e-9);
    }
    EXPECT_EQ(hatch({square(0.5, 0.5, 9.5, 9.5)}, L"_USER", 0.0, 2.0, false).len(), 4);
}

TEST(HatchGenUser, TurnedHatchReachesARegionAwayFromTheOrigin)
{
    // Turned by 90 degrees; in the frame of the unturned line the region
    // lies below the origin, turned it lies above.
    const Contours lines = hatch({square(100.5, 100.5, 109.5, 109.5)}, L"_USER", kPi / 2.0);
    ASSERT_EQ(lines.len(), 9);
    for (int i = 0; i < lines.len(); ++i) {
        EXPECT_NEAR(lines[i][0].start().x, 109.0 - i, 1e-9);
        EXPECT_NEAR(lines[i][0].end().x, 109.0 - i, 1e-9);
    }
}

TEST(HatchGenHoles, LinesThroughAHoleHaveTwoPieces)
{
    for (const bool clockwise : {false, true}) {
        CZunVertexArray hole = square(3.5, 3.5, 6.5, 6.5);
        if (clockwise)
            hole.revert();
        const Contours lines = hatch({square(0, 0, 10, 10), hole}, L"FLAT");
        ASSERT_EQ(lines.len(), 11);
        for (int i = 0; i < lines.len(); ++i)
            expectSpans(lines[i], i >= 4 && i <= 6 ? Spans{{0.0, 3.5}, {6.5, 10.0}} : Spans{{0.0, 10.0}});
    }
    const Contours region{square(0, 0, 40, 30), square(5, 5, 15, 20), square(22, 8, 35, 12)};
    for (const wchar_t* name : {L"ANSI31", L"ANSI37", L"BRICK", L"ANSI36"}) {
        const Contours lines = hatch(region, name, 0.3);
        EXPECT_GT(lines.len(), 10) << CZunString(name);
        expectAllInside(region, lines);
    }
}

TEST(HatchGenHoles, LineTouchingACornerDrawsNothing)
{
    // Pairing the three points at y = 5 from the right would join the tip
    // of the spike to the block across the outside.
    const Contours spike{CZunVertexArray::fromPoints({{20, 0}, {20, 2}, {17, 5}, {14, 2}, {8, 2}, {8, 10}, {0, 10}, {0, 0}}, true)};
    // Here it would fill the square hole left of the triangle's tip.
    const Contours holes{square(0, 0, 20, 10), square(4, 3.5, 8, 6.5),
                         CZunVertexArray::fromPoints({{12, 2}, {18, 2}, {15, 5}}, true)};
    for (const Contours& region : {spike, holes}) {
        const Contours lines = hatch(region, L"FLAT");
        ASSERT_EQ(lines.len(), 10);  // 0 to 10 but 5
        expectAllInside(region, lines);
        for (const CZunVertexArray& line : lines)
            EXPECT_GT(std::abs(line[0].start().y - 5.0), 0.5) << "a line touching a corner was drawn";
    }
}

TEST(HatchGenDash, DashesAcrossTheBoundaryAreCutThere)
{
    // Dashes at [3m, 3m + 2]; those across x = 0.5 and 9.5 keep their inside.
    const Contours lines = hatch({square(0.5, 0.5, 9.5, 9.5)}, L"DASH");
    ASSERT_EQ(lines.len(), 9);
    for (const CZunVertexArray& line : lines)
        expectSpans(line, {{0.5, 2.0}, {3.0, 5.0}, {6.0, 8.0}, {9.0, 9.5}});

    // Line k is shifted by k: dashes at [3m + k, 3m + k + 2]. At y = 2 the
    // dashes [2, 4] and [5, 7] reach into the hole from either side.
    const Contours staggered = hatch({square(0, 0.5, 12, 3.5), square(3.5, 1.5, 6.5, 2.5)}, L"STAGGER");
    ASSERT_EQ(staggered.len(), 3);
    expectSpans(staggered[0], {{1, 3}, {4, 6}, {7, 9}, {10, 12}});
    expectSpans(staggered[1], {{0, 1}, {2, 3.5}, {6.5, 7}, {8, 10}, {11, 12}});
    expectSpans(staggered[2], {{0, 2}, {3, 5}, {6, 8}, {9, 11}});
}

TEST(HatchGenDash, DotsAreShortDashesInTheDrawingUnit)
{
    for (const int unit : {kUnitMillimeter, kUnitCentimeter}) {
        const double dot = unit == kUnitMillimeter ? 0.2 : 0.02;
        const Contours lines = hatch({square(0.5, 0.5, 9.5, 1.5)}, L"DOT", 0.0, 1.0, false, CZunMatrix3d(),
                                     ZunUnitLengths::inUnit(unit));
        ASSERT_EQ(lines.len(), 1);
        const Spans dots = spans(lines[0]);
        ASSERT_GE(dots.size(), 6u);
        // Inner dots only: the boundary may cut the outer ones.
        for (size_t i = 2; i + 1 < dots.size(); ++i) {
            EXPECT_NEAR(dots[i].second - dots[i].first, dot, 1e-9);
            EXPECT_NEAR(dots[i].first - dots[i - 1].first, dot + 1.0, 1e-9);
        }
    }
}

TEST(HatchGenEdge, EmptyCasesTransformsAndOrientation)
{
    const Contours region{square(0, 0, 30, 20)};
    EXPECT_TRUE(hatch(region, L"NO-SUCH").isEmpty());
    EXPECT_TRUE(hatch(region, L"ALONG").isEmpty());  // no spacing
    EXPECT_TRUE(hatch(Contours(), L"ANSI31").isEmpty());
    EXPECT_TRUE(hatch(Contours(), L"_USER", 0.0, 1.0, true).isEmpty());

    // A mirroring mtx turns the contours round; the caller's stay as they are.
    CZunMatrix3d mirror;
    mirror.setToScaling(CZunVector3d(-1.0, 1.0, 1.0));
    const Contours before = region;
    const Contours mirrored = hatch(region, L"ansi31", 0.0, 1.0, false, mirror);
    EXPECT_GT(mirrored.len(), 10);
    expectAllInside(region, mirrored);
    EXPECT_EQ(region, before);

    CZunVertexArray cw = square(0, 0, 1, 1);
    cw.revert();
    const CZunVertexArray open = CZunVertexArray::fromPoints({{1, 0}, {0, 0}, {0, 1}}, false);
    Contours set{cw, open};
    zun_gdx_reg_orient(set, CZunVector3d::kZAxis);
    EXPECT_EQ(set[0], square(0, 0, 1, 1));
    EXPECT_EQ(set[1], open);
}

TEST(HatchGenSimple, ParallelLinesAndDotGrid)
{
    // One line per unit from the bottom, through the hole in two pieces.
    const Contours region{square(0, 0, 10, 10), square(3.5, 3.5, 6.5, 6.5)};
    const Contours lines = zun_gdx_image_reg_hatch(region, CZunMatrix3d(), L"LINES", 1.0, 0.0);
    EXPECT_EQ(lines.len(), 13);
    expectAllInside(region, lines);

    const Contours dots = zun_gdx_image_reg_hatch({square(0, 0, 10, 10)}, CZunMatrix3d(), L"dots", 2.0, 0.0);
    ASSERT_EQ(dots.len(), 36);
    for (int i = 0; i < dots.len(); ++i) {
        ASSERT_EQ(dots[i].len(), 1);
        EXPECT_TRUE(dots[i][0].isDegenerate());
        EXPECT_NEAR(dots[i][0].start().x, 2.0 * (i % 6), 1e-9);
        EXPECT_NEAR(dots[i][0].start().y, 2.0 * (i / 6), 1e-9);
    }
    EXPECT_TRUE(zun_gdx_image_reg_hatch(region, CZunMatrix3d(), L"DOTS", 0.0, 0.0).isEmpty());
}

TEST(DensityTest, SpacingAboveTwoPointThreeAndFewerThanNinetyFiveAcross)
{
    const auto test = [](const Contours& region, const wchar_t* name, double scale, double toDevice) {
        CZunMatrix3d mtx;
        mtx.setToScaling(toDevice);
        return zun_hatch_pattern_test(region, CHatchProp(name, 0.0, scale, false), definitionOf(name), mtx);
    };
    const Contours region{square(0, 0, 10, 10)};
    EXPECT_FALSE(test(region, L"FLAT", 1.0, 2.3));
    EXPECT_TRUE(test(region, L"FLAT", 1.0, 2.3001));
    // 3.175 x 0.72 < 2.3 < 3.175 x 0.73
    EXPECT_FALSE(test(region, L"ANSI31", 0.72, 1.0));
    EXPECT_TRUE(test(region, L"ANSI31", 0.73, 1.0));
    // Without spacing the shift along the line counts: 3 x 0.7 < 2.3.
    EXPECT_FALSE(test(region, L"ALONG", 1.0, 0.7));
    EXPECT_TRUE(test(region, L"ALONG", 1.0, 0.8));

    EXPECT_FALSE(test({square(0, 0, 10, 95)}, L"FLAT", 1.0, 10.0));
    EXPECT_TRUE(test({square(0, 0, 10, 94.9)}, L"FLAT", 1.0, 10.0));
    // Across the pattern line, and the outline only.
    EXPECT_TRUE(test({square(0, 0, 500, 94.9), square(1, 1, 2, 200)}, L"FLAT", 1.0, 10.0));
    const double side = 95.0 * 3.175 / std::sqrt(2.0);  // ANSI31 crosses a square diagonally
    EXPECT_FALSE(test({square(0, 0, side * 1.001, side * 1.001)}, L"ANSI31", 1.0, 1.0));
    EXPECT_TRUE(test({square(0, 0, side * 0.99, side * 0.99)}, L"ANSI31", 1.0, 1.0));

    // Unknown patterns pass; "_USER" is not special here.
    EXPECT_TRUE(test({square(0, 0, 1000, 1000)}, L"NO-SUCH", 1.0, 1e-3));
    EXPECT_TRUE(test({square(0, 0, 1000, 1000)}, L"_USER", 1.0, 1e-3));
    EXPECT_TRUE(test(Contours(), L"ANSI31", 1.0, 1.0));
}

// The contract entry points look the definition up in the application
// object and the lengths up in the drawing's unit, and then do exactly
// what the algorithm does with them.
TEST(HatchEntryPoints, LookUpTheApplicationsPatternAndTheDrawingUnit)
{
    struct Restore {
        int unit = acad_unit_get();
        CZunApp* previous = nullptr;
        ~Restore()
        {
            acad_unit_set(unit);
            zunAppSet(previous);
        }
    } restore;
    CZunApp app;
    app.setHatchPatterns(patterns());
    restore.previous = zunAppSet(&app);
    const Contours region{square(0.5, 0.5, 9.5, 1.5)};
    for (const int unit : {kUnitMillimeter, kUnitCentimeter}) {
        acad_unit_set(unit);
        for (const wchar_t* name : {L"DOT", L"ANSI31", L"_USER", L"NO-SUCH"}) {
            const CHatchProp prop(name, 0.3, 0.5, true);
            EXPECT_EQ(zun_gdx_image_reg_hatch2(region, CZunMatrix3d(), prop),
                      zun_hatch_region(region, CZunMatrix3d(), prop, definitionOf(name), ZunUnitLengths::inUnit(unit)))
                << CZunString(name) << " in unit " << unit;
            CZunMatrix3d toDevice;
            toDevice.setToScaling(0.5);
            EXPECT_EQ(zun_gdx_pattern_test(region, prop, toDevice),
                      zun_hatch_pattern_test(region, prop, definitionOf(name), toDevice))
                << CZunString(name);
        }
    }
    // A pattern the application does not have draws nothing, whatever the test's library holds.
    app.setHatchPatterns(CHatchPatternLib());
    EXPECT_TRUE(zun_gdx_image_reg_hatch2(region, CZunMatrix3d(), CHatchProp(L"DOT", 0.0, 1.0, false)).isEmpty());
    EXPECT_FALSE(zun_hatch_region(region, CZunMatrix3d(), CHatchProp(L"DOT", 0.0, 1.0, false), definitionOf(L"DOT"),
                                  kMillimetres)
                     .isEmpty());
}
