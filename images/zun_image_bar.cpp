#include "images/zun_image_bar.h"

#include "contracts/data/zun_bar.h"
#include "contracts/data/zun_units.h"
#include "contracts/data/zun_view.h"

namespace {

// Surfaces without a coat of their own are shown in palette green, which
// stands out against the plain contours of the section.
constexpr int kUncoatedSurfaceColor = 3;
constexpr unsigned long kSurfacePen = 3;
// Picked points: a 10-pixel marker of point mode 3 whatever the zoom.
constexpr double kPickSize = -10.0;
constexpr unsigned long kPickMode = 3;
// Mode 4 of g_vll_regions: a contour inside a hole is a section of its own
// (a core inside a hollow section).
constexpr int kRegionsByDepth = 4;

const CZunArrayTempl<double>& continuous()
{
    static const CZunArrayTempl<double> line{1.0};
    return line;
}

CZunRegionList crossSection(const CZunDataItem* bar)
{
    CZunRegionList regions;
    if (CZunDataItem* xref = bar->getItem(L"XREF")) {
        ZUN::CUniqPointer<ZUN::CDtaFilePointer> dta =
            ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, xref);
        ZUN::bar_regl(dta.get(), CZunMatrix3d(), regions);
    } else {
        bar->get(regions, L"REGL");
    }
    CZunContourSet raw;
    if (regions.isEmpty() && bar->get(raw, L"VL"))
        regions = ZUN::g_vll_regions(ZUN::g_vll_regions_prepare(raw), kRegionsByDepth);
    return regions;
}

CZunMatrix3d placementOf(const CZunDataItem* bar)
{
    CZunMatrix3d m;
    if (!bar->get(m, L"MTX"))
        m = ZUN::g_mtx_local(bar, ZUN::kUnitDrawing, ZUN::kUnitDrawing);
    return m;
}

void drawRegions(CZunGDX& gdx, const CZunRegionList& regions, unsigned long flag, const CZunMatrix3d& mtx)
{
    for (const CZunContourSet& region : regions)
        gdx.imageReg({}, flag, region, CZunColor(), mtx, continuous(), 1.0, 0, CZunColor(), ZUN::CHatchProp(), {});
}

void drawSurfaces(CZunGDX& gdx, const CZunDataItem* bar, const CZunRegionList& regions)
{
    const CZunDataItem* surfaces = bar->getItem(L"SURFACE");
    if (!surfaces || !surfaces->isDir())
        return;
    for (const wchar_t* name : {L"1", L"2", L"TOTAL"}) {
        const CZunDataItem* surface = surfaces->getItem(CZunItemKey(name));
        if (!surface || !surface->isDir())
            continue;
        // A fresh line for each surface: one without "VL" draws nothing
        // rather than the line of the surface before it.
        CZunVertexArray line;
        if (CZunString(name) == L"TOTAL")
            line = regions.first().first();  // the whole outline
        else
            surface->get(line, L"VL");
        if (line.isEmpty())
            continue;
        CZunColor coat(kUncoatedSurfaceColor);
        surface->get(coat, L"COAT");
        gdx.imageVl({}, 0, line, coat, CZunMatrix3d(), continuous(), 1.0, kSurfacePen, {});
    }
}

} // namespace

bool zun_gdx_image_bar_surface(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    const CZunDataItem* options = opts ? opts->get() : nullptr;
    if (!gdx || !part || !options)
        return false;
    const CZunDataItem* lobj = part->lobjGet();
    if (!lobj)
        return false;
    CZunString grp, bt;
    options->get(grp, L"GRP");
    options->get(bt, L"BT");
    const CZunDataItem* group = lobj->getItem(CZunDataKey(grp));
    if (!group || !group->isDir())
        return false;
    const CZunDataItem* bar = group->getItem(CZunDataKey(bt));
    if (!bar || !bar->isDir())
        return false;

    const CZunRegionList regions = crossSection(bar);
    drawRegions(*gdx, regions, gdxFlagOutline, CZunMatrix3d());
    drawSurfaces(*gdx, bar, regions);
    for (const wchar_t* pick : {L"P1", L"P2"}) {
        CZunPoint3d p;
        if (options->get(p, {L"PICK", pick}))
            gdx->imagePt({}, gdxFlagOfColorMode(ZUN::cModeHighlight), p,
                         CZunColor(), CZunMatrix3d(), kPickSize, kPickMode, {});
    }

    // Attached bars are placed in the group like the bar itself; shown
    // in the bar's own coordinates they need its placement undone.
    const CZunMatrix3d toBar = placementOf(bar).inverse();
    CZunArrayTempl<CZunDataKey> subs;
    ZUN::bar_bt_subs(part->get(), grp, bt, subs);
    const unsigned long subFlag = gdxFlagOutline | gdxFlagOfColorMode(ZUN::cModeAux);
    for (const CZunDataKey& key : subs) {
        const CZunDataItem* sub = group->getItem(key);
        if (!sub)
            continue;
        drawRegions(*gdx, crossSection(sub), subFlag, toBar * placementOf(sub));
    }
    return true;
}
