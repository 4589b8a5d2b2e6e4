// Keyboard zoom and pan and the zoom window on the viewer: what each key
// and drag does to the view matrix, and that a zoom-window drag picks
// nothing.

#include "host_window_fixture.h"

#include "host/desktop/zun_view_navigation.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

CZunGDX squareList()
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    gdx.imageVl({1}, 0, CZunVertexArray::fromPoints(CZunPoint3dArray{{0, 0}, {30, 0}, {30, 20}, {0, 20}}, true),
                CZunColor(1), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({2}, 0, CZunVertexArray::fromPoints(CZunPoint3dArray{{5, 5}, {25, 15}}, false), CZunColor(3), {},
                {1.0}, 1.0, 0, {});
    return gdx;
}

// Where a widget point goes under the zoom.
QPointF zoomed(const CZunMatrix3d& zoom, const QPointF& p)
{
    const CZunPoint3d q = zoom * CZunPoint3d(p.x(), p.y(), 0.0);
    return {q.x, q.y};
}

void mouse(QWidget& w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(at), w.mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(&w, &event);
}

void drag(QWidget& w, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from, modifiers);
    mouse(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, (from + to) / 2, modifiers);
    mouse(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to, modifiers);
    mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to, modifiers);
}

class ViewNavigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_view.resize(kWidth, kHeight);
        m_view.set_dpList(&m_gdx);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        m_view.zoomExtents();
        m_view.setFocus();
    }

    CZunGDX m_gdx = squareList();
    CZunDplistImage m_view;
    CZunViewNavigation m_navigation{&m_view};
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    // Where the widget point (150, 100) goes, from the window's middle (120, 80).
    double scale;
    double shiftX;
    double shiftY;
};

