#pragma once

// Polyline algorithms on vertex lists: extents, orientation, explosion of
// arcs, dashing by line types, clipping against contours, cutting.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_vertex.h"

#include <cmath>
#include <vector>

namespace ZUN {

// Corners (min, max) of the polyline in the frame turned by angle about the
// origin (its x axis along the direction angle), arcs counted with their
// bulge. Empty polyline: both corners the origin, result false.
bool g_vl_extmax(const CZunVertexArray& vl, double angle, CZunPoint3d& c0, CZunPoint3d& c1);
// The closed 4-vertex rectangle of those extents, turned back into the
// polyline's frame: the box of the polyline with sides along angle. Empty
// for an empty polyline.
CZunVertexArray g_vl_extrect(const CZunVertexArray& vl, double angle);
// True when the polyline runs counter-clockwise about axis: its signed area,
// arc segments included, is positive seen from the axis tip. Each continuous
// piece counts as closed by a straight line back to its start.
bool g_vl_orient(const CZunVertexArray& vl, const CZunVector3d& axis);
// The continuous pieces of a polyline, in order.
CZunArrayTempl<CZunVertexArray> g_vl_to_vll(const CZunVertexArray& vl);
// A vertex cut into `pieces` (at least 1) straight vertices of equal arc
// angle; a straight vertex into equal parts.
CZunVertexArray g_vl_expl(const CZunVertex& v, int pieces);
// Every arc replaced by g_vx_split_dif(arc, deviation) straight pieces, each
// arc cut in its own plane (see CZunVertex), so that no chord leaves it by
// more than deviation whatever plane the polyline lies in.
CZunVertexArray g_vl_expl(const CZunVertexArray& vl, double deviation);
// The same, appended to out, with the number of pieces of each arc chosen by
// piecesOf(flat), flat being the arc in its plane's coordinates
// (CZunVertexArray::arcPlane()) where it is a plane arc counted from +z.
// Straight vertices are appended as they are.
template <class PiecesOf>
void g_vl_expl_append(const CZunVertexArray& vl, PiecesOf piecesOf, CZunVertexArray& out);
// How many straight pieces an arc needs so that no chord leaves it by more
// than deviation: 1 for a straight vertex, at least 1, at most
// kZunMaxArcPieces (also for a deviation of 0 or less).
inline constexpr int kZunMaxArcPieces = 1024;
int g_vx_split_dif(const CZunVertex& v, double deviation);
// The vertex (polyline) with z set to 0.
CZunVertex g_vx_xy(const CZunVertex& v);
CZunVertexArray g_vx_xy(const CZunVertexArray& vl);
// Foot of the perpendicular from p onto the segment or arc (an arc in xy,
// with its z there), limited to the vertex: the nearer end when the foot
// falls outside.
CZunPoint3d lotp(const CZunVertex& v, const CZunPoint3d& p);

// Line type for measuring: dash lengths, positive = drawn dash,
// negative = gap, 0 = a dot (a zero-length piece).
class CZunLineParm : public CZunObj {
public:
    CZunLineParm() = default;
    explicit CZunLineParm(const CZunArrayTempl<double>& dashes) : m_dashes(dashes) {}
    // A dash and a gap; the gap counts as a gap whatever its sign.
    CZunLineParm(double dash, double gap) : m_dashes{std::abs(dash), -std::abs(gap)} {}

