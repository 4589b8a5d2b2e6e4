#include "contracts/data/zun_config.h"
#include "contracts/data/zun_fsheet.h"
#include "contracts/data/zun_section_geom.h"
#include "images/zun_image_fsheet.h"
#include "tests/images/part_image_test_data.h"

#include <gtest/gtest.h>

namespace {

using ZUN::section::area;
using Texts = CZunArrayTempl<CZunString>;

// A trapezoidal profile (segment 200, ribs 40 high, 1 mm) and a flat one
// without segment data, stored beside the part that draws the first.
const char* const kSheetPart = R"({
 "PROFILES": {
  "TR": {"CALC": "TRAPEZ", "SEG": 200.0, "H": 40.0, "B_TOP": 40.0, "B_BOT": 80.0, "S": 1.0, "N": 3.0},
  "FLAT": {"CALC": "TRAPEZ", "SEG": 0.0, "H": 0.0, "S": 1.0}
 },
 "STACK": ["PROFILES", "TR"], "PART_CON": "CONTOUR", "PART_FILL": "FILL", "PART_CEN": "AXIS"
})";

// A panel over two segments: a flat bottom sheet, a ribbed top sheet 60
// above it, a row of gasket cords and an insulation core that fills the
// rest. The part's variant "V1" gives the gauges 0.8 (top) and 0.5 (bottom).
const char* const kPanelPart = R"({
 "PANEL": {
  "CALC": "COMPOUND", "SEG": 200.0, "N": 2.0, "THICK": {"V1": {"S": 0.8, "S_BOT": 0.5}},
  "SANDWICH": {
   "1": {"STACK": ["PANEL", "LAYER", "BOT"], "SIDE": "BOT"},
   "2": {"STACK": ["PANEL", "LAYER", "TOP"], "SIDE": "TOP", "POS": {"$": "point", "v": [0, 60, 0]}},
   "3": {"STACK": ["PANEL", "LAYER", "CORD"], "SIDE": "JOINT"},
   "4": {"STACK": ["PANEL", "LAYER", "CORE"], "SIDE": "CORE"}
  },
  "LAYER": {
   "TOP": {"CALC": "TRAPEZ", "SEG": 200.0, "H": 20.0, "B_TOP": 40.0, "B_BOT": 100.0, "S": 0.6, "FILLET_P": 0.0},
   "BOT": {"CALC": "TRAPEZ", "H": 0.0, "S": 0.4, "FILLET_P": 0.0},
   "CORD": {"CALC": "REGION", "TYPE": "GASKET", "REGION": {"X": 20.0, "Y": 30.0, "D": 8.0, "DX": 200.0}},
   "CORE": {"CALC": "OUTLINE", "TYPE": "INSULATION"}
  }
 },
 "STACK": ["PANEL"], "SID": "V1", "PART_CON": "CONTOUR", "PART_FILL": "FILL", "PART_CEN": "AXIS"
})";

struct Box {
    CZunPoint3d lo, hi;
};

class SheetImage : public ::testing::Test {
protected:
    bool draw(CImageTestPart& part, const char* options = nullptr)
    {
        gdx = CZunGDX();
        const auto opts = imageTestOptions(options ? options : "{}");
        return zun_gdx_image_fsheet(&gdx, part.handle.get(), options ? opts.get() : nullptr);
    }
    CZunVertexArray line(int i) const
    {
        CZunVertexArray vl;
        gdx.geomGet(vl, i);
        return vl;
    }
    CZunGDX::Contours region(int i) const
    {
        CZunGDX::Contours reg;
        gdx.geomGet(reg, i);
        return reg;
    }
    ZUN::CHatchProp hatch(int i) const
    {
        ZUN::CHatchProp h(L"?", 9.0, 9.0, true);
        gdx.hatchGet(i, h);
        return h;
    }
    static Box box(const CZunVertexArray& vl)
    {
        Box b;
        EXPECT_TRUE(vl.extents(b.lo, b.hi));
        return b;
    }
    // The single contour drawn as a line: how far along x the sheet runs.
    double drawnLength(CImageTestPart& part, const char* options = nullptr)
    {
        EXPECT_TRUE(draw(part, options));
        EXPECT_EQ(gdx.lenGet(), 1);
        const Box b = box(line(0));
        EXPECT_NEAR(b.lo.x, 0.0, 1e-9);
        return b.hi.x;
    }
    // What every sheet item shares: the empty stack, the identity matrix
    // and a plain continuous pen.
    void expectPlainItems() const
    {
        for (int i = 0; i < gdx.lenGet(); ++i) {
            CZunGDX::Stack stack;
            gdx.itemStackGet(stack, i);
            EXPECT_TRUE(stack.isEmpty()) << i;
            EXPECT_TRUE(gdx.mtxGet(i).isEqualTo(CZunMatrix3d::kIdentity)) << i;
            if (gdx.typeGet(i) != objPt) {
                EXPECT_EQ(gdx.linetypeGet(i), CZunArrayTempl<double>{1.0}) << i;
                EXPECT_EQ(gdx.ltscaleGet(i), 1.0) << i;
                EXPECT_EQ(gdx.thicknGet(i), 0) << i;
            }
        }
    }

