#include "contracts/data/zun_drill.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_data_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace ZUN;

namespace {

constexpr double kPiD = std::numbers::pi;
constexpr double kDeg = kPiD / 180.0;

CZunDataItem drilling(std::initializer_list<std::pair<const wchar_t*, double>> values, const wchar_t* thread = nullptr)
{
    CZunDataItem gen(true);
    for (const auto& [key, v] : values)
        gen.set(v, key);
    if (thread)
        gen.set(thread, L"THREAD");
    return gen;
}

double real(const CZunDataItem& item, const wchar_t* key)
{
    double v = std::nan("");
    item.get(v, key);
    return v;
}

// The isometric view the drill image uses: seen from (1, -1, 1).
CZunMatrix3d isoView()
{
    const CZunVector3d x = CZunVector3d(1, 1, 0).normal();
    const CZunVector3d z = CZunVector3d(1, -1, 1).normal();
    CZunMatrix3d view;
    view.setCoordSystem(CZunPoint3d::kOrigin, x, z.crossProduct(x), z);
    return view;
}

// Picture point (with its depth) back in the solid's coordinates.
CZunPoint3d toSolid(const CZunMatrix3d& view, const CZunPoint3d& p) { return view * p; }

// True when every point of the polyline, taken back into the solid, lies on
// the circle of radius r at height z: on it or on one of the chords that
// stand for it (points where an edge was cut may lie between corners).
bool onCircle(const CZunMatrix3d& view, const CZunVertexArray& vl, double r, double z)
{
    if (vl.isEmpty())
        return false;
    for (const CZunVertex& v : vl)
        for (const CZunPoint3d& p : {v.start(), v.end()}) {
            const CZunPoint3d q = toSolid(view, p);
            const double dist = std::hypot(q.x, q.y);
            if (dist > r + 1e-6 || dist < r * std::cos(kPiD / 32) || std::abs(q.z - z) > 1e-6)
                return false;
        }
    return true;
}

int countOn(const CZunMatrix3d& view, const CZunArrayTempl<CZunVertexArray>& list, double r, double z)
{
    int n = 0;
    for (const CZunVertexArray& vl : list)
        n += onCircle(view, vl, r, z);
    return n;
}

double lengthOn(const CZunMatrix3d& view, const CZunArrayTempl<CZunVertexArray>& list, double r, double z)
{
    double len = 0.0;
    for (const CZunVertexArray& vl : list)
        if (onCircle(view, vl, r, z))
            for (const CZunVertex& v : vl)
                len += toSolid(view, v.start()).distanceTo(toSolid(view, v.end()));
    return len;
}

CZun_Solid plateWithHole(double w, double thick, double diam)
{
    CZun_Solid s;
    s.setBlock({-w / 2, -w / 2, -thick}, {w / 2, w / 2, 0});
    s.setRevolved({{diam / 2, 0}, {diam / 2, -thick}}, true);
    return s;
}

} // namespace

// ---- threads and derived keys ---------------------------------------------------

TEST(DrillThread, MetricDesignations)
{
    // Case and blanks do not matter; a fine pitch follows "x" or "×",
    // with a decimal point or comma.
    const struct { const wchar_t* text; double diameter, pitch; } metric[] = {
        {L"M10", 10.0, 1.5}, {L" m8 ", 8.0, 1.25}, {L"M2.5", 2.5, 0.45}, {L"M10x1.25", 10.0, 1.25},
        {L"M20\u00D71,5", 20.0, 1.5}};
    double d = 0, p = 0;
    for (const auto& m : metric) {
        EXPECT_TRUE(drillThreadGet(m.text, d, p)) << CZunString(m.text);
        EXPECT_EQ(d, m.diameter) << CZunString(m.text);
        EXPECT_EQ(p, m.pitch) << CZunString(m.text);
    }

    d = p = -1;
    for (const wchar_t* bad : {L"M11", L"M10x", L"10", L"M", L"", L"M10x6", L"M10y1", L"M10x1.25mm", L"G1/2"})
        EXPECT_FALSE(drillThreadGet(bad, d, p)) << CZunString(bad);
    EXPECT_EQ(d, -1.0) << "untouched on failure";

    // Numbers beyond a double used to throw out of the reader.
    for (const std::wstring& huge : {L"M" + std::wstring(400, L'9'), L"M10x0." + std::wstring(400, L'0') + L"1",
                                     L"M0." + std::wstring(400, L'0') + L"1"})
        EXPECT_FALSE(drillThreadGet(CZunString(huge), d, p));
    EXPECT_EQ(d, -1.0);
}

