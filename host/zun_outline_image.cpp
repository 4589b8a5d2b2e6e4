#include "host/zun_outline_image.h"

#include "contracts/data/zun_material.h"
#include "contracts/data/zun_outline.h"

#include <algorithm>

bool zunMaterialLook(const CZunString& material, CZunString& pattern, CZunColor& color)
{
    ZUN::CMatProp prop;
    if (material.isEmpty() || !CZunMatMgr().propGet(material, prop))
        return false;
    prop.props.get(pattern, L"HPNAME");
    prop.props.get(color, L"COLOR");
    return true;
}

CZunDataItem zunOutlinePartData(int outline, const CZunArrayTempl<double>& parms, const CZunPoint3d& base,
                                int unit, const CZunString& material, int txtGen)
{
    CZunDataItem data(true);
    data.set(outline, CZunDataKey({L"GEN", L"OUTLINE"}));
    data.set(CZunDataItem::Value(parms), CZunDataKey({L"GEN", L"PARM"}));
    data.set(CZunDataItem::Value(base), CZunDataKey({L"GEN", L"BASE"}));
    data.set(unit, CZunDataKey({L"GEN", L"UNIT"}));
    if (!material.isEmpty())
        data.set(CZunDataItem::Value(material), CZunDataKey(L"MAT"));
    // Named by what it is, in both languages the drawing is read in; a
    // description that says nothing (TXTGEN 0) still names the outline.
    const int gen = txtGen > 0 ? txtGen : 1;
    const CZunString label = CZunString(L"\\de:") + ZUN::g_outline_text(outline, parms, gen, L"de") +
                             CZunString(L"\\en:") + ZUN::g_outline_text(outline, parms, gen, L"en");
    data.set(CZunDataItem::Value(label), CZunDataKey(L"LABEL"));
    return data;
}

bool zunHostOutlineImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* /*opts*/)
{
    if (!gdx || !part || !part->get())
        return false;
    const CZunDataItem* root = part->get();
    const CZunDataItem* gen = root->getItem(CZunDataKey(L"GEN"));
    int unit = -1;
    if (gen)
        gen->get(unit, L"UNIT");
    const CZunContourSet contours = ZUN::g_outline_contours(gen, unit);
    if (contours.isEmpty())
        return false;
    CZunString material;
    root->get(material, L"MAT");
    CZunString pattern;
    CZunColor color(8);
    unsigned long flags = gdxFlagOutline;
    if (zunMaterialLook(material, pattern, color)) {
        // A section shows its material by hatch lines in the material's
        // colour; a material without lines (or "SOLID") is filled.
        const bool solid = pattern.isEmpty() || pattern == CZunString(L"SOLID");
        flags |= solid ? gdxFlagFill : gdxFlagHatch;
    }
    // Hatch lines at about the same density on a plate of any size.
    double scale = 1.0;
    CZunPoint3d lo, hi;
    if (contours.get(0).extents(lo, hi))
        scale = std::max(1.0, std::max(hi.x - lo.x, hi.y - lo.y) / 100.0);
    gdx->imageReg({1}, flags | gdxFlagOfColorMode(ZUN::cModeOwn), contours, CZunColor(7), CZunMatrix3d(), {1.0}, 1.0,
                  0, color, ZUN::CHatchProp(pattern, 0.0, scale, false), {});
    return true;
}
