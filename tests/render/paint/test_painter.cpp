#include "recording_dc.h"

#include "contracts/data/zun_config.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "contracts/base/zun_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr ZunRgb kWhite = 0xFFFFFF;
constexpr ZunRgb kBlack = 0x000000;

CZunColor indexColor(int index)
{
    return CZunColor(index);
}

// A list with a white background whose model units are device pixels.
CZunGDX pixelList()
{
    CZunColor white;
    white.setColorIndex(7);
    CZunGDX gdx(white, CZunMatrix3d(), 0.0, 0, {}, {});
    return gdx;
}

CZunVertexArray segment(double x1, double y1, double x2, double y2)
{
    CZunVertexArray vl;
    vl.append({x1, y1}, {x2, y2});
    return vl;
}

CZunArrayTempl<CZunVertexArray> square(double x, double y, double size)
{
    CZunPoint3dArray pts{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}};
    return {CZunVertexArray::fromPoints(pts, true)};
}

RecordingDC paint(CZunGDX& gdx)
{
    RecordingDC dc(200, 100);
    CZunPainter painter(dc);
    painter.paint(&gdx);
    return dc;
}

void addPoint(CZunGDX& gdx, double x, double y, unsigned long mode, double size, const CZunColor& color = CZunColor(1))
{
    gdx.imagePt({1}, 0, {x, y}, color, CZunMatrix3d(), size, mode, {});
}

} // namespace

TEST(PainterFrame, NoListPaintsNothingAndAnEmptyListOnlyTheBackground)
{
    RecordingDC dc(50, 40);
    CZunPainter painter(dc);
    painter.paint(nullptr);
    EXPECT_TRUE(dc.calls.empty());
    CZunGDX gdx = pixelList();
    painter.paint(&gdx);
    ASSERT_EQ(dc.count("fillrect"), 1);
    EXPECT_EQ(dc.only("fillrect")[0].args, (std::vector<int>{0, 0, 50, 40}));
    EXPECT_EQ(dc.only("fillrect")[0].color, kWhite);
    EXPECT_EQ(dc.count("line"), 0);
    EXPECT_EQ(dc.bkColor(), 0xC0C0C0u);  // the surface's own colour comes back
}

TEST(PainterColor, OwnColourContrastAndInversionAgainstTheBackground)
{
    CZunGDX gdx = pixelList();
    gdx.imageVl({1}, 0, segment(0, 0, 10, 0), indexColor(1), {}, {1.0}, 1.0, 0, {});   // red
    gdx.imageVl({2}, 0, segment(0, 5, 10, 5), CZunColor(), {}, {1.0}, 1.0, 0, {});     // no colour
    gdx.imageVl({3}, 0, segment(0, 9, 10, 9), indexColor(7), {}, {1.0}, 1.0, 0, {});   // white on white
    gdx.imageVl({4}, gdxFlagOfColorMode(ZUN::cModeContrast), segment(0, 12, 10, 12), indexColor(1), {}, {1.0}, 1.0, 0, {});
    const std::vector<RecordedCall> lines = paint(gdx).only("line");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].color, 0x0000FFu);
    EXPECT_EQ(lines[1].color, kBlack);  // index -1 in mode 0: the contrast colour
    EXPECT_EQ(lines[2].color, kBlack);  // equal to the background: inverted
    EXPECT_EQ(lines[3].color, kBlack);
}

TEST(PainterColor, ColourModesReadTheTable)
{
    CZunGDX gdx = pixelList();
    gdx.ColorTabSet(ZUN::cModeRefer, indexColor(5));
    gdx.imageVl({1}, gdxFlagOfColorMode(ZUN::cModeRefer), segment(0, 0, 10, 0), indexColor(1), {}, {1.0}, 1.0, 0, {});
    EXPECT_EQ(paint(gdx).only("line")[0].color, 0xFF0000u);  // blue
}

// A marker at (50, 50): how many calls of each kind it makes, and the
// arguments of some of them (the i-th call of a kind).
struct MarkerCase {
    const char* name;
    unsigned long mode;
    double size;
    std::vector<std::pair<std::string, int>> counts;
    std::vector<std::tuple<std::string, std::size_t, std::vector<int>>> calls;
};

void PrintTo(const MarkerCase& m, std::ostream* os)
{
    *os << m.name;
}

