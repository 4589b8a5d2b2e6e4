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

namespace {

struct Shell {
    double thick = 100.0;
    CZunString pattern = L"ANSI31";
    double scale = 1.0;
};

// The frame of one leg of a shell: x along the leg, y across it to the
// left, the origin on the shell's inner face at the leg's start corner.
CZunMatrix3d legFrame(const CZunVertex& leg, const CZunPoint3d& innerStart)
{
    const CZunVector3d x = (leg.end() - leg.start()).normal();
    CZunMatrix3d frame;
    frame.setCoordSystem(innerStart, x, CZunVector3d(-x.y, x.x, 0.0), CZunVector3d::kZAxis);
    return frame;
}

// One shell: its hatch leg by leg and its outline as one band.
//
// Each leg is hatched in a frame of its own, so that brick courses and the
// insulation's zig-zag run along the leg whichever way it points, and the
// pattern starts at the inner face. A leg is also what the painter measures
// when it decides whether the hatch is too dense to show: a whole shell of
// a long, bent wall would be filled solid at every zoom. The legs meet on
// the mitre lines; the outline is drawn once round the whole band, so that
// the joins show no seam.
void drawShell(CZunGDX& gdx, const CZunVertexArray& axis, int number, const Shell& shell, double inner,
               unsigned long modeFlags)
{
    const CZunVertexArray innerFace = zunOffsetPolyline(axis, inner);
    const CZunVertexArray outerFace = zunOffsetPolyline(axis, inner + shell.thick);
    const ZUN::CHatchProp hatch(shell.pattern, 0.0, shell.scale, false);
    for (int i = 0; i < axis.len(); ++i) {
        if ((axis.get(i).end() - axis.get(i).start()).length() < kZunTol)
            continue;  // a repeated point: no leg, nothing to hatch
        const CZunVertex& a = innerFace.get(i);
        const CZunVertex& b = outerFace.get(i);
        const CZunMatrix3d frame = legFrame(axis.get(i), a.start());
        const CZunMatrix3d toLeg = frame.inverse();
        const CZunVertexArray piece =
            CZunVertexArray::fromPoints({a.start() * toLeg, a.end() * toLeg, b.end() * toLeg, b.start() * toLeg}, true);
        gdx.imageReg({number}, gdxFlagHatch | modeFlags, {piece}, CZunColor(7), frame, {1.0}, 1.0, 0, CZunColor(8),
                     hatch, {});
    }
    CZunVertexArray outer = outerFace;
    outer.revert();
    CZunPoint3dArray corners;
    for (const CZunVertex& v : innerFace)
        corners.append(v.start());
    corners.append(innerFace.get(-1).end());
    for (const CZunVertex& v : outer)
        corners.append(v.start());
    corners.append(outer.get(-1).end());
    gdx.imageVl({number}, modeFlags, CZunVertexArray::fromPoints(corners, true), CZunColor(7), CZunMatrix3d(), {1.0},
                1.0, 0, {});
}

// What a shell's group is, for the options' "INFO" (see zunPartImageBuild).
void describeShell(ZUN::CDtaFilePointer* opts, int number, const CZunDataItem& item, const Shell& shell)
{
    CZunDataItem* root = opts ? opts->get() : nullptr;
    CZunDataItem* dir = root && root->isDir() ? root->mkDir(L"INFO") : nullptr;
    CZunDataItem* info = dir ? dir->mkDir(CZunDataKey(number)) : nullptr;
    if (!info)
        return;
    info->set(L"SHELL", L"TYPE");
    CZunString name;
    if (item.get(name, L"NAME"))
        info->set(CZunDataItem::Value(name), L"NAME");
    info->set(shell.thick, L"THICK");
    info->set(CZunDataItem::Value(shell.pattern), L"HPNAME");
    info->set(shell.scale, L"HPSCALE");
}

} // namespace

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
        const CZunDataItem* item = root->getItem({L"SN", key});
        Shell shell;
        item->get(shell.thick, L"THICK");
        item->get(shell.pattern, L"HPNAME");
        item->get(shell.scale, L"HPSCALE");
        const bool isActive = key.isInt() && key.num() == active;
        const int number = static_cast<int>(key.isInt() ? key.num() : 0);
        drawShell(*gdx, axis, number, shell, inner, gdxFlagOfColorMode(isActive ? ZUN::cModeHighlight : ZUN::cModeOwn));
        describeShell(opts, number, *item, shell);
        inner += shell.thick;
    }
    gdx->imageVl({0}, gdxFlagOfColorMode(ZUN::cModeAxis), axis, CZunColor(), CZunMatrix3d(), {1.0, 1.0, 1.0}, 20.0, 0, {});
    if (!edited.isEmpty())
        gdx->imageVl({0}, gdxFlagOfColorMode(ZUN::cModeHighlight), edited, CZunColor(), CZunMatrix3d(), {1.0}, 1.0, 2, {});
    if (coord)
        gdx->imagePt({0}, gdxFlagOfColorMode(ZUN::cModeBase), CZunPoint3d::kOrigin, CZunColor(), CZunMatrix3d(), 0.0, 0, {});
    return true;
}
