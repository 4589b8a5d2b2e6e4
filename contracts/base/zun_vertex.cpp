#include "contracts/base/zun_vertex.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/base/zun_vertex_xy.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

constexpr double kTwoPi = 2.0 * ZUN::kPi;

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// Angle swept from the start radius to the direction (ux, uy) in the arc's
// own sense, in [0, 2 pi).
double sweepTo(const ZUN::xy::Arc& a, double ux, double uy)
{
    double angle = std::atan2(cross(a.rsx, a.rsy, ux, uy), a.rsx * ux + a.rsy * uy);
    if (a.theta < 0.0)
        angle = -angle;
    return angle < 0.0 ? angle + kTwoPi : angle;
}

// The same for the direction from the center to (x, y). The direction is
// rs + (p - start); writing it so keeps the far center of a flat arc out of
// the arithmetic.
double sweepToPoint(const ZUN::xy::Arc& a, double x, double y)
{
    const double px = x - a.sx, py = y - a.sy;
    double angle = std::atan2(cross(a.rsx, a.rsy, px, py),
                              a.rsx * a.rsx + a.rsy * a.rsy + a.rsx * px + a.rsy * py);
    if (a.theta < 0.0)
        angle = -angle;
    return angle < 0.0 ? angle + kTwoPi : angle;
}

// |p - center|^2 - r^2 without forming the center (see sweepToPoint).
double circlePower(const ZUN::xy::Arc& a, double x, double y)
{
    const double px = x - a.sx, py = y - a.sy;
    return px * px + py * py + 2.0 * (a.rsx * px + a.rsy * py);
}

// True when a point of the arc's circle lies on the arc: the chord cuts the
// circle into the arc and its complement, and the arc is on the side of its
// midpoint, the right of the chord for a counter-clockwise arc.
bool onArcSide(const ZUN::xy::Arc& a, double x, double y)
{
    const double side = cross(a.dx, a.dy, x - a.sx, y - a.sy);
    return a.bulge > 0.0 ? side <= 0.0 : side >= 0.0;
}

void growXY(ZUN::xy::Arc& a, double x, double y)
{
    a.x0 = std::min(a.x0, x);
    a.y0 = std::min(a.y0, y);
    a.x1 = std::max(a.x1, x);
    a.y1 = std::max(a.y1, y);
}

constexpr double kQuadrants[4][2] = {{1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}, {0.0, -1.0}};

} // namespace

// ---- plane geometry of one vertex --------------------------------------------

