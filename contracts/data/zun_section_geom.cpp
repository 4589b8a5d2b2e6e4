#include "contracts/data/zun_section_geom.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZUN::section {

namespace {

// Gaps between pieces that come out of intersections carry rounding of
// about this size in millimetre-sized geometry; anything wider is a real gap.
constexpr double kJoinTol = 1e-6;

double cross(const CZunVector3d& a, const CZunVector3d& b) { return a.x * b.y - a.y * b.x; }

CZunVector3d unitXY(const CZunPoint3d& from, const CZunPoint3d& to)
{
    CZunVector3d d(to.x - from.x, to.y - from.y, 0.0);
    const double len = d.length();
    return len > 0.0 ? d / len : CZunVector3d();
}

double lengthXY(const CZunVertex& v)
{
    return std::hypot(v.end().x - v.start().x, v.end().y - v.start().y);
}

// Unit direction of travel at parameter t of a vertex.
CZunVector3d tangentAt(const CZunVertex& v, double t)
{
    if (!v.isArc())
        return unitXY(v.start(), v.end());
    const CZunPoint3d c = v.center();
    const CZunPoint3d p = v.pointAt(t);
    const CZunVector3d r(p.x - c.x, p.y - c.y, 0.0);
    const CZunVector3d ccw(-r.y, r.x, 0.0);
    return (v.bulge() > 0.0 ? ccw : -ccw).normal();
}

// A point beside the middle of v, d to its left (negative: to its right).
CZunPoint3d besideMid(const CZunVertex& v, double d)
{
    const CZunVector3d t = tangentAt(v, 0.5);
    return v.mid() + CZunVector3d(-t.y, t.x, 0.0) * d;
}

// Makes the end of a meet the start of b: directly when they already touch,
// at the crossing of the two lines for straight pieces; otherwise a short
// straight connector is returned to go between them.
bool meet(CZunVertex& a, CZunVertex& b, CZunVertex& connector)
{
    if (a.end().isEqualTo(b.start(), kJoinTol)) {
        b.setStart(a.end());
        return false;
    }
    if (!a.isArc() && !b.isArc()) {
        const CZunVector3d da = a.end() - a.start();
        const CZunVector3d db = b.end() - b.start();
        const double den = cross(da, db);
        if (std::abs(den) > 1e-12 * da.length() * db.length()) {
            const double t = cross(b.start() - a.start(), db) / den;
            CZunPoint3d p = a.start() + da * t;
            p.z = a.end().z;
            a.setEnd(p);
            b.setStart(p);
            return false;
        }
    }
    connector = CZunVertex(a.end(), b.start());
    return true;
}

bool insideOf(const CZunVertexArray& outer, const CZunVertexArray& inner)
{
    const CZunContourSet one{outer};
    // The first sample that does not lie on the outer contour decides;
    // contours that touch share points but rarely every midpoint.
    for (const CZunVertex& v : inner) {
        const int mid = g_vll_pt_inside(one, v.mid());
        if (mid >= 0)
            return mid == 1;
        const int start = g_vll_pt_inside(one, v.start());
        if (start >= 0)
            return start == 1;
    }
    return false;
}

double magnitude(const CZunContourSet& set)
{
    double m = 1.0;
    for (const CZunVertexArray& c : set)
        for (const CZunVertex& v : c)
            m = std::max({m, std::abs(v.start().x), std::abs(v.start().y)});
    return m;
}

// Every piece of contour between its crossings with others, each single
// vertex on its own: the two punch calls together return each piece once.
std::vector<CZunVertex> splitAt(const CZunVertexArray& contour, const CZunContourSet& others)
{
    std::vector<CZunVertex> out;
    for (bool inside : {true, false})
        for (const CZunVertexArray& piece : g_vl_punch_reg(contour, others, inside))
            for (const CZunVertex& v : piece)
                if (lengthXY(v) > 1e-9)
                    out.push_back(v);
    return out;
}

} // namespace

double area(const CZunVertexArray& contour)
{
    if (contour.isEmpty())
        return 0.0;
    const CZunPoint3d ref = contour.first().start();
    double twice = 0.0, segments = 0.0;
    for (const CZunVertex& v : contour) {
        twice += cross(v.start() - ref, v.end() - ref);
        if (v.isArc()) {
            const double theta = 4.0 * std::atan(v.bulge());
            const double half = std::sin(0.5 * theta);
            if (half != 0.0) {
                const double r = 0.5 * lengthXY(v) / half;
                segments += 0.5 * r * r * (theta - std::sin(theta));
            }
        }
    }
    twice += cross(contour.last().end() - ref, contour.first().start() - ref);
    return 0.5 * twice + segments;
}

