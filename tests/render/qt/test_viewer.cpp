#include "render/qt/zun_dplist_image.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFFFF0000;

CZunGDX whiteList()
{
    CZunColor white(7);
    return CZunGDX(white, CZunMatrix3d(), 0.0, 0, {}, {});
}

CZunVertexArray squareVl(double x, double y, double size)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}, true);
}

// Receives the posted pick events.
class PickSink : public QWidget {
public:
    int id = -1;
    int group = -1;
    bool event(QEvent* e) override
    {
        if (e->type() == CZunPickEvent::eventType()) {
            auto* pick = static_cast<CZunPickEvent*>(e);
            id = pick->controlId();
            group = pick->group();
            return true;
        }
        return QWidget::event(e);
    }
};

// The point of a model coordinate on screen through the list's matrices.
QPointF screenOf(const CZunGDX& gdx, const CZunPoint3d& p)
{
    const CZunPoint3d s = p * (gdx.zoomMtxGet() * gdx.viewMtxGet() * gdx.projMtxGet());
    return {s.x, s.y};
}

void wheel(QWidget& w, QPoint at, int delta, Qt::MouseButtons buttons = Qt::NoButton)
{
    QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), buttons, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(&w, &event);
}

} // namespace

TEST(Viewer, FitsAndPaintsTheListWithThePainter)
{
    CZunGDX gdx = whiteList();
    gdx.imageReg({1}, gdxFlagFill, {squareVl(0, 0, 10)}, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(1), {}, {});
    CZunDplistImage view;
    view.resize(200, 100);
    EXPECT_FALSE(view.set_dpList(nullptr));
    EXPECT_TRUE(view.set_dpList(&gdx));
    view.zoomExtents();
    const QImage image = view.renderImage();
    EXPECT_EQ(image.pixel(100, 50), kRed);   // the middle of the fitted square
    EXPECT_EQ(image.pixel(5, 50), 0xFFFFFFFFu);  // left of it: background
}

TEST(Viewer, WheelZoomKeepsThePointUnderTheCursor)
{
    CZunGDX gdx = whiteList();
    gdx.imageVl({1}, 0, squareVl(0, 0, 10), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    CZunDplistImage view;
    view.resize(200, 100);
    view.set_dpList(&gdx);
    view.zoomExtents();
    const QPoint at(120, 40);
    const CZunPoint3d model = gdx.imagePtWc(CZunPoint3d(at.x(), at.y(), 0));
    const double before = gdx.zoomMtxGet().scale();
    wheel(view, at, 120);
    EXPECT_NEAR(gdx.zoomMtxGet().scale(), before * 1.2, 1e-12);
    const QPointF after = screenOf(gdx, model);
    EXPECT_NEAR(after.x(), 120.0, 1e-9);
    EXPECT_NEAR(after.y(), 40.0, 1e-9);
    wheel(view, at, -120);
    EXPECT_NEAR(gdx.zoomMtxGet().scale(), before, 1e-12);
    wheel(view, at, 0);  // no delta: no change
    EXPECT_NEAR(gdx.zoomMtxGet().scale(), before, 1e-12);
    wheel(view, at, 120, Qt::MiddleButton);  // refused while panning
    EXPECT_NEAR(gdx.zoomMtxGet().scale(), before, 1e-12);
}

TEST(Viewer, MiddleDragPansByTheMouseDisplacementAndDoubleClickFits)
{
    CZunGDX gdx = whiteList();
    gdx.imageVl({1}, 0, squareVl(0, 0, 10), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    CZunDplistImage view;
    view.resize(200, 100);
    view.set_dpList(&gdx);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.zoomExtents();
    const QPointF start = screenOf(gdx, {5, 5, 0});
    QTest::mousePress(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 35), view.mapToGlobal(QPointF(80, 35)), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(80, 35));
    const QPointF moved = screenOf(gdx, {5, 5, 0});
    EXPECT_NEAR(moved.x() - start.x(), 30.0, 1e-9);
    EXPECT_NEAR(moved.y() - start.y(), -15.0, 1e-9);
    QTest::mouseDClick(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(gdx.zoomMtxGet().isEqualTo(CZunMatrix3d::kIdentity));
}

TEST(Viewer, PickPostsTheGroupToTheParentAndEmitsIt)
{
    PickSink parent;
    parent.resize(300, 200);
    CZunGDX gdx = whiteList();
    gdx.imageVl({7, 2}, 0, squareVl(0, 0, 10), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    auto* view = new CZunDplistImage(&parent, 1042);
    view->resize(200, 100);
    view->set_dpList(&gdx);
    view->zoomExtents();
    int signalled = -1;
    QObject::connect(view, &CZunDplistImage::picked, [&](int, int group) { signalled = group; });
    const QPointF edge = screenOf(gdx, {0, 5, 0});
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, edge.toPoint());
    QCoreApplication::processEvents();
    EXPECT_EQ(signalled, 7);
    EXPECT_EQ(parent.group, 7);
    EXPECT_EQ(parent.id, 1042);
    parent.group = -1;
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(199, 2));  // empty space
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.group, -1);
}

TEST(PolylinePreview, GroupsHighlightAndForeground)
{
    CZunVllImage view;
    view.resize(120, 120);
    view.SetBkColor(0x808080);  // mean 128: black foreground
    EXPECT_EQ(view.foreground(), 0u);
    view.SetBkColor(0x7F7F7F);  // mean 127: white foreground
    EXPECT_EQ(view.foreground(), 0xFFFFFFu);
    view.setVll({squareVl(0, 0, 10), squareVl(20, 0, 10)});
    CZunGDX& gdx = view.displayList();
    ASSERT_EQ(gdx.lenGet(), 3);
    EXPECT_EQ(gdx.flagGet(0), 1024u);
    EXPECT_EQ(gdx.flagGet(1), 1536u);
    EXPECT_EQ(view.SetCurVl(1), -1);
    EXPECT_EQ(gdxColorModeOfFlag(gdx.flagGet(2)), 1);
    EXPECT_EQ(view.SetCurVl(-1), 1);
    EXPECT_EQ(gdxColorModeOfFlag(gdx.flagGet(2)), 6);
    EXPECT_TRUE(view.setDrawBase(false));
    EXPECT_TRUE(gdx.flagGet(0) & gdxFlagHidden);
}
