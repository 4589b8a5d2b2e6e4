#include "gdx_test_util.h"

#include "contracts/data/zun_view.h"

#include <cmath>
#include <numbers>

using namespace gdxtest;

namespace {

constexpr double kQuarter = std::numbers::pi / 2;

CZunPoint3dArray extents(const CZunGDX& g)
{
    CZunPoint3d lo, hi;
    return g.extmaxGet(lo, hi) ? CZunPoint3dArray{lo, hi} : CZunPoint3dArray{};
}

} // namespace

// ---- extents -------------------------------------------------------------------------

TEST(GdxExtents, OnlyNoExtAndAnchoredBitsKeepItemsOut)
{
    OpenGdx g;
    addPt(g, {1}, {1, 1});
    // Every other property bit, hidden included, still counts.
    addPt(g, {2}, {5, -2}, gdxFlagHidden | gdxFlagOutline | gdxFlagWindow | gdxFlagPicOpt | gdxFlagFill);
    addPt(g, {3}, {100, 100}, gdxFlagNoExt);
    addPt(g, {4}, {-100, -100}, gdxFlagAnchored);
    addVl(g, {5}, segment({50, 50}, {60, 60}), gdxFlagAnchored | gdxFlagHidden);
    const CZunPoint3dArray expected{{1, -2}, {5, 1}};
    EXPECT_EQ(extents(g), expected);
    g.refresh_ext();  // recomputing from scratch applies the same mask
    EXPECT_EQ(extents(g), expected);
    EXPECT_TRUE(g.propSet({3}, propExtIn));
    EXPECT_EQ(extents(g)[1], CZunPoint3d(100, 100));
    EXPECT_TRUE(g.redraw({}, propExtOut));
    EXPECT_TRUE(extents(g).isEmpty());
}

TEST(GdxExtents, ArcsFirstContourOnlyAndEmptyRegions)
{
    OpenGdx g;
    addVl(g, {1}, segment({0, 0}, {10, 0}, 1.0));  // counter-clockwise half circle dips to y = -5
    addReg(g, {2}, {square(20, 0, 2), square(90, 90, 1)});  // the second contour must not count
    addReg(g, {3}, {});
    for (int pass = 0; pass < 2; ++pass, g.refresh_ext()) {
        expectPoint(extents(g)[0], 0, -5, 0);
        expectPoint(extents(g)[1], 22, 2, 0);
    }
    CZunArrayTempl<CZunVertexArray> reg;
    g.geomGet(reg, 2);
    EXPECT_EQ(reg.len(), 1);  // the recomputation gave the region its empty contour
}

TEST(GdxExtents, ArcsThroughMirroringMatricesMatchTheTransformedCopy)
{
    CZunVertexArray vl;
    vl.append({0, 0, 1}, {10, 0, 1}, 0.5);
    vl.append({10, 0, 1}, {10, 10, 2}, -1.3);
    vl.append({10, 10, 2}, {0, 10, 0}, 2.0);
    const CZunMatrix3d mirror = scaling(-1, 1, 1) * rotationZ(0.3);
    OpenGdx g;
    g.projMtxSet(rotationZ(-1.1));
    addVl(g, {1}, vl, 0, mirror);
    const CZunPoint3dArray expected = vl.getTransformedCopy(g.projMtxGet() * mirror).extents();
    ASSERT_EQ(expected.len(), 2);
    for (int pass = 0; pass < 2; ++pass, g.refresh_ext()) {
        expectPoint(extents(g)[0], expected[0].x, expected[0].y, expected[0].z, 1e-12);
        expectPoint(extents(g)[1], expected[1].x, expected[1].y, expected[1].z, 1e-12);
    }
}

TEST(GdxExtents, GeometryPassesProjectionViewDirectionAndItemMatrixInThatOrder)
{
    OpenGdx g;
    g.viewDirectionMtxSet(rotationZ(kQuarter));
    g.projMtxSet(scaling(2, 1, 1));
    addPt(g, {1}, {0, 0}, 0, translation(10, 0));
    // proj(viewDir(mtx(p))): (10,0) turned to (0,10), x doubled stays 0.
    expectPoint(extents(g)[0], 0, 10, 0);
    CZunPoint3d lo(1e9, 1e9, 1e9), hi(-1e9, -1e9, -1e9);
    ASSERT_TRUE(g.extmaxGet({1}, lo, hi));
    EXPECT_EQ(lo, extents(g)[0]);
    g.projMtxSet(translation(0, -10));  // recomputed: a shift after the turn
    expectPoint(extents(g)[0], 0, 0, 0);
    g.viewMtxSet(scaling(5, 5, 5));  // viewer state only
    g.zoomMtxSet(translation(7, 7));
    expectPoint(extents(g)[0], 0, 0, 0);
}

