#pragma once

// Plays a metafile back onto an image: the marks and clip regions the
// tests' reader finds, drawn in their order through the Qt device. What
// reaches the image is what the metafile says, not what its writer was
// asked for, so comparing it with the Qt device's own drawing of the same
// calls shows whatever the recording loses or changes.

#include "render/qt/zun_cdc_qt.h"
#include "tests/render/emf/emf_reader.h"

#include <QImage>

#include <string>
#include <vector>

namespace emf {

inline ZunRop ropOf(std::uint32_t code)
{
    switch (code) {
    case 0x008800C6: return ZunRop::And;
    case 0x00EE0086: return ZunRop::Or;
    case 0x00660046: return ZunRop::Xor;
    default: return ZunRop::Copy;
    }
}

// The stored rows run bottom-up when the height is positive.
inline ZunBitmap bitmapOf(const Mark& m)
{
    ZunBitmap b;
    b.width = m.dibW;
    b.height = m.dibH < 0 ? -m.dibH : m.dibH;
    b.pixels.resize(static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height));
    for (int y = 0; y < b.height; ++y) {
        const int row = m.dibH > 0 ? b.height - 1 - y : y;
        for (int x = 0; x < b.width; ++x)
            b.pixels[static_cast<std::size_t>(y * b.width + x)] =
                m.dib[static_cast<std::size_t>(row * b.width + x)] & 0xFFFFFFu;
    }
    return b;
}

// A region of rectangles: copy mode makes it the clip, difference mode cuts
// each rectangle out. Other modes are not written by our recorder.
inline bool applyClip(CDC& dc, const Clip& clip, std::string& error)
{
    if (clip.mode == 5 && clip.rects.size() == 1) {
        const Rect& r = clip.rects.front();
        dc.setClipRect({r.left, r.top, r.right, r.bottom});
        return true;
    }
    if (clip.mode == 4) {
        for (const Rect& r : clip.rects)
            dc.excludeClipPolygon(
                std::vector<ZunIPoint>{{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}});
        return true;
    }
    error = "clip mode " + std::to_string(clip.mode) + " with " + std::to_string(clip.rects.size()) +
            " rectangles is not played";
    return false;
}

inline void selectFor(CDC& dc, const Mark& m)
{
    if (m.penNull)
        dc.selectNullPen();
    else
        dc.selectPen(m.penWidth, m.pen);
    if (m.brushNull)
        dc.selectHollowBrush();
    else
        dc.selectSolidBrush(m.brush);
}

inline void drawMark(CDC& dc, const Mark& m)
{
    selectFor(dc, m);
    switch (m.record) {
    case LineTo:
    case Polyline:
    case Polyline16:
    case PolyPolyline:
    case PolyPolyline16:
        dc.moveTo(m.points[0].x, m.points[0].y);
        for (std::size_t k = 1; k < m.points.size(); ++k)
            dc.lineTo(m.points[k].x, m.points[k].y);
        break;
    case Polygon:
    case Polygon16: dc.polygon(m.points); break;
    case Rectangle: dc.rectangle({m.points[0].x, m.points[0].y, m.points[1].x, m.points[1].y}); break;
    case Ellipse: dc.ellipse({m.points[0].x, m.points[0].y, m.points[1].x, m.points[1].y}); break;
    case SetPixelV: dc.setPixel(m.points[0].x, m.points[0].y, m.pixel); break;
    case StretchDIBits: dc.bitBlt(m.points[0].x, m.points[0].y, bitmapOf(m), ropOf(m.rop)); break;
    default: break;
    }
}

// Plays file onto image; false with error() set on the file, or the reason
// in error, when it cannot be played whole.
inline bool playOnto(File& file, QImage& image, std::string& error)
{
    std::vector<Clip> clips;
    const std::vector<Mark> marks = file.play(&clips);
    if (!file.ok()) {
        error = file.error();
        return false;
    }
    CZunQtDC dc(image);
    std::size_t applied = 0;
    for (const Mark& m : marks) {
        for (; applied < m.clipsBefore; ++applied)
            if (!applyClip(dc, clips[applied], error))
                return false;
        drawMark(dc, m);
    }
    return true;
}

} // namespace emf
