#include "render/emf/zun_emf_dc.h"

#include "contracts/base/zun_string.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Record types of the enhanced-metafile format that we write.
enum EmrType : std::uint32_t {
    kEmrHeader = 1,
    kEmrPolygon = 3,
    kEmrPolyline = 4,
    kEmrPolyPolyline = 7,
    kEmrEof = 14,
    kEmrSetPixelV = 15,
    kEmrSetPolyFillMode = 19,
    kEmrSetBkColor = 25,
    kEmrMoveToEx = 27,
    kEmrSelectObject = 37,
    kEmrCreatePen = 38,
    kEmrCreateBrushIndirect = 39,
    kEmrDeleteObject = 40,
    kEmrEllipse = 42,
    kEmrRectangle = 43,
    kEmrLineTo = 54,
    kEmrExtSelectClipRgn = 75,
    kEmrStretchDIBits = 81,
    kEmrPolygon16 = 86,
    kEmrPolyline16 = 87,
    kEmrPolyPolyline16 = 90,
};

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kEmfVersion = 0x00010000;
constexpr std::uint32_t kStockObject = 0x80000000u;
constexpr std::uint32_t kNullBrush = 5;
constexpr std::uint32_t kNullPen = 8;
constexpr std::uint32_t kPsSolid = 0;
constexpr std::uint32_t kBsSolid = 0;
constexpr std::uint32_t kAlternate = 1;
constexpr std::uint32_t kRgnDiff = 4;
constexpr std::uint32_t kRgnCopy = 5;
constexpr std::uint32_t kRdhRectangles = 1;
constexpr std::uint32_t kDibRgbColors = 0;
// Lines gathered into one record at most: keeps records of a size every
// reader copes with.
constexpr std::size_t kMaxLinePoints = 16384;
// Pens and brushes kept alive in the file for reuse.
constexpr std::size_t kMaxLiveObjects = 16;

std::uint32_t ropCode(ZunRop rop)
{
    switch (rop) {
    case ZunRop::And: return 0x008800C6;  // SRCAND
    case ZunRop::Or: return 0x00EE0086;   // SRCPAINT
    case ZunRop::Xor: return 0x00660046;  // SRCINVERT
    case ZunRop::Copy: break;
    }
    return 0x00CC0020;  // SRCCOPY
}

