#include "contracts/data/zun_outline.h"

#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace ZUN;

namespace {

constexpr double kPiD = std::numbers::pi;

// Signed area of a closed polyline, arcs included: the chord polygon plus
// the circular segment each arc adds (or takes away) beside its chord.
double area(const CZunVertexArray& vl)
{
    double a = 0.0;
    for (const CZunVertex& v : vl) {
        a += (v.start().x * v.end().y - v.end().x * v.start().y) / 2.0;
        if (v.isArc()) {
            const double theta = 4.0 * std::atan(std::abs(v.bulge()));
            const double chord = v.start().distanceTo(v.end());
            const double r = chord / (2.0 * std::sin(theta / 2.0));
            const double segment = r * r / 2.0 * (theta - std::sin(theta));
            a += v.bulge() > 0.0 ? segment : -segment;
        }
    }
    return a;
}

struct Box {
    CZunPoint3d lo, hi;
    double width() const { return hi.x - lo.x; }
    double height() const { return hi.y - lo.y; }
};

Box box(const CZunVertexArray& vl)
{
    Box b;
    vl.extents(b.lo, b.hi);
    return b;
}

struct ShapeCase {
    int key;
    CZunArrayTempl<double> parms;
    double width, height, area;
};

double keyholeArea(double D, double d, double len)
{
    const double R = D / 2.0, w = d / 2.0, yj = std::sqrt(R * R - w * w);
    const double cap = R * R * std::acos(yj / R) - yj * w;
    return kPiD * R * R + d * (len - yj) - cap + kPiD * w * w / 2.0;
}

// One case per outline: size of the box round it and the enclosed area,
// worked out by hand from the parameters.
std::vector<ShapeCase> shapeCases()
{
    const double s3 = std::sqrt(3.0);
    return {
        {kOutlRect, {40, 20}, 40, 20, 800},
        {kOutlCircle, {30}, 30, 30, kPiD * 225},
        {kOutlSlot, {50, 20}, 50, 20, 600 + kPiD * 100},
        {kOutlRoundRect, {40, 20, 5}, 40, 20, 800 - (4 - kPiD) * 25},
        {kOutlSquare, {25}, 25, 25, 625},
        {kOutlTriangle, {40, 30, 10}, 40, 30, 600},
        {kOutlTrapezoid, {40, 20, 10, 5}, 40, 10, 300},
        {kOutlPolygon, {6, 20}, 20, 10 * s3, 1.5 * s3 * 100},
        {kOutlHexagon, {20}, 40 / s3, 20, s3 / 2 * 400},
        {kOutlEllipse, {40, 20}, 40, 20, kPiD * 200},
        {kOutlHalfCircle, {30}, 30, 15, kPiD * 225 / 2},
        {kOutlSector, {10, kPiD / 2}, 10, 10, kPiD * 25},
        {kOutlChamferRect, {40, 20, 5}, 40, 20, 750},
        {kOutlCross, {40, 30, 10}, 40, 30, 600},
        {kOutlAngle, {60, 40, 5}, 40, 60, 475},
        {kOutlChannel, {200, 75, 8.5, 11.5}, 75, 200, 3229.5},
        {kOutlTee, {100, 100, 11, 11}, 100, 100, 2079},
        {kOutlBeam, {200, 100, 5.6, 8.5, 12}, 100, 200, 1700 + 5.6 * 183 + (4 - kPiD) * 144},
        {kOutlZed, {160, 65, 8.5}, 121.5, 160, 2320.5},
        {kOutlLipped, {200, 70, 20, 2.5}, 70, 200, 925},
        {kOutlParallelogram, {40, 20, 45}, 60, 20, 800},
        {kOutlPipe, {50, 5}, 50, 50, kPiD * 625},
        {kOutlHollowRect, {60, 40, 4, 8}, 60, 40, 2400 - (4 - kPiD) * 64},
        {kOutlKeyhole, {20, 8, 25}, 20, 39, keyholeArea(20, 8, 25)},
    };
}

// Keeps the drawing unit at millimetres for a test and puts it back.
class DrawingUnit {
public:
    DrawingUnit() : m_saved(acad_unit_get()) { acad_unit_set(kUnitMillimeter); }
    ~DrawingUnit() { acad_unit_set(m_saved); }

private:
    int m_saved;
};

} // namespace

