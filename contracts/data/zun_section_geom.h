#pragma once

// Plane geometry that cross-sections of sheets and bars share: areas with
// arcs, offsets of profile lines, rounded bends, nesting of contours and the
// difference of two regions. Everything works in xy; z is carried along.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_vertex.h"
#include "contracts/data/zun_data_item.h"

#include <functional>

namespace ZUN::section {

// Signed area enclosed by a contour (taken as closed by a straight line when
// it is not), arcs counted with their segments; positive counter-clockwise.
double area(const CZunVertexArray& contour);

// The parallel of a continuous polyline at distance d to its left (negative:
// to its right). Straight pieces move sideways and meet again at their
// mitre point; arcs keep their centre and bulge, so tangent joints stay
// tangent; an arc that would shrink to nothing is dropped and its
// neighbours meet instead. A closed polyline gives a closed parallel.
CZunVertexArray offset(const CZunVertexArray& vl, double d);

// Rounds the corners between straight vertices of a continuous polyline.
// radius(j) gives the radius at joint j, the joint in front of vertex j
// (joint 0, where a closed polyline closes, only for closed ones); 0 keeps
// the corner sharp. A radius too large for its legs is reduced until the
// rounding takes at most half of each leg, so neighbouring roundings never
// overlap. Joints at arcs stay as they are.
CZunVertexArray fillet(const CZunVertexArray& vl, const std::function<double(int)>& radius);

// A closed polygon through points with each corner rounded by radii[i]
// (missing entries: sharp), using fillet().
CZunVertexArray roundedPolygon(const CZunArrayTempl<CZunPoint3d>& points, const CZunArrayTempl<double>& radii);
// A full circle as two half arcs, counter-clockwise.
CZunVertexArray circle(const CZunPoint3d& center, double radius);

// The nesting of closed contours: parent[i] is the smallest contour that
// holds contour i (-1: none), depth[i] how many contours hold it.
struct Nesting {
    CZunArrayTempl<int> parent;
    CZunArrayTempl<int> depth;
};
Nesting nesting(const CZunContourSet& contours);

// The contours turned so that those at even depth run counter-clockwise and
// those at odd depth clockwise: the area lies to the left of every contour.
CZunContourSet oriented(const CZunContourSet& contours);

// The region a minus the region b, both read by the even-odd rule. The
// result's contours are closed and oriented (area to their left); edges that
// the two share are kept once or not at all, as the difference needs.
CZunContourSet subtract(const CZunContourSet& a, const CZunContourSet& b);

// Closed loops from pieces: pieces that end where another starts are joined
// (a piece is turned round when that makes it fit), a chain that finds no
// partner is closed by a straight vertex. tol is the largest gap bridged.
CZunContourSet chainLoops(const CZunArrayTempl<CZunVertexArray>& pieces, double tol, bool mayReverse);

} // namespace ZUN::section
