#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

// Contours whose vertex ends lie on one line (a D of one chord and one arc, a
// lone arc) carried out of the xy plane by a matrix: their arcs must land
// where the matrix puts the arcs drawn in xy, checked against the true arcs
// worked out here from the circle and the matrix alone.

namespace {

constexpr double kR = 10.0;
constexpr double kDeviation = 0.01;
constexpr int kSamples = 20000;

// A circle arc of radius kR about the origin of xy, counter-clockwise from
// angle `from` to angle `to`; the D adds the chord back from the arc's end.
struct Shape {
    const char* name;
    double from;
    double to;
    bool closed;
};

CZunVertexArray build(const Shape& s)
{
    const CZunPoint3d a{kR * std::cos(s.from), kR * std::sin(s.from), 0};
    const CZunPoint3d b{kR * std::cos(s.to), kR * std::sin(s.to), 0};
    CZunVertexArray vl;
    if (s.closed)
        vl.append(b, a);
    vl.append(a, b, std::tan((s.to - s.from) / 4.0));
    return vl;
}

// The map as a sequence of steps, applied one after another.
struct Carry {
    const char* name;
    std::vector<CZunMatrix3d> steps;
};

CZunMatrix3d product(const Carry& c)
{
    CZunMatrix3d m;
    for (const CZunMatrix3d& step : c.steps)
        m = step * m;
    return m;
}

CZunMatrix3d rotation(double degrees, const CZunVector3d& axis, const CZunVector3d& shift = {})
{
    return CZunMatrix3d().setToTranslation(shift) * CZunMatrix3d().setToRotation(degrees * ZUN::kPi / 180.0, axis);
}

// Reflection across the plane through the origin with normal n.
CZunMatrix3d reflection(const CZunVector3d& n, const CZunVector3d& shift = {})
{
    const CZunVector3d u = n.normal();
    CZunMatrix3d m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const double ui = i == 0 ? u.x : i == 1 ? u.y : u.z, uj = j == 0 ? u.x : j == 1 ? u.y : u.z;
            m.m[i][j] = (i == j ? 1.0 : 0.0) - 2.0 * ui * uj;
        }
    m.m[0][3] = shift.x;
    m.m[1][3] = shift.y;
    m.m[2][3] = shift.z;
    return m;
}

std::ostream& operator<<(std::ostream& os, const Shape& s) { return os << s.name; }
std::ostream& operator<<(std::ostream& os, const Carry& c) { return os << c.name; }

double distanceToSegment(const CZunPoint3d& p, const CZunPoint3d& a, const CZunPoint3d& b)
{
    const CZunVector3d ab = b - a;
    const double len2 = ab.dotProduct(ab);
    const double t = len2 > 0.0 ? std::clamp((p - a).dotProduct(ab) / len2, 0.0, 1.0) : 0.0;
    return (p - (a + ab * t)).length();
}

// The true contour in space: the arc sampled densely in xy and carried by
// m, then the chord when the shape is closed.
std::vector<CZunPoint3d> trueContour(const Shape& s, const CZunMatrix3d& m)
{
    std::vector<CZunPoint3d> pts;
    for (int k = 0; k <= kSamples; ++k) {
        const double t = s.from + (s.to - s.from) * k / kSamples;
        pts.push_back(m * CZunPoint3d(kR * std::cos(t), kR * std::sin(t), 0));
    }
    if (s.closed)
        pts.push_back(pts.front());
    return pts;
}

double distanceToPath(const CZunPoint3d& p, const std::vector<CZunPoint3d>& path)
{
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 1; k < path.size(); ++k)
        best = std::min(best, distanceToSegment(p, path[k - 1], path[k]));
    return best;
}

double distanceToChords(const CZunPoint3d& p, const CZunVertexArray& chords)
{
    double best = std::numeric_limits<double>::infinity();
    for (const CZunVertex& v : chords)
        best = std::min(best, distanceToSegment(p, v.start(), v.end()));
    return best;
}

class ArcsCarriedOutOfXy : public ::testing::TestWithParam<std::tuple<Carry, Shape>> {};

} // namespace

