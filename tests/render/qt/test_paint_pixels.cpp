#include "render/paint/zun_painter.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"
#include "tests/render/qt/pixel_probes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Pictures painted through the Qt surface, checked pixel by pixel. The lists
// have a white background and identity matrices, so model units are pixels.

namespace {

using qrgb::kWhite;
using qrgb::kBlack;
using qrgb::kRed;
using qrgb::kGreen;
using qrgb::kBlue;

CZunGDX whiteList()
{
    return CZunGDX(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
}

QImage render(CZunGDX& gdx, int w = 120, int h = 100)
{
    QImage image(w, h, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.paint(&gdx);
    return image;
}

CZunVertexArray line(double x1, double y1, double x2, double y2)
{
    CZunVertexArray vl;
    vl.append({x1, y1}, {x2, y2});
    return vl;
}

CZunVertexArray box(double x, double y, double w, double h)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true);
}

void point(CZunGDX& gdx, double x, double y, unsigned long mode, double size)
{
    gdx.imagePt({1}, 0, {x, y}, CZunColor(1), CZunMatrix3d(), size, mode, {});
}

// The bounding box of the pixels that pass the test.
template <class Test>
QRect boundsOf(const QImage& image, Test test)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

QRect inked(const QImage& image)
{
    return boundsOf(image, [](QRgb p) { return p != kWhite; });
}

} // namespace

