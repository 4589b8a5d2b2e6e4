#include "contracts/data/zun_solid.h"

#include "contracts/base/zun_math.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ZUN::kPi;
using Loop = std::vector<CZunPoint3d>;

// Where a uniform division angle lies this close to a silhouette, the
// silhouette replaces it: a sliver facet, nearly edge-on, would only make
// the depth of its plane uncertain.
constexpr double kAngleMerge = 1e-4;

struct Edge {
    Loop pts;
    bool closed = false;
};

struct Face {
    std::vector<Loop> loops;  // the first one bounds the face, the others are holes
    CZunVector3d normal;
    double offset = 0.0;
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    bool edgeOn = false;
};

double cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

CZunPoint3d onRing(const CZun_Solid::Ring& ring, double angle)
{
    return {ring.radius * std::cos(angle), ring.radius * std::sin(angle), ring.z};
}

// The angles at which a cone or cylinder between two rings shows its
// outline when seen from direction dir (towards the viewer): there its
// normal (-dz cos t, -dz sin t, dr) is square to dir. None for flat rings
// or a view along the axis, where the outline is a circle already drawn.
void silhouetteAngles(const CZun_Solid::Ring& r1, const CZun_Solid::Ring& r2, const CZunVector3d& dir,
                      std::vector<double>& out)
{
    const double dz = r2.z - r1.z;
    const double dr = r2.radius - r1.radius;
    const double rho = std::hypot(dir.x, dir.y);
    if (std::abs(dz) <= 1e-12 * (std::abs(dr) + std::abs(dz)) || rho <= 1e-12)
        return;
    const double c = dr * dir.z / (dz * rho);
    if (std::abs(c) > 1.0)
        return;
    const double phi = std::atan2(dir.y, dir.x);
    const double delta = std::acos(c);
    out.push_back(ZUN::g_ang(phi + delta));
    if (delta > 1e-12)
        out.push_back(ZUN::g_ang(phi - delta));
}

double circularDistance(double a, double b)
{
    const double d = std::abs(a - b);
    return std::min(d, 2.0 * kPi - d);
}

// The solid as edges and planar faces for one direction of view: circles
// become polygons whose corners include every silhouette angle, so that
// silhouettes run exactly along facet edges and every ring has the same
// corners as the faces it bounds (no cracks for a ray to slip through).
class Model {
public:
    Model(const CZun_Solid& solid, const CZunVector3d& dir, int segments) : m_solid(solid)
    {
        const CZunArrayTempl<CZun_Solid::Ring>& prof = solid.profile();
        std::vector<std::vector<double>> sil(static_cast<size_t>(std::max(0, prof.len() - 1)));
        std::vector<double> all;
        for (int i = 0; i + 1 < prof.len(); ++i) {
            silhouetteAngles(prof[i], prof[i + 1], dir, sil[static_cast<size_t>(i)]);
            all.insert(all.end(), sil[static_cast<size_t>(i)].begin(), sil[static_cast<size_t>(i)].end());
        }
        for (int k = 0; k < segments; ++k) {
            const double a = 2.0 * kPi * k / segments;
            if (std::none_of(all.begin(), all.end(), [&](double s) { return circularDistance(a, s) < kAngleMerge; }))
                m_angles.push_back(a);
        }
        for (double s : all)
            if (std::none_of(m_angles.begin(), m_angles.end(), [&](double a) { return circularDistance(a, s) < 1e-12; }))
                m_angles.push_back(s);
        std::sort(m_angles.begin(), m_angles.end());

        if (solid.hasBlock())
            addBlock();
        if (!prof.isEmpty())
            addRevolved(sil);
    }

    std::vector<Edge> edges;
    std::vector<std::vector<Loop>> faces;

private:
    Loop ring(const CZun_Solid::Ring& r) const
    {
        Loop pts;
        for (double a : m_angles)
            pts.push_back(onRing(r, a));
        return pts;
    }

