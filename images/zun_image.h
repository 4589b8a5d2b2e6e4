#pragma once

#include "contracts/data/zun_dta.h"
#include "gdx/zun_gdx.h"

// An image generator: draws the part (its open data) into the display list,
// reading image options from opts (may be null). It only appends items.
using ZunGdxImageFcn = bool (*)(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// Registers fcn under the type name (replacing one registered before); a
// null fcn removes the name. Names match exactly.
void setGdxImageFcn(const wchar_t* typeName, ZunGdxImageFcn fcn);
// Draws the part with the generator of that type name; false for a null or
// unregistered name (nothing drawn), else the generator's result.
bool zun_gdx_image(const wchar_t* typeName, CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);
// The registered type names in order (for hosts that list them).
CZunArrayTempl<CZunString> zunGdxImageTypes();
