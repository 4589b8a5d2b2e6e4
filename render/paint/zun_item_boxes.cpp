#include "render/paint/zun_item_boxes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool isIdentity(const CZunMatrix3d& m)
{
    return m == CZunMatrix3d::kIdentity;
}

// An upper bound of how much m stretches any vector: the Frobenius norm of
// its linear part.
double stretchOf(const CZunMatrix3d& m)
{
    double sum = 0.0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            sum += m.m[r][c] * m.m[r][c];
    return std::sqrt(sum);
}

void grow(ZunItemBox& box, const CZunPoint3d& p)
{
    if (!box.known) {
        box.lo = box.hi = p;
        box.known = true;
        return;
    }
    box.lo = {std::min(box.lo.x, p.x), std::min(box.lo.y, p.y), std::min(box.lo.z, p.z)};
    box.hi = {std::max(box.hi.x, p.x), std::max(box.hi.y, p.y), std::max(box.hi.z, p.z)};
}

bool isFinite(const ZunItemBox& box)
{
    return std::isfinite(box.lo.x) && std::isfinite(box.lo.y) && std::isfinite(box.lo.z) && std::isfinite(box.hi.x)
           && std::isfinite(box.hi.y) && std::isfinite(box.hi.z) && std::isfinite(box.slack);
}

} // namespace

void CZunItemBoxes::update(const CZunGDX& gdx)
{
    if (current(gdx))
        return;
    const CZunArrayTempl<CZunDisplayItem>& items = gdx.getDisplayList();
    m_boxes.resize(static_cast<std::size_t>(items.len()));
    for (int i = 0; i < items.len(); ++i)
        m_boxes[static_cast<std::size_t>(i)] = boxOf(gdx, items.get(i));
    m_list = &gdx;
    m_count = gdx.contentChangeCountGet();
    ++m_rebuilds;
}

// Every vertex end of line, mapped by first (may be null) and then second
// (may be null), goes into the box. The painter flattens an arc in the
// space after first, so its points stray from the box of its ends by at
// most half its chord times its bulge there, stretched by second.
void CZunItemBoxes::addLine(const CZunVertexArray& line, const CZunMatrix3d* first, const CZunMatrix3d* second,
                            ZunItemBox& box)
{
    const double stretch = second ? stretchOf(*second) : 1.0;
    for (const CZunVertex& v : line) {
        CZunPoint3d a = v.start(), b = v.end();
        if (first) {
            a = *first * a;
            b = *first * b;
        }
        if (v.isArc())
            box.slack = std::max(box.slack, std::abs(v.bulge()) * a.distanceTo(b) * 0.5 * stretch);
        if (second) {
            a = *second * a;
            b = *second * b;
        }
        grow(box, a);
        grow(box, b);
    }
}

ZunItemBox CZunItemBoxes::boxOf(const CZunGDX& gdx, const CZunDisplayItem& item)
{
    ZunItemBox box;
    const CZunMatrix3d& view = gdx.viewDirectionMtxGet();
    const CZunMatrix3d& own = item.mtx;
    const CZunMatrix3d* v = isIdentity(view) ? nullptr : &view;
    const CZunMatrix3d* m = isIdentity(own) ? nullptr : &own;
    // Regions, texts and points are drawn through view direction x item
    // matrix; lines and region outlines are turned by the view direction
    // first and then placed by the item matrix.
    const CZunMatrix3d area = view * own;
    const CZunMatrix3d* a = v || m ? &area : nullptr;
    switch (item.type) {
    case objVl:
        addLine(item.vl, v, m, box);
        break;
    case objReg:
        for (const CZunVertexArray& contour : item.reg) {
            addLine(contour, nullptr, a, box);
            if (v && m)
                addLine(contour, v, m, box);
        }
        break;
    case objTxt:
        for (const CZunArrayTempl<CZunVertexArray>& glyph : item.txtRegl)
            for (const CZunVertexArray& contour : glyph)
                addLine(contour, nullptr, a, box);
        break;
    case objPt:
        grow(box, a ? *a * item.point : item.point);
        break;
    default:
        // Pictures sit in window pixels and are always drawn.
        break;
    }
    if (box.known && !isFinite(box))
        box.known = false;
    return box;
}

bool zunDeviceBoxOf(const ZunItemBox& box, const CZunMatrix3d& m, int penWidth, ZunIRect& out)
{
    if (!box.known || m.m[3][0] != 0.0 || m.m[3][1] != 0.0 || m.m[3][2] != 0.0 || m.m[3][3] != 1.0)
        return false;
    const double lo[3] = {box.lo.x, box.lo.y, box.lo.z};
    const double hi[3] = {box.hi.x, box.hi.y, box.hi.z};
    const double reach = box.slack * stretchOf(m) + std::max(penWidth, 1) + 2.0;
    double range[2][2];
    for (int r = 0; r < 2; ++r) {
        double a = m.m[r][3], b = m.m[r][3];
        for (int c = 0; c < 3; ++c) {
            const double p = m.m[r][c] * lo[c], q = m.m[r][c] * hi[c];
            a += std::min(p, q);
            b += std::max(p, q);
        }
        range[r][0] = a - reach;
        range[r][1] = b + reach;
    }
    // Far beyond any device: clamped, so that the conversion stays defined.
    constexpr double kFar = 1.0e9;
    for (auto& r : range)
        for (double& x : r) {
            if (!std::isfinite(x))
                return false;
            x = std::clamp(x, -kFar, kFar);
        }
    out = {static_cast<int>(std::floor(range[0][0])), static_cast<int>(std::floor(range[1][0])),
           static_cast<int>(std::ceil(range[0][1])) + 1, static_cast<int>(std::ceil(range[1][1])) + 1};
    return true;
}
