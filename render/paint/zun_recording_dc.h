#pragma once

#include "render/paint/zun_cdc.h"

#include <utility>

// A device that puts no pixels anywhere: the base of the devices that only
// look at what a paint asks of them (record the calls, count them, trace
// where the pieces go). It keeps the state a painter sets and may read
// back, the pen, the brush, the pen's position and the background colour,
// and ignores every shape; a device overrides the calls it wants to see
// and asks the base for the state it needs.
class CZunRecordingDC : public CDC {
public:
    explicit CZunRecordingDC(const ZunIRect& client, ZunRgb background = 0) : m_client(client), m_bk(background) {}

    ZunIRect clientRect() const override { return m_client; }
    void selectPen(int width, ZunRgb color) override
    {
        m_penWidth = width;
        m_penColor = color;
        m_nullPen = false;
    }
    void selectNullPen() override { m_nullPen = true; }
    void selectSolidBrush(ZunRgb color) override
    {
        m_brushColor = color;
        m_hollowBrush = false;
    }
    void selectHollowBrush() override { m_hollowBrush = true; }
    void setClipRect(const ZunIRect&) override {}
    void excludeClipPolygon(const ZunIPoint*, int) override {}
    void moveTo(int x, int y) override { m_pos = {x, y}; }
    void lineTo(int x, int y) override { m_pos = {x, y}; }
    void setPixel(int, int, ZunRgb) override {}
    void polygon(const ZunIPoint*, int) override {}
    void ellipse(const ZunIRect&) override {}
    void rectangle(const ZunIRect&) override {}
    void fillSolidRect(const ZunIRect&, ZunRgb) override {}
    ZunRgb bkColor() const override { return m_bk; }
    ZunRgb setBkColor(ZunRgb color) override { return std::exchange(m_bk, color); }
    void bitBlt(int, int, const ZunBitmap&, ZunRop) override {}

    using CDC::excludeClipPolygon;
    using CDC::polygon;

protected:
    // The pen last selected (a null pen keeps the width and colour of the
    // one before it) and the brush.
    int penWidth() const { return m_penWidth; }
    ZunRgb penColor() const { return m_penColor; }
    bool nullPen() const { return m_nullPen; }
    ZunRgb brushColor() const { return m_brushColor; }
    bool hollowBrush() const { return m_hollowBrush; }
    // Where the next line starts.
    ZunIPoint position() const { return m_pos; }
    // For a lineTo(x, y): where the line starts; (x, y) becomes the position.
    ZunIPoint lineStart(int x, int y) { return std::exchange(m_pos, ZunIPoint{x, y}); }

private:
    ZunIRect m_client;
    ZunRgb m_bk = 0;
    ZunIPoint m_pos;
    int m_penWidth = 0;
    ZunRgb m_penColor = 0;
    bool m_nullPen = false;
    ZunRgb m_brushColor = 0;
    bool m_hollowBrush = false;
};
