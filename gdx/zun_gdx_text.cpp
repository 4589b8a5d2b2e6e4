#include "gdx/zun_gdx.h"
#include "gdx/zun_gdx_p.h"

#include "contracts/base/zun_math.h"

#include "render/core/zun_font.h"
#include "render/core/zun_hatching.h"

#include <algorithm>
#include <cmath>

// Text items: glyph outlines ready to fill, from a data-tree text object
// (laid out by the application) or from a string laid out here with the
// built-in outline font.

namespace {

// A glyph advances by its own width plus this gap; the text's width leaves
// out part of the last gap.
constexpr double kGlyphGap = 0.5;
constexpr double kLastGapCut = 0.3;

CZunVector3d alignShift(const CZunString& align, double width, double height)
{
    if (align == L"TL") return {0.0, -height, 0.0};
    if (align == L"TC") return {-width / 2.0, -height, 0.0};
    if (align == L"TR") return {-width, -height, 0.0};
    if (align == L"CL") return {0.0, -height / 2.0, 0.0};
    if (align == L"CC") return {-width / 2.0, -height / 2.0, 0.0};
    if (align == L"CR") return {-width, -height / 2.0, 0.0};
    if (align == L"BC") return {-width / 2.0, 0.0, 0.0};
    if (align == L"BR") return {-width, 0.0, 0.0};
    return {};
}

CZunVertexArray anchorVertex(const CZunPoint3d& anchor)
{
    CZunVertexArray vl;
    vl.append(anchor, CZunPoint3d::kOrigin);
    return vl;
}

} // namespace

void CZunGDX::mergeTextExtents(const CZunDisplayItem& item)
{
    if (item.flag & gdxFlagExtMask)
        return;
    ++m_scratch.measured;
    const CZunMatrix3d m = extMtx(item.mtx);
    for (const auto& region : item.txtRegl)
        refresh_ext(region.get(0), m);
}

bool CZunGDX::imageTxt(const Stack& stack, unsigned long flag, const CZunDataItem* txt, const CZunColor& color,
                       const CZunMatrix3d& mtx, double height, const CZunPoint3d& anchor)
{
    if (!txt || !txt->isDir())
        return false;
    Regions regl;
    if (!zun_text_to_regl(txt, regl, height))
        return false;
    return guardedAdd([&] {
        CZunDisplayItem item;
        item.type = objTxt;
        item.stack = stack;
        item.flag = static_cast<std::uint32_t>(flag);
        item.color = color;
        item.mtx = mtx;
        item.txtRegl = std::move(regl);
        if (flag & gdxFlagAnchored)
            item.vl = anchorVertex(anchor);
        m_displayList.append(std::move(item));
        mergeTextExtents(m_displayList.get(-1));
    });
}

void CZunGDX::imageTxt(const Stack& stack, unsigned long flag, const wchar_t* text, const CZunColor& color,
                       const CZunMatrix3d& mtx, const wchar_t* align, const CZunPoint3d& point,
                       const CZunPoint3d& anchor)
{
    guardedAdd([&] {
        CZunDisplayItem item;
        item.type = objTxt;
        item.stack = stack;
        item.flag = static_cast<std::uint32_t>(flag);
        item.color = color;
        item.mtx = mtx;
        item.point = point;
        item.txt = CZunString(text);
        item.txtAlign = CZunString(align);
        item.linetype = {1.0, 0.0, 0.0};
        item.ltscale = 0.0;
        if (flag & gdxFlagAnchored)
            item.vl = anchorVertex(anchor);
        m_displayList.append(std::move(item));
        txtReglUpd(lenGet() - 1);
        mergeTextExtents(m_displayList.get(-1));
    });
}

template <class Change>
void CZunGDX::textChange(const Stack& stack, Change change)
{
    for (int i : StackToItemNr(stack)) {
        change(m_displayList[i]);
        txtReglUpd(i);
    }
    refresh_ext();
    touch();
}

bool CZunGDX::txtSet(const Stack& stack, const wchar_t* text)
{
    if (!text)
        return false;
    textChange(stack, [&](CZunDisplayItem& item) { item.txt = CZunString(text); });
    return true;
}

bool CZunGDX::txtAlignSet(const Stack& stack, const wchar_t* align)
{
    if (!align)
        return false;
    textChange(stack, [&](CZunDisplayItem& item) { item.txtAlign = CZunString(align); });
    return true;
}

void CZunGDX::txtPointSet(const Stack& stack, CZunPoint3d point)
{
    textChange(stack, [&](CZunDisplayItem& item) { item.point = point; });
}

void CZunGDX::txtReglUpd(int i)
{
    CZunDisplayItem* item = itemAt(i);
    if (!item)
        return;
    Regions regl;
    double x = 0.0;
    double top = 0.0;
    for (wchar_t c : item->txt.view()) {
        Regions glyph = get_ascii_from_map(c);
        if (glyph.isEmpty())
            continue;
        CZunPoint3d gmin, gmax;
        bool first = true;
        const CZunVector3d shift = (item->point + CZunVector3d(x, 0.0, 0.0)).asVector();
        for (Contours& region : glyph) {
            zun_gdx_reg_orient(region, CZunVector3d::kZAxis);
            for (CZunVertexArray& contour : region)
                contour.move(shift);
            if (region.isEmpty())
                region.append(CZunVertexArray());
            CZunPoint3d lo, hi;
            if (region[0].extents(lo, hi)) {
                gmin = first ? lo : ZUN::p_min(gmin, lo);
                gmax = first ? hi : ZUN::p_max(gmax, hi);
                first = false;
            }
            regl.append(std::move(region));
        }
        x += std::abs(gmin.x - gmax.x) + kGlyphGap;
        top = std::max(top, gmax.y);
    }
    const CZunVector3d d = alignShift(item->txtAlign, x - kLastGapCut, top);
    for (Contours& region : regl)
        for (CZunVertexArray& contour : region)
            contour.move(d);
    item->txtRegl = std::move(regl);
}
