#include "host/desktop/zun_host_pick.h"

#include "contracts/base/zun_polyline.h"
#include "render/paint/zun_fixed_size.h"
#include "render/qt/zun_dplist_image.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Arcs are tested by chords this close to them, in pixels: well inside the
// aperture, so that a chord hits where the arc does.
constexpr double kChordPixels = 0.25;
// Hits this much nearer than another count as nearer; within it the item
// painted later (the one on top) wins.
constexpr double kTiePixels = 0.5;

struct Point2 {
    double x, y;
};

Point2 toDevice(const CZunMatrix3d& m, const CZunPoint3d& p)
{
    const CZunPoint3d d = m * p;
    return {d.x, d.y};
}

double segmentDistance(Point2 a, Point2 b, Point2 p)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// How many device pixels one model unit becomes at most under m.
double pixelsPerUnit(const CZunMatrix3d& m)
{
    double most = 0.0;
    for (int i = 0; i < 3; ++i)
        most = std::max(most, std::hypot(m.m[0][i], m.m[1][i]));
    return most;
}

// Walks the straight pieces of a polyline as the painter shows it under m:
// arcs by chords within kChordPixels.
template <class Visit>
void forEachPiece(const CZunVertexArray& vl, const CZunMatrix3d& m, Visit&& visit)
{
    const auto walk = [&](const CZunVertexArray& line) {
        for (const CZunVertex& v : line)
            visit(toDevice(m, v.start()), toDevice(m, v.end()));
    };
    if (!vl.hasArc()) {
        walk(vl);
        return;
    }
    const double scale = pixelsPerUnit(m);
    walk(ZUN::g_vl_expl(vl, scale > 0.0 ? kChordPixels / scale : 0.0));
}

double lineDistance(const CZunVertexArray& vl, const CZunMatrix3d& m, Point2 p)
{
    double best = std::numeric_limits<double>::infinity();
    forEachPiece(vl, m, [&](Point2 a, Point2 b) { best = std::min(best, segmentDistance(a, b, p)); });
    return best;
}

// Even-odd over every contour: a point in a hole is outside the area.
bool insideContours(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, Point2 p)
{
    bool inside = false;
    for (const CZunVertexArray& contour : contours)
        forEachPiece(contour, m, [&](Point2 a, Point2 b) {
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
                inside = !inside;
        });
    return inside;
}

// A text is hit within its glyphs' box.
double textDistance(const CZunDisplayItem& it, const CZunMatrix3d& m, Point2 p)
{
    double left = std::numeric_limits<double>::infinity(), top = left;
    double right = -left, bottom = -left;
    for (const auto& glyph : it.txtRegl)
        for (const CZunVertexArray& contour : glyph)
            for (const CZunVertex& v : contour) {
                const Point2 d = toDevice(m, v.start());
                left = std::min(left, d.x);
                right = std::max(right, d.x);
                top = std::min(top, d.y);
                bottom = std::max(bottom, d.y);
            }
    if (left > right)
        return std::numeric_limits<double>::infinity();
    const double dx = std::max({left - p.x, 0.0, p.x - right});
    const double dy = std::max({top - p.y, 0.0, p.y - bottom});
    return std::hypot(dx, dy);
}

// ---- in model units --------------------------------------------------------------
// In the plan view most items are drawn by a uniform scale, a mirror and a
// move: the point and the aperture are taken into model units once, and
// pieces far from the point are passed over before any arithmetic on arcs.

// Whether m maps model units to pixels by a uniform scale (mirrored or
// turned in the plane) and a move, so that distances scale by one factor.
bool isPlaneSimilarity(const CZunMatrix3d& m)
{
    const double ax = m.m[0][0], ay = m.m[1][0], bx = m.m[0][1], by = m.m[1][1];
    const double a = std::hypot(ax, ay), b = std::hypot(bx, by);
    return a > 0.0 && std::abs(a - b) <= 1e-9 * a && std::abs(ax * bx + ay * by) <= 1e-9 * a * b &&
           m.m[0][2] == 0.0 && m.m[1][2] == 0.0 && m.m[3][0] == 0.0 && m.m[3][1] == 0.0;
}