namespace ZUN::xy {

Arc prepare(double sx, double sy, double ex, double ey, double bulge)
{
    Arc a;
    a.sx = sx;
    a.sy = sy;
    a.ex = ex;
    a.ey = ey;
    a.dx = ex - sx;
    a.dy = ey - sy;
    a.mag = std::max({std::abs(sx), std::abs(sy), std::abs(ex), std::abs(ey)});
    a.x0 = std::min(sx, ex);
    a.x1 = std::max(sx, ex);
    a.y0 = std::min(sy, ey);
    a.y1 = std::max(sy, ey);
    if (bulge == 0.0) {
        a.chord = -1.0;  // taken when asked for: most straight vertices never are
        return a;
    }
    a.chord = std::hypot(a.dx, a.dy);
    if (!(a.chord > 0.0) || !std::isfinite(bulge))
        return a;
    const double b = bulge, ab = std::abs(b);
    a.bulge = b;
    a.theta = 4.0 * std::atan(b);
    // Written with 1/b - b instead of (1 - b^2)/b so that a huge bulge (an
    // arc of nearly a full circle) does not overflow.
    const double h = 0.25 * a.chord * (1.0 / b - b);
    const double nx = -a.dy / a.chord, ny = a.dx / a.chord;
    a.rsx = -0.5 * a.dx - nx * h;
    a.rsy = -0.5 * a.dy - ny * h;
    a.r = 0.25 * a.chord * (1.0 / ab + ab);
    a.cx = sx - a.rsx;
    a.cy = sy - a.rsy;
    if (ab <= 1.0) {
        // At most a half circle: the arc stays within its sagitta of the chord.
        const double sagitta = 0.5 * ab * a.chord;
        a.x0 -= sagitta;
        a.y0 -= sagitta;
        a.x1 += sagitta;
        a.y1 += sagitta;
    } else {
        a.x0 = std::min(a.x0, a.cx - a.r);
        a.y0 = std::min(a.y0, a.cy - a.r);
        a.x1 = std::max(a.x1, a.cx + a.r);
        a.y1 = std::max(a.y1, a.cy + a.r);
    }
    return a;
}

Arc prepare(const CZunVertex& v)
{
    return prepare(v.start().x, v.start().y, v.end().x, v.end().y, v.bulge());
}

Arc prepareBoxed(const CZunVertex& v)
{
    Arc a = prepare(v);
    if (!a.isArc())
        return a;
    a.x0 = std::min(a.sx, a.ex);
    a.x1 = std::max(a.sx, a.ex);
    a.y0 = std::min(a.sy, a.ey);
    a.y1 = std::max(a.sy, a.ey);
    const double sweep = std::abs(a.theta);
    for (const auto& u : kQuadrants) {
        const double s = sweepTo(a, u[0], u[1]);
        if (s < sweep) {
            double x, y;
            pointAt(a, s / sweep, x, y);
            growXY(a, x, y);
        }
    }
    return a;
}

void pointAt(const Arc& a, double t, double& x, double& y)
{
    if (t <= 0.0) {
        x = a.sx;
        y = a.sy;
        return;
    }
    if (t >= 1.0) {
        x = a.ex;
        y = a.ey;
        return;
    }
    if (!a.isArc()) {
        x = a.sx + t * a.dx;
        y = a.sy + t * a.dy;
        return;
    }
    // Along the chord from the start, turned by the inscribed angle: the
    // chord to the point at t leaves the chord by (1 - t) theta / 2 and has
    // length chord * sin(t theta / 2) / sin(theta / 2). Unlike center +
    // radius * direction it stays exact for flat arcs with far centers.
    const double b = a.bulge;
    const double phi = -0.5 * (1.0 - t) * a.theta;
    const double g = 0.5 * (1.0 / b + b) * std::sin(0.5 * t * a.theta);
    const double c = std::cos(phi), s = std::sin(phi);
    x = a.sx + (a.dx * c - a.dy * s) * g;
    y = a.sy + (a.dx * s + a.dy * c) * g;
}

double paramOf(const Arc& a, double x, double y)
{
    if (!a.isArc()) {
        const double len2 = a.dx * a.dx + a.dy * a.dy;
        if (!(len2 > 0.0))
            return 0.0;
        return std::clamp(((x - a.sx) * a.dx + (y - a.sy) * a.dy) / len2, 0.0, 1.0);
    }
    const double s = sweepToPoint(a, x, y), sweep = std::abs(a.theta);
    if (s <= sweep)
        return s / sweep;
    // Beyond the arc: the bisector of the missing part separates the points
    // nearer to the end from those nearer to the start.
    return s - sweep < kTwoPi - s ? 1.0 : 0.0;
}

double distance(const Arc& a, double x, double y)
{
    if (a.isArc() && sweepToPoint(a, x, y) <= std::abs(a.theta)) {
        const double q = circlePower(a, x, y);
        const double toCenter = std::sqrt(std::max(0.0, a.r * a.r + q));
        return std::abs(q) / (toCenter + a.r);
    }
    if (a.isArc())
        return std::min(std::hypot(x - a.sx, y - a.sy), std::hypot(x - a.ex, y - a.ey));
    const double t = paramOf(a, x, y);
    return std::hypot(x - (a.sx + t * a.dx), y - (a.sy + t * a.dy));
}

bool crossesRay(const Arc& a, double x, double y)
{
    // The chord by the half-open rule; an arc then adds the circular segment
    // between chord and arc (a closed loop with the chord), which the ray
    // leaves an odd number of times exactly when the point is inside it.
    // The half-open rule reads the point as lifted by a hair; a point on the
    // chord line (between two arcs sharing a chord, say) must be lifted the
    // same way when asking on which side of the chord it lies, and if the
    // chord is upright, moved right by a smaller hair still.
    const double side = cross(a.dx, a.dy, x - a.sx, y - a.sy);
    const bool left = side > 0.0 || (side == 0.0 && (a.dx > 0.0 || (a.dx == 0.0 && a.dy < 0.0)));
    bool odd = ((a.sy > y) != (a.ey > y)) && ((a.ey > a.sy) == left);
    if (a.isArc() && (a.bulge > 0.0 ? !left : left) && circlePower(a, x, y) < 0.0)
        odd = !odd;
    return odd;
}

int intersect(const Arc& a, const Arc& b, double tol, Hit (&hits)[4])
{
    int n = 0;
    // Points closer than this are one crossing: the same touching point is
    // found once from an end and once from the circle or line equation, and
    // at a flat angle the two may lie further apart than tol.
    const double same = 100.0 * tol;
    // hypot(dx, dy) is never below |dx| or |dy|, which are exact, so a
    // point further than d along either axis needs no root to be further.
    // A point found at an end is that end exactly, whose distance is 0.
    const auto close = [](double dx, double dy, double d) {
        if (dx == 0.0 && dy == 0.0)
            return 0.0 <= d;
        return std::abs(dx) <= d && std::abs(dy) <= d && std::hypot(dx, dy) <= d;
    };
    const auto add = [&](double ta, double tb, double x, double y) __attribute__((always_inline)) {
        for (int k = 0; k < n; ++k)
            if (close(x - hits[k].x, y - hits[k].y, same))
                return;
        if (n == 4)
            return;
        if (close(x - a.sx, y - a.sy, tol))
            ta = 0.0;
        else if (close(x - a.ex, y - a.ey, tol))
            ta = 1.0;
        if (close(x - b.sx, y - b.sy, tol))
            tb = 0.0;
        else if (close(x - b.ex, y - b.ey, tol))
            tb = 1.0;
        hits[n++] = {ta, tb, x, y};
    };

    // Whether (x, y) lies within tol of e. A point further than twice tol
    // from e's box is further than tol from e, well beyond rounding, and is
    // spared the distance and its root: most ends are, as a hatch line
    // crosses a contour.
    const double far = 2.0 * tol;
    const auto within = [&](const Arc& e, double x, double y) {
        return x >= e.x0 - far && x <= e.x1 + far && y >= e.y0 - far && y <= e.y1 + far && xy::within(e, x, y, tol);
    };

    // A vertex shorter than tol is a point.
    if (chordAtMost(a, tol)) {
        if (within(b, a.sx, a.sy))
            add(0.0, paramOf(b, a.sx, a.sy), a.sx, a.sy);
        return n;
    }
    if (chordAtMost(b, tol)) {
        if (within(a, b.sx, b.sy))
            add(paramOf(a, b.sx, b.sy), 0.0, b.sx, b.sy);
        return n;
    }

    // Ends lying on the other vertex first: they decide touching and
    // overlapping pieces robustly, where the equations below are ill-conditioned.
    if (within(b, a.sx, a.sy))
        add(0.0, paramOf(b, a.sx, a.sy), a.sx, a.sy);
    if (within(b, a.ex, a.ey))
        add(1.0, paramOf(b, a.ex, a.ey), a.ex, a.ey);
    if (within(a, b.sx, b.sy))
        add(paramOf(a, b.sx, b.sy), 0.0, b.sx, b.sy);
    if (within(a, b.ex, b.ey))
        add(paramOf(a, b.ex, b.ey), 1.0, b.ex, b.ey);

    if (!a.isArc() && !b.isArc()) {
        // Two lines meet once unless collinear, and collinear overlaps end at
        // ends, which are all found above.
        if (n > 0)
            return n;
        const double den = cross(a.dx, a.dy, b.dx, b.dy);
        if (den == 0.0)
            return n;
        const double wx = b.sx - a.sx, wy = b.sy - a.sy;
        const double t = cross(wx, wy, b.dx, b.dy) / den;
        const double u = cross(wx, wy, a.dx, a.dy) / den;
        if (t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0)
            add(t, u, a.sx + t * a.dx, a.sy + t * a.dy);
        return n;
    }

    if (a.isArc() != b.isArc()) {
        const Arc& line = a.isArc() ? b : a;
        const Arc& arc = a.isArc() ? a : b;
        // |line.s + t d - center|^2 = r^2, with line.s - center formed as
        // (line.s - arc.s) + rs.
        const double wx = line.sx - arc.sx, wy = line.sy - arc.sy;
        const double fx = wx + arc.rsx, fy = wy + arc.rsy;
        const double qa = line.dx * line.dx + line.dy * line.dy;
        const double qb = fx * line.dx + fy * line.dy;
        const double qc = wx * wx + wy * wy + 2.0 * (wx * arc.rsx + wy * arc.rsy);
        const double disc = qb * qb - qa * qc;
        double roots[2];
        int count = 0;
        // disc / qa = r^2 - dist^2, about 2 r (r - dist): a line within tol
        // of touching touches, in one point.
        if (std::abs(disc) <= qa * 2.0 * arc.r * tol) {
            roots[count++] = -qb / qa;
        } else if (disc > 0.0) {
            const double q = -(qb + std::copysign(std::sqrt(disc), qb));
            roots[count++] = q / qa;
            if (q != 0.0)
                roots[count++] = qc / q;
        }
        for (int k = 0; k < count; ++k) {
            const double t = roots[k];
            if (!(t >= 0.0 && t <= 1.0))
                continue;
            const double x = line.sx + t * line.dx, y = line.sy + t * line.dy;
            if (!onArcSide(arc, x, y))
                continue;
            const double tArc = paramOf(arc, x, y);
            if (a.isArc())
                add(tArc, t, x, y);
            else
                add(t, tArc, x, y);
        }
        return n;
    }

    // Two circles, worked relative to a's start to keep the digits near the arcs.
    const double c1x = -a.rsx, c1y = -a.rsy;
    const double c2x = (b.sx - a.sx) - b.rsx, c2y = (b.sy - a.sy) - b.rsy;
    const double ux = c2x - c1x, uy = c2y - c1y;
    const double d = std::hypot(ux, uy);
    // One circle (overlapping arcs meet only at ends, found above), or
    // concentric circles that never meet.
    if (d <= tol)
        return n;
    if (d > a.r + b.r + tol || d < std::abs(a.r - b.r) - tol)
        return n;
    const double along = (d * d + a.r * a.r - b.r * b.r) / (2.0 * d);
    const bool touching = std::abs(d - (a.r + b.r)) <= tol || std::abs(d - std::abs(a.r - b.r)) <= tol;
    const double h = touching ? 0.0 : std::sqrt(std::max(0.0, a.r * a.r - along * along));
    const double ex = ux / d, ey = uy / d;
    const double mx = a.sx + c1x + along * ex, my = a.sy + c1y + along * ey;
    for (int k = 0; k < (touching ? 1 : 2); ++k) {
        const double sgn = k == 0 ? 1.0 : -1.0;
        const double x = mx - sgn * h * ey, y = my + sgn * h * ex;
        if (onArcSide(a, x, y) && onArcSide(b, x, y))
            add(paramOf(a, x, y), paramOf(b, x, y), x, y);
    }
    return n;
}

void extendBox(const CZunVertex& v, CZunPoint3d& lo, CZunPoint3d& hi)
{
    lo = ZUN::p_min(lo, ZUN::p_min(v.start(), v.end()));
    hi = ZUN::p_max(hi, ZUN::p_max(v.start(), v.end()));
    if (!v.isArc())
        return;
    const Arc a = prepare(v);
    if (!a.isArc())
        return;
    const double sweep = std::abs(a.theta);
    for (const auto& u : kQuadrants) {
        const double s = sweepTo(a, u[0], u[1]);
        if (s < sweep) {
            const CZunPoint3d p = pointAt3(v, a, s / sweep);
            lo = ZUN::p_min(lo, p);
            hi = ZUN::p_max(hi, p);
        }
    }
}

CZunPoint3d pointAt3(const CZunVertex& v, const Arc& a, double t)
{
    if (t <= 0.0)
        return v.start();
    if (t >= 1.0)
        return v.end();
    const double z = v.start().z + t * (v.end().z - v.start().z);
    if (!a.isArc())
        return v.start() + (v.end() - v.start()) * t;
    double x, y;
    pointAt(a, t, x, y);
    return {x, y, z};
}

void Grid::build()
{
    const int n = size();
    m_boxes.resize(static_cast<size_t>(n));
    m_buckets = 1;
    m_y0 = 0.0;
    m_h = 1.0;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo, heights = 0.0;
    for (const Arc& e : m_edges) {
        if (std::isfinite(e.y0) && std::isfinite(e.y1)) {
            lo = std::min(lo, e.y0);
            hi = std::max(hi, e.y1);
            heights += e.y1 - e.y0;
        }
    }
    const double span = hi - lo;
    if (std::isfinite(span) && span > 0.0) {
        // About one vertex per bucket, but no more buckets than keep the
        // registrations of tall vertices near four per vertex.
        double want = n;
        if (heights > 0.0)
            want = std::min(want, 4.0 * n * span / heights);
        m_buckets = static_cast<int>(std::clamp(want, 1.0, double(1 << 20)));
        m_y0 = lo;
        m_h = span / m_buckets;
    }
    m_start.assign(static_cast<size_t>(m_buckets) + 1, 0);
    for (int i = 0; i < n; ++i) {
        const Arc& e = m_edges[static_cast<size_t>(i)];
        const int f = bucketOf(e.y0), l = std::max(f, bucketOf(e.y1));
        m_boxes[static_cast<size_t>(i)] = {e.x0, e.y0, e.x1, e.y1, f};
        for (int k = f; k <= l; ++k)
            ++m_start[static_cast<size_t>(k) + 1];
    }
    for (int k = 0; k < m_buckets; ++k)
        m_start[static_cast<size_t>(k) + 1] += m_start[static_cast<size_t>(k)];
    m_ids.resize(static_cast<size_t>(m_start.back()));
    m_cursor.assign(m_start.begin(), m_start.end() - 1);
    for (int i = 0; i < n; ++i) {
        const Arc& e = m_edges[static_cast<size_t>(i)];
        const int f = m_boxes[static_cast<size_t>(i)].first, l = std::max(f, bucketOf(e.y1));
        for (int k = f; k <= l; ++k)
            m_ids[static_cast<size_t>(m_cursor[static_cast<size_t>(k)]++)] = i;
    }
}

} // namespace ZUN::xy