TEST(OutlineShapes, EveryOutlineIsClosedCounterClockwiseWithItsSizeAndArea)
{
    const std::vector<ShapeCase> cases = shapeCases();
    ASSERT_GE(cases.size(), 20u);
    CZunArrayTempl<int> tested;
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.key);
        const CZunVertexArray vl = g_outline(c.key, kOutlBaseCenter, c.parms);
        ASSERT_FALSE(vl.isEmpty());
        EXPECT_TRUE(vl.isClosed());
        EXPECT_TRUE(g_vl_orient(vl, CZunVector3d::kZAxis));
        const Box b = box(vl);
        EXPECT_NEAR(b.width(), c.width, 1e-9);
        EXPECT_NEAR(b.height(), c.height, 1e-9);
        // The ellipse is followed by arcs; a tenth of a percent is enough
        // to tell it from any other shape.
        EXPECT_NEAR(area(vl), c.area, c.key == kOutlEllipse ? c.area * 1e-3 : 1e-9 * c.area);
        tested.append(c.key);
    }
    tested.sort();
    EXPECT_EQ(tested, g_outline_keys()) << "every outline has a case";
}

TEST(OutlineShapes, ArcsAndCornersWhereTheShapesHaveThem)
{
    const CZunVertexArray circle = g_outline(kOutlCircle, kOutlBaseCenter, {30});
    ASSERT_EQ(circle.len(), 2);
    for (const CZunVertex& v : circle) {
        EXPECT_DOUBLE_EQ(v.bulge(), 1.0);
        EXPECT_NEAR(v.radius(), 15.0, 1e-12);
    }

    auto concaveArcs = [](const CZunVertexArray& vl) {
        int n = 0;
        for (const CZunVertex& v : vl)
            n += v.bulge() < 0.0;
        return n;
    };
    EXPECT_EQ(concaveArcs(g_outline(kOutlBeam, kOutlBaseCenter, {200, 100, 5.6, 8.5, 12})), 4);
    const CZunVertexArray sharp = g_outline(kOutlBeam, kOutlBaseCenter, {200, 100, 5.6, 8.5});
    EXPECT_EQ(concaveArcs(sharp), 0) << "without a root radius the corners are sharp";
    EXPECT_EQ(sharp.len(), 12);
    EXPECT_NEAR(area(sharp), 1700 + 5.6 * 183, 1e-9);

    EXPECT_EQ(g_outline(kOutlPolygon, kOutlBaseCenter, {5, 20}).len(), 5);
    const CZunVertexArray pentagon = g_outline(kOutlPolygon, kOutlBaseOrigin, {5, 20});
    EXPECT_NEAR(pentagon[0].start().y, pentagon[0].end().y, 1e-12) << "a flat side at the bottom";

    // A round rectangle whose radius is half its height is a slot: no
    // zero-length sides are left between the arcs.
    const CZunVertexArray round = g_outline(kOutlRoundRect, kOutlBaseCenter, {40, 20, 10});
    for (const CZunVertex& v : round)
        EXPECT_GT(v.bulgLen(), 1e-9);
    EXPECT_EQ(round.len(), 6);

    const CZunVertexArray apexLeft = g_outline(kOutlTriangle, kOutlBaseOrigin, {40, 30, -10});
    EXPECT_NEAR(box(apexLeft).width(), 50.0, 1e-12) << "a negative offset puts the apex left of the base";
    EXPECT_NEAR(area(apexLeft), 600.0, 1e-9);
    EXPECT_TRUE(g_vl_orient(apexLeft, CZunVector3d::kZAxis));
    const CZunVertexArray centred = g_outline(kOutlTriangle, kOutlBaseOrigin, {40, 30});
    EXPECT_NEAR(centred[1].end().x, 20.0, 1e-12) << "without an offset the apex is centred";

    const CZunVertexArray wide = g_outline(kOutlSector, kOutlBaseOrigin, {10, 1.5 * kPiD});
    EXPECT_NEAR(area(wide), 75.0 * kPiD, 1e-9);
    EXPECT_NEAR(box(wide).width(), 20.0, 1e-9);
    EXPECT_TRUE(g_vl_orient(wide, CZunVector3d::kZAxis));
}

