#include "images/zun_drill_draw.h"
#include "images/zun_image_drill.h"

#include "contracts/data/zun_drill.h"
#include "drill_test_util.h"

#include <cmath>

namespace {

using Stack = CZunArrayTempl<int>;

const char* const kCountersunkPart = R"({"VIEW": 3, "PART_SOLID": "STEEL",
  "GEN": {"DIAM": 13.0, "SINK_D": 26.0, "THICK": 12.0, "PLATE_W": 60.0, "PLATE_L": 50.0}})";

CZunMatrix3d isometricView()
{
    const CZunVector3d x = CZunVector3d(1, 1, 0).normal();
    const CZunVector3d z = CZunVector3d(1, -1, 1).normal();
    return CZunMatrix3d().setCoordSystem(CZunPoint3d::kOrigin, x, z.crossProduct(x), z);
}

// A picture point of the isometric view taken back onto the plane z = 0.
CZunPoint3d onTopFace(const CZunPoint3d& q)
{
    const CZunMatrix3d view = isometricView();
    const CZunVector3d x = view.axis(0), y = view.axis(1), z = view.axis(2);
    const double depth = -(q.x * x.z + q.y * y.z) / z.z;
    return CZunPoint3d::kOrigin + x * q.x + y * q.y + z * depth;
}

} // namespace

TEST(DrillImage, WithoutPartOrOptionsTheApplicationGetsTheDefaults)
{
    CRecordingDrawer drawer;
    CZunGDX gdx;
    EXPECT_TRUE(zun_gdx_image_drill(&gdx, nullptr, nullptr));
    ASSERT_EQ(drawer.calls.size(), 1u);
    const CRecordingDrawer::Call& call = drawer.calls[0];
    EXPECT_EQ(call.part, nullptr);
    EXPECT_TRUE(call.paramsDir && call.hasMtx && call.hasStack);
    EXPECT_EQ(call.mode, 0);
    EXPECT_EQ(call.mtx, CZunMatrix3d());
    EXPECT_EQ(call.stack, Stack{1});
    EXPECT_EQ(gdx.lenGet(), 1) << "only what the application drew";
    EXPECT_FALSE(zun_gdx_image_drill(nullptr, nullptr, nullptr));
}

TEST(DrillImage, OptionsReachTheApplicationAndTheMarkerFollowsUnderTheNextStack)
{
    CRecordingDrawer drawer;
    CTestData part(R"({"GEN": {"DIAM": 18.0}})");
    CTestData opts(R"({"CMODE": 2, "COORD": true, "STACK": [5],
      "MTX": {"$": "matrix", "v": [[1, 0, 0, 40], [0, 1, 0, 25], [0, 0, 1, 0], [0, 0, 0, 1]]}})");
    const std::string before = part.json();
    CZunGDX gdx;
    EXPECT_TRUE(zun_gdx_image_drill(&gdx, part.handle.get(), opts.handle.get()));
    ASSERT_EQ(drawer.calls.size(), 1u);
    EXPECT_EQ(drawer.calls[0].part, &part.root);
    EXPECT_EQ(drawer.calls[0].mode, 2);
    EXPECT_EQ(drawer.calls[0].mtx, translation(40, 25));
    EXPECT_EQ((Stack{5, 1}), drawer.calls[0].stack);

    ASSERT_EQ(gdx.lenGet(), 2);
    EXPECT_TRUE(isRecordedCall(gdx.getDisplayList()[0]));
    const CZunDisplayItem& marker = gdx.getDisplayList()[1];
    EXPECT_EQ(marker.type, objPt);
    EXPECT_EQ(marker.flag, 0x400u);
    EXPECT_EQ((Stack{5, 2}), marker.stack);
    EXPECT_EQ(marker.point, CZunPoint3d::kOrigin) << "the marker is not placed by MTX";
    EXPECT_EQ(marker.mtx, CZunMatrix3d());
    EXPECT_EQ(marker.color, CZunColor());
    expectListPointStyle(marker);
    EXPECT_EQ(part.json(), before);
}