TEST(DrillGen, ThreadGivesTapDrillCoreAndLength)
{
    CZunDataItem gen = drilling({{L"THICK", 20}}, L"M10");
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_EQ(real(gen, L"THREAD_D"), 10.0);
    EXPECT_EQ(real(gen, L"PITCH"), 1.5);
    EXPECT_DOUBLE_EQ(real(gen, L"DIAM"), 8.5);
    EXPECT_NEAR(real(gen, L"CORE_D"), 8.376, 5e-4);
    EXPECT_EQ(real(gen, L"LEN"), 20.0);
    EXPECT_DOUBLE_EQ(real(gen, L"OUT_D"), 8.5);
    EXPECT_EQ(gen.getItem(L"TIP_T"), nullptr) << "a through hole has no point";

    DrillData d;
    ASSERT_TRUE(drillRead(&gen, d));
    EXPECT_EQ(d.threadT, 20.0) << "the thread runs through unless limited";

    // Dropping the thread drops what it derived; the bore keeps its size.
    gen.remove(L"THREAD");
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_EQ(gen.getItem(L"THREAD_D"), nullptr);
    EXPECT_EQ(gen.getItem(L"PITCH"), nullptr);
    EXPECT_EQ(gen.getItem(L"CORE_D"), nullptr);
    EXPECT_DOUBLE_EQ(real(gen, L"DIAM"), 8.5);
}

TEST(DrillGen, CountersinkDepthAndDiameterFollowTheAngle)
{
    CZunDataItem gen = drilling({{L"DIAM", 11}, {L"SINK_D", 22}, {L"THICK", 10}});
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_NEAR(real(gen, L"SINK_T"), 5.5, 1e-12) << "90 degrees unless given";
    EXPECT_EQ(real(gen, L"OUT_D"), 22.0);

    CZunDataItem steep = drilling({{L"DIAM", 11}, {L"SINK_D", 22}, {L"SINK_ANG", 120 * kDeg}, {L"THICK", 10}});
    ASSERT_TRUE(objGen(&steep, 0));
    EXPECT_NEAR(real(steep, L"SINK_T"), 5.5 / std::sqrt(3.0), 1e-12);

    CZunDataItem byDepth = drilling({{L"DIAM", 11}, {L"SINK_T", 5.5}, {L"THICK", 10}});
    ASSERT_TRUE(objGen(&byDepth, 0));
    EXPECT_NEAR(real(byDepth, L"SINK_D"), 22.0, 1e-12);

    // The diameter, once written, is what counts: a larger bore makes the
    // countersink shallower.
    byDepth.set(13.0, L"DIAM");
    ASSERT_TRUE(objGen(&byDepth, 0));
    EXPECT_NEAR(real(byDepth, L"SINK_T"), 4.5, 1e-12);
}

TEST(DrillGen, BlindHolesGetTheirDrillPoint)
{
    CZunDataItem gen = drilling({{L"DIAM", 10}, {L"DEPTH", 20}, {L"THICK", 30}});
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_NEAR(real(gen, L"TIP_T"), 5.0 / std::tan(59 * kDeg), 1e-12);
    EXPECT_EQ(real(gen, L"LEN"), 20.0);

    gen.set(kPiD, L"TIP_ANG");
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_EQ(real(gen, L"TIP_T"), 0.0) << "a flat bottom";

    gen.set(0.0, L"DEPTH");
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_EQ(gen.getItem(L"TIP_T"), nullptr) << "through now";
    EXPECT_EQ(real(gen, L"LEN"), 30.0);
}

