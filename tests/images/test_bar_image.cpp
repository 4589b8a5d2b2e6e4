#include "images/zun_image_bar.h"
#include "tests/images/part_image_test_data.h"

#include <gtest/gtest.h>

namespace {

// Bar B of group GRP1 stands at (1000, 500), turned a quarter to the left.
// S1 is placed 80 along B's own y axis; S2 by a local frame at (300, 500);
// S3 exactly where B is. The part's stored data says which bars hang on B:
// S1 (and a bar the group does not have) by B's list, S2 and S3 by their
// own "ON"; X hangs on another bar.
const char* const kBarGroup = R"({
 "GRP1": {
  "B": {
   "MTX": {"$": "matrix", "v": [[0, -1, 0, 1000], [1, 0, 0, 500], [0, 0, 1, 0], [0, 0, 0, 1]]},
   "REGL": {"$": "regions", "v": [
     [{"pts": [[0, 0], [100, 0], [100, 50], [0, 50]], "closed": true},
      {"pts": [[10, 10], [10, 40], [90, 40], [90, 10]], "closed": true}],
     [{"pts": [[200, 0], [220, 0], [220, 20], [200, 20]], "closed": true}]]},
   "SURFACE": {
    "1": {"VL": {"$": "vl", "pts": [[0, 50], [100, 50]]}, "COAT": {"$": "color", "index": 1}},
    "2": {"VL": {"$": "vl", "pts": [[0, 0], [100, 0]]}},
    "TOTAL": {}
   }
  },
  "S1": {
   "MTX": {"$": "matrix", "v": [[0, -1, 0, 920], [1, 0, 0, 500], [0, 0, 1, 0], [0, 0, 0, 1]]},
   "VL": {"$": "contours", "v": [
     {"pts": [[0, 0], [100, 0], [100, 100]]},
     {"pts": [[100, 100], [0, 100], [0, 0]]},
     {"pts": [[10, 10], [90, 10], [90, 90], [10, 90]], "closed": true},
     {"pts": [[40, 40], [60, 40], [60, 60], [40, 60]], "closed": true}]}
  },
  "S2": {
   "POS": {"$": "point", "v": [300, 500, 0]},
   "XREF": {"REGL": {"$": "regions", "v": [[{"pts": [[0, 0], [30, 0], [30, 30]], "closed": true}]]}}
  },
  "S3": {
   "MTX": {"$": "matrix", "v": [[0, -1, 0, 1000], [1, 0, 0, 500], [0, 0, 1, 0], [0, 0, 0, 1]]},
   "REGL": {"$": "contours", "v": [{"pts": [[0, 0], [5, 0], [5, 5], [0, 5]], "closed": true}]}
  },
  "X": {"REGL": {"$": "contours", "v": [{"pts": [[0, 0], [5, 0], [5, 5]], "closed": true}]}},
  "EMPTY": {"SURFACE": {"TOTAL": {}}},
  "VALUE": 5
 }
})";

const char* const kBarRelations = R"({
 "GRP1": {
  "B": {"SUBS": ["S1", "MISSING"]},
  "S2": {"ON": "B"},
  "S3": {"ON": ["A", "B"]},
  "X": {"ON": "Y"}
 }
})";

CZunVertexArray lineOf(const CZunGDX& gdx, int i)
{
    CZunVertexArray vl;
    gdx.geomGet(vl, i);
    return vl;
}

CZunGDX::Contours regionOf(const CZunGDX& gdx, int i)
{
    CZunGDX::Contours reg;
    gdx.geomGet(reg, i);
    return reg;
}

CZunMatrix3d translation(double x, double y)
{
    return CZunMatrix3d().setToTranslation(CZunVector3d(x, y, 0.0));
}

class BarImage : public ::testing::Test {
protected:
    bool draw(CImageTestPart& part, const char* options)
    {
        gdx = CZunGDX();
        const auto opts = imageTestOptions(options);
        return zun_gdx_image_bar_surface(&gdx, part.handle.get(), opts.get());
    }

    CImageTestDrawing drawing;
    CZunGDX gdx;
};

} // namespace

