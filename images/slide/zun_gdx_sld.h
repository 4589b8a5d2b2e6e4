#pragma once

// Slides as display-list items, so that a slide can be zoomed and combined
// with other items instead of being shown in a slide window.

#include "contracts/data/zun_data_item.h"
#include "gdx/zun_gdx.h"
#include "images/slide/zun_slide.h"

namespace ZUN {

// Converts a held slide into items: one polyline item per vector and one
// filled region per solid fill, in slide units (no flip of y, z = 0).
class CGdxSld : public CSlide {
public:
    CGdxSld() = default;
    ~CGdxSld() override = default;

    // Appends the held slide's items to gdx. Options (opts may be null):
    // "STACK" (integer array, else one integer; empty when absent) is the
    // prefix of the working stack prefix + (1), whose first entry counts up
    // by one after each item; "MTX" (identity) is every item's matrix. The
    // first solid fill and everything before it keep bit 0 of flags; later
    // items lose it, and fills always carry it. True when the first stack
    // entry ends above 1: without a prefix, when an item was added.
    // False, and no items, without a slide, for a header shorter than 23
    // bytes or of another level than 1 or 2.
    bool convert(CZunGDX* gdx, unsigned long flags, const CZunDataItem* opts);
};

} // namespace ZUN

// Adds the named slide of a slide library to gdx (see ZUN::CGdxSld). The
// name "LEER" in any case adds instead one hidden point at the origin, which
// only holds the extents open, and returns true whatever the library. False
// for a null name or list, a null library, a library that cannot be read or
// a name not in it.
bool zun_gdx_image_sld(CZunGDX* gdx, const wchar_t* slideName, const wchar_t* libName, unsigned long flags,
                       CZunDataItem* opts);
