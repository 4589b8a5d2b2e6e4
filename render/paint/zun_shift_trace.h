#pragma once

// What a scrolled picture must paint again. When the view moves by whole
// pixels, the pixels a line leaves in the kept part of the picture are the
// same after the move only if nothing cut or rounded the line differently:
// a line that leaves the device is cut at its edge before it is rasterised,
// and where that edge lies along the line moves its pixels by one here and
// there. So each piece an item draws is looked at on its own: pieces wholly
// inside the kept part, or wholly apart from it, keep their pixels; the
// pixels the others can touch are marked, in tiles, for painting again.

#include "render/paint/zun_cdc.h"
#include "render/paint/zun_recording_dc.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// How far past its ends and sides a piece drawn with a pen of this width
// can colour pixels, with two more for coordinates truncated on either side
// of zero and the pixel a rasteriser may stray.
inline int zunPenReach(int penWidth)
{
    return std::max(penWidth, 1) / 2 + 3;
}

// A set of square tiles over the device: the part of it a paint must get
// right. Marking is done pixel rectangle by pixel rectangle; once sealed,
// whether a rectangle meets a marked tile is answered in constant time.
class CZunTileMask {
public:
    static constexpr int kTile = 8;

    // Empties the mask and sizes it for a device of width x height pixels.
    void reset(int width, int height);
    // Marks every tile the pixels of r (right and bottom outside) meet.
    void mark(const ZunIRect& r);
    // Adds r itself, to the pixel (a strip a pan uncovers): items that do
    // not reach it are not drawn for it.
    void add(const ZunIRect& r);
    // Marks the tiles within reach pixels of the line from a to b.
    void markLine(double ax, double ay, double bx, double by, int reach);
    // How many tiles are marked so far, and whether they and the pixels
    // added (in tiles' worth, each rectangle rounded up) are past the limit
    // set (none by default): a caller can give up marking early, or not
    // begin when the added strips alone are past it.
    int markedTiles() const { return m_count; }
    void setLimit(int tiles) { m_limit = tiles; }
    bool overLimit() const { return m_limit >= 0 && m_count + m_addedTiles > m_limit; }
    // Done marking: readies touches().
    void seal();
    // Whether r meets a marked tile (after seal()).
    bool touches(const ZunIRect& r) const;
    // The marked pixels, as rectangles of runs of tiles along each tile row
    // and the rectangles added, cut to the device.
    const std::vector<ZunIRect>& rects() const { return m_rects; }
    // How many device pixels the marked tiles and added rectangles cover,
    // counting pixels in both twice (after seal()).
    long long markedPixels() const { return m_marked; }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width = 0, m_height = 0;
    int m_cols = 0, m_rows = 0;
    std::vector<std::uint8_t> m_tiles;  // row by row
    std::vector<int> m_sums;            // (rows + 1) x (cols + 1) prefix sums
    std::vector<ZunIRect> m_rects;
    std::vector<ZunIRect> m_added;
    long long m_marked = 0;
    int m_count = 0;
    int m_addedTiles = 0;
    int m_limit = -1;
};

// A device that draws nothing: it sorts the pieces it is given, in the
// device's coordinates after a move, by the part of the device the moved
// picture keeps, and marks in the mask the pixels of those that reach from
// it to beyond it. Line pieces mark only the tiles along them; fills,
// ellipses and rectangles their whole box.
class CZunShiftTraceDC : public CZunRecordingDC {
public:
    CZunShiftTraceDC(const ZunIRect& client, const ZunIRect& kept, CZunTileMask& mask);

    using CZunRecordingDC::polygon;

    // A cut-out only narrows the fill that follows, which lies around it,
    // so clipping is left to the base, which ignores it.
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, ZunRgb) override { markBox({x, y, x, y}, 0); }
    void polygon(const ZunIPoint* points, int count) override;
    void ellipse(const ZunIRect& rect) override { markBox(rect, penReach()); }
    void rectangle(const ZunIRect& rect) override { markBox(rect, penReach()); }
    void fillSolidRect(const ZunIRect& rect, ZunRgb) override { markBox({rect.left, rect.top, rect.right - 1, rect.bottom - 1}, 0); }
    void bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop) override
    {
        markBox({x, y, x + bitmap.width - 1, y + bitmap.height - 1}, 0);
    }

    // Pieces that marked the mask, and all pieces seen (for statistics).
    int piecesMarked() const { return m_marked; }
    int piecesSeen() const { return m_seen; }

private:
    int penReach() const { return zunPenReach(penWidth()); }
    // Whether the box (right and bottom outside) widened by reach can change
    // pixels of the kept part.
    bool crossesKept(const ZunIRect& box, int reach) const;
    // Marks the pixels from (left, top) to (right, bottom), both corners
    // inside, and reach around them, when they cross the kept part's edge.
    void markBox(const ZunIRect& box, int reach);

    ZunIRect m_kept;
    CZunTileMask& m_mask;
    int m_marked = 0;
    int m_seen = 0;
};

// Passes to another device only the pieces that can colour a marked tile
// of the mask, and counts them. A device's pieces are rasterised each on
// its own and clipped to the device alone, so leaving out a piece that
// cannot reach the marked tiles changes no pixel there: the viewer paints
// the tiles of a scrolled picture through it and copies only them.
class CZunMaskedDC : public CDC {
public:
    // mask: sealed; null passes everything on.
    CZunMaskedDC(CDC& target, const CZunTileMask* mask) : m_target(target), m_mask(mask) {}

    ZunIRect clientRect() const override { return m_target.clientRect(); }
    void selectPen(int width, ZunRgb color) override
    {
        m_penWidth = width;
        m_target.selectPen(width, color);
    }
    void selectNullPen() override { m_target.selectNullPen(); }
    void selectSolidBrush(ZunRgb color) override { m_target.selectSolidBrush(color); }
    void selectHollowBrush() override { m_target.selectHollowBrush(); }
    void setClipRect(const ZunIRect& rect) override { m_target.setClipRect(rect); }
    void excludeClipPolygon(const ZunIPoint* points, int count) override
    {
        m_target.excludeClipPolygon(points, count);
    }
    void moveTo(int x, int y) override { m_pos = {x, y}; }
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, ZunRgb color) override;
    void polygon(const ZunIPoint* points, int count) override;
    void ellipse(const ZunIRect& rect) override;
    void rectangle(const ZunIRect& rect) override;
    void fillSolidRect(const ZunIRect& rect, ZunRgb color) override;
    ZunRgb bkColor() const override { return m_target.bkColor(); }
    ZunRgb setBkColor(ZunRgb color) override { return m_target.setBkColor(color); }
    void bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop) override;

    // Pieces passed on, and pieces left out.
    int piecesDrawn() const { return m_drawn; }
    int piecesLeftOut() const { return m_leftOut; }

private:
    // Whether the pixels from (left, top) to (right, bottom), both corners
    // inside, widened by reach, meet a marked tile; counts the verdict.
    bool reaches(int left, int top, int right, int bottom, int reach);
    int penReach() const { return zunPenReach(m_penWidth); }

    CDC& m_target;
    const CZunTileMask* m_mask;
    ZunIPoint m_pos;
    int m_penWidth = 0;
    int m_drawn = 0;
    int m_leftOut = 0;
};