    CImageTestDrawing drawing;
    CZunGDX gdx;
};

class SheetImagePanel : public SheetImage {
protected:
    void SetUp() override
    {
        // The attribute sets as a user might have configured them, so the
        // test sees them reach the drawing.
        CZunDataItem* gasket = ZUN::cfg_dir_make(L"*ATTRIBUTE*\\DICHT");
        gasket->set(L"GASKET", L"PART_CON");
        gasket->set(L"GASKET", L"PART_FILL");
        gasket->set(L"ANSI34", L"HPNAME");
        gasket->set(0.25, L"HPSCALE");
        gasket->set(0.0, L"HPANG");
        CZunDataItem* insulation = ZUN::cfg_dir_make(L"*ATTRIBUTE*\\DM");
        insulation->set(L"STEEL", L"PART_CON");
        insulation->set(L"INSULATION", L"PART_FILL");
        insulation->set(L"INSUL", L"HPNAME");
        insulation->set(7.5, L"HPSCALE");
        insulation->set(0.5, L"HPANG");
    }

    ZUN::CCfgBackup config;
};

} // namespace

// ---- single sheets -------------------------------------------------------------

TEST_F(SheetImage, DrawnLengthIsSegmentCountTimesWidthElseFiveTimesD)
{
    CImageTestPart part(kSheetPart);
    EXPECT_NEAR(drawnLength(part), 600.0, 1e-9);  // N 3 x SEG 200
    EXPECT_NEAR(drawnLength(part, R"({"SEGM": "F"})"), 600.0, 1e-9);
    EXPECT_NEAR(drawnLength(part, R"({"SEGM": "S"})"), 300.0, 1e-9);  // the default 1.5 segments

    // Cut on a lower flange, where the square cut ends the sheet exactly.
    part.lobj()->set(0.0, L"PROFILES\\TR\\N");
    part.lobj()->set(20.0, L"D");
    EXPECT_NEAR(drawnLength(part), 100.0, 1e-9);

    part.lobj()->set(CZunDataItem::Value(Texts{L"PROFILES", L"FLAT"}), L"STACK");
    part.lobj()->set(-40.0, L"D");
    EXPECT_NEAR(drawnLength(part), 200.0, 1e-9);
}

