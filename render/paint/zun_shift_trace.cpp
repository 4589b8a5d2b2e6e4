#include "render/paint/zun_shift_trace.h"

#include <cmath>

namespace {

// Cuts the line from a to b to the rectangle [x0, x1] x [y0, y1]; false when
// nothing of it is inside.
bool cutLine(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double sx = ax, sy = ay;
    ax = sx + t0 * dx;
    ay = sy + t0 * dy;
    bx = sx + t1 * dx;
    by = sy + t1 * dy;
    return true;
}

int floorInt(double v)
{
    return static_cast<int>(std::floor(v));
}

} // namespace

void CZunTileMask::reset(int width, int height)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_cols = (m_width + kTile - 1) / kTile;
    m_rows = (m_height + kTile - 1) / kTile;
    m_tiles.assign(static_cast<std::size_t>(m_cols) * static_cast<std::size_t>(m_rows), 0);
    m_sums.clear();
    m_rects.clear();
    m_added.clear();
    m_marked = 0;
    m_count = 0;
    m_addedTiles = 0;
    m_limit = -1;
}

void CZunTileMask::mark(const ZunIRect& r)
{
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min(r.right, m_width), bottom = std::min(r.bottom, m_height);
    if (left >= right || top >= bottom)
        return;
    for (int row = top / kTile; row <= (bottom - 1) / kTile; ++row) {
        std::uint8_t* line = m_tiles.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols);
        for (int col = left / kTile; col <= (right - 1) / kTile; ++col) {
            m_count += line[col] ^ 1;
            line[col] = 1;
        }
    }
}

void CZunTileMask::add(const ZunIRect& r)
{
    const ZunIRect cut = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, m_width),
                          std::min(r.bottom, m_height)};
    if (cut.left >= cut.right || cut.top >= cut.bottom)
        return;
    m_added.push_back(cut);
    const long long pixels = static_cast<long long>(cut.width()) * cut.height();
    m_addedTiles += static_cast<int>((pixels + kTile * kTile - 1) / (kTile * kTile));
}

void CZunTileMask::markLine(double ax, double ay, double bx, double by, int reach)
{
    // Only what lies on the device matters; a line far longer than the
    // device is walked along the device alone.
    if (!cutLine(ax, ay, bx, by, -reach - 1.0, -reach - 1.0, m_width + reach + 1.0, m_height + reach + 1.0))
        return;
    // In steps no longer than a tile along the longer axis, each step's box
    // widened by the reach.
    const double span = std::max(std::abs(bx - ax), std::abs(by - ay));
    const int steps = std::max(1, static_cast<int>(std::ceil(span / kTile)));
    double px = ax, py = ay;
    for (int k = 1; k <= steps; ++k) {
        const double qx = k == steps ? bx : ax + (bx - ax) * k / steps;
        const double qy = k == steps ? by : ay + (by - ay) * k / steps;
        mark({floorInt(std::min(px, qx)) - reach, floorInt(std::min(py, qy)) - reach,
              floorInt(std::max(px, qx)) + reach + 1, floorInt(std::max(py, qy)) + reach + 1});
        px = qx;
        py = qy;
    }
}

void CZunTileMask::seal()
{
    const std::size_t stride = static_cast<std::size_t>(m_cols) + 1;
    m_sums.assign(stride * (static_cast<std::size_t>(m_rows) + 1), 0);
    m_rects.clear();
    m_marked = 0;
    for (int row = 0; row < m_rows; ++row) {
        const std::uint8_t* line = m_tiles.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols);
        int across = 0;
        for (int col = 0; col < m_cols; ++col) {
            across += line[col];
            m_sums[(row + 1) * stride + col + 1] = m_sums[row * stride + col + 1] + across;
        }
        const int top = row * kTile, bottom = std::min(m_height, top + kTile);
        for (int col = 0; col < m_cols;) {
            if (!line[col]) {
                ++col;
                continue;
            }
            const int first = col;
            while (col < m_cols && line[col])
                ++col;
            const ZunIRect r = {first * kTile, top, std::min(m_width, col * kTile), bottom};
            m_rects.push_back(r);
            m_marked += static_cast<long long>(r.width()) * r.height();
        }
    }
    for (const ZunIRect& r : m_added) {
        m_rects.push_back(r);
        m_marked += static_cast<long long>(r.width()) * r.height();
    }
}

bool CZunTileMask::touches(const ZunIRect& r) const
{
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min(r.right, m_width), bottom = std::min(r.bottom, m_height);
    if (left >= right || top >= bottom || m_sums.empty())
        return false;
    for (const ZunIRect& a : m_added)
        if (left < a.right && a.left < right && top < a.bottom && a.top < bottom)
            return true;
    const std::size_t stride = static_cast<std::size_t>(m_cols) + 1;
    const int c0 = left / kTile, c1 = (right - 1) / kTile + 1;
    const int r0 = top / kTile, r1 = (bottom - 1) / kTile + 1;
    return m_sums[r1 * stride + c1] - m_sums[r0 * stride + c1] - m_sums[r1 * stride + c0] + m_sums[r0 * stride + c0]
           > 0;
}

