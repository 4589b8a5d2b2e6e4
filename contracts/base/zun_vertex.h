#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_geometry.h"

class CZunPoint3dArray;

// One piece of a polyline: a straight segment (bulge 0) or an arc from the
// start point to the end point. The bulge is tan(theta / 4) of the arc's
// included angle theta, positive for an arc running counter-clockwise.
//
// How an arc lies in space. An arc belongs to the plane of its polyline
// (CZunVertexArray::arcPlane()), and its bulge counts counter-clockwise seen
// from that plane's reference side:
//  - When the polyline's vertex ends span a plane (Newell's rule over the
//    start and end points), the arcs lie in it. The bulges play no part, so
//    the plane never depends on how the arcs are read.
//  - When the ends lie on one line (a lone arc, a D of one chord and one
//    arc) or on one point, they leave the plane open: the polyline's arc
//    normal (CZunVertexArray::arcNormal(), +z unless set, turned with the
//    polyline by transformBy) settles it. The plane is the one through that
//    line whose normal is the arc normal's part perpendicular to the line;
//    only when the arc normal runs along the line, the plane through it that
//    leans least from xy, or for an upright line the one parallel to xz.
//  - The reference side is the side facing +z. For an upright plane (normal
//    within 1e-9 of level) it is the side the arc normal faces; when the arc
//    normal lies in that plane too, the side from which the ends run
//    counter-clockwise, and for upright ends on one line -y (x to the right,
//    z up, as in a front view).
//  - Ends off the plane (a polyline that is not flat) take the arc over their
//    projection into the plane, rising evenly along it.
// A polyline parallel to xy with the default arc normal thus has its arcs
// parallel to xy, counted from +z. A lone arc or a D drawn in xy and turned
// upright by a matrix stays the shape it was turned into; to build one
// upright directly, set its arc normal to its plane's normal.
//
// The vertex's own operations (pointAt, mid, center, radius, bulgLen,
// paramOf, isPoint, subVertex, transformBy) and the drawing-plane operations
// of CZunVertexArray (pts, intersectWith, breakVertex) take the arc over its
// xy projection, counted from +z: they are exact for polylines parallel to
// xy, and for others once brought into arcPlane()'s coordinates. Flattening
// (g_vl_expl of a polyline), the polyline's normal, extents and
// transformBy follow the arc's own plane.
class CZunVertex : public CZunObj {
public:
    constexpr CZunVertex() = default;
    constexpr CZunVertex(const CZunPoint3d& start, const CZunPoint3d& end, double bulge = 0.0)
        : m_start(start), m_end(end), m_bulge(bulge) {}

    const CZunPoint3d& start() const { return m_start; }
    const CZunPoint3d& end() const { return m_end; }
    double bulge() const { return m_bulge; }
    void setStart(const CZunPoint3d& p) { m_start = p; }
    void setEnd(const CZunPoint3d& p) { m_end = p; }
    void setBulge(double b) { m_bulge = b; }

    bool isArc() const { return m_bulge != 0.0; }
    // Start and end coincide: a dot, drawn as one pixel.
    bool isDegenerate(double tol = kZunTol) const { return m_start.isEqualTo(m_end, tol); }

    // Length along the vertex: the arc length for an arc, else the chord.
    double bulgLen() const;
    // The point halfway along the vertex (on the arc for an arc).
    CZunPoint3d mid() const;
    // The point at parameter t in [0, 1] along the vertex, by length.
    CZunPoint3d pointAt(double t) const;
    // Parameter in [0, 1] of a point on the vertex (its projection).
    double paramOf(const CZunPoint3d& p) const;
    // True when p lies on the vertex within tol (end points included).
    bool isPoint(const CZunPoint3d& p, double tol = 1e-7) const;

    // Arc data (meaningful when isArc()).
    CZunPoint3d center() const;
    double radius() const;
    // Included angle, signed like the bulge.
    double includedAngle() const;

    // The vertex reversed: end to start, bulge negated.
    CZunVertex reversed() const { return {m_end, m_start, -m_bulge}; }
    // Transforms both ends; a map that turns the xy plane over negates the
    // bulge so that the arc stays on the same side of its chord.
    CZunVertex& transformBy(const CZunMatrix3d& m);

    // The part between parameters t0 < t1 (by length), as a vertex.
    CZunVertex subVertex(double t0, double t1) const;

