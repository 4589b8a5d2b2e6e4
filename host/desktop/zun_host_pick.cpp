#include "host/desktop/zun_host_pick.h"

#include "contracts/base/zun_polyline.h"
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

} // namespace

double CZunHostPicker::modelUnitsPerPixel(const CZunGDX& list)
{
    const double scale = pixelsPerUnit(list.zoomMtxGet() * list.viewMtxGet() * list.projMtxGet());
    return scale > 0.0 ? 1.0 / scale : 0.0;
}

CZunHostPicker::Hit CZunHostPicker::pick(const CZunGDX& list, const QPointF& at) const
{
    const CZunMatrix3d screen = list.zoomMtxGet() * list.viewMtxGet() * list.projMtxGet();
    const CZunMatrix3d& direction = list.viewDirectionMtxGet();
    const Point2 p{at.x(), at.y()};
    Hit nearest;
    nearest.distance = std::numeric_limits<double>::infinity();
    Hit area;
    const CZunArrayTempl<CZunDisplayItem>& items = list.getDisplayList();
    for (int i = 0; i < items.len(); ++i) {
        const CZunDisplayItem& it = items.get(i);
        if ((it.flag & gdxFlagHidden) || it.stack.isEmpty())
            continue;
        // Polylines meet the view direction before their own matrix, the
        // other items after it, as the painter places them.
        double distance = std::numeric_limits<double>::infinity();
        switch (it.type) {
        case objVl:
            distance = lineDistance(it.vl, screen * it.mtx * direction, p);
            break;
        case objPt: {
            const Point2 d = toDevice(screen * direction * it.mtx, it.point);
            distance = std::hypot(d.x - p.x, d.y - p.y);
            break;
        }
        case objTxt:
            distance = textDistance(it, screen * direction * it.mtx, p);
            break;
        case objReg: {
            const CZunMatrix3d m = screen * direction * it.mtx;
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
        if (distance <= m_aperture && distance <= nearest.distance + kTiePixels)
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
        emit picked(m_picker.pick(*m_viewer->get_dpList(), mouse->position()).group);
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        emit picked(-1);
        return true;
    }
    return false;
}
