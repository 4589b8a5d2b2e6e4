// Matrices, named view directions, extents and picking.

#include "gdx/zun_gdx.h"
#include "gdx/zun_gdx_p.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_view.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

struct NamedView {
    const wchar_t* name;
    CZunVector3d direction;
};

// The single-letter "O" and "W" run opposite to the x sign that the diagonal
// names give them ("O" is -x, "NO" has +x). Callers choose views by these
// names and expect the pictures they have always got, so it stays so.
const NamedView kNamedViews[] = {
    {L"P", {0, 0, 1}},   {L"N", {0, 1, 0}},    {L"S", {0, -1, 0}},  {L"O", {-1, 0, 0}},  {L"W", {1, 0, 0}},
    {L"NO", {1, 1, 1}},  {L"NW", {-1, 1, 1}},  {L"SO", {1, -1, 1}}, {L"SW", {-1, -1, 1}},
};

const NamedView* findView(const CZunString& name)
{
    for (const NamedView& v : kNamedViews)
        if (name == v.name)
            return &v;
    return nullptr;
}

// Points in model units: a pick is meant for items within a few units of
// the cursor, whatever the zoom.
constexpr double kPickTolerance = 5.0;
// Chords this close to their arc pick as the arc does, at that tolerance.
constexpr double kPickChordDeviation = 0.01;

// Extents being gathered: componentwise minimum and maximum in the argument
// order of p_min and p_max, inline for the loops over every item.
struct Box {
    bool has = false;
    CZunPoint3d lo, hi;

    void add(const CZunPoint3d& l, const CZunPoint3d& h)
    {
        if (!has) {
            lo = l;
            hi = h;
            has = true;
            return;
        }
        lo = {std::min(lo.x, l.x), std::min(lo.y, l.y), std::min(lo.z, l.z)};
        hi = {std::max(hi.x, h.x), std::max(hi.y, h.y), std::max(hi.z, h.z)};
    }
};

// The corners of vl.getTransformedCopy(m).extents() without the copy:
// straight vertices contribute their end points, arcs the box the Base
// library gives the transformed arc (computed on the one-vertex array one).
// False for an empty polyline.
bool transformedExtents(const CZunVertexArray& vl, const CZunMatrix3d& m, Box& box, CZunVertexArray& one)
{
    if (vl.isEmpty())
        return false;
    // Arcs that do not lie level once transformed are boxed in their own
    // plane, which needs the whole transformed polyline.
    if (vl.hasArc() && (!(m.m[2][0] == 0.0 && m.m[2][1] == 0.0) || vl.arcPlane().axis(2) != CZunVector3d::kZAxis)) {
        CZunPoint3d lo, hi;
        vl.getTransformedCopy(m).extents(lo, hi);
        box.add(lo, hi);
        return true;
    }
    const bool mirror = m.isMirroringXY();
    const CZunPoint3d first = vl.first().start() * m;
    Box own;
    own.add(first, first);
    for (const CZunVertex& v : vl) {
        const CZunPoint3d a = v.start() * m, b = v.end() * m;
        if (!v.isArc()) {
            own.add({std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)},
                    {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)});
            continue;
        }
        if (one.len() != 1)
            one.setLen(1);
        one[0] = CZunVertex(a, b, mirror ? -v.bulge() : v.bulge());
        CZunPoint3d al, ah;
        one.extents(al, ah);
        own.add(al, ah);
    }
    box.add(own.lo, own.hi);
    return true;
}

// Merges what an item contributes to the extents, taken through m. Regions
// and glyphs without a contour count as one empty contour; a mutable item
// is given that contour (the recomputation does so, a const query cannot).
template <class Item>
void addItem(Item& it, const CZunMatrix3d& m, Box& box, CZunVertexArray& one)
{
    constexpr bool repair = !std::is_const_v<Item>;
    switch (it.type) {
    case objVl:
        transformedExtents(it.vl, m, box, one);
        break;
    case objPt: {
        const CZunPoint3d q = it.point * m;
        box.add(q, q);
        break;
    }
    case objReg:
        if constexpr (repair)
            if (it.reg.isEmpty())
                it.reg.append(CZunVertexArray());
        transformedExtents(it.reg.get(0), m, box, one);
        break;
    case objTxt:
        for (auto& glyph : it.txtRegl) {
            if constexpr (repair)
                if (glyph.isEmpty())
                    glyph.append(CZunVertexArray());
            transformedExtents(glyph.get(0), m, box, one);
        }
        break;
    default:
        break;
    }
}

