#include "render/qt/zun_cdc_qt.h"
#include "tests/render/qt/pixel_probes.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

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
    expectRgb(image, {{1, 1, kRed}, {3, 3, kBlue}});
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
    expectRgb(image, {{2, 2, kRed}, {8, 2, kWhite}, {2, 6, kWhite}});
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
    expectRgb(image, {{8, 8, kWhite}, {2, 8, kRed}});
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
    expectRgb(image, {{10, 10, kWhite}, {11, 11, kRed}, {4, 4, kBlue}});
    EXPECT_EQ(count(image, kWhite), 10 * 10 - 1);
}

// Single pixels keep to the clip, a rectangle or one with a polygon cut
// out, and to the picture, in each 32-bit format the device draws into,
// also where the device is said to be larger than its image: on each
// pixel of a 12 x 12 picture, set or not, exactly as QImage::setPixel with
// the same tests would.
struct PixelClipCase {
    const char* name;
    QImage::Format format;
    ZunIRect clip;
    bool cutOut;  // a 4 x 4 square cut out of the clip at (4, 4)
    QSize deviceSize;  // empty: the image's
    friend void PrintTo(const PixelClipCase& c, std::ostream* os) { *os << c.name; }
};

class QtDevicePixelClip : public ::testing::TestWithParam<PixelClipCase> {};

TEST_P(QtDevicePixelClip, PixelsKeepToClipAndPicture)
{
    const PixelClipCase& c = GetParam();
    QImage ours(12, 12, c.format), expected(12, 12, c.format);
    ours.fill(Qt::white);
    expected.fill(Qt::white);
    const QRegion cut(4, 4, 4, 4);
    QRegion allowed = QRegion(c.clip.left, c.clip.top, c.clip.width(), c.clip.height()).intersected(QRegion(0, 0, 12, 12));
    if (c.cutOut)
        allowed = allowed.subtracted(cut);
    {
        CZunQtDC dc(ours, c.deviceSize);
        dc.setClipRect(c.clip);
        if (c.cutOut)
            dc.excludeClipPolygon({{4, 4}, {8, 4}, {8, 8}, {4, 8}});
        for (int y = -2; y < 16; ++y)
            for (int x = -2; x < 16; ++x) {
                const ZunRgb colour = static_cast<ZunRgb>(0x010203 * (x + 3) + 0x100000 * (y + 3));
                dc.setPixel(x, y, colour);
                if (allowed.contains(QPoint(x, y)))
                    expected.setPixel(x, y, zunRgbToPixel(colour) | 0xFF000000u);
            }
    }
    EXPECT_EQ(ours, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtDevicePixelClip,
    ::testing::Values(PixelClipCase{"Whole", QImage::Format_RGB32, {0, 0, 12, 12}, false, {}},
                      PixelClipCase{"Rectangle", QImage::Format_RGB32, {2, 3, 9, 10}, false, {}},
                      PixelClipCase{"Empty", QImage::Format_RGB32, {9, 9, 3, 3}, false, {}},
                      PixelClipCase{"CutOut", QImage::Format_RGB32, {1, 1, 11, 11}, true, {}},
                      PixelClipCase{"Argb", QImage::Format_ARGB32, {2, 3, 9, 10}, false, {}},
                      PixelClipCase{"Premultiplied", QImage::Format_ARGB32_Premultiplied, {0, 0, 12, 12}, true, {}},
                      PixelClipCase{"DeviceLargerThanImage", QImage::Format_RGB32, {0, 0, 30, 30}, false, {30, 30}}),
    [](const ::testing::TestParamInfo<PixelClipCase>& info) { return info.param.name; });

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
    expectRgb(image, {{6, 1, kRed}, {6, 5, kWhite}});
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

// The device gathers hairlines and draws them together; whatever comes
// between them must still land on top of the lines before it and under the
// lines after it.
TEST(QtDeviceLines, GatheredLinesKeepTheirPlaceAmongOtherDrawing)
{
    QImage image = blank(20, 20);
    {
        CZunQtDC dc(image);
        dc.selectPen(0, kRed);
        dc.moveTo(0, 5);
        dc.lineTo(19, 5);
        dc.setPixel(10, 5, kBlue);  // on the line drawn before
        dc.selectSolidBrush(kBlue);
        dc.selectNullPen();
        dc.polygon(std::vector<ZunIPoint>{{0, 4}, {5, 4}, {5, 8}, {0, 8}});
        dc.selectPen(0, kRed);
        dc.moveTo(0, 6);
        dc.lineTo(19, 6);  // over the polygon
        dc.fillSolidRect({15, 0, 20, 20}, kWhite);
        dc.moveTo(0, 12);
        dc.lineTo(19, 12);
        dc.painter().fillRect(QRect(0, 12, 3, 1), Qt::blue);  // over the line before
        dc.moveTo(0, 15);
        dc.lineTo(19, 15);  // drawn when the device closes
    }
    expectRgb(image, {{10, 5, kBlue}, {9, 5, kRed}, {2, 5, kBlue}, {2, 6, kRed}, {17, 5, kWhite}, {17, 6, kWhite},
                      {1, 12, kBlue}, {4, 12, kRed}, {19, 15, kRed}});
}

// Thousands of lines in runs of one pen, wide pens between them, pixels and
// clip changes: the picture is the one that drawing every line on its own
// with QPainter gives. Pixels come in a colour of their own, or in the
// pen's colour as the dots of a dashed line do (those need not end a run).
// Pens are new ones each time, or taken in turn from ten (more than the
// device keeps made), as a drawing's few layers give them, or hairlines of
// six colours changed every few lines, as items of alternating colours
// give them: then runs of many pens wait together, their dots with them.
enum class PixelColour { Own, Pen };
enum class Pens { Random, TenInTurn, SixHairlinesPerItem };

class QtDeviceLineRuns : public ::testing::TestWithParam<std::tuple<PixelColour, Pens>> {};

TEST_P(QtDeviceLineRuns, GatheringChangesNoPixel)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pos(-20, 220), colour(0, 0xFFFFFF), roll(0, 99);
    QImage ours = blank(200, 200), direct = blank(200, 200);
    {
        CZunQtDC dc(ours);
        QPainter p(&direct);
        int width = 0;
        ZunRgb color = 0;
        int turn = 0;
        QRect clip(0, 0, 200, 200);
        const auto pen = [&] {
            dc.selectPen(width, color);
            QPen q(CZunQtDC::toQColor(color));
            q.setWidth(width > 1 ? width : 0);
            q.setCapStyle(Qt::RoundCap);
            q.setJoinStyle(Qt::RoundJoin);
            p.setPen(q);
        };
        pen();
        for (int i = 0; i < 12000; ++i) {
            const int r = roll(rng);
            const bool perItem = std::get<1>(GetParam()) == Pens::SixHairlinesPerItem;
            if (i > 2000 && perItem && r >= 80) {
                width = r % 2;
                color = 0x102030u * static_cast<ZunRgb>(r % 6 + 1);
                pen();
            } else if (i > 2000 && r < 3) {  // the first 2,000 lines are one run, longer than a batch
                if (r != 2 && std::get<1>(GetParam()) == Pens::TenInTurn) {
                    turn = (turn + 1 + r) % 10;  // five colours, each thin and wide
                    width = turn < 5 ? 3 : 0;
                    color = 0x203040u * static_cast<ZunRgb>(turn % 5 + 1);
                } else if (r != 2) {  // 2: the same pen again, as the painter selects per item
                    width = r == 0 ? 3 : 0;
                    color = static_cast<ZunRgb>(colour(rng));
                }
                pen();
            } else if (i > 2000 && (r == 3 || (perItem && r >= 60))) {
                const int x = pos(rng) & 127, y = pos(rng) & 127;
                const ZunRgb dot = std::get<0>(GetParam()) == PixelColour::Pen ? color : 0x00FF00;
                dc.setPixel(x, y, dot);
                if (clip.contains(x, y))
                    direct.setPixel(x, y, zunRgbToPixel(dot) | 0xFF000000u);
            } else if (i > 2000 && r == 4) {
                const int x = pos(rng) & 63, y = pos(rng) & 63;
                dc.setClipRect({x, y, x + 120, y + 120});
                clip = QRect(x, y, 120, 120);
                p.setClipRect(clip);
            } else {
                const QLine line(pos(rng), pos(rng), pos(rng), pos(rng));
                dc.moveTo(line.x1(), line.y1());
                dc.lineTo(line.x2(), line.y2());
                p.drawLine(line);
            }
        }
    }
    EXPECT_EQ(ours, direct);
}