namespace xy = ZUN::xy;

// ---- CZunVertex --------------------------------------------------------------

double CZunVertex::bulgLen() const
{
    const CZunVector3d d = m_end - m_start;
    if (m_bulge == 0.0)
        return d.length();
    const double chord = std::hypot(d.x, d.y);
    if (chord == 0.0 || !std::isfinite(m_bulge))
        return d.length();
    // r |theta| = chord (1 + b^2) / (4 |b|) * 4 atan|b|; z rises evenly with
    // the angle, so the length is that of a helix.
    const double b = std::abs(m_bulge);
    const double arc = chord * (1.0 / b + b) * std::atan(b);
    return d.z == 0.0 ? arc : std::hypot(arc, d.z);
}

CZunPoint3d CZunVertex::mid() const
{
    return pointAt(0.5);
}

CZunPoint3d CZunVertex::pointAt(double t) const
{
    if (t <= 0.0)
        return m_start;
    if (t >= 1.0)
        return m_end;
    if (!isArc())
        return m_start + (m_end - m_start) * t;
    return xy::pointAt3(*this, xy::prepare(*this), t);
}

double CZunVertex::paramOf(const CZunPoint3d& p) const
{
    const xy::Arc a = xy::prepare(*this);
    if (a.isArc())
        return xy::paramOf(a, p.x, p.y);
    const CZunVector3d d = m_end - m_start;
    const double len2 = d.dotProduct(d);
    if (!(len2 > 0.0))
        return 0.0;
    return std::clamp((p - m_start).dotProduct(d) / len2, 0.0, 1.0);
}

