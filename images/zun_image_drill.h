#pragma once

// Part images of drillings and hole patterns. Both hand the drawing of a
// drilling itself to the application (CZunApp::partImageDraw), so that the
// host decides what a drilling looks like; what they draw themselves is the
// solid view of a drilling, the contours of a hole pattern and the markers.

#include "images/zun_image.h"

// Draws one drilling. Options (read only from a directory root): "CMODE"
// (integer, 0), "MTX" (matrix, identity), "COORD" (boolean, false) and
// "STACK" (integer array, empty; the drilling's items go under STACK + (1)).
// With "VIEW" 3 in the part the drilled plate is drawn as seen from
// (1, -1, 1), its visible edges in the colour of the layer "PART_SOLID";
// false when the part has no solid model. Otherwise the application draws
// the part with "CMODE", "MTX" and "STACK" + (1), and "COORD" adds a marker
// point at the origin under "STACK" + (2).
bool zun_gdx_image_drill(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// Draws a hole pattern: the sub-parts under its "BT" item (contour sets,
// outlines and drillings), each placed by the option "MTX" times its own
// "MTX". Contours are drawn in the colour of the layer "PART_CON", with
// "DRAW" "F" also filled in the colour of "PART_FILL", with "S" hatched by
// "HPNAME", "HPANG" and "HPSCALE". The sub-part named by the option "ACT" is
// drawn highlighted; "COORD" adds a marker after each sub-part and, at the
// active one, a highlighted point. Without a part the user is asked to pick
// one; true also when nothing was drawn.
bool zun_gdx_image_hole(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);
