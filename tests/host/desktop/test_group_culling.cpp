// Painting only the groups in view: which groups a window meets, and the
// window's picture of a large overview the same with and without culling.

#include "host/desktop/zun_group_culling.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_drawing_repeat.h"
#include "host/zun_host_app.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"
#include "tests/host/desktop/square_grid.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// side x side groups, group k + 1 a square of 50 at (100 (k % side), 100 (k / side)).
CZunGDX grid(int side)
{
    CZunGDX list(CZunColor(), CZunMatrix3d(), 0.0, 0, {}, {});
    addSquareGrid(list, side * side, side, 50.0, {0, 0, 0}, {100, 0, 0}, {0, 100, 0});
    list.imagePt({}, 0, {5, 5}, CZunColor(1), {}, 0.0, 0, {});  // no group: always painted
    return list;
}

struct WindowCase {
    const char* what;
    QRect window;
    bool culled;
    int visibleGroups;
};

class GroupCulling : public ::testing::TestWithParam<WindowCase> {};

TEST_P(GroupCulling, KeepsTheGroupsTheWindowMeets)
{
    const WindowCase& c = GetParam();
    const CZunGDX list = grid(20);
    CZunGroupCulling culling;
    culling.measure(list);
    ASSERT_TRUE(culling.active());
    ASSERT_EQ(culling.groupCount(), 400);
    CZunGDX visible;
    ASSERT_EQ(culling.visibleList(list, c.window, visible), c.culled) << c.what;
    EXPECT_EQ(culling.lastVisible(), c.visibleGroups) << c.what;
    if (!c.culled)
        return;
    EXPECT_EQ(visible.lenGet(), c.visibleGroups + 1) << c.what;
    // The kept items are whole groups that meet the window, in list order.
    int previous = 0;
    for (const CZunDisplayItem& item : visible.getDisplayList()) {
        if (item.stack.isEmpty())
            continue;
        const int k = item.stack.get(0) - 1;
        EXPECT_GT(k + 1, previous);
        previous = k + 1;
        const QRect cell(100 * (k % 20), 100 * (k / 20), 51, 51);
        EXPECT_TRUE(cell.adjusted(-16, -16, 16, 16).intersects(c.window)) << c.what << ": group " << k + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, GroupCulling,
    ::testing::Values(WindowCase{"the corner", QRect(0, 0, 200, 200), true, 9},
                      WindowCase{"one cell", QRect(1000, 1000, 50, 50), true, 1},
                      WindowCase{"beside the grid", QRect(-500, -500, 100, 100), true, 0},
                      WindowCase{"the whole grid", QRect(0, 0, 2000, 2000), false, 400}));

TEST(GroupCullingLimits, SmallListsArePaintedWhole)
{
    const CZunGDX list = grid(14);  // 196 groups
    CZunGroupCulling culling;
    culling.measure(list);
    EXPECT_FALSE(culling.active());
    CZunGDX visible;
    EXPECT_FALSE(culling.visibleList(list, QRect(0, 0, 100, 100), visible));
}

TEST(GroupCullingLimits, ZoomAndViewMoveTheWindowOverTheGroups)
{
    CZunGDX list = grid(20);
    CZunGroupCulling culling;
    culling.measure(list);
    // Moved so that cell (10, 10) lies at the window's origin, then doubled.
    CZunMatrix3d move, twice;
    move.setToTranslation({-1000, -1000, 0});
    twice.setToScaling(2.0);
    list.viewMtxSet(move);
    list.zoomMtxSet(twice);
    CZunGDX visible;
    ASSERT_TRUE(culling.visibleList(list, QRect(0, 0, 100, 100), visible));
    EXPECT_EQ(culling.lastVisible(), 1) << "cell (10, 10), 100 pixels wide now";
    EXPECT_EQ(visible.zoomMtxGet(), twice);
    EXPECT_EQ(visible.viewMtxGet(), move);
}

TEST(GroupCullingInWindow, ZoomedInPictureIsTheSameWithOnlyTheCellsInView)
{
    CZunHostApp app;
    CZunApp* previous = zunAppSet(&app);
    CZunHostApp::registerGenerators();
    QTemporaryDir dir;
    qputenv("ZUN_SETTINGS_DIR", dir.path().toLocal8Bit());
    {
        CZunHostWindow window(app);
        window.resize(1000, 700);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QString path = dir.filePath(QStringLiteral("parts.json"));
        CZunString error;
        ASSERT_TRUE(zunRepeatDrawingFile(toZun(QStringLiteral(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json")), 220,
                                         toZun(path), &error));
        ASSERT_TRUE(window.openDrawing(path));
        QSignalSpy opened(&window, &CZunHostWindow::drawingOpened);
        ASSERT_TRUE(!window.isOpening() || opened.wait(60000));
        ASSERT_TRUE(window.culling().active());

        // The overview starts on its first cells, readable, and paints only them.
        const QImage start = window.viewer()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_GT(window.culling().lastVisible(), 0);
        EXPECT_LT(window.culling().lastVisible(), 40);
        EXPECT_EQ(start, window.viewer()->renderImage()) << "culling changed the picture";

        // Fitted, every cell is in view and the viewer paints as it does.
        ASSERT_TRUE(window.setViewDirection(QStringLiteral("P")));
        const QImage fitted = window.viewer()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(window.culling().lastVisible(), window.culling().groupCount());
        EXPECT_EQ(fitted, window.viewer()->renderImage());

        CZunMatrix3d zoom;
        zoom.setToScaling(6.0, CZunPoint3d(300, 200, 0));
        window.scene().displayList()->zoomMtxSet(zoom);
        const QImage culled = window.viewer()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_LT(window.culling().lastVisible(), 20);
        EXPECT_GT(window.culling().lastVisible(), 0);
        EXPECT_EQ(culled, window.viewer()->renderImage()) << "culling changed the picture";
    }
    zunAppSet(previous);
}

} // namespace
