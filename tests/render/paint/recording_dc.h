#pragma once

// A device context that only records what it is asked to do, so that tests
// can check the painter's calls without pixels.

#include "render/paint/zun_cdc.h"

#include <string>
#include <vector>

struct RecordedCall {
    std::string op;            // "pen", "line", "pixel", "polygon", "ellipse", ...
    std::vector<int> args;     // coordinates, widths
    ZunRgb color = 0;
};

class RecordingDC : public CDC {
public:
    RecordingDC(int width, int height) : m_rect{0, 0, width, height} {}

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

    ZunIRect clientRect() const override { return m_rect; }
    void selectPen(int width, ZunRgb color) override { m_pen = color; add("pen", {width}, color); }
    void selectNullPen() override { add("nullpen", {}, 0); }
    void selectSolidBrush(ZunRgb color) override { m_brush = color; add("brush", {}, color); }
    void selectHollowBrush() override { add("hollow", {}, 0); }
    void setClipRect(const ZunIRect& r) override { add("clip", {r.left, r.top, r.right, r.bottom}, 0); }
    void excludeClipPolygon(const ZunIPoint* p, int n) override { add("exclude", flatten(p, n), 0); }
    void moveTo(int x, int y) override { m_at = {x, y}; }
    void lineTo(int x, int y) override
    {
        add("line", {m_at.x, m_at.y, x, y}, m_pen);
        m_at = {x, y};
    }
    void setPixel(int x, int y, ZunRgb color) override { add("pixel", {x, y}, color); }
    void polygon(const ZunIPoint* p, int n) override { add("polygon", flatten(p, n), m_brush); }
    void ellipse(const ZunIRect& r) override { add("ellipse", {r.left, r.top, r.right, r.bottom}, m_pen); }
    void rectangle(const ZunIRect& r) override { add("rectangle", {r.left, r.top, r.right, r.bottom}, m_pen); }
    void fillSolidRect(const ZunIRect& r, ZunRgb color) override
    {
        add("fillrect", {r.left, r.top, r.right, r.bottom}, color);
    }
    ZunRgb bkColor() const override { return m_bk; }
    ZunRgb setBkColor(ZunRgb color) override
    {
        const ZunRgb old = m_bk;
        m_bk = color;
        return old;
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

    ZunIRect m_rect;
    ZunIPoint m_at;
    ZunRgb m_pen = 0;
    ZunRgb m_brush = 0;
    ZunRgb m_bk = 0xC0C0C0;
};