// No point of the vertex (its arc included) is farther than this from the
// middle of its chord.
double reach(const CZunVertex& v)
{
    return 0.5 * std::hypot(v.end().x - v.start().x, v.end().y - v.start().y) * (1.0 + std::abs(v.bulge()));
}

bool farFrom(const CZunVertex& v, const CZunPoint3d& q, double tol)
{
    const double mx = 0.5 * (v.start().x + v.end().x), my = 0.5 * (v.start().y + v.end().y);
    const double r = reach(v) + tol;
    return std::abs(q.x - mx) > r || std::abs(q.y - my) > r;
}

// Arcs are measured in xy; a polyline whose arcs lie in another plane is
// left to the device path.
bool arcsInPlan(const CZunVertexArray& vl)
{
    return !vl.hasArc() || vl.arcPlane().axis(2) == CZunVector3d::kZAxis;
}

double modelLineDistance(const CZunVertexArray& vl, const CZunPoint3d& q, double tol)
{
    double best = std::numeric_limits<double>::infinity();
    for (const CZunVertex& v : vl) {
        if (farFrom(v, q, tol))
            continue;
        const CZunPoint3d foot = ZUN::lotp(v, CZunPoint3d(q.x, q.y, v.start().z));
        best = std::min(best, std::hypot(foot.x - q.x, foot.y - q.y));
    }
    return best;
}

bool modelInside(const CZunArrayTempl<CZunVertexArray>& contours, const CZunPoint3d& q, double deviation)
{
    bool inside = false;
    const auto cross = [&](const CZunPoint3d& a, const CZunPoint3d& b) {
        if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    };
    for (const CZunVertexArray& contour : contours)
        for (const CZunVertex& v : contour) {
            // A piece wholly above, below or left of the point crosses no
            // ray to the right of it.
            const double r = reach(v);
            const double my = 0.5 * (v.start().y + v.end().y), mx = 0.5 * (v.start().x + v.end().x);
            if (my - r > q.y || my + r < q.y || mx + r < q.x)
                continue;
            if (!v.isArc()) {
                cross(v.start(), v.end());
                continue;
            }
            for (const CZunVertex& chord : ZUN::g_vl_expl(v, ZUN::g_vx_split_dif(v, deviation)))
                cross(chord.start(), chord.end());
        }
    return inside;
}

// Whether nothing inside box, taken to the window by screen, comes within
// reach pixels of p: then no part of the item can be hit.
bool outOfReach(const ZunItemBox& box, const CZunMatrix3d& screen, int reach, Point2 p)
{
    ZunIRect r;
    if (!zunDeviceBoxOf(box, screen, reach, r))
        return false;
    return p.x < r.left || p.x > r.right || p.y < r.top || p.y > r.bottom;
}

} // namespace

double CZunHostPicker::modelUnitsPerPixel(const CZunGDX& list)
{
    const double scale = pixelsPerUnit(list.zoomMtxGet() * list.viewMtxGet() * list.projMtxGet());
    return scale > 0.0 ? 1.0 / scale : 0.0;
}