bool CZunVertex::isPoint(const CZunPoint3d& p, double tol) const
{
    return pointAt(paramOf(p)).distanceTo(p) <= tol;
}

CZunPoint3d CZunVertex::center() const
{
    const xy::Arc a = xy::prepare(*this);
    if (!a.isArc())
        return m_start + (m_end - m_start) * 0.5;
    return {a.cx, a.cy, 0.5 * (m_start.z + m_end.z)};
}

double CZunVertex::radius() const
{
    return xy::prepare(*this).r;
}

double CZunVertex::includedAngle() const
{
    return 4.0 * std::atan(m_bulge);
}

CZunVertex& CZunVertex::transformBy(const CZunMatrix3d& m)
{
    m_start = m * m_start;
    m_end = m * m_end;
    if (m.isMirroringXY())
        m_bulge = -m_bulge;
    return *this;
}

CZunVertex CZunVertex::subVertex(double t0, double t1) const
{
    t0 = std::clamp(t0, 0.0, 1.0);
    t1 = std::clamp(t1, 0.0, 1.0);
    if (t0 == 0.0 && t1 == 1.0)
        return *this;
    if (!isArc())
        return {pointAt(t0), pointAt(t1)};
    const xy::Arc a = xy::prepare(*this);
    // A sub-arc of angle (t1 - t0) theta has bulge tan of a quarter of it;
    // reversed parameters give the reversed piece with the negated bulge.
    const double bulge = a.isArc() ? std::tan((t1 - t0) * std::atan(m_bulge)) : 0.0;
    return {xy::pointAt3(*this, a, t0), xy::pointAt3(*this, a, t1), bulge};
}

