// Measuring in the host's viewer: which point the cursor snaps to at
// several zooms, the distance and angle between two points, and the tool
// driven with the mouse and Esc as a user would.

#include "host_window_fixture.h"

#include "gdx/zun_gdx.h"
#include "host/desktop/zun_measure_tool.h"
#include "host/desktop/zun_snap.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>
#include <QSignalSpy>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <gtest/gtest.h>

namespace {

using Kind = CZunSnapKind;

CZunVertexArray line(CZunPoint3d a, CZunPoint3d b)
{
    CZunVertexArray vl;
    vl.append(a, b);
    return vl;
}

// A line (0,0)-(100,0); a circle about (200,50) of radius 30 as two
// half-circles (the first one passing (200,20)); two lines crossing at
// (310,30) whose midpoints lie elsewhere; a square region ring
// (0,80)-(60,140); a point item at (150,120).
CZunGDX snapList()
{
    CZunGDX gdx;
    const CZunColor white(7);
    gdx.imageVl({1}, 0, line({0, 0}, {100, 0}), white, {}, {1.0}, 1.0, 0, {});
    CZunVertexArray circle;
    circle.append({170, 50}, {230, 50}, 1.0);
    circle.append({230, 50}, {170, 50}, 1.0);
    gdx.imageVl({2}, 0, circle, white, {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({3}, 0, line({280, 0}, {360, 80}), white, {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({4}, 0, line({280, 40}, {370, 10}), white, {}, {1.0}, 1.0, 0, {});
    const CZunVertexArray ring =
        CZunVertexArray::fromPoints(CZunPoint3dArray{{0, 80}, {60, 80}, {60, 140}, {0, 140}}, true);
    gdx.imageReg({5}, 0, {ring}, white, {}, {1.0}, 1.0, 0, CZunColor(3), {}, {});
    gdx.imagePt({6}, 0, {150, 120, 0}, white, {}, 0.0, 0, {});
    return gdx;
}

// The list fitted to 400 x 300 pixels and zoomed by zoom about the middle.
CZunGDX viewedList(double zoom)
{
    CZunGDX gdx = snapList();
    zunFitToWindow(gdx, 300, 400);
    gdx.zoomMtxSet(CZunMatrix3d().setToScaling(zoom, {200, 150, 0}));
    return gdx;
}

CZunPoint3d screenOf(const CZunGDX& gdx, const CZunPoint3d& model)
{
    return gdx.windowToWorldMtx().inverse() * model;
}

struct SnapCase {
    const char* what;
    CZunPoint3d near;   // model point the cursor is near
    double dx, dy;      // the cursor's offset from it, pixels
    Kind kind;
    CZunPoint3d found;  // the model point expected
};

void PrintTo(const SnapCase& c, std::ostream* os) { *os << c.what; }

class SnapAt : public ::testing::TestWithParam<std::tuple<SnapCase, double>> {};

} // namespace

TEST_P(SnapAt, FindsThePointAFewPixelsAwayAtAnyZoom)
{
    const auto& [c, zoom] = GetParam();
    const CZunGDX gdx = viewedList(zoom);
    const CZunPoint3d at = screenOf(gdx, c.near);
    CZunSnapFinder finder;
    const CZunSnap snap = finder.find(gdx, at.x + c.dx, at.y + c.dy, CZunMeasureTool::kAperture);
    ASSERT_EQ(snap.kind, c.kind);
    if (c.kind == Kind::None)
        return;
    EXPECT_NEAR(snap.point.x, c.found.x, 1e-6);
    EXPECT_NEAR(snap.point.y, c.found.y, 1e-6);
    const CZunPoint3d shown = screenOf(gdx, c.found);
    EXPECT_NEAR(snap.screen.x, shown.x, 1e-6);
    EXPECT_NEAR(snap.screen.y, shown.y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Points, SnapAt,
    ::testing::Combine(
        ::testing::Values(SnapCase{"line end", {0, 0}, 3, -2, Kind::End, {0, 0}},
                          SnapCase{"line end at the aperture's edge", {0, 0}, 7, 0, Kind::End, {0, 0}},
                          SnapCase{"line end beyond the aperture", {0, 0}, 0, 9, Kind::None, {}},
                          SnapCase{"line midpoint", {50, 0}, 2, 2, Kind::Mid, {50, 0}},
                          SnapCase{"line between its end and middle", {75, 0}, 0, 0, Kind::None, {}},
                          SnapCase{"circle centre", {200, 50}, 1, 1, Kind::Center, {200, 50}},
                          SnapCase{"half-circle midpoint", {200, 20}, -2, 1, Kind::Mid, {200, 20}},
                          SnapCase{"crossing", {310, 30}, 2, -1, Kind::Intersection, {310, 30}},
                          SnapCase{"region corner", {60, 140}, 0, 3, Kind::End, {60, 140}},
                          SnapCase{"point item", {150, 120}, -3, -3, Kind::End, {150, 120}}),
        ::testing::Values(1.0, 4.0, 0.5)));

namespace {

struct MeasureCase {
    CZunPoint3d from, to;
    double distance, angle;
};

class Measured : public ::testing::TestWithParam<MeasureCase> {};

} // namespace

TEST_P(Measured, GivesDistancePartsAndTheAngleFromTheXAxis)
{
    const MeasureCase& c = GetParam();
    const CZunMeasureTool::Result r = CZunMeasureTool::measure(c.from, c.to);
    EXPECT_NEAR(r.distance, c.distance, 1e-9);
    EXPECT_NEAR(r.dx, c.to.x - c.from.x, 1e-12);
    EXPECT_NEAR(r.dy, c.to.y - c.from.y, 1e-12);
    EXPECT_NEAR(r.angle, c.angle, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Pairs, Measured,
                         ::testing::Values(MeasureCase{{0, 0}, {100, 0}, 100, 0},
                                           MeasureCase{{0, 0}, {0, -50}, 50, 270},
                                           MeasureCase{{10, 10}, {0, 0}, std::sqrt(200.0), 225},
                                           MeasureCase{{0, 0}, {-3, 4}, 5, 180 - 53.13010235415598},
                                           MeasureCase{{0, 0, 0}, {0, 0, 7}, 7, 0},
                                           MeasureCase{{5, 5}, {5, 5}, 0, 0}));

namespace {

// A viewer of 400 x 300 pixels on the snap list with the tool on it.
class MeasureViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZUN::msgLangSet(L"de");
        m_viewer.resize(400, 300);
        m_viewer.set_dpList(&m_list);
        m_viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_viewer));
        m_viewer.zoomExtents();
        m_tool = new CZunMeasureTool(&m_viewer);
        m_tool->setFormat({[](double v) { return QString::number(v, 'f', 2); }, [] { return QStringLiteral("mm"); },
                           [](double v) { return QString::number(v, 'f', 2); }});
    }

    QPoint at(const CZunPoint3d& model, int dx = 0, int dy = 0) const
    {
        const CZunPoint3d s = screenOf(m_list, model);
        return {static_cast<int>(std::lround(s.x)) + dx, static_cast<int>(std::lround(s.y)) + dy};
    }

    CZunGDX m_list = snapList();
    CZunDplistImage m_viewer;
    CZunMeasureTool* m_tool = nullptr;
};

// Pixels of the mark colour within radius of p.
int markPixels(const QImage& image, const QPoint& p, int radius)
{
    int n = 0;
    for (int y = p.y() - radius; y <= p.y() + radius; ++y)
        for (int x = p.x() - radius; x <= p.x() + radius; ++x)
            if (image.rect().contains(x, y)) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 200 && c.green() > 90 && c.green() < 170 && c.blue() < 60;
            }
    return n;
}

} // namespace

TEST_F(MeasureViewer, TwoClicksNearEndsMeasureBetweenTheEndsAndDoNotPick)
{
    QSignalSpy picks(&m_viewer, &CZunDplistImage::picked);
    QSignalSpy texts(m_tool, &CZunMeasureTool::textChanged);
    m_tool->setActive(true);
    EXPECT_EQ(m_tool->text(), QStringLiteral("Messen: ersten Punkt klicken (Esc beendet)"));

    QTest::mouseMove(&m_viewer, at({0, 0}, 3, 2));
    EXPECT_EQ(m_tool->snap().kind, Kind::End);
    // The mark shows where the snap is, not under the cursor's offset.
    EXPECT_GT(markPixels(m_viewer.grab().toImage(), at({0, 0}), CZunMeasureTool::kAperture), 10);
    EXPECT_EQ(markPixels(m_viewer.grab().toImage(), at({150, 120}), 8), 0);

    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({0, 0}, 3, 2));
    EXPECT_EQ(m_tool->text(), QStringLiteral("Messen: zweiten Punkt klicken (Esc verwirft den ersten)"));
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({100, 0}, -2, -3));
    ASSERT_TRUE(m_tool->result().has_value());
    EXPECT_DOUBLE_EQ(m_tool->result()->distance, 100.0);
    EXPECT_EQ(m_tool->text(), QStringLiteral("Abstand 100.00 mm · ΔX 100.00 · ΔY 0.00 · Winkel 0.00°"));
    EXPECT_EQ(picks.count(), 0);
    EXPECT_EQ(texts.last().at(0).toString(), m_tool->text());

    // A third click starts again; from the circle's centre to the region's
    // corner.
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({200, 50}, 1, 0));
    EXPECT_FALSE(m_tool->result().has_value());
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({60, 140}, 0, 1));
    ASSERT_TRUE(m_tool->result().has_value());
    EXPECT_NEAR(m_tool->result()->distance, std::hypot(140.0, 90.0), 1e-9);
    EXPECT_NEAR(m_tool->result()->angle, 180.0 - std::atan2(90.0, 140.0) * 180.0 / std::numbers::pi, 1e-9);
}

