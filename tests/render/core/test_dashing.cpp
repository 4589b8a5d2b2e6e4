#include "render/core/zun_dashing.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_units.h"
#include "render/core/zun_unit_lengths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Contours = CZunArrayTempl<CZunVertexArray>;
using Spans = std::vector<std::pair<double, double>>;

// How far the chords stray inside the circle of radius r about the origin.
double worstDeviation(const CZunVertexArray& pieces, double r)
{
    double worst = 0.0;
    for (const CZunVertex& v : pieces) {
        const CZunPoint3d m = v.start() + (v.end() - v.start()) * 0.5;
        worst = std::max(worst, r - std::hypot(m.x, m.y));
    }
    return worst;
}

// Dashes along x, as one range each even where a dash has several vertices.
void expectSpans(const CZunVertexArray& vl, const Spans& expected)
{
    Spans got;
    for (const CZunVertex& v : vl) {
        if (!got.empty() && std::abs(got.back().second - v.start().x) < 1e-9)
            got.back().second = v.end().x;
        else
            got.emplace_back(v.start().x, v.end().x);
    }
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, expected[i].first, 1e-9) << "dash " << i;
        EXPECT_NEAR(got[i].second, expected[i].second, 1e-9) << "dash " << i;
    }
}

// The line (0, 0)-(length, 0) dashed.
CZunVertexArray dashed(double length, const CZunArrayTempl<double>& lineType, int mode)
{
    CZunVertexArray vl{CZunVertex({0, 0}, {length, 0})};
    EXPECT_TRUE(zun_gdx_image_vl_measure(vl, lineType, mode));
    return vl;
}

} // namespace

TEST(FlattenArcs, DeviationByArcLength)
{
    // Half circles 3.99 and 4.02 long: within 0.01 in 13 pieces, within 0.05 in 6.
    const CZunVertexArray shortArc = zun_gdx_image_vl_split({CZunVertex({1.27, 0}, {-1.27, 0}, 1.0)});
    const CZunVertexArray longArc = zun_gdx_image_vl_split({CZunVertex({1.28, 0}, {-1.28, 0}, 1.0)});
    EXPECT_EQ(shortArc.len(), 13);
    EXPECT_EQ(longArc.len(), 6);
    EXPECT_LE(worstDeviation(shortArc, 1.27), 0.01);
    EXPECT_GT(worstDeviation(longArc, 1.28), 0.01);
    EXPECT_LE(worstDeviation(longArc, 1.28), 0.05);
    EXPECT_TRUE(shortArc.isContinuous());
    EXPECT_EQ(shortArc.first().start(), CZunPoint3d(1.27, 0.0));
    EXPECT_EQ(longArc.last().end(), CZunPoint3d(-1.28, 0.0));
}

TEST(FlattenArcs, ContoursKeepPlaceHeightAndSide)
{
    // Straight vertices as they were, arcs at their height.
    const CZunVertex straight({0, 0, 2}, {5, 1, 2});
    const CZunVertexArray mixed{straight, CZunVertex({5, 1, 2}, {1, 1, 2}, 0.5), CZunVertex({1, 1, 2}, {0, 0, 2})};
    // Clockwise, so its normal points down: the first half runs through y < 0.
    const CZunVertexArray clockwise{CZunVertex({3, 0}, {-3, 0}, -1.0), CZunVertex({-3, 0}, {3, 0}, -1.0)};
    const CZunVertexArray plain = CZunVertexArray::fromPoints({{0, 0}, {1, 0}, {1, 1}}, true);
    const Contours split = zun_gdx_image_reg_split({plain, mixed, clockwise, CZunVertexArray()});
    ASSERT_EQ(split.len(), 4);
    EXPECT_EQ(split[0], plain);
    EXPECT_EQ(split[1], zun_gdx_image_vl_split(mixed));
    EXPECT_EQ(split[1].first(), straight);
    EXPECT_EQ(split[1].last(), mixed.last());
    EXPECT_TRUE(split[1].isClosed());
    for (const CZunVertex& v : split[1])
        EXPECT_NEAR(v.start().z, 2.0, 1e-12);
    EXPECT_GT(split[2].len(), 8);
    EXPECT_LT(split[2][1].start().y, 0.0);
    for (const CZunVertex& v : split[2])
        EXPECT_NEAR(std::hypot(v.start().x, v.start().y), 3.0, 1e-9);
    EXPECT_LE(worstDeviation(split[2], 3.0), 0.05);
    EXPECT_TRUE(split[3].isEmpty());
}