// ---- CZunVertexArray ---------------------------------------------------------

namespace {

// Newell's rule over a closed chain of points, taken relative to the first
// point: far from the origin the products would otherwise lose the digits of
// a small polygon.
class NewellSum {
public:
    void take(const CZunPoint3d& p)
    {
        if (!m_started) {
            m_ref = p;
            m_started = true;
        }
        const CZunVector3d q = p - m_ref;
        m_size = std::max({m_size, std::abs(q.x), std::abs(q.y), std::abs(q.z)});
        m_n.x += (m_prev.y - q.y) * (m_prev.z + q.z);
        m_n.y += (m_prev.z - q.z) * (m_prev.x + q.x);
        m_n.z += (m_prev.x - q.x) * (m_prev.y + q.y);
        m_prev = q;
    }
    // The unit normal of the closed chain; false when it encloses no area.
    bool normal(CZunVector3d& n)
    {
        if (m_started)
            take(m_ref);
        if (!(m_n.length() > 1e-12 * m_size * m_size))
            return false;
        n = m_n.normal();
        return true;
    }

private:
    CZunPoint3d m_ref;
    CZunVector3d m_n, m_prev;
    double m_size = 0.0;
    bool m_started = false;
};

// A normal this close to level makes an upright plane: rounding in a
// transform must not turn its arcs over.
constexpr double kUpright = 1e-9;

// Turns a level normal to the side given: a normal this close to level
// makes an upright plane, which rounding in a transform must not tilt.
CZunVector3d upright(const CZunVector3d& n, const CZunVector3d& side)
{
    const CZunVector3d level = CZunVector3d(n.x, n.y, 0.0).normal();
    return level.dotProduct(side) < 0.0 ? -level : level;
}

// The reference normal of a polyline's arcs: the plane through its vertex
// ends, or where they leave it open the plane the arc normal settles, on
// the side the arcs count from (see CZunVertex in the header).
CZunVector3d arcReference(const CZunVertexArray& vl)
{
    const CZunVector3d& hint = vl.arcNormal();
    if (vl.isEmpty())
        return CZunVector3d::kZAxis;
    NewellSum ends;
    for (int i = 0; i < vl.len(); ++i) {
        ends.take(vl.get(i).start());
        if (i + 1 == vl.len() || !vl.get(i + 1).start().isEqualTo(vl.get(i).end()))
            ends.take(vl.get(i).end());
    }
    CZunVector3d n;
    if (ends.normal(n)) {
        if (std::abs(n.z) > kUpright)
            return n.z > 0.0 ? n : -n;
        // Upright: the side the arc normal faces, else the side the ends
        // run counter-clockwise from (the side Newell's rule gives).
        const double facing = CZunVector3d(n.x, n.y, 0.0).normal().dotProduct(hint);
        return upright(n, std::abs(facing) > kUpright ? hint : n);
    }
    // The ends lie on one line (or one point): the plane through it that the
    // arc normal settles.
    const CZunPoint3d& first = vl.first().start();
    CZunVector3d along;
    for (const CZunVertex& v : vl)
        for (const CZunPoint3d& p : {v.start(), v.end()})
            if ((p - first).length() > along.length())
                along = p - first;
    const CZunVector3d d = along.isZeroLength(0.0) ? CZunVector3d() : along.normal();
    CZunVector3d up = hint - d * d.dotProduct(hint);
    if (up.length() > kUpright) {
        up = up.normal();
        if (std::abs(up.z) <= kUpright)
            return upright(up, up);
        return up.z > 0.0 ? up : -up;
    }
    // The arc normal runs along the line: the plane that leans least from xy.
    up = CZunVector3d::kZAxis - d * d.z;
    if (up.length() <= kUpright) {
        const CZunVector3d front = -CZunVector3d::kYAxis;
        up = front - d * d.dotProduct(front);
    }
    return up.normal();
}

// The plane a polyline's arc normal stands on, carried by m: the image of
// two axes spanning it, in their order, so that a mirror turns it over.
CZunVector3d carriedNormal(const CZunMatrix3d& m, const CZunVector3d& n)
{
    const CZunVector3d u = n.perpVector();
    const CZunVector3d image = (m * u).crossProduct(m * n.crossProduct(u));
    return image.isZeroLength(0.0) ? CZunVector3d::kZAxis : image.normal();
}

bool keepsXyPlanes(const CZunMatrix3d& m)
{
    return m.m[2][0] == 0.0 && m.m[2][1] == 0.0;
}

bool isXyParallel(const CZunVertexArray& vl)
{
    const double z = vl.isEmpty() ? 0.0 : vl.first().start().z;
    return std::all_of(vl.begin(), vl.end(), [z](const CZunVertex& v) { return v.start().z == z && v.end().z == z; });
}

// The arcs are the vertices' own xy arcs: level, counted from +z.
bool arcsParallelToXy(const CZunVertexArray& vl)
{
    return isXyParallel(vl) && arcReference(vl) == CZunVector3d::kZAxis;
}

} // namespace


