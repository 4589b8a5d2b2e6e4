#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_bar.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_outline.h"
#include "contracts/data/zun_section_geom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZUN::section::area;
using Texts = CZunArrayTempl<CZunString>;
using Keys = CZunArrayTempl<CZunDataKey>;

CZunVertexArray rect(double x0, double y0, double x1, double y1)
{
    return CZunVertexArray::fromPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, true);
}

double regionArea(const CZunContourSet& region)
{
    double a = 0.0;
    for (const CZunVertexArray& c : region)
        a += area(c);
    return a;
}

// An outline key with its parameters, as an "XREF" names a profile.
void setOutline(CZunDataItem* ref, int key, CZunArrayTempl<double> parms)
{
    ref->set(key, L"OUTLINE");
    ref->set(CZunDataItem::Value(parms), L"PARM");
}

// The regions of a bar whose "XREF" is ref, as the bar image reads them.
bool regionsOf(CZunDataItem* ref, CZunRegionList& regl, const CZunMatrix3d& mtx = CZunMatrix3d())
{
    auto dta = ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead, nullptr, nullptr, ref);
    return ZUN::bar_regl(dta.get(), mtx, regl);
}

} // namespace

TEST(BarRegions, SquareWithHoleAndIslandNestByDepth)
{
    const CZunContourSet contours{rect(40, 40, 60, 60).revert(), rect(0, 0, 100, 100), rect(20, 20, 80, 80)};
    CZunRegionList r = ZUN::g_vll_regions(contours, 4);
    ASSERT_EQ(r.len(), 2);
    // Regions follow their outer contours' input order: the island first.
    ASSERT_EQ(r[0].len(), 1);
    EXPECT_EQ(r[0][0], contours[0]);
    ASSERT_EQ(r[1].len(), 2);
    EXPECT_EQ(r[1][0], contours[1]);
    EXPECT_EQ(r[1][1], contours[2]);

    // Without nesting by depth, everything inside the square goes with it.
    r = ZUN::g_vll_regions(contours, 0);
    ASSERT_EQ(r.len(), 1);
    ASSERT_EQ(r[0].len(), 3);
    EXPECT_EQ(r[0][0], contours[1]);

    // Bit 1 orients: outer contours counter-clockwise, holes clockwise.
    r = ZUN::g_vll_regions(contours, 5);
    ASSERT_EQ(r.len(), 2);
    EXPECT_NEAR(area(r[0][0]), 400.0, 1e-9);
    EXPECT_NEAR(regionArea(r[1]), 10000.0 - 3600.0, 1e-9);

    // Side by side: two regions.
    r = ZUN::g_vll_regions({rect(0, 0, 1, 1), rect(2, 0, 3, 1)}, 4);
    EXPECT_EQ(r.len(), 2);
    EXPECT_TRUE(ZUN::g_vll_regions({}, 4).isEmpty());
}

TEST(BarRegions, PrepareJoinsLooseLinesIntoLoops)
{
    // Four sides of a square (one drawn the other way), a line drawn there
    // and back, and a U open at the top.
    const auto open = [](CZunArrayTempl<CZunPoint3d> points) { return CZunVertexArray::fromPoints(points, false); };
    const CZunContourSet loops = ZUN::g_vll_regions_prepare(
        {open({{0, 0}, {10, 0}}), open({{50, 50}, {60, 50}, {50, 50}}), open({{10, 10}, {0, 10}}),
         open({{20, 10}, {20, 0}, {30, 0}, {30, 10}}), open({{10, 10}, {10, 0}}), open({{0, 0}, {0, 10}})});
    ASSERT_EQ(loops.len(), 2);  // the doubled line has no area
    for (const CZunVertexArray& loop : loops) {
        EXPECT_TRUE(loop.isClosed());
        EXPECT_NEAR(std::abs(area(loop)), 100.0, 1e-9);
    }
}