TEST(DashLineType, TooShortLineTypeLeavesThePolylineAlone)
{
    const CZunVertexArray original{CZunVertex({0, 0, 1}, {10, 0, 1}), CZunVertex({10, 0, 1}, {10, 10, 1}, 0.3)};
    for (const CZunArrayTempl<double>& lineType : {CZunArrayTempl<double>{5.0}, CZunArrayTempl<double>{}}) {
        for (const int mode : {0, 1}) {
            CZunVertexArray vl = original;
            EXPECT_FALSE(zun_gdx_image_vl_measure(vl, lineType, mode));
            EXPECT_EQ(vl, original);
        }
    }
}

TEST(DashLineType, ModeOneStartsAndEndsEveryVertexWithHalfADash)
{
    // (10, -5) is used as (5, -5, 5): two repetitions fill 30 exactly; of
    // 32 the 2 to spare widen the 2 gaps.
    expectSpans(dashed(30.0, {10.0, -5.0}, 1), {{0, 5}, {10, 20}, {25, 30}});
    expectSpans(dashed(32.0, {10.0, -5.0}, 1), {{0, 5}, {11, 21}, {27, 32}});
    // Each vertex starts anew: the corner gets a dash from both sides. The
    // middle dash is two vertices, one from each repetition.
    CZunVertexArray vl{CZunVertex({0, 0}, {30, 0}), CZunVertex({30, 0}, {30, 30})};
    ASSERT_TRUE(zun_gdx_image_vl_measure(vl, {10.0, -5.0}, 1));
    ASSERT_EQ(vl.len(), 8);
    EXPECT_EQ(vl[3].end(), CZunPoint3d(30, 0));
    EXPECT_EQ(vl[4], CZunVertex({30, 0}, {30, 5}));
    EXPECT_EQ(vl[7].end(), CZunPoint3d(30, 30));
}

TEST(DashLineType, ModeOneTurnsTheTypeToOpenWithADash)
{
    // (-2, 10, -3) turns to (10, -3, -2) and is used as (5, -3, -2, 5); 40
    // holds two repetitions of 15, and 10 to spare over 4 gaps.
    expectSpans(dashed(40.0, {-2.0, 10.0, -3.0}, 1), {{0, 5}, {15, 25}, {35, 40}});
    // Other modes keep the type as it is.
    expectSpans(dashed(40.0, {-2.0, 10.0, -3.0}, 2), {{4.5, 14.5}, {24.5, 34.5}});
    // A dash of 0.21 or less is not halved.
    expectSpans(dashed(40.0, {0.2, -9.8}, 1), {{0, 0.2}, {10, 10.2}, {20, 20.2}, {30, 30.2}});
}

TEST(DashLineType, ShortVerticesStaySolidArcsAreExploded)
{
    // (5, -5, 5) repeats every 15: 12 and exactly 15 stay whole, 20 takes
    // one repetition with the gap widened to 10. All end up at z = 0.
    CZunVertexArray vl{CZunVertex({0, 0, 1}, {12, 0, 1}), CZunVertex({12, 0, 1}, {27, 0, 1}),
                       CZunVertex({27, 0, 3}, {27, 20, 3})};
    ASSERT_TRUE(zun_gdx_image_vl_measure(vl, {10.0, -5.0}, 1));
    EXPECT_EQ(vl, CZunVertexArray({CZunVertex({0, 0}, {12, 0}), CZunVertex({12, 0}, {27, 0}),
                                   CZunVertex({27, 0}, {27, 5}), CZunVertex({27, 15}, {27, 20})}));

    // Dashes of an arc lie on its chords, which keep within 0.1 of it.
    const CZunVertex arc({0, 0}, {10, 0}, 0.4);
    vl = CZunVertexArray{arc};
    ASSERT_TRUE(zun_gdx_image_vl_measure(vl, {1.0, -1.0}, 1));
    EXPECT_GT(vl.len(), 5);
    for (const CZunVertex& v : vl) {
        EXPECT_EQ(v.bulge(), 0.0);
        EXPECT_NEAR(v.start().distanceTo(arc.center()), arc.radius(), 0.1);
    }
    EXPECT_EQ(vl.first().start(), arc.start());
    EXPECT_NEAR(vl.last().end().distanceTo(arc.end()), 0.0, 1e-9);
}

