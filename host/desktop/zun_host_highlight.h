#pragma once

#include "gdx/zun_gdx.h"

#include <cstdint>

// How the host shows the picked group, so that it is always seen as picked
// and hides none of its own detail:
// - its lines, points and texts take the highlight colour mode; when that
//   mode's colour is one the group is drawn in already (a drilling on a
//   layer of the highlight colour), or the background's, they take a mode
//   of their own whose colour differs from all of them;
// - its filled and hatched areas keep their own colours, so that a plate's
//   holes and slots still read as openings, and get their outlines drawn
//   over them in that colour, twice as thick.
// The painter's rules for each colour mode are the same as ever; only the
// modes and items given to the picked group are chosen.

// The colour mode used for a group picked in list when it is not the
// highlight mode's: an entry of the colour table no named mode uses.
inline constexpr ZUN::GdxColorMode kZunPickFallbackMode = static_cast<ZUN::GdxColorMode>(6);

// The colour (0x00BBGGRR) the group's lines are shown in when picked.
std::uint32_t zunPickColor(const CZunGDX& list, int group);

// Marks group of list as picked (see above); false when no item has it.
bool zunHighlightGroup(CZunGDX& list, int group);
