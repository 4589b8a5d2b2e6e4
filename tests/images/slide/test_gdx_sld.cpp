#include "images/slide/zun_gdx_sld.h"
#include "tests/render/paint/recording_dc.h"
#include "render/paint/zun_painter.h"
#include "slide_test_util.h"
#include "slide_writer.h"

#include <gtest/gtest.h>

using Stack = CZunArrayTempl<int>;

namespace {

CZunGDX plainGdx()
{
    return CZunGDX(CZunColor(), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d());
}

bool convert(const SlideWriter& w, CZunGDX& gdx, unsigned long flags = 0, const CZunDataItem* opts = nullptr)
{
    ZUN::CGdxSld sld;
    sld.loadSlide(w.bytes().data(), static_cast<int>(w.bytes().size()));
    return sld.convert(&gdx, flags, opts);
}

Stack stackOf(const CZunGDX& gdx, int i)
{
    Stack s;
    gdx.itemStackGet(s, i);
    return s;
}

SlideWriter threeVectors(bool big = false)
{
    SlideWriter w(2, big, 100, 50);
    w.vector(0, 0, 100, 50).color(3).commonEndpoint(10, -5).color(7).offsetVector(1, 2, 3, 4).end();
    return w;
}

} // namespace

TEST(SlideToGdx, VectorsBecomeOneSegmentPolylinesFiledUnderCountingStacks)
{
    CZunGDX gdx = plainGdx();
    ASSERT_TRUE(convert(threeVectors(), gdx));
    ASSERT_EQ(gdx.lenGet(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gdx.typeGet(i), objVl);
        EXPECT_EQ(stackOf(gdx, i), (Stack{i + 1}));
        EXPECT_EQ(gdx.linetypeGet(i), (CZunArrayTempl<double>{1.0}));
        EXPECT_EQ(gdx.ltscaleGet(i), 1.0);
        EXPECT_EQ(gdx.thicknGet(i), 0);
        EXPECT_EQ(gdx.flagGet(i), 0u);
        EXPECT_EQ(gdx.mtxGet(i), CZunMatrix3d());
    }
    CZunVertexArray vl;
    gdx.geomGet(vl, 0);
    EXPECT_EQ(vl, (CZunVertexArray{CZunVertex({0, 0, 0}, {100, 50, 0}, 0.0)}));  // y not flipped
    gdx.geomGet(vl, 1);
    EXPECT_EQ(vl, (CZunVertexArray{CZunVertex({0, 0, 0}, {10, -5, 0}, 0.0)}));
    gdx.geomGet(vl, 2);
    EXPECT_EQ(vl, (CZunVertexArray{CZunVertex({11, -3, 0}, {13, -1, 0}, 0.0)}));  // offsets from (10, -5)
    // The colour starts as no colour and takes each index as it comes; 7 stays 7.
    EXPECT_EQ(gdx.colorGet(0).colorIndex(), CZunColor::kNone);
    EXPECT_EQ(gdx.colorGet(1).colorIndex(), 3);
    EXPECT_EQ(gdx.colorGet(2).colorIndex(), 7);

    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    EXPECT_EQ(lo, CZunPoint3d(0, -5, 0));
    EXPECT_EQ(hi, CZunPoint3d(100, 50, 0));
}

TEST(SlideToGdx, FillFlagHoldsUpToTheFirstFillAndFillsAlwaysCarryIt)
{
    SlideWriter w(2, false, 100, 100);
    w.vector(0, 0, 1, 1).solidFill({{0, 0}, {0, 10}, {10, 10}, {10, 0}}).vector(2, 2, 3, 3);
    w.solidFill({{20, 20}, {30, 20}, {30, 30}}).end();
    CZunGDX gdx = plainGdx();
    ASSERT_TRUE(convert(w, gdx, gdxFlagFill | gdxFlagNoExt));
    ASSERT_EQ(gdx.lenGet(), 4);
    EXPECT_EQ(gdx.flagGet(0), gdxFlagFill | gdxFlagNoExt);
    EXPECT_EQ(gdx.flagGet(1), gdxFlagFill | gdxFlagNoExt);
    EXPECT_EQ(gdx.flagGet(2), gdxFlagNoExt);
    EXPECT_EQ(gdx.flagGet(3), gdxFlagFill | gdxFlagNoExt);

    CZunGDX plain = plainGdx();
    ASSERT_TRUE(convert(w, plain, 0));
    EXPECT_EQ(plain.flagGet(0), 0u);
    EXPECT_EQ(plain.flagGet(1), gdxFlagFill);
    EXPECT_EQ(plain.flagGet(2), 0u);
    EXPECT_EQ(plain.flagGet(3), gdxFlagFill);
    EXPECT_EQ(stackOf(plain, 3), Stack{4});
}