TEST(DashLineType, ModeZeroRunsOnAlongEachPiece)
{
    // Around the corner at 4 and on; the separate piece starts anew.
    CZunVertexArray vl{CZunVertex({0, 0}, {4, 0}), CZunVertex({4, 0}, {4, 4}), CZunVertex({10, 0}, {15, 0})};
    ASSERT_TRUE(zun_gdx_image_vl_measure(vl, {3.0, -1.0}, 0));
    EXPECT_EQ(vl, CZunVertexArray({CZunVertex({0, 0}, {3, 0}), CZunVertex({4, 0}, {4, 3}),
                                   CZunVertex({10, 0}, {13, 0}), CZunVertex({14, 0}, {15, 0})}));
    // A dot is drawn 0.2 mm long.
    const double dot = ZUN::acadUnitCv(0.2, ZUN::kUnitMillimeter, ZUN::kUnitDrawing);
    expectSpans(dashed(10.0, {0.0, -2.0}, 0),
                {{0, dot}, {dot + 2, 2 * dot + 2}, {2 * dot + 4, 3 * dot + 4}, {3 * dot + 6, 4 * dot + 6},
                 {4 * dot + 8, 5 * dot + 8}});
}

TEST(DashLineType, DotLengthIsTheCallersInWhateverUnit)
{
    // The working form takes the dot's length instead of reading the
    // drawing's unit: a centimetre drawing's dot is 0.02 long, and the dot
    // still takes 1 in the period.
    const ZunUnitLengths cm = ZunUnitLengths::inUnit(ZUN::kUnitCentimeter);
    ASSERT_DOUBLE_EQ(cm.dot, 0.02);
    CZunDashWork work;
    for (const int mode : {0, 1}) {
        CZunVertexArray vl{CZunVertex({0, 0}, {10, 0})};
        ASSERT_TRUE(zun_gdx_image_vl_measure(vl, {0.0, -2.0}, mode, cm.dot, work));
        ASSERT_FALSE(vl.isEmpty());
        for (const CZunVertex& v : vl)
            EXPECT_NEAR(v.end().x - v.start().x, cm.dot, 1e-9) << "mode " << mode;
        if (mode == 0)
            expectSpans(vl, {{0, cm.dot}, {cm.dot + 2, 2 * cm.dot + 2}, {2 * cm.dot + 4, 3 * cm.dot + 4},
                             {3 * cm.dot + 6, 4 * cm.dot + 6}, {4 * cm.dot + 8, 5 * cm.dot + 8}});
    }
}

// ---- arcs in any plane ---------------------------------------------------------