bool fitsShort(int v)
{
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

// Hundredths of a millimetre (or micrometres with perUnit 25400) for a
// number of pixels at the reference resolution, rounded.
int pixelsToLength(int pixels, int perInch)
{
    const long long scaled = static_cast<long long>(pixels) * perInch;
    return static_cast<int>((scaled + CZunEmfDC::kPixelsPerInch / 2) / CZunEmfDC::kPixelsPerInch);
}

// An inclusive box that grows point by point; empty until the first one.
struct Bounds {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool empty = true;

    void add(int l, int t, int r, int b)
    {
        if (l > r || t > b)
            return;
        if (empty) {
            *this = {l, t, r, b, false};
            return;
        }
        left = std::min(left, l);
        top = std::min(top, t);
        right = std::max(right, r);
        bottom = std::max(bottom, b);
    }
};

// The smallest integer not below num / den (den > 0), exactly.
long long ceilDiv(long long num, long long den)
{
    return num >= 0 ? (num + den - 1) / den : -((-num) / den);
}

// The pixels whose top-left corners lie inside the polygon by the alternate
// rule, as rectangles (right and bottom outside): the pixels the screen's
// clip region of the same polygon holds, so that a cut-out leaves out the
// same pixels in the picture as on the screen. An edge counts on the rows
// from its upper end to before its lower end, and a crossing at x holds the
// pixels from ceil(x) on; the arithmetic is exact, as corners often lie on
// an edge. Consecutive rows with the same runs share one band of
// rectangles, which keeps regions of plain shapes small.
void polygonRectangles(const ZunIPoint* p, int n, std::vector<ZunIRect>& out)
{
    out.clear();
    int top = std::numeric_limits<int>::max();
    int bottom = std::numeric_limits<int>::min();
    for (int i = 0; i < n; ++i) {
        top = std::min(top, p[i].y);
        bottom = std::max(bottom, p[i].y);
    }
    std::vector<int> xs;
    std::vector<ZunIRect> band;
    std::size_t bandStart = 0;  // where the current band begins in out
    for (int y = top; y < bottom; ++y) {
        xs.clear();
        for (int i = 0; i < n; ++i) {
            ZunIPoint a = p[i];
            ZunIPoint b = p[(i + 1) % n];
            if ((a.y > y) == (b.y > y))
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            const long long dx = static_cast<long long>(b.x) - a.x;
            const long long dy = static_cast<long long>(b.y) - a.y;
            xs.push_back(static_cast<int>(a.x + ceilDiv((static_cast<long long>(y) - a.y) * dx, dy)));
        }
        std::sort(xs.begin(), xs.end());
        band.clear();
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            if (xs[k] < xs[k + 1])
                band.push_back({xs[k], y, xs[k + 1], y + 1});
        const bool same = band.size() == out.size() - bandStart && !band.empty() &&
                          std::equal(band.begin(), band.end(), out.begin() + static_cast<std::ptrdiff_t>(bandStart),
                                     [y](const ZunIRect& r, const ZunIRect& o) {
                                         return r.left == o.left && r.right == o.right && o.bottom == y;
                                     });
        if (same) {
            for (std::size_t k = bandStart; k < out.size(); ++k)
                ++out[k].bottom;
        } else {
            bandStart = out.size();
            out.insert(out.end(), band.begin(), band.end());
        }
    }
}

} // namespace

// The byte stream with its object table and the drawing state the file has
// seen, which may lag behind the state asked for (selections are lazy).
class CZunEmfDC::Writer {
public:
    struct Pen {
        bool null = false;
        int width = 1;
        ZunRgb color = 0;
        bool operator==(const Pen&) const = default;
    };
    struct Brush {
        bool null = true;
        ZunRgb color = 0;
        bool operator==(const Brush&) const = default;
    };

    Writer(int width, int height) : m_width(width), m_height(height), m_clipBox{0, 0, width, height}
    {
        m_bytes.reserve(4096);
        writeHeader();
        const std::size_t at = begin(kEmrSetPolyFillMode);
        put32(kAlternate);
        end(at);
    }

    // ---- the state asked for ----------------------------------------------------

    Pen wantedPen;
    Brush wantedBrush;
    ZunIPoint position;   // the current position as the caller sees it
    ZunRgb bkColor = 0xFFFFFF;
    bool closed = false;

    int width() const { return m_width; }
    int height() const { return m_height; }
    int records() const { return m_records; }
    int drawingRecords() const { return m_drawingRecords; }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    // Changing the pen ends a gathered polyline: it was drawn with the old
    // one. Lines do not use the brush.
    void wantPen(const Pen& pen)
    {
        if (pen == wantedPen)
            return;
        flushLines();
        wantedPen = pen;
    }
    void wantBrush(const Brush& brush) { wantedBrush = brush; }

    // ---- lines -------------------------------------------------------------------

    // A line that goes on from the last one extends its run; any other
    // starts a new run in the same batch.
    void lineTo(ZunIPoint to)
    {
        if (m_lineCounts.empty() || m_linePoints.back() != position) {
            if (m_linePoints.size() >= kMaxLinePoints)
                flushLines();
            m_linePoints.push_back(position);
            m_lineCounts.push_back(1);
        }
        m_linePoints.push_back(to);
        ++m_lineCounts.back();
        position = to;
    }