TEST(SlideToGdx, FillsBecomeClosedCounterClockwiseRegionsInTheirColour)
{
    SlideWriter w(2, false, 100, 100);
    w.color(5).solidFill({{0, 0}, {0, 10}, {10, 10}, {10, 0}}).end();  // clockwise as written
    CZunGDX gdx = plainGdx();
    ASSERT_TRUE(convert(w, gdx));
    ASSERT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(gdx.typeGet(0), objReg);
    CZunGDX::Contours reg;
    gdx.geomGet(reg, 0);
    ASSERT_EQ(reg.len(), 1);
    const CZunVertexArray& contour = reg[0];
    ASSERT_EQ(contour.len(), 4);
    EXPECT_TRUE(contour.isClosed());
    EXPECT_GT(contour.normal().z, 0.0);  // counter-clockwise seen from +z
    EXPECT_EQ(gdx.colorGet(0).colorIndex(), 5);
    EXPECT_EQ(gdx.fcolorGet(0).colorIndex(), 5);
    ZUN::CHatchProp hatch;
    gdx.hatchGet(0, hatch);
    EXPECT_TRUE(hatch.name().isEmpty());
}

// A colour-0 record after a colour-2 one is black, not the yellow before it,
// in the items and on the device.
TEST(SlideToGdx, EachColourRecordGivesItsOwnColourIndexZeroIncluded)
{
    SlideWriter w(2, false, 100, 50);
    w.color(2).vector(0, 10, 50, 10).color(0).vector(0, 20, 50, 20).color(1).vector(0, 30, 50, 30).end();
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d());  // white: black shows
    ASSERT_TRUE(convert(w, gdx));
    ASSERT_EQ(gdx.lenGet(), 3);
    constexpr ZunRgb kYellow = 0x00FFFF, kBlack = 0x000000, kRed = 0x0000FF;
    const int indices[] = {2, 0, 1};
    const ZunRgb colours[] = {kYellow, kBlack, kRed};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gdx.colorGet(i).colorIndex(), indices[i]) << i;
        EXPECT_EQ(gdx.colorGet(i).oleColor(), colours[i]) << i;
    }

    RecordingDC dc(200, 100);
    CZunPainter painter(dc);
    painter.paint(&gdx);
    const std::vector<RecordedCall> lines = dc.only("line");
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[static_cast<size_t>(i)].color, colours[i]) << i;
}

TEST(SlideToGdx, StackAndMatrixOptions)
{
    CZunDataItem opts(true);
    opts.set(5, L"STACK");
    CZunMatrix3d move;
    move.setToTranslation(CZunVector3d(7, 8, 9));
    ZUN::dataItemSet(&opts, L"MTX", move);
    CZunGDX gdx = plainGdx();
    ASSERT_TRUE(convert(threeVectors(), gdx, 0, &opts));
    ASSERT_EQ(gdx.lenGet(), 3);
    EXPECT_EQ(stackOf(gdx, 0), (Stack{5, 1}));
    EXPECT_EQ(stackOf(gdx, 2), (Stack{7, 1}));
    EXPECT_EQ(gdx.mtxGet(1), move);

    CZunDataItem arrayOpts(true);
    ZUN::dataItemSet(&arrayOpts, L"STACK", Stack{2, 9});
    CZunGDX nested = plainGdx();
    ASSERT_TRUE(convert(threeVectors(), nested, 0, &arrayOpts));
    EXPECT_EQ(stackOf(nested, 0), (Stack{2, 9, 1}));
    EXPECT_EQ(stackOf(nested, 1), (Stack{3, 9, 1}));

    // The result looks at the first stack entry only: with a prefix above 1
    // it is true even for a slide without records.
    SlideWriter endOnly(2, false, 10, 10);
    endOnly.end();
    CZunGDX none = plainGdx();
    EXPECT_FALSE(convert(endOnly, none));
    EXPECT_TRUE(convert(endOnly, none, 0, &opts));
    EXPECT_EQ(none.lenGet(), 0);
}

