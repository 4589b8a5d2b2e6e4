#pragma once

#include "contracts/base/zun_geometry.h"

class CZunGDX;

// Items drawn at a fixed size about an anchor (gdxFlagAnchored): symbols
// and texts that keep their size on screen whatever the zoom. One unit of
// such an item is as large as a 1 x 1 box fitted into the window (with
// kFitMargin), y upward; its origin sits where the list's screen matrix
// puts its anchor. The painter draws them so and whatever finds them in
// the window (a pick) must place them the same way.

// The fixed-size matrix of the list in a window of width x height device
// pixels: an item's own coordinates to the window, its origin where the
// list's zoom, view and projection put the model's origin.
CZunMatrix3d zunFixedSizeMtx(const CZunGDX& gdx, int height, int width);

// The matrix that takes item i's own coordinates to the window: screen
// (zoom x view x projection) for most items; for an anchored item
// fixedSize (of zunFixedSizeMtx) moved to where screen puts its anchor.
CZunMatrix3d zunItemScreenMtx(const CZunGDX& gdx, int i, const CZunMatrix3d& screen, const CZunMatrix3d& fixedSize);