CZunVertexArray CZunVertexArray::fromPoints(const CZunArrayTempl<CZunPoint3d>& points, bool closed)
{
    CZunVertexArray result;
    const int n = points.len();
    if (n == 0)
        return result;
    if (n == 1) {
        // A lone point is kept as a dot rather than lost.
        result.append(points[0], points[0]);
        return result;
    }
    result.reserve(n);
    for (int i = 1; i < n; ++i)
        result.append(points[i - 1], points[i]);
    if (closed && !points[n - 1].isEqualTo(points[0]))
        result.append(points[n - 1], points[0]);
    return result;
}

CZunVertexArray& CZunVertexArray::transformBy(const CZunMatrix3d& m)
{
    bool mirror = m.isMirroringXY();
    // A map that keeps a flat plan flat turns its arcs over exactly when it
    // turns xy over. Any other polyline with arcs compares the image of its
    // arcs' oriented plane with the reference side of the plane it lands in.
    const CZunVector3d hint = carriedNormal(m, m_arcNormal);
    if (hasArc() && !(keepsXyPlanes(m) && arcsParallelToXy(*this))) {
        const CZunMatrix3d before = arcPlane();
        const CZunVector3d image = (m * before.axis(0)).crossProduct(m * before.axis(1));
        for (CZunVertex& v : *this) {
            v.setStart(m * v.start());
            v.setEnd(m * v.end());
        }
        m_arcNormal = hint;
        if (image.dotProduct(arcReference(*this)) < 0.0)
            for (CZunVertex& v : *this)
                v.setBulge(-v.bulge());
        return *this;
    }
    for (CZunVertex& v : *this) {
        v.setStart(m * v.start());
        v.setEnd(m * v.end());
        if (mirror)
            v.setBulge(-v.bulge());
    }
    m_arcNormal = hint;
    return *this;
}

CZunVertexArray CZunVertexArray::getTransformedCopy(const CZunMatrix3d& m) const
{
    CZunVertexArray copy(*this);
    copy.transformBy(m);
    return copy;
}

CZunVertexArray& CZunVertexArray::move(const CZunVector3d& v)
{
    for (CZunVertex& x : *this) {
        x.setStart(x.start() + v);
        x.setEnd(x.end() + v);
    }
    return *this;
}

CZunVertexArray& CZunVertexArray::revert()
{
    std::reverse(begin(), end());
    for (CZunVertex& v : *this)
        v = v.reversed();
    return *this;
}

bool CZunVertexArray::isContinuous(double tol) const
{
    for (int i = 1; i < len(); ++i)
        if (!get(i - 1).end().isEqualTo(get(i).start(), tol))
            return false;
    return true;
}

bool CZunVertexArray::isClosed(double tol) const
{
    return !isEmpty() && isContinuous(tol) && last().end().isEqualTo(first().start(), tol);
}

double CZunVertexArray::length() const
{
    xy::Sum sum;
    for (const CZunVertex& v : *this)
        sum.add(v.bulgLen());
    return sum.value();
}

bool CZunVertexArray::hasArc() const
{
    return std::any_of(begin(), end(), [](const CZunVertex& v) { return v.isArc(); });
}

void CZunVertexArray::setArcNormal(const CZunVector3d& n)
{
    // Nearly every line lies in the plan, and the plan's normal is its own
    // unit vector: no square root for it (the painter sets it per line).
    if (n == CZunVector3d::kZAxis) {
        m_arcNormal = n;
        return;
    }
    m_arcNormal = n.isZeroLength(0.0) ? CZunVector3d::kZAxis : n.normal();
}

CZunMatrix3d CZunVertexArray::arcPlane() const
{
    return CZunMatrix3d().setToPlaneToWorld(isEmpty() ? CZunPoint3d::kOrigin : first().start(), arcReference(*this));
}

CZunVector3d CZunVertexArray::normal() const
{
    if (isEmpty())
        return CZunVector3d::kZAxis;
    // Arcs count through their midpoints in their own plane; an arc parallel
    // to xy is its own xy arc already.
    CZunMatrix3d plane, toPlane;
    const bool flat = !hasArc() || arcsParallelToXy(*this);
    if (!flat) {
        plane = arcPlane();
        toPlane = plane.inverse();
    }
    const auto midOf = [&](const CZunVertex& v) {
        if (flat)
            return v.mid();
        return plane * CZunVertex(toPlane * v.start(), toPlane * v.end(), v.bulge()).mid();
    };
    NewellSum sum;
    for (int i = 0; i < len(); ++i) {
        const CZunVertex& v = get(i);
        sum.take(v.start());
        if (v.isArc())
            sum.take(midOf(v));
        if (i + 1 == len() || !get(i + 1).start().isEqualTo(v.end()))
            sum.take(v.end());
    }
    CZunVector3d n;
    return sum.normal(n) ? n : CZunVector3d::kZAxis;
}

namespace {

// Grows the box by a vertex whose arc lies in the plane given (plane maps
// the plane's coordinates to the world, toPlane back): an arc reaches its
// extreme in a world coordinate where its radius points along that
// coordinate's direction within the plane.
void extendBoxInPlane(const CZunVertex& v, const CZunMatrix3d& plane, const CZunMatrix3d& toPlane, CZunPoint3d& lo,
                      CZunPoint3d& hi)
{
    lo = ZUN::p_min(lo, ZUN::p_min(v.start(), v.end()));
    hi = ZUN::p_max(hi, ZUN::p_max(v.start(), v.end()));
    if (!v.isArc())
        return;
    const CZunVertex flat(toPlane * v.start(), toPlane * v.end(), v.bulge());
    const xy::Arc a = xy::prepare(flat);
    if (!a.isArc())
        return;
    const double sweep = std::abs(a.theta);
    for (int k = 0; k < 3; ++k) {
        const double ux = plane.m[k][0], uy = plane.m[k][1], len = std::hypot(ux, uy);
        if (!(len > 0.0))
            continue;
        for (const double sign : {1.0, -1.0}) {
            const double s = sweepTo(a, sign * ux / len, sign * uy / len);
            if (s < sweep) {
                const CZunPoint3d p = plane * xy::pointAt3(flat, a, s / sweep);
                lo = ZUN::p_min(lo, p);
                hi = ZUN::p_max(hi, p);
            }
        }
    }
}

} // namespace