// True when p is so far outside the box of a straight vertex that no foot on
// it can come within the pick tolerance; most vertices of a large list are
// dismissed so, without the foot. The margin is twice the tolerance so that
// rounding in the foot's distance cannot matter. Arcs leave their chord's
// box and are always measured.
bool farFromSegment(const CZunVertex& v, const CZunPoint3d& p)
{
    if (v.isArc())
        return false;
    constexpr double margin = 2.0 * kPickTolerance;
    const CZunPoint3d& a = v.start();
    const CZunPoint3d& b = v.end();
    return p.x < std::min(a.x, b.x) - margin || p.x > std::max(a.x, b.x) + margin ||
           p.y < std::min(a.y, b.y) - margin || p.y > std::max(a.y, b.y) + margin ||
           p.z < std::min(a.z, b.z) - margin || p.z > std::max(a.z, b.z) + margin;
}

} // namespace

CZunVector3d zun_gdx_view_vdir_get(const CZunString& name)
{
    const NamedView* v = findView(name);
    return v ? v->direction : CZunVector3d();
}

// ---- matrices ----------------------------------------------------------------------

void CZunGDX::projMtxSet(const CZunMatrix3d& m)
{
    m_projMtx = m;
    refresh_ext();
    touch();
}

void CZunGDX::viewDirectionMtxSet(const CZunMatrix3d& m)
{
    m_viewDirectionMtx = m;
    refresh_ext();
    touch();
}

void CZunGDX::viewDirectionHvcSet(const CZunVector3d& v)
{
    m_viewDirectionMtx = ZUN::g_mtx_view(v, CZunPoint3d::kOrigin, true);
    refresh_ext();
    touch();
}

bool CZunGDX::viewDirectionSet(CZunString name)
{
    const NamedView* v = findView(name);
    if (!v)
        return false;
    viewDirectionHvcSet(v->direction);
    return true;
}

// ---- extents -------------------------------------------------------------------------

CZunMatrix3d CZunGDX::extMtx(const CZunMatrix3d& itemMtx) const
{
    return ZUN::gdx::ItemMatrix(m_projMtx * m_viewDirectionMtx)(itemMtx);
}

void CZunGDX::mergeExt(const CZunPoint3d& lo, const CZunPoint3d& hi)
{
    if (m_ext.isEmpty()) {
        m_ext.append(lo);
        m_ext.append(hi);
        return;
    }
    m_ext[0] = ZUN::p_min(m_ext[0], lo);
    m_ext[1] = ZUN::p_max(m_ext[1], hi);
}

void CZunGDX::refresh_ext(const CZunPoint3d& p, const CZunMatrix3d& m)
{
    const CZunPoint3d q = p * m;
    mergeExt(q, q);
}

void CZunGDX::refresh_ext(const CZunVertexArray& vl, const CZunMatrix3d& m)
{
    // An empty polyline has no corners and leaves the extents alone.
    Box box;
    if (transformedExtents(vl, m, box, m_scratch.vl))
        mergeExt(box.lo, box.hi);
}

void CZunGDX::refresh_ext()
{
    const ZUN::gdx::ItemMatrix toExt(m_projMtx * m_viewDirectionMtx);
    Box box;
    for (CZunDisplayItem& it : m_displayList)
        if (ZUN::gdx::countsForExt(it.flag)) {
            ++m_scratch.measured;
            addItem(it, toExt(it.mtx), box, m_scratch.vl);
        }
    m_ext.clear();
    if (box.has) {
        m_ext.append(box.lo);
        m_ext.append(box.hi);
    }
}

bool CZunGDX::appendDisplayList(CZunArrayTempl<CZunDisplayItem>&& items)
{
    if (items.isEmpty() || &items == &m_displayList)
        return false;
    return guardedAdd(
        [&] {
            // Measured before anything moves: a failure then leaves both
            // lists as they were.
            const ZUN::gdx::ItemMatrix toExt(m_projMtx * m_viewDirectionMtx);
            Box box;
            for (CZunDisplayItem& it : items)
                if (ZUN::gdx::countsForExt(it.flag)) {
                    ++m_scratch.measured;
                    addItem(it, toExt(it.mtx), box, m_scratch.vl);
                }
            std::vector<CZunDisplayItem>& list = m_displayList.vector();
            ZUN::gdx::reserveMore(list, items.vector().size());
            for (CZunDisplayItem& it : items)
                list.push_back(std::move(it));
            items.clear();
            if (box.has)
                mergeExt(box.lo, box.hi);
        },
        false);
}

