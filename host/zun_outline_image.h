#pragma once

#include "images/zun_image.h"

// The host's "OUTLINE" generator: a plate cut to one of the parametric
// outlines, as the outline dialog makes it. Part keys: "GEN" the outline
// ("OUTLINE" key, "PARM" parameters, "BASE" base point, "UNIT" the unit of
// its lengths, default the drawing's), "MAT" the material key. The plate is
// hatched with the material's pattern ("HPNAME" of its properties) in the
// material's colour ("COLOR"), or filled in that colour when the material
// has no pattern or "SOLID"; without a material, or with one the library
// and the drawing do not know, it is drawn as an outline alone.
bool zunHostOutlineImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// The part data of an outline plate: "GEN" as above with the outline key,
// the parameters, the base point and their unit, "MAT" (left out when
// empty) and "LABEL", the outline's description in German and English.
CZunDataItem zunOutlinePartData(int outline, const CZunArrayTempl<double>& parms, const CZunPoint3d& base,
                                int unit, const CZunString& material, int txtGen);

// The hatch and fill colour a material gives a plate: false when the
// material is unknown (pattern and colour then untouched).
bool zunMaterialLook(const CZunString& material, CZunString& pattern, CZunColor& color);