const MarkerCase kMarkers[] = {
    // X: four rays, 10 model units = 10 pixels here.
    {"XOfFourRays", pdModeCross, 10, {{"line", 4}}, {{"line", 0, {50, 50, 45, 45}}, {"line", 3, {50, 50, 55, 55}}}},
    {"CircleAndNothingElse", pdModeNoMark | pdModeCircle, 10, {{"line", 0}, {"ellipse", 1}}, {{"ellipse", 0, {45, 45, 55, 55}}}},
    {"ThreePixelDot", pdModeDot, 10, {{"ellipse", 1}}, {{"ellipse", 0, {49, 49, 51, 51}}}},
    // The filled square wins over everything; the first fill is the background.
    {"FilledSquareWinsOverEverything", pdModeFilledSquare | pdModeCross | pdModeCircle | pdModeSquare, 6,
     {{"line", 0}, {"ellipse", 0}, {"rectangle", 0}, {"fillrect", 2}}, {{"fillrect", 1, {47, 47, 53, 53}}}},
    // Odd size: the square starts one pixel further in.
    {"OddSquareStartsOnePixelIn", pdModeNoMark | pdModeSquare, 7, {{"rectangle", 1}}, {{"rectangle", 0, {48, 48, 53, 53}}}},
    // A negative size is a pixel count and turns the marks over.
    {"NegativeSizeTurnsTheMarksOver", pdModePlus, -10, {{"line", 4}}, {{"line", 0, {50, 50, 50, 55}}}},
};

class PainterPoint : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(PainterPoint, MarkerShapeByMode)
{
    const MarkerCase& m = GetParam();
    CZunGDX gdx = pixelList();
    addPoint(gdx, 50, 50, m.mode, m.size);
    const RecordingDC dc = paint(gdx);
    for (const auto& [op, n] : m.counts)
        ASSERT_EQ(dc.count(op), n) << op;
    for (const auto& [op, i, args] : m.calls)
        EXPECT_EQ(dc.only(op)[i].args, args) << op << " " << i;
}

INSTANTIATE_TEST_SUITE_P(Markers, PainterPoint, ::testing::ValuesIn(kMarkers),
                         [](const ::testing::TestParamInfo<MarkerCase>& info) { return info.param.name; });

TEST(PainterLineType, DashedCodeIsTenOnFourOffTimesTheScale)
{
    CZunGDX gdx = pixelList();
    gdx.imageVl({1}, 0, segment(0, 10, 100, 10), indexColor(1), {}, {1.0, 1.0, 0.0}, 2.0, 0, {});
    const auto lines = paint(gdx).only("line");
    ASSERT_GE(lines.size(), 3u);
    // (20, -8) after scaling; mode-1 dashing starts and ends with half a dash and
    // stretches the gaps so that three periods of 28 fill the 100: gaps of 13.33.
    EXPECT_EQ(lines.front().args, (std::vector<int>{0, 10, 10, 10}));
    EXPECT_EQ(lines[1].args[0], 23);
    EXPECT_NEAR(lines.back().args[0], 90, 1);  // 90 less rounding, truncated
    EXPECT_EQ(lines.back().args[2], 100);
}

TEST(PainterSkip, HiddenItemsAndUnknownTypesLeaveNoTrace)
{
    CZunGDX gdx = pixelList();
    gdx.imageVl({1}, gdxFlagHidden, segment(0, 0, 10, 0), indexColor(1), {}, {1.0}, 1.0, 0, {});
    const RecordingDC dc = paint(gdx);
    EXPECT_EQ(dc.count("line") + dc.count("pixel") + dc.count("polygon"), 0);
}

TEST(PainterRegion, TooDenseHatchIsFilledAndOutlined)
{
    CZunGDX gdx = pixelList();
    // ANSI31 lines are 3.175 apart: far more than 95 of them cross a 400-unit square.
    gdx.imageReg({1}, gdxFlagHatch | gdxFlagOutline, square(0, 0, 400), indexColor(1), {}, {1.0}, 1.0, 0,
                 indexColor(3), ZUN::CHatchProp(L"ANSI31", 0.0, 1.0, false), {});
    const RecordingDC dc = paint(gdx);
    ASSERT_EQ(dc.count("polygon"), 1);
    EXPECT_EQ(dc.only("polygon")[0].color, 0x00FF00u);  // the fill colour
    EXPECT_EQ(dc.count("line"), 4);                     // the outline
}

TEST(PainterRegion, CoarseHatchDrawsLinesInTheFillColourAndCutsHoles)
{
    CZunGDX gdx = pixelList();
    CZunArrayTempl<CZunVertexArray> ring = square(0, 0, 60);
    ring.append(square(20, 20, 20)[0]);
    gdx.imageReg({1}, gdxFlagHatch, ring, indexColor(1), {}, {1.0}, 1.0, 0, indexColor(3),
                 ZUN::CHatchProp(L"_USER", 0.0, 10.0, false), {});
    const auto lines = paint(gdx).only("line");
    ASSERT_FALSE(lines.empty());
    for (const RecordedCall& l : lines) {
        EXPECT_EQ(l.color, 0x00FF00u);
        const int y = l.args[1];
        // Lines through the hole stop at it.
        if (y > 20 && y < 40) {
            EXPECT_TRUE(l.args[2] <= 20 || l.args[0] >= 40) << l.args[0] << ".." << l.args[2];
        }
    }
}