TEST_F(SheetImage, DrawModeMakesLinesFilledOrHatchedRegionsInLayerColours)
{
    CImageTestPart part(kSheetPart);
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(gdx.typeGet(0), objVl);
    EXPECT_EQ(gdx.flagGet(0), 0u);
    EXPECT_EQ(gdx.colorGet(0), CZunColor(3));
    const CZunVertexArray contour = line(0);
    EXPECT_NEAR(area(contour), 3.0 * (40.0 + 80.0 + 2.0 * std::hypot(40.0, 39.0)), 1e-6);
    expectPlainItems();

    part.lobj()->set(L"ANSI32", L"HPNAME");
    part.lobj()->set(2.0, L"HPSCALE");
    part.lobj()->set(0.5, L"HPANG");
    part.lobj()->set(L"L", L"DRAW");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(gdx.typeGet(0), objReg);
    EXPECT_EQ(gdx.flagGet(0), gdxFlagFill | gdxFlagOutline);
    EXPECT_EQ(gdx.colorGet(0), CZunColor(3));
    EXPECT_EQ(gdx.fcolorGet(0), CZunColor(8));
    EXPECT_EQ(hatch(0), ZUN::CHatchProp());  // the hatch keys are for hatched sheets only
    EXPECT_EQ(region(0), CZunGDX::Contours{contour});
    expectPlainItems();

    part.lobj()->set(L"S", L"DRAW");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(gdx.flagGet(0), gdxFlagHatch | gdxFlagOutline);
    EXPECT_EQ(gdx.fcolorGet(0), CZunColor(8));
    EXPECT_EQ(hatch(0), ZUN::CHatchProp(L"ANSI32", 0.5, 2.0, false));
    EXPECT_EQ(region(0), CZunGDX::Contours{contour});

    part.lobj()->set(L"X", L"DRAW");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.typeGet(0), objVl);

    // The cut colour of the material, not the layer's own; without a fill
    // layer the fill takes the contour layer's colour.
    part.lobj()->set(L"L", L"DRAW");
    part.lobj()->set(L"STEEL", L"PART_CON");
    part.lobj()->remove(L"PART_FILL");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.colorGet(0), CZunColor(5));
    EXPECT_EQ(gdx.fcolorGet(0), CZunColor(5));
    part.lobj()->set(L"NO_SUCH_LAYER", L"PART_CON");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.colorGet(0), CZunColor());
    part.lobj()->remove(L"PART_CON");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.colorGet(0), CZunColor(7));  // layer "0"
}

TEST_F(SheetImage, RoundedBendsForFilletOrPointProfiles)
{
    const auto hasArc = [](const CZunVertexArray& vl) {
        return vl.indexIf([](const CZunVertex& v) { return v.isArc(); }) >= 0;
    };
    CImageTestPart part(kSheetPart);
    ASSERT_TRUE(draw(part));
    EXPECT_FALSE(hasArc(line(0)));
    part.lobj()->set(2.0, L"PROFILES\\TR\\FILLET_P");
    ASSERT_TRUE(draw(part));
    EXPECT_TRUE(hasArc(line(0)));

    // A profile from points bends like rolled sheet even without radii.
    part.lobj()->set(CZunDataItem::Value(CZunPoint3dArray{{0, 19.5}, {50, 19.5}, {100, 0.5}, {150, 19.5}}),
                     L"PROFILES\\PTS\\POINTS");
    part.lobj()->set(CZunDataItem::Value(Texts{L"PROFILES", L"PTS"}), L"STACK");
    ASSERT_TRUE(draw(part));
    EXPECT_TRUE(hasArc(line(0)));
}

TEST_F(SheetImage, AxesOncePerSegmentBoundaryAsLongAsTheProfileAllows)
{
    CImageTestPart part(kSheetPart);
    part.lobj()->set(true, L"AXIS");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 1 + 4);  // the contour, then N + 1 axes
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(gdx.colorGet(i), CZunColor(1)) << i;
        ASSERT_EQ(line(i).len(), 1);
        EXPECT_NEAR(line(i)[0].start().x, 200.0 * (i - 1), 1e-9) << i;
        EXPECT_NEAR(line(i)[0].end().x, 200.0 * (i - 1), 1e-9) << i;
    }
    // Ribs 40 high: the axis stands out by a tenth of that plus the part's
    // "S", which the part does not give here, whatever the profile's gauge.
    EXPECT_NEAR(line(1)[0].start().distanceTo(line(1)[0].end()), 40.0 + 2.0 * 4.0, 1e-9);
    part.lobj()->set(2.0, L"S");
    ASSERT_TRUE(draw(part));
    EXPECT_NEAR(line(1)[0].start().distanceTo(line(1)[0].end()), 40.0 + 2.0 * 6.0, 1e-9);

    ASSERT_TRUE(draw(part, R"({"SEGM": "S"})"));
    EXPECT_EQ(gdx.lenGet(), 1 + 3);  // 1.5 segments: axes at 0, 200 and 400

    // The profile may switch its axes off, never on.
    part.lobj()->set(false, L"PROFILES\\TR\\AXIS");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.lenGet(), 1);
    part.lobj()->set(true, L"PROFILES\\TR\\AXIS");
    part.lobj()->set(false, L"AXIS");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.lenGet(), 1);
}

