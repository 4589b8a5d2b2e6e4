#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_fsheet.h"
#include "contracts/data/zun_section_geom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using ZUN::section::area;
using Texts = CZunArrayTempl<CZunString>;

CZunVertexArray line(double x0, double y0, double x1, double y1)
{
    CZunVertexArray vl;
    vl.append(CZunPoint3d(x0, y0), CZunPoint3d(x1, y1));
    return vl;
}

CZunVertexArray rect(double x0, double y0, double x1, double y1)
{
    return CZunVertexArray::fromPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, true);
}

// A trapezoidal profile of segment 200, ribs 40 high, flanges 40 (top) and
// 80 (bottom), 1 mm thick, stored beside a part that draws it over length.
struct TrapezPart {
    CZunDataItem root{true};
    CZunDataItem* sheet = nullptr;
    CZunDataItem* work = nullptr;

    explicit TrapezPart(double length = 200.0)
    {
        sheet = root.mkDir(L"PROFILES\\TR");
        sheet->set(L"TRAPEZ", CZunDataKey{L"", L"CALC"});
        sheet->set(200.0, L"SEG");
        sheet->set(40.0, L"H");
        sheet->set(40.0, L"B_TOP");
        sheet->set(80.0, L"B_BOT");
        sheet->set(1.0, L"S");
        work = root.mkDir(L"PART");
        work->set(CZunDataItem::Value(Texts{L"PROFILES", L"TR"}), L"STACK");
        work->set(CZunDataItem::Value(line(0, 0, length, 0)), L"VL");
    }
    // Length of the mid-thickness line of one segment with sharp bends.
    static double developed() { return 40.0 + 80.0 + 2.0 * std::hypot(40.0, 39.0); }
};

void expectClosedCcw(const CZunVertexArray& c)
{
    EXPECT_TRUE(c.isClosed(1e-9));
    EXPECT_GT(area(c), 0.0);
}

bool hasArcOfRadius(const CZunVertexArray& c, double r)
{
    for (const CZunVertex& v : c)
        if (v.isArc() && std::abs(v.radius() - r) < 1e-6)
            return true;
    return false;
}

} // namespace

TEST(SheetProfile, TrapezoidalSegmentHasItsWidthHeightAndGaugeArea)
{
    TrapezPart part;
    CZunContourSet contours;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(part.work, contours, s1, s2));
    ASSERT_EQ(contours.len(), 1);
    const CZunVertexArray& c = contours[0];
    expectClosedCcw(c);
    // Strip of constant gauge: its area is the mid line's length times t.
    EXPECT_NEAR(area(c), TrapezPart::developed() * 1.0, 1e-6);
    CZunPoint3d lo, hi;
    ASSERT_TRUE(c.extents(lo, hi));
    EXPECT_NEAR(lo.x, 0.0, 1e-9);
    EXPECT_NEAR(hi.x, 200.0, 1e-9);
    EXPECT_NEAR(lo.y, 0.0, 1e-9);
    EXPECT_NEAR(hi.y, 40.0, 1e-9);
    // The rib axis sits in the middle of an upper flange: both ends are there.
    EXPECT_TRUE(ZUN::g_vll_pt_inside({c}, CZunPoint3d(0.5, 39.5)) == 1);
    EXPECT_TRUE(ZUN::g_vll_pt_inside({c}, CZunPoint3d(100.0, 0.5)) == 1);
    EXPECT_TRUE(ZUN::g_vll_pt_inside({c}, CZunPoint3d(100.0, 20.0)) == 0);

    // Coating lines run one gauge outside the faces, over the whole length.
    CZunPoint3d a, b;
    ASSERT_TRUE(s1.extents(a, b));
    EXPECT_NEAR(b.y, 41.0, 1e-9);
    EXPECT_NEAR(a.y, 2.0, 1e-9);
    ASSERT_TRUE(s2.extents(a, b));
    EXPECT_NEAR(a.y, -1.0, 1e-9);
    EXPECT_NEAR(b.y, 38.0, 1e-9);
    EXPECT_TRUE(s1.isContinuous());

    // The part's gauge wins over the profile's; the ribs keep their height.
    part.work->set(0.5, L"S");
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(part.work, contours, s1, s2));
    EXPECT_NEAR(area(contours[0]), 0.5 * (120.0 + 2.0 * std::hypot(40.0, 39.5)), 1e-6);
}