    friend bool operator==(const CZunVertex& a, const CZunVertex& b)
    {
        return a.m_start == b.m_start && a.m_end == b.m_end && a.m_bulge == b.m_bulge;
    }
    friend bool operator!=(const CZunVertex& a, const CZunVertex& b) { return !(a == b); }

private:
    CZunPoint3d m_start;
    CZunPoint3d m_end;
    double m_bulge = 0.0;
};

// A polyline: vertices in order. Consecutive vertices usually join (a
// continuous polyline), but need not: dashes and clipped pieces are kept as
// one array of separate pieces. It is closed when it is continuous and its
// last end point is its first start point.
class CZunVertexArray : public CZunArrayTempl<CZunVertex> {
public:
    using CZunArrayTempl<CZunVertex>::CZunArrayTempl;
    using CZunArrayTempl<CZunVertex>::append;

    void append(const CZunPoint3d& start, const CZunPoint3d& end, double bulge = 0.0)
    {
        CZunArrayTempl<CZunVertex>::append(CZunVertex(start, end, bulge));
    }
    // Appends all vertices of other.
    void append(const CZunVertexArray& other) { appendArray(other); }

    // Points joined by straight vertices; closed adds the vertex back to the
    // first point (unless the last point already is the first).
    static CZunVertexArray fromPoints(const CZunArrayTempl<CZunPoint3d>& points, bool closed);

    // Transforms every vertex and the arc normal; where the map turns the
    // arcs' plane over against its reference side, the bulges are negated,
    // so that every arc keeps its shape (see CZunVertex for the reference
    // side).
    CZunVertexArray& transformBy(const CZunMatrix3d& m);
    CZunVertexArray getTransformedCopy(const CZunMatrix3d& m) const;
    CZunVertexArray& move(const CZunVector3d& v);
    // Reverses the direction: vertex order, ends and bulge signs.
    CZunVertexArray& revert();

    bool isContinuous(double tol = kZunTol) const;
    bool isClosed(double tol = kZunTol) const;
    double length() const;

    // Unit normal of the polyline's plane, on the side from which the
    // polyline runs counter-clockwise: Newell's rule over its points, arcs
    // included by their midpoints taken in their own plane. +z for a
    // polyline that encloses no area (straight, empty).
    CZunVector3d normal() const;
    // The arcs' plane (see CZunVertex): maps the xy plane onto it, the z axis
    // on its reference side, the origin at the first point. In its
    // coordinates (its inverse) every arc is a plane arc counted from +z.
    CZunMatrix3d arcPlane() const;
    bool hasArc() const;
    // The normal that settles the arcs' plane where the vertex ends leave it
    // open (see CZunVertex). +z unless set; copies keep it and transformBy
    // turns it as the plane it stands on, so that a mirror turns it over.
    const CZunVector3d& arcNormal() const { return m_arcNormal; }
    // A zero vector restores +z; any other is kept as a unit vector.
    void setArcNormal(const CZunVector3d& n);

    // Minimum and maximum corner of the polyline, arcs with their bulge.
    // False (corners untouched) for an empty polyline.
    bool extents(CZunPoint3d& minCorner, CZunPoint3d& maxCorner) const;
    // The two corners, or an empty array for an empty polyline.
    CZunPoint3dArray extents() const;

    // Points along the polyline: each vertex's start, its end where the next
    // vertex does not start there, and with flag set the inner points of each
    // arc, so that no chord leaves the arc by more than tolerance.
    CZunPoint3dArray pts(bool flag, double tolerance) const;

    // Intersection points of other with this polyline, both taken as they
    // are (no extension), in the order of this polyline's vertices.
    // mode 0: all crossings, as found; mode 3: the same, each point once.
    // Returns the number of points added.
    int intersectWith(const CZunVertexArray& other, int mode, CZunPoint3dArray& points) const;

    // Splits the polyline at a point on it: two pieces when p lies inside
    // the polyline, one (the whole) when p is an end or not on it.
    CZunArrayTempl<CZunVertexArray> breakVertex(const CZunPoint3d& p, double tol = 1e-7) const;

private:
    CZunVector3d m_arcNormal = CZunVector3d::kZAxis;
};

class CZunPoint3dArray : public CZunArrayTempl<CZunPoint3d> {
public:
    using CZunArrayTempl<CZunPoint3d>::CZunArrayTempl;

    // Index of the first point within tol of p, or -1.
    int indexOf(const CZunPoint3d& p, double tol = kZunTol) const;
    // Sorts by the projection onto direction, ascending (stable).
    void sort(const CZunVector3d& direction);
};