TEST_F(SheetImage, CoatLinesThenMarkerThenAxes)
{
    CImageTestPart part(kSheetPart);
    part.lobj()->set(CZunDataItem::Value(CZunColor(1)), L"SURFACE\\1");
    part.lobj()->set(CZunDataItem::Value(CZunColor(5)), L"SURFACE\\2");
    ASSERT_TRUE(draw(part, R"({"SEGM": "F"})"));
    EXPECT_EQ(gdx.lenGet(), 1);  // neither coats nor a marker unless asked for

    part.lobj()->set(true, L"COATLINE");
    part.lobj()->set(true, L"AXIS");
    part.lobj()->set(1.0, L"PROFILES\\TR\\N");
    ASSERT_TRUE(draw(part, R"({"COORD": true})"));
    ASSERT_EQ(gdx.lenGet(), 6);
    expectPlainItems();
    EXPECT_EQ(gdx.colorGet(0), CZunColor(3));
    EXPECT_EQ(gdx.colorGet(1), CZunColor(1));
    EXPECT_NEAR(box(line(1)).hi.y, 41.0, 1e-9);  // a gauge above the upper face
    EXPECT_EQ(gdx.colorGet(2), CZunColor(5));
    EXPECT_NEAR(box(line(2)).lo.y, -1.0, 1e-9);  // and below the lower one
    ASSERT_EQ(gdx.typeGet(3), objPt);
    EXPECT_EQ(gdx.flagGet(3), 0x400u);
    CZunPoint3d p(1, 1, 1);
    gdx.geomGet(p, 3);
    EXPECT_EQ(p, CZunPoint3d::kOrigin);
    EXPECT_EQ(gdx.colorGet(3), CZunColor());
    EXPECT_EQ(gdx.pdSizeGet(3), gdx.pdSizeGet());
    EXPECT_EQ(gdx.pdModeGet(3), gdx.pdModeGet());
    EXPECT_EQ(gdx.colorGet(4), CZunColor(1));
    EXPECT_NEAR(line(5)[0].start().x, 200.0, 1e-9);

    // One coloured surface draws one line; a profile coated alike on both
    // faces draws both in that colour.
    part.lobj()->remove(L"SURFACE\\2");
    part.lobj()->set(false, L"AXIS");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 2);
    EXPECT_NEAR(box(line(1)).hi.y, 41.0, 1e-9);
    part.lobj()->set(true, L"PROFILES\\TR\\COAT");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 3);
    EXPECT_EQ(gdx.colorGet(2), CZunColor(1));
    EXPECT_NEAR(box(line(2)).lo.y, -1.0, 1e-9);
}

TEST_F(SheetImage, MissingInputsFailAndStoredDataStaysAsItWas)
{
    CImageTestPart part(kSheetPart, R"({"LABEL": "Roof", "VL": {"$": "vl", "pts": [[0, 0], [830, 0]]}})");
    EXPECT_FALSE(zun_gdx_image_fsheet(nullptr, part.handle.get(), nullptr));
    EXPECT_FALSE(zun_gdx_image_fsheet(&gdx, nullptr, nullptr));

    part.lobj()->set(true, L"AXIS");
    part.lobj()->set(true, L"COATLINE");
    part.lobj()->set(CZunDataItem::Value(CZunColor(1)), L"SURFACE\\1");
    const std::string before = part.snapshot();
    ASSERT_TRUE(draw(part, R"({"COORD": true})"));
    EXPECT_EQ(part.snapshot(), before);  // "VL" went into a copy
    CImageTestPart panel(kPanelPart);
    const std::string panelBefore = panel.snapshot();
    ASSERT_TRUE(draw(panel, R"({"COORD": true})"));
    EXPECT_EQ(panel.snapshot(), panelBefore);

    part.lobj()->set(CZunDataItem::Value(Texts{L"PROFILES", L"MISSING"}), L"STACK");
    EXPECT_FALSE(draw(part));
    part.lobj()->set(CZunDataItem::Value(Texts{L"PART_CON"}), L"STACK");  // not a directory
    EXPECT_FALSE(draw(part));
    part.lobj()->remove(L"STACK");
    EXPECT_FALSE(draw(part));
    EXPECT_EQ(gdx.lenGet(), 0);
}