TEST(SheetProfile, DrawnLengthRepeatsSegmentsAndCutsTheLastOne)
{
    TrapezPart part(300.0);  // one and a half segments: the cut falls on a lower flange
    CZunContourSet contours;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(part.work, contours, s1, s2));
    const CZunVertexArray& c = contours[0];
    expectClosedCcw(c);
    EXPECT_NEAR(area(c), 1.5 * TrapezPart::developed(), 1e-6);
    CZunPoint3d lo, hi;
    c.extents(lo, hi);
    EXPECT_NEAR(hi.x, 300.0, 1e-9);
    // The second rib stands at x = 200.
    EXPECT_EQ(ZUN::g_vll_pt_inside({c}, CZunPoint3d(200.0, 39.5)), 1);
    EXPECT_EQ(ZUN::g_vll_pt_inside({c}, CZunPoint3d(299.0, 0.5)), 1);
}

TEST(SheetProfile, CorrugatedSheetIsMadeOfTangentArcs)
{
    CZunDataItem root(true);
    CZunDataItem* w = root.mkDir(L"W");
    w->set(L"SINUS", L"CALC");
    w->set(76.0, L"SEG");
    w->set(18.0, L"H");
    w->set(0.63, L"S");
    CZunDataItem* work = root.mkDir(L"P");
    work->set(L"W", L"STACK");  // a single text is a one-step address
    work->set(CZunDataItem::Value(line(0, 0, 76, 0)), L"VL");
    CZunContourSet contours;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(work, contours, s1, s2));
    const CZunVertexArray& c = contours[0];
    expectClosedCcw(c);
    int arcs = 0;
    for (const CZunVertex& v : c)
        arcs += v.isArc() ? 1 : 0;
    EXPECT_EQ(arcs, 8);  // four quarter waves on each face
    const double a = 0.5 * (18.0 - 0.63), q = 19.0;
    const double r = (q * q + a * a) / (2.0 * a);
    const double arcLength = 4.0 * r * std::atan2(q, r - a);
    EXPECT_NEAR(area(c), arcLength * 0.63, 1e-6);
    CZunPoint3d lo, hi;
    c.extents(lo, hi);
    EXPECT_NEAR(lo.y, 0.0, 1e-9);
    EXPECT_NEAR(hi.y, 18.0, 1e-9);
    EXPECT_TRUE(s1.isContinuous(1e-9));
}

TEST(SheetProfile, FilletedBendsGetInnerAndOuterRadii)
{
    TrapezPart part;
    part.sheet->set(CZunDataItem::Value(CZunArrayTempl<double>{3.0}), L"FILLET_P");
    CZunContourSet sharp, round;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(part.work, sharp, s1, s2));
    ASSERT_TRUE(ZUN::fsheet_vll_fillet(part.work, round, s1, s2));
    const CZunVertexArray& c = round[0];
    expectClosedCcw(c);
    EXPECT_TRUE(hasArcOfRadius(c, 3.0));  // inner face
    EXPECT_TRUE(hasArcOfRadius(c, 4.0));  // outer face: one gauge more
    EXPECT_FALSE(hasArcOfRadius(sharp[0], 3.0));
    // Each bend shortens the mid line by 2 T - r phi.
    const double phi = std::atan2(39.0, 40.0), rs = 3.5;
    const double saved = 4.0 * (2.0 * rs * std::tan(0.5 * phi) - rs * phi);
    EXPECT_NEAR(area(c), TrapezPart::developed() - saved, 1e-6);
    EXPECT_TRUE(hasArcOfRadius(s1, 4.0 + 1.0) || hasArcOfRadius(s1, 3.0 - 1.0));
}

TEST(SheetProfile, ExplicitPointsProfileRepeatsAndBendsWithAGaugeRadius)
{
    CZunDataItem root(true);
    CZunDataItem* p = root.mkDir(L"ZIG");
    p->set(CZunDataItem::Value(CZunPoint3dArray{{0, 20}, {10, 20}, {30, 0}, {50, 20}, {60, 20}}), L"POINTS");
    p->set(2.0, L"S");
    CZunDataItem* work = root.mkDir(L"P");
    work->set(L"ZIG", L"STACK");
    work->set(CZunDataItem::Value(line(0, 0, 120, 0)), L"VL");
    CZunContourSet contours;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fillet(work, contours, s1, s2));
    const CZunVertexArray& c = contours[0];
    expectClosedCcw(c);
    CZunPoint3d lo, hi;
    c.extents(lo, hi);
    EXPECT_NEAR(hi.x, 120.0, 1e-9);  // two segments of the points' width 60
    // Without radii a bend still has the gauge as its outer radius and a
    // sharp inner corner.
    EXPECT_TRUE(hasArcOfRadius(c, 2.0));
    EXPECT_EQ(ZUN::g_vll_pt_inside({c}, CZunPoint3d(90.0, 0.0)), 1);
}