TEST(OutlineShapes, KeyholeCoversHeadAndSlotOnly)
{
    const CZunContourSet hole = g_outline_contours(kOutlKeyhole, kOutlBaseOrigin, {20, 8, 25});
    ASSERT_EQ(hole.len(), 1);
    EXPECT_EQ(g_vll_pt_inside(hole, {0, 9}), 1) << "in the head";
    EXPECT_EQ(g_vll_pt_inside(hole, {0, -28}), 1) << "in the slot's round end";
    EXPECT_EQ(g_vll_pt_inside(hole, {3.5, -20}), 1) << "in the slot";
    EXPECT_EQ(g_vll_pt_inside(hole, {5, -20}), 0) << "beside the slot";
    EXPECT_EQ(g_vll_pt_inside(hole, {0, -29.5}), 0) << "below the slot";
}

TEST(OutlineShapes, HollowSectionsHaveTheirHoleAsSecondContour)
{
    const CZunContourSet pipe = g_outline_contours(kOutlPipe, kOutlBaseCenter, {50, 5});
    ASSERT_EQ(pipe.len(), 2);
    EXPECT_TRUE(g_vl_orient(pipe[0], CZunVector3d::kZAxis));
    EXPECT_FALSE(g_vl_orient(pipe[1], CZunVector3d::kZAxis)) << "holes run clockwise";
    EXPECT_NEAR(area(pipe[1]), -kPiD * 400, 1e-9);
    EXPECT_EQ(g_vll_pt_inside(pipe, {0, 0}), 0);
    EXPECT_EQ(g_vll_pt_inside(pipe, {22, 0}), 1);
    EXPECT_EQ(g_outline(kOutlPipe, kOutlBaseCenter, {50, 5}), pipe[0]);

    const CZunContourSet rhs = g_outline_contours(kOutlHollowRect, kOutlBaseBottomLeft, {60, 40, 4, 8});
    ASSERT_EQ(rhs.len(), 2);
    const Box inner = box(rhs[1]);
    EXPECT_NEAR(inner.lo.x, 4.0, 1e-12) << "the hole moves with the outline";
    EXPECT_NEAR(inner.width(), 52.0, 1e-12);
    EXPECT_NEAR(area(rhs[1]), -(52 * 32 - (4 - kPiD) * 16), 1e-9) << "inner radius = outer radius - wall";
    EXPECT_NEAR(area(g_outline_contours(kOutlHollowRect, kOutlBaseCenter, {60, 40, 4}).get(1)), -52 * 32, 1e-9);

    for (const ShapeCase& c : shapeCases()) {
        if (c.key != kOutlPipe && c.key != kOutlHollowRect) {
            EXPECT_EQ(g_outline_contours(c.key, kOutlBaseCenter, c.parms).len(), 1) << c.key;
        }
    }
}

TEST(OutlineBasePoints, EachBasePointComesToTheOrigin)
{
    // Box points 1..8 counter-clockwise from the bottom left, as fractions.
    const double fx[9] = {0.5, 0, 0.5, 1, 1, 1, 0.5, 0, 0};
    const double fy[9] = {0.5, 0, 0, 0, 0.5, 1, 1, 1, 0.5};
    for (const ShapeCase& c : shapeCases()) {
        for (int bp = kOutlBaseCenter; bp <= kOutlBaseLeft; ++bp) {
            SCOPED_TRACE(testing::Message() << "key " << c.key << " base point " << bp);
            const Box b = box(g_outline(c.key, bp, c.parms));
            EXPECT_NEAR(b.lo.x + fx[bp] * b.width(), 0.0, 1e-9);
            EXPECT_NEAR(b.lo.y + fy[bp] * b.height(), 0.0, 1e-9);
        }
    }
}

