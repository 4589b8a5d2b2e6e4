#include "contracts/base/zun_polyline.h"
#include "contracts/base/zun_polyline_dash.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_vertex_xy.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace ZUN {

namespace {

// How near a point must be to count as lying on a polyline when it is given
// by a caller (cutting): points from intersections carry rounding of that size.
constexpr double kOnTol = 1e-7;

CZunMatrix3d rotationZ(double angle)
{
    CZunMatrix3d m;
    m.setToRotation(angle);
    return m;
}

// isEqualTo(kZunTol) without the root: asked once per vertex of every contour.
bool joins(const CZunPoint3d& a, const CZunPoint3d& b)
{
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz <= kZunTol * kZunTol;
}

// Calls f(i0, i1) for each continuous run [i0, i1) of vertices.
template <class F>
void forEachChain(const CZunVertexArray& vl, F&& f)
{
    const int n = vl.len();
    int i0 = 0;
    for (int i = 1; i <= n; ++i)
        if (i == n || !joins(vl.get(i - 1).end(), vl.get(i).start())) {
            f(i0, i);
            i0 = i;
        }
}

// The arc normal a piece of vl carries, so that its arcs stay in vl's plane
// and count from the same side even where the piece's own ends no longer
// settle the plane (the lone arc of a D standing upright).
CZunVector3d pieceNormal(const CZunVertexArray& vl)
{
    return vl.hasArc() ? vl.arcPlane().axis(2) : vl.arcNormal();
}

void keepPlane(CZunArrayTempl<CZunVertexArray>& pieces, const CZunVertexArray& vl)
{
    const CZunVector3d n = pieceNormal(vl);
    for (CZunVertexArray& piece : pieces)
        piece.setArcNormal(n);
}

CZunVertexArray slice(const CZunVertexArray& vl, int i0, int i1)
{
    CZunVertexArray part;
    part.vector().assign(vl.begin() + i0, vl.begin() + i1);
    return part;
}

// Twice the signed area between an arc and its chord, r^2 (theta - sin theta);
// positive for a counter-clockwise arc, which bulges to the right of its
// chord and so widens a counter-clockwise loop.
double twiceSegmentArea(const xy::Arc& a)
{
    if (!a.isArc())
        return 0.0;
    const double t = a.theta;
    // theta - sin theta cancels for flat arcs; the series does not.
    const double t2 = t * t;
    const double diff = std::abs(t) < 1e-2 ? t * t2 / 6.0 * (1.0 - t2 / 20.0 * (1.0 - t2 / 42.0)) : t - std::sin(t);
    return a.r * a.r * diff;
}

// Every boundary edge of the contours: their vertices, and a closing edge
// for each continuous piece that does not end where it began.
template <class F>
void forEachContourEdge(const CZunVertexArray* contours, int count, F&& f)
{
    for (int c = 0; c < count; ++c) {
        const CZunVertexArray& contour = contours[c];
        forEachChain(contour, [&](int i0, int i1) {
            for (int i = i0; i < i1; ++i)
                f(contour.get(i));
            const CZunPoint3d& head = contour.get(i0).start();
            const CZunPoint3d& tail = contour.get(i1 - 1).end();
            if (!joins(tail, head))
                f(CZunVertex(tail, head));
        });
    }
}

// 1 inside, 0 outside, -1 on the boundary (within onTol), by the even-odd
// rule over the edges in grid.
int classify(const xy::Grid& grid, double x, double y, double onTol)
{
    bool odd = false, on = false;
    // The ray runs to +x: only edges reaching the point's height to its right matter.
    // An edge whose box lies further than twice onTol from the point is
    // further than onTol itself, well beyond rounding: most edges to the
    // right are, and they spare the distance and its root.
    const double far = 2.0 * onTol;
    grid.visit(x - onTol, y - onTol, std::numeric_limits<double>::infinity(), y + onTol, [&](int id) {
        const xy::Arc& e = grid.edge(id);
        if (!on && e.x0 - x <= far && e.y0 - y <= far && y - e.y1 <= far && xy::within(e, x, y, onTol))
            on = true;
        if (xy::crossesRay(e, x, y))
            odd = !odd;
    });
    return on ? -1 : odd ? 1 : 0;
}

// Where the pieces of the dashing and the punching go: separate arrays, one
// array that takes them all one after another, or one array with the index
// where each piece starts.
struct PieceSink {
    CZunArrayTempl<CZunVertexArray>& pieces;
    CZunVertexArray& open()
    {
        pieces.append(CZunVertexArray());
        return pieces.last();
    }
    CZunVertexArray& current() { return pieces.last(); }
};

struct FlatSink {
    CZunVertexArray& out;
    CZunVertexArray& open() { return out; }
    CZunVertexArray& current() { return out; }
};

struct SplitSink {
    CZunVertexArray& out;
    std::vector<int>& starts;
    CZunVertexArray& open()
    {
        starts.push_back(out.len());
        return out;
    }
    CZunVertexArray& current() { return out; }
};

// Which cells of a coarse raster over the edges' boxes some edge box
// reaches. A box that reaches no occupied cell meets no edge box: a point
// the two boxes shared would lie in a cell both reach, as the cell of a
// coordinate never decreases with it. So the dashes of a hatch deep inside
// a large region are known to cross nothing without walking the grid's
// buckets, which a slanted piece crosses many of.
class Occupancy {
public:
    void build(const xy::Grid& grid)
    {
        m_usable = false;
        const int n = grid.size();
        double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
        for (int i = 0; i < n; ++i) {
            const xy::Arc& e = grid.edge(i);
            if (!(std::isfinite(e.x0) && std::isfinite(e.y0) && std::isfinite(e.x1) && std::isfinite(e.y1)))
                return;  // unusable: every box may meet an edge
            x0 = std::min(x0, e.x0);
            y0 = std::min(y0, e.y0);
            x1 = std::max(x1, e.x1);
            y1 = std::max(y1, e.y1);
        }
        if (n < kMinEdges || !(x1 > x0) || !(y1 > y0))
            return;
        const int side = static_cast<int>(std::clamp(2.0 * std::sqrt(double(n)), 1.0, double(kMaxSide)));
        m_x0 = x0;
        m_y0 = y0;
        m_w = (x1 - x0) / side;
        m_h = (y1 - y0) / side;
        m_cols = m_rows = side;
        // Per row, the count of occupied cells left of each column.
        std::vector<char>& on = m_on;
        on.assign(static_cast<size_t>(side) * static_cast<size_t>(side), 0);
        for (int i = 0; i < n; ++i) {
            const xy::Arc& e = grid.edge(i);
            const int c0 = col(e.x0), c1 = col(e.x1), r0 = row(e.y0), r1 = row(e.y1);
            for (int r = r0; r <= r1; ++r)
                std::fill(on.begin() + r * side + c0, on.begin() + r * side + c1 + 1, char(1));
        }
        m_before.assign(static_cast<size_t>(side) * static_cast<size_t>(side + 1), 0);
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c)
                m_before[static_cast<size_t>(r * (side + 1) + c + 1)] =
                    m_before[static_cast<size_t>(r * (side + 1) + c)] + on[static_cast<size_t>(r * side + c)];
        m_usable = true;
    }

