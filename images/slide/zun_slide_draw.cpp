#include "images/slide/zun_slide_draw.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZUN {

namespace {

// Device coordinates of far-off points stay within int; the clip region
// hides them anyway.
int toDevice(double v)
{
    return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

class CSlideDrawer : public CSlideSink {
public:
    CSlideDrawer(CDC& dc, const ZunIRect& rect, int bkIndex) : m_dc(dc), m_rect(rect), m_bkIndex(bkIndex) {}

    bool slideBegin(const SlideHeader& header) override
    {
        m_map = SlideMapping::fit(m_rect, header.highX, header.highY);
        return true;
    }

    void slideVector(const SlidePoint& from, const SlidePoint& to) override
    {
        const ZunIPoint a = m_map.map(from);
        const ZunIPoint b = m_map.map(to);
        m_dc.moveTo(a.x, a.y);
        m_dc.lineTo(b.x, b.y);
    }

    void slideSolidFill(const SlidePoint* points, int count) override
    {
        m_points.clear();
        for (int i = 0; i < count; ++i)
            m_points.push_back(m_map.map(points[i]));
        m_dc.polygon(m_points);
    }

    void slideColor(int index) override
    {
        // White on a white background would vanish: draw it black there.
        const ZunRgb rgb = acadRGB(index == 7 && m_bkIndex == 7 ? 0 : index);
        m_dc.selectPen(1, rgb);
        m_dc.selectSolidBrush(rgb);
    }

private:
    CDC& m_dc;
    ZunIRect m_rect;
    int m_bkIndex;
    SlideMapping m_map;
    std::vector<ZunIPoint> m_points;  // kept across fills: no allocation per fill
};

} // namespace

SlideMapping SlideMapping::fit(const ZunIRect& rect, int highX, int highY)
{
    const double w = static_cast<double>(rect.right) - rect.left - 1;
    const double h = static_cast<double>(rect.bottom) - rect.top - 1;
    SlideMapping m;
    if (highX > 0 && highY > 0)
        m.scale = std::min(w / highX, h / highY);
    else if (highX > 0)
        m.scale = w / highX;
    else if (highY > 0)
        m.scale = h / highY;
    m.offsetX = toDevice(w - highX * m.scale) >> 1;
    m.offsetY = toDevice(h - highY * m.scale) >> 1;
    m.highY = highY;
    return m;
}

ZunIPoint SlideMapping::map(const SlidePoint& p) const
{
    return {toDevice(p.x * scale + offsetX), toDevice((highY - p.y) * scale + offsetY)};
}

bool slideDraw(CSlide& slide, CDC& dc, const ZunIRect& rect, int bkIndex)
{
    CSlideDrawer drawer(dc, rect, bkIndex);
    return slide.decodeSlide(drawer).ok;
}

} // namespace ZUN
