// The viewer on a screen of device pixel ratio 2: the picture has the
// screen's pixels and shows what a window of twice the size at ratio 1
// shows, not a picture of the widget's size blown up.
//
// The ratio comes from the platform (QT_SCALE_FACTOR=2), which must be set
// before the application starts: ctest runs these under their own name
// (RenderQt.ViewerHighDpi) with ZUN_TEST_PIXEL_RATIO=2; in the plain run of
// the suite they are skipped.

#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_cdc_qt.h"
#include "tests/render/qt/pixel_probes.h"
#include "render/qt/zun_dplist_image.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kWidth = 180;
constexpr int kHeight = 120;

// A list with what a ratio of 1 would draw coarser: slanted lines, an arc,
// a filled region and a point.
CZunGDX sampleList()
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    CZunVertexArray slant;
    slant.append({0, 0, 0}, {97, 31, 0});
    slant.append({97, 31, 0}, {13, 61, 0});
    gdx.imageVl({1}, 0, slant, CZunColor(1), {}, {1.0}, 1.0, 0, {});
    CZunVertexArray arc;
    arc.append({35, 15, 0}, {55, 35, 0}, 0.6);
    gdx.imageVl({2}, 0, arc, CZunColor(5), {}, {1.0}, 1.0, 0, {});
    const CZunVertexArray triangle =
        CZunVertexArray::fromPoints(CZunPoint3dArray{{70, 5}, {95, 12}, {78, 40}}, true);
    gdx.imageReg({3}, gdxFlagFill, {triangle}, CZunColor(3), {}, {1.0}, 1.0, 0, CZunColor(3), {}, {});
    gdx.imagePt({4}, 0, {40, 40, 0}, CZunColor(6), CZunMatrix3d(), 0.0, 0, {});
    return gdx;
}

// What a window of the device's size at ratio 1 paints, with the list
// fitted into it and the viewer's zoom carried over to its pixels.
QImage paintedAtRatioOne(const CZunGDX& shown, const QSize& device, qreal ratio)
{
    CZunGDX copy = shown;
    zunFitToWindow(copy, device.height(), device.width());
    const CZunMatrix3d up = CZunMatrix3d().setToScaling(ratio);
    const CZunMatrix3d down = CZunMatrix3d().setToScaling(1.0 / ratio);
    copy.zoomMtxSet(up * shown.zoomMtxGet() * down);
    QImage image(device, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.paint(&copy);
    return image;
}

// Ink pixels whose right or lower neighbour in their 2 x 2 block differs:
// none in a picture that was painted at half the size and doubled.
int finerThanTwo(const QImage& image)
{
    int n = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2)
            n += image.pixel(x, y) != image.pixel(x + 1, y) || image.pixel(x, y) != image.pixel(x, y + 1);
    return n;
}

class ViewerHighDpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray wanted = qgetenv("ZUN_TEST_PIXEL_RATIO");
        if (wanted.isEmpty())
            GTEST_SKIP() << "run by the ctest RenderQt.ViewerHighDpi at QT_SCALE_FACTOR=2";
        m_ratio = wanted.toDouble();
        m_view.resize(kWidth, kHeight);
        m_view.set_dpList(&m_gdx);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        ASSERT_DOUBLE_EQ(m_view.devicePixelRatioF(), m_ratio);
        m_view.zoomExtents();
    }

    QSize deviceSize() const { return QSize(kWidth, kHeight) * m_ratio; }

    CZunGDX m_gdx = sampleList();
    CZunDplistImage m_view;
    qreal m_ratio = 1.0;
};

} // namespace

TEST_F(ViewerHighDpi, PaintsTheScreensPixelsAsAWindowOfTwiceTheSizeWould)
{
    const QImage image = m_view.renderImage();
    EXPECT_EQ(image.size(), deviceSize());
    EXPECT_EQ(m_view.lastPaint().kind, CZunDplistImage::Repaint::Full);
    EXPECT_EQ(differingPixels(image, paintedAtRatioOne(m_gdx, deviceSize(), m_ratio)), 0);
    EXPECT_GT(finerThanTwo(image), 20);
    // The list keeps the widget's pixels: a pick at a widget point finds
    // what is drawn there.
    EXPECT_TRUE(m_gdx.zoomMtxGet().isEqualTo(CZunMatrix3d::kIdentity));
}

TEST_F(ViewerHighDpi, WholePixelPansAndZoomStayExactAtTheScreensPixels)
{
    m_view.renderImage();
    // A drag with the middle button by whole widget pixels scrolls the kept
    // picture by whole device pixels; it must give the pixels of a new paint.
    m_view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_view));
    QTest::mousePress(&m_view, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 50));
    for (const QPoint& to : {QPoint(48, 49), QPoint(46, 48), QPoint(47, 47)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(to), m_view.mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(&m_view, &move);
        const QImage image = m_view.renderImage();
        EXPECT_EQ(m_view.lastPaint().kind, CZunDplistImage::Repaint::Scrolled) << to.x() << "," << to.y();
        EXPECT_EQ(differingPixels(image, paintedAtRatioOne(m_gdx, deviceSize(), m_ratio)), 0) << to.x() << "," << to.y();
    }
    QTest::mouseRelease(&m_view, Qt::MiddleButton, Qt::NoModifier, QPoint(47, 47));

    QWheelEvent wheel(QPointF(60, 50), m_view.mapToGlobal(QPointF(60, 50)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&m_view, &wheel);
    EXPECT_EQ(differingPixels(m_view.renderImage(), paintedAtRatioOne(m_gdx, deviceSize(), m_ratio)), 0);
    EXPECT_EQ(m_view.lastPaint().kind, CZunDplistImage::Repaint::Full);
}
