#pragma once

#include "contracts/base/zun_geometry.h"

#include <vector>

class CZunGDX;
class CZunVertex;
class CZunVertexArray;

// Snap points of a display list for measuring: the ends of lines and arcs
// (and point items), their midpoints, the centres of arcs and circles, and
// where two of them cross. Distances are judged on the screen, so that the
// aperture is a number of pixels at any zoom and in any view direction;
// the point found is the drawing's own (model coordinates, as the list's
// picking sees them).
enum class CZunSnapKind { None, End, Intersection, Center, Mid };

struct CZunSnap {
    CZunSnapKind kind = CZunSnapKind::None;
    CZunPoint3d point;   // model coordinates
    CZunPoint3d screen;  // where it shows, in window pixels
    explicit operator bool() const { return kind != CZunSnapKind::None; }
};

class CZunSnapFinder {
public:
    // The snap point nearest to the window point at within aperture pixels
    // on the list as its matrices show it now; none when there is none.
    // Among points equally near, ends come before crossings, crossings
    // before centres and centres before midpoints.
    CZunSnap find(const CZunGDX& list, double x, double y, double aperture);

    // The model point under a window point, on the plane the list's picking
    // uses.
    static CZunPoint3d modelPoint(const CZunGDX& list, double x, double y);

private:
    void considerPolyline(const CZunVertexArray& vl, const CZunMatrix3d& toWorld, const CZunMatrix3d& toScreen);
    // world: a vertex in model coordinates; exact when it is the drawing's
    // own vertex, not a chord of an arc.
    void considerVertex(const CZunVertex& world, bool exact);
    void consider(CZunSnapKind kind, const CZunPoint3d& world);
    void take(CZunSnapKind kind, const CZunPoint3d& world, const CZunPoint3d& screen);
    void considerCrossings(const CZunGDX& list);

    // Per call; kept between calls so that moving the mouse allocates nothing.
    std::vector<CZunVertex> m_near;
    const CZunMatrix3d* m_toScreen = nullptr;
    CZunPoint3d m_at;
    double m_aperture = 0.0;
    CZunSnap m_best;
    double m_bestDistance = 0.0;
};
