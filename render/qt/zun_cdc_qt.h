#pragma once

#include "render/zun_cdc.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

// The device context on a Qt raster image: QPainter with antialiasing off,
// so that every result is pixel-exact and repeatable. The image must stay
// alive and unmoved while the context exists.
class CZunQtDC : public CDC {
public:
    // image: Format_RGB32 (converted if it is not).
    explicit CZunQtDC(QImage& image);
    ~CZunQtDC() override;

    using CDC::excludeClipPolygon;
    using CDC::polygon;

    ZunIRect clientRect() const override;
    void selectPen(int width, ZunRgb color) override;
    void selectNullPen() override;
    void selectSolidBrush(ZunRgb color) override;
    void selectHollowBrush() override;
    void setClipRect(const ZunIRect& rect) override;
    void excludeClipPolygon(const ZunIPoint* points, int count) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, ZunRgb color) override;
    void polygon(const ZunIPoint* points, int count) override;
    void ellipse(const ZunIRect& rect) override;
    void rectangle(const ZunIRect& rect) override;
    void fillSolidRect(const ZunIRect& rect, ZunRgb color) override;
    ZunRgb bkColor() const override { return m_bk; }
    ZunRgb setBkColor(ZunRgb color) override;
    void bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop) override;

    QPainter& painter() { return m_painter; }

    static QColor toQColor(ZunRgb c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
    static QImage toQImage(const ZunBitmap& bitmap);
    static ZunBitmap fromQImage(const QImage& image);

private:
    QPolygon toPolygon(const ZunIPoint* points, int count) const;

    QImage& m_image;
    QPainter m_painter;
    QRegion m_clip;
    QPoint m_pos;
    ZunRgb m_bk = 0xFFFFFF;
    bool m_hasPen = true;
};