namespace {

// A plane as an origin and two unit axes; the true arcs below run
// counter-clockwise about u x v. bulgeSign is the sign the vertices carry
// for those arcs: the bulge counts from the side facing +z, and for an
// upright plane from the side from which the contour runs counter-clockwise.
struct PlaneCase {
    const char* name;
    CZunPoint3d origin;
    CZunVector3d u;
    CZunVector3d v;
    double bulgeSign;
};

std::ostream& operator<<(std::ostream& os, const PlaneCase& c)
{
    return os << c.name;
}

CZunPoint3d inPlane(const PlaneCase& c, double a, double b)
{
    return c.origin + c.u * a + c.v * b;
}

// A D of radius r about the plane's origin: the straight side from (-r, 0)
// to (r, 0), then two quarter arcs through (0, r) back to (-r, 0).
CZunVertexArray planeD(const PlaneCase& c, double r)
{
    const double quarter = std::tan(ZUN::kPi / 8.0) * c.bulgeSign;
    CZunVertexArray d;
    d.append(inPlane(c, -r, 0), inPlane(c, r, 0));
    d.append(inPlane(c, r, 0), inPlane(c, 0, r), quarter);
    d.append(inPlane(c, 0, r), inPlane(c, -r, 0), quarter);
    return d;
}

// The same D drawn in xy about the origin and carried into the plane.
CZunVertexArray carriedD(const PlaneCase& c, double r)
{
    const PlaneCase xy{"xy", {}, CZunVector3d::kXAxis, CZunVector3d::kYAxis, 1.0};
    CZunMatrix3d toPlane;
    toPlane.setCoordSystem(c.origin, c.u, c.v, c.u.crossProduct(c.v));
    return planeD(xy, r).transformBy(toPlane);
}

// Checks flattened chords against the true arcs, worked out here from the
// plane alone: the upper half of the circle of radius r about the origin.
// Quarter arcs of length pi r / 2: the flattening's deviation by arc length.
double deviationFor(double r)
{
    return ZUN::kPi * r / 2.0 < 4.0 ? 0.01 : 0.05;
}

void expectOnTrueArcs(const PlaneCase& c, double r, const CZunVertexArray& flat, double deviation)
{
    const CZunVector3d w = c.u.crossProduct(c.v);
    ASSERT_GT(flat.len(), 4);
    EXPECT_TRUE(flat.isClosed());
    EXPECT_TRUE(flat.first().start().isEqualTo(inPlane(c, -r, 0), 1e-9 * (1.0 + r)));
    int onArc = 0;
    for (const CZunVertex& chord : flat) {
        EXPECT_EQ(chord.bulge(), 0.0);
        const CZunVector3d s = chord.start() - c.origin;
        EXPECT_NEAR(s.dotProduct(w), 0.0, 1e-9) << "off the plane: " << chord.start().x << " " << chord.start().y
                                                 << " " << chord.start().z;
        const double a = s.dotProduct(c.u), b = s.dotProduct(c.v);
        if (std::abs(b) < 1e-9)
            continue;  // the straight side's ends
        ++onArc;
        EXPECT_GT(b, 0.0) << "the arc bulges to the wrong side at " << a;
        EXPECT_NEAR(std::hypot(a, b), r, 1e-9) << "not on the circle at " << a << ", " << b;
        // The chord's middle lies inside the circle by at most the deviation.
        const CZunVector3d m = (chord.start() + (chord.end() - chord.start()) * 0.5) - c.origin;
        const double inside = r - std::hypot(m.dotProduct(c.u), m.dotProduct(c.v));
        EXPECT_GE(inside, -1e-9);
        EXPECT_LE(inside, deviation + 1e-9);
    }
    EXPECT_GE(onArc, 3);
}

const double kRoot2 = std::sqrt(2.0), kRoot3 = std::sqrt(3.0);

class FlattenInPlane : public ::testing::TestWithParam<std::tuple<PlaneCase, double>> {};

} // namespace

