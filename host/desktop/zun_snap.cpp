#include "host/desktop/zun_snap.h"

#include "contracts/base/zun_polyline.h"
#include "gdx/zun_gdx.h"

#include <cmath>

namespace {

// More vertices than this near the cursor make crossings meaningless to
// the eye; the nearest few are enough.
constexpr std::size_t kMaxNear = 32;
// Arcs that the screen does not show as arcs are followed by chords this
// many pixels from the arc at most.
constexpr double kChordPixels = 0.25;

CZunPoint3d flat(const CZunPoint3d& p)
{
    return {p.x, p.y, 0.0};
}

double distance2d(const CZunPoint3d& a, const CZunPoint3d& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Whether m keeps the xy plane as a plane parallel to the screen, so that
// an arc in xy stays an arc on the screen.
bool keepsXyPlane(const CZunMatrix3d& m)
{
    return m.m[2][0] == 0.0 && m.m[2][1] == 0.0;
}

} // namespace

CZunPoint3d CZunSnapFinder::modelPoint(const CZunGDX& list, double x, double y)
{
    return list.imagePtWc({x, y, 0.0});
}

CZunSnap CZunSnapFinder::find(const CZunGDX& list, double x, double y, double aperture)
{
    m_at = {x, y, 0.0};
    m_aperture = aperture;
    m_best = CZunSnap();
    m_bestDistance = aperture;
    m_near.clear();
    // The inverse of the pick chain, so that a snap shows where a pick would
    // find it and the cursor readout names it.
    const CZunMatrix3d toScreen = list.windowToWorldMtx().inverse();
    for (const CZunDisplayItem& it : list.getDisplayList()) {
        if (it.flag & (gdxFlagAnchored | gdxFlagHidden))
            continue;  // not shown, or drawn in pixels about an anchor: no drawing geometry
        const CZunMatrix3d toWorld = it.mtx;
        if (it.type == objPt) {
            const CZunPoint3d world = toWorld * it.point;
            m_toScreen = &toScreen;
            consider(CZunSnapKind::End, world);
        } else if (it.type == objVl) {
            considerPolyline(it.vl, toWorld, toScreen);
        } else if (it.type == objReg) {
            for (const CZunVertexArray& ring : it.reg)
                considerPolyline(ring, toWorld, toScreen);
        }
    }
    considerCrossings(list);
    return m_best;
}

void CZunSnapFinder::considerPolyline(const CZunVertexArray& vl, const CZunMatrix3d& toWorld,
                                      const CZunMatrix3d& toScreen)
{
    m_toScreen = &toScreen;
    const CZunMatrix3d whole = toScreen * toWorld;
    const bool chords =
        vl.hasArc() && (!keepsXyPlane(whole) || !keepsXyPlane(toWorld) || vl.arcPlane().axis(2) != CZunVector3d::kZAxis);
    if (chords) {
        const double scale = whole.scale();
        const CZunVertexArray pieces = ZUN::g_vl_expl(vl, scale > 0.0 ? kChordPixels / scale : 0.01);
        for (const CZunVertex& v : pieces)
            considerVertex(CZunVertex(v).transformBy(toWorld), false);
        return;
    }
    for (const CZunVertex& v : vl)
        considerVertex(CZunVertex(v).transformBy(toWorld), true);
}

void CZunSnapFinder::considerVertex(const CZunVertex& world, bool exact)
{
    const CZunVertex screen = CZunVertex(world).transformBy(*m_toScreen);
    const CZunVertex shown(flat(screen.start()), flat(screen.end()), screen.bulge());
    consider(CZunSnapKind::End, world.start());
    consider(CZunSnapKind::End, world.end());
    if (!exact)
        return;  // a chord's middle and centre are not the arc's
    if (!world.isDegenerate())
        consider(CZunSnapKind::Mid, world.mid());
    if (world.isArc())
        consider(CZunSnapKind::Center, world.center());
    if (!shown.isDegenerate() && m_near.size() < kMaxNear &&
        distance2d(ZUN::lotp(shown, m_at), m_at) <= m_aperture)
        m_near.push_back(shown);
}

void CZunSnapFinder::consider(CZunSnapKind kind, const CZunPoint3d& world)
{
    take(kind, world, flat(*m_toScreen * world));
}

void CZunSnapFinder::take(CZunSnapKind kind, const CZunPoint3d& world, const CZunPoint3d& screen)
{
    const double d = distance2d(screen, m_at);
    const bool nearer = d < m_bestDistance - 1e-9;
    const bool asNearButBetter = std::abs(d - m_bestDistance) <= 1e-9 && (!m_best || kind < m_best.kind);
    if (d > m_aperture || !(nearer || asNearButBetter))
        return;
    m_best = {kind, world, screen};
    m_bestDistance = d;
}

void CZunSnapFinder::considerCrossings(const CZunGDX& list)
{
    CZunPoint3dArray points;
    CZunVertexArray a, b;
    for (std::size_t i = 0; i < m_near.size(); ++i)
        for (std::size_t j = i + 1; j < m_near.size(); ++j) {
            a.clear();
            b.clear();
            a.append(m_near[i].start(), m_near[i].end(), m_near[i].bulge());
            b.append(m_near[j].start(), m_near[j].end(), m_near[j].bulge());
            points.clear();
            a.intersectWith(b, 3, points);
            // Crossings are found on the screen; their model point is the
            // one under them.
            for (const CZunPoint3d& p : points)
                take(CZunSnapKind::Intersection, modelPoint(list, p.x, p.y), flat(p));
        }
}
