#pragma once

#include "images/zun_image.h"

// The preview of a wall while the wall-editing command runs: the state the
// command keeps in the configuration ("*WALL_EDIT*": "BT" the shell being
// edited, "MODE", "VL" the edited line) and the wall's own "SN" shells and
// corner mode become options for the generator registered under "WALL",
// which draws the wall. The options are "VL", "COORD" 1 and, where a single
// shell is edited, "ACT" the active shell's number.
// False without a display list, when no shell can be called active, or
// when no "WALL" generator is registered; else that generator's result.
bool zun_wall_edit_image(CZunGDX* gdx, ZUN::CDtaFilePointer* part);
