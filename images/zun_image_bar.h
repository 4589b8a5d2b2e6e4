#pragma once

#include "images/zun_image.h"

// The cross-section of one bar of a construction group, in the bar's own
// coordinates: its regions, the lines of its coated surfaces, the picked
// points of the options and the cross-sections of the bars attached to it.
// The options name the group ("GRP", a key in the part's local object) and
// the bar ("BT"); ("PICK", "P1") and ("PICK", "P2") are points to mark.
// False without a display list, part, options, local object, or when the
// group or the bar is not a directory.
bool zun_gdx_image_bar_surface(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);
