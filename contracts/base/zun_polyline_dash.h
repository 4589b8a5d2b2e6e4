#pragma once

// Dashing vertex by vertex: the entry for callers that dash the vertices of
// a polyline one at a time (the painter's line types), apart from the
// polyline algorithms most of the code base includes.

#include "contracts/base/zun_polyline.h"

namespace ZUN {

// The vertices of g_vl_measure_append for the polyline of the one straight
// vertex v with factor 1, its length (v.bulgLen()) known already, appended
// to out: bit for bit the same, without working the length out again.
void g_vx_measure_append(const CZunVertex& v, double length, const CZunArrayTempl<double>& dashes,
                         CZunVertexArray& out, CZunMeasureWork& work);

} // namespace ZUN