CZunHostPicker::Hit CZunHostPicker::pick(const CZunGDX& list, const QPointF& at, const QSize& window)
{
    const CZunMatrix3d screen = list.zoomMtxGet() * list.viewMtxGet() * list.projMtxGet();
    const CZunMatrix3d fixedSize = zunFixedSizeMtx(list, window.height(), window.width());
    CZunMatrix3d anchoredScreen;
    const CZunMatrix3d& direction = list.viewDirectionMtxGet();
    const Point2 p{at.x(), at.y()};
    // The plan view's shortcut (see above), for items without a matrix.
    const bool plan = direction == CZunMatrix3d::kIdentity && isPlaneSimilarity(screen);
    const double scale = pixelsPerUnit(screen);
    const CZunPoint3d q = plan ? screen.inverse() * CZunPoint3d(at.x(), at.y(), 0.0) : CZunPoint3d();
    const double tol = plan ? m_aperture / scale : 0.0;
    Hit nearest;
    nearest.distance = std::numeric_limits<double>::infinity();
    Hit area;
    m_boxes.update(list);
    const int reach = static_cast<int>(std::ceil(m_aperture));
    const CZunArrayTempl<CZunDisplayItem>& items = list.getDisplayList();
    for (int i = 0; i < items.len(); ++i) {
        const CZunDisplayItem& it = items.get(i);
        if ((it.flag & gdxFlagHidden) || it.stack.isEmpty())
            continue;
        // Anchored items are placed about their anchor at their fixed size,
        // their boxes in their own units.
        const bool anchored = (it.flag & gdxFlagAnchored) != 0;
        if (anchored)
            anchoredScreen = zunItemScreenMtx(list, i, screen, fixedSize);
        const CZunMatrix3d& itemScreen = anchored ? anchoredScreen : screen;
        if (outOfReach(m_boxes.box(i), itemScreen, reach, p))
            continue;
        // Polylines meet the view direction before their own matrix, the
        // other items after it, as the painter places them.
        double distance = std::numeric_limits<double>::infinity();
        const bool inModel = plan && !anchored && it.mtx == CZunMatrix3d::kIdentity;
        switch (it.type) {
        case objVl:
            if (inModel && arcsInPlan(it.vl)) {
                distance = modelLineDistance(it.vl, q, tol) * scale;
                break;
            }
            distance = lineDistance(it.vl, itemScreen * it.mtx * direction, p);
            break;
        case objPt: {
            const Point2 d = toDevice(itemScreen * direction * it.mtx, it.point);
            distance = std::hypot(d.x - p.x, d.y - p.y);
            break;
        }
        case objTxt:
            distance = textDistance(it, itemScreen * direction * it.mtx, p);
            break;
        case objReg: {
            if (inModel && std::all_of(it.reg.begin(), it.reg.end(), arcsInPlan)) {
                if ((it.flag & (gdxFlagFill | gdxFlagHatch)) && modelInside(it.reg, q, kChordPixels / scale)) {
                    area = {it.stack.get(0), i, 0.0, true};
                    break;
                }
                for (const CZunVertexArray& contour : it.reg)
                    distance = std::min(distance, modelLineDistance(contour, q, tol) * scale);
                break;
            }
            const CZunMatrix3d m = itemScreen * direction * it.mtx;
            if ((it.flag & (gdxFlagFill | gdxFlagHatch)) && insideContours(it.reg, m, p)) {
                // Items later in the list are painted over earlier ones.
                area = {it.stack.get(0), i, 0.0, true};
                break;
            }
            for (const CZunVertexArray& contour : it.reg)
                distance = std::min(distance, lineDistance(contour, m, p));
            break;
        }
        default:
            break;
        }
        // A hair of slack: a point just on the aperture's edge, taken into
        // model units and back, must not fall out by rounding.
        if (distance <= m_aperture + 1e-9 && distance <= nearest.distance + kTiePixels)
            nearest = {it.stack.get(0), i, distance, false};
    }
    if (nearest.group >= 0)
        return nearest;
    return area;
}

// ---- input ----------------------------------------------------------------------

CZunHostPickInput::CZunHostPickInput(CZunDplistImage* viewer, QObject* parent) : QObject(parent), m_viewer(viewer)
{
    viewer->installEventFilter(this);
}

bool CZunHostPickInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_viewer)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || mouse->modifiers() != Qt::NoModifier || !m_viewer->get_dpList())
            return false;
        m_viewer->setFocus(Qt::MouseFocusReason);
        emit picked(m_picker.pick(*m_viewer->get_dpList(), mouse->position(), m_viewer->size()).group);
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        emit picked(-1);
        return true;
    }
    return false;
}
