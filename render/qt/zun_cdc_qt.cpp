#include "render/qt/zun_cdc_qt.h"

#include <cstring>

CZunQtDC::CZunQtDC(QImage& image) : m_image(image)
{
    if (m_image.format() != QImage::Format_RGB32)
        m_image = m_image.convertToFormat(QImage::Format_RGB32);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_clip = QRegion(m_image.rect());
    selectPen(0, 0);
    selectHollowBrush();
}

CZunQtDC::~CZunQtDC()
{
    m_painter.end();
}

ZunIRect CZunQtDC::clientRect() const
{
    return {0, 0, m_image.width(), m_image.height()};
}

void CZunQtDC::selectPen(int width, ZunRgb color)
{
    QPen pen(toQColor(color));
    pen.setWidth(width <= 1 ? 0 : width);  // 0: cosmetic one-pixel pen
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
    m_hasPen = true;
}

void CZunQtDC::selectNullPen()
{
    m_painter.setPen(Qt::NoPen);
    m_hasPen = false;
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
    m_clip = QRegion(rect.left, rect.top, rect.width(), rect.height());
    m_painter.setClipRegion(m_clip);
}

void CZunQtDC::excludeClipPolygon(const ZunIPoint* points, int count)
{
    if (count < 3)
        return;
    m_clip = m_clip.subtracted(QRegion(toPolygon(points, count), Qt::OddEvenFill));
    m_painter.setClipRegion(m_clip);
}

void CZunQtDC::moveTo(int x, int y)
{
    m_pos = QPoint(x, y);
}

void CZunQtDC::lineTo(int x, int y)
{
    const QPoint to(x, y);
    if (m_hasPen)
        m_painter.drawLine(m_pos, to);
    m_pos = to;
}

void CZunQtDC::setPixel(int x, int y, ZunRgb color)
{
    if (!m_image.rect().contains(x, y) || !m_clip.contains(QPoint(x, y)))
        return;
    m_image.setPixel(x, y, zunRgbToPixel(color) | 0xFF000000u);
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
    if (count < 2)
        return;
    m_painter.drawPolygon(toPolygon(points, count), Qt::OddEvenFill);
}

void CZunQtDC::ellipse(const ZunIRect& rect)
{
    // The device rectangle excludes its right and bottom edge; Qt's includes them.
    m_painter.drawEllipse(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
}

void CZunQtDC::rectangle(const ZunIRect& rect)
{
    m_painter.drawRect(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
}

void CZunQtDC::fillSolidRect(const ZunIRect& rect, ZunRgb color)
{
    m_painter.fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), toQColor(color));
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
    static constexpr QPainter::CompositionMode modes[] = {
        QPainter::CompositionMode_Source, QPainter::RasterOp_SourceAndDestination,
        QPainter::RasterOp_SourceOrDestination, QPainter::RasterOp_SourceXorDestination};
    const QPainter::CompositionMode previous = m_painter.compositionMode();
    m_painter.setCompositionMode(modes[static_cast<int>(rop)]);
    m_painter.drawImage(x, y, toQImage(bitmap));
    m_painter.setCompositionMode(previous);
}
