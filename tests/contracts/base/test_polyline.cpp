#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace ZUN;

namespace {

const double kRoot = std::sqrt(0.5);

void expectPoint(const CZunPoint3d& p, double x, double y, double z = 0.0, double tol = 1e-12)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

CZunVertexArray poly(const CZunArrayTempl<CZunPoint3d>& points, bool closed = false)
{
    return CZunVertexArray::fromPoints(points, closed);
}

CZunVertexArray square(double x0, double y0, double x1, double y1)
{
    return poly({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, true);
}

// Counter-clockwise circle of radius r about (cx, cy), as two half arcs.
CZunVertexArray circle(double cx, double cy, double r)
{
    return {CZunVertex({cx + r, cy}, {cx - r, cy}, 1.0), CZunVertex({cx - r, cy}, {cx + r, cy}, 1.0)};
}

// Square 0..10 with a square hole 3..7.
CZunArrayTempl<CZunVertexArray> squareWithHole()
{
    return {square(0, 0, 10, 10), square(3, 3, 7, 7)};
}

// Where each point lies against the set: 1 inside, 0 outside, -1 on an edge.
struct InsideProbe {
    CZunPoint3d point;
    int expected;
};

void expectInside(const CZunArrayTempl<CZunVertexArray>& set, std::initializer_list<InsideProbe> probes)
{
    for (const InsideProbe& p : probes)
        EXPECT_EQ(g_vll_pt_inside(set, p.point), p.expected) << p.point.x << ", " << p.point.y;
}

} // namespace

TEST(PolylineExtents, TurnedFrameAndRectangle)
{
    CZunPoint3d c0, c1;
    ASSERT_TRUE(g_vl_extmax(square(0, 0, 1, 1), kPi / 4, c0, c1));
    expectPoint(c0, 0, -kRoot);
    expectPoint(c1, 2 * kRoot, kRoot);
    const CZunVertexArray rect = g_vl_extrect(square(0, 0, 1, 1), kPi / 4);
    ASSERT_EQ(rect.len(), 4);
    EXPECT_TRUE(rect.isClosed());
    expectPoint(rect[0].start(), 0.5, -0.5);
    expectPoint(rect[1].start(), 1.5, 0.5);
    expectPoint(rect[2].start(), 0.5, 1.5);
    expectPoint(rect[3].start(), -0.5, 0.5);
    // Arcs count with their bulge: a circle is as wide at any angle.
    ASSERT_TRUE(g_vl_extmax(circle(3, 0, 1), kPi / 6, c0, c1));
    expectPoint(c0, 3 * std::cos(kPi / 6) - 1, -1.5 - 1);
    expectPoint(c1, 3 * std::cos(kPi / 6) + 1, -1.5 + 1);
    EXPECT_FALSE(g_vl_extmax(CZunVertexArray(), 1.0, c0, c1));
    EXPECT_EQ(c0, CZunPoint3d::kOrigin);
    EXPECT_EQ(c1, CZunPoint3d::kOrigin);
}

TEST(PolylineOrient, ArcsDecideTheTurn)
{
    CZunVertexArray sq = square(0, 0, 1, 1);
    EXPECT_TRUE(g_vl_orient(sq, CZunVector3d::kZAxis));
    EXPECT_FALSE(g_vl_orient(sq, -CZunVector3d::kZAxis));
    EXPECT_FALSE(g_vl_orient(sq.revert(), CZunVector3d::kZAxis));
    // A chord and an arc: the chord alone has no area.
    CZunVertexArray dome{CZunVertex({-1, 0}, {1, 0}), CZunVertex({1, 0}, {-1, 0}, 1.0)};
    EXPECT_TRUE(g_vl_orient(dome, CZunVector3d::kZAxis));
    dome[1].setBulge(-1.0);
    EXPECT_FALSE(g_vl_orient(dome, CZunVector3d::kZAxis));
    CZunVertexArray round = circle(5, 5, 2);
    EXPECT_TRUE(g_vl_orient(round, CZunVector3d::kZAxis));
    EXPECT_FALSE(g_vl_orient(round.revert(), CZunVector3d::kZAxis));
    // An inward arc that outweighs a small counter-clockwise triangle.
    const CZunVertexArray bitten{CZunVertex({0, 0}, {2, 0}, -3.0), CZunVertex({2, 0}, {1, 0.1}),
                                 CZunVertex({1, 0.1}, {0, 0})};
    EXPECT_FALSE(g_vl_orient(bitten, CZunVector3d::kZAxis));
}

TEST(PolylinePieces, SplitExplodeFlatten)
{
    CZunVertexArray vl = poly({{0, 0, 1}, {1, 0, 1}});
    vl.append({5, 0}, {6, 0});
    vl.append({6, 0}, {7, 0});
    vl.append({9, 9}, {9, 9});
    const auto pieces = g_vl_to_vll(vl);
    ASSERT_EQ(pieces.len(), 3);
    EXPECT_EQ(pieces[1].len(), 2);
    EXPECT_TRUE(g_vl_to_vll(CZunVertexArray()).isEmpty());

    const CZunVertex arc({1, 0, 0}, {-1, 0, 2}, 1.0);
    const CZunVertexArray four = g_vl_expl(arc, 4);
    ASSERT_EQ(four.len(), 4);
    expectPoint(four[1].start(), kRoot, kRoot, 0.5);
    expectPoint(four[3].end(), -1, 0, 2);
    EXPECT_FALSE(four[2].isArc());
    EXPECT_NEAR(four[2].start().distanceTo(four[2].end()), std::hypot(2 * std::sin(kPi / 8), 0.5), 1e-12);
    EXPECT_EQ(g_vl_expl(CZunVertex({0, 0}, {3, 0}), 3)[1], CZunVertex({1, 0}, {2, 0}));

    const CZunVertex big({10, 0}, {-10, 0}, 1.0);
    EXPECT_EQ(g_vx_split_dif(big, 0.5), 5);  // 4 pieces would leave it by 0.76
    EXPECT_EQ(g_vx_split_dif(big, 100.0), 1);
    EXPECT_EQ(g_vx_split_dif(big, 0.0), kZunMaxArcPieces);
    EXPECT_EQ(g_vx_split_dif(CZunVertex({0, 0}, {5, 0}), 0.0), 1);
    CZunVertexArray mixed{CZunVertex({20, 0}, {10, 0}), big};
    const CZunVertexArray flat = g_vl_expl(mixed, 0.5);
    ASSERT_EQ(flat.len(), 6);
    EXPECT_EQ(flat[0], mixed[0]);
    EXPECT_TRUE(flat.isContinuous());
    expectPoint(flat.last().end(), -10, 0);

    const CZunVertexArray low = g_vx_xy(CZunVertexArray{CZunVertex({1, 2, 3}, {4, 5, 6}, 0.25)});
    EXPECT_EQ(low[0], CZunVertex({1, 2, 0}, {4, 5, 0}, 0.25));
}

TEST(PolylineLotp, FootOnSegmentAndArc)
{
    const CZunVertex seg({0, 0}, {10, 0});
    expectPoint(lotp(seg, {3, 4}), 3, 0);
    expectPoint(lotp(seg, {-3, 4}), 0, 0);
    expectPoint(lotp(seg, {13, -4}), 10, 0);
    const CZunVertex arc({1, 0}, {-1, 0}, 1.0);
    expectPoint(lotp(arc, {0, 3}), 0, 1);
    expectPoint(lotp(arc, {2, 2}), kRoot, kRoot);
    expectPoint(lotp(arc, {0.5, -3}), 1, 0);   // nearer the start
    expectPoint(lotp(arc, {-0.5, -3}), -1, 0); // nearer the end
}

TEST(PolylineMeasure, NoDriftOnAMillionUnitLine)
{
    // At 45 degrees no step is exact in binary: adding steps would drift.
    const CZunVertexArray line{CZunVertex({0, 0}, {1e6 * kRoot, 1e6 * kRoot})};
    const auto dashes = g_vl_measure(line, 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(dashes.len(), 66667);
    for (int k = 0; k < dashes.len(); ++k) {
        ASSERT_EQ(dashes[k].len(), 1);
        ASSERT_NEAR(dashes[k][0].start().abs(), 15.0 * k, 1e-6) << k;
        ASSERT_NEAR(dashes[k][0].bulgLen(), 10.0, 1e-6) << k;
    }
}

TEST(PolylineMeasure, NoDriftOverManyVertices)
{
    const int n = 100000;
    CZunArrayTempl<CZunPoint3d> points;
    points.reserve(n + 1);
    for (int i = 0; i <= n; ++i)
        points.append({7.3 * i * kRoot, 7.3 * i * kRoot});
    const auto dashes = g_vl_measure(poly(points), 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(dashes.len(), 48667);
    int turning = 0;
    for (int k = 0; k < dashes.len(); ++k) {
        ASSERT_NEAR(dashes[k][0].start().abs(), 15.0 * k, 1e-6) << k;
        ASSERT_NEAR(dashes[k].length(), 10.0, 1e-6) << k;
        ASSERT_TRUE(dashes[k].isContinuous());
        turning += dashes[k].len() > 1;
    }
    EXPECT_GT(turning, 10000);  // dashes running over a vertex stay one piece
}

TEST(PolylineMeasure, CornersArcsAndDots)
{
    const auto corner = g_vl_measure(poly({{0, 0}, {8, 0}, {8, 20}}), 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(corner.len(), 2);
    ASSERT_EQ(corner[0].len(), 2);
    EXPECT_EQ(corner[0][0], CZunVertex({0, 0}, {8, 0}));
    EXPECT_EQ(corner[0][1], CZunVertex({8, 0}, {8, 2}));
    EXPECT_EQ(corner[1], CZunVertexArray{CZunVertex({8, 7}, {8, 17})});
    // The factor scales the pattern: one dash of 20 round the corner, then a gap to the end.
    const auto scaled = g_vl_measure(poly({{0, 0}, {8, 0}, {8, 20}}), 2.0, CZunLineParm(10, -5));
    ASSERT_EQ(scaled.len(), 1);
    EXPECT_EQ(scaled[0].last().end(), CZunPoint3d(8, 12));

    // Radius 10, length 10 pi: dashes of 10 are arcs of 1 radian.
    const auto arcs = g_vl_measure({CZunVertex({10, 0}, {-10, 0}, 1.0)}, 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(arcs.len(), 3);
    const double from[3] = {0.0, 1.5, 3.0}, to[3] = {1.0, 2.5, kPi};
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(arcs[k].len(), 1);
        const CZunVertex& v = arcs[k][0];
        expectPoint(v.start(), 10 * std::cos(from[k]), 10 * std::sin(from[k]));
        expectPoint(v.end(), 10 * std::cos(to[k]), 10 * std::sin(to[k]));
        EXPECT_NEAR(v.bulge(), std::tan((to[k] - from[k]) / 4), 1e-14);
    }

    const auto dots = g_vl_measure(poly({{0, 0}, {12, 0}}), 1.0, CZunLineParm(CZunArrayTempl<double>{0, -5}));
    ASSERT_EQ(dots.len(), 3);
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(dots[k].len(), 1);
        EXPECT_EQ(dots[k][0].start(), dots[k][0].end());
        expectPoint(dots[k][0].start(), 5.0 * k, 0);
    }
    const auto mixed = g_vl_measure(poly({{0, 0}, {20, 0}}), 1.0, CZunLineParm(CZunArrayTempl<double>{6, -2, 0, -2}));
    ASSERT_EQ(mixed.len(), 4);
    EXPECT_EQ(mixed[1][0], CZunVertex({8, 0}, {8, 0}));
    EXPECT_EQ(mixed[2][0], CZunVertex({10, 0}, {16, 0}));
}

TEST(PolylineMeasure, SolidPatternsAndGaps)
{
    CZunVertexArray vl = poly({{0, 0}, {12, 0}});
    EXPECT_EQ(g_vl_measure(vl, 1.0, CZunLineParm()), CZunArrayTempl<CZunVertexArray>{vl});
    EXPECT_EQ(g_vl_measure(vl, 0.0, CZunLineParm(10, -5)).len(), 1);
    // Dashes that follow each other without a gap are one piece.
    const auto joined = g_vl_measure(vl, 1.0, CZunLineParm(CZunArrayTempl<double>{5, 5}));
    ASSERT_EQ(joined.len(), 1);
    EXPECT_NEAR(joined[0].length(), 12.0, 1e-12);
    // A pattern far finer than the line would flood memory: the line stays whole.
    EXPECT_EQ(g_vl_measure(poly({{0, 0}, {1e7, 0}}), 1.0, CZunLineParm(1e-3, -1e-3)).len(), 1);
    // The pattern runs on over a gap, but no piece bridges it.
    vl.append({20, 0}, {32, 0});
    EXPECT_EQ(g_vl_measure(vl, 1.0, CZunLineParm()).len(), 2);
    const auto split = g_vl_measure(vl, 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(split.len(), 2);
    EXPECT_EQ(split[0], CZunVertexArray{CZunVertex({0, 0}, {10, 0})});
    EXPECT_EQ(split[1], CZunVertexArray{CZunVertex({23, 0}, {32, 0})});
}

TEST(PolylineMeasure, OneStraightVertexDashesAsInAnyWalk)
{
    // A lone straight vertex takes a shorter road than a polyline does; it
    // must end at the very same bits. The same vertex as the first piece of
    // a polyline with a gap after it goes the long way round.
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const CZunArrayTempl<double> patterns[] = {{10, -5}, {0, -4}, {11, -5, 0, -5}, {2.5, -0.5, 0.5, -0.5}, {3, 1}};
    int compared = 0;
    for (int i = 0; i < 2000; ++i) {
        const CZunVertex v({u(rng) * 200, u(rng) * 200, u(rng) < 0.3 ? u(rng) * 20 : 0.0},
                           {u(rng) * 200, u(rng) * 200, 0.0});
        const CZunVertexArray far{CZunVertex({1e4, 1e4}, {1e4 + 1, 1e4})};
        CZunVertexArray withGap{v};
        withGap.append(far);
        const CZunLineParm parm(patterns[i % 5]);
        const double factor = 0.25 + 2 * u(rng);
        const auto alone = g_vl_measure(CZunVertexArray{v}, factor, parm);
        auto walked = g_vl_measure(withGap, factor, parm);
        // The far piece's own dashes come last.
        while (!walked.isEmpty() && walked.last().first().start().x >= 1e4)
            walked.setLen(walked.len() - 1);
        ASSERT_EQ(alone, walked) << i;
        compared += alone.len();
    }
    EXPECT_GT(compared, 20000);
}

TEST(PolylineMeasure, UnmeasurableLengthsStayWhole)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CZunVertex broken({0, 0}, {nan, 5});
    const auto alone = g_vl_measure(CZunVertexArray{broken}, 1.0, CZunLineParm(10, -5));
    ASSERT_EQ(alone.len(), 1);
    EXPECT_TRUE(std::isnan(alone[0][0].end().x));
    // Walked, such a length used to run the pattern on for ever.
    CZunVertexArray two{broken};
    two.append({nan, 5}, {nan, 9});
    int vertices = 0;
    for (const CZunVertexArray& piece : g_vl_measure(two, 1.0, CZunLineParm(10, -5)))
        vertices += piece.len();
    EXPECT_EQ(vertices, 2);
}

TEST(PolylineInside, EvenOddWithHoles)
{
    // In, in the hole, beside it; level with the hole's bottom edge (2, 3)
    // and with a horizontal edge (-1, 0); on an edge, even 5e-8 beside it: -1.
    expectInside(squareWithHole(), {{{1, 1}, 1}, {{8, 7}, 1}, {{2, 3}, 1}, {{5, 5}, 0}, {{5, 3.5}, 0}, {{11, 5}, 0},
                                    {{-1, 0}, 0}, {{-1, 10}, 0}, {{5, 1e-6}, 1}, {{5, -1e-6}, 0}, {{5, 0}, -1},
                                    {{3, 3}, -1}, {{7, 5 + 5e-8}, -1}});
    // Level with the vertices of a diamond: the ray passes through corners.
    expectInside({poly({{0, -1}, {1, 0}, {0, 1}, {-1, 0}}, true)},
                 {{{0, 0}, 1}, {{-2, 0}, 0}, {{0.5, 1}, 0}, {{-0.5, -1}, 0}});
}

TEST(PolylineInside, ArcsCountWithTheirBulge)
{
    // (0, 0.9) lies outside the chord polygon, (-0.5, 0) on a chord level
    // with the vertices.
    expectInside({circle(0, 0, 1)}, {{{0, 0.9}, 1}, {{0, -0.99}, 1}, {{0, 1.01}, 0}, {{-0.5, 0}, 1}, {{1.5, 0}, 0},
                                     {{-1.5, 0}, 0}, {{0.5, std::sqrt(0.75)}, -1}});
    // A square with one side bulging inwards.
    CZunVertexArray bay = square(0, 0, 4, 4);
    bay[1].setBulge(-1.0);  // (4,0) -> (4,4), bulging to the left: a half circle into the square
    expectInside({bay}, {{{3.5, 2}, 0}, {{1.5, 2}, 1}, {{2, 2}, -1}});
}

TEST(PolylinePunch, LinesThroughRingAndHole)
{
    const auto set = squareWithHole();
    const CZunVertexArray line = poly({{-5, 5}, {15, 5}});
    const auto in = g_vl_punch_reg(line, set, true);
    ASSERT_EQ(in.len(), 2);
    ASSERT_EQ(in[0].len(), 1);
    expectPoint(in[0][0].start(), 0, 5);
    expectPoint(in[0][0].end(), 3, 5);
    expectPoint(in[1][0].start(), 7, 5);
    expectPoint(in[1][0].end(), 10, 5);
    const auto out = g_vl_punch_reg(line, set, false);
    ASSERT_EQ(out.len(), 3);
    expectPoint(out[0][0].end(), 0, 5);
    expectPoint(out[1][0].start(), 3, 5);
    expectPoint(out[1][0].end(), 7, 5);
    expectPoint(out[2][0].start(), 10, 5);
    // Through corners, and along an edge (which counts as inside).
    const auto diagonal = g_vl_punch_reg(poly({{-1, -1}, {11, 11}}), set, true);
    ASSERT_EQ(diagonal.len(), 2);
    expectPoint(diagonal[0][0].start(), 0, 0);
    expectPoint(diagonal[1][0].end(), 10, 10);
    // An open contour counts as closed by a line back to its start.
    const auto open = g_vl_punch(line, poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), true);
    ASSERT_EQ(open.len(), 1);
    EXPECT_EQ(open[0][0], CZunVertex({0, 5}, {10, 5}));
    const auto edge = g_vl_punch(poly({{-5, 0}, {15, 0}}), square(0, 0, 10, 10), true);
    ASSERT_EQ(edge.len(), 1);
    EXPECT_EQ(edge[0][0], CZunVertex({0, 0}, {10, 0}));
    // A list of hatch lines: pieces in order, never joined across lines.
    CZunVertexArray hatch = poly({{-1, 1}, {11, 1}});
    hatch.append(line);
    EXPECT_EQ(g_vl_punch_reg(hatch, set, true).len(), 3);
    // A polyline turning inside the contour stays one piece.
    const auto bend = g_vl_punch(poly({{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}), square(0, 0, 10, 10), true);
    ASSERT_EQ(bend.len(), 1);
    EXPECT_EQ(bend[0].len(), 3);
}

TEST(PolylinePunch, ArcsAgainstContours)
{
    // A line through a circle made of arcs.
    const auto chord = g_vl_punch(poly({{-2, 0.5}, {2, 0.5}}), circle(0, 0, 1), true);
    ASSERT_EQ(chord.len(), 1);
    expectPoint(chord[0][0].start(), -std::sqrt(0.75), 0.5);
    expectPoint(chord[0][0].end(), std::sqrt(0.75), 0.5);
    // An arc of radius 2 cut by the strip -1 <= x <= 1: a 60 degree arc remains.
    const CZunVertexArray arc{CZunVertex({2, 0}, {-2, 0}, 1.0)};
    const auto top = g_vl_punch(arc, square(-1, 0, 1, 3), true);
    ASSERT_EQ(top.len(), 1);
    ASSERT_EQ(top[0].len(), 1);
    expectPoint(top[0][0].start(), 1, std::sqrt(3.0));
    expectPoint(top[0][0].end(), -1, std::sqrt(3.0));
    EXPECT_NEAR(top[0][0].bulge(), std::tan(kPi / 12), 1e-12);
    EXPECT_EQ(g_vl_punch(arc, square(-1, 0, 1, 3), false).len(), 2);
}

TEST(PolylineCut, BetweenTwoPoints)
{
    CZunVertexArray vl = poly({{0, 0}, {10, 0}, {10, 10}});
    vl.append(CZunVertex({10, 10}, {10, 20}, 1.0));
    const CZunVertexArray part = g_vl_cut(vl, {5, 0}, {10, 5});
    ASSERT_EQ(part.len(), 2);
    EXPECT_EQ(part[0], CZunVertex({5, 0}, {10, 0}));
    EXPECT_EQ(part[1], CZunVertex({10, 0}, {10, 5}));
    EXPECT_EQ(g_vl_cut(vl, {10, 5}, {5, 0}), part);
    EXPECT_EQ(g_vl_cut(vl, {2, 0}, {4, 0}), CZunVertexArray{CZunVertex({2, 0}, {4, 0})});
    // Into the arc, which bulges right of its upward chord, to its midpoint.
    const CZunVertexArray tail = g_vl_cut(vl, {10, 5}, {15, 15});
    ASSERT_EQ(tail.len(), 2);
    EXPECT_NEAR(tail[1].bulge(), std::tan(kPi / 8), 1e-12);
    expectPoint(tail[1].end(), 15, 15);
    EXPECT_TRUE(g_vl_cut(vl, {5, 0}, {5, 1}).isEmpty());
    EXPECT_TRUE(g_vl_cut(vl, {5, 0}, {5, 0}).isEmpty());
}

namespace {

// Pieces given as one array and the indices where they start, made back
// into separate arrays.
CZunArrayTempl<CZunVertexArray> unsplit(const CZunVertexArray& flat, const std::vector<int>& starts)
{
    CZunArrayTempl<CZunVertexArray> pieces;
    for (size_t j = 0; j < starts.size(); ++j) {
        const int end = j + 1 < starts.size() ? starts[j + 1] : flat.len();
        CZunVertexArray piece;
        for (int i = starts[j]; i < end; ++i)
            piece.append(flat.get(i));
        pieces.append(piece);
    }
    return pieces;
}

// A random polyline: straight vertices and arcs, now and then a gap.
CZunVertexArray randomPolyline(std::mt19937& rng, int n)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    CZunVertexArray vl;
    CZunPoint3d at(u(rng) * 12 - 1, u(rng) * 12 - 1);
    for (int i = 0; i < n; ++i) {
        if (u(rng) < 0.1)
            at = CZunPoint3d(u(rng) * 12 - 1, u(rng) * 12 - 1);
        const CZunPoint3d to(u(rng) * 12 - 1, u(rng) * 12 - 1);
        vl.append(at, to, u(rng) < 0.3 ? u(rng) * 2 - 1 : 0.0);
        at = to;
    }
    return vl;
}

class PolylineSplit : public ::testing::TestWithParam<unsigned> {};

} // namespace

TEST_P(PolylineSplit, MeasureAndPunchGiveThePiecesBitForBit)
{
    // The split forms hand out the very vertices of the piece forms, the
    // piece starts where each piece begins; the arrays appended to keep
    // what they held.
    std::mt19937 rng(GetParam());
    const CZunArrayTempl<double> patterns[] = {{1, -0.5}, {0, -0.4}, {1.1, -0.5, 0, -0.5}, {0.7, 0.3, -0.2}, {}};
    const CZunArrayTempl<CZunVertexArray> region = squareWithHole();
    for (int i = 0; i < 40; ++i) {
        const CZunVertexArray vl = randomPolyline(rng, 1 + static_cast<int>(rng() % 12));
        const CZunArrayTempl<double>& dashes = patterns[i % 5];
        const double factor = 0.5 + 0.1 * (rng() % 10);

        CZunVertexArray flat{CZunVertex({-5, -5}, {-6, -6})};
        std::vector<int> starts;
        CZunMeasureWork work;
        g_vl_measure_split(vl, factor, dashes, flat, starts, work);
        ASSERT_EQ(flat.first(), CZunVertex({-5, -5}, {-6, -6}));
        flat.removeAt(0);
        for (int& s : starts)
            --s;
        EXPECT_EQ(unsplit(flat, starts), g_vl_measure(vl, factor, CZunLineParm(dashes))) << i;

        for (const CZunVertexArray& contour : {region[0], region[1], circle(5, 5, 4)}) {
            CZunVertexArray clipped;
            std::vector<int> clipStarts;
            g_vl_punch_split(vl, contour, i % 2 == 0, clipped, clipStarts);
            EXPECT_EQ(unsplit(clipped, clipStarts), g_vl_punch(vl, contour, i % 2 == 0)) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PolylineSplit, ::testing::Range(1u, 9u));