TEST_P(ArcsCarriedOutOfXy, FlattenInThePlaneTheyWereCarriedInto)
{
    const auto& [carry, shape] = GetParam();
    const CZunMatrix3d m = product(carry);
    // The first step by a copy, the others in place.
    CZunVertexArray vl = build(shape).getTransformedCopy(carry.steps.front());
    for (size_t k = 1; k < carry.steps.size(); ++k)
        vl.transformBy(carry.steps[k]);

    const CZunPoint3d origin = m * CZunPoint3d::kOrigin;
    const CZunVector3d normal = (m * CZunVector3d::kXAxis).crossProduct(m * CZunVector3d::kYAxis).normal();
    const std::vector<CZunPoint3d> truth = trueContour(shape, m);
    // The dense samples stand for the arc to well within this.
    const double sampled = 1e-7 * kR;

    const CZunVertexArray chords = ZUN::g_vl_expl(vl, kDeviation);
    ASSERT_GT(chords.len(), 8);
    double offPlane = 0.0, offArc = 0.0, middleOff = 0.0, uncovered = 0.0;
    for (const CZunVertex& c : chords) {
        EXPECT_EQ(c.bulge(), 0.0);
        for (const CZunPoint3d& p : {c.start(), c.end()}) {
            offPlane = std::max(offPlane, std::abs((p - origin).dotProduct(normal)));
            offArc = std::max(offArc, distanceToPath(p, truth));
        }
        middleOff = std::max(middleOff, distanceToPath(c.start() + (c.end() - c.start()) * 0.5, truth));
    }
    for (const CZunPoint3d& p : truth)
        uncovered = std::max(uncovered, distanceToChords(p, chords));
    EXPECT_LE(offPlane, 1e-9 * kR) << "chords leave the plane the contour was carried into";
    EXPECT_LE(offArc, sampled) << "chord ends off the true arc";
    EXPECT_LE(middleOff, kDeviation + sampled) << "chords leave the true arc by more than the deviation";
    EXPECT_LE(uncovered, kDeviation + sampled) << "the true arc strays from the chords";

    // The arc normal is carried as the plane it stands on; a copy carried in
    // one step agrees with the steps taken in place.
    EXPECT_TRUE(vl.arcNormal().isEqualTo(normal, 1e-12))
        << vl.arcNormal().x << " " << vl.arcNormal().y << " " << vl.arcNormal().z;
    const CZunVertexArray once = build(shape).getTransformedCopy(m);
    EXPECT_TRUE(once.arcNormal().isEqualTo(normal, 1e-12));
    ASSERT_EQ(once.len(), vl.len());
    for (int k = 0; k < vl.len(); ++k)
        EXPECT_EQ(once[k].bulge(), vl[k].bulge());

    // The contour runs counter-clockwise about the image of +z, as it did
    // about +z in xy (a mirror turns the image normal with it).
    EXPECT_TRUE(vl.normal().isEqualTo(normal, 1e-9))
        << vl.normal().x << " " << vl.normal().y << " " << vl.normal().z;

    // The box is the true contour's.
    CZunPoint3d lo, hi;
    ASSERT_TRUE(vl.extents(lo, hi));
    CZunPoint3d tlo = truth.front(), thi = tlo;
    for (const CZunPoint3d& p : truth) {
        tlo = ZUN::p_min(tlo, p);
        thi = ZUN::p_max(thi, p);
    }
    EXPECT_TRUE(lo.isEqualTo(tlo, sampled)) << lo.x << " " << lo.y << " " << lo.z;
    EXPECT_TRUE(hi.isEqualTo(thi, sampled)) << hi.x << " " << hi.y << " " << hi.z;
}

