// Picking in the host's viewer: an aperture of a few pixels at every zoom,
// areas by their inside (holes left out), clearing by Esc or a click on
// nothing.

#include "tests/host/desktop/host_window_fixture.h"
#include "tests/host/desktop/pick_test_points.h"
#include "host/desktop/zun_host_pick.h"
#include "contracts/base/zun_polyline.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_dplist_image.h"

#include <QWheelEvent>

#include <cmath>
#include <ostream>

namespace {

CZunVertexArray closedRect(double x0, double y0, double x1, double y1)
{
    CZunVertexArray vl;
    vl.append(CZunVertex({x0, y0, 0}, {x1, y0, 0}));
    vl.append(CZunVertex({x1, y0, 0}, {x1, y1, 0}));
    vl.append(CZunVertex({x1, y1, 0}, {x0, y1, 0}));
    vl.append(CZunVertex({x0, y1, 0}, {x0, y0, 0}));
    return vl;
}

// A line (group 1) along y = 0 from 0 to 1000, and a filled plate (group 2)
// from y = 100 to 500 with a square hole in its middle, its outline drawn.
CZunGDX sampleList()
{
    CZunGDX list;
    CZunColor black;
    black.setColor(0);
    CZunVertexArray line;
    line.append(CZunVertex({0, 0, 0}, {1000, 0, 0}));
    list.imageVl({1}, 0, line, black, CZunMatrix3d(), {1.0}, 1.0, 0, CZunPoint3d());
    CZunArrayTempl<CZunVertexArray> plate;
    plate.append(closedRect(0, 100, 1000, 500));
    plate.append(closedRect(400, 200, 600, 400));
    list.imageReg({2}, gdxFlagFill | gdxFlagOutline, plate, black, CZunMatrix3d(), {1.0}, 1.0, 0, black,
                  ZUN::CHatchProp(), CZunPoint3d());
    return list;
}

// The window the lists are picked in.
const QSize kWindow(1000, 700);

// The list seen at pixelsPerUnit, model (0, 0) at window (50, 600), y up.
void placeView(CZunGDX& list, double pixelsPerUnit)
{
    CZunMatrix3d view;
    view.m[0][0] = pixelsPerUnit;
    view.m[1][1] = -pixelsPerUnit;
    view.m[0][3] = 50.0;
    view.m[1][3] = 600.0;
    list.viewMtxSet(view);
    list.zoomMtxSet(CZunMatrix3d());
}

QPointF toWindow(const CZunGDX& list, double x, double y)
{
    const CZunPoint3d p = list.zoomMtxGet() * list.viewMtxGet() * CZunPoint3d(x, y, 0);
    return {p.x, p.y};
}

struct ApertureCase {
    const char* name;
    double pixelsPerUnit;  // the zoom
    double offset;         // pixels off the line, across it
    int group;             // expected pick
};

class HostPickAperture : public ::testing::TestWithParam<ApertureCase> {};

} // namespace