    // False only when no edge box meets the box.
    bool mayMeet(double bx0, double by0, double bx1, double by1) const
    {
        if (!m_usable || !(std::isfinite(bx0) && std::isfinite(by0) && std::isfinite(bx1) && std::isfinite(by1)))
            return true;
        const int c0 = col(bx0), c1 = col(bx1);
        for (int r = row(by0), r1 = row(by1); r <= r1; ++r) {
            const size_t at = static_cast<size_t>(r * (m_cols + 1));
            if (m_before[at + static_cast<size_t>(c1) + 1] != m_before[at + static_cast<size_t>(c0)])
                return true;
        }
        return false;
    }

private:
    // Below this a few edges are walked as fast as the raster is asked.
    static constexpr int kMinEdges = 16;
    static constexpr int kMaxSide = 256;

    int col(double x) const { return cell((x - m_x0) / m_w, m_cols); }
    int row(double y) const { return cell((y - m_y0) / m_h, m_rows); }
    // floor(at) held to the cells, by truncation as the grid does.
    static int cell(double at, int count)
    {
        if (!(at >= 1.0))
            return 0;
        return at >= count - 1 ? count - 1 : static_cast<int>(at);
    }

public:
    size_t bytes() const { return m_on.capacity() + m_before.capacity() * sizeof(int); }

private:
    bool m_usable = false;
    double m_x0 = 0.0, m_y0 = 0.0, m_w = 1.0, m_h = 1.0;
    int m_cols = 1, m_rows = 1;
    std::vector<char> m_on;
    std::vector<int> m_before;
};