TEST(OutlineBasePoints, ReferencePointsAndMoves)
{
    const CZunVertexArray angle = g_outline(kOutlAngle, kOutlBaseOrigin, {60, 40, 5});
    EXPECT_EQ(angle[0].start(), CZunPoint3d(0, 0, 0)) << "an L sits on its heel";
    const Box rect = box(g_outline(kOutlRect, kOutlBaseOrigin, {40, 20}));
    EXPECT_EQ(rect.lo, CZunPoint3d(-20, -10, 0));
    const Box keyhole = box(g_outline(kOutlKeyhole, kOutlBaseOrigin, {20, 8, 25}));
    EXPECT_NEAR(keyhole.hi.y, 10.0, 1e-12) << "about the head's centre";
    EXPECT_NEAR(keyhole.lo.y, -29.0, 1e-12);

    // The dialog's base vector moves the outline from its reference point.
    const Box moved = box(g_outline(kOutlRect, CZunVector3d(5, -2), {40, 20}));
    EXPECT_NEAR(moved.lo.x, -15.0, 1e-12);
    EXPECT_NEAR(moved.lo.y, -12.0, 1e-12);

    EXPECT_TRUE(g_outline(kOutlRect, -1, {40, 20}).isEmpty());
    EXPECT_TRUE(g_outline(kOutlRect, 10, {40, 20}).isEmpty());
}

TEST(OutlineAngle, ParallelogramTakesItsAngleInDegrees)
{
    const CZunVertexArray right = g_outline(kOutlParallelogram, kOutlBaseOrigin, {40, 20, 90});
    ASSERT_EQ(right.len(), 4);
    EXPECT_EQ(right[1].end(), CZunPoint3d(40, 20, 0));
    EXPECT_EQ(right[2].end(), CZunPoint3d(0, 20, 0)) << "at 90 degrees exactly a rectangle";

    const CZunVertexArray leaning = g_outline(kOutlParallelogram, kOutlBaseOrigin, {40, 20, 60});
    EXPECT_NEAR(leaning[2].end().x, 20.0 / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(area(leaning), 800.0, 1e-9);
    const CZunVertexArray back = g_outline(kOutlParallelogram, kOutlBaseOrigin, {40, 20, 120});
    EXPECT_NEAR(back[2].end().x, -20.0 / std::sqrt(3.0), 1e-12) << "beyond 90 degrees it leans left";
    EXPECT_TRUE(g_vl_orient(back, CZunVector3d::kZAxis));

    for (double degrees : {0.0, 180.0, 200.0, -30.0})
        EXPECT_TRUE(g_outline(kOutlParallelogram, kOutlBaseOrigin, {40, 20, degrees}).isEmpty()) << degrees;
}

TEST(OutlineBadParameters, GiveEmptyOutlines)
{
    const double nanValue = std::nan("");
    const std::vector<std::pair<int, CZunArrayTempl<double>>> bad = {
        {kOutlRect, {-40, 20}},
        {kOutlRect, {0, 20}},
        {kOutlRect, {40}},
        {kOutlRect, {}},
        {kOutlRect, {40, nanValue}},
        {kOutlRect, {40, HUGE_VAL}},
        {kOutlCircle, {0}},
        {kOutlSlot, {10, 20}},
        {kOutlRoundRect, {40, 20, 11}},
        {kOutlRoundRect, {40, 20, -1}},
        {kOutlPolygon, {2, 10}},
        {kOutlPolygon, {5.5, 10}},
        {kOutlSector, {10, 2 * kPiD}},
        {kOutlChamferRect, {40, 20, 11}},
        {kOutlCross, {40, 30, 30}},
        {kOutlAngle, {60, 40, 40}},
        {kOutlChannel, {200, 75, 80, 11.5}},
        {kOutlChannel, {20, 75, 8, 10}},
        {kOutlTee, {100, 100, 100, 11}},
        {kOutlBeam, {200, 100, 5.6, 8.5, 50}},
        {kOutlZed, {160, 65, 65}},
        {kOutlLipped, {200, 70, 2, 2.5}},
        {kOutlPipe, {50, 25}},
        {kOutlHollowRect, {60, 40, 20}},
        {kOutlKeyhole, {20, 25, 30}},
        {kOutlKeyhole, {20, 8, 5}},
        {0, {40, 20}},
        {99, {40, 20}},
    };
    for (const auto& [key, parms] : bad) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(g_outline(key, kOutlBaseCenter, parms).isEmpty());
        EXPECT_TRUE(g_outline_contours(key, kOutlBaseCenter, parms).isEmpty());
    }
    EXPECT_FALSE(g_outline(kOutlRect, kOutlBaseCenter, {40, 20, 999}).isEmpty()) << "extra values are ignored";
}