TEST(PaintPixels, ColourModesAndTheContrastColour)
{
    CZunGDX gdx = whiteList();
    gdx.ColorTabSet(ZUN::cModeHighlight, CZunColor(1));
    gdx.imageVl({1}, gdxFlagOfColorMode(ZUN::cModeHighlight), line(0, 10, 100, 10), CZunColor(5), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({2}, gdxFlagOfColorMode(ZUN::cModeContrast), line(0, 20, 100, 20), CZunColor(5), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({3}, 0, line(0, 30, 100, 30), CZunColor(5), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({4}, 0, line(0, 40, 100, 40), CZunColor(7), {}, {1.0}, 1.0, 0, {});  // the background's own colour
    const QImage image = render(gdx);
    expectPixels(image, {{50, 10, kRed}, {50, 20, kBlack}, {50, 30, kBlue}, {50, 40, kBlack}, {50, 50, kWhite}});
}

TEST(PaintPixels, PointModes)
{
    CZunGDX gdx = whiteList();
    point(gdx, 10, 10, pdModeDot, 8);
    point(gdx, 30, 10, pdModePlus, 8);
    point(gdx, 50, 10, pdModeCross, 8);
    point(gdx, 70, 10, pdModeTick, 8);
    point(gdx, 90, 10, pdModeNoMark | pdModeCircle, 8);  // circle only
    point(gdx, 10, 40, pdModeNoMark | pdModeSquare, 8);  // square only
    point(gdx, 30, 40, pdModeFilledSquare | pdModePlus, 8);  // the plus ignored
    const QImage image = render(gdx);
    expectPixels(image, {{10, 10, kRed}, {10, 14, kWhite}, {30, 6, kRed}, {34, 10, kRed}, {34, 14, kWhite},
                         {46, 6, kRed}, {54, 14, kRed}, {50, 6, kWhite}, {70, 6, kRed}, {70, 14, kWhite},
                         {74, 10, kWhite}, {90, 10, kWhite}});  // the circle's centre stays empty
    EXPECT_NE(inked(image.copy(84, 4, 12, 12)), QRect());
    expectPixels(image, {{10, 40, kWhite}, {6, 36, kRed}});  // the square's corner
    for (int y = 36; y < 44; ++y)
        for (int x = 26; x < 34; ++x)
            ASSERT_EQ(image.pixel(x, y), kRed) << x << "," << y;
    EXPECT_EQ(image.pixel(30, 45), kWhite);
}

TEST(PaintPixels, DashedLineTypeLeavesGaps)
{
    CZunGDX gdx = whiteList();
    gdx.imageVl({1}, 0, line(0, 10, 100, 10), CZunColor(1), {}, {1.0, 1.0, 0.0}, 1.0, 0, {});
    const QImage image = render(gdx);
    // (10, -4) begins and ends with half a dash: 0..5 drawn, about 5..9.3 empty, then 9.3..19.3 drawn.
    expectPixels(image, {{2, 10, kRed}, {7, 10, kWhite}, {14, 10, kRed}, {99, 10, kRed}});
}

TEST(PaintPixels, FilledRegionLeavesItsHoleEmpty)
{
    CZunGDX gdx = whiteList();
    gdx.imageReg({1}, gdxFlagFill, {box(10, 10, 60, 60), box(30, 30, 20, 20)}, CZunColor(1), {}, {1.0}, 1.0, 0,
                 CZunColor(3), {}, {});
    const QImage image = render(gdx);
    expectPixels(image, {{20, 20, kGreen}, {40, 40, kWhite}, {5, 5, kWhite}});
}

TEST(PaintPixels, TooDenseHatchIsFilledInstead)
{
    CZunGDX gdx = whiteList();
    gdx.imageReg({1}, gdxFlagHatch, {box(10, 10, 80, 80)}, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(3),
                 ZUN::CHatchProp(L"ANSI31", 0.0, 0.5, false), {});
    const QImage dense = render(gdx);
    for (const QPoint p : {QPoint(20, 20), QPoint(21, 20), QPoint(50, 77)})
        EXPECT_EQ(dense.pixel(p), kGreen);
    CZunGDX coarse = whiteList();
    coarse.imageReg({1}, gdxFlagHatch, {box(10, 10, 80, 80)}, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(3),
                    ZUN::CHatchProp(L"ANSI31", 0.0, 4.0, false), {});
    const QImage lines = render(coarse);
    int white = 0;
    for (int x = 11; x < 89; ++x)
        white += lines.pixel(x, 50) == kWhite;
    EXPECT_GT(white, 50);  // hatch lines, not a fill
}

TEST(PaintPixels, AnchoredItemsKeepTheirSizeUnderZoom)
{
    CZunGDX gdx = whiteList();
    gdx.imageVl({1}, gdxFlagAnchored, box(0, 0, 0.1, 0.1), CZunColor(1), {}, {1.0}, 1.0, 0, {50, 50, 0});
    gdx.imageVl({2}, 0, box(40, 40, 10, 10), CZunColor(5), {}, {1.0}, 1.0, 0, {});
    const QImage before = render(gdx);
    CZunMatrix3d zoom;
    zoom.setToScaling(2.0, {50, 50, 0});
    gdx.zoomMtxSet(zoom);
    const QImage after = render(gdx);
    const auto isRed = [](QRgb p) { return p == kRed; };
    const QRect a = boundsOf(before, isRed), b = boundsOf(after, isRed);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_EQ(a.size(), b.size());
    // The plain box doubled.
    int blueBefore = 0, blueAfter = 0;
    for (int x = 0; x < 120; ++x) {
        blueBefore += before.pixel(x, 40) == kBlue;
        blueAfter += after.pixel(x, 30) == kBlue;
    }
    EXPECT_EQ(blueAfter, 2 * blueBefore - 1);
}

TEST(PaintPixels, PicturesGoOverEverythingAndHiddenItemsAreAbsent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("patch.bmp");
    QImage patch(20, 20, QImage::Format_RGB32);
    patch.fill(QColor(10, 200, 30));
    ASSERT_TRUE(patch.save(path, "BMP"));
    CZunGDX gdx = whiteList();
    gdx.imagePicture({9}, 0, CZunString::fromUtf8(path.toStdString()), 0, {20, 20, 0}, {40, 40, 0});
    gdx.imageReg({1}, gdxFlagFill, {box(0, 0, 100, 100)}, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(1), {}, {});
    gdx.imageVl({2}, gdxFlagHidden, line(0, 90, 100, 90), CZunColor(5), {}, {1.0}, 1.0, 0, {});
    const QImage image = render(gdx);
    expectPixels(image, {{30, 30, 0xFF0AC81Eu}, {10, 10, kRed}, {50, 90, kRed}});  // the hidden line left no trace on the fill
}
