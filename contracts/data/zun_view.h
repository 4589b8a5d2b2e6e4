#pragma once

#include "contracts/data/zun_data_item.h"

namespace ZUN {

// The view matrix for looking at target from the side direction points to:
// world points are turned about target so that direction becomes +z (toward
// the viewer). With upright set, the view's x axis stays horizontal and its
// y axis points up as far as the direction allows (a view from straight
// above or below keeps the world x axis); without it the x axis follows the
// arbitrary-axis rule of object coordinate systems. A zero direction gives
// the identity.
CZunMatrix3d g_mtx_view(const CZunVector3d& direction, const CZunPoint3d& target, bool upright);

// A part's placement in the drawing, from its item: "MTX" when present,
// else a frame built from "POS" (point, origin), "XDIR" and "ZDIR" (points
// used as vectors; x axis and normal). The position is converted from
// fromUnit to toUnit (see acadUnitCv; -1 the drawing unit).
CZunMatrix3d g_mtx_local(const CZunDataItem* item, int fromUnit, int toUnit);

} // namespace ZUN