CZunVertexArray offset(const CZunVertexArray& vl, double d)
{
    const bool closed = vl.len() > 1 && vl.isClosed(kJoinTol);
    std::vector<CZunVertex> moved;
    moved.reserve(static_cast<size_t>(vl.len()));
    for (const CZunVertex& v : vl) {
        if (lengthXY(v) <= 1e-12)
            continue;
        if (!v.isArc()) {
            const CZunVector3d t = unitXY(v.start(), v.end());
            const CZunVector3d n(-t.y, t.x, 0.0);
            moved.emplace_back(v.start() + n * d, v.end() + n * d, 0.0);
            continue;
        }
        const CZunPoint3d c = v.center();
        const double r = v.radius();
        const double sense = v.bulge() > 0.0 ? 1.0 : -1.0;
        // Left of a counter-clockwise arc is towards its centre.
        if (r - sense * d <= 1e-9 * (1.0 + r))
            continue;
        const auto shift = [&](const CZunPoint3d& p) {
            const CZunVector3d out(p.x - c.x, p.y - c.y, 0.0);
            return p - out * (sense * d / r);
        };
        moved.emplace_back(shift(v.start()), shift(v.end()), v.bulge());
    }
    CZunVertexArray result;
    if (moved.empty())
        return result;
    std::vector<CZunVertex> joined;
    joined.push_back(moved.front());
    CZunVertex connector;
    for (size_t i = 1; i < moved.size(); ++i) {
        if (meet(joined.back(), moved[i], connector))
            joined.push_back(connector);
        joined.push_back(moved[i]);
    }
    if (closed && joined.size() > 1) {
        if (meet(joined.back(), joined.front(), connector))
            joined.push_back(connector);
    }
    result.vector() = std::move(joined);
    return result;
}

CZunVertexArray fillet(const CZunVertexArray& vl, const std::function<double(int)>& radius)
{
    const int n = vl.len();
    const bool closed = n > 2 && vl.isClosed(kJoinTol);
    std::vector<double> cut(static_cast<size_t>(n) + 1, 0.0);  // tangent length at joint j
    std::vector<double> bulge(static_cast<size_t>(n) + 1, 0.0);
    for (int j = closed ? 0 : 1; j < n; ++j) {
        const CZunVertex& a = vl.get(j == 0 ? n - 1 : j - 1);
        const CZunVertex& b = vl.get(j);
        const double r = radius(j);
        if (r <= 0.0 || a.isArc() || b.isArc())
            continue;
        const CZunVector3d d1 = unitXY(a.start(), a.end());
        const CZunVector3d d2 = unitXY(b.start(), b.end());
        const double phi = std::atan2(cross(d1, d2), d1.dotProduct(d2));
        if (std::abs(phi) < 1e-9 || std::abs(phi) > kPi - 1e-9)
            continue;
        const double t = std::min({r * std::tan(0.5 * std::abs(phi)), 0.5 * lengthXY(a), 0.5 * lengthXY(b)});
        cut[static_cast<size_t>(j)] = t;
        bulge[static_cast<size_t>(j)] = std::tan(0.25 * phi);
    }
    if (closed)
        cut[static_cast<size_t>(n)] = cut[0], bulge[static_cast<size_t>(n)] = bulge[0];

    CZunVertexArray out;
    for (int i = 0; i < n; ++i) {
        const CZunVertex& v = vl.get(i);
        const double c0 = cut[static_cast<size_t>(i)], c1 = cut[static_cast<size_t>(i) + 1];
        if (v.isArc()) {
            out.append(v);
        } else {
            const CZunVector3d d = unitXY(v.start(), v.end());
            const CZunPoint3d s = v.start() + d * c0, e = v.end() - d * c1;
            if (s.distanceTo(e) > 1e-12)
                out.append(s, e);
        }
        if (c1 > 0.0) {
            const CZunVertex& next = vl.get(i + 1 < n ? i + 1 : 0);
            const CZunPoint3d from = v.end() - unitXY(v.start(), v.end()) * c1;
            const CZunPoint3d to = next.start() + unitXY(next.start(), next.end()) * c1;
            out.append(from, to, bulge[static_cast<size_t>(i) + 1]);
        }
    }
    // The first vertex was shortened at its start by the closing rounding,
    // whose arc ends exactly there; the seam is exact already.
    return out;
}

CZunVertexArray roundedPolygon(const CZunArrayTempl<CZunPoint3d>& points, const CZunArrayTempl<double>& radii)
{
    const CZunVertexArray sharp = CZunVertexArray::fromPoints(points, true);
    return fillet(sharp, [&](int j) { return j < radii.len() ? radii[j] : 0.0; });
}

CZunVertexArray circle(const CZunPoint3d& center, double radius)
{
    CZunVertexArray c;
    const CZunPoint3d east = center + CZunVector3d(radius, 0.0, 0.0);
    const CZunPoint3d west = center - CZunVector3d(radius, 0.0, 0.0);
    c.append(east, west, 1.0);
    c.append(west, east, 1.0);
    return c;
}

