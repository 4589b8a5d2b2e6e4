#include "contracts/data/zun_view.h"

#include "contracts/data/zun_units.h"

namespace ZUN {

CZunMatrix3d g_mtx_view(const CZunVector3d& direction, const CZunPoint3d& target, bool upright)
{
    if (direction.isZeroLength())
        return CZunMatrix3d();
    const CZunVector3d z = direction.normal();
    CZunVector3d x;
    if (!upright) {
        x = CZunMatrix3d().setToPlaneToWorld(z).axis(0);
    } else {
        x = CZunVector3d::kZAxis.crossProduct(z);
        x = x.length() < 1e-12 ? CZunVector3d::kXAxis : x.normal();
    }
    const CZunVector3d y = z.crossProduct(x).normal();
    // Rows are the view axes: the transpose of the view frame, which undoes it.
    CZunMatrix3d turn;
    const CZunVector3d rows[3] = {x, y, z};
    for (int r = 0; r < 3; ++r) {
        turn[r][0] = rows[r].x;
        turn[r][1] = rows[r].y;
        turn[r][2] = rows[r].z;
    }
    const CZunVector3d t = target.asVector();
    return CZunMatrix3d().setToTranslation(t) * turn * CZunMatrix3d().setToTranslation(-t);
}

CZunMatrix3d g_mtx_local(const CZunDataItem* item, int fromUnit, int toUnit)
{
    CZunMatrix3d m;
    if (!item)
        return m;
    if (item->get(m, L"MTX"))
        return m;
    CZunPoint3d pos, xdir(1, 0, 0), zdir(0, 0, 1);
    item->get(pos, L"POS");
    item->get(xdir, L"XDIR");
    item->get(zdir, L"ZDIR");
    CZunVector3d z = zdir.asVector().isZeroLength() ? CZunVector3d::kZAxis : zdir.asVector().normal();
    // Keep x in the plane of z, whatever the item says.
    CZunVector3d x = xdir.asVector() - z * xdir.asVector().dotProduct(z);
    if (x.isZeroLength())
        x = CZunMatrix3d().setToPlaneToWorld(z).axis(0);
    x.normalize();
    const CZunVector3d y = z.crossProduct(x);
    const CZunPoint3d origin(acadUnitCv(pos.x, fromUnit, toUnit), acadUnitCv(pos.y, fromUnit, toUnit),
                             acadUnitCv(pos.z, fromUnit, toUnit));
    return m.setCoordSystem(origin, x, y, z);
}

} // namespace ZUN
