#include "render/qt/zun_cdc_qt.h"

#include "render/qt/zun_vector_state.h"

#include <cstdint>
#include <cstring>

namespace {

// Lines drawn in one call at most; enough to spread Qt's set-up thin.
constexpr size_t kLineBatch = 4096;

// Settles the vector state when a call that drew through Qt returns, by
// whichever path: the painter's arithmetic follows.
struct SettleOnReturn {
    SettleOnReturn() = default;
    SettleOnReturn(const SettleOnReturn&) = delete;
    SettleOnReturn& operator=(const SettleOnReturn&) = delete;
    ~SettleOnReturn() { zunSettleVectorState(); }
};

} // namespace

CZunQtDC::CZunQtDC(QImage& image) : m_image(&image)
{
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    begin(image, {});
}

CZunQtDC::CZunQtDC(QPaintDevice& device, QSize size)
{
    if (device.devType() == QInternal::Image) {
        QImage& image = static_cast<QImage&>(device);
        const QImage::Format f = image.format();
        if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied)
            m_image = &image;
    }
    begin(device, size);
}

void CZunQtDC::begin(QPaintDevice& device, QSize size)
{
    m_size = size.isEmpty() ? QSize(device.width(), device.height()) : size;
    m_raster = device.devType() == QInternal::Image || device.devType() == QInternal::Pixmap;
    m_painter.begin(&device);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    // Device pixel (x, y) is the unit square right of and below (x, y). On
    // a vector device a line through integer coordinates would straddle two
    // such rows; moved by half a unit it covers exactly its own, so that
    // the lines of a region fill close up.
    if (!m_raster)
        m_painter.translate(0.5, 0.5);
    m_clip = QRegion(0, 0, m_size.width(), m_size.height());
    m_clipRect = clientRect();
    m_clipIsRect = true;
    if (m_image && m_painter.isActive() && m_size.width() <= m_image->width() && m_size.height() <= m_image->height()) {
        m_bits = m_image->bits();
        m_bytesPerLine = m_image->bytesPerLine();
    }
    selectPen(0, 0);
    selectHollowBrush();
}

CZunQtDC::~CZunQtDC()
{
    drawRuns();
    m_painter.end();
}

void CZunQtDC::flushLines()
{
    drawRuns();
    syncPen();
}

void CZunQtDC::drawRuns()
{
    if (m_runs.empty())
        return;
    for (std::size_t r = 0; r < m_runs.size(); ++r) {
        const Run& run = m_runs[r];
        const bool last = r + 1 == m_runs.size();
        const std::size_t endLine = last ? m_lines.size() : m_runs[r + 1].firstLine;
        const std::size_t endPixel = last ? m_pixels.size() : m_runs[r + 1].firstPixel;
        // The run's pixels go before its lines: where a line crosses one it
        // sets the very same value, so the order is not seen.
        if (endPixel > run.firstPixel) {
            const std::uint32_t value = zunRgbToPixel(run.color) | 0xFF000000u;
            for (std::size_t k = run.firstPixel; k < endPixel; ++k)
                reinterpret_cast<std::uint32_t*>(m_bits + m_pixels[k].y() * m_bytesPerLine)[m_pixels[k].x()] = value;
        }
        if (endLine == run.firstLine)
            continue;
        if (run.ownPen && !(m_painterPen && m_painterWidth == run.width && m_painterColor == run.color)) {
            m_painter.setPen(penFor(run.width, run.color));
            m_painterPen = true;
            m_painterWidth = run.width;
            m_painterColor = run.color;
        }
        m_painter.drawLines(m_lines.data() + run.firstLine, static_cast<int>(endLine - run.firstLine));
    }
    m_lines.clear();
    m_pixels.clear();
    m_runs.clear();
    m_runIsPen = false;
    zunSettleVectorState();
}

void CZunQtDC::syncPen()
{
    if (!m_hasPen || !m_penKnown)
        return;
    if (m_painterPen && m_painterWidth == m_penWidth && m_painterColor == m_penColor)
        return;
    m_painter.setPen(penFor(m_penWidth, m_penColor));
    m_painterPen = true;
    m_painterWidth = m_penWidth;
    m_painterColor = m_penColor;
}

