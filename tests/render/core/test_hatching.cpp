#include "render/core/zun_hatching.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>
#include <random>
#include <string>
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

// ---- against a plain reference on random regions and patterns ---------------

namespace {

// A closed ring round (cx, cy) whose radius wobbles by a few random
// harmonics, so that hatch lines cross it at every angle.
CZunVertexArray randomRing(std::mt19937& rng, double cx, double cy, double radius, int n)
{
    std::uniform_real_distribution<double> amp(0.0, 0.12), phase(0.0, 2.0 * kPi);
    std::uniform_int_distribution<int> harmonic(2, 13);
    const double a1 = amp(rng), a2 = amp(rng), p1 = phase(rng), p2 = phase(rng);
    const int h1 = harmonic(rng), h2 = harmonic(rng);
    const double turn = phase(rng);
    CZunArrayTempl<CZunPoint3d> points;
    for (int i = 0; i < n; ++i) {
        const double a = turn + 2.0 * kPi * i / n;
        const double r = radius * (1.0 + a1 * std::sin(h1 * a + p1) + a2 * std::cos(h2 * a + p2));
        points.append(CZunPoint3d(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return CZunVertexArray::fromPoints(points, true);
}

struct RandomCase {
    Contours region;
    CPatternLines definition;
    double angle = 0.0;  // of the hatch, radians
};

RandomCase randomCase(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto within = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    RandomCase c;
    const double cx = within(-3.0, 3.0), cy = within(-3.0, 3.0), radius = within(6.0, 12.0);
    c.region.append(randomRing(rng, cx, cy, radius, static_cast<int>(within(12.0, 300.0))));
    // Holes with solid lines, dashes without holes: a dash reaching over a
    // narrow hole is kept up to the hole's far side, which this comparison
    // would count against the generator.
    const bool dashed = unit(rng) < 0.6;
    const int holes = dashed ? 0 : static_cast<int>(within(0.0, 3.0));
    for (int h = 0; h < holes; ++h) {
        const double a = 2.0 * kPi * (h + 0.25) / holes;
        c.region.append(randomRing(rng, cx + 0.5 * radius * std::cos(a), cy + 0.5 * radius * std::sin(a),
                                   0.2 * radius, static_cast<int>(within(5.0, 60.0))));
    }
    const int lines = 1 + static_cast<int>(within(0.0, 2.0));
    for (int l = 0; l < lines; ++l) {
        CPatternLine line;
        line.angle = within(-180.0, 180.0);
        line.originX = within(-2.0, 2.0);
        line.originY = within(-2.0, 2.0);
        line.shift = within(-1.0, 1.0);
        line.spacing = within(0.4, 1.5) * (unit(rng) < 0.2 ? -1.0 : 1.0);
        const int entries = dashed ? static_cast<int>(within(1.0, 5.0)) : 0;
        // No dots: a dotted pattern's lines start a little off whole periods
        // before the origin, which moves their dashes against this reference.
        for (int e = 0; e < entries; ++e)
            line.dashes.push_back(unit(rng) < 0.5 ? -within(0.2, 1.0) : within(0.2, 2.0));
        if (!line.dashes.empty() && std::none_of(line.dashes.begin(), line.dashes.end(), [](double d) { return d >= 0.0; }))
            line.dashes.push_back(within(0.2, 2.0));
        c.definition.push_back(line);
    }
    c.angle = unit(rng) < 0.3 ? 0.0 : within(-kPi, kPi);
    return c;
}

// Where the straight line through p along d crosses the region's edges, as
// distances along d from p.
std::vector<double> crossings(const Contours& region, double px, double py, double dx, double dy)
{
    std::vector<double> at;
    for (const CZunVertexArray& contour : region)
        for (const CZunVertex& v : contour) {
            const double ex = v.end().x - v.start().x, ey = v.end().y - v.start().y;
            const double den = dx * ey - dy * ex;
            if (den == 0.0)
                continue;
            const double wx = v.start().x - px, wy = v.start().y - py;
            const double t = (wx * dy - wy * dx) / den;  // along the edge
            if (t >= 0.0 && t < 1.0)
                at.push_back((wx * ey - wy * ex) / den);
        }
    std::sort(at.begin(), at.end());
    return at;
}

// Pieces shorter than this are lost to tolerances on either side.
constexpr double kTiny = 1e-6;

// Joins touching pieces and drops slivers, so that a dash running on into
// the next and a dash cut by a hair compare alike.
Spans normalised(Spans s)
{
    std::sort(s.begin(), s.end());
    Spans out;
    for (const auto& piece : s) {
        if (!out.empty() && piece.first <= out.back().second + kTiny)
            out.back().second = std::max(out.back().second, piece.second);
        else
            out.push_back(piece);
    }
    std::erase_if(out, [](const auto& p) { return p.second - p.first <= kTiny; });
    return out;
}

// A line family of the hatch as it lies in the region's space.
struct Family {
    double dx, dy;  // along the lines
    double nx, ny;  // across them, the way the generator walks
    double ox, oy;  // the pattern origin
    Family(const CPatternLine& line, double hatchAngle)
    {
        const double a = line.angle * kPi / 180.0 + hatchAngle;
        dx = std::cos(a);
        dy = std::sin(a);
        nx = -dy;
        ny = dx;
        ox = std::cos(hatchAngle) * line.originX - std::sin(hatchAngle) * line.originY;
        oy = std::sin(hatchAngle) * line.originX + std::cos(hatchAngle) * line.originY;
    }
    double across(double x, double y) const { return (x - ox) * nx + (y - oy) * ny; }
    // Along the line from the foot of the pattern origin on it.
    double along(double x, double y) const { return (x - ox) * dx + (y - oy) * dy; }
};

// The hatch by the book: every line of every family crossed with the region
// by the even-odd rule, its dashes laid from the line's own point (the
// origin moved k times by shift and spacing) and cut to the inside.
struct ReferenceLine {
    size_t family;
    double offset;  // across, from the pattern origin
    Spans pieces;   // along, from the foot of the pattern origin
};

Spans dashesWithin(const std::vector<double>& dashes, double dot, double from, double to)
{
    double period = 0.0;
    for (const double d : dashes)
        period += d == 0.0 ? dot : std::abs(d);
    Spans out;
    for (double base = (std::floor(from / period) - 1.0) * period; base < to; base += period) {
        double u = base;
        for (const double d : dashes) {
            const double len = d == 0.0 ? dot : std::abs(d);
            const double s = std::max(u, from), e = std::min(u + len, to);
            if (d >= 0.0 && e > s)
                out.emplace_back(s, e);
            u += len;
        }
    }
    return out;
}

std::vector<ReferenceLine> referenceHatch(const RandomCase& c, double dot)
{
    std::vector<ReferenceLine> out;
    for (size_t f = 0; f < c.definition.size(); ++f) {
        const CPatternLine& line = c.definition[f];
        const Family fam(line, c.angle);
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const CZunVertexArray& contour : c.region)
            for (const CZunVertex& v : contour) {
                lo = std::min(lo, fam.across(v.start().x, v.start().y));
                hi = std::max(hi, fam.across(v.start().x, v.start().y));
            }
        const long k0 = static_cast<long>(std::floor(std::min(lo / line.spacing, hi / line.spacing))) - 2;
        const long k1 = static_cast<long>(std::ceil(std::max(lo / line.spacing, hi / line.spacing))) + 2;
        std::vector<ReferenceLine> family;
        for (long k = k0; k <= k1; ++k) {
            // The line's own point, where its dashes start.
            const double px = fam.ox + k * (line.shift * fam.dx + line.spacing * fam.nx);
            const double py = fam.oy + k * (line.shift * fam.dy + line.spacing * fam.ny);
            const double shift = fam.along(px, py);
            const std::vector<double> at = crossings(c.region, px, py, fam.dx, fam.dy);
            if (at.empty() || at.size() % 2 != 0)
                continue;
            Spans pieces;
            for (size_t i = 0; i + 1 < at.size(); i += 2) {
                Spans inside = line.dashes.empty() ? Spans{{at[i], at[i + 1]}}
                                                   : dashesWithin(line.dashes, dot, at[i], at[i + 1]);
                for (auto& [s, e] : inside)
                    pieces.emplace_back(s + shift, e + shift);
            }
            pieces = normalised(pieces);
            if (!pieces.empty())
                family.push_back({f, fam.across(px, py), pieces});
        }
        std::sort(family.begin(), family.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
        out.insert(out.end(), family.begin(), family.end());
    }
    return out;
}

std::string text(const Spans& spans)
{
    std::string out;
    for (const auto& [s, e] : spans)
        out += "[" + std::to_string(s) + ", " + std::to_string(e) + "] ";
    return out;
}

class HatchAgainstReference : public ::testing::TestWithParam<unsigned> {};

TEST_P(HatchAgainstReference, SameLinesAndPiecesAsThePlainConstruction)
{
    const RandomCase c = randomCase(GetParam());
    const Contours got = zun_hatch_region(c.region, CZunMatrix3d(), CHatchProp(L"RANDOM", c.angle, 1.0, false),
                                          c.definition, kMillimetres);
    const std::vector<ReferenceLine> want = referenceHatch(c, kMillimetres.dot);
    ASSERT_FALSE(want.empty());

    // Each drawn line is matched to the reference line whose family it
    // runs along at whose offset across.
    std::vector<bool> matched(want.size(), false);
    for (const CZunVertexArray& drawn : got) {
        ASSERT_FALSE(drawn.isEmpty());
        const CZunVertex& v0 = drawn.first();
        const auto on = [&](const ReferenceLine& ref) {
            const Family fam(c.definition[ref.family], c.angle);
            return std::abs(fam.across(v0.start().x, v0.start().y) - ref.offset) < 1e-7 &&
                   std::abs(fam.across(v0.end().x, v0.end().y) - ref.offset) < 1e-7;
        };
        Spans pieces;
        const auto it = std::find_if(want.begin(), want.end(), on);
        const Family fam(c.definition[it == want.end() ? 0 : it->family], c.angle);
        for (const CZunVertex& v : drawn) {
            const double u0 = fam.along(v.start().x, v.start().y), u1 = fam.along(v.end().x, v.end().y);
            pieces.emplace_back(std::min(u0, u1), std::max(u0, u1));
        }
        pieces = normalised(pieces);
        if (pieces.empty())
            continue;  // slivers only, which the reference drops
        ASSERT_NE(it, want.end()) << "a line the reference lacks: " << text(pieces);
        const ReferenceLine& ref = *it;
        matched[static_cast<size_t>(it - want.begin())] = true;
        for (const CZunVertex& v : drawn)
            EXPECT_TRUE(on({ref.family, ref.offset, {}}) &&
                        std::abs(fam.across(v.end().x, v.end().y) - ref.offset) < 1e-7);
        ASSERT_EQ(pieces.size(), ref.pieces.size())
            << "family " << ref.family << " at " << ref.offset << ": " << text(pieces) << " against "
            << text(ref.pieces);
        for (size_t j = 0; j < pieces.size(); ++j) {
            EXPECT_NEAR(pieces[j].first, ref.pieces[j].first, 1e-7) << "at " << ref.offset << " piece " << j;
            EXPECT_NEAR(pieces[j].second, ref.pieces[j].second, 1e-7) << "at " << ref.offset << " piece " << j;
        }
    }
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_TRUE(matched[i]) << "no line of family " << want[i].family << " at " << want[i].offset << ": "
                                << text(want[i].pieces);
}

INSTANTIATE_TEST_SUITE_P(Seeds, HatchAgainstReference, ::testing::Range(1u, 41u));

} // namespace

// ---- the lines end to end, as the painter takes them --------------------------

namespace {

bool sameBits(const CZunPoint3d& a, const CZunPoint3d& b)
{
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
           std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
}

// The flat form must hold the very lines of the array form: same count,
// same split into lines, every end and bulge the same bit for bit.
void expectSameLines(const Contours& lines, const ZunHatchLines& flat)
{
    ASSERT_EQ(flat.count(), lines.len());
    ASSERT_EQ(flat.starts.back(), flat.vertices.len());
    for (int i = 0; i < lines.len(); ++i) {
        const int from = flat.starts[static_cast<size_t>(i)];
        ASSERT_EQ(flat.starts[static_cast<size_t>(i) + 1] - from, lines[i].len()) << "line " << i;
        for (int j = 0; j < lines[i].len(); ++j) {
            const CZunVertex& want = lines[i].get(j);
            const CZunVertex& got = flat.vertices.get(from + j);
            EXPECT_TRUE(sameBits(want.start(), got.start()) && sameBits(want.end(), got.end()) &&
                        std::bit_cast<std::uint64_t>(want.bulge()) == std::bit_cast<std::uint64_t>(got.bulge()))
                << "line " << i << " vertex " << j;
        }
    }
}

struct FlatCase {
    const char* name;
    CHatchProp hatch;
    CZunMatrix3d mtx;
};

class HatchLinesFlat : public ::testing::TestWithParam<unsigned> {};

// Random regions and patterns, and the same at a mirroring and a turning
// matrix and as a double user hatch: one buffer reused for them all.
TEST_P(HatchLinesFlat, HoldTheLinesOfTheArrayFormBitForBit)
{
    const RandomCase c = randomCase(GetParam());
    const CZunMatrix3d mirror = CZunMatrix3d().setToScaling(CZunVector3d(-1.0, 1.0, 1.0));
    const CZunMatrix3d turn = CZunMatrix3d().setToRotation(0.7, CZunVector3d::kZAxis, {1.0, 2.0, 0.0});
    const FlatCase cases[] = {{"plain", CHatchProp(L"RANDOM", c.angle, 1.0, false), CZunMatrix3d()},
                              {"mirrored", CHatchProp(L"RANDOM", c.angle, 0.8, false), mirror},
                              {"turned", CHatchProp(L"RANDOM", c.angle, 1.3, false), turn},
                              {"double user", CHatchProp(L"_USER", c.angle, 0.9, true), turn}};
    // One buffer reused from case to case, as a painter's thread reuses it
    // from region to region; each test starts with its own.
    ZunHatchLines flat;
    for (const FlatCase& fc : cases) {
        const Contours lines = zun_hatch_region(c.region, fc.mtx, fc.hatch, c.definition, kMillimetres);
        zun_hatch_region_lines(c.region, fc.mtx, fc.hatch, c.definition, kMillimetres, flat);
        SCOPED_TRACE(fc.name);
        if (std::string(fc.name) == "plain")
            EXPECT_FALSE(lines.isEmpty());
        expectSameLines(lines, flat);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, HatchLinesFlat, ::testing::Range(1u, 21u));

// A region with arcs keeps its lines straight; an empty region and an
// unknown pattern give no lines, and the buffer says so.
TEST(HatchLinesFlatEdge, ArcsEmptyRegionAndNoPattern)
{
    CZunVertexArray round;
    round.append({0, 0}, {10, 0}, 1.0);
    round.append({10, 0}, {0, 0}, 1.0);
    const CHatchProp user(L"_USER", 0.3, 0.7, false);
    ZunHatchLines flat;
    zun_hatch_region_lines({round}, CZunMatrix3d(), user, {}, kMillimetres, flat);
    expectSameLines(zun_hatch_region({round}, CZunMatrix3d(), user, {}, kMillimetres), flat);
    EXPECT_GT(flat.count(), 5);
    zun_hatch_region_lines({}, CZunMatrix3d(), user, {}, kMillimetres, flat);
    EXPECT_EQ(flat.count(), 0);
    zun_hatch_region_lines({round}, CZunMatrix3d(), CHatchProp(L"NONE", 0.0, 1.0, false), {}, kMillimetres, flat);
    EXPECT_EQ(flat.count(), 0);
    EXPECT_TRUE(flat.vertices.isEmpty());
}

} // namespace
