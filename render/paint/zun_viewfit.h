#pragma once

#include "contracts/base/zun_vertex.h"

class CZunGDX;

// The room left round a drawing fitted into a window: a fraction of the
// larger side of the box fitted, on each side. The viewer, the exports,
// the PNG path and the painter's fixed-size items all fit with it.
inline constexpr double kFitMargin = 0.05;

// The matrix that fits the box min..max into a window of width x height
// device pixels (y downward), with margin (a fraction of the larger side)
// around it and the box centred. A width or height of 0 counts as 320 or
// 240; a box without area gives the identity.
CZunMatrix3d getViewMtx(CZunPoint3d min, CZunPoint3d max, int height, int width, double margin);

// Fits the list into a window of width x height pixels: its view matrix
// becomes getViewMtx of its view extents (the view window when one is set)
// with kFitMargin. The list keeps it, so whatever shows the list next shows
// this fit; the zoom matrix is left as it is.
void zunFitToWindow(CZunGDX& gdx, int height, int width);

// The polyline as seen from direction (view matrix about point, see
// ZUN::g_mtx_view), flattened onto the xy plane.
CZunVertexArray zun_g_vl_mtx_view(const CZunVertexArray& vl, CZunVector3d direction, CZunPoint3d point, bool flag);