TEST_F(MeasureViewer, EscDropsTheStartPointThenEndsMeasuring)
{
    QSignalSpy active(m_tool, &CZunMeasureTool::activeChanged);
    m_tool->setActive(true);
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({0, 0}));
    ASSERT_TRUE(m_tool->start().has_value());
    QTest::keyClick(&m_viewer, Qt::Key_Escape);
    EXPECT_FALSE(m_tool->start().has_value());
    EXPECT_TRUE(m_tool->isActive());
    QTest::keyClick(&m_viewer, Qt::Key_Escape);
    EXPECT_FALSE(m_tool->isActive());
    ASSERT_EQ(active.count(), 2);
    EXPECT_FALSE(active.last().at(0).toBool());

    // Inactive, a click picks again.
    QSignalSpy picks(&m_viewer, &CZunDplistImage::picked);
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({50, 0}));
    EXPECT_EQ(picks.count(), 1);
}

TEST_F(MeasureViewer, PointsTakenAreForgottenWhenTheListChanges)
{
    m_tool->setActive(true);
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({0, 0}));
    QTest::mouseClick(&m_viewer, Qt::LeftButton, {}, at({100, 0}));
    ASSERT_TRUE(m_tool->result().has_value());
    m_list.imageVl({7}, 0, line({0, 200}, {10, 200}), CZunColor(7), {}, {1.0}, 1.0, 0, {});
    QTest::mouseMove(&m_viewer, at({30, 30}));
    EXPECT_FALSE(m_tool->result().has_value());
    EXPECT_EQ(m_tool->text(), QStringLiteral("Messen: ersten Punkt klicken (Esc beendet)"));
}

