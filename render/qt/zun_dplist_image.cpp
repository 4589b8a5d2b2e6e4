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

#include <algorithm>
#include <cmath>
#include <cstring>

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

// The picture's size in device pixels for a widget of size (logical
// pixels) at the ratio.
QSize deviceSize(const QSize& size, qreal ratio)
{
    return QSize(std::max(1, static_cast<int>(std::ceil(size.width() * ratio - 1e-9))),
                 std::max(1, static_cast<int>(std::ceil(size.height() * ratio - 1e-9))));
}

} // namespace

// While it lives, the list's zoom maps to device pixels rather than to the
// widget's: the list, the pick and the fit keep working in widget pixels,
// the picture is painted at the screen's resolution. At a ratio of 1 the
// list is not touched at all.
class CZunDplistImage::DeviceZoom {
public:
    DeviceZoom(CZunGDX& gdx, qreal ratio) : m_gdx(ratio != 1.0 ? &gdx : nullptr)
    {
        if (!m_gdx)
            return;
        m_saved = gdx.zoomMtxGet();
        gdx.zoomMtxSet(CZunMatrix3d().setToScaling(ratio) * m_saved);
    }
    ~DeviceZoom()
    {
        if (m_gdx)
            m_gdx->zoomMtxSet(m_saved);
    }
    DeviceZoom(const DeviceZoom&) = delete;
    DeviceZoom& operator=(const DeviceZoom&) = delete;

private:
    CZunGDX* m_gdx;
    CZunMatrix3d m_saved;
};

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

void CZunDplistImage::setZoomMtx(const CZunMatrix3d& zoom)
{
    m_zoom = zoom;
    m_panStartX = m_zoom[0][3];
    m_panStartY = m_zoom[1][3];
    if (m_gdx)
        m_gdx->zoomMtxSet(m_zoom);
    update();
}

void CZunDplistImage::setSmooth(bool smooth)
{
    m_smooth = smooth;
    update();
}

QImage CZunDplistImage::renderImage()
{
    refreshPicture();
    return m_picture;
}

void CZunDplistImage::paintEvent(QPaintEvent*)
{
    refreshPicture();
    QPainter painter(this);
    if (m_key.pixelRatio == 1.0)
        painter.drawImage(0, 0, m_picture);
    else  // pixel for pixel onto the screen's
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(m_picture.size()) / m_key.pixelRatio), m_picture);
}

CZunDplistImage::PictureKey CZunDplistImage::currentKey() const
{
    PictureKey key;
    key.list = m_gdx;
    if (m_gdx) {
        key.content = m_gdx->contentChangeCountGet();
        key.zoom = m_gdx->zoomMtxGet();
        key.view = m_gdx->viewMtxGet();
    }
    key.size = QSize(std::max(1, width()), std::max(1, height()));
    key.pixelRatio = devicePixelRatioF();
    key.window = palette().window().color().rgb();
    key.smooth = m_smooth;
    return key;
}

void CZunDplistImage::refreshPicture()
{
    // The painter puts the list into drawing order; doing it first keeps
    // that from counting as a change after the picture is made.
    if (m_gdx && !m_boxes.current(*m_gdx))
        m_gdx->displListSort();
    const PictureKey key = currentKey();
    QPoint shift;
    const bool pan = panFromKept(key, shift);
    if (pan && shift.isNull()) {
        m_stats = {Repaint::Unchanged, 0, 0};
        return;
    }
    m_key = key;
    // A pan by whole widget pixels is one by whole device pixels only at
    // whole ratios.
    const QPointF deviceShift = QPointF(shift) * key.pixelRatio;
    const QPoint wholeShift = deviceShift.toPoint();
    int traced = 0;
    if (pan && QPointF(wholeShift) == deviceShift && scrollPicture(wholeShift, traced))
        return;
    // Its ratio stays 1: a painter on an image of another ratio would
    // scale what it draws once more.
    const QSize size = deviceSize(key.size, key.pixelRatio);
    if (m_picture.size() != size)
        m_picture = QImage(size, QImage::Format_RGB32);
    m_stats = {Repaint::Full, 0, 0};
    m_stats.itemsTraced = traced;
    paintPicture();
    m_hasPicture = true;
}

bool CZunDplistImage::panFromKept(const PictureKey& key, QPoint& shift) const
{
    if (!m_hasPicture || key.list != m_key.list || key.content != m_key.content || key.view != m_key.view
        || key.size != m_key.size || key.pixelRatio != m_key.pixelRatio || key.window != m_key.window
        || key.smooth != m_key.smooth)
        return false;
    // A smooth picture is not scrolled: only an unchanged one is kept.
    if (key.smooth && key.zoom != m_key.zoom)
        return false;
    // Only the translation of the zoom may differ, and only by whole pixels.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            if (key.zoom.m[r][c] != m_key.zoom.m[r][c])
                return false;
    if (key.zoom.m[2][3] != m_key.zoom.m[2][3] || key.zoom.m[3][3] != m_key.zoom.m[3][3])
        return false;
    const double dx = key.zoom.m[0][3] - m_key.zoom.m[0][3];
    const double dy = key.zoom.m[1][3] - m_key.zoom.m[1][3];
    if (dx != std::round(dx) || dy != std::round(dy) || std::abs(dx) > 1.0e6 || std::abs(dy) > 1.0e6)
        return false;
    // The zoom is the last matrix on the way to the screen (and fixed-size
    // items follow its origin), so a change of its shift alone moves every
    // item but the pictures by as much.
    shift = QPoint(static_cast<int>(dx), static_cast<int>(dy));
    return true;
}

