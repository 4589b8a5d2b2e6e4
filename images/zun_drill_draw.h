#pragma once

// The application's drawing of a drilling for CZunApp::partImageDraw: the
// drilling seen from above, as the drill and hole images ask for it. A host
// installs it with zunAppPtr()->setPartDrawer(zunDrillPartImageDraw).

#include "contracts/data/zun_data_item.h"
#include "gdx/zun_gdx.h"

// Draws the drilling of part (its "GEN" directory, or the item itself when
// it has none) with the parameters "CMODE" (integer, 0), "MTX" (matrix,
// identity; becomes the matrix of every item, the geometry stays about the
// drilling's axis) and "STACK" (integer array, empty; the stack of every
// item). params may be null. Items, all with flag word (CMODE & 15) << 8 in
// the colour of the layer named by the part's "PART_CON" (no colour, that
// is the contrast colour, without one):
//  - the full circles from the largest to the bore, visible edges: pen
//    width 2, solid;
//  - the thread's nominal diameter, an open three-quarter circle: pen
//    width 0, solid;
//  - the centre lines, a horizontal then a vertical one reaching a quarter
//    of the largest diameter beyond it: pen width 0, dash-dot, the dashes
//    scaled to the drilling.
// False, with nothing drawn, without a display list or a part, or when the
// drilling cannot be made.
bool zunDrillPartImageDraw(CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params);

// Pen widths and the centre line's line type as drawn above, for callers
// that add to a drilling's picture in the same style.
inline constexpr unsigned long kDrillEdgePen = 2;
inline constexpr unsigned long kDrillThinPen = 0;
inline constexpr double kDrillAxisOverhang = 0.25;  // times the largest diameter
CZunArrayTempl<double> zunDrillAxisLineType();