    void addBlock()
    {
        const CZunPoint3d& lo = m_solid.blockMin();
        const CZunPoint3d& hi = m_solid.blockMax();
        auto corner = [&](int i) {
            return CZunPoint3d(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
        };
        static const int kEdges[12][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7},
                                          {7, 6}, {6, 4}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};
        for (const auto& e : kEdges)
            edges.push_back({{corner(e[0]), corner(e[1])}, false});

        const CZunArrayTempl<CZun_Solid::Ring>& prof = m_solid.profile();
        const bool cut = m_solid.isCut() && !prof.isEmpty();
        std::vector<Loop> bottom{{corner(0), corner(2), corner(3), corner(1)}};
        if (cut && prof.last().radius > 0.0)
            bottom.push_back(ring(prof.last()));
        std::vector<Loop> top{{corner(4), corner(5), corner(7), corner(6)}};
        if (cut)
            top.push_back(ring(prof.first()));
        faces.push_back(bottom);
        faces.push_back(top);
        static const int kSides[4][4] = {{0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}};
        for (const auto& s : kSides)
            faces.push_back({{corner(s[0]), corner(s[1]), corner(s[2]), corner(s[3])}});
    }

    void addRevolved(const std::vector<std::vector<double>>& sil)
    {
        const CZunArrayTempl<CZun_Solid::Ring>& prof = m_solid.profile();
        const int last = prof.len() - 1;
        for (int i = 0; i <= last; ++i) {
            if (prof[i].radius <= 0.0)
                continue;
            bool crease = i == 0 || i == last;
            if (!crease) {
                const double ur = prof[i].radius - prof[i - 1].radius, uz = prof[i].z - prof[i - 1].z;
                const double wr = prof[i + 1].radius - prof[i].radius, wz = prof[i + 1].z - prof[i].z;
                crease = std::abs(cross2(ur, uz, wr, wz)) > 1e-12 * std::hypot(ur, uz) * std::hypot(wr, wz)
                         || ur * wr + uz * wz < 0.0;
            }
            if (crease)
                edges.push_back({ring(prof[i]), true});
        }
        for (int i = 0; i < last; ++i)
            for (double a : sil[static_cast<size_t>(i)])
                edges.push_back({{onRing(prof[i], a), onRing(prof[i + 1], a)}, false});

        const size_t n = m_angles.size();
        for (int i = 0; i < last; ++i)
            for (size_t j = 0; j < n; ++j) {
                const double a0 = m_angles[j], a1 = m_angles[(j + 1) % n];
                Loop facet;
                if (prof[i].radius > 0.0) {
                    facet.push_back(onRing(prof[i], a0));
                    facet.push_back(onRing(prof[i], a1));
                }
                if (prof[i + 1].radius > 0.0) {
                    facet.push_back(onRing(prof[i + 1], a1));
                    facet.push_back(onRing(prof[i + 1], a0));
                } else {
                    facet.push_back(onRing(prof[i + 1], 0.0));
                }
                faces.push_back({facet});
            }
        if (!m_solid.isCut()) {
            faces.push_back({ring(prof.first())});
            if (prof.last().radius > 0.0)
                faces.push_back({ring(prof.last())});
        }
    }

    const CZun_Solid& m_solid;
    std::vector<double> m_angles;
};

// Hidden-line removal in picture coordinates (depth z towards the viewer).
class Projector {
public:
    Projector(std::vector<Edge> edges, const std::vector<std::vector<Loop>>& faceLoops)
        : m_edges(std::move(edges))
    {
        CZunPoint3d lo(HUGE_VAL, HUGE_VAL, HUGE_VAL), hi(-HUGE_VAL, -HUGE_VAL, -HUGE_VAL);
        for (const Edge& e : m_edges)
            for (const CZunPoint3d& p : e.pts) {
                lo = ZUN::p_min(lo, p);
                hi = ZUN::p_max(hi, p);
            }
        const double size = std::max(hi.distanceTo(lo), 1e-300);
        m_tolXY = 1e-9 * size;
        m_tolDepth = 1e-7 * size;
        for (const std::vector<Loop>& loops : faceLoops)
            addFace(loops);
    }

