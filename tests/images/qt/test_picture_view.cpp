// The picture control's arithmetic and the picture object's drawing,
// without a window.
#include "images/qt/zun_picture.h"
#include "tests/images/qt/picture_images.h"
#include "tests/render/qt/pixel_probes.h"

#include <QPainter>

#include <gtest/gtest.h>

using ZUN::CPictureObject;
using ZUN::CPictureView;

namespace {

CPictureView viewOfPixels(int width, int height)
{
    CPictureView view;
    view.pixelWidth = width;
    view.pixelHeight = height;
    view.himetricWidth = width * 2540 / 96;
    view.himetricHeight = height * 2540 / 96;
    return view;
}

} // namespace

TEST(PictureView, PixelSizeRoundsHimetricAtTheScreenResolution)
{
    CPictureView view;
    view.setSize(2646, 1323, 96, 96);
    EXPECT_EQ(view.pixelWidth, 100);   // 100.5 truncates
    EXPECT_EQ(view.pixelHeight, 50);
    view.setSize(2646, 1323, 120, 144);
    EXPECT_EQ(view.pixelWidth, 125);
    EXPECT_EQ(view.pixelHeight, 75);
    view.setSize(26, 0, 96, 96);       // (2496 + 1270) / 2540 = 1
    EXPECT_EQ(view.pixelWidth, 1);
    EXPECT_EQ(view.pixelHeight, 0);
}

TEST(PictureView, FitShrinksButNeverEnlargesAndCentres)
{
    CPictureView small = viewOfPixels(60, 40);
    small.zoom = 3.0;
    EXPECT_DOUBLE_EQ(small.fitFactor(200, 100), 1.0);
    small.fit(200, 100);
    EXPECT_EQ(small.offsetX, 70);
    EXPECT_EQ(small.offsetY, 30);
    EXPECT_DOUBLE_EQ(small.zoom, 1.0);

    CPictureView wide = viewOfPixels(400, 50);
    EXPECT_DOUBLE_EQ(wide.fitFactor(200, 100), 2.0);
    wide.fit(200, 100);
    EXPECT_EQ(wide.offsetX, 0);
    EXPECT_EQ(wide.offsetY, 37);  // (100 - 25) / 2 truncated

    CPictureView tall = viewOfPixels(50, 300);
    EXPECT_DOUBLE_EQ(tall.fitFactor(200, 100), 3.0);
    tall.fit(200, 100);
    EXPECT_EQ(tall.offsetX, 91);  // (200 - 16.67) / 2
    EXPECT_EQ(tall.offsetY, 0);
}