    const CZunArrayTempl<double>& dashes() const { return m_dashes; }
    // Length of one cycle of the pattern: the sum of the absolute lengths.
    double period() const;
    // No pattern to apply: empty, or a cycle of length 0.
    bool isSolid() const { return !(period() > 0.0); }

private:
    CZunArrayTempl<double> m_dashes;
};

// The drawn pieces of vl under the line type scaled by |factor|. The pattern
// starts at the polyline's start and runs on across vertices (and across
// gaps of a discontinuous polyline, the gaps taking no length); a dash may
// turn a corner and is then one piece of several vertices; arcs stay arcs.
// A dot is a one-vertex piece whose start equals its end. Pieces never
// bridge a gap. A solid line type, a factor of 0, or a pattern so fine that
// it would give more than kZunMaxDashCycles cycles on one piece: each
// continuous piece whole.
inline constexpr double kZunMaxDashCycles = 1e6;
CZunArrayTempl<CZunVertexArray> g_vl_measure(const CZunVertexArray& vl, double factor, const CZunLineParm& parm);

// Working arrays of the dashing, kept by callers that dash line after line
// so that each line does not allocate them anew.
struct CZunMeasureWork {
    std::vector<double> prefix;
    std::vector<double> at;
};
// The vertices of g_vl_measure(vl, factor, CZunLineParm(dashes)), piece after
// piece, appended to out (which may already hold vertices).
void g_vl_measure_append(const CZunVertexArray& vl, double factor, const CZunArrayTempl<double>& dashes,
                         CZunVertexArray& out, CZunMeasureWork& work);
// The same, with the index in out where each piece starts appended to
// starts: the pieces without an array each to allocate.
void g_vl_measure_split(const CZunVertexArray& vl, double factor, const CZunArrayTempl<double>& dashes,
                        CZunVertexArray& out, std::vector<int>& starts, CZunMeasureWork& work);

// Pieces of vl inside (inside=true) or outside (false) the closed contour,
// in order along vl. A piece running along the contour counts as inside.
// Each continuous piece of the contour is taken as closed (by a straight
// line back to its start if it is not).
CZunArrayTempl<CZunVertexArray> g_vl_punch(const CZunVertexArray& vl, const CZunVertexArray& contour, bool inside);
// The vertices of g_vl_punch(vl, contour, inside), piece after piece,
// appended to out, and the index in out where each piece starts appended to
// starts.
void g_vl_punch_split(const CZunVertexArray& vl, const CZunVertexArray& contour, bool inside, CZunVertexArray& out,
                      std::vector<int>& starts);
// The same against a contour set by the even-odd rule (contour 0 outer
// boundary, others holes or islands).
CZunArrayTempl<CZunVertexArray> g_vl_punch_reg(const CZunVertexArray& vl,
                                               const CZunArrayTempl<CZunVertexArray>& contours, bool inside);
// 1 when p is inside the contour set by the even-odd rule, 0 outside, -1 on
// a contour (within kZunOnContourTol), all in xy.
inline constexpr double kZunOnContourTol = 1e-7;
int g_vll_pt_inside(const CZunArrayTempl<CZunVertexArray>& contours, const CZunPoint3d& p);

// The part of vl between two points lying on it (within 1e-7), from `from`
// to `to` in the polyline's direction (swapped if `to` comes first). Empty
// when a point is not on vl or both are the same place.
CZunVertexArray g_vl_cut(const CZunVertexArray& vl, const CZunPoint3d& from, const CZunPoint3d& to);

// ---- template definitions ----------------------------------------------------

template <class PiecesOf>
void g_vl_expl_append(const CZunVertexArray& vl, PiecesOf piecesOf, CZunVertexArray& out)
{
    out.reserve(out.len() + vl.len());
    if (!vl.hasArc()) {
        out.append(vl);
        return;
    }
    const CZunMatrix3d plane = vl.arcPlane();
    // Arcs counted from +z are the vertices' own xy arcs: no detour through
    // the plane's coordinates, which would only add rounding.
    const bool level = plane.axis(2) == CZunVector3d::kZAxis;
    const CZunMatrix3d toPlane = level ? CZunMatrix3d() : plane.inverse();
    for (const CZunVertex& v : vl) {
        if (!v.isArc()) {
            out.append(v);
            continue;
        }
        if (level) {
            out.append(g_vl_expl(v, piecesOf(v)));
            continue;
        }
        const CZunVertex flat(toPlane * v.start(), toPlane * v.end(), v.bulge());
        const CZunVertexArray pieces = g_vl_expl(flat, piecesOf(flat));
        // The ends stay exactly where they were; the inner points go back
        // from the plane.
        CZunPoint3d prev = v.start();
        for (int k = 0; k < pieces.len(); ++k) {
            const CZunPoint3d next = k + 1 == pieces.len() ? v.end() : plane * pieces.get(k).end();
            out.append(prev, next);
            prev = next;
        }
    }
}

} // namespace ZUN
