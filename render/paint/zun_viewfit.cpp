#include "render/paint/zun_viewfit.h"

#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_view.h"
#include "gdx/zun_gdx.h"

#include <algorithm>

CZunMatrix3d getViewMtx(CZunPoint3d min, CZunPoint3d max, int height, int width, double margin)
{
    const double h = height == 0 ? 240.0 : height;
    const double w = width == 0 ? 320.0 : width;
    const double m = std::max(max.x - min.x, max.y - min.y) * margin;
    min.x -= m;
    min.y -= m;
    max.x += m;
    max.y += m;
    const double dx = max.x - min.x;
    const double dy = max.y - min.y;
    if (!(dx > 0.0) || !(dy > 0.0))
        return CZunMatrix3d();
    const double scale = w / h > dx / dy ? h / dy : w / dx;
    min.x -= (w / scale - dx) * 0.5;
    min.y -= (h / scale - dy) * 0.5;
    const CZunMatrix3d s = CZunMatrix3d().setCoordSystem({-scale * min.x, -scale * min.y, 0.0}, {scale, 0, 0},
                                                         {0, scale, 0}, {0, 0, scale});
    const CZunMatrix3d flip = CZunMatrix3d().setCoordSystem({0.0, h, 0.0}, CZunVector3d::kXAxis,
                                                            -CZunVector3d::kYAxis, CZunVector3d::kZAxis);
    return flip * s;
}

CZunVertexArray zun_g_vl_mtx_view(const CZunVertexArray& vl, CZunVector3d direction, CZunPoint3d point, bool flag)
{
    return ZUN::g_vx_xy(vl.getTransformedCopy(ZUN::g_mtx_view(direction, point, flag)));
}

void zunFitToWindow(CZunGDX& gdx, int height, int width)
{
    CZunPoint3d lo, hi;
    gdx.extMaxViewGet(lo, hi);
    gdx.viewMtxSet(getViewMtx(lo, hi, height, width, kFitMargin));
}