TEST(SlideToGdx, BigEndianAndLevelOneTwinsGiveTheSameItems)
{
    CZunGDX little = plainGdx(), big = plainGdx();
    ASSERT_TRUE(convert(threeVectors(false), little));
    ASSERT_TRUE(convert(threeVectors(true), big));
    ASSERT_EQ(little.lenGet(), big.lenGet());
    for (int i = 0; i < little.lenGet(); ++i) {
        CZunVertexArray a, b;
        little.geomGet(a, i);
        big.geomGet(b, i);
        EXPECT_EQ(a, b) << i;
        EXPECT_EQ(little.colorGet(i), big.colorGet(i)) << i;
        EXPECT_EQ(stackOf(little, i), stackOf(big, i)) << i;
    }
}

TEST(SlideToGdx, UnreadableSlidesAddNothing)
{
    std::vector<std::uint8_t> bytes = threeVectors().bytes();
    bytes[18] = 3;
    ZUN::CGdxSld sld;
    CZunGDX gdx = plainGdx();
    EXPECT_FALSE(sld.convert(&gdx, 0, nullptr));  // nothing held
    sld.loadSlide(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_FALSE(sld.convert(&gdx, 0, nullptr));
    sld.loadSlide(bytes.data(), 22);
    EXPECT_FALSE(sld.convert(&gdx, 0, nullptr));
    EXPECT_FALSE(sld.convert(nullptr, 0, nullptr));
    EXPECT_EQ(gdx.lenGet(), 0);
}

TEST(SlideImage, EmptyNameAddsOneHiddenPointWhateverTheLibrary)
{
    for (const wchar_t* name : {L"LEER", L"leer", L"LeEr"}) {
        CZunGDX gdx = plainGdx();
        ASSERT_TRUE(zun_gdx_image_sld(&gdx, name, nullptr, gdxFlagFill, nullptr));
        ASSERT_EQ(gdx.lenGet(), 1);
        EXPECT_EQ(gdx.typeGet(0), objPt);
        EXPECT_EQ(gdx.flagGet(0), gdxFlagHidden);
        EXPECT_EQ(stackOf(gdx, 0).len(), 0);
        CZunPoint3d p(1, 1, 1);
        gdx.geomGet(p, 0);
        EXPECT_EQ(p, CZunPoint3d::kOrigin);
        EXPECT_EQ(gdx.getDisplayList()[0].pdMode, 0xFFFFFFFFu);
        EXPECT_EQ(gdx.getDisplayList()[0].pdSize, 0.0);
        CZunPoint3d lo, hi;
        ASSERT_TRUE(gdx.extmaxGet(lo, hi));  // it holds the extents open
        EXPECT_EQ(lo, CZunPoint3d::kOrigin);
    }
    CZunGDX gdx = plainGdx();
    EXPECT_TRUE(zun_gdx_image_sld(&gdx, L"LEER", L"/nonexistent.slb", 0, nullptr));
    EXPECT_FALSE(zun_gdx_image_sld(&gdx, L"LEERE", nullptr, 0, nullptr));
    EXPECT_FALSE(zun_gdx_image_sld(&gdx, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(zun_gdx_image_sld(nullptr, L"LEER", nullptr, 0, nullptr));
    EXPECT_EQ(gdx.lenGet(), 1);
}

TEST(SlideImage, LibrarySlidesConvertByNameInAnyCase)
{
    const std::string lib = (slideDataDir() / "velisp_mylib.slb").string();
    const CZunString wlib = CZunString::fromUtf8(lib);
    CZunGDX gdx = plainGdx();
    EXPECT_FALSE(zun_gdx_image_sld(&gdx, L"slide1", nullptr, 0, nullptr));
    EXPECT_FALSE(zun_gdx_image_sld(&gdx, L"SLIDE3", wlib, 0, nullptr));
    EXPECT_EQ(gdx.lenGet(), 0);
    ASSERT_TRUE(zun_gdx_image_sld(&gdx, L"slide1", wlib, 0, nullptr));

    // As many items as the decoder sees vectors and fills.
    ZUN::CSlide slide;
    ASSERT_TRUE(slide.loadSlide(L"SLIDE1", wlib));
    SlideRecordLog log;
    ASSERT_TRUE(slide.decodeSlide(log).ok);
    EXPECT_EQ(gdx.lenGet(), log.vectors + log.fills);
    EXPECT_GT(gdx.lenGet(), 0);
    EXPECT_EQ(stackOf(gdx, gdx.lenGet() - 1), Stack{gdx.lenGet()});
    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    EXPECT_GE(lo.x, 0.0);
    EXPECT_LE(hi.x, 572.0);
    EXPECT_LE(hi.y, 292.0);
}