TEST(SheetProfile, PlacementFollowsTheLineAndTheMatrix)
{
    TrapezPart part;
    part.work->set(CZunDataItem::Value(line(10, 10, 10, 210)), L"VL");  // along +y
    CZunContourSet contours;
    CZunVertexArray s1, s2;
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(part.work, contours, s1, s2));
    CZunPoint3d lo, hi;
    contours[0].extents(lo, hi);
    // x of the profile runs along +y, its height to the left (-x).
    EXPECT_NEAR(lo.y, 10.0, 1e-9);
    EXPECT_NEAR(hi.y, 210.0, 1e-9);
    EXPECT_NEAR(hi.x, 10.0, 1e-9);
    EXPECT_NEAR(lo.x, -30.0, 1e-9);

    // A mirroring placement keeps the contour counter-clockwise and its
    // start on the rib axis, so the axis stays square to the run.
    TrapezPart mirrored;
    CZunMatrix3d flip;
    flip.setToScaling(CZunVector3d(1.0, -1.0, 1.0));
    mirrored.work->set(CZunDataItem::Value(flip), L"MTX");
    ASSERT_TRUE(ZUN::fsheet_vll_fnc(mirrored.work, contours, s1, s2));
    expectClosedCcw(contours[0]);
    CZunVertexArray axis;
    ASSERT_TRUE(ZUN::fsheet_axis_vl(contours, 1.0, axis));
    EXPECT_NEAR(axis[0].start().x, 0.0, 1e-9);
    EXPECT_NEAR(axis[0].end().x, 0.0, 1e-9);
}

TEST(SheetProfile, AxisCrossesTheProfileAtItsFirstRib)
{
    TrapezPart part(600.0);
    CZunContourSet contours;
    CZunVertexArray s1, s2, axis;
    ASSERT_TRUE(ZUN::fsheet_vll_fillet(part.work, contours, s1, s2));
    ASSERT_TRUE(ZUN::fsheet_axis_vl(contours, 1.0, axis));
    ASSERT_EQ(axis.len(), 1);
    const double over = 0.1 * 40.0 + 1.0;
    EXPECT_NEAR(axis[0].start().x, 0.0, 1e-9);
    EXPECT_NEAR(axis[0].end().x, 0.0, 1e-9);
    EXPECT_NEAR(std::min(axis[0].start().y, axis[0].end().y), -over, 1e-9);
    EXPECT_NEAR(std::max(axis[0].start().y, axis[0].end().y), 40.0 + over, 1e-9);
    EXPECT_FALSE(ZUN::fsheet_axis_vl(CZunContourSet(), 1.0, axis));
    EXPECT_TRUE(axis.isEmpty());
}

TEST(SheetProfile, MissingOrCompoundSheetsGiveNothing)
{
    TrapezPart part;
    CZunContourSet contours{rect(0, 0, 1, 1)};
    CZunVertexArray s1 = line(0, 0, 1, 0), s2 = s1;
    part.work->set(CZunDataItem::Value(Texts{L"PROFILES", L"NONE"}), L"STACK");
    EXPECT_FALSE(ZUN::fsheet_vll_fnc(part.work, contours, s1, s2));
    EXPECT_TRUE(contours.isEmpty());
    EXPECT_TRUE(s1.isEmpty());
    part.work->set(CZunDataItem::Value(Texts{L"PROFILES", L"TR"}), L"STACK");
    part.sheet->set(L"COMPOUND", L"CALC");
    EXPECT_FALSE(ZUN::fsheet_vll_fillet(part.work, contours, s1, s2));
    EXPECT_FALSE(ZUN::fsheet_vll_fnc(nullptr, contours, s1, s2));
}