TEST(BarSection, HollowSectionIsAnOuterContourWithAHole)
{
    CZunDataItem ref(true);
    setOutline(&ref, ZUN::kOutlHollowRect, {100.0, 100.0, 5.0, 10.0});
    CZunRegionList regl;
    ASSERT_TRUE(regionsOf(&ref, regl));
    ASSERT_EQ(regl.len(), 1);
    ASSERT_EQ(regl[0].len(), 2);
    const double outer = 100.0 * 100.0 - (4.0 - ZUN::kPi) * 100.0;
    const double inner = 90.0 * 90.0 - (4.0 - ZUN::kPi) * 25.0;
    EXPECT_NEAR(area(regl[0][0]), outer, 1e-9);
    EXPECT_NEAR(area(regl[0][1]), -inner, 1e-9);
    EXPECT_EQ(ZUN::g_vll_pt_inside(regl[0], CZunPoint3d(0, 0)), 0);
    EXPECT_EQ(ZUN::g_vll_pt_inside(regl[0], CZunPoint3d(47.5, 0)), 1);

    // The matrix places the section.
    CZunMatrix3d move;
    move.setToTranslation(CZunVector3d(1000, 0, 0));
    ASSERT_TRUE(regionsOf(&ref, regl, move));
    CZunPoint3d lo, hi;
    regl[0][0].extents(lo, hi);
    EXPECT_NEAR(lo.x, 950.0, 1e-9);
    EXPECT_NEAR(hi.x, 1050.0, 1e-9);

    setOutline(&ref, ZUN::kOutlPipe, {60.0, 5.0});
    ASSERT_TRUE(regionsOf(&ref, regl));
    EXPECT_NEAR(regionArea(regl[0]), ZUN::kPi * (900.0 - 625.0), 1e-9);

    // A coat follows the round outline at its thickness.
    ref.set(2.0, L"COAT_T");
    ASSERT_TRUE(regionsOf(&ref, regl));
    ASSERT_EQ(regl.len(), 2);
    EXPECT_NEAR(regionArea(regl[1]), ZUN::kPi * (32.0 * 32.0 - 900.0), 1e-9);

    // Parameters that do not make the section give nothing.
    setOutline(&ref, ZUN::kOutlPipe, {60.0, 40.0});
    EXPECT_FALSE(regionsOf(&ref, regl));
    EXPECT_TRUE(regl.isEmpty());
}

TEST(BarSection, ReferencesCoatingAndPlacementOfTheProfile)
{
    ZUN::CCfgBackup keep;
    CZunDataItem root(true);
    CZunDataItem* flat = root.mkDir(L"PROFILES\\FLAT");
    setOutline(flat, ZUN::kOutlRect, {20.0, 10.0});
    CZunDataItem* xref = root.mkDir(L"BARS\\B1\\XREF");
    xref->set(CZunDataItem::Value(Texts{L"PROFILES", L"FLAT"}), L"STACK");
    CZunMatrix3d turn;
    turn.setToRotation(ZUN::kPi / 2);
    xref->set(CZunDataItem::Value(turn), L"MTX");
    CZunRegionList regl;
    ASSERT_TRUE(regionsOf(xref, regl));
    ASSERT_EQ(regl.len(), 1);
    CZunPoint3d lo, hi;
    regl[0][0].extents(lo, hi);
    EXPECT_NEAR(hi.x - lo.x, 10.0, 1e-9);  // turned upright by the reference's matrix
    EXPECT_NEAR(hi.y - lo.y, 20.0, 1e-9);

    // A coated profile: the coat as a region of its own around the outline.
    flat->set(1.0, L"COAT_T");
    ASSERT_TRUE(regionsOf(xref, regl));
    ASSERT_EQ(regl.len(), 2);
    EXPECT_NEAR(area(regl[0][0]), 200.0, 1e-9);
    EXPECT_NEAR(regionArea(regl[1]), 22.0 * 12.0 - 200.0, 1e-9);
    EXPECT_EQ(ZUN::g_vll_pt_inside(regl[1], CZunPoint3d(0, 10.5)), 1);

    // The configuration's profiles answer addresses the tree does not hold.
    CZunDataItem* shared = ZUN::cfg_dir_make(CZunDataKey{ZUN::kBarCfgDir, L"ROD"});
    setOutline(shared, ZUN::kOutlCircle, {10.0});
    xref->set(CZunDataItem::Value(Texts{L"ROD"}), L"STACK");
    ASSERT_TRUE(regionsOf(xref, regl));
    EXPECT_NEAR(area(regl[0][0]), ZUN::kPi * 25.0, 1e-9);

    // A reference to itself is a loop, not a profile.
    xref->set(CZunDataItem::Value(Texts{L"BARS", L"B1", L"XREF"}), L"STACK");
    EXPECT_FALSE(regionsOf(xref, regl));
    EXPECT_FALSE(ZUN::bar_regl(nullptr, CZunMatrix3d(), regl));
}

