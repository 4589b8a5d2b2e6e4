#include "contracts/base/zun_math.h"
#include "contracts/base/zun_vertex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = ZUN::kPi;

void expectPoint(const CZunPoint3d& p, double x, double y, double z = 0.0, double tol = 1e-12)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

// Half circle from (1, 0) to (-1, 0) about the origin: over the top when
// counter-clockwise (bulge 1), under the bottom when clockwise.
CZunVertex halfCircle(double bulge) { return {{1, 0}, {-1, 0}, bulge}; }

CZunVertexArray square(double x0, double y0, double x1, double y1)
{
    return CZunVertexArray::fromPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, true);
}

} // namespace

TEST(VertexArc, BulgeSignChoosesTheSide)
{
    const CZunVertex ccw = halfCircle(1.0), cw = halfCircle(-1.0);
    expectPoint(ccw.mid(), 0, 1);
    expectPoint(cw.mid(), 0, -1);
    expectPoint(ccw.center(), 0, 0);
    EXPECT_NEAR(ccw.radius(), 1.0, 1e-15);
    EXPECT_NEAR(ccw.includedAngle(), kPi, 1e-15);
    EXPECT_NEAR(cw.includedAngle(), -kPi, 1e-15);
    EXPECT_NEAR(ccw.bulgLen(), kPi, 1e-14);
    expectPoint(ccw.pointAt(0.25), std::sqrt(0.5), std::sqrt(0.5));
    expectPoint(cw.pointAt(0.25), std::sqrt(0.5), -std::sqrt(0.5));
    // A quarter arc with bulge tan(pi/8): center and radius from the formulas.
    const CZunVertex quarter({2, 0}, {0, 2}, std::tan(kPi / 8));
    expectPoint(quarter.center(), 0, 0);
    EXPECT_NEAR(quarter.radius(), 2.0, 1e-14);
}

TEST(VertexArc, ExtentsReachTheQuadrantPoints)
{
    CZunVertexArray ccw{halfCircle(1.0)}, cw{halfCircle(-1.0)};
    CZunPoint3d lo, hi;
    ASSERT_TRUE(ccw.extents(lo, hi));
    expectPoint(lo, -1, 0);
    expectPoint(hi, 1, 1);
    ASSERT_TRUE(cw.extents(lo, hi));
    expectPoint(lo, -1, -1);
    expectPoint(hi, 1, 0);
    // Three quarters counter-clockwise from (1, 0) to (0, -1) about (0, 0).
    const CZunVertexArray big{CZunVertex({1, 0}, {0, -1}, std::tan(3 * kPi / 8))};
    const CZunPoint3dArray corners = big.extents();
    ASSERT_EQ(corners.len(), 2);
    expectPoint(corners[0], -1, -1);
    expectPoint(corners[1], 1, 1);
    EXPECT_FALSE(CZunVertexArray().extents(lo, hi));
    EXPECT_TRUE(CZunVertexArray().extents().isEmpty());
}

TEST(VertexArc, ParametersProjectRadially)
{
    const CZunVertex arc = halfCircle(1.0);
    EXPECT_NEAR(arc.paramOf({0, 5}), 0.5, 1e-15);
    EXPECT_NEAR(arc.paramOf({0, 0.1}), 0.5, 1e-15);
    EXPECT_EQ(arc.paramOf({2, -0.1}), 0.0);   // beyond the start
    EXPECT_EQ(arc.paramOf({-2, -0.1}), 1.0);  // beyond the end
    EXPECT_TRUE(arc.isPoint({0, 1}));
    EXPECT_TRUE(arc.isPoint({-std::sqrt(0.5), std::sqrt(0.5)}));
    EXPECT_FALSE(arc.isPoint({0, -1}));
    EXPECT_FALSE(arc.isPoint({0, 1.001}));
    // z runs evenly along an arc.
    const CZunVertex rising({1, 0, 0}, {-1, 0, 4}, 1.0);
    expectPoint(rising.pointAt(0.5), 0, 1, 2);
    EXPECT_NEAR(rising.bulgLen(), std::hypot(kPi, 4.0), 1e-14);
}

