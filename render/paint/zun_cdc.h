#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The device context the painter draws through. It is the short list of
// operations a display list needs: pens, brushes, clipping with polygons
// cut out, polygon fills by the alternate rule, lines, pixels, ellipses,
// rectangles, filled rectangles, the background colour and bitmap copies.
// Backends: the Qt raster surface (pixels) and the metafile recorder. All
// coordinates are device pixels; colours are 0x00BBGGRR.

using ZunRgb = std::uint32_t;

struct ZunIPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ZunIPoint&, const ZunIPoint&) = default;
};

// Left and top inside, right and bottom outside, as the device APIs have it.
struct ZunIRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const ZunIRect&, const ZunIRect&) = default;
};

// How a copied bitmap combines with what is there.
enum class ZunRop {
    Copy,  // source replaces destination
    And,   // source AND destination
    Or,    // source OR destination
    Xor,   // source XOR destination
};

// A plain 32-bit bitmap, rows top to bottom, pixels 0x00RRGGBB as in memory
// images (note: not the 0x00BBGGRR colour order of pens and brushes).
struct ZunBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool isNull() const { return width <= 0 || height <= 0; }
    std::uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

inline std::uint32_t zunRgbToPixel(ZunRgb c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline ZunRgb zunPixelToRgb(std::uint32_t p)
{
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

class CDC {
public:
    virtual ~CDC() = default;

    // The drawing area: (0, 0) to its size.
    virtual ZunIRect clientRect() const = 0;

    // A solid pen; width 0 draws one pixel wide.
    virtual void selectPen(int width, ZunRgb color) = 0;
    virtual void selectNullPen() = 0;
    virtual void selectSolidBrush(ZunRgb color) = 0;
    virtual void selectHollowBrush() = 0;

    // Clipping: a rectangle, from which polygons (alternate rule) can be cut.
    virtual void setClipRect(const ZunIRect& rect) = 0;
    virtual void excludeClipPolygon(const ZunIPoint* points, int count) = 0;

    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void setPixel(int x, int y, ZunRgb color) = 0;
    // Filled with the brush by the alternate rule, edged with the pen.
    virtual void polygon(const ZunIPoint* points, int count) = 0;
    // Outlined with the pen, filled with the brush, inside the rectangle.
    virtual void ellipse(const ZunIRect& rect) = 0;
    virtual void rectangle(const ZunIRect& rect) = 0;
    virtual void fillSolidRect(const ZunIRect& rect, ZunRgb color) = 0;

    virtual ZunRgb bkColor() const = 0;
    // Returns the previous background colour.
    virtual ZunRgb setBkColor(ZunRgb color) = 0;

    virtual void bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop) = 0;

    // Convenience for point lists.
    void polygon(const std::vector<ZunIPoint>& points) { polygon(points.data(), static_cast<int>(points.size())); }
    void excludeClipPolygon(const std::vector<ZunIPoint>& points)
    {
        excludeClipPolygon(points.data(), static_cast<int>(points.size()));
    }
};