TEST(GdxExtents, SubtreeExtentsAndViewWindow)
{
    OpenGdx g;
    addPt(g, {1}, {4, 4});
    addVl(g, {1, 2}, segment({-2, 0}, {0, 1}));
    addPt(g, {1, 3}, {50, 50}, gdxFlagNoExt);
    addPt(g, {2}, {99, 99});
    CZunPoint3d lo(0, 0, 0), hi(0, 0, 0);  // the caller's corners take part
    ASSERT_TRUE(g.extmaxGet({1}, lo, hi));
    expectPoint(lo, -2, 0, 0);
    expectPoint(hi, 4, 4, 0);
    CZunPoint3d keepLo(7, 7, 7), keepHi(8, 8, 8);
    EXPECT_FALSE(g.extmaxGet({1, 3}, keepLo, keepHi));
    expectPoint(keepLo, 7, 7, 7);

    const CZunPoint3d a(5, 5, 0), b(9, 9, 0);
    g.extMaxViewSet(a, a);
    g.extMaxViewGet(lo, hi);
    expectPoint(hi, 99, 99, 0);  // an empty window falls back to the extents
    g.extMaxViewSet(a, b);
    g.extMaxViewGet(lo, hi);
    EXPECT_EQ(hi, b);
}

// ---- picking ---------------------------------------------------------------------------

TEST(GdxPick, PointWithinToleranceOfFive)
{
    OpenGdx g;
    addPt(g, {4, 1}, {10, 0, 0});
    EXPECT_EQ(g.imageItemGet({14, 3, 0}), 4);
    EXPECT_EQ(g.imageItemGet({14, 3.1, 0}), -1);
}

TEST(GdxPick, TopmostItemWinsAndTheListStaysReversed)
{
    OpenGdx g;
    addVl(g, {1}, segment({0, 0}, {10, 0}));
    addVl(g, {2}, segment({0, 1}, {10, 1}));
    EXPECT_EQ(g.imageItemGet({5, 0.5, 0}), 2);
    EXPECT_EQ(firstEntries(g), (std::vector<int>{2, 1}));

    // Sorted, then reversed: pictures first, plain regions last. A later sort
    // restores the groups, each in reversed relative order.
    OpenGdx h;
    addReg(h, {1}, {square(100, 100, 1)});
    addPt(h, {2}, {200, 0});
    addReg(h, {3}, {square(300, 100, 1)});
    addPicture(h, {4});
    addPt(h, {5}, {400, 0});
    EXPECT_EQ(h.imageItemGet({0, 0, 0}), -1);
    EXPECT_EQ(firstEntries(h), (std::vector<int>{4, 5, 2, 3, 1}));
    h.displListSort();
    EXPECT_EQ(firstEntries(h), (std::vector<int>{3, 1, 5, 2, 4}));
}

TEST(GdxPick, ItemMatrixHiddenItemsAndTypesWithoutPick)
{
    OpenGdx g;
    addVl(g, {3}, segment({0, 0}, {0, 10}), gdxFlagHidden, translation(100, 0));
    addVl(g, {6}, segment({1, 1}, {1, 1}));  // ends that meet give nothing to pick
    EXPECT_EQ(g.imageItemGet({100, 5, 0}), 3);
    EXPECT_EQ(g.imageItemGet({0, 5, 0}), -1);
    EXPECT_EQ(g.imageItemGet({1, 1, 0}), -1);

    OpenGdx h;
    addReg(h, {}, {square(0, 0, 20)});
    addPicture(h, {8});  // its rectangle ends at (10, 10), but pictures are never picked
    EXPECT_EQ(h.imageItemGet({20, 5, 0}), 0);  // an empty stack reads 0
    EXPECT_EQ(h.imageItemGet({10, 10, 0}), -1);
    EXPECT_EQ(h.imageItemGet({5, 25, 0}), 0);  // exactly 5.0 away
}

// A D standing in the xz plane, seen from the front: a click on its arc
// picks it, whether it was drawn upright or stood up by the item's matrix.
TEST(GdxPick, ArcsOutsideTheFloorPlanPickInTheirOwnPlane)
{
    const double r = 40.0, quarter = std::tan(std::atan(1.0) / 2.0);
    CZunMatrix3d front;  // window x is x, window y is z
    front.setCoordSystem({}, CZunVector3d::kXAxis, -CZunVector3d::kZAxis, CZunVector3d::kYAxis);
    const CZunPoint3d onArc{60 + r * std::sqrt(0.5), r * std::sqrt(0.5), 0};  // in the window

    CZunVertexArray upright;
    upright.append({20, 0, 0}, {100, 0, 0});
    upright.append({100, 0, 0}, {60, 0, r}, quarter);
    upright.append({60, 0, r}, {20, 0, 0}, quarter);
    OpenGdx g;
    g.viewDirectionMtxSet(front);
    addReg(g, {7}, {upright});
    EXPECT_EQ(g.imageItemGet(onArc), 7);
    EXPECT_EQ(g.imageItemGet({60, r / 2, 0}), -1);  // inside the D, far from its edge
    // Its box, seen from the front, is as flat as the D: no floor-plan bulge
    // towards the viewer.
    CZunPoint3d lo, hi;
    ASSERT_TRUE(g.extmaxGet(lo, hi));
    EXPECT_TRUE(lo.isEqualTo({20, 0, 0}, 1e-9)) << lo.x << " " << lo.y << " " << lo.z;
    EXPECT_TRUE(hi.isEqualTo({100, r, 0}, 1e-9)) << hi.x << " " << hi.y << " " << hi.z;

    CZunVertexArray plan;
    plan.append({-r, 0, 0}, {r, 0, 0});
    plan.append({r, 0, 0}, {0, r, 0}, quarter);
    plan.append({0, r, 0}, {-r, 0, 0}, quarter);
    CZunMatrix3d stand;  // y becomes z: the D stands on the x axis
    stand.setCoordSystem({60, 0, 0}, CZunVector3d::kXAxis, CZunVector3d::kZAxis, -CZunVector3d::kYAxis);
    OpenGdx h;
    h.viewDirectionMtxSet(front);
    addVl(h, {8}, plan, 0, stand);
    EXPECT_EQ(h.imageItemGet(onArc), 8);
}