class HostMeasure : public HostWindowFixture {
protected:
    // The measure's text as the status bar shows it; empty when none shows.
    QString shownMeasureText() const
    {
        const auto* label = m_window->statusBar()->findChild<QLabel*>(QStringLiteral("measureText"));
        return label && label->isVisible() ? label->text() : QString();
    }
};

TEST_F(HostMeasure, CtrlMStartsMeasuringWithItsPromptAndEscEndsIt)
{
    QAction* measure = m_window->findChild<QAction*>(QStringLiteral("measure"));
    ASSERT_NE(measure, nullptr);
    EXPECT_EQ(measure->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    measure->trigger();
    ASSERT_TRUE(m_window->measureTool()->isActive());
    EXPECT_EQ(shownMeasureText(), QStringLiteral("Messen: ersten Punkt klicken (Esc beendet)"));
    // A click measures and does not pick; Esc drops the start point.
    CZunDplistImage* viewer = m_window->findChild<CZunDplistImage*>();
    ASSERT_NE(viewer, nullptr);
    const QString before = m_window->pickText();
    QTest::mouseClick(viewer, Qt::LeftButton, {}, viewer->rect().center());
    EXPECT_TRUE(m_window->measureTool()->start().has_value());
    EXPECT_EQ(m_window->pickText(), before);
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_FALSE(m_window->measureTool()->start().has_value());
    EXPECT_TRUE(m_window->measureTool()->isActive());

    m_window->measureTool()->setActive(false);
    EXPECT_FALSE(measure->isChecked());
    EXPECT_TRUE(shownMeasureText().isEmpty());
}

// Hovering a menu entry or a tool button shows its status tip, and leaving
// it sends an empty one; neither may take the measuring prompt away.
struct StatusTipCase {
    const char* name;
    const char* tip;
};

class HostMeasureStatusTip : public HostMeasure, public ::testing::WithParamInterface<StatusTipCase> {};

TEST_P(HostMeasureStatusTip, LeavesTheMeasuringPromptInPlace)
{
    m_window->measureTool()->setActive(true);
    const QString prompt = shownMeasureText();
    ASSERT_EQ(prompt, QStringLiteral("Messen: ersten Punkt klicken (Esc beendet)"));
    QStatusTipEvent tip(QString::fromUtf8(GetParam().tip));
    QCoreApplication::sendEvent(m_window->menuBar(), &tip);  // goes up to the window, as a hover's does
    EXPECT_EQ(m_window->statusBar()->currentMessage(), QString::fromUtf8(GetParam().tip));
    EXPECT_EQ(shownMeasureText(), prompt);
    m_window->measureTool()->setActive(false);
    EXPECT_TRUE(shownMeasureText().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Tips, HostMeasureStatusTip,
                         ::testing::Values(StatusTipCase{"Entered", "Öffnet eine Zeichnung"}, StatusTipCase{"Left", ""}),
                         [](const auto& info) { return std::string(info.param.name); });