bool CZunVertexArray::extents(CZunPoint3d& minCorner, CZunPoint3d& maxCorner) const
{
    if (isEmpty())
        return false;
    CZunPoint3d lo = first().start(), hi = lo;
    const CZunMatrix3d plane = hasArc() && !arcsParallelToXy(*this) ? arcPlane() : CZunMatrix3d();
    if (plane.axis(2) != CZunVector3d::kZAxis) {
        const CZunMatrix3d toPlane = plane.inverse();
        for (const CZunVertex& v : *this)
            extendBoxInPlane(v, plane, toPlane, lo, hi);
    } else {
        for (const CZunVertex& v : *this)
            xy::extendBox(v, lo, hi);
    }
    minCorner = lo;
    maxCorner = hi;
    return true;
}

CZunPoint3dArray CZunVertexArray::extents() const
{
    CZunPoint3dArray corners;
    CZunPoint3d lo, hi;
    if (extents(lo, hi)) {
        corners.append(lo);
        corners.append(hi);
    }
    return corners;
}

CZunPoint3dArray CZunVertexArray::pts(bool flag, double tolerance) const
{
    CZunPoint3dArray points;
    points.reserve(len() + 1);
    for (int i = 0; i < len(); ++i) {
        const CZunVertex& v = get(i);
        points.append(v.start());
        if (flag && v.isArc()) {
            const int pieces = ZUN::g_vx_split_dif(v, tolerance);
            const xy::Arc a = xy::prepare(v);
            for (int k = 1; k < pieces; ++k)
                points.append(xy::pointAt3(v, a, double(k) / pieces));
        }
        if (i + 1 == len() || !get(i + 1).start().isEqualTo(v.end()))
            points.append(v.end());
    }
    return points;
}

namespace {

// A stable sort that allocates nothing for short ranges: std::stable_sort
// asks for a buffer on every call, which dominates sorting the two to four
// intersections of a hatch line. A stable sort's result is fixed by the
// order alone, so both ways give the same sequence.
template <class It, class Less>
void stableSort(It first, It last, Less less)
{
    constexpr std::ptrdiff_t kShort = 16;
    if (last - first > kShort) {
        std::stable_sort(first, last, less);
        return;
    }
    for (It i = first; i != last; ++i) {
        auto value = std::move(*i);
        It hole = i;
        for (; hole != first && less(value, *(hole - 1)); --hole)
            *hole = std::move(*(hole - 1));
        *hole = std::move(value);
    }
}

// Drops later points within tol of an earlier one, keeping the order. Sorted
// by x first, so that many points cost n log n, not n^2. A line meets a
// contour a few times: up to kOnStack points are sorted in arrays on the
// stack, so that the hatch walk's line after line allocates nothing.
void keepFirstOfEach(CZunPoint3dArray& points, int from, double tol)
{
    const int count = points.len() - from;
    if (count < 2)
        return;
    // Two points further apart in x than tol are two, as the walk below
    // would find: a line crossing a contour, the common case.
    if (count == 2 && std::abs(points.get(from + 1).x - points.get(from).x) > tol)
        return;
    constexpr int kOnStack = 64;
    int orderOnStack[kOnStack];
    char dropOnStack[kOnStack];
    std::vector<int> orderOnHeap;
    std::vector<char> dropOnHeap;
    int* order = orderOnStack;
    char* drop = dropOnStack;  // by index from `from`
    if (count > kOnStack) {
        orderOnHeap.resize(static_cast<size_t>(count));
        dropOnHeap.resize(static_cast<size_t>(count));
        order = orderOnHeap.data();
        drop = dropOnHeap.data();
    }
    std::iota(order, order + count, from);
    std::fill(drop, drop + count, 0);
    stableSort(order, order + count, [&](int i, int j) { return points.get(i).x < points.get(j).x; });
    for (int i = 0; i < count; ++i) {
        const int a = order[i];
        if (drop[a - from])
            continue;
        for (int j = i + 1; j < count; ++j) {
            const int b = order[j];
            if (points.get(b).x - points.get(a).x > tol)
                break;
            if (drop[b - from] || !points.get(a).isEqualTo(points.get(b), tol))
                continue;
            drop[std::max(a, b) - from] = 1;
            if (b < a)
                break;
        }
    }
    std::vector<CZunPoint3d>& items = points.vector();
    int out = from;
    for (int i = from; i < points.len(); ++i)
        if (!drop[i - from])
            items[static_cast<size_t>(out++)] = items[static_cast<size_t>(i)];
    points.setLen(out);
}

} // namespace

