#include "render/qt/zun_dplist_image.h"

#include "contracts/data/zun_app.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>

#include <cmath>

QEvent::Type CZunPickEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {

// Four arrows around a dot: the cursor shown while panning.
QCursor makePanCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 3));
    const QLine arms[] = {{16, 3, 16, 29}, {3, 16, 29, 16}};
    for (const QLine& arm : arms)
        p.drawLine(arm);
    p.setPen(QPen(Qt::black, 1));
    for (const QLine& arm : arms)
        p.drawLine(arm);
    p.setBrush(Qt::black);
    const QPolygon heads[] = {QPolygon({QPoint(16, 1), QPoint(12, 6), QPoint(20, 6)}),
                              QPolygon({QPoint(16, 31), QPoint(12, 26), QPoint(20, 26)}),
                              QPolygon({QPoint(1, 16), QPoint(6, 12), QPoint(6, 20)}),
                              QPolygon({QPoint(31, 16), QPoint(26, 12), QPoint(26, 20)})};
    for (const QPolygon& head : heads)
        p.drawPolygon(head);
    p.end();
    return QCursor(pixmap, 16, 14);
}

} // namespace

CZunDplistImage::CZunDplistImage(QWidget* parent, int id) : QWidget(parent), m_id(id), m_panCursor(makePanCursor())
{
    setProperty("dlgId", id);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

CZunDplistImage::~CZunDplistImage() = default;

bool CZunDplistImage::set_dpList(CZunGDX* gdx)
{
    m_gdx = gdx;
    update();
    return gdx != nullptr;
}

void CZunDplistImage::zoomExtents()
{
    if (!m_gdx)
        return;
    zunFitToWindow(*m_gdx, height(), width());
    m_zoom.setToIdentity();
    m_gdx->zoomMtxSet(m_zoom);
}

QImage CZunDplistImage::renderImage()
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    image.fill(palette().window().color());
    if (m_gdx) {
        CZunQtDC dc(image);
        CZunPainter painter(dc);
        painter.setBitmapSource(zunPictureBitmaps());
        painter.paint(m_gdx);
    }
    return image;
}

void CZunDplistImage::paintEvent(QPaintEvent*)
{
    const QImage image = renderImage();
    QPainter(this).drawImage(0, 0, image);
}

bool CZunDplistImage::zoomAt(int delta, const QPoint& at, Qt::MouseButtons buttons)
{
    if (buttons & Qt::MiddleButton)
        return false;
    if (!m_gdx || delta == 0)
        return true;
    const double f = std::abs(delta) * 1.2 / 120.0;
    const CZunMatrix3d scale = CZunMatrix3d().setToScaling(delta > 0 ? f : 1.0 / f, CZunPoint3d(at.x(), at.y(), 0));
    m_zoom = scale * m_zoom;
    m_panStartX = m_zoom[0][3];
    m_panStartY = m_zoom[1][3];
    m_gdx->zoomMtxSet(m_zoom);
    update();
    return true;
}

void CZunDplistImage::wheelEvent(QWheelEvent* event)
{
    const bool handled = zoomAt(event->angleDelta().y(), event->position().toPoint(), event->buttons());
    event->setAccepted(handled);
}

void CZunDplistImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        setFocus(Qt::MouseFocusReason);
        m_panStartX = m_zoom[0][3];
        m_panStartY = m_zoom[1][3];
        m_panStart = event->position().toPoint();
        grabMouse();
        setCursor(m_panCursor);
    } else if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        pick(event->position().toPoint());
        updateCursor();
    }
    QWidget::mousePressEvent(event);
}

void CZunDplistImage::pick(const QPoint& at)
{
    if (!m_gdx)
        return;
    const int group = m_gdx->imageItemGet(CZunPoint3d(at.x(), at.y(), 0));
    if (group < 0)
        return;
    emit picked(m_id, group);
    if (parentWidget())
        QCoreApplication::postEvent(parentWidget(), new CZunPickEvent(m_id, group));
    update();
}

void CZunDplistImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        releaseMouse();
        setCursor(Qt::CrossCursor);
    } else {
        updateCursor();
    }
    QWidget::mouseReleaseEvent(event);
}

void CZunDplistImage::mouseMoveEvent(QMouseEvent* event)
{
    if (hasFocus()) {
        if ((event->buttons() & Qt::MiddleButton) && m_gdx) {
            const QPoint p = event->position().toPoint();
            m_zoom[0][3] = p.x() + m_panStartX - m_panStart.x();
            m_zoom[1][3] = p.y() + m_panStartY - m_panStart.y();
            m_gdx->zoomMtxSet(m_zoom);
            update();
            setCursor(m_panCursor);
        } else if (!(event->buttons() & Qt::MiddleButton)) {
            setCursor(Qt::CrossCursor);
        }
    }
    QWidget::mouseMoveEvent(event);
}

void CZunDplistImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        zoomExtents();
        update();
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CZunDplistImage::updateCursor()
{
    if (hasFocus())
        setCursor(Qt::CrossCursor);
}

// ---- polyline preview --------------------------------------------------------

namespace {
constexpr unsigned long kBaseShown = gdxFlagOfColorMode(ZUN::cModeBase);          // 1024
constexpr unsigned long kBaseHidden = kBaseShown | gdxFlagHidden | gdxFlagNoExt;  // 1036
constexpr unsigned long kPolyline = gdxFlagOfColorMode(6);                        // 1536
} // namespace

CZunVllImage::CZunVllImage(QWidget* parent, int id) : CZunDplistImage(parent, id)
{
    set_dpList(&m_own);
    SetBkColor(zunAppPtr()->bkColorGet());
}

bool CZunVllImage::setVll(const CZunArrayTempl<CZunVertexArray>& polylines)
{
    m_own.clear();
    CZunColor fore;
    fore.setOleColor(m_foreground);
    m_own.imagePt({0}, m_drawBase ? kBaseShown : kBaseHidden, CZunPoint3d::kOrigin, fore, CZunMatrix3d(),
                  m_pointSize, static_cast<unsigned long>(static_cast<unsigned int>(m_pointMode)), {});
    for (int k = 0; k < polylines.len(); ++k)
        m_own.imageVl({k + 1}, kPolyline, polylines.get(k), fore, CZunMatrix3d(), {1.0}, 1.0, 0, {});
    zoomExtents();
    update();
    return true;
}

int CZunVllImage::SetCurVl(int index)
{
    const int previous = m_current;
    m_current = index;
    if (previous >= 0)
        m_own.cModeSet({previous + 1}, static_cast<ZUN::GdxColorMode>(6));
    if (index >= 0)
        m_own.cModeSet({index + 1}, ZUN::cModeHighlight);
    update();
    return previous;
}

bool CZunVllImage::setDrawBase(bool draw)
{
    const bool previous = m_drawBase;
    m_drawBase = draw;
    m_own.propSet({0}, draw ? propShow : propHide);
    m_own.propSet({0}, draw ? propExtIn : propExtOut);
    zoomExtents();
    update();
    return previous;
}

void CZunVllImage::SetBkColor(std::uint32_t rgb)
{
    m_background = rgb & 0xFFFFFF;
    CZunColor background;
    background.setOleColor(m_background);
    const int mean = (background.red() + background.green() + background.blue()) / 3;
    m_foreground = mean < 128 ? 0xFFFFFF : 0;
    m_own.backColorSet(background);
    CZunColor fore;
    fore.setOleColor(m_foreground);
    m_own.ColorTabSet(static_cast<ZUN::GdxColorMode>(6), fore);
}

void CZunVllImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        zoomExtents();
        update();
    }
    CZunDplistImage::mouseDoubleClickEvent(event);
}
