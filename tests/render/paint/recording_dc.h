#pragma once

// A device context that only records what it is asked to do, so that tests
// can check the painter's calls without pixels.

#include "render/paint/zun_recording_dc.h"

#include <string>
#include <vector>

struct RecordedCall {
    std::string op;            // "pen", "line", "pixel", "polygon", "ellipse", ...
    std::vector<int> args;     // coordinates, widths
    ZunRgb color = 0;
};

class RecordingDC : public CZunRecordingDC {
public:
    RecordingDC(int width, int height) : CZunRecordingDC({0, 0, width, height}, 0xC0C0C0) {}

    std::vector<RecordedCall> calls;

    int count(const std::string& op) const
    {
        int n = 0;
        for (const RecordedCall& c : calls)
            n += c.op == op;
        return n;
    }
    std::vector<RecordedCall> only(const std::string& op) const
    {
        std::vector<RecordedCall> out;
        for (const RecordedCall& c : calls)
            if (c.op == op)
                out.push_back(c);
        return out;
    }

    using CZunRecordingDC::polygon;

    void selectPen(int width, ZunRgb color) override
    {
        CZunRecordingDC::selectPen(width, color);
        add("pen", {width}, color);
    }
    void selectNullPen() override
    {
        CZunRecordingDC::selectNullPen();
        add("nullpen", {}, 0);
    }
    void selectSolidBrush(ZunRgb color) override
    {
        CZunRecordingDC::selectSolidBrush(color);
        add("brush", {}, color);
    }
    void selectHollowBrush() override
    {
        CZunRecordingDC::selectHollowBrush();
        add("hollow", {}, 0);
    }
    void setClipRect(const ZunIRect& r) override { add("clip", {r.left, r.top, r.right, r.bottom}, 0); }
    void excludeClipPolygon(const ZunIPoint* p, int n) override { add("exclude", flatten(p, n), 0); }
    void lineTo(int x, int y) override
    {
        const ZunIPoint from = lineStart(x, y);
        add("line", {from.x, from.y, x, y}, penColor());
    }
    void setPixel(int x, int y, ZunRgb color) override { add("pixel", {x, y}, color); }
    void polygon(const ZunIPoint* p, int n) override { add("polygon", flatten(p, n), brushColor()); }
    void ellipse(const ZunIRect& r) override { add("ellipse", {r.left, r.top, r.right, r.bottom}, penColor()); }
    void rectangle(const ZunIRect& r) override { add("rectangle", {r.left, r.top, r.right, r.bottom}, penColor()); }
    void fillSolidRect(const ZunIRect& r, ZunRgb color) override
    {
        add("fillrect", {r.left, r.top, r.right, r.bottom}, color);
    }
    void bitBlt(int x, int y, const ZunBitmap& b, ZunRop) override { add("blit", {x, y, b.width, b.height}, 0); }

private:
    void add(const char* op, std::vector<int> args, ZunRgb color) { calls.push_back({op, std::move(args), color}); }
    static std::vector<int> flatten(const ZunIPoint* p, int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i) {
            out.push_back(p[i].x);
            out.push_back(p[i].y);
        }
        return out;
    }
};
