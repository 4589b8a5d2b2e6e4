#include "images/zun_drill_draw.h"

#include "contracts/data/zun_drill.h"
#include "contracts/data/zun_layer.h"

namespace {

const CZunArrayTempl<double> kSolidLine{1.0};

// The line-type scale that gives a centre line of diameter d about two and
// a half periods of the dash-dot pattern, whatever the drilling's size: a
// fixed scale would draw an M6 hole's axis solid and an M36's as one dash.
double axisLineTypeScale(double outerDiameter)
{
    CZunArrayTempl<double> lt = zunDrillAxisLineType();
    double period = 0.0;
    for (double entry : lt)
        period += entry < 0.0 ? -entry : entry;
    const double axisLength = outerDiameter * (1.0 + 2.0 * kDrillAxisOverhang);
    return axisLength / (2.5 * period);
}

} // namespace

CZunArrayTempl<double> zunDrillAxisLineType()
{
    return {12.0, -3.0, 2.0, -3.0};
}

bool zunDrillPartImageDraw(CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params)
{
    if (!gdx || !part)
        return false;
    const CZunDataItem* gen = part->getItem(L"GEN");
    if (!gen || !gen->isDir())
        gen = part;
    CZunContourSet circles;
    if (!ZUN::drillImageTop(gen, circles) || circles.isEmpty())
        return false;

    int mode = 0;
    CZunMatrix3d mtx;
    CZunGDX::Stack stack;
    if (params) {
        params->get(mode, L"CMODE");
        params->get(mtx, L"MTX");
        params->get(stack, L"STACK");
    }
    CZunColor color;
    CZunString layer;
    if (part->get(layer, L"PART_CON"))
        color = ZUN::layer_color(layer);
    const unsigned long flag = (static_cast<unsigned long>(mode) & 15ul) << gdxFlagColorModeShift;

    // The thread is the one open contour: a thin line, as threads are drawn.
    for (const CZunVertexArray& circle : circles) {
        const bool full = circle.isClosed();
        gdx->imageVl(stack, flag, circle, color, mtx, kSolidLine, 1.0, full ? kDrillEdgePen : kDrillThinPen,
                     CZunPoint3d::kOrigin);
    }

    CZunPoint3d lo, hi;
    circles.first().extents(lo, hi);
    const double outerDiameter = hi.x - lo.x;
    const double reach = outerDiameter * (0.5 + kDrillAxisOverhang);
    const double ltscale = axisLineTypeScale(outerDiameter);
    CZunVertexArray horizontal, vertical;
    horizontal.append(CZunPoint3d(-reach, 0.0), CZunPoint3d(reach, 0.0));
    vertical.append(CZunPoint3d(0.0, -reach), CZunPoint3d(0.0, reach));
    for (const CZunVertexArray* axis : {&horizontal, &vertical})
        gdx->imageVl(stack, flag, *axis, color, mtx, zunDrillAxisLineType(), ltscale, kDrillThinPen,
                     CZunPoint3d::kOrigin);
    return true;
}