TEST(VertexArc, FlatArcsKeepTheirDigits)
{
    // The center is 2.5e9 away; the midpoint must still sit at the sagitta.
    const CZunVertex flat({0, 0}, {10, 0}, 1e-9);
    EXPECT_NEAR(flat.mid().x, 5.0, 1e-14);
    EXPECT_NEAR(flat.mid().y, -5e-9, 1e-22);
    EXPECT_NEAR(flat.paramOf(flat.pointAt(0.3)), 0.3, 1e-12);
    EXPECT_NEAR(flat.bulgLen(), 10.0, 1e-12);
}

TEST(VertexTransform, MirrorNegatesTheBulge)
{
    CZunVertex arc = halfCircle(1.0);
    CZunMatrix3d mirror;
    mirror.setToScaling(CZunVector3d(-1, 1, 1));
    const CZunPoint3d mirroredMid = mirror * arc.mid();
    arc.transformBy(mirror);
    EXPECT_EQ(arc.bulge(), -1.0);
    expectPoint(arc.mid(), mirroredMid.x, mirroredMid.y);

    CZunVertexArray vl{halfCircle(0.5)};
    CZunMatrix3d turn;
    turn.setToRotation(kPi / 3, CZunVector3d::kZAxis, {2, 1});
    const CZunPoint3d turnedMid = turn * vl[0].mid();
    vl.transformBy(turn);
    EXPECT_EQ(vl[0].bulge(), 0.5);
    expectPoint(vl[0].mid(), turnedMid.x, turnedMid.y);
    // Turning over about the x axis also mirrors the plane seen from +z.
    CZunMatrix3d flip;
    flip.setToRotation(kPi, CZunVector3d::kXAxis);
    EXPECT_EQ(vl.getTransformedCopy(flip)[0].bulge(), -0.5);
    vl.move({1, 2, 3});
    EXPECT_EQ(vl[0].bulge(), 0.5);
    expectPoint(vl[0].mid(), turnedMid.x + 1, turnedMid.y + 2, 3);
}

TEST(VertexSub, PiecesOfAnArcStayOnTheCircle)
{
    const CZunVertex arc = halfCircle(1.0);
    const CZunVertex piece = arc.subVertex(0.25, 0.75);
    expectPoint(piece.start(), std::sqrt(0.5), std::sqrt(0.5));
    expectPoint(piece.end(), -std::sqrt(0.5), std::sqrt(0.5));
    EXPECT_NEAR(piece.bulge(), std::tan(kPi / 8), 1e-15);
    expectPoint(piece.mid(), 0, 1);
    const CZunVertex back = arc.subVertex(0.75, 0.25);
    EXPECT_NEAR(back.bulge(), -piece.bulge(), 1e-15);
    expectPoint(back.mid(), 0, 1);
    EXPECT_EQ(arc.subVertex(0, 1), arc);
    const CZunVertex line({0, 0, 0}, {4, 0, 8});
    EXPECT_EQ(line.subVertex(0.25, 0.5), CZunVertex({1, 0, 2}, {2, 0, 4}));
    EXPECT_EQ(arc.reversed(), CZunVertex({-1, 0}, {1, 0}, -1.0));
}

TEST(VertexArray, BuildMeasureRevert)
{
    const CZunVertexArray open = CZunVertexArray::fromPoints({{0, 0}, {3, 0}, {3, 4}}, false);
    EXPECT_EQ(open.len(), 2);
    EXPECT_FALSE(open.isClosed());
    EXPECT_DOUBLE_EQ(open.length(), 7.0);
    const CZunVertexArray closed = CZunVertexArray::fromPoints({{0, 0}, {3, 0}, {3, 4}, {0, 0}}, true);
    EXPECT_EQ(closed.len(), 3);  // the last point already closes it
    EXPECT_TRUE(closed.isClosed());
    EXPECT_EQ(CZunVertexArray::fromPoints({{5, 5}}, false).len(), 1);  // a dot

    CZunVertexArray vl;
    vl.append({2, 0}, {1, 0});
    vl.append(halfCircle(1.0));
    vl.revert();
    ASSERT_EQ(vl.len(), 2);
    EXPECT_EQ(vl[0], CZunVertex({-1, 0}, {1, 0}, -1.0));
    EXPECT_EQ(vl[1], CZunVertex({1, 0}, {2, 0}));
    expectPoint(vl[0].mid(), 0, 1);  // same arc, run the other way
    EXPECT_NEAR(vl.length(), kPi + 1.0, 1e-14);

    CZunVertexArray gap = open;
    gap.append({5, 5}, {6, 5});
    EXPECT_FALSE(gap.isContinuous());
}

