#pragma once

// A small reader for the metafiles we write, written from the format's
// record layout and independent of the writer: it walks the records,
// checks their framing, and plays them back the way a device would, keeping
// every mark with the pen and brush in effect, so that tests can compare
// what a reader sees with what was drawn.

#include "render/paint/zun_cdc.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace emf {

enum Type : std::uint32_t {
    Header = 1,
    Polygon = 3,
    Polyline = 4,
    PolyPolyline = 7,
    Eof = 14,
    SetPixelV = 15,
    SetPolyFillMode = 19,
    SetBkColor = 25,
    MoveToEx = 27,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    Ellipse = 42,
    Rectangle = 43,
    LineTo = 54,
    ExtSelectClipRgn = 75,
    StretchDIBits = 81,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyPolyline16 = 90,
};

struct Record {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::size_t offset = 0;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct HeaderInfo {
    Rect bounds, frame;
    std::uint32_t signature = 0, version = 0, bytes = 0, records = 0;
    std::uint16_t handles = 0;
    std::uint32_t description = 0, palEntries = 0;
    int deviceW = 0, deviceH = 0, mmW = 0, mmH = 0, umW = 0, umH = 0;
    std::uint32_t headerSize = 0;
};

// One mark as a device would make it.
struct Mark {
    std::uint32_t record = 0;          // the record type that made it
    std::vector<ZunIPoint> points;     // lines, polylines, polygons, pixels; box corners for shapes
    bool penNull = false;
    int penWidth = 0;
    ZunRgb pen = 0;
    bool brushSelected = false;        // a brush was selected explicitly before
    bool brushNull = true;
    ZunRgb brush = 0;
    ZunRgb pixel = 0;                  // the colour of a pixel
    std::vector<std::uint32_t> dib;    // a bitmap's pixels as stored (rows bottom-up)
    int dibW = 0, dibH = 0;
    std::uint32_t rop = 0;
    std::size_t clipsBefore = 0;       // clip records read before it: those in effect
};

struct Clip {
    std::uint32_t mode = 0;
    std::vector<Rect> rects;
};

class File {
public:
    explicit File(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) { walk(); }

    const std::string& error() const { return m_error; }
    bool ok() const { return m_error.empty(); }
    const std::vector<Record>& records() const { return m_records; }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    int count(std::uint32_t type) const
    {
        return static_cast<int>(std::count_if(m_records.begin(), m_records.end(),
                                              [type](const Record& r) { return r.type == type; }));
    }

    std::uint32_t u32(std::size_t at) const
    {
        if (at + 4 > m_bytes.size())
            return 0;
        return std::uint32_t(m_bytes[at]) | std::uint32_t(m_bytes[at + 1]) << 8 | std::uint32_t(m_bytes[at + 2]) << 16 |
               std::uint32_t(m_bytes[at + 3]) << 24;
    }
    int i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::uint16_t u16(std::size_t at) const
    {
        if (at + 2 > m_bytes.size())
            return 0;
        return static_cast<std::uint16_t>(m_bytes[at] | m_bytes[at + 1] << 8);
    }
    int i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    Rect rect(std::size_t at) const { return {i32(at), i32(at + 4), i32(at + 8), i32(at + 12)}; }

    HeaderInfo header() const
    {
        HeaderInfo h;
        h.bounds = rect(8);
        h.frame = rect(24);
        h.signature = u32(40);
        h.version = u32(44);
        h.bytes = u32(48);
        h.records = u32(52);
        h.handles = u16(56);
        h.description = u32(60);
        h.palEntries = u32(68);
        h.deviceW = i32(72);
        h.deviceH = i32(76);
        h.mmW = i32(80);
        h.mmH = i32(84);
        h.headerSize = u32(4);
        if (h.headerSize >= 108) {
            h.umW = i32(100);
            h.umH = i32(104);
        }
        return h;
    }

