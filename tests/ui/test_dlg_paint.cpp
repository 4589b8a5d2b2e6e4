// The size grip: three groups of grey, grey and white diagonals in the
// bottom right corner of a resizable dialog, none on a fixed one.
#include "tests/ui/ui_test_util.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kWhite = qRgb(255, 255, 255);


// What the pixel at distance d (steps left plus steps up from the corner
// pixel) shows: the line from (w - a, h) to (w, h - a) crosses the client
// area on the pixels with d = a - 2.
enum class Expect { Grey, White, Background, Any };

Expect expectedAt(int d)
{
    const int a = d + 2;
    switch (a) {
    case 3: case 4: case 7: case 8: case 11: case 12:
        return Expect::Grey;
    case 5: case 9: case 13:
        return Expect::White;
    case 2: case 6: case 10: case 14:
        return Expect::Background;
    default:
        return Expect::Any;
    }
}

QImage grabbed(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << "x" << size.height();
}

class SizeGripTest : public DlgTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(SizeGripTest, TheCornerShowsTheGripPixelForPixel)
{
    ASSERT_TRUE(dlg.Create());
    dlg.resize(GetParam());
    QCoreApplication::processEvents();
    ASSERT_TRUE(dlg.isResizable());
    const QImage image = grabbed(dlg);
    const int w = image.width();
    const int h = image.height();
    ASSERT_EQ(QSize(w, h), dlg.size());
    const QRgb background = image.pixel(w - 1, h - 1);
    ASSERT_NE(background, kGrey);
    ASSERT_NE(background, kWhite);

    int grey = 0;
    int white = 0;
    for (int y = h - 14; y < h; ++y) {
        for (int x = w - 14; x < w; ++x) {
            const int d = (w - 1 - x) + (h - 1 - y);
            const QRgb pixel = image.pixel(x, y);
            switch (expectedAt(d)) {
            case Expect::Grey:
                EXPECT_EQ(pixel, kGrey) << "at " << x << "," << y;
                grey += pixel == kGrey;
                break;
            case Expect::White:
                EXPECT_EQ(pixel, kWhite) << "at " << x << "," << y;
                white += pixel == kWhite;
                break;
            case Expect::Background:
                EXPECT_EQ(pixel, background) << "at " << x << "," << y;
                break;
            case Expect::Any:
                break;
            }
        }
    }
    // Pixels per line: a - 1; grey lines a = 3, 4, 7, 8, 11, 12; white 5, 9, 13.
    EXPECT_EQ(grey, 2 + 3 + 6 + 7 + 10 + 11);
    EXPECT_EQ(white, 4 + 8 + 12);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizeGripTest, ::testing::Values(QSize(320, 360), QSize(401, 433), QSize(640, 480)));

TEST(SizeGrip, TheLinesRunFromTheBottomEdgeToTheRightEdge)
{
    ZUN::SizeGripLine lines[9];
    ZUN::sizeGripLines(100, 50, lines);
    EXPECT_EQ(lines[0].from, QPoint(97, 50));
    EXPECT_EQ(lines[0].to, QPoint(100, 47));
    EXPECT_FALSE(lines[0].white);
    EXPECT_EQ(lines[1].from, QPoint(96, 50));
    EXPECT_EQ(lines[2].from, QPoint(95, 50));
    EXPECT_EQ(lines[2].to, QPoint(100, 45));
    EXPECT_TRUE(lines[2].white);
    EXPECT_EQ(lines[3].from, QPoint(93, 50));
    EXPECT_EQ(lines[8].from, QPoint(87, 50));
    EXPECT_EQ(lines[8].to, QPoint(100, 37));
}

TEST(SizeGrip, AFixedDialogHasNone)
{
    CTestSettings settings;
    CTestDlg dlg(kTplFixed);
    ASSERT_TRUE(dlg.Create());
    QCoreApplication::processEvents();
    ASSERT_FALSE(dlg.isResizable());
    const QImage image = grabbed(dlg);
    for (int y = image.height() - 14; y < image.height(); ++y) {
        for (int x = image.width() - 14; x < image.width(); ++x)
            EXPECT_NE(image.pixel(x, y), kGrey) << "at " << x << "," << y;
    }
    dlg.DestroyWindow();
}