TEST(PictureView, EmptyClientOrPictureGivesAFiniteView)
{
    CPictureView view = viewOfPixels(300, 200);
    EXPECT_DOUBLE_EQ(view.fitFactor(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(view.fitFactor(0, 100), 2.0);  // only the height counts
    view.fit(0, 0);
    EXPECT_EQ(view.offsetX, -150);
    EXPECT_EQ(view.offsetY, -100);
    // A metre-wide picture in a one-pixel control: sizes stop at the integer range.
    CPictureView huge = viewOfPixels(40000, 100);
    const CPictureView::RenderRects r = huge.renderRects(1, 1);
    EXPECT_EQ(r.cxSrc, INT32_MAX);
    EXPECT_EQ(r.cySrc, -huge.himetricHeight * 40000);
    CPictureView none;
    EXPECT_DOUBLE_EQ(none.fitFactor(100, 100), 1.0);
    none.fit(100, 100);
    EXPECT_EQ(none.offsetX, 50);
}

TEST(PictureView, ZoomStopsAfterPassingItsLimits)
{
    CPictureView view = viewOfPixels(100, 100);
    int steps = 0;
    while (view.wheel(120, 0, 0))
        ++steps;
    EXPECT_EQ(steps, 8);
    EXPECT_NEAR(view.zoom, 25.62890625, 1e-9);
    view.zoom = 1.0;
    steps = 0;
    while (view.wheel(-120, 0, 0))
        ++steps;
    EXPECT_EQ(steps, 2);
    EXPECT_NEAR(view.zoom, 4.0 / 9.0, 1e-12);
    // Any delta of at least 1 is a notch in, anything below one out.
    view.zoom = 1.0;
    EXPECT_TRUE(view.wheel(1, 0, 0));
    EXPECT_DOUBLE_EQ(view.zoom, 1.5);
    EXPECT_TRUE(view.wheel(0, 0, 0));
    EXPECT_DOUBLE_EQ(view.zoom, 1.0);
}

TEST(PictureView, ZoomMovesTheOffsetAboutTheCursorTruncatingTowardZero)
{
    CPictureView view = viewOfPixels(100, 100);
    view.offsetX = -7;
    view.offsetY = 20;
    ASSERT_TRUE(view.wheel(120, 0, 15));
    EXPECT_EQ(view.offsetX, -10);  // -10.5: toward zero, not down
    EXPECT_EQ(view.offsetY, 22);   // (20 - 15) * 1.5 + 15 = 22.5
    ASSERT_TRUE(view.wheel(-120, 0, 15));
    EXPECT_EQ(view.offsetX, -6);   // -6.67
    EXPECT_EQ(view.offsetY, 19);   // (22 - 15) / 1.5 + 15 = 19.67
    // The cursor on the picture's corner keeps it there.
    view.offsetX = 33;
    view.offsetY = 44;
    ASSERT_TRUE(view.wheel(120, 33, 44));
    EXPECT_EQ(view.offsetX, 33);
    EXPECT_EQ(view.offsetY, 44);
}

TEST(PictureView, RenderRectsShowThePictureAtZoomOverFit)
{
    CPictureView view = viewOfPixels(400, 50);
    view.fit(200, 100);
    view.zoom = 1.5;
    const CPictureView::RenderRects r = view.renderRects(200, 100);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 37);
    EXPECT_EQ(r.cx, 600);
    EXPECT_EQ(r.cy, 75);
    EXPECT_EQ(r.xSrc, 0);
    EXPECT_EQ(r.ySrc, view.himetricHeight);
    EXPECT_EQ(r.cxSrc, 2 * view.himetricWidth);
    EXPECT_EQ(r.cySrc, -2 * view.himetricHeight);
}

TEST(PictureObject, RasterSizeFollowsTheFileResolution)
{
    QImage image = coordinateImage(100, 60);
    image.setDotsPerMeterX(7559);  // 192 dpi
    image.setDotsPerMeterY(3780);  // 96 dpi
    CPictureObject picture;
    ASSERT_TRUE(picture.loadData(pngOf(image)));
    EXPECT_EQ(picture.kind(), CPictureObject::Kind::Raster);
    EXPECT_EQ(picture.himetricWidth(), 1323);
    EXPECT_EQ(picture.himetricHeight(), 1587);
    // A resolution of nothing is measured at 96 dpi.
    image.setDotsPerMeterX(1);
    ASSERT_TRUE(picture.loadData(pngOf(image)));
    EXPECT_EQ(picture.himetricWidth(), 2646);
}

TEST(PictureObject, RenderMapsTheSourceRectangleIncludingMirrors)
{
    CPictureObject picture;
    ASSERT_TRUE(picture.loadData(pngOf(coordinateImage(40, 20))));
    const int w = picture.himetricWidth();
    const int h = picture.himetricHeight();
    QImage out(80, 40, QImage::Format_RGB32);
    out.fill(Qt::black);
    {
        QPainter painter(&out);
        // The right half of the picture, doubled, into the left 40 x 40.
        picture.render(painter, 0, 0, 40, 40, w / 2, h, w / 2, -h, out.rect());
    }
    expectPixels(out, {{0, 0, qRgb(20, 0, 0x80)}, {39, 39, qRgb(39, 19, 0x80)}, {40, 0, qRgb(0, 0, 0)}});  // outside the destination: untouched

    out.fill(Qt::black);
    {
        QPainter painter(&out);
        // A source that runs up the picture turns it upside down.
        picture.render(painter, 0, 0, 80, 40, 0, 0, w, h, out.rect());
    }
    expectPixels(out, {{0, 0, qRgb(0, 19, 0x80)}, {79, 39, qRgb(39, 0, 0x80)}});
}

TEST(PictureObject, ShrinkingAveragesInsteadOfDroppingRows)
{
    // One-pixel stripes, black and white: shrunk to a third they must turn
    // grey, where sampling would pick one colour.
    QImage stripes(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            stripes.setPixel(x, y, (y % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    CPictureObject picture;
    ASSERT_TRUE(picture.loadData(pngOf(stripes)));
    QImage out(100, 100, QImage::Format_RGB32);
    out.fill(Qt::red);
    {
        QPainter painter(&out);
        picture.render(painter, 0, 0, 100, 100, 0, picture.himetricHeight(), picture.himetricWidth(),
                       -picture.himetricHeight(), out.rect());
    }
    for (const QPoint p : {QPoint(10, 10), QPoint(50, 51), QPoint(90, 73)}) {
        const int grey = qRed(out.pixel(p));
        EXPECT_GT(grey, 60) << p.x() << "," << p.y();
        EXPECT_LT(grey, 200) << p.x() << "," << p.y();
        EXPECT_EQ(qRed(out.pixel(p)), qBlue(out.pixel(p)));
    }
}

TEST(PictureObject, GarbageAndEmptyDataFailWithAReason)
{
    CPictureObject picture;
    ASSERT_TRUE(picture.loadData(pngOf(coordinateImage(4, 4))));
    for (const QByteArray& data : {QByteArray("no picture"), QByteArray(),
                                   QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect")}) {
        QString error;
        EXPECT_FALSE(picture.loadData(data, &error));
        EXPECT_FALSE(error.isEmpty()) << data.constData();
        EXPECT_TRUE(picture.isNull());
        EXPECT_EQ(picture.himetricWidth(), 0);
    }
}
