#pragma once

#include "contracts/base/zun_string.h"
#include "contracts/data/zun_color.h"
#include "contracts/data/zun_hatch.h"

// Layers of the open drawing (ZUN::drawingCurrent()). Layer names are
// matched as written first and then without regard to case, as the host
// treats "Contour" and "CONTOUR" as one layer.
namespace ZUN {

// The colour of a layer: its "COLOR", a colour index or a colour value. A
// missing layer, or one without a usable colour, gives a default-constructed
// CZunColor (no colour).
CZunColor layer_color(const CZunString& layerName);

// How parts on a layer show their cut material: colour, hatch, line type
// and the thickness of the layer's material.
struct CPhysLayerProp {
    CZunColor color;
    CHatchProp hatch;
    CZunString lineType;
    double thickness = 0.0;
};

} // namespace ZUN

class CZunLayerMgr {
public:
    // The physical properties of a layer from its "PHYS" directory:
    // "COLOR" (index or colour value), "LTYPE", "HPNAME", "HPSCALE",
    // "HPANG" (degrees; radians in the hatch) and "THICK". Colour and line
    // type missing there come from the layer itself; a hatch scale that is
    // not above 0 counts as 1. False, with prop untouched, when the open
    // drawing has no such layer.
    bool physLayerPropGet(const CZunString& layerName, ZUN::CPhysLayerProp& prop) const;
};