    // Each edge cut where another edge crosses it in the picture; each
    // piece is visible or hidden as its middle is.
    void run(bool keepDepth, CZunArrayTempl<CZunVertexArray>& visible, CZunArrayTempl<CZunVertexArray>& hidden)
    {
        collectSegments();
        for (size_t e = 0; e < m_edges.size(); ++e) {
            if (projectedLength(m_edges[e]) <= m_tolXY)
                continue;
            std::vector<Run> runs;
            for (size_t s = m_firstSeg[e]; s < m_firstSeg[e + 1]; ++s)
                splitSegment(s, runs);
            if (m_edges[e].closed && runs.size() > 1 && runs.front().hidden == runs.back().hidden) {
                Run& lastRun = runs.back();
                lastRun.pts.insert(lastRun.pts.end(), runs.front().pts.begin() + 1, runs.front().pts.end());
                runs.front() = std::move(lastRun);
                runs.pop_back();
            }
            for (const Run& r : runs)
                (r.hidden ? hidden : visible).append(polyline(r.pts, keepDepth));
        }
    }

    // Every edge as it is: the wire frame.
    void all(bool keepDepth, CZunArrayTempl<CZunVertexArray>& visible) const
    {
        for (const Edge& e : m_edges) {
            if (projectedLength(e) <= m_tolXY)
                continue;
            Loop pts = e.pts;
            if (e.closed)
                pts.push_back(pts.front());
            visible.append(polyline(pts, keepDepth));
        }
    }

private:
    struct Seg {
        CZunPoint3d a, b;
        double minX, minY, maxX, maxY;
    };
    struct Run {
        bool hidden;
        Loop pts;
    };

    static CZunVertexArray polyline(const Loop& pts, bool keepDepth)
    {
        CZunVertexArray vl;
        auto out = [&](const CZunPoint3d& p) { return keepDepth ? p : CZunPoint3d(p.x, p.y, 0.0); };
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            vl.append(out(pts[i]), out(pts[i + 1]));
        return vl;
    }

    static double projectedLength(const Edge& e)
    {
        double len = 0.0;
        const size_t n = e.pts.size();
        for (size_t i = 0; i + 1 < n + (e.closed ? 1 : 0); ++i) {
            const CZunPoint3d& a = e.pts[i];
            const CZunPoint3d& b = e.pts[(i + 1) % n];
            len += std::hypot(b.x - a.x, b.y - a.y);
        }
        return len;
    }

    void addFace(const std::vector<Loop>& loops)
    {
        Face f;
        f.loops = loops;
        const Loop& outer = loops.front();
        for (size_t i = 0; i < outer.size(); ++i) {
            const CZunPoint3d& p = outer[i];
            const CZunPoint3d& q = outer[(i + 1) % outer.size()];
            f.normal += CZunVector3d((p.y - q.y) * (p.z + q.z), (p.z - q.z) * (p.x + q.x), (p.x - q.x) * (p.y + q.y));
        }
        f.offset = f.normal.dotProduct(outer.front().asVector());
        f.edgeOn = std::abs(f.normal.z) <= 1e-9 * f.normal.length();
        f.minX = f.maxX = outer.front().x;
        f.minY = f.maxY = outer.front().y;
        for (const CZunPoint3d& p : outer) {
            f.minX = std::min(f.minX, p.x);
            f.maxX = std::max(f.maxX, p.x);
            f.minY = std::min(f.minY, p.y);
            f.maxY = std::max(f.maxY, p.y);
        }
        m_faces.push_back(std::move(f));
    }

