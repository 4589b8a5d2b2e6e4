#include "host/desktop/zun_view_navigation.h"

#include "host/desktop/zun_host_texts.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>
#include <QMenu>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>

#include <algorithm>
#include <cmath>

namespace T = ZunHostTexts;

CZunViewNavigation::CZunViewNavigation(CZunDplistImage* viewer, QObject* parent)
    : QObject(parent), m_viewer(viewer), m_band(new QRubberBand(QRubberBand::Rectangle, viewer))
{
    m_band->hide();
    viewer->installEventFilter(this);
}

void CZunViewNavigation::zoomIn()
{
    zoomAbout(kZoomStep, QRectF(m_viewer->rect()).center());
}

void CZunViewNavigation::zoomOut()
{
    zoomAbout(1.0 / kZoomStep, QRectF(m_viewer->rect()).center());
}

void CZunViewNavigation::zoomAbout(double factor, const QPointF& at)
{
    const CZunMatrix3d scale = CZunMatrix3d().setToScaling(factor, CZunPoint3d(at.x(), at.y(), 0.0));
    m_viewer->setZoomMtx(scale * m_viewer->zoomMtx());
}

void CZunViewNavigation::pan(int dx, int dy)
{
    // By whole pixels, so that the viewer scrolls its kept picture.
    CZunMatrix3d zoom = m_viewer->zoomMtx();
    zoom[0][3] -= dx;
    zoom[1][3] -= dy;
    m_viewer->setZoomMtx(zoom);
}

void CZunViewNavigation::keepCentre(const QSize& from, const QSize& to)
{
    if (!from.isValid() || !to.isValid() || from == to)
        return;
    // The zoom works in window pixels after the fit, which the viewer
    // keeps: moving by half the change of size puts the old middle in the
    // new one.
    CZunMatrix3d zoom = m_viewer->zoomMtx();
    zoom[0][3] += (to.width() - from.width()) / 2.0;
    zoom[1][3] += (to.height() - from.height()) / 2.0;
    m_viewer->setZoomMtx(zoom);
}

bool CZunViewNavigation::zoomToRect(const QRect& rect)
{
    const QRect r = rect.normalized();
    if (r.width() < kMinRect || r.height() < kMinRect)
        return false;
    // QRect's right and bottom are the last pixel inside; the rectangle
    // covers its pixels whole.
    return zoomToRect(QRectF(r.x(), r.y(), r.width(), r.height()));
}

bool CZunViewNavigation::zoomToRect(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    if (!(r.width() > 0.0 && r.height() > 0.0) || m_viewer->width() < 1 || m_viewer->height() < 1)
        return false;
    const double factor = std::min(m_viewer->width() / r.width(), m_viewer->height() / r.height());
    const QPointF from = r.center();
    const QPointF to(m_viewer->width() / 2.0, m_viewer->height() / 2.0);
    const CZunMatrix3d scale = CZunMatrix3d().setToScaling(factor, CZunPoint3d(from.x(), from.y(), 0.0));
    const CZunMatrix3d move = CZunMatrix3d().setToTranslation(CZunVector3d(to.x() - from.x(), to.y() - from.y(), 0.0));
    m_viewer->setZoomMtx(move * scale * m_viewer->zoomMtx());
    return true;
}

void CZunViewNavigation::setZoomWindowMode(bool on)
{
    if (!on)
        cancelDrag();
    if (m_mode == on)
        return;
    m_mode = on;
    emit zoomWindowModeChanged(on);
}

QRect CZunViewNavigation::dragRect() const
{
    return m_dragging ? m_band->geometry() : QRect();
}

void CZunViewNavigation::cancelDrag()
{
    m_dragging = false;
    m_band->hide();
}