    // The gathered lines: a single segment as move and line (the move only
    // when the file's position is elsewhere), a single run as a polyline,
    // several runs as one record of many polylines.
    void flushLines()
    {
        if (m_lineCounts.empty())
            return;
        if (!wantedPen.null) {
            applySelection();
            const int count = static_cast<int>(m_linePoints.size());
            if (m_lineCounts.size() > 1)
                writePoints(kEmrPolyPolyline16, kEmrPolyPolyline, m_linePoints.data(), count, &m_lineCounts, true);
            else if (count > 2)
                writePoints(kEmrPolyline16, kEmrPolyline, m_linePoints.data(), count, nullptr, true);
            else
                writeSegment(m_linePoints[0], m_linePoints[1]);
            // Polylines leave the position alone, but some readers move it
            // to their last point: the next single line states its start.
            if (count > 2)
                m_filePosValid = false;
        }
        m_linePoints.clear();
        m_lineCounts.clear();
    }

    // ---- shapes --------------------------------------------------------------------

    void polygon(const ZunIPoint* points, int count)
    {
        flushLines();
        applySelection();
        writePoints(kEmrPolygon16, kEmrPolygon, points, count, nullptr, true);
    }

    void box(std::uint32_t type, const ZunIRect& r)
    {
        flushLines();
        applySelection();
        const std::size_t at = begin(type);
        putRect(r.left, r.top, r.right, r.bottom);
        end(at);
        // The device draws the edge on left..right-1 and top..bottom-1.
        addBounds(std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right) - 1,
                  std::max(r.top, r.bottom) - 1, true);
        ++m_drawingRecords;
    }

    void pixel(int x, int y, ZunRgb color)
    {
        flushLines();
        const std::size_t at = begin(kEmrSetPixelV);
        putPoint(x, y);
        put32(color);
        end(at);
        addBounds(x, y, x, y, false);
        ++m_drawingRecords;
    }

    void bitmap(int x, int y, const ZunBitmap& bmp, ZunRop rop)
    {
        flushLines();
        const std::uint32_t infoSize = 40;
        const std::uint32_t bitsSize = static_cast<std::uint32_t>(bmp.width) * static_cast<std::uint32_t>(bmp.height) * 4;
        const std::uint32_t fixed = 80;
        const std::size_t at = begin(kEmrStretchDIBits);
        putRect(x, y, x + bmp.width - 1, y + bmp.height - 1);
        putPoint(x, y);
        putPoint(0, 0);
        putPoint(bmp.width, bmp.height);
        put32(fixed);
        put32(infoSize);
        put32(fixed + infoSize);
        put32(bitsSize);
        put32(kDibRgbColors);
        put32(ropCode(rop));
        putPoint(bmp.width, bmp.height);
        putBitmapInfo(bmp, bitsSize);
        // Rows bottom-up, 32-bit pixels as blue, green, red, unused: the byte
        // order a 0x00RRGGBB value has in memory.
        std::size_t out = m_bytes.size();
        m_bytes.resize(out + bitsSize);
        for (int row = bmp.height - 1; row >= 0; --row)
            for (int col = 0; col < bmp.width; ++col, out += 4)
                poke32(out, bmp.pixel(col, row) & 0xFFFFFFu);
        end(at);
        addBounds(x, y, x + bmp.width - 1, y + bmp.height - 1, false);
        ++m_drawingRecords;
    }

    // ---- clipping ------------------------------------------------------------------

    // A one-rectangle region replaces the clip region.
    void clipRect(const ZunIRect& r)
    {
        flushLines();
        const std::size_t at = begin(kEmrExtSelectClipRgn);
        put32(32 + 16);  // region data: header and one rectangle
        put32(kRgnCopy);
        put32(32);
        put32(kRdhRectangles);
        put32(1);
        put32(16);
        putRect(r.left, r.top, r.right, r.bottom);
        putRect(r.left, r.top, r.right, r.bottom);
        end(at);
        m_clipBox = r;
    }

    // The polygon's pixels (corners inside by the alternate rule) cut out of
    // the clip region as a list of rectangles.
    void excludePolygon(const ZunIPoint* points, int count)
    {
        flushLines();
        polygonRectangles(points, count, m_rects);
        if (m_rects.empty())
            return;
        Bounds b;
        for (const ZunIRect& r : m_rects)
            b.add(r.left, r.top, r.right, r.bottom);
        const std::uint32_t rectBytes = static_cast<std::uint32_t>(m_rects.size() * 16);
        const std::size_t at = begin(kEmrExtSelectClipRgn);
        put32(32 + rectBytes);
        put32(kRgnDiff);
        put32(32);
        put32(kRdhRectangles);
        put32(static_cast<std::uint32_t>(m_rects.size()));
        put32(rectBytes);
        putRect(b.left, b.top, b.right, b.bottom);
        for (const ZunIRect& r : m_rects)
            putRect(r.left, r.top, r.right, r.bottom);
        end(at);
    }

    void setBkColor(ZunRgb color)
    {
        flushLines();
        const std::size_t at = begin(kEmrSetBkColor);
        put32(color);
        end(at);
    }

    // ---- the end -------------------------------------------------------------------

    void finish()
    {
        flushLines();
        const std::size_t at = begin(kEmrEof);
        put32(0);   // no palette entries
        put32(16);  // where they would start
        put32(20);  // this record's size, repeated at its end
        end(at);
        patchHeader();
        closed = true;
    }