    // Plays the records back; marks in order. Sets error() on handles used
    // before they were made, made twice, or beyond the header's count.
    std::vector<Mark> play(std::vector<Clip>* clips = nullptr)
    {
        std::vector<Mark> marks;
        struct Object {
            bool pen = false;
            bool null = false;
            int width = 0;
            ZunRgb color = 0;
        };
        std::map<std::uint32_t, Object> objects;
        Object pen{true, false, 1, 0};
        Object brush{false, false, 0, 0xFFFFFF};  // the device's default: a white brush
        bool brushSelected = false;
        std::uint32_t penHandle = 0, brushHandle = 0;  // the objects selected
        ZunIPoint at{0, 0};
        std::size_t clipCount = 0;
        const std::uint16_t handles = header().handles;
        const auto mark = [&](std::uint32_t type) {
            Mark m;
            m.record = type;
            m.penNull = pen.null;
            m.penWidth = pen.width;
            m.pen = pen.color;
            m.brushSelected = brushSelected;
            m.brushNull = brush.null;
            m.brush = brush.color;
            m.clipsBefore = clipCount;
            return m;
        };
        for (const Record& r : m_records) {
            const std::size_t p = r.offset + 8;
            switch (r.type) {
            case CreatePen:
            case CreateBrushIndirect: {
                const std::uint32_t handle = u32(p);
                if (handle == 0 || handle >= handles || objects.count(handle))
                    fail("object slot " + std::to_string(handle) + " made while in use or outside the table");
                Object o;
                o.pen = r.type == CreatePen;
                if (o.pen) {
                    o.null = u32(p + 4) == 5;  // PS_NULL
                    o.width = i32(p + 8);
                    o.color = u32(p + 16);
                } else {
                    o.null = u32(p + 4) == 1;  // BS_NULL
                    o.color = u32(p + 8);
                }
                objects[handle] = o;
                break;
            }
            case SelectObject: {
                const std::uint32_t handle = u32(p);
                if (handle & 0x80000000u) {
                    const std::uint32_t stock = handle & 0x7FFFFFFFu;
                    if (stock == 8) {
                        pen = {true, true, 1, 0};
                        penHandle = 0;
                    } else if (stock == 5) {
                        brush = {false, true, 0, 0};
                        brushSelected = true;
                        brushHandle = 0;
                    } else
                        fail("unexpected stock object " + std::to_string(stock));
                } else if (!objects.count(handle)) {
                    fail("selecting object " + std::to_string(handle) + " that does not exist");
                } else if (objects[handle].pen) {
                    pen = objects[handle];
                    penHandle = handle;
                } else {
                    brush = objects[handle];
                    brushSelected = true;
                    brushHandle = handle;
                }
                break;
            }
            case DeleteObject:
                if (u32(p) == penHandle || u32(p) == brushHandle)
                    fail("deleting object " + std::to_string(u32(p)) + " while it is selected");
                if (!objects.erase(u32(p)))
                    fail("deleting object " + std::to_string(u32(p)) + " that does not exist");
                break;
            case MoveToEx:
                at = {i32(p), i32(p + 4)};
                break;
            case LineTo: {
                Mark m = mark(r.type);
                const ZunIPoint to{i32(p), i32(p + 4)};
                m.points = {at, to};
                at = to;
                marks.push_back(m);
                break;
            }
            case Polyline16:
            case Polygon16:
            case Polyline:
            case Polygon: {
                Mark m = mark(r.type);
                const std::uint32_t n = u32(p + 16);
                const bool small = r.type == Polyline16 || r.type == Polygon16;
                for (std::uint32_t k = 0; k < n; ++k)
                    m.points.push_back(small ? ZunIPoint{i16(p + 20 + 4 * k), i16(p + 22 + 4 * k)}
                                             : ZunIPoint{i32(p + 20 + 8 * k), i32(p + 24 + 8 * k)});
                marks.push_back(m);
                break;
            }
            case PolyPolyline16:
            case PolyPolyline: {
                // One mark per polyline.
                const std::uint32_t lines = u32(p + 16);
                const bool small = r.type == PolyPolyline16;
                std::size_t at = p + 24 + 4 * lines;
                for (std::uint32_t k = 0; k < lines; ++k) {
                    Mark m = mark(r.type);
                    for (std::uint32_t q = 0; q < u32(p + 24 + 4 * k); ++q, at += small ? 4 : 8)
                        m.points.push_back(small ? ZunIPoint{i16(at), i16(at + 2)} : ZunIPoint{i32(at), i32(at + 4)});
                    marks.push_back(m);
                }
                break;
            }
            case Rectangle:
            case Ellipse: {
                Mark m = mark(r.type);
                m.points = {{i32(p), i32(p + 4)}, {i32(p + 8), i32(p + 12)}};
                marks.push_back(m);
                break;
            }
            case SetPixelV: {
                Mark m = mark(r.type);
                m.points = {{i32(p), i32(p + 4)}};
                m.pixel = u32(p + 8);
                marks.push_back(m);
                break;
            }
            case StretchDIBits: {
                Mark m = mark(r.type);
                m.points = {{i32(p + 16), i32(p + 20)}};
                const std::size_t info = r.offset + u32(p + 40);
                const std::size_t bits = r.offset + u32(p + 48);
                m.rop = u32(p + 60);
                m.dibW = i32(info + 4);
                m.dibH = i32(info + 8);
                for (std::size_t k = 0; k < u32(p + 52) / 4; ++k)
                    m.dib.push_back(u32(bits + 4 * k));
                marks.push_back(m);
                break;
            }
            case ExtSelectClipRgn:
                ++clipCount;
                if (clips) {
                    Clip c;
                    c.mode = u32(p + 4);
                    const std::uint32_t n = u32(p + 8 + 8);
                    for (std::uint32_t k = 0; k < n; ++k)
                        c.rects.push_back(rect(p + 8 + 32 + 16 * k));
                    clips->push_back(c);
                }
                break;
            default:
                break;
            }
        }
        return marks;
    }

private:
    void fail(const std::string& why)
    {
        if (m_error.empty())
            m_error = why;
    }

