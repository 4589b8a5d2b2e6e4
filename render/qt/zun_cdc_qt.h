#pragma once

#include "render/paint/zun_cdc.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <array>
#include <cstddef>
#include <vector>

// The device context on a Qt paint device: QPainter with antialiasing off.
// On a raster image every result is pixel-exact and repeatable. On other
// devices (SVG, PDF) the same calls give vector output; there one-pixel
// pens are one unit wide rather than hairlines, so that lines laid side by
// side stay closed when the picture is enlarged, and polygons cut out of
// the clip are cut out of the filled polygons instead, as vector formats
// may not keep clip regions. The device must stay alive and unmoved while
// the context exists.
class CZunQtDC : public CDC {
public:
    // image: Format_RGB32 (converted if it is not).
    explicit CZunQtDC(QImage& image);
    // Any other device; the drawing area is size in device units, or the
    // device's own size when size is empty (a page size in millimetres
    // may round to one unit less than asked for).
    explicit CZunQtDC(QPaintDevice& device, QSize size = {});
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

    // The painter with every line handed to the context drawn. Its user may
    // change its pen, so the next selectPen sets the pen in any case.
    QPainter& painter()
    {
        flushLines();
        m_penKnown = false;
        m_painterPen = false;
        return m_painter;
    }
    // False when the device could not be opened for painting (an output
    // file that cannot be written, for one).
    bool isActive() const { return m_painter.isActive(); }

    static QColor toQColor(ZunRgb c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
    static QImage toQImage(const ZunBitmap& bitmap);
    static ZunBitmap fromQImage(const QImage& image);

private:
    QPolygon toPolygon(const ZunIPoint* points, int count) const;
    // Draws what waits, then gives the painter the selected pen, for
    // drawing that goes straight to it.
    void flushLines();
    // Draws the waiting runs in their order, each with its own pen.
    void drawRuns();
    // Makes the painter's pen the selected one.
    void syncPen();
    // Opens a run for the selected pen unless the last one has it.
    void joinRun()
    {
        if (!m_runIsPen) {
            m_runs.push_back({m_lines.size(), m_pixels.size(), m_penWidth, m_penColor, m_penKnown});
            m_runIsPen = true;
        }
    }
    const QPen& penFor(int width, ZunRgb color);
    // Draws a box of one pixel; false for any other box.
    bool drawsOnePixelBox(const ZunIRect& rect);

    void begin(QPaintDevice& device, QSize size);

    QImage* m_image = nullptr;  // a 32-bit image whose pixels are set directly
    bool m_raster = false;      // a pixel surface: clip regions, hairlines and raster operations
    QSize m_size;
    QPainter m_painter;
    QRegion m_clip;
    // The clip while it is a rectangle (no polygon cut out since it was
    // set): pixels are tested against it without asking the region.
    ZunIRect m_clipRect;
    bool m_clipIsRect = true;
    // m_image's pixels, which the painter draws into for as long as it is
    // active: single pixels are stored there directly.
    uchar* m_bits = nullptr;
    qsizetype m_bytesPerLine = 0;
    QPainterPath m_cutOut;      // vector devices: polygons cut out since the last clip rectangle
    QPoint m_pos;
    ZunRgb m_bk = 0xFFFFFF;
    bool m_hasPen = true;
    bool m_penKnown = false;  // m_penWidth and m_penColor are the pen to draw with
    int m_penWidth = 0;
    ZunRgb m_penColor = 0;
    // The painter holds the pen of m_painterWidth and m_painterColor.
    bool m_painterPen = false;
    int m_painterWidth = 0;
    ZunRgb m_painterColor = 0;
    // The last pens made, for selecting them again.
    struct KeptPen {
        bool made = false;
        int width = 0;
        ZunRgb color = 0;
        QPen pen;
    };
    std::array<KeptPen, 8> m_pens;
    std::size_t m_nextPen = 0;
    // Hairlines on a pixel surface are gathered and drawn together: Qt sets
    // up its line drawing once per call, and the painter's arithmetic and
    // Qt's drawing each run longer undisturbed. Selecting another hairline
    // pen opens a new run rather than drawing what waits; single pixels in
    // the colour of the run wait with it. Anything else that draws, every
    // clip change and a full batch draw the runs first, in their order, so
    // every pixel ends as drawing each call at once would leave it.
    bool gathersLines() const { return m_raster && m_hasPen && m_penWidth <= 1; }
    struct Run {
        std::size_t firstLine = 0;
        std::size_t firstPixel = 0;
        int width = 0;
        ZunRgb color = 0;
        bool ownPen = true;  // false: drawn with the pen set through painter()
    };
    std::vector<QLine> m_lines;
    std::vector<QPoint> m_pixels;  // in the colour of their run
    std::vector<Run> m_runs;
    bool m_runIsPen = false;  // the last run has the selected pen
};