namespace {

const CZunVector3d kOblique{1, 2, 3};

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Carries, ArcsCarriedOutOfXy,
    ::testing::Combine(
        ::testing::Values(
            Carry{"xy_turned", {rotation(30, CZunVector3d::kZAxis, {4, -2, 1})}},
            Carry{"xy_mirrored", {reflection(CZunVector3d::kXAxis, {1, 1, 0})}},
            Carry{"xz", {rotation(90, CZunVector3d::kXAxis, {5, 3, -2})}},
            Carry{"xz_from_behind", {rotation(-90, CZunVector3d::kXAxis)}},
            Carry{"xz_upside_down", {rotation(135, CZunVector3d::kXAxis), rotation(135, CZunVector3d::kXAxis)}},
            Carry{"yz", {rotation(90, CZunVector3d::kXAxis), rotation(90, CZunVector3d::kZAxis, {0, 0, 7})}},
            Carry{"oblique", {rotation(70, kOblique, {100, -50, 20})}},
            Carry{"oblique_facing_down", {rotation(160, CZunVector3d(1, -1, 0.5))}},
            Carry{"xz_by_mirror", {reflection(CZunVector3d(0, 1, -1))}},
            Carry{"oblique_mirror", {reflection(CZunVector3d(1, 1, 1), {2, 3, 4})}},
            Carry{"xz_then_mirrored_then_turned",
                  {rotation(90, CZunVector3d::kXAxis), reflection(CZunVector3d::kXAxis),
                   rotation(40, kOblique, {-3, 0, 9})}}),
        ::testing::Values(Shape{"d", 0.0, ZUN::kPi, true}, Shape{"lone_half_arc", 0.0, ZUN::kPi, false},
                          Shape{"lone_arc", ZUN::kPi / 6.0, 5.0 * ZUN::kPi / 6.0, false})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

namespace {

// Every chord point of vl's flattening lies in the plane y = y0 on the
// circle of radius kR about centre, on the side z >= centre.z.
void expectUpperCircleInXz(const CZunVertexArray& vl, const CZunPoint3d& centre, const char* what)
{
    const CZunVertexArray chords = ZUN::g_vl_expl(vl, kDeviation);
    ASSERT_FALSE(chords.isEmpty()) << what;
    for (const CZunVertex& c : chords)
        for (const CZunPoint3d& p : {c.start(), c.end()}) {
            EXPECT_NEAR(p.y, centre.y, 1e-9) << what << " at " << p.x << " " << p.y << " " << p.z;
            EXPECT_GE(p.z, centre.z - 1e-9) << what;
            if (p.z > centre.z + 1e-9) {
                EXPECT_NEAR(p.distanceTo(centre), kR, 1e-9) << what;
            }
        }
}

} // namespace

// Pieces of a D turned upright keep its plane, though the lone arc's own ends
// would leave it open.
TEST(ArcPlanePieces, SplittingAndCuttingKeepTheArcNormal)
{
    const CZunPoint3d centre{5, 3, -2};
    const CZunVertexArray d =
        build(Shape{"d", 0.0, ZUN::kPi, true}).transformBy(rotation(90, CZunVector3d::kXAxis, centre.asVector()));
    expectUpperCircleInXz(d, centre, "whole");

    const CZunArrayTempl<CZunVertexArray> halves = d.breakVertex(centre);
    ASSERT_EQ(halves.len(), 2);
    expectUpperCircleInXz(halves[1], centre, "half with the arc");
    EXPECT_TRUE(halves[1].arcNormal().isEqualTo(-CZunVector3d::kYAxis, 1e-12));

    for (const CZunVertexArray& piece : ZUN::g_vl_to_vll(d))
        expectUpperCircleInXz(piece, centre, "chain");
    const CZunVertexArray cut = ZUN::g_vl_cut(d, centre, d[1].start());
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_TRUE(cut.arcNormal().isEqualTo(-CZunVector3d::kYAxis, 1e-12));

    // Copies and assignment carry it too.
    CZunVertexArray copy;
    copy = halves[1];
    EXPECT_EQ(copy.arcNormal(), halves[1].arcNormal());
}

// The arc normal set directly: the plane through the ends perpendicular to
// it, counted from the side it faces where that plane stands upright.
TEST(ArcPlaneNormal, SettlesThePlaneOfEndsOnOneLine)
{
    const CZunVertexArray arc{CZunVertex({kR, 0, 0}, {-kR, 0, 0}, 1.0)};
    const auto topOf = [](const CZunVertexArray& vl) {
        const CZunVertexArray chords = ZUN::g_vl_expl(vl, kDeviation);
        CZunPoint3d far = chords.first().start();
        for (const CZunVertex& c : chords)
            if (std::abs(c.end().x) < std::abs(far.x))
                far = c.end();
        return far;
    };
    struct Case {
        CZunVector3d normal;
        CZunPoint3d top;
    };
    const double h = kR * std::sqrt(0.5);
    for (const Case& c : {Case{{0, 0, 1}, {0, kR, 0}}, Case{{0, 0, -1}, {0, kR, 0}}, Case{{0, 0, 0}, {0, kR, 0}},
                          Case{{0, -1, 0}, {0, 0, kR}}, Case{{0, 1, 0}, {0, 0, -kR}},
                          Case{{0, -1, 1}, {0, h, h}}, Case{{1, -1, 0}, {0, 0, kR}}}) {
        CZunVertexArray vl = arc;
        vl.setArcNormal(c.normal);
        EXPECT_TRUE(topOf(vl).isEqualTo(c.top, 1e-9))
            << c.normal.x << " " << c.normal.y << " " << c.normal.z << ": " << topOf(vl).x << " " << topOf(vl).y
            << " " << topOf(vl).z;
    }
    // Along the line it settles nothing: the plane nearest to xy.
    CZunVertexArray along = arc;
    along.setArcNormal({1, 0, 0});
    EXPECT_TRUE(topOf(along).isEqualTo({0, kR, 0}, 1e-9));
}

// The stored normal is the unit vector of the one given, bit for bit as
// normal() makes it (the plan's own normal is taken as it is), and +z for
// the zero vector.
class ArcNormalStored : public ::testing::TestWithParam<CZunVector3d> {};

TEST_P(ArcNormalStored, IsTheUnitVectorOfTheGivenOne)
{
    const CZunVector3d n = GetParam();
    CZunVertexArray vl;
    vl.setArcNormal(n);
    const CZunVector3d expected = n.isZeroLength(0.0) ? CZunVector3d::kZAxis : n.normal();
    const auto bits = [](const CZunVector3d& v) {
        return std::array<std::uint64_t, 3>{std::bit_cast<std::uint64_t>(v.x), std::bit_cast<std::uint64_t>(v.y),
                                            std::bit_cast<std::uint64_t>(v.z)};
    };
    EXPECT_EQ(bits(vl.arcNormal()), bits(expected));
}

INSTANTIATE_TEST_SUITE_P(Normals, ArcNormalStored,
                         ::testing::Values(CZunVector3d(0, 0, 1), CZunVector3d(-0.0, 0, 1), CZunVector3d(0, -0.0, 1),
                                           CZunVector3d(0, 0, -1), CZunVector3d(0, 0, 2), CZunVector3d(0, 0, 0),
                                           CZunVector3d(1, 1, 1), CZunVector3d(0, 0, 1e-300),
                                           CZunVector3d(3e-9, 0, 1)));
