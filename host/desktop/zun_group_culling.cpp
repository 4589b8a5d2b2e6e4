#include "host/desktop/zun_group_culling.h"

#include "render/paint/zun_painter.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"

#include <algorithm>
#include <cmath>

void CZunGroupCulling::Box::add(const CZunPoint3d& p, double margin)
{
    lo = {std::min(lo.x, p.x - margin), std::min(lo.y, p.y - margin), std::min(lo.z, p.z - margin)};
    hi = {std::max(hi.x, p.x + margin), std::max(hi.y, p.y + margin), std::max(hi.z, p.z + margin)};
}

namespace {

// Every point an item's outline passes, taken through m; an arc reaches
// past its chord by at most half the chord times its bulge, which the
// margin covers.
template <class Add>
void addVertices(const CZunVertexArray& vl, const CZunMatrix3d& m, Add&& add)
{
    for (const CZunVertex& v : vl) {
        const CZunPoint3d a = v.start() * m;
        const CZunPoint3d b = v.end() * m;
        const double margin = v.isArc() ? a.distanceTo(b) * std::abs(v.bulge()) / 2.0 : 0.0;
        add(a, margin);
        add(b, margin);
    }
}

} // namespace

void CZunGroupCulling::measure(const CZunGDX& list)
{
    start();
    measureItems(list, 0, list.lenGet());
}

void CZunGroupCulling::measureItems(const CZunGDX& list, int from, int to)
{
    const CZunMatrix3d toExt = list.projMtxGet() * list.viewDirectionMtxGet();
    int lastGroup = 0;
    Box* box = nullptr;
    const std::vector<CZunDisplayItem>& items = list.getDisplayList().vector();
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(items.size()));
    for (int i = from; i < to; ++i) {
        const CZunDisplayItem& item = items[static_cast<size_t>(i)];
        if (item.stack.isEmpty())
            continue;
        const int group = item.stack.get(0);
        if (!box || group != lastGroup) {
            box = &m_boxes[group];
            lastGroup = group;
        }
        const CZunMatrix3d m = toExt * item.mtx;
        const auto add = [box](const CZunPoint3d& p, double margin) { box->add(p, margin); };
        switch (item.type) {
        case objVl:
            addVertices(item.vl, m, add);
            break;
        case objReg:
            for (const CZunVertexArray& contour : item.reg)
                addVertices(contour, m, add);
            break;
        case objTxt:
            // The glyphs lie where the text is; its point may be elsewhere
            // (a text laid out by the application keeps its own position).
            for (const auto& glyph : item.txtRegl)
                for (const CZunVertexArray& contour : glyph)
                    addVertices(contour, m, add);
            break;
        case objPt:
            add(item.point * m, 0.0);
            break;
        default:
            // Pictures lie in window pixels: such a group is always drawn.
            box->add({-1e300, -1e300, -1e300}, 0.0);
            box->add({1e300, 1e300, 1e300}, 0.0);
            break;
        }
    }
    m_active = static_cast<int>(m_boxes.size()) >= kMinGroups;
}

bool CZunGroupCulling::meets(const Box& box, const CZunMatrix3d& toScreen, const QRect& window) const
{
    if (box.lo.x > box.hi.x)
        return false;
    if (box.lo.x < -1e299 || box.hi.x > 1e299)
        return true;
    // Points, dashes and line widths reach a few pixels past the geometry.
    constexpr double kSlack = 16.0;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int corner = 0; corner < 8; ++corner) {
        const CZunPoint3d p((corner & 1) ? box.hi.x : box.lo.x, (corner & 2) ? box.hi.y : box.lo.y,
                            (corner & 4) ? box.hi.z : box.lo.z);
        const CZunPoint3d s = p * toScreen;
        x0 = std::min(x0, s.x);
        y0 = std::min(y0, s.y);
        x1 = std::max(x1, s.x);
        y1 = std::max(y1, s.y);
    }
    return x1 >= window.left() - kSlack && x0 <= window.right() + kSlack && y1 >= window.top() - kSlack &&
           y0 <= window.bottom() + kSlack;
}

bool CZunGroupCulling::visibleList(const CZunGDX& list, const QRect& window, CZunGDX& out) const
{
    if (!m_active)
        return false;
    // The painter's screen matrix is zoom x view x projection; the boxes
    // already went through the projection and the view direction.
    const CZunMatrix3d toScreen = list.zoomMtxGet() * list.viewMtxGet();
    std::unordered_map<int, bool> seen;
    seen.reserve(m_boxes.size());
    int visible = 0;
    for (const auto& [group, box] : m_boxes) {
        const bool in = meets(box, toScreen, window);
        seen.emplace(group, in);
        visible += in;
    }
    m_lastVisible = visible;
    if (visible == static_cast<int>(m_boxes.size()))
        return false;

    CZunGDX shown(list.backColorGet(), list.projMtxGet(), list.pdSizeGet(), list.pdModeGet(), {}, {});
    for (int mode = 1; mode <= list.ColorTabLenGet(); ++mode)
        shown.ColorTabSet(static_cast<ZUN::GdxColorMode>(mode), list.colorTabGet(static_cast<ZUN::GdxColorMode>(mode)));
    shown.viewDirectionMtxSet(list.viewDirectionMtxGet());
    shown.viewMtxSet(list.viewMtxGet());
    shown.zoomMtxSet(list.zoomMtxGet());
    CZunArrayTempl<CZunDisplayItem> items;
    for (const CZunDisplayItem& item : list.getDisplayList()) {
        if (!item.stack.isEmpty()) {
            const auto it = seen.find(item.stack.get(0));
            if (it != seen.end() && !it->second)
                continue;
        }
        items.append(item);
    }
    if (!items.isEmpty())
        shown.addDisplayList(items);
    out = std::move(shown);
    return true;
}

QImage zunPaintVisibleGroups(const CZunGroupCulling& culling, const CZunGDX& list, const QSize& size,
                             const QColor& background, qreal pixelRatio, bool smooth)
{
    CZunGDX visible;
    if (!culling.visibleList(list, QRect(QPoint(0, 0), size), visible))
        return QImage();
    // At the screen's resolution, as the viewer paints (see CZunDplistImage).
    if (pixelRatio != 1.0)
        visible.zoomMtxSet(CZunMatrix3d().setToScaling(pixelRatio) * visible.zoomMtxGet());
    QImage image(std::max(1, static_cast<int>(std::ceil(size.width() * pixelRatio - 1e-9))),
                 std::max(1, static_cast<int>(std::ceil(size.height() * pixelRatio - 1e-9))), QImage::Format_RGB32);
    image.fill(background);
    {
        CZunQtDC dc(image);
        if (smooth)
            dc.painter().setRenderHint(QPainter::Antialiasing, true);
        CZunPainter painter(dc);
        painter.setBitmapSource(zunPictureBitmaps());
        painter.paint(&visible);
    }
    // Only now: a painter would scale what it draws by the ratio again.
    image.setDevicePixelRatio(pixelRatio);
    return image;
}