ZunIRect CZunQtDC::clientRect() const
{
    return {0, 0, m_size.width(), m_size.height()};
}

void CZunQtDC::selectPen(int width, ZunRgb color)
{
    // The painter selects a pen for every item; items of one colour in a
    // row keep gathering their lines into one run.
    if (m_hasPen && m_penKnown && width == m_penWidth && color == m_penColor)
        return;
    m_penKnown = true;
    m_penWidth = width;
    m_penColor = color;
    m_hasPen = true;
    m_runIsPen = false;
    // Hairlines open a run of their own when they come; wide pens and
    // vector devices draw at once, with the pen in the painter.
    if (!gathersLines())
        flushLines();
}

const QPen& CZunQtDC::penFor(int width, ZunRgb color)
{
    // A drawing uses a handful of pens, item after item in turn: made once
    // each, they are handed to the painter without building a pen and its
    // brush anew every time.
    for (const KeptPen& kept : m_pens)
        if (kept.made && kept.width == width && kept.color == color)
            return kept.pen;
    QPen pen(toQColor(color));
    pen.setWidth(width > 1 ? width : m_raster ? 0 : 1);  // 0: cosmetic one-pixel pen
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    KeptPen& slot = m_pens[m_nextPen];
    m_nextPen = (m_nextPen + 1) % m_pens.size();
    slot = {true, width, color, pen};
    return slot.pen;
}

void CZunQtDC::selectNullPen()
{
    drawRuns();
    m_painter.setPen(Qt::NoPen);
    m_painterPen = false;
    m_hasPen = false;
    m_runIsPen = false;
}

void CZunQtDC::selectSolidBrush(ZunRgb color)
{
    m_painter.setBrush(toQColor(color));
}

void CZunQtDC::selectHollowBrush()
{
    m_painter.setBrush(Qt::NoBrush);
}

void CZunQtDC::setClipRect(const ZunIRect& rect)
{
    flushLines();
    m_clip = QRegion(rect.left, rect.top, rect.width(), rect.height());
    m_clipRect = rect;
    m_clipIsRect = true;
    m_painter.setClipRegion(m_clip);
    m_cutOut.clear();
}

void CZunQtDC::excludeClipPolygon(const ZunIPoint* points, int count)
{
    flushLines();
    if (count < 3)
        return;
    if (!m_raster) {
        QPainterPath cut;
        cut.setFillRule(Qt::OddEvenFill);
        cut.addPolygon(toPolygon(points, count));
        cut.closeSubpath();
        m_cutOut = m_cutOut.united(cut);
        return;
    }
    m_clip = m_clip.subtracted(QRegion(toPolygon(points, count), Qt::OddEvenFill));
    m_clipIsRect = false;
    m_painter.setClipRegion(m_clip);
}

void CZunQtDC::moveTo(int x, int y)
{
    m_pos = QPoint(x, y);
}

void CZunQtDC::lineTo(int x, int y)
{
    const QPoint to(x, y);
    if (gathersLines()) {
        joinRun();
        m_lines.emplace_back(m_pos, to);
        if (m_lines.size() == kLineBatch)
            drawRuns();
    } else if (m_hasPen) {
        const SettleOnReturn settle;
        m_painter.drawLine(m_pos, to);
    }
    m_pos = to;
}

void CZunQtDC::setPixel(int x, int y, ZunRgb color)
{
    // A pixel in the colour of the selected hairline pen waits in its run:
    // dashed lines mark their dots so, and keep gathering past them. Any
    // other is set after what waits is drawn.
    const bool waits = m_bits && gathersLines() && m_penKnown && color == m_penColor;
    if (!waits)
        flushLines();
    if (x < 0 || y < 0 || x >= m_size.width() || y >= m_size.height())
        return;
    const bool clipped = m_clipIsRect ? x < m_clipRect.left || y < m_clipRect.top || x >= m_clipRect.right
                                            || y >= m_clipRect.bottom
                                      : !m_clip.contains(QPoint(x, y));
    if (clipped)
        return;
    if (waits) {
        // The clip stays until the run is drawn: a new one draws it first.
        joinRun();
        m_pixels.emplace_back(x, y);
        if (m_pixels.size() == kLineBatch)
            drawRuns();
        return;
    }
    if (m_bits) {
        // What QImage::setPixel stores in the three formats of m_image.
        reinterpret_cast<std::uint32_t*>(m_bits + y * m_bytesPerLine)[x] = zunRgbToPixel(color) | 0xFF000000u;
        return;
    }
    if (!m_image) {
        m_painter.fillRect(QRectF(x - 0.5, y - 0.5, 1, 1), toQColor(color));
        return;
    }
    m_image->setPixel(x, y, zunRgbToPixel(color) | 0xFF000000u);
}