INSTANTIATE_TEST_SUITE_P(Pixels, QtDeviceLineRuns,
                         ::testing::Combine(::testing::Values(PixelColour::Own, PixelColour::Pen),
                                            ::testing::Values(Pens::Random, Pens::TenInTurn,
                                                              Pens::SixHairlinesPerItem)));

// A pixel set on a line drawn just before it shows the pixel's colour,
// whether or not the line is still waiting in a run: in the pen's colour,
// in another one, with a wide pen, and after the pen was changed through
// the painter behind the device's back.
struct PixelOnLine {
    const char* name;
    int width;
    ZunRgb pixel;
    bool penThroughPainter;  // the line is drawn blue through painter().setPen
    friend void PrintTo(const PixelOnLine& c, std::ostream* os) { *os << c.name; }
};

class QtDevicePixelOnLine : public ::testing::TestWithParam<PixelOnLine> {};

TEST_P(QtDevicePixelOnLine, PixelComesOutOnTop)
{
    const PixelOnLine& c = GetParam();
    QImage image = blank(20, 20);
    {
        CZunQtDC dc(image);
        dc.selectPen(c.width, kRed);
        if (c.penThroughPainter)
            dc.painter().setPen(QPen(Qt::blue, 0));
        dc.moveTo(2, 10);
        dc.lineTo(17, 10);
        dc.setPixel(10, 10, c.pixel);
    }
    const ZunRgb line = c.penThroughPainter ? kBlue : kRed;
    expectRgb(image, {{10, 10, c.pixel}, {4, 10, line}, {15, 10, line}});
}

INSTANTIATE_TEST_SUITE_P(Cases, QtDevicePixelOnLine,
                         ::testing::Values(PixelOnLine{"PenColour", 0, kRed, false},
                                           PixelOnLine{"OtherColour", 0, 0x00FF00, false},
                                           PixelOnLine{"WidePen", 3, 0x00FF00, false},
                                           PixelOnLine{"WidePenColour", 3, kRed, false},
                                           PixelOnLine{"PainterPen", 0, kRed, true}),
                         [](const ::testing::TestParamInfo<PixelOnLine>& info) { return info.param.name; });

TEST(QtDeviceLines, APenChangedThroughThePainterIsSelectedAgain)
{
    QImage image = blank(10, 10);
    {
        CZunQtDC dc(image);
        dc.selectPen(0, kRed);
        dc.painter().setPen(Qt::blue);
        dc.selectPen(0, kRed);  // the same pen as selected last: it must still come back
        dc.moveTo(0, 3);
        dc.lineTo(9, 3);
    }
    EXPECT_EQ(count(image, kRed), 10);
}