TEST(DrillGen, RefusesDrillingsThatCannotBeMadeAndChangesNothing)
{
    const std::vector<CZunDataItem> bad = {
        drilling({{L"THICK", 10}}),
        drilling({{L"DIAM", -5}, {L"THICK", 10}}),
        drilling({{L"DIAM", 11}, {L"SINK_D", 10}, {L"THICK", 10}}),
        drilling({{L"DIAM", 11}, {L"SINK_D", 40}, {L"THICK", 10}}),
        drilling({{L"DIAM", 11}, {L"SINK_D", 20}, {L"SINK_ANG", kPiD}}),
        drilling({{L"DIAM", 11}, {L"SINK_D", 20}, {L"CBORE_D", 18}, {L"CBORE_T", 5}}),
        drilling({{L"DIAM", 11}, {L"CBORE_D", 18}}),
        drilling({{L"DIAM", 11}, {L"CBORE_D", 10}, {L"CBORE_T", 5}}),
        drilling({{L"DIAM", 11}, {L"CBORE_D", 18}, {L"CBORE_T", 10}, {L"THICK", 10}}),
        drilling({{L"DIAM", 10}, {L"DEPTH", 28}, {L"THICK", 30}}),
        drilling({{L"DIAM", 10}, {L"DEPTH", 40}, {L"THICK", 30}}),
        drilling({{L"THICK", 10}}, L"M11"),
        drilling({{L"THICK", 10}, {L"THREAD_T", 12}}, L"M10"),
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        CZunDataItem gen = bad[i];
        const std::string before = dataToJson(gen);
        EXPECT_FALSE(objGen(&gen, 0));
        EXPECT_FALSE(objGen(&gen, kObjGenCheck));
        EXPECT_EQ(dataToJson(gen), before);
        DrillData d;
        EXPECT_FALSE(drillRead(&gen, d));
    }
    EXPECT_FALSE(objGen(nullptr, 0));
    CZunDataItem value;
    value.set(10.0);
    EXPECT_FALSE(objGen(&value, 0));
}

TEST(DrillGen, CheckOnlyWritesNothingAndRegeneratingIsStable)
{
    CZunDataItem gen = drilling({{L"SINK_D", 20}, {L"DEPTH", 15}, {L"THICK", 25}}, L"M8");
    const std::string before = dataToJson(gen);
    EXPECT_TRUE(objGen(&gen, kObjGenCheck));
    EXPECT_EQ(dataToJson(gen), before);

    ASSERT_TRUE(objGen(&gen, 0));
    const std::string once = dataToJson(gen);
    ASSERT_TRUE(objGen(&gen, 0));
    EXPECT_EQ(dataToJson(gen), once);
    EXPECT_DOUBLE_EQ(real(gen, L"DIAM"), 6.75);
    EXPECT_NEAR(real(gen, L"SINK_T"), (20 - 6.75) / 2, 1e-12);
}

// ---- the drilling from above -------------------------------------------------------

TEST(DrillImageTop, CirclesFromOutsideIn)
{
    CZunContourSet circles;
    CZunDataItem plain = drilling({{L"DIAM", 10}});
    ASSERT_TRUE(drillImageTop(&plain, circles));
    ASSERT_EQ(circles.len(), 1);
    EXPECT_TRUE(circles[0].isClosed());
    EXPECT_TRUE(g_vl_orient(circles[0], CZunVector3d::kZAxis));
    CZunPoint3d lo, hi;
    circles[0].extents(lo, hi);
    EXPECT_TRUE(lo.isEqualTo({-5, -5}, 1e-12));
    EXPECT_TRUE(hi.isEqualTo({5, 5}, 1e-12));

    CZunDataItem sunk = drilling({{L"DIAM", 11}, {L"SINK_D", 22}});
    ASSERT_TRUE(drillImageTop(&sunk, circles));
    ASSERT_EQ(circles.len(), 2);
    EXPECT_NEAR(circles[0][0].radius(), 11.0, 1e-12);
    EXPECT_NEAR(circles[1][0].radius(), 5.5, 1e-12);

    CZunDataItem tapped = drilling({}, L"M10");
    ASSERT_TRUE(drillImageTop(&tapped, circles));
    ASSERT_EQ(circles.len(), 2);
    EXPECT_NEAR(circles[0][0].radius(), 4.25, 1e-12) << "the tap drill as a full circle";
    const CZunVertexArray& thread = circles[1];
    EXPECT_FALSE(thread.isClosed()) << "the thread as three quarters";
    EXPECT_TRUE(thread.isContinuous());
    EXPECT_NEAR(thread.length(), 0.75 * kPiD * 10, 1e-9);
    EXPECT_TRUE(thread.first().start().isEqualTo({0, 5}));
    EXPECT_TRUE(thread.last().end().isEqualTo({5, 0}));
    for (const CZunVertex& v : thread) {
        EXPECT_NEAR(v.radius(), 5.0, 1e-12);
        const CZunPoint3d m = v.mid();
        EXPECT_FALSE(m.x > 0 && m.y > 0) << "the gap is in the first quadrant";
    }

    CZunDataItem bad = drilling({{L"DIAM", 11}, {L"SINK_D", 8}});
    EXPECT_FALSE(drillImageTop(&bad, circles));
    EXPECT_TRUE(circles.isEmpty());
    EXPECT_FALSE(drillImageTop(nullptr, circles));
}

