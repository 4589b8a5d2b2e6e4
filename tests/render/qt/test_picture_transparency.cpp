#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_picture_transparency.h"
#include "tests/render/qt/pixel_probes.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

// A bitmap of one colour with a few pixels set, and the background colour
// its sample points (the corners and the centre) must give.
struct BackgroundGuess {
    const char* name;
    int width, height;
    ZunRgb fill;
    std::vector<std::pair<std::pair<int, int>, ZunRgb>> pixels;
    ZunRgb expected;
};

void PrintTo(const BackgroundGuess& g, std::ostream* os)
{
    *os << g.name;
}

const BackgroundGuess kBackgroundGuesses[] = {
    // The centre sample of 7 x 5 sits at (3, 2).
    {"SharedCornerColourWinsOverTheCentre", 7, 5, kGreen, {{{3, 2}, kRed}}, kGreen},
    // Three corners of one colour outvote two of another, whatever the values.
    {"ThreeCornersOutvoteTwo", 6, 6, kBlue, {{{0, 0}, kRed}, {{5, 5}, kRed}}, kBlue},
    // Five different colours, one at each sample point, each counted once.
    {"TiesGoToTheSmallestColourValue", 5, 5, kTarget,
     {{{0, 0}, 0x40FF00}, {{4, 0}, 0x000010}, {{0, 4}, 0x000030}, {{2, 2}, 0x000008}, {{4, 4}, 0xFFFFFF}}, 0x000008},
    // Two pairs and a single: the pair of the smaller value, not the one seen first.
    {"TiedPairsGoToTheSmallerValue", 5, 5, kTarget,
     {{{0, 0}, kBlue}, {{4, 0}, kBlue}, {{0, 4}, kRed}, {{2, 2}, kYellow}, {{4, 4}, kRed}}, kRed},
    // 4 x 4: the centre is (trunc(1.5), trunc(1.5)) = (1, 1), not (2, 2).
    // Red wins with the centre at (1, 1); blue would win with it at (2, 2).
    {"SamplePointsAreTruncated", 4, 4, kGrey,
     {{{0, 0}, kRed}, {{3, 0}, kRed}, {{1, 1}, kRed}, {{0, 3}, kBlue}, {{3, 3}, kBlue}, {{2, 2}, kBlue}}, kRed},
    {"OnePixelSamplesItself", 1, 1, kYellow, {}, kYellow},
    // 1 x 3: every sample in the one column, the centre at row 1.
    {"OneColumnSamplesItsRows", 1, 3, kGrey, {{{0, 1}, kRed}}, kGrey},
    {"EmptyBitmapGivesBlack", 0, 0, kGrey, {}, 0},
};

class PictureBackground : public ::testing::TestWithParam<BackgroundGuess> {};

} // namespace

TEST_P(PictureBackground, IsGuessedFromTheSamplePoints)
{
    const BackgroundGuess& g = GetParam();
    ZunBitmap b = g.width > 0 ? filled(g.width, g.height, g.fill) : ZunBitmap{};
    for (const auto& [at, color] : g.pixels)
        put(b, at.first, at.second, color);
    EXPECT_EQ(zun_gdx_picture_bkcolor_get(b), g.expected);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, PictureBackground, ::testing::ValuesIn(kBackgroundGuesses),
                         [](const ::testing::TestParamInfo<BackgroundGuess>& info) { return info.param.name; });

TEST(PictureBackgroundOfQImage, ReadsTheSameColours)
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
    expectRgb(image, {{3, 3, kTarget},  // a yellow corner left out
                      {11, 11, kTarget}, {4, 3, kGrey},  // the grey covers the target
                      {9, 10, kGrey}, {7, 7, kBlue}, {2, 2, kTarget},  // outside the picture
                      {12, 12, kTarget}});
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
    expectRgb(image, {{5, 0, 0xFFFFFFu},  // the cross's arm, picture (2, 2)
                      {3, 0, 0xFFFFFFu}, {4, 0, 0xFFFFFFu}, {5, 2, 0xFFFFFFu},  // picture (2, 4)
                      {4, 1, kTarget},  // picture (1, 3): black, left out
                      {0, 0, kTarget}, {5, 3, kTarget}});  // below the picture
}