    void collectSegments()
    {
        m_firstSeg.assign(1, 0);
        for (const Edge& e : m_edges) {
            const size_t n = e.pts.size();
            const size_t count = e.closed ? n : n - 1;
            for (size_t i = 0; i < count; ++i) {
                const CZunPoint3d& a = e.pts[i];
                const CZunPoint3d& b = e.pts[(i + 1) % n];
                m_segs.push_back({a, b, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
            }
            m_firstSeg.push_back(m_segs.size());
        }
    }

    void splitSegment(size_t index, std::vector<Run>& runs) const
    {
        const Seg& s = m_segs[index];
        const double rx = s.b.x - s.a.x, ry = s.b.y - s.a.y;
        const double rr = rx * rx + ry * ry;
        std::vector<double> ts;
        if (rr > m_tolXY * m_tolXY) {
            const double rlen = std::sqrt(rr);
            for (size_t o = 0; o < m_segs.size(); ++o) {
                const Seg& q = m_segs[o];
                if (o == index || q.minX > s.maxX + m_tolXY || q.maxX < s.minX - m_tolXY || q.minY > s.maxY + m_tolXY
                    || q.maxY < s.minY - m_tolXY)
                    continue;
                const double wx = q.b.x - q.a.x, wy = q.b.y - q.a.y;
                const double px = q.a.x - s.a.x, py = q.a.y - s.a.y;
                const double denom = cross2(rx, ry, wx, wy);
                if (std::abs(denom) > 1e-12 * rlen * std::hypot(wx, wy)) {
                    const double t = cross2(px, py, wx, wy) / denom;
                    const double u = cross2(px, py, rx, ry) / denom;
                    if (u >= -1e-9 && u <= 1.0 + 1e-9)
                        ts.push_back(t);
                } else if (std::abs(cross2(rx, ry, px, py)) / rlen <= m_tolXY) {
                    // Overlapping in the picture: where the other one starts
                    // and ends may change what is in front.
                    ts.push_back((px * rx + py * ry) / rr);
                    ts.push_back(((q.b.x - s.a.x) * rx + (q.b.y - s.a.y) * ry) / rr);
                }
            }
        }
        // Crossings at the ends change nothing; crossings closer together
        // than this are one.
        std::erase_if(ts, [](double t) { return !(t > 1e-9 && t < 1.0 - 1e-9); });
        std::sort(ts.begin(), ts.end());
        ts.erase(std::unique(ts.begin(), ts.end(), [](double a, double b) { return b - a <= 1e-9; }), ts.end());
        ts.insert(ts.begin(), 0.0);
        ts.push_back(1.0);
        auto at = [&](double t) {
            if (t <= 0.0)
                return s.a;
            if (t >= 1.0)
                return s.b;
            return s.a + (s.b - s.a) * t;
        };
        double t0 = 0.0;
        for (size_t k = 1; k < ts.size(); ++k) {
            const double t1 = ts[k];
            const bool hid = occluded(at((t0 + t1) / 2.0));
            const CZunPoint3d p0 = at(t0), p1 = at(t1);
            if (runs.empty() || runs.back().hidden != hid)
                runs.push_back({hid, {p0}});
            runs.back().pts.push_back(p1);
            t0 = t1;
        }
    }

    // True when a face lies in front of p. Faces through p (its own) are
    // at its depth and do not count; a point on the rim of a face in front
    // counts as behind it, so that an edge right behind another is hidden.
    bool occluded(const CZunPoint3d& p) const
    {
        for (const Face& f : m_faces) {
            if (f.edgeOn || p.x < f.minX - m_tolXY || p.x > f.maxX + m_tolXY || p.y < f.minY - m_tolXY
                || p.y > f.maxY + m_tolXY)
                continue;
            const double depth = (f.offset - f.normal.x * p.x - f.normal.y * p.y) / f.normal.z;
            if (depth <= p.z + m_tolDepth)
                continue;
            if (covers(f, p.x, p.y))
                return true;
        }
        return false;
    }

    bool covers(const Face& f, double x, double y) const
    {
        bool inside = false;
        for (const Loop& loop : f.loops) {
            const size_t n = loop.size();
            for (size_t i = 0; i < n; ++i) {
                const CZunPoint3d& a = loop[i];
                const CZunPoint3d& b = loop[(i + 1) % n];
                const double ex = b.x - a.x, ey = b.y - a.y;
                const double ee = ex * ex + ey * ey;
                const double t = ee > 0.0 ? std::clamp(((x - a.x) * ex + (y - a.y) * ey) / ee, 0.0, 1.0) : 0.0;
                if (std::hypot(a.x + ex * t - x, a.y + ey * t - y) <= m_tolXY)
                    return true;
                if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * ex / ey)
                    inside = !inside;
            }
        }
        return inside;
    }

    std::vector<Edge> m_edges;
    std::vector<Face> m_faces;
    std::vector<Seg> m_segs;
    std::vector<size_t> m_firstSeg;
    double m_tolXY = 0.0;
    double m_tolDepth = 0.0;
};

} // namespace