TEST(BarSection, StoredRegionsAndRawContours)
{
    CZunDataItem ref(true);
    CZunVertexArray l1, l2, l3;
    l1.append(CZunPoint3d(0, 0), CZunPoint3d(30, 0));
    l2.append(CZunPoint3d(30, 0), CZunPoint3d(0, 30));
    l3.append(CZunPoint3d(0, 30), CZunPoint3d(0, 0));
    ref.set(CZunDataItem::Value(CZunContourSet{l1, l3, l2, rect(2, 2, 4, 4)}), L"VL");
    CZunRegionList regl;
    ASSERT_TRUE(regionsOf(&ref, regl));
    ASSERT_EQ(regl.len(), 1);
    ASSERT_EQ(regl[0].len(), 2);
    EXPECT_NEAR(regionArea(regl[0]), 450.0 - 4.0, 1e-9);

    // Stored regions come before raw contours.
    ref.set(CZunDataItem::Value(CZunRegionList{{rect(0, 0, 1, 1)}, {rect(5, 5, 6, 6)}}), L"REGL");
    ASSERT_TRUE(regionsOf(&ref, regl));
    EXPECT_EQ(regl.len(), 2);
}

TEST(BarSubs, AttachedBarsComeFromSubsThenFromTheirOwnLink)
{
    CZunDataItem root(true);
    CZunDataItem* g = root.mkDir(L"GRP\\G1");
    g->mkDir(L"B1")->set(CZunDataItem::Value(Texts{L"B3", L"B2", L"B1", L"B3"}), L"SUBS");
    g->mkDir(L"B2")->set(L"B1", L"ON");
    g->mkDir(L"B3");
    g->mkDir(L"B4")->set(CZunDataItem::Value(Texts{L"B9", L"B1"}), L"ON");
    g->mkDir(L"B5")->set(L"B2", L"ON");
    Keys subs;
    ASSERT_EQ(ZUN::bar_bt_subs(&root, L"GRP\\G1", L"B1", subs), 3);
    EXPECT_EQ(subs[0].toString(), L"B3");
    EXPECT_EQ(subs[1].toString(), L"B2");
    EXPECT_EQ(subs[2].toString(), L"B4");
    EXPECT_EQ(g->getItem(subs[2]), g->getItem(L"B4"));

    ASSERT_EQ(ZUN::bar_bt_subs(&root, L"GRP\\G1", L"B2", subs), 1);
    EXPECT_EQ(subs[0].toString(), L"B5");
    EXPECT_EQ(ZUN::bar_bt_subs(&root, L"GRP\\G1", L"B5", subs), 0);
    EXPECT_TRUE(subs.isEmpty());

    root.set(L"text", L"FLAT");
    EXPECT_EQ(ZUN::bar_bt_subs(&root, L"FLAT", L"B1", subs), 0);
    EXPECT_EQ(ZUN::bar_bt_subs(&root, L"NONE", L"B1", subs), 0);
    EXPECT_EQ(ZUN::bar_bt_subs(nullptr, L"GRP\\G1", L"B1", subs), 0);
}