private:
    // Selects the wanted pen and brush in the file if it holds others.
    void applySelection()
    {
        if (!m_filePenValid || m_filePen != wantedPen) {
            m_filePenHandle = wantedPen.null ? kStockObject | kNullPen : objectFor(true, wantedPen, {});
            select(m_filePenHandle);
            m_filePen = wantedPen;
            m_filePenValid = true;
        }
        if (!m_fileBrushValid || m_fileBrush != wantedBrush) {
            // A hollow brush is the stock null brush, selected explicitly
            // like any other: readers that find no selection fill black.
            m_fileBrushHandle = wantedBrush.null ? kStockObject | kNullBrush : objectFor(false, {}, wantedBrush);
            select(m_fileBrushHandle);
            m_fileBrush = wantedBrush;
            m_fileBrushValid = true;
        }
    }

    // The handle of a pen or brush alive in the file, made when there is
    // none. Drawings go back and forth between a few colours, so a few
    // objects are kept; when the table is full the one unused longest (and
    // not selected) is deleted to make room.
    std::uint32_t objectFor(bool isPen, const Pen& pen, const Brush& brush)
    {
        for (LiveObject& o : m_live)
            if (o.isPen == isPen && (isPen ? o.pen == pen : o.brush == brush)) {
                o.lastUse = ++m_clock;
                return o.handle;
            }
        if (m_live.size() >= kMaxLiveObjects)
            deleteLeastUsed();
        const std::uint32_t handle = allocateHandle();
        if (isPen)
            writeCreatePen(handle, pen);
        else
            writeCreateBrush(handle, brush);
        m_live.push_back({isPen, pen, brush, handle, ++m_clock});
        return handle;
    }

    void deleteLeastUsed()
    {
        auto oldest = m_live.end();
        for (auto it = m_live.begin(); it != m_live.end(); ++it)
            if (it->handle != m_filePenHandle && it->handle != m_fileBrushHandle &&
                (oldest == m_live.end() || it->lastUse < oldest->lastUse))
                oldest = it;
        if (oldest == m_live.end())
            return;
        const std::size_t at = begin(kEmrDeleteObject);
        put32(oldest->handle);
        end(at);
        m_handleUsed[oldest->handle] = false;
        m_live.erase(oldest);
    }

    void writeCreatePen(std::uint32_t handle, const Pen& pen)
    {
        const std::size_t at = begin(kEmrCreatePen);
        put32(handle);
        put32(kPsSolid);
        putPoint(std::max(pen.width, 1), 0);
        put32(pen.color);
        end(at);
    }

    void writeCreateBrush(std::uint32_t handle, const Brush& brush)
    {
        const std::size_t at = begin(kEmrCreateBrushIndirect);
        put32(handle);
        put32(kBsSolid);
        put32(brush.color);
        put32(0);
        end(at);
    }

    void select(std::uint32_t handle)
    {
        const std::size_t at = begin(kEmrSelectObject);
        put32(handle);
        end(at);
    }

    std::uint32_t allocateHandle()
    {
        std::size_t i = 1;
        while (i < m_handleUsed.size() && m_handleUsed[i])
            ++i;
        if (i >= m_handleUsed.size())
            m_handleUsed.resize(i + 1, false);
        m_handleUsed[i] = true;
        return static_cast<std::uint32_t>(i);
    }

    void writeSegment(ZunIPoint from, ZunIPoint to)
    {
        if (!m_filePosValid || m_filePos != from) {
            const std::size_t at = begin(kEmrMoveToEx);
            putPoint(from.x, from.y);
            end(at);
        }
        const std::size_t at = begin(kEmrLineTo);
        putPoint(to.x, to.y);
        end(at);
        m_filePos = to;
        m_filePosValid = true;
        addBounds(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x), std::max(from.y, to.y),
                  true);
        ++m_drawingRecords;
    }

    // A polyline or polygon record, or with counts one of several
    // polylines, with 16-bit coordinates when they fit.
    void writePoints(std::uint32_t type16, std::uint32_t type32, const ZunIPoint* points, int count,
                     const std::vector<std::uint32_t>* counts, bool draws)
    {
        if (count < 1)
            return;
        Bounds b;
        bool small = true;
        for (int i = 0; i < count; ++i) {
            b.add(points[i].x, points[i].y, points[i].x, points[i].y);
            small = small && fitsShort(points[i].x) && fitsShort(points[i].y);
        }
        const std::size_t at = begin(small ? type16 : type32);
        putRect(b.left, b.top, b.right, b.bottom);
        if (counts)
            put32(static_cast<std::uint32_t>(counts->size()));
        put32(static_cast<std::uint32_t>(count));
        if (counts)
            for (const std::uint32_t n : *counts)
                put32(n);
        if (small) {
            for (int i = 0; i < count; ++i) {
                put16(static_cast<std::uint16_t>(points[i].x));
                put16(static_cast<std::uint16_t>(points[i].y));
            }
        } else {
            for (int i = 0; i < count; ++i)
                putPoint(points[i].x, points[i].y);
        }
        end(at);
        if (draws) {
            addBounds(b.left, b.top, b.right, b.bottom, true);
            ++m_drawingRecords;
        }
    }

    void putBitmapInfo(const ZunBitmap& bmp, std::uint32_t bitsSize)
    {
        put32(40);
        put32(static_cast<std::uint32_t>(bmp.width));
        put32(static_cast<std::uint32_t>(bmp.height));  // positive: rows bottom-up
        put16(1);
        put16(32);
        put32(0);  // uncompressed
        put32(bitsSize);
        put32(3780);  // 96 dpi in pixels per metre
        put32(3780);
        put32(0);
        put32(0);
    }

    // Marks drawn with a pen wider than one pixel reach half its width out.
    void addBounds(int l, int t, int r, int b, bool stroked)
    {
        if (stroked && !wantedPen.null && wantedPen.width > 1) {
            const int grow = wantedPen.width / 2;
            l -= grow;
            t -= grow;
            r += grow;
            b += grow;
        }
        // Nothing is drawn outside the clip box.
        m_bounds.add(std::max(l, m_clipBox.left), std::max(t, m_clipBox.top), std::min(r, m_clipBox.right - 1),
                     std::min(b, m_clipBox.bottom - 1));
    }

    void writeHeader()
    {
        const std::size_t at = begin(kEmrHeader);
        putRect(0, 0, -1, -1);  // bounds, filled in at the end
        // The frame is inclusive: a picture n pixels wide spans n * 2540 / 96
        // hundredths of a millimetre, from 0 to one less than that.
        putRect(0, 0, pixelsToLength(m_width, 2540) - 1, pixelsToLength(m_height, 2540) - 1);
        put32(kEmfSignature);
        put32(kEmfVersion);
        put32(0);  // total size, at the end
        put32(0);  // record count, at the end
        put16(0);  // handle count, at the end
        put16(0);
        put32(0);  // no description
        put32(0);
        put32(0);  // no palette
        putPoint(m_width, m_height);
        putPoint(pixelsToLength(m_width, 254) / 10, pixelsToLength(m_height, 254) / 10);
        put32(0);  // no pixel format
        put32(0);
        put32(0);  // not OpenGL
        putPoint(pixelsToLength(m_width, 25400), pixelsToLength(m_height, 25400));
        end(at);
    }

    void patchHeader()
    {
        if (!m_bounds.empty) {
            poke32(8, static_cast<std::uint32_t>(m_bounds.left));
            poke32(12, static_cast<std::uint32_t>(m_bounds.top));
            poke32(16, static_cast<std::uint32_t>(m_bounds.right));
            poke32(20, static_cast<std::uint32_t>(m_bounds.bottom));
        }
        poke32(48, static_cast<std::uint32_t>(m_bytes.size()));
        poke32(52, static_cast<std::uint32_t>(m_records));
        const std::size_t handles = std::max<std::size_t>(m_handleUsed.size(), 1);
        m_bytes[56] = static_cast<std::uint8_t>(handles & 0xFF);
        m_bytes[57] = static_cast<std::uint8_t>((handles >> 8) & 0xFF);
    }

    // ---- bytes ---------------------------------------------------------------------

    std::size_t begin(std::uint32_t type)
    {
        const std::size_t at = m_bytes.size();
        put32(type);
        put32(0);
        ++m_records;
        return at;
    }
    void end(std::size_t at) { poke32(at + 4, static_cast<std::uint32_t>(m_bytes.size() - at)); }

    void put16(std::uint16_t v)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void put32(std::uint32_t v)
    {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        m_bytes.insert(m_bytes.end(), b, b + 4);
    }
    void putPoint(int x, int y)
    {
        put32(static_cast<std::uint32_t>(x));
        put32(static_cast<std::uint32_t>(y));
    }
    void putRect(int l, int t, int r, int b)
    {
        putPoint(l, t);
        putPoint(r, b);
    }
    void poke32(std::size_t at, std::uint32_t v)
    {
        for (int k = 0; k < 4; ++k)
            m_bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
    }

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_bytes;
    int m_records = 0;
    int m_drawingRecords = 0;
    Bounds m_bounds;
    ZunIRect m_clipBox;
    std::vector<ZunIPoint> m_linePoints;     // lines not yet written: the points of their runs
    std::vector<std::uint32_t> m_lineCounts;  // and the number of points of each run
    std::vector<ZunIRect> m_rects;     // rectangles of an excluded polygon
    std::vector<bool> m_handleUsed{true};  // slot 0 belongs to the metafile itself
    struct LiveObject {
        bool isPen = true;
        Pen pen;
        Brush brush;
        std::uint32_t handle = 0;
        std::uint64_t lastUse = 0;
    };
    std::vector<LiveObject> m_live;  // pens and brushes made and not deleted
    std::uint64_t m_clock = 0;

    // What the file has selected, so that repeated selections cost nothing.
    Pen m_filePen;
    Brush m_fileBrush;
    bool m_filePenValid = false;
    bool m_fileBrushValid = false;
    std::uint32_t m_filePenHandle = 0;
    std::uint32_t m_fileBrushHandle = 0;
    ZunIPoint m_filePos;
    bool m_filePosValid = false;
};