TEST(PainterRegion, FilledRegionExcludesItsHoles)
{
    CZunGDX gdx = pixelList();
    CZunArrayTempl<CZunVertexArray> ring = square(0, 0, 60);
    ring.append(square(20, 20, 20)[0]);
    gdx.imageReg({1}, gdxFlagFill, ring, indexColor(1), {}, {1.0}, 1.0, 0, indexColor(3), {}, {});
    const RecordingDC dc = paint(gdx);
    ASSERT_EQ(dc.count("exclude"), 1);
    ASSERT_EQ(dc.count("polygon"), 1);
    // The clip comes back to the whole client area after the fill.
    EXPECT_EQ(dc.calls.back().op, "clip");
    EXPECT_EQ(dc.only("clip").back().args, (std::vector<int>{0, 0, 200, 100}));
}

TEST(ViewFit, BoxIsCentredWithMarginAndYPointsDown)
{
    const CZunMatrix3d m = getViewMtx({0, 0, 0}, {100, 50, 0}, 100, 200, 0.0);
    const CZunPoint3d lo = CZunPoint3d(0, 0) * m;
    const CZunPoint3d hi = CZunPoint3d(100, 50) * m;
    EXPECT_NEAR(lo.x, 0.0, 1e-9);
    EXPECT_NEAR(lo.y, 100.0, 1e-9);  // bottom-left of the box at the window's bottom
    EXPECT_NEAR(hi.x, 200.0, 1e-9);
    EXPECT_NEAR(hi.y, 0.0, 1e-9);
    // A taller window centres the box vertically.
    const CZunPoint3d mid = CZunPoint3d(50, 25) * getViewMtx({0, 0, 0}, {100, 50, 0}, 400, 200, 0.0);
    EXPECT_NEAR(mid.x, 100.0, 1e-9);
    EXPECT_NEAR(mid.y, 200.0, 1e-9);
    // Margin 0.05 of the larger side on every side.
    const CZunPoint3d corner = CZunPoint3d(0, 0) * getViewMtx({0, 0, 0}, {100, 100, 0}, 110, 110, 0.05);
    EXPECT_NEAR(corner.x, 5.0, 1e-9);
    EXPECT_NEAR(corner.y, 105.0, 1e-9);
    // A box without width: identity, unless the margin gives it one.
    EXPECT_TRUE(getViewMtx({1, 1, 0}, {1, 5, 0}, 100, 100, 0.0).isEqualTo(CZunMatrix3d::kIdentity));
    EXPECT_FALSE(getViewMtx({1, 1, 0}, {1, 5, 0}, 100, 100, 0.05).isEqualTo(CZunMatrix3d::kIdentity));
    // Width and height 0 work as 320 x 240.
    EXPECT_TRUE(getViewMtx({0, 0, 0}, {4, 3, 0}, 0, 0, 0).isEqualTo(getViewMtx({0, 0, 0}, {4, 3, 0}, 240, 320, 0)));
}

// The bitmap source is the caller's code: a picture whose source throws is
// left out, and the paint goes on with the items after it.
TEST(PainterBoundary, ThrowingBitmapSourceLeavesThePictureOut)
{
    CZunGDX gdx = pixelList();
    gdx.imagePicture({1}, 0, L"broken.png", 1, {10, 10}, {40, 40});
    gdx.imagePicture({3}, 0, L"second.png", 2, {50, 10}, {80, 40});
    gdx.imageVl({2}, 0, segment(0, 50, 100, 50), indexColor(1), {}, {1.0}, 1.0, 0, {});
    RecordingDC dc(200, 100);
    CZunPainter painter(dc);
    int asked = 0;
    painter.setBitmapSource([&](const CZunString&, int, int, int, ZunRgb) -> ZunBitmap {
        ++asked;
        throw std::runtime_error("no such picture");
    });
    EXPECT_NO_THROW(painter.paint(&gdx));
    EXPECT_EQ(asked, 2);  // the second picture was still asked for
    EXPECT_EQ(dc.count("line"), 1);
}

// A D standing upright in the xz plane seen from above is its base line: its
// arcs must not come out as arcs of the floor plan.
TEST(PainterArcs, AnUprightContourIsDrawnAsItsProjection)
{
    constexpr double r = 40.0;
    const double quarter = std::tan(ZUN::kPi / 8.0);
    CZunVertexArray d;
    d.append({60 - r, 50, 0}, {60 + r, 50, 0});
    d.append({60 + r, 50, 0}, {60, 50, r}, quarter);
    d.append({60, 50, r}, {60 - r, 50, 0}, quarter);
    for (const bool region : {false, true}) {
        CZunGDX gdx = pixelList();
        if (region)
            gdx.imageReg({1}, gdxFlagOutline, {d}, indexColor(1), {}, {1.0}, 1.0, 0, {}, {}, {});
        else
            gdx.imageVl({1}, 0, d, indexColor(1), {}, {1.0}, 1.0, 0, {});
        const std::vector<RecordedCall> lines = paint(gdx).only("line");
        ASSERT_FALSE(lines.empty());
        int lowest = 1 << 30, highest = -(1 << 30);
        for (const RecordedCall& line : lines) {
            lowest = std::min({lowest, line.args[1], line.args[3]});
            highest = std::max({highest, line.args[1], line.args[3]});
        }
        EXPECT_EQ(highest, lowest) << (region ? "region" : "polyline");
    }
}