// ---- the solid model -----------------------------------------------------------------

TEST(DrillModel, PlateWithTheDrillingsProfile)
{
    CZun_Solid solid;
    EXPECT_FALSE(objModel(nullptr, solid));

    CZunDataItem part(true);
    *part.mkDir(L"GEN") = drilling({{L"DIAM", 11}, {L"SINK_D", 22}, {L"THICK", 10}});
    ASSERT_TRUE(objModel(&part, solid));
    EXPECT_FALSE(solid.isSolid()) << "made only by solid()";
    ASSERT_TRUE(solid.solid());
    EXPECT_TRUE(solid.hasBlock());
    EXPECT_TRUE(solid.isCut());
    EXPECT_EQ(solid.blockMin(), CZunPoint3d(-33, -33, -10));
    EXPECT_EQ(solid.blockMax(), CZunPoint3d(33, 33, 0));
    const CZunArrayTempl<CZun_Solid::Ring>& prof = solid.profile();
    ASSERT_EQ(prof.len(), 3);
    EXPECT_EQ(prof[0].radius, 11.0);
    EXPECT_EQ(prof[0].z, 0.0);
    EXPECT_EQ(prof[1].radius, 5.5);
    EXPECT_NEAR(prof[1].z, -5.5, 1e-12);
    EXPECT_EQ(prof[2].z, -10.0);

    // Without a "GEN" item the part item is the drilling itself.
    CZunDataItem bored = drilling({{L"DIAM", 10}, {L"CBORE_D", 18}, {L"CBORE_T", 6}, {L"DEPTH", 20},
                                   {L"THICK", 30}, {L"PLATE_W", 50}, {L"PLATE_L", 40}});
    ASSERT_TRUE(objModel(&bored, solid));
    ASSERT_TRUE(solid.solid());
    EXPECT_EQ(solid.blockMax(), CZunPoint3d(25, 20, 0));
    ASSERT_EQ(solid.profile().len(), 5);
    EXPECT_EQ(solid.profile()[2].radius, 5.0) << "the counterbore's floor";
    EXPECT_EQ(solid.profile()[2].z, -6.0);
    EXPECT_EQ(solid.profile().last().radius, 0.0) << "the drill point closes it";

    CZunDataItem narrow = drilling({{L"DIAM", 10}, {L"THICK", 30}, {L"PLATE_W", 10}});
    EXPECT_FALSE(objModel(&narrow, solid)) << "no plate round the hole";
    CZunDataItem noPlate = drilling({{L"DIAM", 10}});
    EXPECT_FALSE(objModel(&noPlate, solid)) << "a through hole needs a plate";
}

TEST(DrillModel, BlindDrillingWithoutPlateIsTheBodyItRemoves)
{
    CZunDataItem gen = drilling({{L"DIAM", 10}, {L"DEPTH", 20}});
    CZun_Solid body;
    ASSERT_TRUE(objModel(&gen, body));
    ASSERT_TRUE(body.solid());
    EXPECT_FALSE(body.hasBlock());
    EXPECT_FALSE(body.isCut());
    CZunPoint3d lo, hi;
    ASSERT_TRUE(body.extents(lo, hi));
    EXPECT_NEAR(lo.z, -20 - 5 / std::tan(59 * kDeg), 1e-12);
    EXPECT_EQ(hi, CZunPoint3d(5, 5, 0));

    // From above: the top circle in front, the point's circle behind it.
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    const CZunMatrix3d top;
    ASSERT_TRUE(body.project(top, true, 1, visible, hidden));
    EXPECT_EQ(countOn(top, visible, 5, 0), 1);
    EXPECT_EQ(countOn(top, hidden, 5, -20), 1);

    // Seen from the side the outline is the cylinder and the point.
    const CZunMatrix3d side = CZunMatrix3d().setCoordSystem(CZunPoint3d::kOrigin, CZunVector3d::kXAxis,
                                                            CZunVector3d::kZAxis, -CZunVector3d::kYAxis);
    ASSERT_TRUE(body.project(side, false, 1, visible, hidden));
    CZunPoint3d plo, phi;
    ASSERT_TRUE(visible[0].extents(plo, phi));
    for (const CZunVertexArray& vl : visible) {
        CZunPoint3d a, b;
        vl.extents(a, b);
        plo = p_min(plo, a);
        phi = p_max(phi, b);
    }
    EXPECT_NEAR(plo.x, -5, 1e-9);
    EXPECT_NEAR(phi.x, 5, 1e-9);
    EXPECT_NEAR(plo.y, lo.z, 1e-9) << "the point reaches the bottom of the picture";
    EXPECT_NEAR(phi.y, 0, 1e-9);
}