// The grid, raster and cut list of a punch, kept per thread from call to
// call: a hatch punches its lines pattern line by pattern line, region after
// region, and would otherwise allocate them all anew each time. Each punch
// rebuilds what it reads. A punch on a huge contour lets them go after.
struct PunchWork {
    xy::Grid grid;
    Occupancy occupied;
    std::vector<double> cuts;
    bool busy = false;
    static constexpr size_t kKeepBytes = size_t(4) << 20;
    size_t bytes() const { return grid.bytes() + occupied.bytes() + cuts.capacity() * sizeof(double); }
};

class PunchWorkLease {
public:
    PunchWorkLease() : m_shared(shared())
    {
        if (m_shared.busy) {
            m_own = std::make_unique<PunchWork>();
            m_work = m_own.get();
        } else {
            m_shared.busy = true;
            m_work = &m_shared;
        }
    }
    ~PunchWorkLease()
    {
        if (m_work != &m_shared)
            return;
        if (m_shared.bytes() > PunchWork::kKeepBytes)
            m_shared = PunchWork();
        m_shared.busy = false;
    }
    PunchWorkLease(const PunchWorkLease&) = delete;
    PunchWorkLease& operator=(const PunchWorkLease&) = delete;
    PunchWork& work() { return *m_work; }

private:
    static PunchWork& shared()
    {
        thread_local PunchWork work;
        return work;
    }
    PunchWork& m_shared;
    std::unique_ptr<PunchWork> m_own;
    PunchWork* m_work = nullptr;
};

// a.isEqualTo(b) as it stands, its root taken only for points within the
// tolerance along every axis: the root of a sum of squares is never below
// the magnitude of one of them (sqrt(x * x) is |x| exactly), so points
// further apart along one axis are further apart than the tolerance.
bool sameEnd(const CZunPoint3d& a, const CZunPoint3d& b)
{
    if (std::abs(a.x - b.x) > kZunTol || std::abs(a.y - b.y) > kZunTol || std::abs(a.z - b.z) > kZunTol)
        return false;
    return a.isEqualTo(b);
}

template <class Sink>
void punch(const CZunVertexArray& vl, const CZunVertexArray* contours, int count, bool inside, Sink& sink)
{
    PunchWorkLease lease;
    xy::Grid& grid = lease.work().grid;
    grid.clear();
    double mag = 0.0;
    forEachContourEdge(contours, count, [&](const CZunVertex& v) {
        grid.add(xy::prepare(v));
        mag = std::max(mag, grid.edge(grid.size() - 1).mag);
    });
    grid.build();
    Occupancy& occupied = lease.work().occupied;
    occupied.build(grid);

    std::vector<double>& cuts = lease.work().cuts;
    xy::Hit hits[4];
    bool open = false;
    for (int i = 0; i < vl.len(); ++i) {
        const CZunVertex& v = vl.get(i);
        if (i > 0 && !sameEnd(vl.get(i - 1).end(), v.start()))
            open = false;
        const xy::Arc a = xy::prepare(v);
        const double tol = xy::tolFor(std::max(a.mag, mag));
        cuts.clear();
        cuts.push_back(0.0);
        cuts.push_back(1.0);
        if (occupied.mayMeet(a.x0 - tol, a.y0 - tol, a.x1 + tol, a.y1 + tol)) {
            grid.visit(a.x0 - tol, a.y0 - tol, a.x1 + tol, a.y1 + tol, [&](int id) {
                const int n = xy::intersect(a, grid.edge(id), tol, hits);
                for (int k = 0; k < n; ++k)
                    cuts.push_back(hits[k].ta);
            });
        }
        // Cuts closer than tol along the vertex are one; the ends stay put.
        // With no crossing the ends alone are the cuts whatever the length,
        // which most vertices of a hatch are spared measuring.
        size_t kept = cuts.size();
        if (kept > 2) {
            std::sort(cuts.begin(), cuts.end());
            const double len = v.bulgLen();
            kept = 1;
            for (size_t k = 1; k < cuts.size(); ++k)
                if ((cuts[k] - cuts[kept - 1]) * len > tol)
                    cuts[kept++] = cuts[k];
            if (cuts[kept - 1] != 1.0) {
                if (kept > 1)
                    cuts[kept - 1] = 1.0;
                else
                    cuts[kept++] = 1.0;
            }
        }
        for (size_t k = 0; k + 1 < kept; ++k) {
            const double t0 = cuts[k], t1 = cuts[k + 1];
            double x, y;
            xy::pointAt(a, 0.5 * (t0 + t1), x, y);
            const int where = classify(grid, x, y, kZunOnContourTol);
            if (inside ? where == 0 : where != 0) {
                open = false;
                continue;
            }
            CZunVertexArray& piece = open ? sink.current() : sink.open();
            piece.append(v.subVertex(t0, t1));
            open = true;
        }
    }
}