TEST_F(SheetImage, MoreSegmentsThanASheetMayHaveFailAndDrawNothing)
{
    // A billion waves used to draw a sheet cut short at 10000 segments (and
    // a count beyond any integer was converted anyway).
    for (const double n : {1e9, 1e300, ZUN::kFsheetMaxSegments + 1.0}) {
        SCOPED_TRACE(n);
        CImageTestPart part(kSheetPart);
        part.lobj()->set(n, L"PROFILES\\TR\\N");
        part.lobj()->set(true, L"AXIS");
        EXPECT_FALSE(draw(part));
        EXPECT_EQ(gdx.lenGet(), 0);
        CImageTestPart panel(kPanelPart);
        panel.lobj()->set(n, L"PANEL\\N");
        EXPECT_FALSE(draw(panel));
        EXPECT_EQ(gdx.lenGet(), 0);
    }
    CImageTestPart part(kSheetPart);
    part.lobj()->set(static_cast<double>(ZUN::kFsheetMaxSegments), L"PROFILES\\TR\\N");
    part.lobj()->set(true, L"AXIS");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.lenGet(), 1 + ZUN::kFsheetMaxSegments + 1);  // the contour and its axes

    // The gasket cords repeat once per segment: at most 100 of them.
    CImageTestPart panel(kPanelPart);
    panel.lobj()->set(static_cast<double>(ZUN::kFsheetMaxRepeats), L"PANEL\\N");
    ASSERT_TRUE(draw(panel));
    EXPECT_EQ(gdx.lenGet(), 4);  // bottom, top, the cords and the core
    panel.lobj()->set(ZUN::kFsheetMaxRepeats + 1.0, L"PANEL\\N");
    EXPECT_FALSE(draw(panel));
    EXPECT_EQ(gdx.lenGet(), 0);  // the sheets drawn before the cords were taken away again
}

// ---- compound panels -----------------------------------------------------------

TEST_F(SheetImagePanel, LayersInKeyOrderWithTheirGaugesPlacesAndSets)
{
    CImageTestPart part(kPanelPart);
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 4);
    expectPlainItems();
    // Bottom sheet: flat, over N x SEG, at the variant's bottom gauge.
    EXPECT_EQ(gdx.typeGet(0), objVl);
    EXPECT_EQ(gdx.colorGet(0), CZunColor(3));
    EXPECT_NEAR(area(line(0)), 400.0 * 0.5, 1e-6);
    // Top sheet: at its placement, ribs up.
    EXPECT_EQ(gdx.typeGet(1), objVl);
    const Box top = box(line(1));
    EXPECT_NEAR(top.lo.y, 60.0, 1e-9);
    EXPECT_NEAR(top.hi.y, 80.0, 1e-9);
    EXPECT_NEAR(top.hi.x, 400.0, 1e-9);
    // Both cords as one region outlined in the gasket set's layer.
    EXPECT_EQ(gdx.typeGet(2), objReg);
    EXPECT_EQ(gdx.flagGet(2), gdxFlagOutline);
    EXPECT_EQ(gdx.colorGet(2), CZunColor(6));
    EXPECT_EQ(gdx.fcolorGet(2), CZunColor());
    EXPECT_EQ(hatch(2), ZUN::CHatchProp());
    ASSERT_EQ(region(2).len(), 2);
    EXPECT_NEAR(box(region(2)[1]).lo.x, 220.0, 1e-9);
    // The core between the faces, the cords cut out of it.
    EXPECT_EQ(gdx.flagGet(3), gdxFlagOutline);
    EXPECT_EQ(gdx.colorGet(3), CZunColor(5));  // the insulation set names STEEL here
    ASSERT_EQ(region(3).len(), 3);
    const Box core = box(region(3)[0]);
    EXPECT_NEAR(core.lo.y, 0.5, 1e-9);
    EXPECT_NEAR(core.hi.x, 400.0, 1e-9);
    EXPECT_LT(core.hi.y, 80.0);

    part.lobj()->set(true, L"IS_HATCH2");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 4);
    EXPECT_EQ(gdx.typeGet(1), objVl);  // the sheets stay as they are
    EXPECT_EQ(gdx.flagGet(2), gdxFlagHatch | gdxFlagOutline);
    EXPECT_EQ(gdx.fcolorGet(2), CZunColor(6));
    EXPECT_EQ(hatch(2), ZUN::CHatchProp(L"ANSI34", 0.0, 0.25, false));
    EXPECT_EQ(gdx.flagGet(3), gdxFlagHatch | gdxFlagOutline);
    EXPECT_EQ(gdx.fcolorGet(3), CZunColor(40));
    EXPECT_EQ(hatch(3), ZUN::CHatchProp(L"INSUL", 0.5, 7.5, false));

    // A filling of no known material takes the part's layers and no hatch;
    // its fill layer does not fall back to the contour layer.
    part.lobj()->set(L"FOAM", L"PANEL\\LAYER\\CORE\\TYPE");
    part.lobj()->remove(L"PART_FILL");
    ASSERT_TRUE(draw(part));
    EXPECT_EQ(gdx.colorGet(3), CZunColor(3));
    EXPECT_EQ(gdx.fcolorGet(3), CZunColor(7));
    EXPECT_EQ(hatch(3), ZUN::CHatchProp());
}