TEST(DrillModel, IsometricImageOfACountersunkHole)
{
    CZunDataItem part(true);
    *part.mkDir(L"GEN") = drilling({{L"DIAM", 11}, {L"SINK_D", 22}, {L"THICK", 10}});
    CZun_Solid solid;
    ASSERT_TRUE(objModel(&part, solid));
    ASSERT_TRUE(solid.solid());
    ASSERT_TRUE(solid.evaluate(1));
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    const CZunMatrix3d view = isoView();
    ASSERT_TRUE(solid.project(view, true, 1, visible, hidden));

    EXPECT_EQ(countOn(view, visible, 11, 0), 1) << "the countersink's rim whole";
    for (const CZunVertexArray& vl : visible) {
        if (onCircle(view, vl, 11, 0)) {
            EXPECT_TRUE(vl.isClosed());
        }
    }
    // The bore's rim at the bottom of the countersink shows where the cone
    // does not cover it: its far half, seen down the countersink.
    const double rim = 2 * kPiD * 5.5;
    const double seen = lengthOn(view, visible, 5.5, -5.5);
    EXPECT_GT(seen, 0.3 * rim);
    EXPECT_LT(seen, 0.9 * rim);
    EXPECT_NEAR(seen + lengthOn(view, hidden, 5.5, -5.5), rim, 0.01 * rim);
}

// ---- projection ------------------------------------------------------------------------

TEST(SolidProject, BoxShowsNineEdgesAndHidesThreeInIsometric)
{
    CZun_Solid box;
    box.setBlock({0, 0, 0}, {40, 30, 10});
    ASSERT_TRUE(box.solid());
    const CZunMatrix3d view = isoView();
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(box.project(view, true, 1, visible, hidden));
    ASSERT_EQ(visible.len(), 9);
    ASSERT_EQ(hidden.len(), 3);

    // The corner farthest from the viewer is the one the hidden edges meet.
    const CZunPoint3d back(0, 30, 0);
    // Edges may come in pieces where others cross them in the picture, but
    // each is one polyline from corner to corner.
    for (const CZunVertexArray& vl : hidden) {
        ASSERT_TRUE(vl.isContinuous());
        const bool atBack = toSolid(view, vl.first().start()).isEqualTo(back, 1e-9)
                            || toSolid(view, vl.last().end()).isEqualTo(back, 1e-9);
        EXPECT_TRUE(atBack);
        EXPECT_NEAR(toSolid(view, vl.first().start()).distanceTo(toSolid(view, vl.last().end())),
                    vl.length(), 1e-9) << "straight";
    }
    for (const CZunVertexArray& vl : visible) {
        EXPECT_FALSE(toSolid(view, vl.first().start()).isEqualTo(back, 1e-9));
        EXPECT_FALSE(toSolid(view, vl.last().end()).isEqualTo(back, 1e-9));
    }

    // Without hidden-line removal every edge is visible.
    ASSERT_TRUE(box.project(view, false, 0, visible, hidden));
    EXPECT_EQ(visible.len(), 12);
    EXPECT_TRUE(hidden.isEmpty());
}