TEST(OutlineUnits, LengthsAreConvertedCountsAndAnglesAreNot)
{
    DrawingUnit mm;
    const Box inch = box(g_outline(kOutlRect, kOutlBaseCenter, {2, 1}, kUnitInch));
    EXPECT_DOUBLE_EQ(inch.width(), 50.8);
    EXPECT_DOUBLE_EQ(inch.height(), 25.4);
    EXPECT_EQ(g_outline(kOutlPolygon, kOutlBaseCenter, {6, 1}, kUnitInch).len(), 6);
    const CZunVertexArray leaning = g_outline(kOutlParallelogram, kOutlBaseOrigin, {1, 1, 45}, kUnitCentimeter);
    EXPECT_NEAR(leaning[2].end().x, 10.0, 1e-9) << "1 cm high at 45 degrees: 10 mm along";
    const Box moved = box(g_outline(kOutlRect, CZunVector3d(1, 0), {2, 2}, kUnitCentimeter));
    EXPECT_NEAR(moved.lo.x, 0.0, 1e-12) << "the base vector is converted with the lengths";
}

TEST(OutlineGenItem, ReadsKeyParametersAndPlacement)
{
    CZunDataItem gen(true);
    gen.set(kOutlRect, L"OUTLINE");
    gen.set(CZunArrayTempl<double>{40, 20}, L"PARM");
    EXPECT_EQ(box(g_outline(&gen)).lo, CZunPoint3d(-20, -10, 0)) << "about the reference point by default";
    gen.set(kOutlBaseBottomLeft, L"BASEPT");
    gen.set(CZunPoint3d(5, 5, 0), L"BASE");
    const Box b = box(g_outline(&gen));
    EXPECT_EQ(b.lo, CZunPoint3d(5, 5, 0));
    EXPECT_EQ(b.hi, CZunPoint3d(45, 25, 0));

    gen.set(kOutlPipe, L"OUTLINE");
    gen.set(CZunArrayTempl<double>{50, 5}, L"PARM");
    EXPECT_EQ(g_outline_contours(&gen).len(), 2);

    CZunDataItem empty(true);
    EXPECT_TRUE(g_outline(&empty).isEmpty());
    EXPECT_TRUE(g_outline(nullptr).isEmpty());
}

TEST(OutlineText, FollowsTxtGen)
{
    EXPECT_EQ(g_outline_text(kOutlRect, {200, 100}, 3, L"en"), L"Rectangle b=200 h=100");
    EXPECT_EQ(g_outline_text(kOutlRect, {200, 100}, 1, L"de"), L"Rechteck");
    EXPECT_EQ(g_outline_text(kOutlBeam, {200, 100, 5.6, 8.5, 12}, 2, L"en"), L"I 200x100x5.6x8.5x12");
    EXPECT_EQ(g_outline_text(kOutlSector, {50, kPiD / 2}, 3, L"en"), L"Circular sector r=50 \u03B1=90\u00B0");
    EXPECT_EQ(g_outline_text(kOutlParallelogram, {40, 20, 60}, 2, L"en"), L"Parallelogram 40x20x60\u00B0");
    EXPECT_EQ(g_outline_text(kOutlPipe, {50, 5}, 2, L"de"), L"Rohr 50x5") << "the name where there is no symbol";
    EXPECT_TRUE(g_outline_text(kOutlRect, {200, 100}, 0, L"en").isEmpty());
    EXPECT_TRUE(g_outline_text(99, {200, 100}, 3, L"en").isEmpty());
}

// ---- the catalogue the outline dialog reads --------------------------------------