CZunEmfDC::CZunEmfDC(int width, int height)
    : m_writer(std::make_unique<Writer>(std::max(width, 1), std::max(height, 1)))
{
}

CZunEmfDC::~CZunEmfDC() = default;

ZunIRect CZunEmfDC::clientRect() const
{
    return {0, 0, m_writer->width(), m_writer->height()};
}

void CZunEmfDC::selectPen(int width, ZunRgb color)
{
    m_writer->wantPen({false, std::max(width, 1), color & 0xFFFFFF});
}

void CZunEmfDC::selectNullPen()
{
    m_writer->wantPen({true, 1, 0});
}

void CZunEmfDC::selectSolidBrush(ZunRgb color)
{
    m_writer->wantBrush({false, color & 0xFFFFFF});
}

void CZunEmfDC::selectHollowBrush()
{
    m_writer->wantBrush({true, 0});
}

void CZunEmfDC::setClipRect(const ZunIRect& rect)
{
    if (!isClosed())
        m_writer->clipRect(rect);
}

void CZunEmfDC::excludeClipPolygon(const ZunIPoint* points, int count)
{
    if (!isClosed() && count >= 3)
        m_writer->excludePolygon(points, count);
}

void CZunEmfDC::moveTo(int x, int y)
{
    m_writer->position = {x, y};
}