TEST(SolidProject, BoxFromAboveHidesTheBottomEdgesAndDropsTheUprights)
{
    CZun_Solid box;
    box.setBlock({0, 0, 0}, {40, 30, 10});
    ASSERT_TRUE(box.solid());
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(box.project(CZunMatrix3d(), true, 1, visible, hidden));
    ASSERT_EQ(visible.len(), 4);
    ASSERT_EQ(hidden.len(), 4);
    for (const CZunVertexArray& vl : visible)
        EXPECT_EQ(vl[0].start().z, 10.0);
    for (const CZunVertexArray& vl : hidden)
        EXPECT_EQ(vl[0].start().z, 0.0);

    ASSERT_TRUE(box.project(CZunMatrix3d(), false, 1, visible, hidden));
    for (const CZunVertexArray& vl : hidden)
        EXPECT_EQ(vl[0].start().z, 0.0) << "flat pictures without the flag";
}

TEST(SolidProject, ThroughHoleFromAboveShowsItsCircle)
{
    CZun_Solid plate = plateWithHole(40, 20, 10);
    ASSERT_TRUE(plate.solid());
    const CZunMatrix3d top;
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(plate.project(top, true, 1, visible, hidden));
    EXPECT_EQ(countOn(top, visible, 5, 0), 1);
    for (const CZunVertexArray& vl : visible) {
        if (onCircle(top, vl, 5, 0)) {
            EXPECT_TRUE(vl.isClosed());
            EXPECT_EQ(vl.len(), 64) << "the default division, no silhouettes from above";
        }
    }
    EXPECT_EQ(countOn(top, hidden, 5, -20), 1) << "the bottom rim right behind the top one";
    EXPECT_EQ(visible.len(), 5) << "four plate edges and the hole";
    EXPECT_EQ(hidden.len(), 5);
}

TEST(SolidProject, IsometricThickPlateHidesTheHolesBackEdges)
{
    CZun_Solid plate = plateWithHole(40, 20, 10);
    ASSERT_TRUE(plate.solid());
    const CZunMatrix3d view = isoView();
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(plate.project(view, true, 1, visible, hidden));

    EXPECT_EQ(countOn(view, visible, 5, 0), 1) << "the rim whole and in one piece";
    EXPECT_EQ(lengthOn(view, visible, 5, -20), 0.0) << "too deep to see the bottom rim";
    EXPECT_NEAR(lengthOn(view, hidden, 5, -20), 2 * kPiD * 5, 0.01 * 2 * kPiD * 5);

    // Silhouettes of the bore: straight down its wall, mostly hidden.
    int walls = 0;
    for (const CZunVertexArray& vl : hidden)
        for (const CZunVertex& v : vl) {
            const CZunPoint3d a = toSolid(view, v.start()), b = toSolid(view, v.end());
            if (std::abs(std::hypot(a.x, a.y) - 5) < 1e-6 && std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6
                && std::abs(a.z - b.z) > 1e-3)
                ++walls;
        }
    EXPECT_GE(walls, 2);

    // The plate's outline: nine edges visible, the three at the far bottom corner hidden.
    int plateVisible = 0;
    for (const CZunVertexArray& vl : visible)
        if (std::abs(toSolid(view, vl[0].start()).x) > 19.999 || std::abs(toSolid(view, vl[0].start()).y) > 19.999)
            ++plateVisible;
    EXPECT_EQ(plateVisible, 9);
}

TEST(SolidProject, IsometricThinPlateShowsTheBottomRimThroughTheHole)
{
    CZun_Solid plate = plateWithHole(60, 2, 20);
    ASSERT_TRUE(plate.solid());
    const CZunMatrix3d view = isoView();
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(plate.project(view, true, 1, visible, hidden));

    const double rim = 2 * kPiD * 10;
    const double seen = lengthOn(view, visible, 10, -2);
    const double behind = lengthOn(view, hidden, 10, -2);
    // Looking down through the hole: the far half of the bottom rim, less
    // the little the near wall's depth takes away.
    EXPECT_GT(seen, 0.35 * rim);
    EXPECT_LT(seen, 0.5 * rim);
    EXPECT_GT(behind, 0.5 * rim);
    CZunArrayTempl<CZunVertexArray> wire, none;
    ASSERT_TRUE(plate.project(view, true, 0, wire, none));
    EXPECT_NEAR(seen + behind, lengthOn(view, wire, 10, -2), 1e-9 * rim) << "the pieces make the whole rim";

    // What is seen of the bottom rim is seen through the opening.
    CZunVertexArray opening;
    for (const CZunVertexArray& vl : visible)
        if (onCircle(view, vl, 10, 0))
            opening = vl;
    ASSERT_TRUE(opening.isClosed());
    const CZunContourSet flat{g_vx_xy(opening)};
    for (const CZunVertexArray& vl : visible) {
        if (!onCircle(view, vl, 10, -2))
            continue;
        for (const CZunVertex& v : vl)
            EXPECT_NE(g_vll_pt_inside(flat, g_vx_xy(v).mid()), 0);
    }
}

