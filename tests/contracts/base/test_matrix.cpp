#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_math.h"

#include <gtest/gtest.h>

namespace {

void expectPoint(const CZunPoint3d& p, double x, double y, double z = 0.0)
{
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
    EXPECT_NEAR(p.z, z, 1e-12);
}

CZunMatrix3d translation(double x, double y, double z = 0.0)
{
    return CZunMatrix3d().setToTranslation({x, y, z});
}

CZunMatrix3d rotation(double angle)
{
    return CZunMatrix3d().setToRotation(angle);
}

} // namespace

TEST(MatrixLayout, TranslationSitsInColumnThree)
{
    const CZunMatrix3d t = translation(5, 7, 9);
    EXPECT_EQ(t[0][3], 5);
    EXPECT_EQ(t[1][3], 7);
    EXPECT_EQ(t[2][3], 9);
    EXPECT_EQ(t[3][0], 0);
    CZunMatrix3d w;
    w.entries()[0][3] = 2;  // writable as double[4][4]
    expectPoint(CZunPoint3d(1, 1) * w, 3, 1);
    EXPECT_EQ(CZunMatrix3d::kIdentity, CZunMatrix3d());
}

TEST(MatrixProduct, AppliesTheRightFactorFirst)
{
    const CZunMatrix3d moveThenTurn = rotation(ZUN::kPi / 2) * translation(10, 0);
    const CZunMatrix3d turnThenMove = translation(10, 0) * rotation(ZUN::kPi / 2);
    const CZunPoint3d p(1, 0);
    expectPoint(p * moveThenTurn, 0, 11);
    expectPoint(p * turnThenMove, 10, 1);
    EXPECT_FALSE(moveThenTurn.isEqualTo(turnThenMove));
    expectPoint(p * moveThenTurn, (moveThenTurn * p).x, (moveThenTurn * p).y);
}

TEST(MatrixProduct, VectorsIgnoreTranslation)
{
    const CZunMatrix3d m = translation(3, 4) * rotation(ZUN::kPi);
    const CZunVector3d v = CZunVector3d(1, 0) * m;
    EXPECT_NEAR(v.x, -1, 1e-12);
    EXPECT_NEAR(v.y, 0, 1e-12);
}

TEST(MatrixBuilders, RotationIsCounterClockwiseAboutTheCenter)
{
    const CZunMatrix3d r = CZunMatrix3d().setToRotation(ZUN::kPi / 2, CZunVector3d::kZAxis, {5, 5});
    expectPoint(CZunPoint3d(6, 5) * r, 5, 6);
    expectPoint(CZunPoint3d(5, 5) * r, 5, 5);
    const CZunMatrix3d aboutX = CZunMatrix3d().setToRotation(ZUN::kPi / 2, CZunVector3d::kXAxis);
    expectPoint(CZunPoint3d(0, 1, 0) * aboutX, 0, 0, 1);
}

TEST(MatrixBuilders, ScalingAboutACenter)
{
    const CZunMatrix3d s = CZunMatrix3d().setToScaling(2.0, {1, 1, 0});
    expectPoint(CZunPoint3d(2, 3) * s, 3, 5);
    EXPECT_DOUBLE_EQ(s.scale(), 2.0);
}

