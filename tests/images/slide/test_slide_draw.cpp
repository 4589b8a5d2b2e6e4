#include "images/slide/zun_slide_draw.h"
#include "slide_writer.h"
#include "tests/render/paint/recording_dc.h"

#include <gtest/gtest.h>

using ZUN::SlideMapping;

namespace {

constexpr ZunRgb kRed = 0x0000FF;
constexpr ZunRgb kWhite = 0xFFFFFF;

ZUN::CSlide held(const SlideWriter& w)
{
    ZUN::CSlide slide;
    slide.loadSlide(w.bytes().data(), static_cast<int>(w.bytes().size()));
    return slide;
}

} // namespace

TEST(SlideMapping, FitsScalesAndCentresInTheRectangleLessOnePixel)
{
    const SlideMapping m = SlideMapping::fit({0, 0, 201, 201}, 100, 50);
    EXPECT_DOUBLE_EQ(m.scale, 2.0);
    EXPECT_EQ(m.offsetX, 0);
    EXPECT_EQ(m.offsetY, 50);
    EXPECT_EQ(m.map({0, 0}), (ZunIPoint{0, 150}));
    EXPECT_EQ(m.map({100, 50}), (ZunIPoint{200, 50}));
    EXPECT_EQ(m.map({-10, 60}), (ZunIPoint{-20, 30}));

    // Spare room is truncated, then halved by an arithmetic shift.
    const SlideMapping odd = SlideMapping::fit({0, 0, 10, 10}, 4, 2);
    EXPECT_DOUBLE_EQ(odd.scale, 2.25);
    EXPECT_EQ(odd.offsetX, 0);
    EXPECT_EQ(odd.offsetY, 2);
    EXPECT_EQ(odd.map({1, 1}), (ZunIPoint{2, 4}));  // trunc(2.25), trunc(2.25 + 2)

    // The rectangle's origin is not added: windows draw in client coordinates.
    EXPECT_EQ(SlideMapping::fit({50, 50, 251, 251}, 100, 50).offsetY, 50);

    // A zero dimension does not limit the scale.
    const SlideMapping flat = SlideMapping::fit({0, 0, 201, 101}, 0, 50);
    EXPECT_DOUBLE_EQ(flat.scale, 2.0);
    EXPECT_EQ(flat.offsetX, 100);
    EXPECT_DOUBLE_EQ(SlideMapping::fit({0, 0, 201, 101}, 0, 0).scale, 1.0);
}

TEST(SlideDraw, VectorsAndFillsGoThroughTheDeviceInSlideColours)
{
    SlideWriter w(2, false, 100, 50);
    w.vector(0, 0, 100, 50).color(1).commonEndpoint(10, 0).color(7).solidFill({{0, 0}, {50, 0}, {50, 25}}).end();
    ZUN::CSlide slide = held(w);

    RecordingDC dc(201, 201);
    ASSERT_TRUE(ZUN::slideDraw(slide, dc, dc.clientRect(), 7));
    const std::vector<RecordedCall> lines = dc.only("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].args, (std::vector<int>{0, 150, 200, 50}));
    EXPECT_EQ(lines[0].color, 0u);  // before any colour record: the device's own pen
    EXPECT_EQ(lines[1].args, (std::vector<int>{0, 150, 20, 150}));
    EXPECT_EQ(lines[1].color, kRed);
    const std::vector<RecordedCall> pens = dc.only("pen");
    ASSERT_EQ(pens.size(), 2u);
    EXPECT_EQ(pens[0].args, std::vector<int>{1});
    EXPECT_EQ(pens[1].color, 0u);  // colour 7 on background 7 is black
    const std::vector<RecordedCall> fills = dc.only("polygon");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].args, (std::vector<int>{0, 150, 100, 150, 100, 100, 0, 150}));
    EXPECT_EQ(fills[0].color, 0u);

    RecordingDC onBlack(201, 201);
    ASSERT_TRUE(ZUN::slideDraw(slide, onBlack, onBlack.clientRect(), 0));
    EXPECT_EQ(onBlack.only("pen")[1].color, kWhite);
    EXPECT_EQ(onBlack.only("brush")[1].color, kWhite);
    EXPECT_EQ(onBlack.only("polygon")[0].color, kWhite);
}

TEST(SlideDraw, OtherLevelsAndEmptyHoldersDrawNothing)
{
    SlideWriter w(2, false, 100, 50);
    std::vector<std::uint8_t> bytes = w.vector(0, 0, 100, 50).end().bytes();
    bytes[18] = 3;
    ZUN::CSlide slide;
    slide.loadSlide(bytes.data(), static_cast<int>(bytes.size()));
    RecordingDC dc(100, 100);
    EXPECT_FALSE(ZUN::slideDraw(slide, dc, dc.clientRect(), 0));
    EXPECT_TRUE(dc.calls.empty());
    ZUN::CSlide empty;
    EXPECT_FALSE(ZUN::slideDraw(empty, dc, dc.clientRect(), 0));
    EXPECT_TRUE(dc.calls.empty());
}