TEST(SheetLookup, AddressesResolveUpwardsThenInTheCatalogues)
{
    ZUN::CCfgBackup keep;
    TrapezPart part;
    // Below the item itself first, then below its parents.
    CZunDataItem* local = part.work->mkDir(L"PROFILES\\TR");
    EXPECT_EQ(ZUN::fsheet_get(part.work, Texts{L"PROFILES", L"TR"}), local);
    part.work->remove(L"PROFILES");
    EXPECT_EQ(ZUN::fsheet_get(part.work, Texts{L"PROFILES\\TR"}), part.sheet);

    // A copy has no parents: the configuration catalogue and the shipped
    // one answer, the configuration first.
    const CZunDataItem copy(*part.work);
    EXPECT_EQ(ZUN::fsheet_get(&copy, Texts{L"PROFILES", L"TR"}), nullptr);
    CZunDataItem* mine = ZUN::cfg_dir_make(CZunDataKey{ZUN::kFsheetCfgDir, L"T35"});
    mine->set(100.0, L"SEG");
    double seg = 0.0;
    ASSERT_NE(ZUN::fsheet_get(&copy, Texts{L"T35"}), nullptr);
    ZUN::fsheet_get(&copy, Texts{L"T35"})->get(seg, L"SEG");
    EXPECT_EQ(seg, 100.0);
    ZUN::cfg_get(ZUN::kFsheetCfgDir)->remove(L"T35");
    const CZunDataItem* shipped = ZUN::fsheet_get(&copy, Texts{L"T35"});
    ASSERT_NE(shipped, nullptr);
    shipped->get(seg, L"SEG");
    EXPECT_EQ(seg, 207.5);
    EXPECT_EQ(ZUN::fsheet_get(&copy, Texts{}), nullptr);
    EXPECT_EQ(ZUN::fsheet_get(&copy, Texts{L""}), nullptr);
}

TEST(SheetLookup, VariantIdentifierComesFromSidOrGauge)
{
    CZunDataItem item(true);
    EXPECT_EQ(ZUN::fsheet_sid(&item), L"");
    item.set(0.75, L"S");
    auto dta = ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, &item);
    EXPECT_EQ(ZUN::fsheet_sid(dta.get()), L"0.75");
    item.set(L"A2", L"SID");
    EXPECT_EQ(ZUN::fsheet_sid(dta.get()), L"A2");
    EXPECT_EQ(ZUN::fsheet_sid(static_cast<ZUN::CDtaFilePointer*>(nullptr)), L"");
}

TEST(SheetRegion, ParametricStripsRepeatAlongTheLength)
{
    CZunDataItem root(true);
    CZunDataItem* layer = root.mkDir(L"G");
    layer->set(L"REGION", L"CALC");
    CZunDataItem* reg = layer->mkDir(L"REGION");
    reg->set(5.0, L"X");
    reg->set(10.0, L"W");
    reg->set(4.0, L"H");
    reg->set(100.0, L"DX");
    CZunDataItem* work = root.mkDir(L"P");
    work->set(L"G", L"STACK");
    work->set(CZunDataItem::Value(line(0, 0, 250, 0)), L"VL");
    CZunContourSet contours;
    ASSERT_TRUE(ZUN::fsheet_vll_region(work, contours));
    ASSERT_EQ(contours.len(), 3);  // at 5, 105 and 205
    for (const CZunVertexArray& c : contours)
        EXPECT_NEAR(area(c), 40.0, 1e-9);
    EXPECT_EQ(ZUN::g_vll_pt_inside(contours, CZunPoint3d(210.0, 2.0)), 1);

    // A round cord, and a strip over the whole length by default.
    reg->clear();
    reg->set(8.0, L"D");
    ASSERT_TRUE(ZUN::fsheet_vll_region(work, contours));
    ASSERT_EQ(contours.len(), 1);
    EXPECT_NEAR(area(contours[0]), ZUN::kPi * 16.0, 1e-9);
    reg->clear();
    reg->set(2.0, L"Y");
    reg->set(3.0, L"H");
    ASSERT_TRUE(ZUN::fsheet_vll_region(work, contours));
    EXPECT_NEAR(area(contours[0]), 750.0, 1e-9);

    // Given contours are taken as they are, placed like the sheet.
    layer->remove(L"REGION");
    layer->set(CZunDataItem::Value(CZunContourSet{rect(0, 0, 2, 2).revert()}), L"REGION");
    CZunMatrix3d up;
    up.setToTranslation(CZunVector3d(0, 10, 0));
    work->set(CZunDataItem::Value(up), L"MTX");
    ASSERT_TRUE(ZUN::fsheet_vll_region(work, contours));
    EXPECT_NEAR(area(contours[0]), 4.0, 1e-9);  // turned counter-clockwise
    EXPECT_EQ(ZUN::g_vll_pt_inside(contours, CZunPoint3d(1, 11)), 1);

    layer->remove(L"REGION");
    EXPECT_FALSE(ZUN::fsheet_vll_region(work, contours));
    EXPECT_TRUE(contours.isEmpty());
}

