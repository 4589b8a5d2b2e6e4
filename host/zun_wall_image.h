#pragma once

#include "images/zun_image.h"

// The host's "WALL" generator: a wall in plan, one band per shell along the
// wall's axis, hatched leg by leg along each leg (each leg a region in a
// frame of its own, x along the leg, the pattern starting on the shell's
// inner face) and outlined once round the band. Part keys: "VL" the axis (straight vertices),
// "SN" the shells by number (short integer keys, in order from the axis to
// the outside), each with "THICK" (default 100.0), "HPNAME" (pattern,
// default "ANSI31"), "HPSCALE" (default 1.0). Options: "ACT" the active
// shell (drawn highlighted), "VL" a line being edited (drawn highlighted),
// "COORD" a marker at the origin.
bool zunHostWallImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// The polyline moved sideways by distance (left of its direction when
// positive), corners mitred. Only straight vertices; arcs count as chords.
CZunVertexArray zunOffsetPolyline(const CZunVertexArray& axis, double distance);