// ---- the trace device ----------------------------------------------------------

CZunShiftTraceDC::CZunShiftTraceDC(const ZunIRect& client, const ZunIRect& kept, CZunTileMask& mask)
    : CZunRecordingDC(client), m_kept(kept), m_mask(mask)
{
}

bool CZunShiftTraceDC::crossesKept(const ZunIRect& box, int reach) const
{
    const ZunIRect r = {box.left - reach, box.top - reach, box.right + reach, box.bottom + reach};
    const bool inside = r.left >= m_kept.left && r.top >= m_kept.top && r.right <= m_kept.right
                        && r.bottom <= m_kept.bottom;
    const bool apart = r.right <= m_kept.left || r.left >= m_kept.right || r.bottom <= m_kept.top
                       || r.top >= m_kept.bottom;
    return !inside && !apart;
}

void CZunShiftTraceDC::markBox(const ZunIRect& box, int reach)
{
    // Past the limit the pan is given up: the rest of the item is not
    // worth looking at.
    if (m_mask.overLimit())
        return;
    ++m_seen;
    // Taken with right and bottom inside, which is a pixel more than some
    // pieces cover and never less; the reach covers at least truncation.
    const int r = std::max(reach, 2);
    const ZunIRect b = {std::min(box.left, box.right), std::min(box.top, box.bottom),
                        std::max(box.left, box.right) + 1, std::max(box.top, box.bottom) + 1};
    if (!crossesKept(b, r))
        return;
    ++m_marked;
    m_mask.mark({b.left - r, b.top - r, b.right + r, b.bottom + r});
}

void CZunShiftTraceDC::lineTo(int x, int y)
{
    const ZunIPoint from = lineStart(x, y);
    if (m_mask.overLimit())
        return;
    ++m_seen;
    const int reach = penReach();
    const ZunIRect box = {std::min(from.x, x), std::min(from.y, y), std::max(from.x, x) + 1, std::max(from.y, y) + 1};
    if (!crossesKept(box, reach))
        return;
    ++m_marked;
    m_mask.markLine(from.x, from.y, x, y, reach);
}

void CZunShiftTraceDC::polygon(const ZunIPoint* points, int count)
{
    if (count < 1)
        return;
    ZunIRect box = {points[0].x, points[0].y, points[0].x, points[0].y};
    for (int k = 1; k < count; ++k) {
        box.left = std::min(box.left, points[k].x);
        box.top = std::min(box.top, points[k].y);
        box.right = std::max(box.right, points[k].x);
        box.bottom = std::max(box.bottom, points[k].y);
    }
    markBox(box, penReach());
}

// ---- the masked device -----------------------------------------------------------

bool CZunMaskedDC::reaches(int left, int top, int right, int bottom, int reach)
{
    const bool in = !m_mask
                    || m_mask->touches({std::min(left, right) - reach, std::min(top, bottom) - reach,
                                        std::max(left, right) + reach + 1, std::max(top, bottom) + reach + 1});
    ++(in ? m_drawn : m_leftOut);
    return in;
}

void CZunMaskedDC::lineTo(int x, int y)
{
    const ZunIPoint from = m_pos;
    m_pos = {x, y};
    if (!reaches(from.x, from.y, x, y, penReach()))
        return;
    // The target's own position is set only for the pieces it draws.
    m_target.moveTo(from.x, from.y);
    m_target.lineTo(x, y);
}

void CZunMaskedDC::setPixel(int x, int y, ZunRgb color)
{
    if (reaches(x, y, x, y, 1))
        m_target.setPixel(x, y, color);
}

void CZunMaskedDC::polygon(const ZunIPoint* points, int count)
{
    if (count < 1)
        return;
    int left = points[0].x, top = points[0].y, right = left, bottom = top;
    for (int k = 1; k < count; ++k) {
        left = std::min(left, points[k].x);
        top = std::min(top, points[k].y);
        right = std::max(right, points[k].x);
        bottom = std::max(bottom, points[k].y);
    }
    if (reaches(left, top, right, bottom, penReach()))
        m_target.polygon(points, count);
}

void CZunMaskedDC::ellipse(const ZunIRect& rect)
{
    if (reaches(rect.left, rect.top, rect.right, rect.bottom, penReach()))
        m_target.ellipse(rect);
}

void CZunMaskedDC::rectangle(const ZunIRect& rect)
{
    if (reaches(rect.left, rect.top, rect.right, rect.bottom, penReach()))
        m_target.rectangle(rect);
}

void CZunMaskedDC::fillSolidRect(const ZunIRect& rect, ZunRgb color)
{
    if (reaches(rect.left, rect.top, rect.right, rect.bottom, 1))
        m_target.fillSolidRect(rect, color);
}

void CZunMaskedDC::bitBlt(int x, int y, const ZunBitmap& bitmap, ZunRop rop)
{
    if (reaches(x, y, x + bitmap.width, y + bitmap.height, 1))
        m_target.bitBlt(x, y, bitmap, rop);
}
