#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_picture_transparency.h"

#include <gtest/gtest.h>

// Guessing a picture's background from its sample pixels, and drawing the
// picture onto a real raster target with that colour left out.

namespace {

// Colours as pens take them (0x00BBGGRR).
constexpr ZunRgb kRed = 0x0000FF;
constexpr ZunRgb kGreen = 0x00FF00;
constexpr ZunRgb kBlue = 0xFF0000;
constexpr ZunRgb kGrey = 0x808080;
constexpr ZunRgb kYellow = 0x00FFFF;
constexpr ZunRgb kTarget = 0x336699;

ZunBitmap filled(int w, int h, ZunRgb color)
{
    ZunBitmap b;
    b.width = w;
    b.height = h;
    b.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), zunRgbToPixel(color));
    return b;
}

void put(ZunBitmap& b, int x, int y, ZunRgb color)
{
    b.pixels[static_cast<size_t>(y) * static_cast<size_t>(b.width) + static_cast<size_t>(x)] = zunRgbToPixel(color);
}

ZunRgb at(const QImage& image, int x, int y)
{
    return zunPixelToRgb(image.pixel(x, y) & 0xFFFFFFu);
}

QImage targetImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(CZunQtDC::toQColor(kTarget));
    return image;
}

// Draws the picture at (x, y) onto a fresh target and returns the target.
QImage drawnOnTarget(const ZunBitmap& picture, int x, int y, int w = 20, int h = 20)
{
    QImage image = targetImage(w, h);
    CZunQtDC dc(image);
    zun_gdx_picture_transparent(&dc, x, y, 0, 0, picture);
    return image;
}

} // namespace

TEST(PictureBackground, SharedCornerColourWinsOverTheCentre)
{
    ZunBitmap b = filled(7, 5, kGreen);
    // The centre sample of 7 x 5 sits at (3, 2).
    put(b, 3, 2, kRed);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(b), kGreen);
    // Three corners of one colour outvote two of another, whatever the values.
    ZunBitmap c = filled(6, 6, kBlue);
    put(c, 0, 0, kRed);
    put(c, 5, 5, kRed);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(c), kBlue);
}

TEST(PictureBackground, TiesGoToTheSmallestColourValue)
{
    // Five different colours, one at each sample point, each counted once.
    ZunBitmap b = filled(5, 5, kTarget);
    put(b, 0, 0, 0x40FF00);
    put(b, 4, 0, 0x000010);
    put(b, 0, 4, 0x000030);
    put(b, 2, 2, 0x000008);
    put(b, 4, 4, 0xFFFFFF);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(b), 0x000008u);
    // Two pairs and a single: the pair of the smaller value, not the one seen first.
    ZunBitmap p = filled(5, 5, kTarget);
    put(p, 0, 0, kBlue);
    put(p, 4, 0, kBlue);
    put(p, 0, 4, kRed);
    put(p, 2, 2, kYellow);
    put(p, 4, 4, kRed);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(p), kRed);
}

TEST(PictureBackground, SamplePointsAreTruncatedAndTinyPicturesSampleOnePixel)
{
    // 4 x 4: the centre is (trunc(1.5), trunc(1.5)) = (1, 1), not (2, 2).
    // Red wins with the centre at (1, 1); blue would win with it at (2, 2).
    ZunBitmap b = filled(4, 4, kGrey);
    put(b, 0, 0, kRed);
    put(b, 3, 0, kRed);
    put(b, 1, 1, kRed);
    put(b, 0, 3, kBlue);
    put(b, 3, 3, kBlue);
    put(b, 2, 2, kBlue);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(b), kRed);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(filled(1, 1, kYellow)), kYellow);
    // 1 x 3: every sample in the one column, the centre at row 1.
    ZunBitmap column = filled(1, 3, kGrey);
    put(column, 0, 1, kRed);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(column), kGrey);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(ZunBitmap{}), 0u);
}

TEST(PictureBackground, QImageReadsTheSameColours)
{
    QImage image(9, 9, QImage::Format_ARGB32);
    image.fill(CZunQtDC::toQColor(kYellow));
    image.setPixel(4, 4, 0xFF0000FFu);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(image), kYellow);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(QImage()), 0u);
}

TEST(PictureTransparent, BackgroundShowsTheTargetAndTheRestIsOpaque)
{
    // A green picture with a red 2 x 2 block in its middle.
    ZunBitmap picture = filled(6, 6, kGreen);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 4; ++x)
            put(picture, x, y, kRed);
    QImage image = targetImage(20, 20);
    {
        CZunQtDC dc(image);
        dc.setBkColor(kBlue);
        zun_gdx_picture_transparent(&dc, 5, 7, 99, 99, picture);
        EXPECT_EQ(dc.bkColor(), kBlue);  // restored
    }
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool red = x >= 7 && x < 9 && y >= 9 && y < 11;
            ASSERT_EQ(at(image, x, y), red ? kRed : kTarget) << x << "," << y;
        }
}

TEST(PictureTransparent, BackgroundMissingFromTheSamplePointsStaysOpaque)
{
    // The true background (grey) is at no sample point: the corners are
    // yellow and so taken for the background, the centre is blue.
    ZunBitmap picture = filled(9, 9, kGrey);
    for (const auto& [x, y] : {std::pair{0, 0}, {8, 0}, {0, 8}, {8, 8}})
        put(picture, x, y, kYellow);
    put(picture, 4, 4, kBlue);
    const QImage image = drawnOnTarget(picture, 3, 3);
    EXPECT_EQ(at(image, 3, 3), kTarget);    // a yellow corner left out
    EXPECT_EQ(at(image, 11, 11), kTarget);
    EXPECT_EQ(at(image, 4, 3), kGrey);      // the grey covers the target
    EXPECT_EQ(at(image, 9, 10), kGrey);
    EXPECT_EQ(at(image, 7, 7), kBlue);
    EXPECT_EQ(at(image, 2, 2), kTarget);    // outside the picture
    EXPECT_EQ(at(image, 12, 12), kTarget);
}

TEST(PictureTransparent, OnePixelPictureIsAllBackground)
{
    const QImage image = drawnOnTarget(filled(1, 1, kRed), 4, 4);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(at(image, x, y), kTarget) << x << "," << y;
}

TEST(PictureTransparent, PartlyOutsideTheTargetAndFromAQImage)
{
    // The picture's background is black, the same bits the mask clears
    // with: only the white cross must appear.
    QImage picture(5, 5, QImage::Format_RGB32);
    picture.fill(Qt::black);
    for (int k = 0; k < 5; ++k) {
        picture.setPixel(2, k, 0xFFFFFFFFu);
        picture.setPixel(k, 2, 0xFFFFFFFFu);
    }
    QImage image = targetImage(6, 6);
    {
        CZunQtDC dc(image);
        zun_gdx_picture_transparent(&dc, 3, -2, 0, 0, picture);
        zun_gdx_picture_transparent(nullptr, 0, 0, 0, 0, picture);  // no target: nothing to do
    }
    EXPECT_EQ(at(image, 5, 0), 0xFFFFFFu);  // the cross's arm, picture (2, 2)
    EXPECT_EQ(at(image, 3, 0), 0xFFFFFFu);
    EXPECT_EQ(at(image, 4, 0), 0xFFFFFFu);
    EXPECT_EQ(at(image, 5, 2), 0xFFFFFFu);  // picture (2, 4)
    EXPECT_EQ(at(image, 4, 1), kTarget);    // picture (1, 3): black, left out
    EXPECT_EQ(at(image, 0, 0), kTarget);
    EXPECT_EQ(at(image, 5, 3), kTarget);    // below the picture
}
