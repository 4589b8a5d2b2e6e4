#pragma once

// Plane geometry of single vertices, shared by the vertex and polyline
// algorithms. Internal to the Base library: callers outside it use the
// functions of zun_vertex.h and zun_polyline.h.

#include "contracts/base/zun_vertex.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZUN::xy {

// A vertex reduced to its xy data, worked out once: intersecting and point
// tests run one vertex against thousands of others.
struct Arc {
    double sx = 0.0, sy = 0.0, ex = 0.0, ey = 0.0;
    // The chord of a straight vertex is -1 until asked for by chordAtMost:
    // its root is most of what preparing a line costs.
    double dx = 0.0, dy = 0.0, chord = 0.0;
    // 0 for a straight vertex, and for an arc whose chord vanished: such an
    // arc has no circle, and treating it as a point is the only safe reading.
    double bulge = 0.0;
    double theta = 0.0;
    // Start minus center, formed from the chord and the bulge rather than by
    // subtracting the center: a flat arc has a center far away, and the
    // difference would cancel away all digits that matter near the arc.
    double rsx = 0.0, rsy = 0.0;
    double r = 0.0;
    double cx = 0.0, cy = 0.0;
    // Box of the vertex; exact for the arc when built by prepareBoxed(),
    // otherwise a cheap one that surely contains it.
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    // Largest coordinate magnitude, to scale tolerances.
    double mag = 0.0;
    bool isArc() const { return bulge != 0.0; }
};

Arc prepare(const CZunVertex& v);
Arc prepare(double sx, double sy, double ex, double ey, double bulge);
// The same with the exact box of the arc (costs the quadrant tests).
Arc prepareBoxed(const CZunVertex& v);

// Point at parameter t in [0, 1] (by angle for an arc, which is also by length).
void pointAt(const Arc& a, double t, double& x, double& y);
// The 3D point of v at t, a being v prepared: z runs evenly along the vertex.
CZunPoint3d pointAt3(const CZunVertex& v, const Arc& a, double t);
// Parameter of the radial (perpendicular) projection of (x, y), clamped to
// the vertex: a foot beyond an end gives that end.
double paramOf(const Arc& a, double x, double y);
// Distance from (x, y) to the vertex in xy.
double distance(const Arc& a, double x, double y);
// distance(a, x, y) <= d and a's chord <= d, each without its root where
// one coordinate difference alone settles it: the root of a sum of squares
// is never below the magnitude of one of them.
inline bool within(const Arc& a, double x, double y, double d)
{
    if (a.isArc())
        return distance(a, x, y) <= d;
    const double t = paramOf(a, x, y);
    const double fx = x - (a.sx + t * a.dx), fy = y - (a.sy + t * a.dy);
    if (std::abs(fx) > d || std::abs(fy) > d)
        return false;
    return std::hypot(fx, fy) <= d;
}

inline bool chordAtMost(const Arc& a, double d)
{
    if (a.chord >= 0.0)
        return a.chord <= d;
    if (std::abs(a.dx) > d || std::abs(a.dy) > d)
        return false;
    return std::hypot(a.dx, a.dy) <= d;
}
// The vertex's contribution to the ray parity of (x, y): true when the ray
// from (x, y) towards +x crosses it an odd number of times. Only meaningful
// for points off the vertex; the rule is half-open in y so that vertices and
// horizontal pieces of a closed contour add up exactly.
bool crossesRay(const Arc& a, double x, double y);

// Neumaier's compensated sum: polyline lengths add up 100,000 terms, and
// dash positions along them must not drift.
struct Sum {
    double sum = 0.0, carry = 0.0;
    void add(double v)
    {
        const double t = sum + v;
        carry += std::abs(sum) >= std::abs(v) ? (sum - t) + v : (v - t) + sum;
        sum = t;
    }
    double value() const { return sum + carry; }
};

// Tolerance for "the same point" for coordinates of the given magnitude.
inline double tolFor(double mag) { return std::max(kZunTol, mag * 2e-14); }