CZunArrayTempl<CZunVertexArray> punch(const CZunVertexArray& vl, const CZunVertexArray* contours, int count,
                                      bool inside)
{
    CZunArrayTempl<CZunVertexArray> pieces;
    PieceSink sink{pieces};
    punch(vl, contours, count, inside, sink);
    return pieces;
}

// Position (vertex, parameter) of the first place where p lies on vl.
bool locate(const CZunVertexArray& vl, const CZunPoint3d& p, int& index, double& t)
{
    for (int i = 0; i < vl.len(); ++i) {
        const CZunVertex& v = vl.get(i);
        t = v.paramOf(p);
        if (v.pointAt(t).distanceTo(p) <= kOnTol) {
            index = i;
            return true;
        }
    }
    return false;
}

} // namespace

// ---- extents and orientation -------------------------------------------------

bool g_vl_extmax(const CZunVertexArray& vl, double angle, CZunPoint3d& c0, CZunPoint3d& c1)
{
    c0 = c1 = CZunPoint3d::kOrigin;
    if (vl.isEmpty())
        return false;
    // Coordinates in a frame turned by angle are the points turned by -angle.
    const CZunMatrix3d toFrame = rotationZ(-angle);
    CZunPoint3d lo = toFrame * vl.first().start(), hi = lo;
    for (const CZunVertex& v : vl) {
        CZunVertex w = v;
        xy::extendBox(w.transformBy(toFrame), lo, hi);
    }
    c0 = lo;
    c1 = hi;
    return true;
}

CZunVertexArray g_vl_extrect(const CZunVertexArray& vl, double angle)
{
    CZunPoint3d c0, c1;
    if (!g_vl_extmax(vl, angle, c0, c1))
        return {};
    const CZunArrayTempl<CZunPoint3d> corners{
        {c0.x, c0.y, c0.z}, {c1.x, c0.y, c0.z}, {c1.x, c1.y, c0.z}, {c0.x, c1.y, c0.z}};
    CZunVertexArray rect;
    rect.reserve(4);
    for (int i = 0; i < 4; ++i)
        rect.append(corners[i], corners[(i + 1) % 4]);
    return rect.transformBy(rotationZ(angle));
}

bool g_vl_orient(const CZunVertexArray& vl, const CZunVector3d& axis)
{
    if (vl.isEmpty())
        return false;
    const CZunPoint3d ref = vl.first().start();
    CZunVector3d area;
    forEachChain(vl, [&](int i0, int i1) {
        for (int i = i0; i < i1; ++i) {
            const CZunVertex& v = vl.get(i);
            area += (v.start() - ref).crossProduct(v.end() - ref);
            if (v.isArc())
                area.z += twiceSegmentArea(xy::prepare(v));
        }
        area += (vl.get(i1 - 1).end() - ref).crossProduct(vl.get(i0).start() - ref);
    });
    return area.dotProduct(axis) > 0.0;
}