bool CZunDplistImage::scrollPicture(const QPoint& shift, int& traced)
{
    const int w = m_picture.width(), h = m_picture.height();
    const int dx = shift.x(), dy = shift.y();
    if (std::abs(dx) >= w || std::abs(dy) >= h || !m_gdx)
        return false;
    // The strips the shift uncovers, and the pixels of the pieces crossing
    // into them from the kept part.
    m_mask.reset(w, h);
    // Worth it only while most of the picture is kept: with a quarter of it
    // marked, strips included, tracing and painting the crossing pieces
    // costs more than a full paint deep inside a dense drawing.
    constexpr int kTile = CZunTileMask::kTile;
    m_mask.setLimit((w + kTile - 1) / kTile * ((h + kTile - 1) / kTile) / 4);
    if (dx != 0)
        m_mask.add(dx > 0 ? ZunIRect{0, 0, dx, h} : ZunIRect{w + dx, 0, w, h});
    if (dy != 0)
        m_mask.add(dy > 0 ? ZunIRect{0, 0, w, dy} : ZunIRect{0, h + dy, w, h});
    {
        const DeviceZoom device(*m_gdx, m_key.pixelRatio);
        CZunQtDC dc(m_picture);
        CZunPainter painter(dc);
        painter.setItemBoxes(&m_boxes);
        const bool scrolls = painter.shiftRepaintMask(*m_gdx, dx, dy, m_mask);
        traced = painter.itemsTraced();
        if (!scrolls)
            return false;
    }
    m_mask.seal();
    // Rows are moved whole, in the order that reads each before it is
    // overwritten; the marked tiles are painted afresh below.
    const qsizetype line = m_picture.bytesPerLine();
    uchar* bits = m_picture.bits();
    const int rows = h - std::abs(dy);
    const int keep = w - std::abs(dx);
    for (int k = 0; k < rows; ++k) {
        const int to = dy >= 0 ? h - 1 - k : k;
        const int from = to - dy;
        auto* target = reinterpret_cast<QRgb*>(bits + to * line);
        const auto* source = reinterpret_cast<const QRgb*>(bits + from * line);
        std::memmove(target + std::max(0, dx), source + std::max(0, -dx), static_cast<size_t>(keep) * sizeof(QRgb));
    }
    m_stats = {Repaint::Scrolled, 0, 0};
    m_stats.itemsTraced = traced;
    paintMasked();
    return true;
}

void CZunDplistImage::paintMasked()
{
    // Painted on a spare image and copied: the painter draws the items that
    // reach a marked tile whole, clipped to the device as a full paint does.
    if (m_spare.size() != m_picture.size())
        m_spare = QImage(m_picture.size(), QImage::Format_RGB32);
    {
        const DeviceZoom device(*m_gdx, m_key.pixelRatio);
        CZunQtDC dc(m_spare);
        // Of the items reaching a marked tile, only their pieces that do.
        CZunMaskedDC masked(dc, &m_mask);
        CZunPainter painter(masked);
        painter.setBitmapSource(zunPictureBitmaps());
        painter.setItemBoxes(&m_boxes);
        painter.setPaintMask(&m_mask);
        painter.paint(m_gdx);
        m_stats.itemsDrawn += painter.itemsDrawn();
        m_stats.itemsCulled += painter.itemsCulled();
        m_stats.piecesDrawn = masked.piecesDrawn();
    }
    for (const ZunIRect& r : m_mask.rects())
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(m_picture.scanLine(y) + r.left * sizeof(QRgb), m_spare.constScanLine(y) + r.left * sizeof(QRgb),
                        static_cast<size_t>(r.width()) * sizeof(QRgb));
}

void CZunDplistImage::paintPicture()
{
    if (!m_gdx) {
        m_picture.fill(palette().window().color());
        return;
    }
    const DeviceZoom device(*m_gdx, m_key.pixelRatio);
    CZunQtDC dc(m_picture);
    if (m_key.smooth)
        dc.painter().setRenderHint(QPainter::Antialiasing, true);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.setItemBoxes(&m_boxes);
    painter.paint(m_gdx);
    m_stats.itemsDrawn += painter.itemsDrawn();
    m_stats.itemsCulled += painter.itemsCulled();
}

bool CZunDplistImage::zoomAt(int delta, const QPoint& at, Qt::MouseButtons buttons)
{
    if (buttons & Qt::MiddleButton)
        return false;
    if (!m_gdx || delta == 0)
        return true;
    const double f = std::abs(delta) * 1.2 / 120.0;
    // The zoom stays within limits of the fitted picture, so that turning
    // on and on neither loses the drawing in a speck nor among coordinates
    // too large to paint; at a limit the wheel does nothing.
    const double now = std::hypot(m_zoom.m[0][0], m_zoom.m[1][0]);
    const double wanted = now * (delta > 0 ? f : 1.0 / f);
    const double factor = std::clamp(wanted, kZoomOutLimit, kZoomInLimit) / now;
    if (std::abs(factor - 1.0) < 1e-12)
        return true;
    const CZunMatrix3d scale = CZunMatrix3d().setToScaling(factor, CZunPoint3d(at.x(), at.y(), 0));
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
            // The start plus a whole number of pixels, so that successive
            // steps differ by whole pixels and the kept picture can scroll.
            m_zoom[0][3] = m_panStartX + (p.x() - m_panStart.x());
            m_zoom[1][3] = m_panStartY + (p.y() - m_panStart.y());
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