    // Framing: a header first, sizes of at least 8 that are multiples of 4
    // and stay inside the file, the end record last.
    void walk()
    {
        std::size_t at = 0;
        while (at + 8 <= m_bytes.size()) {
            const Record r{u32(at), u32(at + 4), at};
            if (r.size < 8 || r.size % 4 != 0 || at + r.size > m_bytes.size()) {
                fail("bad record size " + std::to_string(r.size) + " at " + std::to_string(at));
                return;
            }
            m_records.push_back(r);
            at += r.size;
            if (r.type == Eof)
                break;
        }
        if (m_records.empty() || m_records.front().type != Header)
            fail("no header first");
        else if (m_records.back().type != Eof)
            fail("no end record last");
        else if (at != m_bytes.size())
            fail("bytes after the end record");
    }

    std::vector<std::uint8_t> m_bytes;
    std::vector<Record> m_records;
    std::string m_error;
};

// The inclusive box of the pixels a mark can touch (pen width ignored).
inline Rect markBox(const Mark& m)
{
    Rect b{m.points[0].x, m.points[0].y, m.points[0].x, m.points[0].y};
    for (const ZunIPoint& q : m.points) {
        b.left = std::min(b.left, q.x);
        b.top = std::min(b.top, q.y);
        b.right = std::max(b.right, q.x);
        b.bottom = std::max(b.bottom, q.y);
    }
    if (m.record == Rectangle || m.record == Ellipse) {
        --b.right;  // the device leaves the right and bottom edge out
        --b.bottom;
    }
    if (m.record == StretchDIBits) {
        b.right = b.left + m.dibW - 1;
        b.bottom = b.top + m.dibH - 1;
    }
    return b;
}

// Every straight piece drawn by lines and polylines, with its pen colour.
struct Segment {
    ZunIPoint a, b;
    ZunRgb color = 0;
};
inline std::vector<Segment> segments(const std::vector<Mark>& marks)
{
    std::vector<Segment> out;
    for (const Mark& m : marks)
        if (!m.penNull && (m.record == LineTo || m.record == Polyline16 || m.record == Polyline ||
                           m.record == PolyPolyline16 || m.record == PolyPolyline))
            for (std::size_t k = 1; k < m.points.size(); ++k)
                out.push_back({m.points[k - 1], m.points[k], m.pen});
    return out;
}

} // namespace emf
