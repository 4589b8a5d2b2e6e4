#include "render/paint/zun_fixed_size.h"

#include "gdx/zun_gdx.h"
#include "render/paint/zun_viewfit.h"

CZunMatrix3d zunFixedSizeMtx(const CZunGDX& gdx, int height, int width)
{
    // One unit keeps the size it has in a 1 x 1 box fitted into the window.
    CZunMatrix3d f = getViewMtx({0, 0, 0}, {1, 1, 0}, height, width, kFitMargin);
    f.setToScaling(f.axis(0).x);
    const CZunMatrix3d y = CZunMatrix3d().setCoordSystem(CZunPoint3d::kOrigin + gdx.viewMtxGet().translation(),
                                                         CZunVector3d::kXAxis, -CZunVector3d::kYAxis,
                                                         CZunVector3d::kZAxis);
    const CZunPoint3d p0 = CZunPoint3d::kOrigin * (gdx.zoomMtxGet() * gdx.viewMtxGet());
    const CZunPoint3d p1 = CZunPoint3d::kOrigin * (y * f);
    return CZunMatrix3d().setToTranslation(p0 - p1) * y * f * gdx.projMtxGet();
}

CZunMatrix3d zunItemScreenMtx(const CZunGDX& gdx, int i, const CZunMatrix3d& screen, const CZunMatrix3d& fixedSize)
{
    if (!(gdx.flagGet(i) & gdxFlagAnchored))
        return screen;
    // Points and texts hold their anchor as their one vertex, the other
    // items in their point.
    CZunPoint3d anchor;
    const ZunDisplayObj type = gdx.typeGet(i);
    if (type == objPt || type == objTxt)
        anchor = gdx.getDisplayList().get(i).vl.get(0).start();
    else
        gdx.geomGet(anchor, i);
    return CZunMatrix3d().setToTranslation(anchor.asVector() * screen) * fixedSize;
}