TEST_F(BarImage, SectionSurfacesPicksThenAttachedBars)
{
    CImageTestPart part(kBarGroup, kBarRelations);
    const std::string before = part.snapshot();
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "B",
        "PICK": {"P1": {"$": "point", "v": [10, 20, 0]}, "P2": {"$": "point", "v": [30, 40, 0]}}})"));
    EXPECT_EQ(part.snapshot(), before);
    ASSERT_EQ(gdx.lenGet(), 11);
    for (int i = 0; i < gdx.lenGet(); ++i) {
        CZunGDX::Stack stack;
        gdx.itemStackGet(stack, i);
        EXPECT_TRUE(stack.isEmpty()) << i;
        if (gdx.typeGet(i) != objPt) {
            EXPECT_EQ(gdx.linetypeGet(i), CZunArrayTempl<double>{1.0}) << i;
            EXPECT_EQ(gdx.ltscaleGet(i), 1.0) << i;
        }
    }

    // The bar's own regions, in its own coordinates.
    for (int i : {0, 1}) {
        EXPECT_EQ(gdx.typeGet(i), objReg);
        EXPECT_EQ(gdx.flagGet(i), gdxFlagOutline);
        EXPECT_EQ(gdx.colorGet(i), CZunColor());
        EXPECT_EQ(gdx.fcolorGet(i), CZunColor());
        EXPECT_TRUE(gdx.mtxGet(i).isEqualTo(CZunMatrix3d::kIdentity));
        EXPECT_EQ(gdx.thicknGet(i), 0);
        ZUN::CHatchProp hatch(L"X", 1.0, 2.0, true);
        gdx.hatchGet(i, hatch);
        EXPECT_EQ(hatch, ZUN::CHatchProp());
    }
    EXPECT_EQ(regionOf(gdx, 0).len(), 2);
    EXPECT_EQ(regionOf(gdx, 1).len(), 1);

    // Surfaces "1", "2", "TOTAL": thick lines in their coat, else green.
    for (int i : {2, 3, 4}) {
        EXPECT_EQ(gdx.typeGet(i), objVl);
        EXPECT_EQ(gdx.flagGet(i), 0u);
        EXPECT_EQ(gdx.thicknGet(i), 3);
        EXPECT_TRUE(gdx.mtxGet(i).isEqualTo(CZunMatrix3d::kIdentity));
    }
    EXPECT_EQ(gdx.colorGet(2), CZunColor(1));
    EXPECT_EQ(lineOf(gdx, 2)[0].start(), CZunPoint3d(0, 50));
    EXPECT_EQ(gdx.colorGet(3), CZunColor(3));
    EXPECT_EQ(lineOf(gdx, 3)[0].start(), CZunPoint3d(0, 0));
    EXPECT_EQ(gdx.colorGet(4), CZunColor(3));
    EXPECT_EQ(lineOf(gdx, 4), regionOf(gdx, 0)[0]);  // the whole outline

    // Picked points: highlighted 10-pixel markers.
    for (int i : {5, 6}) {
        EXPECT_EQ(gdx.typeGet(i), objPt);
        EXPECT_EQ(gdx.flagGet(i), 0x100u);
        EXPECT_EQ(gdx.pdSizeGet(i), -10.0);
        EXPECT_EQ(gdx.pdModeGet(i), 3u);
        EXPECT_EQ(gdx.colorGet(i), CZunColor());
    }
    CZunPoint3d p;
    gdx.geomGet(p, 5);
    EXPECT_EQ(p, CZunPoint3d(10, 20));
    gdx.geomGet(p, 6);
    EXPECT_EQ(p, CZunPoint3d(30, 40));

    // Attached bars: the bar's list first, then those that name it.
    for (int i = 7; i < 11; ++i) {
        EXPECT_EQ(gdx.typeGet(i), objReg);
        EXPECT_EQ(gdx.flagGet(i), 0x510u);
        EXPECT_EQ(gdx.colorGet(i), CZunColor());
        EXPECT_EQ(gdx.thicknGet(i), 0);
    }
    // S1, raw lines: two regions, as its island in the hole stands on its own.
    EXPECT_EQ(regionOf(gdx, 7).len(), 2);
    EXPECT_EQ(regionOf(gdx, 8).len(), 1);
    EXPECT_TRUE(gdx.mtxGet(7).isEqualTo(translation(0, 80)));
    EXPECT_TRUE(gdx.mtxGet(8).isEqualTo(translation(0, 80)));
    // S2 through its local frame, seen from B.
    EXPECT_TRUE((CZunPoint3d(0, 0) * gdx.mtxGet(9)).isEqualTo(CZunPoint3d(0, 700)));
    EXPECT_TRUE((CZunPoint3d(1, 0) * gdx.mtxGet(9)).isEqualTo(CZunPoint3d(0, 699)));
    EXPECT_EQ(regionOf(gdx, 9)[0].len(), 3);
    // S3 stands where B stands.
    EXPECT_TRUE(gdx.mtxGet(10).isEqualTo(CZunMatrix3d::kIdentity));
}