bool CZunGDX::extmaxGet(CZunPoint3d& min, CZunPoint3d& max) const
{
    if (m_ext.len() < 2)
        return false;
    min = m_ext[0];
    max = m_ext[1];
    return true;
}

bool CZunGDX::extmaxGet(const Stack& stack, CZunPoint3d& min, CZunPoint3d& max) const
{
    const int n = stack.len();
    if (n == 0)
        return false;
    const ZUN::gdx::ItemMatrix toExt(m_projMtx * m_viewDirectionMtx);
    bool counted = false;
    // The caller's corners take part in the merge.
    Box box;
    box.add(min, max);
    for (const CZunDisplayItem& it : m_displayList) {
        if (!ZUN::gdx::countsForExt(it.flag) || !ZUN::gdx::inSubtree(it.stack, stack.data(), n))
            continue;
        // Items of types without geometry count all the same.
        counted = true;
        ++m_scratch.measured;
        addItem(it, toExt(it.mtx), box, m_scratch.vl);
    }
    min = box.lo;
    max = box.hi;
    return counted;
}

void CZunGDX::extMaxViewSet(const CZunPoint3d& min, const CZunPoint3d& max)
{
    m_extViewMin = min;
    m_extViewMax = max;
    touch();
}

void CZunGDX::extMaxViewSet()
{
    if (!extmaxGet(m_extViewMin, m_extViewMax)) {
        m_extViewMin = CZunPoint3d::kOrigin;
        m_extViewMax = CZunPoint3d::kOrigin;
    }
    touch();
}

void CZunGDX::extMaxViewGet(CZunPoint3d& min, CZunPoint3d& max) const
{
    if (m_extViewMin != m_extViewMax) {
        min = m_extViewMin;
        max = m_extViewMax;
        return;
    }
    extmaxGet(min, max);
}

// ---- window point and picking -------------------------------------------------------------

CZunMatrix3d CZunGDX::windowToWorldMtx() const
{
    // Not the mirror image of the painter's chain (view and projection are
    // swapped): the viewers' picking relies on exactly this order.
    return m_viewDirectionMtx.inverse() * m_viewMtx.inverse() * m_projMtx.inverse() * m_zoomMtx.inverse();
}

CZunPoint3d CZunGDX::imagePtWc(const CZunPoint3d& p) const
{
    return p * windowToWorldMtx();
}

int CZunGDX::imageItemGet(const CZunPoint3d& p)
{
    const CZunPoint3d wc = imagePtWc(p);
    // Sort into drawing order and reverse, in one reordering: the item painted
    // last is the one the user sees, so it is tried first. The reversed order
    // stays, as callers have always seen it.
    if (lenGet() >= 2 && ZUN::gdx::sortItems(m_displayList.vector(), true))
        touch();

    for (CZunDisplayItem& it : m_displayList) {
        bool hit = false;
        if (it.type == objPt) {
            hit = (it.point * it.mtx).distanceTo(wc) <= kPickTolerance;
        } else if (it.type == objVl || it.type == objReg) {
            if (it.type == objReg && it.reg.isEmpty()) {
                it.reg.append(CZunVertexArray());
                touch();
            }
            const CZunVertexArray& given = it.type == objVl ? it.vl : it.reg.first();
            // Most items carry the identity; their vertices are used as they are.
            const bool placed = !ZUN::gdx::isIdentity(it.mtx);
            // Arcs are tested as xy arcs below: arcs in another plane, or
            // turned out of xy by the item's matrix, are tested by their chords.
            CZunVertexArray chords;
            const bool apart = given.hasArc() && ((placed && !(it.mtx.m[2][0] == 0.0 && it.mtx.m[2][1] == 0.0)) ||
                                                  given.arcPlane().axis(2) != CZunVector3d::kZAxis);
            if (apart)
                chords = ZUN::g_vl_expl(given, kPickChordDeviation);
            const CZunVertexArray& vl = apart ? chords : given;
            for (const CZunVertex& v : vl) {
                CZunVertex t = v;
                if (placed)
                    t.transformBy(it.mtx);
                if (farFromSegment(t, wc))
                    continue;
                if (t.start() != t.end() && ZUN::lotp(t, wc).distanceTo(wc) <= kPickTolerance) {
                    hit = true;
                    break;
                }
            }
        }
        if (hit)
            return it.stack.get(0);
    }
    return -1;
}