TEST_F(SheetImagePanel, TopSheetCarriesAxesCoatAndMarkerBottomSheetItsCoat)
{
    CImageTestPart part(kPanelPart);
    part.lobj()->set(true, L"AXIS");
    part.lobj()->set(true, L"COATLINE");
    part.lobj()->set(CZunDataItem::Value(CZunColor(1)), L"SURFACE\\1");
    part.lobj()->set(CZunDataItem::Value(CZunColor(5)), L"SURFACE\\2");
    ASSERT_TRUE(draw(part, R"({"COORD": true})"));
    ASSERT_EQ(gdx.lenGet(), 10);
    EXPECT_EQ(gdx.colorGet(1), CZunColor(5));  // under the bottom sheet
    EXPECT_NEAR(box(line(1)).hi.y, -0.5, 1e-9);
    EXPECT_EQ(gdx.colorGet(2), CZunColor(3));  // top sheet
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(gdx.colorGet(i), CZunColor(1)) << i;
        EXPECT_NEAR(line(i)[0].start().x, 200.0 * (i - 3), 1e-9);
        // Ribs 20 high at the layer's gauge 0.8: out by 2 + 0.8 each way.
        EXPECT_NEAR(line(i)[0].start().distanceTo(line(i)[0].end()), 20.0 + 2.0 * 2.8, 1e-9);
    }
    EXPECT_EQ(gdx.colorGet(6), CZunColor(1));  // over the top sheet
    EXPECT_NEAR(box(line(6)).hi.y, 80.8, 1e-9);
    EXPECT_EQ(gdx.flagGet(7), 0x400u);
    EXPECT_EQ(gdx.typeGet(8), objReg);
    EXPECT_EQ(gdx.typeGet(9), objReg);
}

TEST_F(SheetImagePanel, FillingBeforeTheSheetsAndUnknownLayersDrawNothing)
{
    CImageTestPart part(kPanelPart);
    CZunDataItem* sandwich = part.lobj()->getItem(L"PANEL\\SANDWICH");
    sandwich->setItem(L"0", *sandwich->getItem(L"4"));
    sandwich->remove(L"4");
    sandwich->set(CZunDataItem::Value(Texts{L"PANEL", L"LAYER", L"NONE"}), L"5\\STACK");
    ASSERT_TRUE(draw(part));
    ASSERT_EQ(gdx.lenGet(), 3);
    EXPECT_EQ(gdx.colorGet(2), CZunColor(6));  // the cords
}

TEST_F(SheetImage, SampleSheetsAndPanelDraw)
{
    CImageTestSamples samples;
    int sheets = 0;
    for (int i = 0; i < ZUN::drawingCurrent().partCount(); ++i) {
        const ZUN::CZunPart& p = *ZUN::drawingCurrent().part(i);
        if (p.type != L"SHEET")
            continue;
        ++sheets;
        CZunGDX image;
        EXPECT_TRUE(zun_gdx_image_fsheet(&image, CImageTestSamples::open(p).get(), nullptr)) << p.name.toUtf8();
        EXPECT_GT(image.lenGet(), 1) << p.name.toUtf8();
    }
    EXPECT_EQ(sheets, 4);
}