TEST(VertexArray, NormalFollowsTheTurn)
{
    CZunVertexArray sq = square(0, 0, 1, 1);
    EXPECT_TRUE(sq.normal().isEqualTo(CZunVector3d::kZAxis));
    EXPECT_TRUE(sq.revert().normal().isEqualTo(-CZunVector3d::kZAxis));
    // One arc with its chord counts through its midpoint.
    EXPECT_TRUE(CZunVertexArray{halfCircle(-1.0)}.normal().isEqualTo(-CZunVector3d::kZAxis));
    const CZunVertexArray line = CZunVertexArray::fromPoints({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, false);
    EXPECT_EQ(line.normal(), CZunVector3d::kZAxis);
    const CZunVertexArray upright = CZunVertexArray::fromPoints({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, true);
    EXPECT_TRUE(upright.normal().isEqualTo(-CZunVector3d::kYAxis));
}

TEST(VertexArray, PointsFollowArcsWithinTolerance)
{
    CZunVertexArray vl;
    vl.append({20, 0}, {10, 0});
    vl.append(CZunVertex({10, 0}, {-10, 0}, 1.0));  // radius 10
    vl.append({-20, 0}, {-30, 0});                 // after a gap
    const CZunPoint3dArray plain = vl.pts(false, 0.5);
    ASSERT_EQ(plain.len(), 5);
    expectPoint(plain[2], -10, 0);
    expectPoint(plain[3], -20, 0);
    const CZunPoint3dArray fine = vl.pts(true, 0.5);
    ASSERT_GT(fine.len(), 5);
    // Every inner chord stays within 0.5 of the circle, and not needlessly close.
    double worst = 0.0;
    for (int i = 1; i + 3 < fine.len(); ++i) {
        const CZunPoint3d m((fine[i].x + fine[i + 1].x) / 2, (fine[i].y + fine[i + 1].y) / 2);
        EXPECT_NEAR(std::hypot(fine[i].x, fine[i].y), 10.0, 1e-12);
        worst = std::max(worst, 10.0 - std::hypot(m.x, m.y));
    }
    EXPECT_LE(worst, 0.5);
    EXPECT_GT(worst, 0.25);
}

TEST(VertexArray, IntersectionsModesAndTouching)
{
    const CZunVertexArray zig = CZunVertexArray::fromPoints({{0, 0, 7}, {2, 2, 7}, {4, 0, 7}}, false);
    const CZunVertexArray across = CZunVertexArray::fromPoints({{-1, 1}, {5, 1}}, false);
    CZunPoint3dArray pts;
    EXPECT_EQ(zig.intersectWith(across, 0, pts), 2);
    expectPoint(pts[0], 1, 1, 7);  // z of this polyline
    expectPoint(pts[1], 3, 1, 7);
    // Through the shared vertex: mode 0 may report it from both vertices, mode 3 once.
    const CZunVertexArray top = CZunVertexArray::fromPoints({{-1, 2}, {5, 2}}, false);
    pts.clear();
    EXPECT_EQ(zig.intersectWith(top, 0, pts), 2);
    expectPoint(pts[0], 2, 2, 7);
    expectPoint(pts[1], 2, 2, 7);
    pts.clear();
    EXPECT_EQ(zig.intersectWith(top, 3, pts), 1);
    expectPoint(pts[0], 2, 2, 7);
    // Points are added behind what the array held.
    EXPECT_EQ(zig.intersectWith(across, 3, pts), 2);
    EXPECT_EQ(pts.len(), 3);

    // Line and circle (two arcs), circle and circle, tangent line.
    const CZunVertexArray circle{halfCircle(1.0), CZunVertex({-1, 0}, {1, 0}, 1.0)};
    const CZunVertexArray chord = CZunVertexArray::fromPoints({{-2, 0.5}, {2, 0.5}}, false);
    pts.clear();
    EXPECT_EQ(chord.intersectWith(circle, 3, pts), 2);
    expectPoint(pts[0], -std::sqrt(0.75), 0.5);
    expectPoint(pts[1], std::sqrt(0.75), 0.5);
    pts.clear();
    EXPECT_EQ(circle.getTransformedCopy(CZunMatrix3d().setToTranslation({1, 0, 0})).intersectWith(circle, 3, pts), 2);
    expectPoint(pts[0], 0.5, std::sqrt(0.75));
    expectPoint(pts[1], 0.5, -std::sqrt(0.75));
    pts.clear();
    EXPECT_EQ(circle.intersectWith(CZunVertexArray::fromPoints({{-3, 1}, {3, 1}}, false), 3, pts), 1);
    expectPoint(pts[0], 0, 1, 0, 1e-9);
    pts.clear();
    EXPECT_EQ(CZunVertexArray{halfCircle(-1.0)}.intersectWith(chord, 0, pts), 0);  // arc below the line
    // Collinear overlap: its two ends.
    pts.clear();
    EXPECT_EQ(across.intersectWith(CZunVertexArray::fromPoints({{2, 1}, {9, 1}}, false), 3, pts), 2);
    expectPoint(pts[0], 2, 1);
    expectPoint(pts[1], 5, 1);
}

TEST(VertexArray, BreakAtAPoint)
{
    CZunVertexArray vl = CZunVertexArray::fromPoints({{0, 0}, {4, 0}, {4, 4}}, false);
    vl.append(CZunVertex({4, 4}, {4, 8}, 1.0));
    auto pieces = vl.breakVertex({2, 0});
    ASSERT_EQ(pieces.len(), 2);
    ASSERT_EQ(pieces[0].len(), 1);
    ASSERT_EQ(pieces[1].len(), 3);
    EXPECT_EQ(pieces[0][0], CZunVertex({0, 0}, {2, 0}));
    EXPECT_EQ(pieces[1][0], CZunVertex({2, 0}, {4, 0}));
    // At a vertex: cut between vertices, no zero-length piece.
    pieces = vl.breakVertex({4, 4});
    ASSERT_EQ(pieces.len(), 2);
    EXPECT_EQ(pieces[0].len(), 2);
    EXPECT_EQ(pieces[1].len(), 1);
    // On the arc (it bulges to the right of its upward chord): two quarters.
    pieces = vl.breakVertex({6, 6});
    ASSERT_EQ(pieces.len(), 2);
    EXPECT_NEAR(pieces[0].last().bulge(), std::tan(kPi / 8), 1e-14);
    EXPECT_EQ(pieces[1].len(), 1);
    expectPoint(pieces[1][0].start(), 6, 6);
    EXPECT_NEAR(pieces[0].length() + pieces[1].length(), vl.length(), 1e-12);
    // Ends and points off the polyline give the whole.
    EXPECT_EQ(vl.breakVertex({0, 0}).len(), 1);
    EXPECT_EQ(vl.breakVertex({4, 8}).len(), 1);
    EXPECT_EQ(vl.breakVertex({1, 1}).len(), 1);
    EXPECT_EQ(vl.breakVertex({1, 1})[0], vl);
}

TEST(VertexPointArray, FindAndSort)
{
    CZunPoint3dArray pts{{3, 0}, {1, 1}, {2, 5}, {1, -1}};
    EXPECT_EQ(pts.indexOf({2, 5 + 1e-12}), 2);
    EXPECT_EQ(pts.indexOf({2, 5.1}), -1);
    EXPECT_EQ(pts.indexOf({2, 5.1}, 0.2), 2);
    pts.sort(CZunVector3d(1, 0, 0));
    expectPoint(pts[0], 1, 1);  // stable among equal keys
    expectPoint(pts[1], 1, -1);
    expectPoint(pts[3], 3, 0);
    pts.sort(CZunVector3d(0, -1, 0));
    expectPoint(pts[0], 2, 5);
    expectPoint(pts[3], 1, -1);
}
