#include "contracts/data/zun_layer.h"

#include "contracts/data/zun_drawing.h"

#include <cmath>
#include <numbers>

namespace {

const CZunDataItem* layerOf(const CZunString& name)
{
    if (name.isEmpty())
        return nullptr;
    const CZunDataItem& layers = ZUN::drawingCurrent().layers();
    // One step, never a path: "A\B" is a (strange) layer name, not layer B inside A.
    if (const CZunDataItem* exact = layers.getItem(CZunDataKey(CZunItemKey(name))))
        return exact->isDir() ? exact : nullptr;
    CZunString wanted = name;
    wanted.makeUpper();
    for (const auto& layer : layers.childList()) {
        if (!layer->isDir() || !layer->getKey().isText())
            continue;
        CZunString candidate = layer->getKey().text();
        if (candidate.makeUpper() == wanted)
            return layer.get();
    }
    return nullptr;
}

// Older drawings keep a bare colour index; newer ones a full colour value
// that may carry an exact RGB value or colour-book names.
bool colorOf(const CZunDataItem& dir, CZunColor& color)
{
    if (dir.get(color, L"COLOR"))
        return true;
    int index = 0;
    if (!dir.get(index, L"COLOR"))
        return false;
    color = CZunColor(index);
    return true;
}

const CZunDataItem* physOf(const CZunDataItem& layer)
{
    const CZunDataItem* phys = layer.getItem(L"PHYS");
    return phys && phys->isDir() ? phys : nullptr;
}

} // namespace

namespace ZUN {

CZunColor layer_color(const CZunString& layerName)
{
    CZunColor color;
    if (const CZunDataItem* layer = layerOf(layerName))
        colorOf(*layer, color);
    return color;
}

} // namespace ZUN

bool CZunLayerMgr::physLayerPropGet(const CZunString& layerName, ZUN::CPhysLayerProp& prop) const
{
    const CZunDataItem* layer = layerOf(layerName);
    if (!layer)
        return false;
    ZUN::CPhysLayerProp result;
    const CZunDataItem* phys = physOf(*layer);
    if (!(phys && colorOf(*phys, result.color)))
        colorOf(*layer, result.color);
    if (!(phys && phys->get(result.lineType, L"LTYPE")))
        layer->get(result.lineType, L"LTYPE");
    if (phys) {
        CZunString name;
        phys->get(name, L"HPNAME");
        result.hatch.setName(name);
        double scale = 1.0;
        // A zero scale would pack the pattern lines on top of each other
        // and the hatch would never finish drawing.
        if (phys->get(scale, L"HPSCALE") && std::isfinite(scale) && scale > 0.0)
            result.hatch.setScale(scale);
        double degrees = 0.0;
        if (phys->get(degrees, L"HPANG") && std::isfinite(degrees))
            result.hatch.setAngle(degrees * std::numbers::pi / 180.0);
        double thickness = 0.0;
        if (phys->get(thickness, L"THICK") && std::isfinite(thickness))
            result.thickness = thickness;
    }
    prop = result;
    return true;
}
