#include "render/zun_dashing.h"

#include "contracts/base/zun_math.h"
#include "contracts/data/zun_units.h"
#include "render/zun_unit_lengths.h"

#include <gtest/gtest.h>

#include <cmath>
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