TEST_P(HostPickAperture, PicksWithinAFewPixelsWhateverTheZoom)
{
    const ApertureCase& c = GetParam();
    CZunGDX list = sampleList();
    placeView(list, c.pixelsPerUnit);
    // Half way along the line, off it downwards (away from the plate).
    const QPointF at = toWindow(list, 500, 0) + QPointF(0, c.offset);
    const CZunHostPicker::Hit hit = CZunHostPicker().pick(list, at, kWindow);
    EXPECT_EQ(hit.group, c.group) << "at " << at.x() << ", " << at.y();
    if (hit.group >= 0) {
        EXPECT_NEAR(hit.distance, c.offset, 0.01);
    }
    EXPECT_NEAR(CZunHostPicker::modelUnitsPerPixel(list), 1.0 / c.pixelsPerUnit, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, HostPickAperture,
    ::testing::Values(ApertureCase{"FarOutOnTheLine", 0.05, 0.0, 1}, ApertureCase{"FarOutThreePixelsOff", 0.05, 3.0, 1},
                      ApertureCase{"FarOutSixPixelsOff", 0.05, 6.0, -1}, ApertureCase{"FitThreePixelsOff", 0.5, 3.0, 1},
                      ApertureCase{"FitSixPixelsOff", 0.5, 6.0, -1}, ApertureCase{"CloseThreePixelsOff", 20.0, 3.0, 1},
                      ApertureCase{"CloseFourPixelsOff", 20.0, 4.0, 1},
                      ApertureCase{"CloseSixPixelsOff", 20.0, 6.0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct AreaCase {
    const char* name;
    double x, y;  // model point
    int group;
    bool inside;
};

class HostPickArea : public ::testing::TestWithParam<AreaCase> {};

} // namespace

TEST_P(HostPickArea, AreasArePickedByTheirInsideAndNotInTheirHoles)
{
    const AreaCase& c = GetParam();
    CZunGDX list = sampleList();
    placeView(list, 0.5);
    const CZunHostPicker::Hit hit = CZunHostPicker().pick(list, toWindow(list, c.x, c.y), kWindow);
    EXPECT_EQ(hit.group, c.group);
    EXPECT_EQ(hit.inside, c.inside);
}

INSTANTIATE_TEST_SUITE_P(Points, HostPickArea,
                         ::testing::Values(AreaCase{"Inside", 200, 300, 2, true},
                                           AreaCase{"InTheHole", 500, 300, -1, false},
                                           AreaCase{"OnTheHolesEdge", 401, 300, 2, false},
                                           AreaCase{"OutsideAbove", 500, 540, -1, false},
                                           // The line is nearer than the plate's outline.
                                           AreaCase{"BetweenLineAndPlate", 500, 4, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostPick, HiddenItemsAreNotPicked)
{
    CZunGDX list = sampleList();
    placeView(list, 0.5);
    list.propSet({1}, propHide);
    EXPECT_EQ(CZunHostPicker().pick(list, toWindow(list, 500, 0), kWindow).group, -1);
}

// One picker kept over many clicks, as the window keeps it: what it
// passes over by the items' boxes must follow the list as it changes.
TEST(HostPick, AKeptPickerFollowsTheListAndItsView)
{
    CZunGDX list = sampleList();
    placeView(list, 0.5);
    CZunHostPicker picker;
    const QPointF inHole = toWindow(list, 500, 300);
    ASSERT_EQ(picker.pick(list, inHole, kWindow).group, -1);

    // A half circle from (450, 320) to (550, 320) in the plate's hole,
    // bulging down to y = 270: its lowest point lies outside the box of
    // its ends.
    CZunColor black;
    black.setColor(0);
    CZunVertexArray arc;
    arc.append(CZunVertex({450, 320, 0}, {550, 320, 0}, 1.0));
    list.imageVl({3}, 0, arc, black, CZunMatrix3d(), {1.0}, 1.0, 0, CZunPoint3d());
    EXPECT_EQ(picker.pick(list, toWindow(list, 500, 270), kWindow).group, 3);
    EXPECT_EQ(picker.pick(list, toWindow(list, 500, 290), kWindow).group, -1) << "in the hole, off the arc";

    // Zoomed in around the arc's lowest point, the same boxes serve.
    placeView(list, 20.0);
    EXPECT_EQ(picker.pick(list, toWindow(list, 500, 270) + QPointF(0, 3), kWindow).group, 3);
    EXPECT_EQ(picker.pick(list, toWindow(list, 500, 270) + QPointF(0, -6), kWindow).group, -1);
}

// ---- in the window ------------------------------------------------------------------

namespace {

class HostPickInWindow : public HostWindowFixture, public ::testing::WithParamInterface<int> {};

} // namespace

TEST_P(HostPickInWindow, AClickInsideAHatchedBandPicksItAndEscClearsIt)
{
    m_window->showNode(m_window->partNode(QStringLiteral("4D")));
    CZunDplistImage* viewer = m_window->viewer();
    turnWheel(viewer, viewer->rect().center(), GetParam());
    viewer->renderImage();
    const std::map<int, QPoint> inside = pointsInsideAreas(*viewer->get_dpList(), viewer->size(), 6.0);
    ASSERT_GE(inside.size(), 2u) << "the wall's shells are hatched";
    for (const auto& [group, at] : inside) {
        QTest::mouseClick(viewer, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(m_window->scene().highlight(), group) << "clicked at " << at.x() << ", " << at.y();
    }
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_EQ(m_window->scene().highlight(), -1);
    EXPECT_EQ(m_window->pickText(), QStringLiteral("Bereit"));
}

INSTANTIATE_TEST_SUITE_P(Zooms, HostPickInWindow, ::testing::Values(3, 6, 9));

TEST_F(HostWindowFixture, AClickOnNothingClearsThePick)
{
    m_window->showNode(m_window->partNode(QStringLiteral("D4")));
    CZunDplistImage* viewer = m_window->viewer();
    ASSERT_TRUE(m_window->pickGroup(m_window->scene().groups().front()));
    // The fitted plate leaves a margin round it.
    QTest::mouseClick(viewer, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(m_window->scene().highlight(), -1);
    EXPECT_EQ(m_window->pickText(), QStringLiteral("Bereit"));
}

namespace {

struct ArcCase {
    const char* name;
    double pixelsPerUnit;
    double offset;  // pixels outside the circle (negative: inside)
    int group;
    bool inside;
};

class HostPickArc : public ::testing::TestWithParam<ArcCase> {};

} // namespace

TEST_P(HostPickArc, ArcsArePickedWhereTheyAreDrawn)
{
    const ArcCase& c = GetParam();
    // A filled disc of radius 100 about (500, 300): two half circles.
    CZunGDX list;
    CZunColor black;
    black.setColor(0);
    CZunVertexArray circle;
    circle.append(CZunVertex({400, 300, 0}, {600, 300, 0}, 1.0));
    circle.append(CZunVertex({600, 300, 0}, {400, 300, 0}, 1.0));
    list.imageReg({5}, gdxFlagFill, {circle}, black, CZunMatrix3d(), {1.0}, 1.0, 0, black, ZUN::CHatchProp(),
                  CZunPoint3d());
    placeView(list, c.pixelsPerUnit);
    // Straight up from the centre, off the top of the circle.
    const QPointF at = toWindow(list, 500, 400) + QPointF(0, -c.offset);
    const CZunHostPicker::Hit hit = CZunHostPicker().pick(list, at, kWindow);
    EXPECT_EQ(hit.group, c.group);
    EXPECT_EQ(hit.inside, c.inside);
}

INSTANTIATE_TEST_SUITE_P(Zooms, HostPickArc,
                         ::testing::Values(ArcCase{"OutsideWithin", 0.5, 3.0, 5, false},
                                           ArcCase{"OutsideBeyond", 0.5, 6.0, -1, false},
                                           ArcCase{"DeepInside", 0.5, -30.0, 5, true},
                                           ArcCase{"CloseOutsideWithin", 20.0, 3.5, 5, false},
                                           ArcCase{"CloseOutsideBeyond", 20.0, 5.0, -1, false},
                                           ArcCase{"CloseInside", 20.0, -10.0, 5, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- anchored items ------------------------------------------------------------------

namespace {

// Symbols drawn at a fixed size about the anchor (1000, 1000): a filled
// red square of side 0.04 (group 7) and a tick from 0.06 to 0.1 along x
// (group 8), in the units of a 1 x 1 box fitted into the window.
constexpr double kAnchorX = 1000.0, kAnchorY = 1000.0;

CZunGDX anchoredSymbols()
{
    CZunGDX list;
    const CZunColor red(1);
    const CZunPoint3d anchor(kAnchorX, kAnchorY, 0);
    list.imageReg({7}, gdxFlagFill | gdxFlagAnchored, {closedRect(-0.02, -0.02, 0.02, 0.02)}, red, CZunMatrix3d(),
                  {1.0}, 1.0, 0, red, ZUN::CHatchProp(), anchor);
    CZunVertexArray tick;
    tick.append(CZunVertex({0.06, 0, 0}, {0.1, 0, 0}));
    list.imageVl({8}, gdxFlagAnchored, tick, red, CZunMatrix3d(), {1.0}, 1.0, 0, anchor);
    return list;
}

// The list at pixelsPerUnit with the anchor at window (400, 300), y up.
void viewAboutAnchor(CZunGDX& list, double pixelsPerUnit)
{
    placeView(list, pixelsPerUnit);
    CZunMatrix3d view = list.viewMtxGet();
    view.m[0][3] = 400.0 - pixelsPerUnit * kAnchorX;
    view.m[1][3] = 300.0 + pixelsPerUnit * kAnchorY;
    list.viewMtxSet(view);
}

struct AnchoredCase {
    const char* name;
    double pixelsPerUnit;
    double dx, dy;  // window pixels from the anchor
    int group;
    bool inside;
    bool painted;  // the painter draws the symbol's red there
};

std::ostream& operator<<(std::ostream& os, const AnchoredCase& c)
{
    return os << c.name;
}

class HostPickAnchored : public ::testing::TestWithParam<AnchoredCase> {};

} // namespace

TEST_P(HostPickAnchored, SymbolsArePickedAtTheirFixedSizeAboutTheAnchor)
{
    const AnchoredCase& c = GetParam();
    CZunGDX list = anchoredSymbols();
    viewAboutAnchor(list, c.pixelsPerUnit);
    const QPointF at(400.0 + c.dx, 300.0 + c.dy);
    const CZunHostPicker::Hit hit = CZunHostPicker().pick(list, at, kWindow);
    EXPECT_EQ(hit.group, c.group) << "at " << at.x() << ", " << at.y();
    EXPECT_EQ(hit.inside, c.inside);

    // The picture agrees: the painter puts red where the symbols are hit
    // and nothing well away from them.
    QImage image(kWindow, QImage::Format_RGB32);
    {
        CZunQtDC dc(image);
        CZunPainter(dc).paint(&list);
    }
    const bool red = (image.pixel(at.toPoint()) & 0xFFFFFF) == 0xFF0000u;
    EXPECT_EQ(red, c.painted) << "at " << at.x() << ", " << at.y();
}

// One unit of a symbol is 700 / 1.1 pixels in a 1000 x 700 window: the
// square reaches 12.7 pixels from the anchor, the tick runs from 38 to 64
// pixels right of it, at every zoom.
INSTANTIATE_TEST_SUITE_P(
    Zooms, HostPickAnchored,
    ::testing::Values(AnchoredCase{"SquareMiddle", 0.5, 0, 0, 7, true, true},
                      AnchoredCase{"SquareNearItsCorner", 0.5, 10, -10, 7, true, true},
                      AnchoredCase{"SquareEdgeWithinTheAperture", 0.5, 15, 0, 7, false, false},
                      AnchoredCase{"BesideTheSquare", 0.5, 22, 0, -1, false, false},
                      AnchoredCase{"OnTheTick", 0.5, 50, 0, 8, false, true},
                      AnchoredCase{"BelowTheTick", 0.5, 50, 6, -1, false, false},
                      AnchoredCase{"SquareMiddleZoomedIn", 50.0, 0, 0, 7, true, true},
                      AnchoredCase{"BesideTheSquareZoomedIn", 50.0, 22, 0, -1, false, false},
                      AnchoredCase{"OnTheTickZoomedIn", 50.0, 50, 0, 8, false, true},
                      AnchoredCase{"SquareMiddleZoomedOut", 0.01, 0, 0, 7, true, true},
                      AnchoredCase{"OnTheTickZoomedOut", 0.01, 60, 0, 8, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostPick, AnchoredSymbolsAreNotPickedWhereTheirOwnUnitsWouldLieInTheDrawing)
{
    CZunGDX list = anchoredSymbols();
    viewAboutAnchor(list, 0.5);
    // The drawing's origin, where the square's own coordinates would put
    // it without its anchor.
    EXPECT_EQ(CZunHostPicker().pick(list, toWindow(list, 0, 0), kWindow).group, -1);
    EXPECT_EQ(CZunHostPicker().pick(list, toWindow(list, 0.08, 0), kWindow).group, -1);
}
