#include "host/zun_wall_image.h"

namespace {

CZunVector3d leftNormal(const CZunVertex& v)
{
    const CZunVector3d d = (v.end() - v.start()).normal();
    return {-d.y, d.x, 0.0};
}

// Where the offset lines of two consecutive segments meet.
CZunPoint3d miter(const CZunVertex& a, const CZunVertex& b, double distance)
{
    const CZunVector3d na = leftNormal(a), nb = leftNormal(b);
    const CZunVector3d bisector = na + nb;
    const double cosHalf = bisector.length() / 2.0;
    if (cosHalf < 1e-6)  // the wall turns back on itself: no sensible corner
        return a.end() + na * distance;
    return a.end() + bisector.normal() * (distance / cosHalf);
}

} // namespace

CZunVertexArray zunOffsetPolyline(const CZunVertexArray& axis, double distance)
{
    CZunPoint3dArray points;
    const int n = axis.len();
    for (int i = 0; i < n; ++i) {
        const CZunVertex& v = axis.get(i);
        if (i == 0)
            points.append(v.start() + leftNormal(v) * distance);
        points.append(i + 1 < n ? miter(v, axis.get(i + 1), distance) : v.end() + leftNormal(v) * distance);
    }
    return CZunVertexArray::fromPoints(points, false);
}

bool zunHostWallImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!gdx || !part || !part->get())
        return false;
    const CZunDataItem* root = part->get();
    CZunVertexArray axis;
    if (!root->get(axis, L"VL") || axis.isEmpty())
        return false;
    int active = -1;
    bool coord = false;
    CZunVertexArray edited;
    if (opts && opts->get()) {
        opts->get()->get(active, L"ACT");
        opts->get()->get(coord, L"COORD");
        opts->get()->get(edited, L"VL");
    }
    double inner = 0.0;
    for (const CZunItemKey& key : root->getDir(L"SN")) {
        const CZunDataItem* shell = root->getItem({L"SN", key});
        double thick = 100.0, scale = 1.0;
        CZunString pattern = L"ANSI31";
        shell->get(thick, L"THICK");
        shell->get(pattern, L"HPNAME");
        shell->get(scale, L"HPSCALE");
        // The band between the shell's inner and outer face, one closed contour.
        CZunVertexArray band = zunOffsetPolyline(axis, inner);
        CZunVertexArray outer = zunOffsetPolyline(axis, inner + thick);
        outer.revert();
        CZunPoint3dArray corners;
        for (const CZunVertex& v : band)
            corners.append(v.start());
        corners.append(band.get(-1).end());
        for (const CZunVertex& v : outer)
            corners.append(v.start());
        corners.append(outer.get(-1).end());
        const bool isActive = key.isInt() && key.num() == active;
        const unsigned long mode = isActive ? ZUN::cModeHighlight : ZUN::cModeOwn;
        gdx->imageReg({static_cast<int>(key.isInt() ? key.num() : 0)},
                      gdxFlagHatch | gdxFlagOutline | gdxFlagOfColorMode(mode), {CZunVertexArray::fromPoints(corners, true)},
                      CZunColor(7), CZunMatrix3d(), {1.0}, 1.0, 0, CZunColor(8),
                      ZUN::CHatchProp(pattern, 0.0, scale, false), {});
        inner += thick;
    }
    gdx->imageVl({0}, gdxFlagOfColorMode(ZUN::cModeAxis), axis, CZunColor(), CZunMatrix3d(), {1.0, 1.0, 1.0}, 20.0, 0, {});
    if (!edited.isEmpty())
        gdx->imageVl({0}, gdxFlagOfColorMode(ZUN::cModeHighlight), edited, CZunColor(), CZunMatrix3d(), {1.0}, 1.0, 2, {});
    if (coord)
        gdx->imagePt({0}, gdxFlagOfColorMode(ZUN::cModeBase), CZunPoint3d::kOrigin, CZunColor(), CZunMatrix3d(), 0.0, 0, {});
    return true;
}