TEST(GdxPick, WindowPointGoesBackThroughTheInversesInTheirOrder)
{
    OpenGdx g;
    g.viewDirectionMtxSet(rotationZ(kQuarter));
    g.viewMtxSet(scaling(2, 2, 1));
    g.projMtxSet(translation(3, 0));
    g.zoomMtxSet(translation(0, 5));
    // Zoom back (10,15), projection back (7,15), view back (3.5,7.5), view
    // direction back (7.5,-3.5). Undoing view before projection would give (7.5,-2).
    expectPoint(g.imagePtWc({10, 20, 0}), 7.5, -3.5, 0);
    addPt(g, {9}, {7.5, -3.5});
    EXPECT_EQ(g.imageItemGet({10, 20, 0}), 9);
}

// ---- matrices and view directions --------------------------------------------------------

TEST(GdxMatrix, MtxSetMultipliesBySetOverReference)
{
    const CZunMatrix3d ref = rotationZ(kQuarter), child = translation(5, 0), m = translation(0, 7);
    OpenGdx g;
    addPt(g, {1, 2}, {}, 0, child);
    addPt(g, {1}, {}, 0, ref);
    addPt(g, {1}, {}, 0, scaling(3, 3, 3));  // a second exact item is not the reference
    addPt(g, {2}, {}, 0, child);
    ASSERT_TRUE(g.mtxSet({1}, m));
    // item = item x (m x ref^-1): the child's origin goes through delta first
    // (turned back, shifted to (0,7)), then through its own shift.
    expectPoint(CZunPoint3d() * g.mtxGet(0), 5, 7, 0);
    EXPECT_TRUE(g.mtxGet(1).isEqualTo(ref * m * ref.inverse()));
    EXPECT_TRUE(g.mtxGet(3).isEqualTo(child));
    expectPoint(extents(g)[1], 5, 21, 0);  // recomputed: the scaled item went to (0,21)

    // Without an item of its own the subtree's last item is the reference.
    OpenGdx h;
    addPt(h, {1, 1}, {}, 0, translation(1, 0));
    addPt(h, {1, 2}, {}, 0, translation(4, 0));
    ASSERT_TRUE(h.mtxSet({1}, translation(6, 0)));
    EXPECT_TRUE(h.mtxGet(0).isEqualTo(translation(3, 0)));
    EXPECT_FALSE(h.mtxSet({3}, translation(6, 0)));
}

TEST(GdxMatrix, NamedViewDirections)
{
    EXPECT_EQ(zun_gdx_view_vdir_get(L"O"), CZunVector3d(-1, 0, 0));
    EXPECT_EQ(zun_gdx_view_vdir_get(L"W"), CZunVector3d(1, 0, 0));
    EXPECT_EQ(zun_gdx_view_vdir_get(L"SO"), CZunVector3d(1, -1, 1));
    EXPECT_EQ(zun_gdx_view_vdir_get(L"NW"), CZunVector3d(-1, 1, 1));
    EXPECT_EQ(zun_gdx_view_vdir_get(L"no"), CZunVector3d());

    OpenGdx g;
    addPt(g, {1}, {1, 0, 0});
    ASSERT_TRUE(g.viewDirectionSet(L"NO"));
    const CZunMatrix3d no = ZUN::g_mtx_view({1, 1, 1}, CZunPoint3d::kOrigin, true);
    EXPECT_TRUE(g.viewDirectionMtxGet().isEqualTo(no));
    EXPECT_FALSE(g.viewDirectionSet(L"E"));
    EXPECT_TRUE(g.viewDirectionMtxGet().isEqualTo(no));
    const CZunPoint3d seen = CZunPoint3d(1, 0, 0) * no;  // the extents follow the view
    expectPoint(extents(g)[0], seen.x, seen.y, seen.z);
}
