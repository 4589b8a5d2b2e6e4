#pragma once

#include "render/paint/zun_cdc.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A device context that records what is drawn as an enhanced metafile
// (.emf) in memory, so that pictures can go to files and the clipboard and
// be read by other programs at any scale.
//
// One device unit is one pixel of a picture of the size given to the
// constructor. The physical size written into the header (frame, device
// millimetres) assumes a reference resolution of kPixelsPerInch (96 dpi,
// the common screen resolution), so a 960 x 480 picture is 254 x 127 mm.
//
// Pens and brushes are selected lazily: a selection is written only when
// something is drawn with it, and one selected again while it is current
// costs nothing. Up to 16 pens and brushes stay alive in the file, so that
// going back to an earlier colour costs a selection only; beyond that the
// one unused longest is deleted, so readers never hold more.
// Lines drawn one after another with the same pen are gathered: connected
// ones (lineTo after lineTo) into one polyline, a series of polylines into
// one record of many, which keeps large drawings small. Every filled shape is preceded by an explicit brush selection,
// as some readers fill black when none was selected.
//
// Clipping: the rectangle replaces the clip region. An excluded polygon is
// cut out of it as the region of its pixels (top-left corners inside by
// the alternate rule, the rule of the screen's clip regions) in difference
// mode: regions in this format are lists of rectangles, so the cut is exact
// at the picture's resolution, the same pixels the screen leaves out. (A clip path would scale better, but
// readers honour difference-mode paths even less than regions.)
//
// Usage: draw through the CDC interface (for example with CZunPainter),
// then take bytes() or save(path). Both finish the metafile (end record,
// header totals); drawing after that is ignored.
class CZunEmfDC : public CDC {
public:
    static constexpr int kPixelsPerInch = 96;

    // The picture size in pixels; sizes below 1 count as 1.
    CZunEmfDC(int width, int height);
    ~CZunEmfDC() override;
    CZunEmfDC(const CZunEmfDC&) = delete;
    CZunEmfDC& operator=(const CZunEmfDC&) = delete;

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
    // A rectangle in the colour without an edge, covering left..right-1 and
    // top..bottom-1 like the other backends.
    void fillSolidRect(const ZunIRect& rect, ZunRgb color) override;
    ZunRgb bkColor() const override;
    ZunRgb setBkColor(ZunRgb color) override;
    // A 32-bit device-independent bitmap stretched 1:1 to (x, y).
    void bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop) override;

    // Finishes the metafile: the end record and the header totals. Called
    // by bytes() and save(); later drawing calls are ignored.
    void close();
    bool isClosed() const;

    // The whole metafile (finishes it first).
    const std::vector<std::uint8_t>& bytes();
    // Writes the whole metafile to the file (finishes it first); false when
    // the path is null or empty or the file cannot be written completely.
    bool save(const wchar_t* path);

    // Records written so far, header included. Lines being gathered are
    // written by the next call that needs them or by close(): the counts
    // are complete once the metafile is closed.
    int recordCount() const;
    // Of those, the records that put marks on the page: lines, polylines,
    // polygons, rectangles, ellipses, pixels and bitmaps.
    int drawingRecordCount() const;

private:
    class Writer;
    std::unique_ptr<Writer> m_writer;
};