TEST(SheetRegion, SubtractCutsHolesNotchesAndKeepsTouchingNeighbours)
{
    const CZunContourSet core{rect(0, 0, 10, 10)};
    // Inside: a hole.
    CZunContourSet r = ZUN::section::subtract(core, {rect(2, 2, 4, 4)});
    ASSERT_EQ(r.len(), 2);
    EXPECT_NEAR(area(r[0]) + area(r[1]), 96.0, 1e-9);
    // On the edge: a notch, one contour.
    r = ZUN::section::subtract(core, {rect(2, -1, 4, 1)});
    ASSERT_EQ(r.len(), 1);
    EXPECT_NEAR(area(r[0]), 98.0, 1e-9);
    // Sitting on the edge from inside, sharing it.
    r = ZUN::section::subtract(core, {rect(2, 0, 4, 1)});
    ASSERT_EQ(r.len(), 1);
    EXPECT_NEAR(area(r[0]), 98.0, 1e-9);
    // Touching from outside: nothing changes.
    r = ZUN::section::subtract(core, {rect(2, -1, 4, 0)});
    ASSERT_EQ(r.len(), 1);
    EXPECT_NEAR(area(r[0]), 100.0, 1e-9);
    // Cut through: two pieces.
    r = ZUN::section::subtract(core, {rect(4, -1, 6, 11)});
    ASSERT_EQ(r.len(), 2);
    EXPECT_NEAR(area(r[0]), 40.0, 1e-9);
    EXPECT_NEAR(area(r[1]), 40.0, 1e-9);
}

namespace {

// The layers of a catalogue panel as a panel drawing lays them out: each
// layer's own item named by its "STACK", its gauge from the panel's "THICK"
// table, its placement from its "MTX".
struct PanelSection {
    CZunVertexArray top, bot;
    CZunRegionList regions;
    CZunContourSet core, gaskets;
};

PanelSection layPanel(const wchar_t* panel, const CZunString& sid, double length)
{
    PanelSection out;
    CZunDataItem work(true);
    work.set(CZunDataItem::Value(Texts{panel}), L"STACK");
    work.set(CZunDataItem::Value(line(0, 0, length, 0)), L"VL");
    const CZunDataItem* sheet = ZUN::fsheet_get(&work);
    EXPECT_NE(sheet, nullptr);
    if (!sheet)
        return out;
    for (const auto& child : sheet->getItem(L"SANDWICH")->childList()) {
        Texts stack;
        CZunString side;
        CZunMatrix3d mtx;
        child->get(stack, L"STACK");
        child->get(side, L"SIDE");
        child->get(mtx, L"MTX");
        double s = 0.0;
        sheet->get(s, CZunDataKey{L"THICK", sid, side == L"BOT" ? L"S_BOT" : L"S"});
        const CZunDataItem* layer = ZUN::fsheet_get(&work, stack);
        EXPECT_NE(layer, nullptr);
        CZunString calc;
        layer->get(calc, L"CALC");
        CZunDataItem copy(work);
        copy.set(CZunDataItem::Value(stack), L"STACK");
        copy.set(s, L"S");
        copy.set(CZunDataItem::Value(mtx), L"MTX");
        CZunContourSet contours;
        CZunVertexArray s1, s2;
        if (layer->getItem(L"REGION"))
            ZUN::fsheet_vll_region(&copy, contours);
        else if (layer->getItem(L"FILLET_P"))
            ZUN::fsheet_vll_fillet(&copy, contours, s1, s2);
        else if (calc == L"OUTLINE")
            ZUN::fsheet_vll_outline(out.top, out.bot, out.regions, contours);
        if (side == L"TOP")
            out.top = contours.first();
        else if (side == L"BOT")
            out.bot = contours.first();
        else if (calc == L"REGION")
            out.regions.append(contours), out.gaskets += contours;
        if (calc == L"OUTLINE")
            out.core += contours;
    }
    return out;
}

} // namespace