void CZun_Solid::clear()
{
    *this = CZun_Solid();
}

void CZun_Solid::setBlock(const CZunPoint3d& corner1, const CZunPoint3d& corner2)
{
    m_hasBlock = true;
    m_min = ZUN::p_min(corner1, corner2);
    m_max = ZUN::p_max(corner1, corner2);
    m_built = false;
}

void CZun_Solid::setRevolved(const CZunArrayTempl<Ring>& profile, bool cut)
{
    m_profile = profile;
    m_cut = cut;
    m_built = false;
}

bool CZun_Solid::solid()
{
    m_built = false;
    const double tol = 1e-9 * (1.0 + m_min.distanceTo(m_max));
    if (m_hasBlock && !(m_max.x - m_min.x > tol && m_max.y - m_min.y > tol && m_max.z - m_min.z > tol))
        return false;
    const int n = m_profile.len();
    if (n == 0)
        return m_built = m_hasBlock;
    if (n < 2 || m_hasBlock != m_cut)
        return false;
    for (int i = 0; i < n; ++i) {
        const Ring& r = m_profile[i];
        if (!std::isfinite(r.radius) || !std::isfinite(r.z) || r.radius < 0.0)
            return false;
        if (r.radius == 0.0 && i != n - 1)
            return false;
        if (i > 0) {
            const Ring& prev = m_profile[i - 1];
            if (r.z > prev.z || (r.z == prev.z && r.radius == prev.radius))
                return false;
        }
    }
    if (m_cut) {
        const Ring& first = m_profile.first();
        const Ring& last = m_profile.last();
        if (std::abs(first.z - m_max.z) > tol)
            return false;
        for (int i = 0; i < n; ++i) {
            const Ring& r = m_profile[i];
            // The hole must leave material all round it.
            if (r.radius >= std::min({-m_min.x, m_max.x, -m_min.y, m_max.y}) - tol)
                return false;
            const bool atBottom = std::abs(r.z - m_min.z) <= tol;
            if (r.z < m_min.z - tol || (atBottom && i != n - 1))
                return false;
        }
        const bool through = std::abs(last.z - m_min.z) <= tol && last.radius > 0.0;
        const bool blind = last.z > m_min.z + tol && last.radius == 0.0;
        if (!through && !blind)
            return false;
    }
    return m_built = true;
}

bool CZun_Solid::evaluate(int quality)
{
    if (!m_built || quality < 0)
        return false;
    m_segments = 32 << std::min(quality, 4);
    return true;
}

bool CZun_Solid::extents(CZunPoint3d& minCorner, CZunPoint3d& maxCorner) const
{
    if (!m_built)
        return false;
    if (m_hasBlock) {
        minCorner = m_min;
        maxCorner = m_max;
        return true;
    }
    double r = 0.0;
    for (const Ring& ring : m_profile)
        r = std::max(r, ring.radius);
    minCorner = CZunPoint3d(-r, -r, m_profile.last().z);
    maxCorner = CZunPoint3d(r, r, m_profile.first().z);
    return true;
}

bool CZun_Solid::project(const CZunMatrix3d& view, bool flag, int modelerType,
                         CZunArrayTempl<CZunVertexArray>& visible, CZunArrayTempl<CZunVertexArray>& hidden) const
{
    visible.clear();
    hidden.clear();
    if (!m_built || (modelerType != 0 && modelerType != 1))
        return false;
    CZunMatrix3d toPicture;
    if (!view.inverse(toPicture))
        return false;
    const CZunVector3d dir = view.axis(2).normal();
    if (dir.isZeroLength())
        return false;

    Model model(*this, dir, m_segments);
    for (Edge& e : model.edges)
        for (CZunPoint3d& p : e.pts)
            p = toPicture * p;
    for (std::vector<Loop>& loops : model.faces)
        for (Loop& loop : loops)
            for (CZunPoint3d& p : loop)
                p = toPicture * p;

    Projector projector(std::move(model.edges), model.faces);
    if (modelerType == 0)
        projector.all(flag, visible);
    else
        projector.run(flag, visible, hidden);
    return true;
}