Nesting nesting(const CZunContourSet& contours)
{
    const int n = contours.len();
    Nesting result;
    std::vector<double> size(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        size[static_cast<size_t>(i)] = std::abs(area(contours[i]));
        result.parent.append(-1);
        result.depth.append(0);
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            // A contour can only hold one that is smaller; equal ones are
            // duplicates or touch everywhere, and neither holds the other.
            if (j == i || !(size[static_cast<size_t>(j)] > size[static_cast<size_t>(i)]))
                continue;
            if (!insideOf(contours[j], contours[i]))
                continue;
            ++result.depth[i];
            const int p = result.parent[i];
            if (p < 0 || size[static_cast<size_t>(j)] < size[static_cast<size_t>(p)])
                result.parent[i] = j;
        }
    return result;
}

CZunContourSet oriented(const CZunContourSet& contours)
{
    const Nesting nest = nesting(contours);
    CZunContourSet out = contours;
    for (int i = 0; i < out.len(); ++i) {
        const bool wantCcw = nest.depth[i] % 2 == 0;
        if ((area(out[i]) > 0.0) != wantCcw)
            out[i].revert();
    }
    return out;
}

CZunContourSet subtract(const CZunContourSet& a, const CZunContourSet& b)
{
    const CZunContourSet outer = oriented(a);
    if (b.isEmpty() || outer.isEmpty())
        return outer;
    const CZunContourSet cutter = oriented(b);
    const double eps = std::max(1e-5, 1e-8 * std::max(magnitude(outer), magnitude(cutter)));

    // Edges of a stay where the area beside them (on their left) is not cut
    // away; edges of b stay, turned round, where the area on their outer
    // side belongs to a. An edge both have is a's to keep or drop, so that
    // it never appears twice.
    CZunArrayTempl<CZunVertexArray> pieces;
    for (const CZunVertexArray& c : outer)
        for (const CZunVertex& v : splitAt(c, cutter))
            if (g_vll_pt_inside(cutter, besideMid(v, eps)) != 1)
                pieces.append(CZunVertexArray{v});
    for (const CZunVertexArray& c : cutter)
        for (const CZunVertex& v : splitAt(c, outer)) {
            if (g_vll_pt_inside(outer, v.mid()) == -1)
                continue;
            const CZunPoint3d probe = besideMid(v, -eps);
            if (g_vll_pt_inside(outer, probe) == 1 && g_vll_pt_inside(cutter, probe) != 1)
                pieces.append(CZunVertexArray{v.reversed()});
        }
    CZunContourSet loops = chainLoops(pieces, 10.0 * kJoinTol, false);
    CZunContourSet kept;
    for (const CZunVertexArray& loop : loops)
        if (std::abs(area(loop)) > eps * eps)
            kept.append(loop);
    return oriented(kept);
}

CZunContourSet chainLoops(const CZunArrayTempl<CZunVertexArray>& pieces, double tol, bool mayReverse)
{
    std::vector<CZunVertexArray> open;
    for (const CZunVertexArray& p : pieces)
        for (const CZunVertexArray& run : g_vl_to_vll(p))
            if (run.length() > 1e-12)
                open.push_back(run);
    std::vector<bool> used(open.size(), false);
    CZunContourSet loops;
    for (size_t first = 0; first < open.size(); ++first) {
        if (used[first])
            continue;
        used[first] = true;
        CZunVertexArray chain = open[first];
        for (;;) {
            const CZunPoint3d head = chain.first().start();
            const CZunPoint3d tail = chain.last().end();
            if (chain.len() > 1 && tail.distanceTo(head) <= tol) {
                chain.last().setEnd(head);
                break;
            }
            // The nearest free start wins, so that a loop does not jump to a
            // piece that merely passes close by.
            size_t best = open.size();
            bool reverse = false;
            double bestGap = tol;
            for (size_t k = 0; k < open.size(); ++k) {
                if (used[k])
                    continue;
                const double gs = open[k].first().start().distanceTo(tail);
                if (gs <= bestGap)
                    best = k, bestGap = gs, reverse = false;
                if (mayReverse) {
                    const double ge = open[k].last().end().distanceTo(tail);
                    if (ge < bestGap)
                        best = k, bestGap = ge, reverse = true;
                }
            }
            if (best == open.size()) {
                if (tail.distanceTo(head) > 0.0)
                    chain.append(tail, head);
                break;
            }
            used[best] = true;
            CZunVertexArray next = open[best];
            if (reverse)
                next.revert();
            next.first().setStart(tail);
            chain.append(next);
        }
        loops.append(chain);
    }
    return loops;
}

} // namespace ZUN::section