class ViewNavigationKeys : public ViewNavigation, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ViewNavigationKeys, ZoomAboutTheMiddleOrPanByAnEighth)
{
    const KeyCase& c = GetParam();
    QTest::keyClick(&m_view, c.key);
    const CZunMatrix3d& zoom = m_view.zoomMtx();
    EXPECT_TRUE(zoom.isEqualTo(m_gdx.zoomMtxGet())) << "the list follows the viewer";
    const QPointF middle = zoomed(zoom, {120, 80});
    const QPointF p = zoomed(zoom, {150, 100});
    EXPECT_NEAR(middle.x(), 120 + c.shiftX, 1e-9);
    EXPECT_NEAR(middle.y(), 80 + c.shiftY, 1e-9);
    EXPECT_NEAR(p.x() - middle.x(), 30 * c.scale, 1e-9);
    EXPECT_NEAR(p.y() - middle.y(), 20 * c.scale, 1e-9);
    // Pans are by whole pixels, so that the viewer scrolls its picture.
    if (c.scale == 1) {
        EXPECT_EQ(zoom[0][3], std::round(zoom[0][3]));
        EXPECT_EQ(zoom[1][3], std::round(zoom[1][3]));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ViewNavigationKeys,
    ::testing::Values(KeyCase{"Plus", Qt::Key_Plus, 1.2, 0, 0}, KeyCase{"Equal", Qt::Key_Equal, 1.2, 0, 0},
                      KeyCase{"Minus", Qt::Key_Minus, 1 / 1.2, 0, 0},
                      KeyCase{"Right", Qt::Key_Right, 1, -kWidth / 8, 0},
                      KeyCase{"Left", Qt::Key_Left, 1, kWidth / 8, 0}, KeyCase{"Up", Qt::Key_Up, 1, 0, kHeight / 8},
                      KeyCase{"Down", Qt::Key_Down, 1, 0, -kHeight / 8}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(ViewNavigation, HomeAsksForAFitAndKeysWithCtrlAreLeftToTheWindow)
{
    QSignalSpy fit(&m_navigation, &CZunViewNavigation::fitRequested);
    QTest::keyClick(&m_view, Qt::Key_Home);
    EXPECT_EQ(fit.count(), 1);
    QTest::keyClick(&m_view, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(&m_view, Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(m_view.zoomMtx().isEqualTo(CZunMatrix3d::kIdentity));
}

struct RectCase {
    QRect rect;
    double scale;  // min(240 / w, 160 / h)
};

class ViewNavigationRect : public ViewNavigation, public ::testing::WithParamInterface<RectCase> {};

TEST_P(ViewNavigationRect, AShiftDragFillsTheWindowWithTheRectangleAndPicksNothing)
{
    const RectCase& c = GetParam();
    QSignalSpy picked(&m_view, &CZunDplistImage::picked);
    // Dragged from either corner: the rectangle is the same.
    drag(m_view, c.rect.bottomRight() + QPoint(1, 1), c.rect.topLeft(), Qt::ShiftModifier);
    EXPECT_EQ(picked.count(), 0);
    const CZunMatrix3d& zoom = m_view.zoomMtx();
    const QPointF middle(c.rect.x() + c.rect.width() / 2.0, c.rect.y() + c.rect.height() / 2.0);
    const QPointF to = zoomed(zoom, middle);
    EXPECT_NEAR(to.x(), kWidth / 2.0, 1e-9);
    EXPECT_NEAR(to.y(), kHeight / 2.0, 1e-9);
    EXPECT_NEAR(zoom.scale(), c.scale, 1e-12);
    // The rectangle's longer side (for the window) fills it exactly.
    const QPointF corner = zoomed(zoom, QPointF(c.rect.topLeft()));
    EXPECT_TRUE(std::abs(corner.x()) < 1e-9 || std::abs(corner.y()) < 1e-9) << corner.x() << "," << corner.y();
}

INSTANTIATE_TEST_SUITE_P(Rects, ViewNavigationRect,
                         ::testing::Values(RectCase{QRect(40, 30, 60, 40), 4.0},    // the window's shape
                                           RectCase{QRect(10, 10, 120, 20), 2.0},   // wide
                                           RectCase{QRect(100, 20, 20, 80), 2.0},   // tall
                                           RectCase{QRect(0, 0, 240, 160), 1.0}));  // the whole window

TEST_F(ViewNavigation, ZoomWindowModeZoomsOnceAndAClickLeavesItWaiting)
{
    QSignalSpy picked(&m_view, &CZunDplistImage::picked);
    QSignalSpy mode(&m_navigation, &CZunViewNavigation::zoomWindowModeChanged);
    m_navigation.setZoomWindowMode(true);
    ASSERT_EQ(mode.count(), 1);
    // A click on the diagonal (through the middle): no pick, no zoom, the
    // mode waits.
    const QPoint onLine(120, 80);
    drag(m_view, onLine, onLine + QPoint(2, 1));
    EXPECT_EQ(picked.count(), 0);
    EXPECT_TRUE(m_view.zoomMtx().isEqualTo(CZunMatrix3d::kIdentity));
    EXPECT_TRUE(m_navigation.zoomWindowMode());

    drag(m_view, QPoint(60, 40), QPoint(180, 120));
    EXPECT_NEAR(m_view.zoomMtx().scale(), 2.0, 1e-12);
    EXPECT_FALSE(m_navigation.zoomWindowMode());
    EXPECT_EQ(mode.count(), 2);
    // Back to picking.
    mouse(m_view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(5, 5));
    mouse(m_view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(5, 5));
    EXPECT_TRUE(m_view.zoomMtx().isEqualTo(m_gdx.zoomMtxGet()));
}

TEST_F(ViewNavigation, EscapeCancelsTheDragAndTheMode)
{
    m_navigation.setZoomWindowMode(true);
    mouse(m_view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(20, 20));
    mouse(m_view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(120, 90));
    EXPECT_EQ(m_navigation.dragRect(), QRect(QPoint(20, 20), QPoint(120, 90)));
    QTest::keyClick(&m_view, Qt::Key_Escape);
    EXPECT_FALSE(m_navigation.zoomWindowMode());
    EXPECT_TRUE(m_navigation.dragRect().isEmpty());
    mouse(m_view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(120, 90));
    EXPECT_TRUE(m_view.zoomMtx().isEqualTo(CZunMatrix3d::kIdentity));
}

// ---- in the host's window --------------------------------------------------------------

using HostNavigation = HostWindowFixture;

TEST_F(HostNavigation, TheToolbarsZoomWindowAndTheKeysWorkOnTheShownPicture)
{
    CZunDplistImage* viewer = m_window->viewer();
    auto* zoomWindow = m_window->findChild<QAction*>(QStringLiteral("zoomWindow"));
    ASSERT_NE(zoomWindow, nullptr);
    zoomWindow->trigger();
    EXPECT_TRUE(m_window->navigation()->zoomWindowMode());
    EXPECT_EQ(m_window->statusBar()->currentMessage(), zunZoomWindowHint());
    const QString pickBefore = m_window->pickText();
    drag(*viewer, QPoint(100, 80), QPoint(300, 230));
    EXPECT_FALSE(zoomWindow->isChecked());
    EXPECT_GT(viewer->zoomMtx().scale(), 1.5);
    EXPECT_EQ(m_window->pickText(), pickBefore);
    EXPECT_TRUE(m_window->scene().displayList()->zoomMtxGet().isEqualTo(viewer->zoomMtx()));

    viewer->setFocus();
    QTest::keyClick(viewer, Qt::Key_Minus);
    QTest::keyClick(viewer, Qt::Key_Left);
    EXPECT_FALSE(viewer->zoomMtx().isEqualTo(CZunMatrix3d::kIdentity));
    QTest::keyClick(viewer, Qt::Key_Home);
    EXPECT_TRUE(viewer->zoomMtx().isEqualTo(CZunMatrix3d::kIdentity));

    // The menu's zoom commands do what the keys do.
    auto* zoomIn = m_window->findChild<QAction*>(QStringLiteral("zoomIn"));
    ASSERT_NE(zoomIn, nullptr);
    zoomIn->trigger();
    EXPECT_NEAR(viewer->zoomMtx().scale(), CZunViewNavigation::kZoomStep, 1e-12);
    m_window->setLanguage(QStringLiteral("en"));
    EXPECT_EQ(zoomIn->text(), QStringLiteral("Zoom in\t+"));
    EXPECT_EQ(zoomWindow->iconText(), QStringLiteral("Zoom window"));
}

// The zoom window's menu entry names its Shift drag in the window's language.
struct ShiftDragText {
    const char* language;
    const char* menu;
};

class HostNavigationTexts : public HostWindowFixture, public ::testing::WithParamInterface<ShiftDragText> {};

TEST_P(HostNavigationTexts, TheZoomWindowEntryNamesItsDragInTheLanguage)
{
    auto* zoomWindow = m_window->findChild<QAction*>(QStringLiteral("zoomWindow"));
    ASSERT_NE(zoomWindow, nullptr);
    m_window->setLanguage(QString::fromLatin1(GetParam().language));
    EXPECT_EQ(zoomWindow->text(), QString::fromUtf8(GetParam().menu));
}

INSTANTIATE_TEST_SUITE_P(Languages, HostNavigationTexts,
                         ::testing::Values(ShiftDragText{"de", "Zoom-Fenster\tUmschalt+Ziehen"},
                                           ShiftDragText{"en", "Zoom window\tShift+Drag"}),
                         [](const auto& info) { return std::string(info.param.language); });

} // namespace