TEST(OutlineCatalogue, HoldsWhatTheDialogReads)
{
    EXPECT_FALSE(zunOutlineInit(nullptr));
    CZunDataItem value;
    EXPECT_FALSE(zunOutlineInit(&value)) << "not a directory";

    CZunDataItem cat(true);
    ASSERT_TRUE(zunOutlineInit(&cat));
    const CZunArrayTempl<int> keys = g_outline_keys();
    ASSERT_GE(keys.len(), 20);
    ASSERT_EQ(cat.childCount(), keys.len());
    for (int i = 0; i < cat.childCount(); ++i) {
        const CZunDataItem* outline = cat.childAt(i);
        ASSERT_TRUE(outline->getKey().isInt());
        const int key = static_cast<int>(outline->getKey().num());
        SCOPED_TRACE(key);
        EXPECT_EQ(key, keys[i]);

        int code = 0, txtGen = -1, count = 0;
        CZunString label;
        EXPECT_TRUE(outline->get(code, L"CODE"));
        EXPECT_TRUE(code > 0 && code <= 0xF);
        EXPECT_TRUE(outline->get(txtGen, L"TXTGEN"));
        EXPECT_TRUE(txtGen >= 1 && txtGen <= 3);
        ASSERT_TRUE(outline->get(label, L"LABEL"));
        EXPECT_FALSE(label_get(label, L"de", false).isEmpty());
        EXPECT_FALSE(label_get(label, L"en", false).isEmpty());
        ASSERT_TRUE(outline->get(count, L"PARMS"));
        EXPECT_EQ(count, g_outline_parm_count(key));
        EXPECT_LE(count, 6) << "the dialog has six fields";
        EXPECT_EQ(outline->getItem(CZunDataKey::format(L"PARM%d", count + 1)), nullptr);

        for (int j = 1; j <= count; ++j) {
            const CZunDataItem* parm = outline->getItem(CZunDataKey::format(L"PARM%d", j));
            ASSERT_NE(parm, nullptr);
            ASSERT_TRUE(parm->isDir());
            CZunString name, type;
            int valid = 0;
            EXPECT_TRUE(parm->get(name, L"LABEL"));
            EXPECT_FALSE(label_get(name, L"en", false).isEmpty());
            EXPECT_TRUE(parm->get(valid, L"VALID"));
            ASSERT_TRUE(parm->get(type, L"TYPE"));
            EXPECT_TRUE(type == L"L" || type == L"A" || type == L"N") << type;
            double v[4] = {};
            for (int r = 0; r < 4; ++r)
                ASSERT_TRUE(parm->get(v[r], CZunDataKey::format(L"VAL%d", r + 1)));
            for (int r = 1; r < 4; ++r)
                EXPECT_NEAR(v[r], type == L"L" ? 10.0 * v[r - 1] : v[r - 1], 1e-12 * std::abs(v[r]))
                    << "lengths grow tenfold per range, the rest stays";
            if (const CZunDataItem* words = parm->getItem(L"KWORD")) {
                EXPECT_TRUE(words->isDir());
                EXPECT_EQ(type, L"A");
                for (const auto& word : words->childList()) {
                    double w = 0.0;
                    EXPECT_TRUE(word->getKey().isText());
                    EXPECT_TRUE(word->get(w));
                    EXPECT_GT(w, 0.0);
                    EXPECT_LE(w, kPiD + 1e-12);
                }
            }
        }
    }
}

TEST(OutlineCatalogue, DefaultsOfEveryRangeMakeTheOutline)
{
    CZunDataItem cat(true);
    ASSERT_TRUE(zunOutlineInit(&cat));
    for (int key : g_outline_keys()) {
        const CZunDataItem* outline = cat.getItem(CZunDataKey(key));
        ASSERT_NE(outline, nullptr);
        int count = 0;
        outline->get(count, L"PARMS");
        double previousWidth = 0.0;
        for (int range = 1; range <= 4; ++range) {
            SCOPED_TRACE(testing::Message() << "key " << key << " range " << range);
            CZunArrayTempl<double> parms;
            for (int j = 1; j <= count; ++j) {
                double v = 0.0;
                outline->get(v, CZunDataKey::format(L"PARM%d\\VAL%d", j, range));
                parms.append(v);
            }
            const CZunVertexArray vl = g_outline(key, kOutlBaseCenter, parms);
            ASSERT_FALSE(vl.isEmpty());
            EXPECT_TRUE(vl.isClosed());
            EXPECT_TRUE(g_vl_orient(vl, CZunVector3d::kZAxis));
            const double width = box(vl).width();
            if (range > 1) {
                EXPECT_NEAR(width, 10.0 * previousWidth, 1e-9 * width);
            }
            previousWidth = width;
        }
    }
}