bool CZunViewNavigation::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_viewer)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Esc ends the zoom window here before a window shortcut takes it.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && (m_dragging || m_mode)) {
            event->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: return keyPress(*static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress: return mousePress(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove: mouseMove(*static_cast<QMouseEvent*>(event)); return false;
    case QEvent::MouseButtonRelease: return mouseRelease(*static_cast<QMouseEvent*>(event));
    default: return false;
    }
}

bool CZunViewNavigation::keyPress(const QKeyEvent& event)
{
    // Keys with Ctrl or Alt belong to the window's commands.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int stepX = std::max(1, m_viewer->width() / kPanParts);
    const int stepY = std::max(1, m_viewer->height() / kPanParts);
    switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomIn(); return true;
    case Qt::Key_Minus: zoomOut(); return true;
    case Qt::Key_Left: pan(-stepX, 0); return true;
    case Qt::Key_Right: pan(stepX, 0); return true;
    case Qt::Key_Up: pan(0, -stepY); return true;
    case Qt::Key_Down: pan(0, stepY); return true;
    case Qt::Key_Home: emit fitRequested(); return true;
    case Qt::Key_Escape:
        if (!m_dragging && !m_mode)
            return false;
        setZoomWindowMode(false);
        return true;
    default: return false;
    }
}

bool CZunViewNavigation::mousePress(const QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton || !(m_mode || (event.modifiers() & Qt::ShiftModifier)))
        return false;
    // The drag zooms; the click does not pick.
    m_viewer->setFocus(Qt::MouseFocusReason);
    m_start = event.position().toPoint();
    m_dragging = true;
    m_band->setGeometry(QRect(m_start, QSize()));
    m_band->show();
    return true;
}

void CZunViewNavigation::mouseMove(const QMouseEvent& event)
{
    if (m_dragging)
        m_band->setGeometry(QRect(m_start, event.position().toPoint()).normalized());
}

bool CZunViewNavigation::mouseRelease(const QMouseEvent& event)
{
    if (!m_dragging || event.button() != Qt::LeftButton)
        return false;
    // The rectangle between the two mouse positions (not the pixels they
    // fall in): a drag of 120 pixels encloses 120.
    const QRectF rect = QRectF(QPointF(m_start), event.position()).normalized();
    cancelDrag();
    // A click in zoom-window mode leaves the mode on for the drag to come.
    if (rect.width() >= kMinRect && rect.height() >= kMinRect && zoomToRect(rect))
        setZoomWindowMode(false);
    return true;
}

QAction* zunAddNavigationActions(QMenu& menu, CZunViewNavigation& navigation, CZunTextBinder& texts)
{
    QAction* window = menu.addAction(QIcon::fromTheme(QStringLiteral("zoom-fit-best")), QString());
    window->setObjectName(QStringLiteral("zoomWindow"));
    window->setCheckable(true);
    // The menu names the Shift drag; the tool button the command alone.
    texts.bind(window, T::kZoomWindow, [window](const QString& s) {
        window->setText(s + QLatin1Char('\t') + zunHostText(T::kShiftDrag));
        window->setIconText(s);
    });
    QObject::connect(window, &QAction::toggled, &navigation, &CZunViewNavigation::setZoomWindowMode);
    QObject::connect(&navigation, &CZunViewNavigation::zoomWindowModeChanged, window, &QAction::setChecked);
    // The keys are the viewer's own (it reads them while it has the focus):
    // the menu names them after a tab, as it names shortcuts.
    QAction* in = menu.addAction(QIcon::fromTheme(QStringLiteral("zoom-in")), QString());
    in->setObjectName(QStringLiteral("zoomIn"));
    texts.bind(in, T::kZoomIn, QStringLiteral("\t+"));
    QObject::connect(in, &QAction::triggered, &navigation, &CZunViewNavigation::zoomIn);
    QAction* out = menu.addAction(QIcon::fromTheme(QStringLiteral("zoom-out")), QString());
    out->setObjectName(QStringLiteral("zoomOut"));
    texts.bind(out, T::kZoomOut, QStringLiteral("\t-"));
    QObject::connect(out, &QAction::triggered, &navigation, &CZunViewNavigation::zoomOut);
    return window;
}

QString zunZoomWindowHint()
{
    return zunHostText(T::kZoomWindowHint);
}
