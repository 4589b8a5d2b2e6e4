#include "render/qt/zun_cdc_qt.h"

#include <gtest/gtest.h>

namespace {

constexpr ZunRgb kWhite = 0xFFFFFF;
constexpr ZunRgb kRed = 0x0000FF;    // 0x00BBGGRR
constexpr ZunRgb kBlue = 0xFF0000;

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

ZunRgb at(const QImage& image, int x, int y)
{
    return zunPixelToRgb(image.pixel(x, y) & 0xFFFFFF);
}

int count(const QImage& image, ZunRgb color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += at(image, x, y) == color;
    return n;
}

} // namespace

TEST(QtDevice, ColoursKeepTheirByteOrder)
{
    QImage image = blank(4, 4);
    {
        CZunQtDC dc(image);
        dc.setPixel(1, 1, kRed);
        dc.fillSolidRect({2, 2, 4, 4}, kBlue);
    }
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);  // red in the image's 0xRRGGBB
    EXPECT_EQ(at(image, 1, 1), kRed);
    EXPECT_EQ(at(image, 3, 3), kBlue);
    EXPECT_EQ(count(image, kBlue), 4);
}

TEST(QtDevice, PolygonFillsLeftTopInsideRightBottomOutside)
{
    QImage image = blank(12, 12);
    {
        CZunQtDC dc(image);
        dc.selectNullPen();
        dc.selectSolidBrush(kRed);
        dc.polygon({{2, 2}, {8, 2}, {8, 6}, {2, 6}});
    }
    EXPECT_EQ(count(image, kRed), 6 * 4);
    EXPECT_EQ(at(image, 2, 2), kRed);
    EXPECT_EQ(at(image, 8, 2), kWhite);
    EXPECT_EQ(at(image, 2, 6), kWhite);
}

TEST(QtDevice, AlternateRuleLeavesTheOverlapOfASelfCrossingPolygonEmpty)
{
    QImage image = blank(20, 20);
    {
        CZunQtDC dc(image);
        dc.selectNullPen();
        dc.selectSolidBrush(kRed);
        // Two squares in one polygon, the second inside the first.
        dc.polygon({{0, 0}, {16, 0}, {16, 16}, {0, 16}, {0, 0}, {4, 4}, {12, 4}, {12, 12}, {4, 12}, {4, 4}});
    }
    EXPECT_EQ(at(image, 8, 8), kWhite);
    EXPECT_EQ(at(image, 2, 8), kRed);
}

TEST(QtDevice, ExcludedPolygonsCutHolesIntoLaterDrawing)
{
    QImage image = blank(20, 20);
    {
        CZunQtDC dc(image);
        dc.setClipRect(dc.clientRect());
        dc.excludeClipPolygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}});
        dc.fillSolidRect(dc.clientRect(), kBlue);
        dc.setPixel(10, 10, kRed);  // inside the hole: clipped away
        dc.setClipRect(dc.clientRect());
        dc.setPixel(11, 11, kRed);  // clip restored
    }
    EXPECT_EQ(at(image, 10, 10), kWhite);
    EXPECT_EQ(at(image, 11, 11), kRed);
    EXPECT_EQ(at(image, 4, 4), kBlue);
    EXPECT_EQ(count(image, kWhite), 10 * 10 - 1);
}

TEST(QtDevice, LinesIncludeBothEndsAndNullPenDrawsNothing)
{
    QImage image = blank(10, 10);
    {
        CZunQtDC dc(image);
        dc.selectPen(0, kRed);
        dc.moveTo(1, 1);
        dc.lineTo(6, 1);
        dc.selectNullPen();
        dc.lineTo(6, 8);
    }
    EXPECT_EQ(count(image, kRed), 6);
    EXPECT_EQ(at(image, 6, 1), kRed);
    EXPECT_EQ(at(image, 6, 5), kWhite);
}

TEST(QtDevice, XorCopyTwiceRestoresAndAndMasks)
{
    QImage image = blank(6, 6);
    image.setPixel(1, 1, 0xFF123456);
    const QImage before = image;
    ZunBitmap pattern;
    pattern.width = 3;
    pattern.height = 3;
    pattern.pixels.assign(9, 0x00F0F0F0);
    {
        CZunQtDC dc(image);
        dc.bitBlt(0, 0, pattern, ZunRop::Xor);
        EXPECT_EQ(dc.painter().compositionMode(), QPainter::CompositionMode_SourceOver);
    }
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0x123456u ^ 0xF0F0F0u);
    {
        CZunQtDC dc(image);
        dc.bitBlt(0, 0, pattern, ZunRop::Xor);
    }
    EXPECT_EQ(image, before);
    {
        CZunQtDC dc(image);
        dc.bitBlt(0, 0, pattern, ZunRop::And);
    }
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xF0F0F0u);
    EXPECT_EQ(image.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(QtDevice, BitmapsConvertBothWays)
{
    QImage image = blank(3, 2);
    image.setPixel(2, 1, 0xFFABCDEF);
    const ZunBitmap bitmap = CZunQtDC::fromQImage(image);
    EXPECT_EQ(bitmap.pixel(2, 1), 0xABCDEFu);
    EXPECT_EQ(CZunQtDC::toQImage(bitmap), image);
}