// ---- pieces, explosion, simple maps ------------------------------------------

CZunArrayTempl<CZunVertexArray> g_vl_to_vll(const CZunVertexArray& vl)
{
    CZunArrayTempl<CZunVertexArray> pieces;
    forEachChain(vl, [&](int i0, int i1) { pieces.append(slice(vl, i0, i1)); });
    keepPlane(pieces, vl);
    return pieces;
}

namespace {

void appendExploded(CZunVertexArray& out, const CZunVertex& v, int pieces)
{
    const int n = std::max(1, pieces);
    const xy::Arc a = xy::prepare(v);
    CZunPoint3d prev = v.start();
    for (int k = 1; k <= n; ++k) {
        const CZunPoint3d p = k == n ? v.end() : xy::pointAt3(v, a, double(k) / n);
        out.append(prev, p);
        prev = p;
    }
}

} // namespace

CZunVertexArray g_vl_expl(const CZunVertex& v, int pieces)
{
    CZunVertexArray out;
    out.reserve(std::max(1, pieces));
    appendExploded(out, v, pieces);
    return out;
}

CZunVertexArray g_vl_expl(const CZunVertexArray& vl, double deviation)
{
    CZunVertexArray out;
    g_vl_expl_append(vl, [deviation](const CZunVertex& flat) { return g_vx_split_dif(flat, deviation); }, out);
    return out;
}

int g_vx_split_dif(const CZunVertex& v, double deviation)
{
    if (!v.isArc())
        return 1;
    const xy::Arc a = xy::prepare(v);
    if (!a.isArc())
        return 1;
    if (!(deviation > 0.0))
        return kZunMaxArcPieces;
    // A piece of angle phi leaves the arc by r (1 - cos(phi / 2)); solved for
    // phi as 4 asin(sqrt(dev / 2r)), which unlike acos(1 - dev / r) keeps its
    // digits when dev is tiny against r.
    const double step = 4.0 * std::asin(std::sqrt(std::min(1.0, deviation / (2.0 * a.r))));
    const double need = std::abs(a.theta) / step;
    if (!(need < kZunMaxArcPieces))
        return kZunMaxArcPieces;
    // A hair over a whole number is rounding, not a need for one more piece.
    return std::max(1, static_cast<int>(std::ceil(need - 1e-9)));
}

CZunVertex g_vx_xy(const CZunVertex& v)
{
    return {{v.start().x, v.start().y, 0.0}, {v.end().x, v.end().y, 0.0}, v.bulge()};
}

CZunVertexArray g_vx_xy(const CZunVertexArray& vl)
{
    CZunVertexArray out;
    out.reserve(vl.len());
    for (const CZunVertex& v : vl)
        out.append(g_vx_xy(v));
    return out;
}

CZunPoint3d lotp(const CZunVertex& v, const CZunPoint3d& p)
{
    return v.pointAt(v.paramOf(p));
}

// ---- line types ----------------------------------------------------------------

double CZunLineParm::period() const
{
    double sum = 0.0;
    for (double d : m_dashes)
        sum += std::abs(d);
    return sum;
}

namespace {

// Walks a polyline by position along its length. Positions only grow, so
// the current vertex only moves forward: dashing is linear in the vertices
// plus the pieces.
class LengthWalker {
public:
    LengthWalker(const CZunVertexArray& vl, const std::vector<double>& at, double eps)
        : m_vl(vl), m_at(at), m_eps(eps)
    {
    }

    void restart(int i0, int i1)
    {
        m_index = i0;
        m_end = i1;
    }

    // The point at position pos.
    CZunPoint3d pointAt(double pos)
    {
        const double t = seek(pos);
        return m_vl.get(m_index).pointAt(t);
    }