TEST_P(FlattenInPlane, ChordsFollowTheArcInTheContoursPlane)
{
    const auto& [plane, r] = GetParam();
    for (const CZunVertexArray& d : {planeD(plane, r), carriedD(plane, r)}) {
        // The contour runs counter-clockwise about the plane's own normal.
        EXPECT_TRUE(d.normal().isEqualTo(plane.u.crossProduct(plane.v), 1e-9));
        const Contours split = zun_gdx_image_reg_split({d});
        ASSERT_EQ(split.len(), 1);
        expectOnTrueArcs(plane, r, split[0], deviationFor(r));
        expectOnTrueArcs(plane, r, zun_gdx_image_vl_split(d), deviationFor(r));
        expectOnTrueArcs(plane, r, ZUN::g_vl_expl(d, 0.002), 0.002);

        // The box reaches as far as the true half circle, sampled finely.
        CZunPoint3d lo, hi;
        ASSERT_TRUE(d.extents(lo, hi));
        CZunPoint3d tlo = inPlane(plane, r, 0), thi = tlo;
        for (int k = 0; k <= 20000; ++k) {
            const double t = ZUN::kPi * k / 20000.0;
            const CZunPoint3d p = inPlane(plane, r * std::cos(t), r * std::sin(t));
            tlo = {std::min(tlo.x, p.x), std::min(tlo.y, p.y), std::min(tlo.z, p.z)};
            thi = {std::max(thi.x, p.x), std::max(thi.y, p.y), std::max(thi.z, p.z)};
        }
        EXPECT_TRUE(lo.isEqualTo(tlo, 1e-7 * r)) << lo.x << " " << lo.y << " " << lo.z;
        EXPECT_TRUE(hi.isEqualTo(thi, 1e-7 * r)) << hi.x << " " << hi.y << " " << hi.z;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Planes, FlattenInPlane,
    ::testing::Combine(
        ::testing::Values(PlaneCase{"xy", {5, 3, 0}, {1, 0, 0}, {0, 1, 0}, 1.0},
                          PlaneCase{"xy_from_below", {5, 3, -2}, {1, 0, 0}, {0, -1, 0}, -1.0},
                          PlaneCase{"xz", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1.0},
                          PlaneCase{"yz", {2, -1, 4}, {0, 1, 0}, {0, 0, 1}, 1.0},
                          PlaneCase{"oblique", {100, -50, 20}, {1 / kRoot2, 1 / kRoot2, 0},
                                    {-1 / kRoot3, 1 / kRoot3, 1 / kRoot3}, 1.0},
                          PlaneCase{"oblique_facing_down", {-7, 9, 1}, {1 / kRoot2, 1 / kRoot2, 0},
                                    {1 / kRoot3, -1 / kRoot3, 1 / kRoot3}, -1.0}),
        ::testing::Values(1.0, 10.0)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) < 5.0 ? "_short" : "_long");
    });

// An upright D turned about z stays the same shape: the arcs turn with it.
TEST(FlattenInPlaneTurned, UprightContourKeepsItsArcsThroughATurnAboutZ)
{
    const PlaneCase xz{"xz", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1.0};
    const PlaneCase turned{"turned", {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1.0};
    CZunVertexArray d = planeD(xz, 10.0);
    d.transformBy(CZunMatrix3d().setToRotation(ZUN::kPi / 2.0, CZunVector3d::kZAxis));
    expectOnTrueArcs(turned, 10.0, zun_gdx_image_vl_split(d), deviationFor(10.0));
    // Mirrored across the yz plane, it still bulges upwards.
    CZunVertexArray m = planeD(xz, 10.0);
    m.transformBy(CZunMatrix3d().setToScaling({-1, 1, 1}));
    const PlaneCase mirrored{"mirrored", {0, 0, 0}, {-1, 0, 0}, {0, 0, 1}, 1.0};
    expectOnTrueArcs(mirrored, 10.0, zun_gdx_image_vl_split(m), deviationFor(10.0));
}

// The short-piece test gives what comparing the distance gives: for pieces
// at, just above and just below the length (a few units in the last place
// apart), in any direction, at lengths from tiny to huge, and for pieces of
// no length.
class PieceShorterThan : public ::testing::TestWithParam<double> {};

TEST_P(PieceShorterThan, AgreesWithTheDistance)
{
    const double length = GetParam();
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        const CZunVector3d dir = CZunVector3d(unit(rng), unit(rng), i % 3 == 0 ? unit(rng) : 0.0).normal();
        const CZunPoint3d start(unit(rng) * 100.0, unit(rng) * 100.0, 0.0);
        // Scaled to the length, then nudged by whole units in the last place.
        double scale = length;
        const int nudge = i % 9 - 4;
        for (int k = 0; k < std::abs(nudge); ++k)
            scale = std::nextafter(scale, nudge > 0 ? HUGE_VAL : 0.0);
        const CZunVertex v(start, start + dir * scale);
        EXPECT_EQ(zun_piece_shorter_than(v, length), v.start().distanceTo(v.end()) < length)
            << "length " << length << " piece " << v.start().distanceTo(v.end());
    }
    const CZunVertex dot({1, 2, 0}, {1, 2, 0});
    EXPECT_EQ(zun_piece_shorter_than(dot, length), 0.0 < length);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PieceShorterThan,
                         ::testing::Values(0.0, 1e-120, 1e-9, 0.05, 0.5, 1.0, 3.0, 1e6, 1e120, -1.0));