TEST(MatrixBuilders, CoordSystemPutsAxesInColumns)
{
    const CZunMatrix3d cs = CZunMatrix3d().setCoordSystem({10, 20, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    expectPoint(CZunPoint3d(1, 0) * cs, 10, 21);
    expectPoint(CZunPoint3d(0, 1) * cs, 9, 20);
    EXPECT_TRUE(cs.axis(1).isEqualTo({-1, 0, 0}));
    EXPECT_TRUE(cs.translation().isEqualTo({10, 20, 0}));
    CZunPoint3d o;
    CZunVector3d x, y, z;
    cs.getCoordSystem(o, x, y, z);
    EXPECT_EQ(o, CZunPoint3d(10, 20, 0));
    EXPECT_EQ(x, CZunVector3d(0, 1, 0));
}

TEST(MatrixBuilders, PlaneToWorldFollowsTheArbitraryAxisRule)
{
    // For the +z normal the plane is the xy plane itself.
    EXPECT_TRUE(CZunMatrix3d().setToPlaneToWorld(CZunVector3d::kZAxis).isEqualTo(CZunMatrix3d::kIdentity));
    // For -z the x axis turns over: x' = Wy x N = (-1, 0, 0).
    const CZunMatrix3d down = CZunMatrix3d().setToPlaneToWorld({0, 0, -1});
    EXPECT_TRUE(down.axis(0).isEqualTo({-1, 0, 0}));
    EXPECT_TRUE(down.axis(1).isEqualTo({0, 1, 0}));
    EXPECT_TRUE(down.isMirroringXY());
    // A normal far from z uses Wz x N for x: for +x that is (0, 1, 0).
    const CZunMatrix3d side = CZunMatrix3d().setToPlaneToWorld({1, 0, 0});
    EXPECT_TRUE(side.axis(0).isEqualTo({0, 1, 0}));
    EXPECT_TRUE(side.axis(1).isEqualTo({0, 0, 1}));
}

TEST(MatrixInverse, UndoesAGeneralMap)
{
    const CZunMatrix3d m = translation(3, -2, 1) * CZunMatrix3d().setToRotation(0.7, {1, 2, 3}) *
                           CZunMatrix3d().setToScaling({2, 3, 0.5});
    const CZunMatrix3d inv = m.inverse();
    EXPECT_TRUE((m * inv).isEqualTo(CZunMatrix3d::kIdentity, 1e-12));
    EXPECT_TRUE((inv * m).isEqualTo(CZunMatrix3d::kIdentity, 1e-12));
    EXPECT_NEAR(m.det() * inv.det(), 1.0, 1e-12);
}

TEST(MatrixInverse, AFlatteningProjectionStillInvertsXY)
{
    // Zoom by 4, drop z, shift: picking maps window points back through this.
    const CZunMatrix3d flat = translation(100, 50) * CZunMatrix3d().setToScaling({4, 4, 0});
    EXPECT_NEAR(flat.det(), 0.0, 1e-15);
    CZunMatrix3d inv;
    EXPECT_TRUE(flat.inverse(inv));
    expectPoint(CZunPoint3d(108, 62) * inv, 2, 3);
}

TEST(MatrixInverse, HopelessMatrixGivesIdentityAndFalse)
{
    CZunMatrix3d zero;
    for (auto& row : zero.m)
        for (double& v : row)
            v = 0.0;
    CZunMatrix3d inv = translation(1, 1);
    EXPECT_FALSE(zero.inverse(inv));
    EXPECT_EQ(inv, CZunMatrix3d::kIdentity);
}

TEST(GeometryHelpers, PolarAngleAndCorners)
{
    expectPoint(ZUN::polar({1, 1}, ZUN::kPi / 2, 2), 1, 3);
    EXPECT_NEAR(ZUN::g_ang(-ZUN::kPi / 2), 1.5 * ZUN::kPi, 1e-15);
    EXPECT_NEAR(ZUN::g_ang(5 * ZUN::kPi), ZUN::kPi, 1e-12);
    EXPECT_EQ(ZUN::g_ang(-1e-18), 0.0);  // never 2 pi itself
    EXPECT_NEAR(ZUN::g_ang({0, 0}, {0, -1}), 1.5 * ZUN::kPi, 1e-15);
    EXPECT_EQ(ZUN::p_min({1, 5, 3}, {2, 4, 3}), CZunPoint3d(1, 4, 3));
    EXPECT_EQ(ZUN::p_max({1, 5, 3}, {2, 4, 3}), CZunPoint3d(2, 5, 3));
    EXPECT_TRUE(ZUN::isNan(ZUN::nan()));
}

TEST(VectorOps, CrossAngleAndPerpendicular)
{
    EXPECT_EQ(CZunVector3d::kXAxis.crossProduct(CZunVector3d::kYAxis), CZunVector3d::kZAxis);
    EXPECT_NEAR(CZunVector3d(1, 0).angleTo({0, -1}, CZunVector3d::kZAxis), -ZUN::kPi / 2, 1e-15);
    const CZunVector3d v(0.3, -2, 5);
    EXPECT_NEAR(v.perpVector().dotProduct(v), 0.0, 1e-12);
    EXPECT_NEAR(v.perpVector().length(), 1.0, 1e-12);
    EXPECT_EQ(CZunVector3d().normal(), CZunVector3d());
}