    // Appends the part between positions lo < hi to piece.
    void appendPart(CZunVertexArray& piece, double lo, double hi)
    {
        double t0 = seek(lo);
        for (;;) {
            const CZunVertex& v = m_vl.get(m_index);
            const double end = m_at[static_cast<size_t>(m_index) + 1];
            if (hi <= end + m_eps || m_index + 1 == m_end) {
                const double t1 = hi >= end - m_eps ? 1.0 : paramIn(hi);
                piece.append(v.subVertex(t0, t1));
                return;
            }
            piece.append(v.subVertex(t0, 1.0));
            ++m_index;
            t0 = 0.0;
        }
    }

private:
    // Moves to the vertex holding pos and returns the parameter there. A
    // position at a vertex's end belongs to the next vertex, so that no piece
    // starts with a sliver.
    double seek(double pos)
    {
        while (m_index + 1 < m_end && pos >= m_at[static_cast<size_t>(m_index) + 1] - m_eps)
            ++m_index;
        return paramIn(pos);
    }

    double paramIn(double pos) const
    {
        const double from = m_at[static_cast<size_t>(m_index)];
        const double len = m_at[static_cast<size_t>(m_index) + 1] - from;
        return len > 0.0 ? std::clamp((pos - from) / len, 0.0, 1.0) : 0.0;
    }

    const CZunVertexArray& m_vl;
    const std::vector<double>& m_at;
    double m_eps;
    int m_index = 0;
    int m_end = 0;
};

} // namespace

namespace {

template <class Sink>
void appendChain(Sink& sink, const CZunVertexArray& vl, int i0, int i1)
{
    CZunVertexArray& piece = sink.open();
    piece.vector().insert(piece.vector().end(), vl.begin() + i0, vl.begin() + i1);
}

// The walker of a polyline that is one straight vertex, the painter's case:
// it dashes vertex by vertex. It needs no length table, and writes the ends
// of the vertex's pointAt and subVertex straight into the piece; the
// arithmetic is theirs and LengthWalker's, so the dashes come out exactly
// as they would from the table.
class StraightWalker {
public:
    StraightWalker(const CZunVertex& v, double length, double eps)
        : m_start(v.start()), m_end(v.end()), m_along(v.end() - v.start()), m_length(length), m_eps(eps)
    {
    }

    CZunPoint3d pointAt(double pos) const { return at(param(pos)); }

    void appendPart(CZunVertexArray& piece, double lo, double hi) const
    {
        piece.vector().emplace_back(at(param(lo)), at(hi >= m_length - m_eps ? 1.0 : param(hi)));
    }

private:
    double param(double pos) const { return std::clamp(pos / m_length, 0.0, 1.0); }
    CZunPoint3d at(double t) const { return t <= 0.0 ? m_start : t >= 1.0 ? m_end : m_start + m_along * t; }

