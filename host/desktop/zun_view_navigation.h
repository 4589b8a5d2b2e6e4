#pragma once

#include "contracts/base/zun_geometry.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

class CZunDplistImage;
class QKeyEvent;
class QMouseEvent;
class QRubberBand;

// Keyboard zoom and pan and the zoom window on a display-list viewer, on
// top of what the viewer does itself (wheel, middle button, pick):
//  - + (or =) and - zoom about the window's centre by a wheel notch,
//  - the arrow keys move the view over the drawing by an eighth of the
//    window (the drawing moves the other way), Home fits,
//  - in zoom-window mode, or with Shift held, a drag with the left button
//    draws a rectangle that then fills the window; Esc cancels.
// Keys work while the viewer has the focus. Every zoom and pan is by the
// viewer's zoom matrix, so pick, cursor coordinates and the kept picture
// follow as they do after a wheel turn.
class CZunViewNavigation : public QObject {
    Q_OBJECT
public:
    static constexpr double kZoomStep = 1.2;
    static constexpr int kPanParts = 8;
    // A smaller rectangle is taken for a click and zooms nothing.
    static constexpr int kMinRect = 4;

    explicit CZunViewNavigation(CZunDplistImage* viewer, QObject* parent = nullptr);

    void zoomIn();
    void zoomOut();
    // Moves the view by whole pixels: the drawing moves by -dx, -dy.
    void pan(int dx, int dy);
    // Zooms so that rect (widget pixels) fills the window, its middle in the
    // window's middle and its proportions kept; false, and nothing changed,
    // for a rectangle smaller than kMinRect either way.
    bool zoomToRect(const QRect& rect);
    // The same for a rectangle of any size above zero (a remembered view).
    bool zoomToRect(const QRectF& rect);
    // The viewer changed size from `from` to `to` (a panel opened beside
    // it, the window was resized): the drawing point that was in the old
    // window's middle goes to the new one's, at the same scale. Nothing
    // moves when the old size is not known.
    void keepCentre(const QSize& from, const QSize& to);

    // Zoom-window mode: the next left drag zooms (and ends the mode) instead
    // of picking.
    void setZoomWindowMode(bool on);
    bool zoomWindowMode() const { return m_mode; }
    // The rectangle being dragged, empty when none is.
    QRect dragRect() const;

signals:
    // Home: the host fits as its Fit command does.
    void fitRequested();
    void zoomWindowModeChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(const QKeyEvent& event);
    bool mousePress(const QMouseEvent& event);
    void mouseMove(const QMouseEvent& event);
    bool mouseRelease(const QMouseEvent& event);
    void zoomAbout(double factor, const QPointF& at);
    void cancelDrag();

    CZunDplistImage* m_viewer;
    QRubberBand* m_band;
    QPoint m_start;
    bool m_dragging = false;
    bool m_mode = false;
};

class CZunTextBinder;
class QAction;
class QMenu;

// Zoom window (checkable, follows the mode), zoom in and zoom out into the
// menu, their texts bound; answers the zoom-window action.
QAction* zunAddNavigationActions(QMenu& menu, CZunViewNavigation& navigation, CZunTextBinder& texts);
// The hint shown while zoom-window mode waits for the drag.
QString zunZoomWindowHint();