QPolygon CZunQtDC::toPolygon(const ZunIPoint* points, int count) const
{
    QPolygon polygon(count);
    for (int i = 0; i < count; ++i)
        polygon.setPoint(i, points[i].x, points[i].y);
    return polygon;
}

void CZunQtDC::polygon(const ZunIPoint* points, int count)
{
    flushLines();
    const SettleOnReturn settle;
    if (count < 2)
        return;
    if (m_cutOut.isEmpty()) {
        m_painter.drawPolygon(toPolygon(points, count), Qt::OddEvenFill);
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(toPolygon(points, count));
    path.closeSubpath();
    m_painter.drawPath(path.subtracted(m_cutOut));
}

bool CZunQtDC::drawsOnePixelBox(const ZunIRect& rect)
{
    if (rect.width() != 1 || rect.height() != 1)
        return false;
    // Qt draws nothing for a box of no extent; the device's box of one
    // pixel is that pixel, as metafile readers show it (a filled rectangle
    // of one pixel is recorded as such a box).
    if (m_hasPen)
        m_painter.drawPoint(rect.left, rect.top);
    return true;
}

void CZunQtDC::ellipse(const ZunIRect& rect)
{
    flushLines();
    const SettleOnReturn settle;
    if (drawsOnePixelBox(rect))
        return;
    // The device rectangle excludes its right and bottom edge; Qt's includes them.
    m_painter.drawEllipse(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
}

void CZunQtDC::rectangle(const ZunIRect& rect)
{
    flushLines();
    const SettleOnReturn settle;
    if (drawsOnePixelBox(rect))
        return;
    m_painter.drawRect(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
}

void CZunQtDC::fillSolidRect(const ZunIRect& rect, ZunRgb color)
{
    flushLines();
    const SettleOnReturn settle;
    // Areas cover whole pixels: undo the half-unit shift of vector devices.
    const double shift = m_raster ? 0.0 : 0.5;
    m_painter.fillRect(QRectF(rect.left - shift, rect.top - shift, rect.width(), rect.height()), toQColor(color));
}

ZunRgb CZunQtDC::setBkColor(ZunRgb color)
{
    const ZunRgb previous = m_bk;
    m_bk = color;
    return previous;
}

QImage CZunQtDC::toQImage(const ZunBitmap& bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(image.scanLine(y), bitmap.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(bitmap.width),
                    static_cast<size_t>(bitmap.width) * 4);
    return image;
}

ZunBitmap CZunQtDC::fromQImage(const QImage& source)
{
    ZunBitmap bitmap;
    if (source.isNull())
        return bitmap;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    bitmap.width = image.width();
    bitmap.height = image.height();
    bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height));
    for (int y = 0; y < bitmap.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < bitmap.width; ++x)
            bitmap.pixels[static_cast<size_t>(y) * static_cast<size_t>(bitmap.width) + static_cast<size_t>(x)] = row[x] & 0xFFFFFFu;
    }
    return bitmap;
}

void CZunQtDC::bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop)
{
    flushLines();
    const SettleOnReturn settle;
    static constexpr QPainter::CompositionMode modes[] = {
        QPainter::CompositionMode_Source, QPainter::RasterOp_SourceAndDestination,
        QPainter::RasterOp_SourceOrDestination, QPainter::RasterOp_SourceXorDestination};
    if (!m_raster) {
        // Vector formats know no raster operations: the bitmap is copied.
        m_painter.drawImage(x, y, toQImage(bitmap));
        return;
    }
    const QPainter::CompositionMode previous = m_painter.compositionMode();
    m_painter.setCompositionMode(modes[static_cast<int>(rop)]);
    m_painter.drawImage(x, y, toQImage(bitmap));
    m_painter.setCompositionMode(previous);
}