    CZunPoint3d m_start;
    CZunPoint3d m_end;
    CZunVector3d m_along;
    double m_length;
    double m_eps;
};

// Whether the pattern can be laid along a chain from position from to to:
// not along one shorter than the tolerance, nor along one that would take
// more than kZunMaxDashCycles cycles (or whose length is no number).
bool dashable(double from, double to, double period, double eps)
{
    return to - from > eps && (to - from) / period <= kZunMaxDashCycles;
}

// Lays the pattern along one continuous chain, from position from to to.
// Dash boundaries are k * period + prefix[j], each computed afresh, so the
// pattern sits at the same place after a million cycles as after one.
template <class Walker, class Sink>
void dashChain(double from, double to, bool lastChain, double period, const std::vector<double>& prefix,
               const CZunArrayTempl<double>& dashes, double eps, Walker& walker, Sink& sink)
{
    const int m = dashes.len();
    bool open = false;  // the last piece is a dash that may go on
    double openEnd = 0.0;
    for (double k = std::floor(from / period);; k += 1.0) {
        const double base = k * period;
        if (base > to)
            break;
        for (int j = 0; j < m; ++j) {
            const double d = dashes[j];
            const double lo = base + prefix[static_cast<size_t>(j)];
            if (lo > to)
                break;
            if (d < 0.0) {
                open = false;
                continue;
            }
            if (d == 0.0) {
                // A dot at a gap between pieces belongs to the piece after it.
                if (lo >= from && (lo < to || lastChain)) {
                    const CZunPoint3d p = walker.pointAt(lo);
                    sink.open().vector().emplace_back(p, p);
                }
                open = false;
                continue;
            }
            const double hi = j + 1 == m ? (k + 1.0) * period : base + prefix[static_cast<size_t>(j) + 1];
            const double a = std::max(lo, from), b = std::min(hi, to);
            if (b - a <= eps)
                continue;
            // Dashes that follow one another without a gap are one piece.
            CZunVertexArray& piece = open && a - openEnd <= eps ? sink.current() : sink.open();
            walker.appendPart(piece, a, b);
            open = true;
            openEnd = b;
        }
    }
}

// Dashes the straight vertex v of the given length (its bulgLen()) into
// sink, with the pattern's period and prefix sums worked out by the caller.
template <class Sink>
void dashStraightVertex(const CZunVertex& v, double length, double period, const std::vector<double>& prefix,
                        const CZunArrayTempl<double>& dashes, Sink& sink)
{
    const double eps = kZunTol * std::max(1.0, length * 1e-6);
    if (!dashable(0.0, length, period, eps)) {
        sink.open().append(v);
        return;
    }
    StraightWalker walker(v, length, eps);
    dashChain(0.0, length, true, period, prefix, dashes, eps, walker, sink);
}

// The period of the pattern under scale, and its prefix sums into prefix.
double patternPeriod(const CZunArrayTempl<double>& dashes, double scale, std::vector<double>& prefix)
{
    double cycle = 0.0;
    for (double d : dashes)
        cycle += std::abs(d);
    const double period = cycle * scale;
    if (!(period > 0.0) || !std::isfinite(period))
        return period;
    const int m = dashes.len();
    prefix.assign(static_cast<size_t>(m) + 1, 0.0);
    double sum = 0.0;
    for (int j = 0; j < m; ++j) {
        sum += std::abs(dashes[j]);
        prefix[static_cast<size_t>(j) + 1] = sum * scale;
    }
    return period;
}

template <class Sink>
void measure(const CZunVertexArray& vl, double factor, const CZunArrayTempl<double>& dashes,
             CZunMeasureWork& work, Sink& sink)
{
    const int n = vl.len();
    std::vector<double>& prefix = work.prefix;
    const double period = patternPeriod(dashes, std::abs(factor), prefix);
    if (n == 0 || !(period > 0.0) || !std::isfinite(period)) {
        forEachChain(vl, [&](int i0, int i1) { appendChain(sink, vl, i0, i1); });
        return;
    }

    if (n == 1 && !vl.get(0).isArc()) {
        dashStraightVertex(vl.get(0), vl.get(0).bulgLen(), period, prefix, dashes, sink);
        return;
    }

    // Vertex starts along the length, summed with compensation for the
    // same reason as the boundaries are computed afresh: summed plainly,
    // 100,000 vertex lengths can be off by micro-units at the end.
    std::vector<double>& at = work.at;
    at.assign(static_cast<size_t>(n) + 1, 0.0);
    {
        xy::Sum sum;
        for (int i = 0; i < n; ++i) {
            sum.add(vl.get(i).bulgLen());
            at[static_cast<size_t>(i) + 1] = sum.value();
        }
    }
    const double eps = kZunTol * std::max(1.0, at.back() * 1e-6);

    LengthWalker walker(vl, at, eps);
    forEachChain(vl, [&](int i0, int i1) {
        const double from = at[static_cast<size_t>(i0)], to = at[static_cast<size_t>(i1)];
        if (!dashable(from, to, period, eps)) {
            appendChain(sink, vl, i0, i1);
            return;
        }
        walker.restart(i0, i1);
        dashChain(from, to, i1 == n, period, prefix, dashes, eps, walker, sink);
    });
}

} // namespace

CZunArrayTempl<CZunVertexArray> g_vl_measure(const CZunVertexArray& vl, double factor, const CZunLineParm& parm)
{
    CZunArrayTempl<CZunVertexArray> pieces;
    PieceSink sink{pieces};
    CZunMeasureWork work;
    measure(vl, factor, parm.dashes(), work, sink);
    keepPlane(pieces, vl);
    return pieces;
}