TEST(SolidProject, ViewsAndModelersItRefuses)
{
    CZun_Solid box;
    box.setBlock({0, 0, 0}, {1, 1, 1});
    CZunArrayTempl<CZunVertexArray> visible{CZunVertexArray()}, hidden;
    EXPECT_FALSE(box.project(CZunMatrix3d(), false, 1, visible, hidden)) << "not made yet";
    EXPECT_TRUE(visible.isEmpty()) << "the lists are emptied";
    ASSERT_TRUE(box.solid());
    EXPECT_FALSE(box.project(CZunMatrix3d(), false, 2, visible, hidden));
    CZunMatrix3d flat;
    flat.setToScaling(0.0);
    EXPECT_FALSE(box.project(flat, false, 1, visible, hidden));
}

// ---- making and evaluating ---------------------------------------------------------------

TEST(SolidMake, RefusesPiecesThatMakeNoSolid)
{
    using Profile = CZunArrayTempl<CZun_Solid::Ring>;
    struct Case {
        const char* why;
        bool block;
        Profile profile;
        bool cut;
    };
    const std::vector<Case> cases = {
        {"nothing", false, {}, false},
        {"one ring", true, {{5, 0}}, true},
        {"hole not starting at the top", true, {{5, -1}, {5, -10}}, true},
        {"hole wider than the plate", true, {{25, 0}, {25, -10}}, true},
        {"profile rising", true, {{5, 0}, {5, -5}, {4, -3}, {4, -10}}, true},
        {"closed in the middle", true, {{5, 0}, {0, -5}, {5, -10}}, true},
        {"blind hole reaching the bottom", true, {{5, 0}, {5, -8}, {0, -10}}, true},
        {"open end above the bottom", true, {{5, 0}, {5, -8}}, true},
        {"below the plate", true, {{5, 0}, {5, -12}}, true},
        {"body and block", true, {{5, 0}, {5, -8}}, false},
        {"cut without block", false, {{5, 0}, {5, -8}}, true},
        {"negative radius", false, {{5, 0}, {-5, -8}}, false},
        {"repeated ring", false, {{5, 0}, {5, 0}, {5, -8}}, false},
    };
    for (const Case& c : cases) {
        CZun_Solid s;
        if (c.block)
            s.setBlock({-20, -20, -10}, {20, 20, 0});
        s.setRevolved(c.profile, c.cut);
        EXPECT_FALSE(s.solid()) << c.why;
        EXPECT_FALSE(s.isSolid()) << c.why;
        EXPECT_FALSE(s.evaluate(1)) << c.why;
    }
    CZun_Solid flat;
    flat.setBlock({0, 0, 0}, {10, 10, 0});
    EXPECT_FALSE(flat.solid());

    CZun_Solid ok;
    ok.setBlock({-20, -20, -10}, {20, 20, 0});
    ok.setRevolved({{8, 0}, {8, -3}, {5, -3}, {5, -10}}, true);
    EXPECT_TRUE(ok.solid()) << "a counterbored through hole";
    ok.setRevolved({{8, 0}, {8, -3}, {5, -3}, {5, -10}, {0, -10}}, true);
    EXPECT_FALSE(ok.isSolid()) << "a new definition unmakes the solid";
}

TEST(SolidMake, EvaluateSetsHowFinelyCirclesAreFollowed)
{
    CZun_Solid plate = plateWithHole(40, 20, 10);
    ASSERT_TRUE(plate.solid());
    EXPECT_FALSE(plate.evaluate(-1));
    const CZunMatrix3d top;
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    for (const auto& [quality, pieces] : {std::pair{0, 32}, std::pair{2, 128}}) {
        ASSERT_TRUE(plate.evaluate(quality));
        EXPECT_EQ(plate.segments(), pieces);
        ASSERT_TRUE(plate.project(top, true, 1, visible, hidden));
        for (const CZunVertexArray& vl : visible) {
            if (onCircle(top, vl, 5, 0)) {
                EXPECT_EQ(vl.len(), pieces);
            }
        }
    }
}