TEST(DrillImage, OptionsAreReadOnlyFromADirectoryAndOnlyWhenTheyFit)
{
    CRecordingDrawer drawer;
    CZunDataItem notDir;
    notDir.set(L"COORD");
    const auto onValue = ZUN::dtaOpen(ZUN::kDtaMemory, 3, nullptr, nullptr, &notDir);
    CTestData wrongTypes(R"({"CMODE": "2", "COORD": "yes", "STACK": 5})");
    for (ZUN::CDtaFilePointer* opts : {onValue.get(), wrongTypes.handle.get()}) {
        drawer.calls.clear();
        CZunGDX gdx;
        EXPECT_TRUE(zun_gdx_image_drill(&gdx, nullptr, opts));
        ASSERT_EQ(drawer.calls.size(), 1u);
        EXPECT_EQ(drawer.calls[0].mode, 0);
        EXPECT_EQ(drawer.calls[0].stack, Stack{1});
        EXPECT_EQ(gdx.lenGet(), 1) << "no marker";
    }
}

TEST(DrillImageSolid, DrawsTheVisibleEdgesOfThePlateInTheLayersPhysicalColour)
{
    CTestDrawing drawing;
    CRecordingDrawer drawer;
    CTestData part(kCountersunkPart);
    CTestData opts(R"({"CMODE": 1, "COORD": true, "STACK": [4],
      "MTX": {"$": "matrix", "v": [[1, 0, 0, 40], [0, 1, 0, 25], [0, 0, 1, 0], [0, 0, 0, 1]]}})");
    const std::string before = part.json();
    CZunGDX gdx;
    ASSERT_TRUE(zun_gdx_image_drill(&gdx, part.handle.get(), opts.handle.get()));
    EXPECT_TRUE(drawer.calls.empty());
    EXPECT_EQ(part.json(), before);

    CZun_Solid solid;
    ASSERT_TRUE(ZUN::objModel(&part.root, solid) && solid.solid() && solid.evaluate(1));
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    ASSERT_TRUE(solid.project(isometricView(), false, 1, visible, hidden));
    ASSERT_FALSE(hidden.isEmpty()) << "the bore's far side is hidden";
    ASSERT_EQ(gdx.lenGet(), visible.len()) << "visible edges only, no marker";
    for (int i = 0; i < gdx.lenGet(); ++i) {
        const CZunDisplayItem& item = gdx.getDisplayList()[i];
        EXPECT_EQ(item.type, objVl);
        EXPECT_EQ(item.flag, 0u) << "CMODE does not apply";
        EXPECT_EQ((Stack{4, 1}), item.stack);
        EXPECT_EQ(item.color, CZunColor(5));
        EXPECT_EQ(item.mtx, CZunMatrix3d()) << "MTX does not apply";
        EXPECT_EQ(item.vl, visible[i]);
        for (const CZunVertexArray& h : hidden)
            EXPECT_NE(item.vl, h);
    }

    // Seen from (1, -1, 1) the countersink's rim on the top face is in front.
    int rimPieces = 0;
    for (const CZunDisplayItem& item : gdx.getDisplayList()) {
        bool onRim = true;
        for (const CZunVertex& v : item.vl) {
            const CZunPoint3d p = onTopFace(v.start());
            onRim = onRim && std::abs(std::hypot(p.x, p.y) - 13.0) < 0.05;
        }
        rimPieces += onRim;
    }
    EXPECT_GE(rimPieces, 1);
}

TEST(DrillImageSolid, LayerZeroByDefaultAndFalseWithoutASolid)
{
    CTestDrawing drawing;
    CTestData part(R"({"VIEW": 3, "GEN": {"DIAM": 10.0, "DEPTH": 20.0}})");
    CZunGDX gdx;
    ASSERT_TRUE(zun_gdx_image_drill(&gdx, part.handle.get(), nullptr));
    ASSERT_GT(gdx.lenGet(), 0);
    EXPECT_EQ(gdx.colorGet(0), CZunColor(1)) << "the colour of layer \"0\"";
    EXPECT_EQ((Stack{1}), gdx.getDisplayList()[0].stack);

    CRecordingDrawer drawer;
    CTestData through(R"({"VIEW": 3, "GEN": {"DIAM": 10.0}})");
    CZunGDX none;
    EXPECT_FALSE(zun_gdx_image_drill(&none, through.handle.get(), nullptr)) << "a through hole needs a plate";
    EXPECT_EQ(none.lenGet(), 0);
    EXPECT_TRUE(drawer.calls.empty());
}