TEST_F(BarImage, SectionFromReferenceStoredRegionsOrRawLines)
{
    CImageTestPart part(kBarGroup, kBarRelations);
    CZunDataItem* group = part.lobj()->getItem(L"GRP1");

    // A reference that gives nothing falls back to the raw lines.
    group->setItem(L"XR", *group->getItem(L"S1"));
    group->mkDir(L"XR\\XREF");
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "XR"})"));
    ASSERT_EQ(gdx.lenGet(), 2);
    EXPECT_EQ(regionOf(gdx, 0).len(), 2);

    // Stored regions win over raw lines.
    group->set(CZunDataItem::Value(CZunContourSet{CZunVertexArray::fromPoints({{0, 0}, {5, 0}, {0, 5}}, true)}),
               L"XR\\REGL");
    group->remove(L"XR\\XREF");
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "XR"})"));
    ASSERT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(regionOf(gdx, 0)[0].len(), 3);

    // A reference is read through the profile rules, coat included.
    group->setItem(L"XR\\XREF", *group->getItem(L"S2\\XREF"));
    group->set(2.0, L"XR\\XREF\\COAT_T");
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "XR"})"));
    ASSERT_EQ(gdx.lenGet(), 2);
    EXPECT_EQ(regionOf(gdx, 0)[0].len(), 3);
    EXPECT_EQ(regionOf(gdx, 1).len(), 2);  // the coat around the triangle
}

TEST_F(BarImage, NothingToDrawIsStillAnImage)
{
    CImageTestPart part(kBarGroup, kBarRelations);
    // No section: no regions, and "TOTAL" has no outline to show.
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "EMPTY"})"));
    EXPECT_EQ(gdx.lenGet(), 0);

    // A surface without its line shows nothing, not its neighbour's line.
    CZunDataItem* surfaces = part.lobj()->getItem(L"GRP1\\B\\SURFACE");
    surfaces->remove(L"1\\VL");
    surfaces->remove(L"TOTAL");
    ASSERT_TRUE(draw(part, R"({"GRP": "GRP1", "BT": "B"})"));
    int lines = 0;
    for (int i = 0; i < gdx.lenGet(); ++i)
        lines += gdx.typeGet(i) == objVl;
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(gdx.colorGet(2), CZunColor(3));

    // Only "PICK" points are marked.
    for (int i = 0; i < gdx.lenGet(); ++i)
        EXPECT_NE(gdx.typeGet(i), objPt);
}

TEST_F(BarImage, MissingInputsFailWithoutDrawing)
{
    CImageTestPart part(kBarGroup, kBarRelations);
    const auto opts = imageTestOptions(R"({"GRP": "GRP1", "BT": "B"})");
    EXPECT_FALSE(zun_gdx_image_bar_surface(&gdx, part.handle.get(), nullptr));
    EXPECT_FALSE(zun_gdx_image_bar_surface(&gdx, nullptr, opts.get()));
    EXPECT_FALSE(zun_gdx_image_bar_surface(nullptr, part.handle.get(), opts.get()));
    EXPECT_FALSE(draw(part, R"({"GRP": "GRP1\\VALUE", "BT": "B"})"));
    EXPECT_FALSE(draw(part, R"({"GRP": "NOGROUP", "BT": "B"})"));
    EXPECT_FALSE(draw(part, R"({"GRP": "GRP1", "BT": "NOBAR"})"));
    EXPECT_FALSE(draw(part, R"({"GRP": "GRP1", "BT": "VALUE"})"));
    EXPECT_EQ(gdx.lenGet(), 0);
}

TEST_F(BarImage, SampleMullionWithPressurePlateAndCap)
{
    CImageTestSamples samples;
    const ZUN::CZunPart* bar = ZUN::drawingCurrent().partByHandle(L"9C");
    ASSERT_NE(bar, nullptr);
    // The part names its group and bar for the host to pass on.
    CZunString grp, bt;
    ASSERT_TRUE(bar->data.get(grp, L"GRP"));
    ASSERT_TRUE(bar->data.get(bt, L"BT"));
    const auto opts = imageTestOptions("{}");
    opts->get()->set(grp.c_str(), L"GRP");
    opts->get()->set(bt.c_str(), L"BT");
    ASSERT_TRUE(zun_gdx_image_bar_surface(&gdx, CImageTestSamples::open(*bar).get(), opts.get()));
    // The mullion (one region with its chamber and screw channel), its two
    // coated faces, then the pressure plate and the cap in front of it.
    ASSERT_EQ(gdx.lenGet(), 5);
    EXPECT_EQ(regionOf(gdx, 0).len(), 3);
    EXPECT_EQ(gdx.thicknGet(1), 3);
    EXPECT_EQ(gdx.thicknGet(2), 3);
    EXPECT_TRUE(gdx.mtxGet(3).isEqualTo(translation(0, 186)));
    EXPECT_TRUE(gdx.mtxGet(4).isEqualTo(translation(0, 183)));
}
