#pragma once

#include "contracts/base/zun_vertex.h"

// The matrix that fits the box min..max into a window of width x height
// device pixels (y downward), with margin (a fraction of the larger side)
// around it and the box centred. A width or height of 0 counts as 320 or
// 240; a box without area gives the identity.
CZunMatrix3d getViewMtx(CZunPoint3d min, CZunPoint3d max, int height, int width, double margin);

// The polyline as seen from direction (view matrix about point, see
// ZUN::g_mtx_view), flattened onto the xy plane.
CZunVertexArray zun_g_vl_mtx_view(const CZunVertexArray& vl, CZunVector3d direction, CZunPoint3d point, bool flag);
