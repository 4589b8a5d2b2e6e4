#pragma once

#include "images/zun_image.h"

// The cross-section of a profiled sheet or of a compound (sandwich) panel,
// seen along its length, from the part's local object: the profile contours
// as lines, filled or hatched regions ("DRAW"), the coating lines of the two
// faces ("COATLINE"), the rib axes ("AXIS") and, with the option "COORD", a
// marker at the origin. The option "SEGM" "S" keeps the default number of
// segments instead of the sheet's "N". The part's data is never changed.
// False without a display list, a part, its local object or a sheet item.
bool zun_gdx_image_fsheet(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);