TEST(DrillImageDrawer, CirclesThreadAndAxesSeenFromAbove)
{
    CTestDrawing drawing;
    CTestData part(R"({"PART_CON": "CONTOUR", "GEN": {"THREAD": "M12", "CBORE_D": 20.0, "CBORE_T": 8.0,
      "THICK": 25.0}})");
    CZunDataItem params(true);
    params.set(3, L"CMODE");
    ZUN::dataItemSet(&params, L"MTX", translation(100, 50));
    ZUN::dataItemSet(&params, L"STACK", Stack{7, 1});
    CZunGDX gdx;
    ASSERT_TRUE(zunDrillPartImageDraw(&gdx, &part.root, &params));
    ASSERT_EQ(gdx.lenGet(), 5);
    // Counterbore, tap drill bore (M12: 12 - 1.75), thread, two axes.
    const double radii[] = {10.0, 5.125, 6.0};
    const unsigned long pens[] = {2, 2, 0, 0, 0};
    for (int i = 0; i < 5; ++i) {
        const CZunDisplayItem& item = gdx.getDisplayList()[i];
        EXPECT_EQ(item.type, objVl);
        EXPECT_EQ(item.flag, 0x300u);
        EXPECT_EQ((Stack{7, 1}), item.stack);
        EXPECT_EQ(item.color, CZunColor(3));
        EXPECT_EQ(item.mtx, translation(100, 50)) << "the geometry stays about the axis";
        EXPECT_EQ(item.thickn, pens[i]) << i;
        CZunPoint3d lo, hi;
        ASSERT_TRUE(item.vl.extents(lo, hi));
        if (i < 3) {
            EXPECT_NEAR(hi.x, radii[i], 1e-9) << i;
            EXPECT_EQ(item.vl.isClosed(), i < 2) << i;
        }
    }
    EXPECT_EQ(gdx.getDisplayList()[3].vl[0], CZunVertex(CZunPoint3d(-15, 0), CZunPoint3d(15, 0)));
    EXPECT_EQ(gdx.getDisplayList()[4].vl[0], CZunVertex(CZunPoint3d(0, -15), CZunPoint3d(0, 15)));
    EXPECT_EQ(gdx.linetypeGet(3), zunDrillAxisLineType());
    EXPECT_EQ(gdx.linetypeGet(0), CZunArrayTempl<double>{1.0});

    // The dashes grow with the drilling; a "GEN" item is a drilling too.
    CTestData small(R"({"DIAM": 10.0})");
    ASSERT_TRUE(zunDrillPartImageDraw(&gdx, &small.root, nullptr));
    ASSERT_EQ(gdx.lenGet(), 5 + 3);
    EXPECT_NEAR(gdx.ltscaleGet(3) / gdx.ltscaleGet(7), 2.0, 1e-12);
    EXPECT_EQ(gdx.flagGet(5), 0u);
    EXPECT_EQ(gdx.colorGet(5), CZunColor()) << "no layer: the contrast colour";
    EXPECT_TRUE(gdx.getDisplayList()[5].stack.isEmpty());
}

TEST(DrillImageDrawer, RefusesWhatIsNoDrilling)
{
    CTestData bad(R"({"GEN": {"DIAM": 10.0, "SINK_D": 8.0}})");
    CZunGDX gdx;
    EXPECT_FALSE(zunDrillPartImageDraw(&gdx, &bad.root, nullptr)) << "a countersink narrower than the bore";
    EXPECT_FALSE(zunDrillPartImageDraw(&gdx, nullptr, nullptr));
    EXPECT_EQ(gdx.lenGet(), 0);
}

TEST(DrillImageDrawer, InstalledItDrawsTheDrillImageUnderTheGivenStack)
{
    zunAppPtr()->setPartDrawer(zunDrillPartImageDraw);
    CTestData part(R"({"GEN": {"DIAM": 22.0, "THICK": 15.0}})");
    CTestData opts(R"({"COORD": true, "STACK": [2, 3]})");
    CZunGDX gdx;
    EXPECT_TRUE(zun_gdx_image_drill(&gdx, part.handle.get(), opts.handle.get()));
    zunAppPtr()->setPartDrawer(nullptr);
    EXPECT_EQ(gdx.StackToItemNr({2, 3, 1}).len(), 3) << "circle and two axes";
    EXPECT_EQ(gdx.StackToItemNr({2, 3, 2}), CZunArrayTempl<int>{3}) << "the marker last";
}