struct Hit {
    double ta = 0.0, tb = 0.0;
    double x = 0.0, y = 0.0;
};
// Intersections of a and b in xy, both bounded; at most four (two arcs of
// one circle overlapping at both ends). Parameters are snapped to 0 or 1 at
// ends within tol. Returns the count.
int intersect(const Arc& a, const Arc& b, double tol, Hit (&hits)[4]);

// False when the vertex surely stays outside the box; a test without roots
// or angles, to skip most vertices before preparing them.
inline bool mayMeet(const CZunVertex& v, double bx0, double by0, double bx1, double by1)
{
    const CZunPoint3d& s = v.start();
    const CZunPoint3d& e = v.end();
    const double b = std::abs(v.bulge());
    double reach = 0.0;
    if (b != 0.0) {
        // The arc keeps within its sagitta b c / 2 of the chord up to a half
        // circle, beyond within a diameter of its start; |dx| + |dy| >= c.
        const double c = std::abs(e.x - s.x) + std::abs(e.y - s.y);
        reach = b <= 1.0 ? 0.5 * b * c : 0.5 * c * (1.0 / b + b);
    }
    return std::min(s.x, e.x) - reach <= bx1 && std::max(s.x, e.x) + reach >= bx0 &&
           std::min(s.y, e.y) - reach <= by1 && std::max(s.y, e.y) + reach >= by0;
}

// Extends lo/hi (3D) by the vertex, arcs with their extreme points.
void extendBox(const CZunVertex& v, CZunPoint3d& lo, CZunPoint3d& hi);

// Vertices bucketed by y so that a box query visits only the vertices near
// it, not all of them. Buckets are sized for about one vertex each, but
// fewer when tall vertices would otherwise be registered in too many.
class Grid {
public:
    void reserve(int n) { m_edges.reserve(static_cast<size_t>(std::max(0, n))); }
    // Empty again, keeping the storage for the next contour.
    void clear() { m_edges.clear(); }
    size_t bytes() const
    {
        return m_edges.capacity() * sizeof(Arc) + m_boxes.capacity() * sizeof(Box) +
               (m_start.capacity() + m_ids.capacity() + m_cursor.capacity()) * sizeof(int);
    }
    void add(const Arc& a) { m_edges.push_back(a); }
    void build();
    int size() const { return static_cast<int>(m_edges.size()); }
    const Arc& edge(int i) const { return m_edges[static_cast<size_t>(i)]; }

    // Calls f(id) once for every vertex whose box meets the given box.
    template <class F>
    void visit(double bx0, double by0, double bx1, double by1, F&& f) const
    {
        if (m_edges.empty() || !(by1 >= by0) || !(bx1 >= bx0))
            return;
        const int q0 = bucketOf(by0), q1 = bucketOf(by1);
        for (int k = q0; k <= q1; ++k)
            for (int j = m_start[static_cast<size_t>(k)]; j < m_start[static_cast<size_t>(k) + 1]; ++j) {
                const int id = m_ids[static_cast<size_t>(j)];
                const Box& e = m_boxes[static_cast<size_t>(id)];
                // A vertex spanning several buckets is reported from the
                // first bucket that it and the query share, so only once.
                if (std::max(e.first, q0) != k)
                    continue;
                if (e.x0 <= bx1 && e.x1 >= bx0 && e.y0 <= by1 && e.y1 >= by0)
                    f(id);
            }
    }

private:
    // floor((y - y0) / h) held to the buckets; the truncation is the floor
    // for the quotients it is taken of, which are at least one, and spares
    // the floor's call where the instruction set has no rounding.
    int bucketOf(double y) const
    {
        const double q = (y - m_y0) / m_h;
        if (!(q >= 1.0))
            return 0;
        if (q >= m_buckets - 1)
            return m_buckets - 1;
        return static_cast<int>(q);
    }

    // What a visit reads of every vertex it passes, side by side so that
    // the walk over a bucket stays in few cache lines.
    struct Box {
        double x0, y0, x1, y1;
        int first;  // bucket
    };

    std::vector<Arc> m_edges;
    std::vector<Box> m_boxes;
    std::vector<int> m_start;
    std::vector<int> m_ids;
    std::vector<int> m_cursor;  // working space of build()
    double m_y0 = 0.0, m_h = 1.0;
    int m_buckets = 1;
};

} // namespace ZUN::xy