TEST(SheetPanel, RoofPanelLayersStackWithoutOverlapOrGap)
{
    const PanelSection p = layPanel(L"SP_ROOF", L"0.63", 1000.0);
    ASSERT_FALSE(p.top.isEmpty());
    ASSERT_FALSE(p.bot.isEmpty());
    ASSERT_FALSE(p.core.isEmpty());
    ASSERT_EQ(p.gaskets.len(), 1);
    // The gauges of the variant reached the sheets: bottom 0.5 thick and
    // flat over the length, top 0.63 with 3 ribs.
    EXPECT_NEAR(area(p.bot), 500.0, 1e-6);
    CZunPoint3d lo, hi;
    p.top.extents(lo, hi);
    EXPECT_NEAR(lo.y, 100.0, 1e-9);
    EXPECT_NEAR(hi.y, 140.0, 1e-9);
    const CZunContourSet top{p.top}, bot{p.bot};
    for (int i = 1; i < 100; ++i)
        for (int j = 1; j < 100; ++j) {
            const CZunPoint3d pt(i * 10.0 + 0.123, j * 1.41 + 0.037);
            const int inTop = ZUN::g_vll_pt_inside(top, pt) == 1;
            const int inBot = ZUN::g_vll_pt_inside(bot, pt) == 1;
            const int inCore = ZUN::g_vll_pt_inside(p.core, pt) == 1;
            const int inGasket = ZUN::g_vll_pt_inside(p.gaskets, pt) == 1;
            ASSERT_LE(inTop + inBot + inCore + inGasket, 1) << pt.x << ", " << pt.y;
            // Between the sheets everything is filled by core or gasket.
            if (pt.y > 0.5 && pt.y < 100.0) {
                ASSERT_EQ(inCore + inGasket, 1) << pt.x << ", " << pt.y;
            }
        }
    // The rib cavity is core too, the gasket cord a hole in it.
    EXPECT_EQ(ZUN::g_vll_pt_inside(p.core, CZunPoint3d(333.3, 120.0)), 1);
    EXPECT_EQ(ZUN::g_vll_pt_inside(p.core, CZunPoint3d(5.0, 116.0)), 0);
    EXPECT_EQ(ZUN::g_vll_pt_inside(p.gaskets, CZunPoint3d(5.0, 116.0)), 1);
}

TEST(SheetPanel, OutlineNeedsATopSheetAboveTheBottomOne)
{
    const CZunVertexArray low = rect(0, 0, 100, 1), high = rect(0, 50, 100, 51);
    CZunContourSet contours;
    ASSERT_TRUE(ZUN::fsheet_vll_outline(high, low, {}, contours));
    ASSERT_EQ(contours.len(), 1);
    EXPECT_NEAR(area(contours[0]), 4900.0, 1e-9);
    EXPECT_FALSE(ZUN::fsheet_vll_outline(low, high, {}, contours));
    EXPECT_TRUE(contours.isEmpty());
    EXPECT_FALSE(ZUN::fsheet_vll_outline(CZunVertexArray(), low, {}, contours));
    // A clockwise sheet contour reads the same.
    ASSERT_TRUE(ZUN::fsheet_vll_outline(CZunVertexArray(high).revert(), low, {{rect(10, 10, 20, 20)}}, contours));
    ASSERT_EQ(contours.len(), 2);
    EXPECT_NEAR(area(contours[0]), 4900.0, 1e-9);
    EXPECT_NEAR(area(contours[1]), -100.0, 1e-9);
}

// ---- limits -------------------------------------------------------------------