TEST(OutlineCatalogue, SignsKeywordsAndTheDegreeAngle)
{
    CZunDataItem cat(true);
    ASSERT_TRUE(zunOutlineInit(&cat));
    int withSign = 0;
    for (const auto& outline : cat.childList())
        for (const auto& child : outline->childList())
            withSign += child->getItem(L"MINUSP") != nullptr;
    EXPECT_EQ(withSign, 2) << "the triangle's apex and the trapezoid's top offset";
    CZunString minus;
    EXPECT_TRUE(cat.get(minus, CZunDataKey({CZunItemKey(kOutlTriangle), CZunItemKey(L"PARM3\\MINUSP")})));
    EXPECT_FALSE(label_get(minus, L"de", false).isEmpty());

    CZunString type;
    double v100 = 0.0, v1 = 0.0, right = 0.0;
    const CZunDataItem* angle = cat.getItem(CZunDataKey({CZunItemKey(kOutlParallelogram), CZunItemKey(L"PARM3")}));
    ASSERT_NE(angle, nullptr);
    EXPECT_TRUE(angle->get(type, L"TYPE"));
    EXPECT_EQ(type, L"A");
    angle->get(v1, L"VAL1");
    angle->get(v100, L"VAL3");
    EXPECT_EQ(v1, 60.0) << "remembered in degrees";
    EXPECT_EQ(v100, 60.0);
    EXPECT_TRUE(angle->get(right, CZunDataKey({CZunItemKey(L"KWORD"), CZunItemKey(CZunString(L"90\u00B0"))})));
    EXPECT_NEAR(right, kPiD / 2, 1e-15) << "keywords hold the field's value, in radians";
    EXPECT_EQ(angle->getItem(CZunDataKey({CZunItemKey(L"KWORD"), CZunItemKey(CZunString(L"180\u00B0"))})), nullptr)
        << "no keyword the outline would refuse";
}

TEST(OutlineCatalogue, KeepsForeignEntriesAndSurvivesAFile)
{
    CZunDataItem cat(true);
    cat.set(L"mine", CZunDataKey({CZunItemKey(500), CZunItemKey(L"LABEL")}));
    cat.set(L"stale", CZunDataKey({CZunItemKey(kOutlRect), CZunItemKey(L"OLD")}));
    ASSERT_TRUE(zunOutlineInit(&cat));
    EXPECT_NE(cat.getItem(CZunDataKey(500)), nullptr) << "outlines of others stay";
    EXPECT_EQ(cat.getItem(CZunDataKey({CZunItemKey(kOutlRect), CZunItemKey(L"OLD")})), nullptr)
        << "an outline of ours is replaced as a whole";

    CZunDataItem reread(true);
    ASSERT_TRUE(dataFromJson(dataToJson(cat), L"catalogue", reread));
    for (int key : g_outline_keys()) {
        SCOPED_TRACE(key);
        const CZunDataItem* outline = reread.getItem(CZunDataKey(key));
        ASSERT_NE(outline, nullptr);
        int code = 0, count = 0;
        EXPECT_TRUE(outline->get(code, L"CODE"));
        EXPECT_TRUE(outline->get(count, L"PARMS"));
        CZunArrayTempl<double> parms;
        for (int j = 1; j <= count; ++j) {
            const CZunDataItem* val = outline->getItem(CZunDataKey::format(L"PARM%d\\VAL3", j));
            ASSERT_NE(val, nullptr);
            EXPECT_EQ(val->kind(), ZunValueKind::Real) << "a whole number stays a real";
            double v = 0.0;
            val->get(v);
            parms.append(v);
        }
        EXPECT_FALSE(g_outline(key, kOutlBaseCenter, parms).isEmpty());
    }
}
