// The viewer changing size under a shown picture (the legend opening beside
// it, the window resized): a fitted picture stays fitted, the overview's
// last column included; a picture the user zoomed keeps its middle.

#include "host_window_fixture.h"

#include "host/desktop/zun_host_legend.h"
#include "host/desktop/zun_view_navigation.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>

#include <ostream>

namespace {

// Where the list's extents (its view window, when one is set) lie in the
// window as the viewer shows them now.
QRectF shownExtents(const CZunGDX& gdx)
{
    CZunPoint3d lo, hi;
    gdx.extMaxViewGet(lo, hi);
    const CZunMatrix3d m = gdx.zoomMtxGet() * gdx.viewMtxGet() * gdx.projMtxGet();
    const CZunPoint3d a = m * lo, b = m * hi;
    return QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y)).normalized();
}

// The drawing point shown at a window point.
CZunPoint3d drawingPointAt(const CZunGDX& gdx, const QPointF& at)
{
    const CZunMatrix3d m = gdx.zoomMtxGet() * gdx.viewMtxGet() * gdx.projMtxGet();
    return m.inverse() * CZunPoint3d(at.x(), at.y(), 0.0);
}

enum class Change { Legend, NarrowWindow, WideWindow };

struct ResizeCase {
    const char* name;
    const char* part;  // shown before the change; null for the overview
    int zoomSteps;     // zoomed in by the keyboard before the change
    Change change;
};

std::ostream& operator<<(std::ostream& os, const ResizeCase& c)
{
    return os << c.name;
}

class HostViewResize : public HostWindowFixture, public ::testing::WithParamInterface<ResizeCase> {
protected:
    // The size of zun-host's first window: the sample's overview fits
    // whole readably and starts fitted.
    HostWindowOptions options() const override
    {
        HostWindowOptions o;
        o.size = QSize(1280, 800);
        return o;
    }

    void change(Change how)
    {
        switch (how) {
        case Change::Legend:
            m_window->findChild<QAction*>(QStringLiteral("legendAction"))->trigger();
            break;
        case Change::NarrowWindow:
            m_window->resize(900, 800);
            break;
        case Change::WideWindow:
            m_window->resize(1440, 860);
            break;
        }
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_P(HostViewResize, AFittedPictureStaysWholeAZoomedOneKeepsItsMiddle)
{
    const ResizeCase& c = GetParam();
    if (c.part)
        m_window->showNode(m_window->partNode(QString::fromLatin1(c.part)));
    CZunDplistImage* viewer = m_window->viewer();
    for (int i = 0; i < c.zoomSteps; ++i)
        m_window->navigation()->zoomIn();
    const CZunGDX& gdx = *viewer->get_dpList();
    const QSize before = viewer->size();
    const QPointF oldMiddle(before.width() / 2.0, before.height() / 2.0);
    const CZunPoint3d middle = drawingPointAt(gdx, oldMiddle);
    const double scale = CZunMatrix3d(gdx.zoomMtxGet() * gdx.viewMtxGet()).axis(0).length();

    change(c.change);
    ASSERT_NE(viewer->size(), before) << "the change resized the viewer";
    const QRectF window(QPointF(0, 0), QSizeF(viewer->size()));
    if (c.zoomSteps == 0) {
        const QRectF shown = shownExtents(gdx);
        EXPECT_TRUE(window.contains(shown)) << "extents " << shown.left() << ".." << shown.right() << " x "
                                            << shown.top() << ".." << shown.bottom() << " in a viewer of "
                                            << viewer->width() << " x " << viewer->height();
        // Fitted, not shrunk to a speck: it fills the viewer one way, but
        // for the margin.
        EXPECT_TRUE(shown.width() > 0.85 * window.width() || shown.height() > 0.85 * window.height());
        EXPECT_EQ(viewer->zoomMtx(), CZunMatrix3d());
    } else {
        const QPointF newMiddle(viewer->width() / 2.0, viewer->height() / 2.0);
        const CZunPoint3d now = drawingPointAt(gdx, newMiddle);
        const double unitsPerPixel = 1.0 / scale;
        EXPECT_NEAR(now.x, middle.x, unitsPerPixel);
        EXPECT_NEAR(now.y, middle.y, unitsPerPixel);
        EXPECT_NEAR(CZunMatrix3d(gdx.zoomMtxGet() * gdx.viewMtxGet()).axis(0).length(), scale, 1e-9 * scale)
            << "the scale stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, HostViewResize,
    ::testing::Values(ResizeCase{"OverviewLegend", nullptr, 0, Change::Legend},
                      ResizeCase{"OverviewNarrowWindow", nullptr, 0, Change::NarrowWindow},
                      ResizeCase{"OverviewWideWindow", nullptr, 0, Change::WideWindow},
                      ResizeCase{"PartLegend", "D4", 0, Change::Legend},
                      ResizeCase{"ZoomedOverviewLegend", nullptr, 3, Change::Legend},
                      ResizeCase{"ZoomedPartNarrowWindow", "4D", 2, Change::NarrowWindow},
                      ResizeCase{"ZoomedPartWideWindow", "D4", 4, Change::WideWindow}),
    [](const auto& info) { return std::string(info.param.name); });