namespace {

// intersectWith against a single vertex, as a hatch line is asked of a
// contour line after line: the same visits, hits and order as through a
// grid of that one vertex, without building it (and allocating) each time.
int intersectWithOne(const CZunVertexArray& vl, const CZunVertex& single, int mode, CZunPoint3dArray& points)
{
    const int before = points.len();
    const xy::Arc b = xy::prepare(single);
    xy::Hit hits[4];
    for (const CZunVertex& v : vl) {
        const xy::Arc a = xy::prepare(v);
        const double reach = xy::tolFor(std::max(a.mag, b.mag));
        const double bx0 = a.x0 - reach, by0 = a.y0 - reach, bx1 = a.x1 + reach, by1 = a.y1 + reach;
        if (!(by1 >= by0) || !(bx1 >= bx0) || !(b.x0 <= bx1 && b.x1 >= bx0 && b.y0 <= by1 && b.y1 >= by0))
            continue;
        const int n = xy::intersect(a, b, xy::tolFor(std::max(a.mag, b.mag)), hits);
        stableSort(hits, hits + n, [](const xy::Hit& p, const xy::Hit& q) { return p.ta < q.ta; });
        for (int k = 0; k < n; ++k)
            points.append(xy::pointAt3(v, a, hits[k].ta));
    }
    if (mode == 3)
        keepFirstOfEach(points, before, 100.0 * xy::tolFor(b.mag));
    return points.len();
}

} // namespace

int CZunVertexArray::intersectWith(const CZunVertexArray& other, int mode, CZunPoint3dArray& points) const
{
    const int before = points.len();
    if (isEmpty() || other.isEmpty())
        return 0;
    if (other.len() == 1)
        return intersectWithOne(*this, other.first(), mode, points) - before;
    xy::Grid grid;
    grid.reserve(other.len());
    double otherMag = 0.0;
    for (const CZunVertex& v : other) {
        grid.add(xy::prepare(v));
        otherMag = std::max(otherMag, grid.edge(grid.size() - 1).mag);
    }
    grid.build();

    std::vector<xy::Hit> found;
    xy::Hit hits[4];
    for (const CZunVertex& v : *this) {
        const xy::Arc a = xy::prepare(v);
        const double reach = xy::tolFor(std::max(a.mag, otherMag));
        found.clear();
        grid.visit(a.x0 - reach, a.y0 - reach, a.x1 + reach, a.y1 + reach, [&](int id) {
            const xy::Arc& b = grid.edge(id);
            const int n = xy::intersect(a, b, xy::tolFor(std::max(a.mag, b.mag)), hits);
            found.insert(found.end(), hits, hits + n);
        });
        stableSort(found.begin(), found.end(), [](const xy::Hit& p, const xy::Hit& q) { return p.ta < q.ta; });
        for (const xy::Hit& h : found)
            points.append(xy::pointAt3(v, a, h.ta));
    }
    // Mode 3 merges what touching at shared vertices reports twice; any
    // other mode gives the points as found.
    if (mode == 3)
        keepFirstOfEach(points, before, 100.0 * xy::tolFor(otherMag));
    return points.len() - before;
}

CZunArrayTempl<CZunVertexArray> CZunVertexArray::breakVertex(const CZunPoint3d& p, double tol) const
{
    CZunArrayTempl<CZunVertexArray> pieces;
    const int n = len();
    int at = -1;
    double t = 0.0;
    if (n > 0 && !p.isEqualTo(first().start(), tol) && !p.isEqualTo(last().end(), tol)) {
        for (int i = 0; i < n && at < 0; ++i) {
            t = get(i).paramOf(p);
            if (get(i).pointAt(t).distanceTo(p) <= tol)
                at = i;
        }
    }
    if (at < 0) {
        pieces.append(*this);
        return pieces;
    }
    const CZunVertex& v = get(at);
    const double len = v.bulgLen();
    CZunVertexArray head, tail;
    head.reserve(at + 1);
    tail.reserve(n - at);
    // At a vertex's end the polyline parts between vertices, leaving no
    // zero-length piece behind.
    int headEnd = at, tailBegin = at + 1;
    if (t * len <= tol) {
        tailBegin = at;
    } else if ((1.0 - t) * len <= tol) {
        headEnd = at + 1;
    }
    for (int i = 0; i < headEnd; ++i)
        head.append(get(i));
    if (headEnd == at && tailBegin == at + 1) {
        head.append(v.subVertex(0.0, t));
        tail.append(v.subVertex(t, 1.0));
    }
    for (int i = tailBegin; i < n; ++i)
        tail.append(get(i));
    if (head.isEmpty() || tail.isEmpty()) {
        // Within tol of an end of the polyline after all, if not of the point.
        pieces.append(*this);
        return pieces;
    }
    // Each half keeps the whole's arc plane: a half may hold a lone arc.
    const CZunVector3d plane = hasArc() ? arcReference(*this) : m_arcNormal;
    head.setArcNormal(plane);
    tail.setArcNormal(plane);
    pieces.append(head);
    pieces.append(tail);
    return pieces;
}

// ---- CZunPoint3dArray --------------------------------------------------------

int CZunPoint3dArray::indexOf(const CZunPoint3d& p, double tol) const
{
    for (int i = 0; i < len(); ++i)
        if (get(i).isEqualTo(p, tol))
            return i;
    return -1;
}

void CZunPoint3dArray::sort(const CZunVector3d& direction)
{
    stableSort(vector().begin(), vector().end(), [&](const CZunPoint3d& a, const CZunPoint3d& b) {
        return a.asVector().dotProduct(direction) < b.asVector().dotProduct(direction);
    });
}