namespace {

// A profile function asked for more segments or repeats than a sheet may
// have: it refuses and says so, where it used to build a truncated sheet
// or to convert a count beyond any integer.
struct SegmentLimit {
    const char* name;
    double length;                                    // of the part's "VL"
    std::function<void(TrapezPart&)> change;          // before drawing
    bool (*profile)(const CZunDataItem*, CZunContourSet&, CZunString*);
    const wchar_t* error;                             // empty: drawn
};

bool sharp(const CZunDataItem* item, CZunContourSet& contours, CZunString* error)
{
    CZunVertexArray s1, s2;
    return ZUN::fsheet_vll_fnc(item, contours, s1, s2, error);
}

bool rounded(const CZunDataItem* item, CZunContourSet& contours, CZunString* error)
{
    CZunVertexArray s1, s2;
    return ZUN::fsheet_vll_fillet(item, contours, s1, s2, error);
}

// One segment 200 wide as a profile of n vertices, up and down.
CZunPoint3dArray zigzag(int n)
{
    CZunPoint3dArray points;
    for (int i = 0; i <= n; ++i)
        points.append(CZunPoint3d(200.0 * i / n, i % 2 ? 10.0 : 0.0));
    return points;
}

// A strip every DX of the layer named by the part, instead of the sheet.
void strips(TrapezPart& part, double dx)
{
    CZunDataItem* layer = part.root.mkDir(L"PROFILES\\STRIP");
    layer->set(L"REGION", L"CALC");
    CZunDataItem* region = layer->mkDir(L"REGION");
    region->set(1.0, L"W");
    region->set(1.0, L"H");
    region->set(dx, L"DX");
    part.work->set(CZunDataItem::Value(Texts{L"PROFILES", L"STRIP"}), L"STACK");
}

const SegmentLimit kSegmentLimits[] = {
    {"AtTheLimit", 200.0 * ZUN::kFsheetMaxSegments, nullptr, sharp, L""},
    {"OneMore", 200.0 * ZUN::kFsheetMaxSegments + 1.0, nullptr, sharp,
     L"the sheet needs 1001 segments over its length, more than the 1000 a sheet may have"},
    {"BillionWaves", 200.0 * 1e9, nullptr, sharp,
     L"the sheet needs 1000000000 segments over its length, more than the 1000 a sheet may have"},
    {"BillionWavesRounded", 200.0 * 1e9, [](TrapezPart& p) { p.sheet->set(2.0, L"FILLET_P"); }, rounded,
     L"the sheet needs 1000000000 segments over its length, more than the 1000 a sheet may have"},
    {"SegmentBeyondAnyCount", 200.0, [](TrapezPart& p) { p.sheet->set(1e-300, L"SEG"); }, sharp,
     L"the sheet needs 2e+302 segments over its length, more than the 1000 a sheet may have"},
    {"CorrugatedBillionWaves", 200.0 * 1e9, [](TrapezPart& p) { p.sheet->set(L"SINUS", L"CALC"); }, sharp,
     L"the sheet needs 1000000000 segments over its length, more than the 1000 a sheet may have"},
    {"StripsAtTheLimit", 12.5, [](TrapezPart& p) { strips(p, 0.125); },
     [](const CZunDataItem* item, CZunContourSet& contours, CZunString* error) {
         return ZUN::fsheet_vll_region(item, contours, error);
     },
     L""},
    {"PointsAtTheVertexLimit", 200.0 * 1000, [](TrapezPart& p) { p.sheet->set(CZunDataItem::Value(zigzag(100)), L"POINTS"); },
     sharp, L""},
    {"PointsAboveTheVertexLimit", 200.0 * 1000, [](TrapezPart& p) { p.sheet->set(CZunDataItem::Value(zigzag(101)), L"POINTS"); },
     sharp, L"the sheet needs 101000 vertices over its length, more than the 100000 a sheet may have"},
    {"BillionStrips", 1250.0, [](TrapezPart& p) { strips(p, 1.25e-6); },
     [](const CZunDataItem* item, CZunContourSet& contours, CZunString* error) {
         return ZUN::fsheet_vll_region(item, contours, error);
     },
     L"the region repeats 1000000000 times over the length, more than the 100 a layer may have"},
};

class SheetSegmentLimit : public ::testing::TestWithParam<SegmentLimit> {};

} // namespace

TEST_P(SheetSegmentLimit, MoreSegmentsThanTheLimitAreRefusedWithTheCount)
{
    const SegmentLimit& c = GetParam();
    TrapezPart part(c.length);
    if (c.change)
        c.change(part);
    CZunContourSet contours;
    CZunString error = L"untouched";
    const bool drawn = c.profile(part.work, contours, &error);
    if (*c.error) {
        EXPECT_FALSE(drawn);
        EXPECT_TRUE(contours.isEmpty());
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(c.profile(part.work, contours, nullptr));  // the error text is optional
    } else {
        EXPECT_TRUE(drawn) << error;
        EXPECT_FALSE(contours.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, SheetSegmentLimit, ::testing::ValuesIn(kSegmentLimits),
                         [](const auto& info) { return std::string(info.param.name); });