void g_vl_measure_append(const CZunVertexArray& vl, double factor, const CZunArrayTempl<double>& dashes,
                         CZunVertexArray& out, CZunMeasureWork& work)
{
    FlatSink sink{out};
    measure(vl, factor, dashes, work, sink);
}

void g_vx_measure_append(const CZunVertex& v, double length, const CZunArrayTempl<double>& dashes,
                         CZunVertexArray& out, CZunMeasureWork& work)
{
    FlatSink sink{out};
    const double period = patternPeriod(dashes, 1.0, work.prefix);
    if (!(period > 0.0) || !std::isfinite(period)) {
        out.append(v);
        return;
    }
    dashStraightVertex(v, length, period, work.prefix, dashes, sink);
}

void g_vl_measure_split(const CZunVertexArray& vl, double factor, const CZunArrayTempl<double>& dashes,
                        CZunVertexArray& out, std::vector<int>& starts, CZunMeasureWork& work)
{
    SplitSink sink{out, starts};
    measure(vl, factor, dashes, work, sink);
}

// ---- contours ------------------------------------------------------------------

CZunArrayTempl<CZunVertexArray> g_vl_punch(const CZunVertexArray& vl, const CZunVertexArray& contour, bool inside)
{
    CZunArrayTempl<CZunVertexArray> pieces = punch(vl, &contour, 1, inside);
    keepPlane(pieces, vl);
    return pieces;
}

void g_vl_punch_split(const CZunVertexArray& vl, const CZunVertexArray& contour, bool inside, CZunVertexArray& out,
                      std::vector<int>& starts)
{
    SplitSink sink{out, starts};
    punch(vl, &contour, 1, inside, sink);
}

CZunArrayTempl<CZunVertexArray> g_vl_punch_reg(const CZunVertexArray& vl,
                                               const CZunArrayTempl<CZunVertexArray>& contours, bool inside)
{
    CZunArrayTempl<CZunVertexArray> pieces = punch(vl, contours.data(), contours.len(), inside);
    keepPlane(pieces, vl);
    return pieces;
}

int g_vll_pt_inside(const CZunArrayTempl<CZunVertexArray>& contours, const CZunPoint3d& p)
{
    // One point: a plain pass over the edges costs less than building a grid.
    const double tol = kZunOnContourTol;
    bool odd = false, on = false;
    forEachContourEdge(contours.data(), contours.len(), [&](const CZunVertex& v) {
        if (on || !xy::mayMeet(v, p.x - tol, p.y - tol, std::numeric_limits<double>::infinity(), p.y + tol))
            return;
        const xy::Arc e = xy::prepare(v);
        if (xy::within(e, p.x, p.y, tol))
            on = true;
        else if (xy::crossesRay(e, p.x, p.y))
            odd = !odd;
    });
    return on ? -1 : odd ? 1 : 0;
}

// ---- cutting -------------------------------------------------------------------

CZunVertexArray g_vl_cut(const CZunVertexArray& vl, const CZunPoint3d& from, const CZunPoint3d& to)
{
    CZunVertexArray part;
    part.setArcNormal(pieceNormal(vl));
    int i0 = 0, i1 = 0;
    double t0 = 0.0, t1 = 0.0;
    if (!locate(vl, from, i0, t0) || !locate(vl, to, i1, t1))
        return part;
    if (i1 < i0 || (i1 == i0 && t1 < t0)) {
        std::swap(i0, i1);
        std::swap(t0, t1);
    }
    const CZunVertex& first = vl.get(i0);
    const CZunVertex& last = vl.get(i1);
    if (i0 == i1) {
        if ((t1 - t0) * first.bulgLen() > kOnTol)
            part.append(first.subVertex(t0, t1));
        return part;
    }
    part.reserve(i1 - i0 + 1);
    if ((1.0 - t0) * first.bulgLen() > kOnTol)
        part.append(first.subVertex(t0, 1.0));
    for (int i = i0 + 1; i < i1; ++i)
        part.append(vl.get(i));
    if (t1 * last.bulgLen() > kOnTol)
        part.append(last.subVertex(0.0, t1));
    return part;
}

} // namespace ZUN