void CZunEmfDC::lineTo(int x, int y)
{
    if (!isClosed())
        m_writer->lineTo({x, y});
}

void CZunEmfDC::setPixel(int x, int y, ZunRgb color)
{
    if (!isClosed())
        m_writer->pixel(x, y, color & 0xFFFFFF);
}

void CZunEmfDC::polygon(const ZunIPoint* points, int count)
{
    if (!isClosed() && count >= 2)
        m_writer->polygon(points, count);
}

void CZunEmfDC::ellipse(const ZunIRect& rect)
{
    if (!isClosed())
        m_writer->box(kEmrEllipse, rect);
}

void CZunEmfDC::rectangle(const ZunIRect& rect)
{
    if (!isClosed())
        m_writer->box(kEmrRectangle, rect);
}

// An edge in the fill colour covers exactly the pixels a fill alone would,
// and readers that draw vectors see a plain filled rectangle.
void CZunEmfDC::fillSolidRect(const ZunIRect& rect, ZunRgb color)
{
    if (isClosed() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const Writer::Pen pen = m_writer->wantedPen;
    const Writer::Brush brush = m_writer->wantedBrush;
    m_writer->wantPen({false, 1, color & 0xFFFFFF});
    m_writer->wantBrush({false, color & 0xFFFFFF});
    m_writer->box(kEmrRectangle, rect);
    m_writer->wantPen(pen);
    m_writer->wantBrush(brush);
}

ZunRgb CZunEmfDC::bkColor() const
{
    return m_writer->bkColor;
}

ZunRgb CZunEmfDC::setBkColor(ZunRgb color)
{
    const ZunRgb previous = m_writer->bkColor;
    color &= 0xFFFFFF;
    if (!isClosed() && color != previous)
        m_writer->setBkColor(color);
    m_writer->bkColor = color;
    return previous;
}

void CZunEmfDC::bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop)
{
    if (!isClosed() && !bitmap.isNull())
        m_writer->bitmap(x, y, bitmap, rop);
}

void CZunEmfDC::close()
{
    if (!isClosed())
        m_writer->finish();
}

bool CZunEmfDC::isClosed() const
{
    return m_writer->closed;
}

const std::vector<std::uint8_t>& CZunEmfDC::bytes()
{
    close();
    return m_writer->bytes();
}

bool CZunEmfDC::save(const wchar_t* path)
{
    if (!path || !*path)
        return false;
    const std::vector<std::uint8_t>& data = bytes();
    std::FILE* file = std::fopen(CZunString(path).toUtf8().c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && written;
}

int CZunEmfDC::recordCount() const
{
    return m_writer->records();
}

int CZunEmfDC::drawingRecordCount() const
{
    return m_writer->drawingRecords();
}
