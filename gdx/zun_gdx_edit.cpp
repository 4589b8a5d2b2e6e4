// Adding, removing, changing by stack and ordering display items.

#include "gdx/zun_gdx.h"
#include "gdx/zun_gdx_p.h"

#include <algorithm>
#include <cassert>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

CZunArrayTempl<double> lineTypeOrSolid(const CZunArrayTempl<double>& linetype)
{
    return linetype.isEmpty() ? CZunArrayTempl<double>{1.0} : linetype;
}

// Appends an item of the given type, stack and flag, and lets fill set the
// rest. Items are large, so while the list has room the item is built in
// place; only when the list must grow is it built apart and moved in, since
// the arguments may be parts of this very list's items, which growing moves.
template <class Fill>
void appendItem(CZunArrayTempl<CZunDisplayItem>& list, ZunDisplayObj type, const CZunArrayTempl<int>& stack,
                unsigned long flag, Fill&& fill)
{
    const auto init = [&](CZunDisplayItem& it) {
        it.type = type;
        it.flag = static_cast<std::uint32_t>(flag);
        it.stack = stack;
        fill(it);
    };
    std::vector<CZunDisplayItem>& items = list.vector();
    if (items.size() < items.capacity()) {
        init(items.emplace_back());
        return;
    }
    CZunDisplayItem it;
    init(it);
    items.push_back(std::move(it));
}

} // namespace

// ---- adding ------------------------------------------------------------------------

void CZunGDX::imageVl(const Stack& stack, unsigned long flag, const CZunVertexArray& vl, const CZunColor& color,
                      const CZunMatrix3d& mtx, const CZunArrayTempl<double>& linetype, double ltscale,
                      unsigned long thickn, const CZunPoint3d& anchor)
{
    guardedAdd([&] {
        if (ZUN::gdx::countsForExt(static_cast<std::uint32_t>(flag))) {
            ++m_scratch.measured;
            refresh_ext(vl, extMtx(mtx));
        }
        appendItem(m_displayList, objVl, stack, flag, [&](CZunDisplayItem& it) {
            it.vl = vl;
            it.color = color;
            it.mtx = mtx;
            it.linetype = lineTypeOrSolid(linetype);
            it.ltscale = ltscale;
            it.thickn = static_cast<std::uint32_t>(thickn);
            if (flag & gdxFlagAnchored)
                it.point = anchor;
        });
    });
}

void CZunGDX::imagePt(const Stack& stack, unsigned long flag, const CZunPoint3d& pt, const CZunColor& color,
                      const CZunMatrix3d& mtx, double pdSize, unsigned long pdMode, const CZunPoint3d& anchor)
{
    guardedAdd([&] {
        if (ZUN::gdx::countsForExt(static_cast<std::uint32_t>(flag))) {
            ++m_scratch.measured;
            refresh_ext(pt, extMtx(mtx));
        }
        appendItem(m_displayList, objPt, stack, flag, [&](CZunDisplayItem& it) {
            it.point = pt;
            it.color = color;
            it.mtx = mtx;
            it.pdSize = pdSize;
            it.pdMode = static_cast<std::uint32_t>(pdMode);
            if (flag & gdxFlagAnchored)
                it.vl.append(anchor, CZunPoint3d::kOrigin, 0.0);
        });
    });
}

void CZunGDX::imageReg(const Stack& stack, unsigned long flag, const Contours& reg, const CZunColor& color,
                       const CZunMatrix3d& mtx, const CZunArrayTempl<double>& linetype, double ltscale,
                       unsigned long thickn, const CZunColor& fcolor, const ZUN::CHatchProp& hatch,
                       const CZunPoint3d& anchor)
{
    guardedAdd([&] {
        if (ZUN::gdx::countsForExt(static_cast<std::uint32_t>(flag))) {
            ++m_scratch.measured;
            refresh_ext(reg.get(0), extMtx(mtx));
        }
        appendItem(m_displayList, objReg, stack, flag, [&](CZunDisplayItem& it) {
            it.reg = reg;
            it.color = color;
            it.mtx = mtx;
            it.linetype = lineTypeOrSolid(linetype);
            it.ltscale = ltscale;
            it.thickn = static_cast<std::uint32_t>(thickn);
            it.hatch = hatch;
            if (flag & gdxFlagAnchored)
                it.point = anchor;
            // An outline-only region keeps the default fill colour; a filled one
            // without a fill colour of its own is filled in its line colour.
            if (flag & (gdxFlagFill | gdxFlagHatch))
                it.fcolor = fcolor.colorIndex() < 0 ? color : fcolor;
        });
    });
}

void CZunGDX::imagePicture(const Stack& stack, unsigned long flag, const wchar_t* name, int id,
                           const CZunPoint3d& corner1, const CZunPoint3d& corner2)
{
    // Pixel corners have no place in model extents.
    guardedAdd([&] {
        appendItem(m_displayList, objPicture, stack, flag, [&](CZunDisplayItem& it) {
            it.txt = CZunString(name);
            it.pdMode = static_cast<std::uint32_t>(id);
            if (corner1 != corner2)
                it.vl.append(corner1, corner2, 0.0);
        });
    });
}

bool CZunGDX::addDisplayList(const CZunArrayTempl<CZunDisplayItem>& items)
{
    if (items.isEmpty())
        return false;
    const bool self = &items == &m_displayList;
    // The items are the caller's, made as the caller pleased: only the
    // extents are held to the list's rules afterwards.
    return guardedAdd(
        [&] {
            std::vector<CZunDisplayItem>& list = m_displayList.vector();
            const std::size_t n = items.vector().size();
            // Room first: growing while copying in would move the items
            // already there into the new storage, where a failing copy
            // leaves them lost. (Appending the list to itself needs the room
            // first too: its own range must not move while it is read.)
            ZUN::gdx::reserveMore(list, n);
            for (std::size_t k = 0; k < n; ++k)
                list.push_back(self ? CZunDisplayItem(list[k]) : items.vector()[k]);
        },
        false);
}

void CZunGDX::reserve(int n)
{
    try {
        m_displayList.reserve(n);
    } catch (...) {
        // Only room was asked for; the items are as they were.
    }
}

void CZunGDX::checkInvariants([[maybe_unused]] int from) const
{
#ifndef NDEBUG
    // Extents: none, or a lower and an upper corner in that order (NaN
    // corners from NaN input compare false either way and pass).
    assert(m_ext.len() == 0 || m_ext.len() == 2);
    if (m_ext.len() == 2) {
        assert(!(m_ext.get(0).x > m_ext.get(1).x) && !(m_ext.get(0).y > m_ext.get(1).y)
               && !(m_ext.get(0).z > m_ext.get(1).z));
    }
    for (int i = std::max(from, 0); i < m_displayList.len(); ++i) {
        const CZunDisplayItem& it = m_displayList.get(i);
        // Only the five kinds are ever made.
        assert(it.type == objVl || it.type == objPt || it.type == objReg || it.type == objTxt
               || it.type == objPicture);
        // Lines and regions always carry a line type (solid when none given).
        assert((it.type != objVl && it.type != objReg) || !it.linetype.isEmpty());
        // Anchored points and texts hold their anchor as one vertex.
        assert(!(it.flag & gdxFlagAnchored) || (it.type != objPt && it.type != objTxt) || it.vl.len() == 1);
    }
#endif
}

// ---- removing ------------------------------------------------------------------------

void CZunGDX::clear()
{
    m_displayList.clear();
    m_ext.clear();
    m_extViewMin = CZunPoint3d::kOrigin;
    m_extViewMax = CZunPoint3d::kOrigin;
    touch();
}

bool CZunGDX::clear(const Stack& stack)
{
    return removeItemStack(stack);
}

bool CZunGDX::removeItemStack(const Stack& stack)
{
    const int n = stack.len();
    if (n == 0 || m_displayList.isEmpty())
        return false;
    const int* s = stack.data();
    return removeIf([s, n](const CZunDisplayItem& it) { return ZUN::gdx::inSubtree(it.stack, s, n); });
}

bool CZunGDX::removeItem(int i)
{
    if (i < 0 || i >= lenGet())
        return false;
    m_displayList.removeAt(i);
    refresh_ext();
    touch();
    return true;
}

// ---- changing by stack ------------------------------------------------------------------

bool CZunGDX::propSet(const Stack& stack, unsigned long code)
{
    // Each flagSet would recompute the extents; the flags alone are set here
    // and the extents recomputed once, which ends in the same state.
    const int count = forSubtree(stack, [code](CZunDisplayItem& it) { ZUN::gdx::applyPropCode(it.flag, code); });
    if (count == 0)
        return false;
    refresh_ext();
    touch();
    return true;
}

bool CZunGDX::redraw(const Stack& stack, unsigned long code)
{
    if (m_displayList.isEmpty())
        return false;
    bool changed = false;
    const auto apply = [code, &changed](CZunDisplayItem& it) { changed |= ZUN::gdx::applyPropCode(it.flag, code); };
    if (stack.isEmpty()) {
        for (CZunDisplayItem& it : m_displayList)
            apply(it);
    } else {
        forSubtree(stack, apply);
    }
    if (changed) {
        refresh_ext();
        touch();
    }
    return true;
}

bool CZunGDX::cModeSet(const Stack& stack, ZUN::GdxColorMode m)
{
    if (forSubtree(stack, [m](CZunDisplayItem& it) { it.flag = ZUN::gdx::withColorMode(it.flag, m); }) == 0)
        return false;
    touch();
    return true;
}

bool CZunGDX::hatchSet(const Stack& stack, const ZUN::CHatchProp& hatch)
{
    if (forSubtree(stack, [&hatch](CZunDisplayItem& it) { it.hatch = hatch; }) == 0)
        return false;
    touch();
    return true;
}

bool CZunGDX::mtxSet(const Stack& stack, const CZunMatrix3d& m)
{
    const int n = stack.len();
    if (n == 0 || m_displayList.isEmpty())
        return false;
    // The reference is the group's own item when it has one (the first of
    // them), else the subtree's last item.
    const CZunDisplayItem* exact = nullptr;
    const CZunDisplayItem* last = nullptr;
    for (const CZunDisplayItem& it : m_displayList) {
        if (!ZUN::gdx::inSubtree(it.stack, stack.data(), n))
            continue;
        last = &it;
        if (!exact && it.stack.len() == n)
            exact = &it;
    }
    if (!last)
        return false;
    const CZunDisplayItem& ref = exact ? *exact : *last;
    const CZunMatrix3d delta = m * ref.mtx.inverse();
    forSubtree(stack, [&delta](CZunDisplayItem& it) { it.mtx *= delta; });
    refresh_ext();
    touch();
    return true;
}

bool CZunGDX::pdModeSet(const Stack& stack, unsigned long mode)
{
    if (stack.isEmpty())
        return false;
    bool any = false;
    for (CZunDisplayItem& it : m_displayList)
        if (ZUN::gdx::sameStack(it.stack, stack)) {
            it.pdMode = static_cast<std::uint32_t>(mode);
            any = true;
        }
    if (any)
        touch();
    return any;
}

bool CZunGDX::pdSizeSet(const Stack& stack, double size)
{
    if (stack.isEmpty())
        return false;
    bool any = false;
    for (CZunDisplayItem& it : m_displayList)
        if (ZUN::gdx::sameStack(it.stack, stack)) {
            it.pdSize = size;
            any = true;
        }
    if (any)
        touch();
    return any;
}

// ---- ordering ---------------------------------------------------------------------------

namespace ZUN::gdx {

// The list is left untouched when it already is in drawing order (a paint
// sorts every time, and usually nothing changed since the last one).
// Otherwise the items are permuted in place, following the cycles of the
// permutation: one move per item and no second list of a hundred thousand
// items to allocate and fault in.
bool sortItems(std::vector<CZunDisplayItem>& items, bool reversed)
{
    constexpr int kGroups = 6;
    const size_t n = items.size();
    std::vector<std::uint32_t> source(n);
    std::array<size_t, kGroups> count{};
    bool ascending = true;
    int previous = 0;
    // First pass: the group of each item (kept in source for the moment).
    for (size_t i = 0; i < n; ++i) {
        const int g = sortGroup(items[i]);
        source[i] = static_cast<std::uint32_t>(g);
        ++count[static_cast<size_t>(g)];
        ascending = ascending && g >= previous;
        previous = g;
    }
    if (ascending) {
        if (reversed)
            std::reverse(items.begin(), items.end());
        return reversed && n > 1;
    }
    // Target of item i: the start of its group plus the number of earlier
    // items of that group, mirrored when reversed. source is turned into the
    // inverse map: the old index of the item that belongs at each position.
    std::array<size_t, kGroups> next{};
    for (int g = 1; g < kGroups; ++g)
        next[static_cast<size_t>(g)] = next[static_cast<size_t>(g) - 1] + count[static_cast<size_t>(g) - 1];
    std::vector<std::uint32_t> target(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t pos = next[source[i]]++;
        target[i] = static_cast<std::uint32_t>(reversed ? n - 1 - pos : pos);
    }
    for (size_t i = 0; i < n; ++i)
        source[target[i]] = static_cast<std::uint32_t>(i);
    // A position whose source is itself is settled.
    for (size_t start = 0; start < n; ++start) {
        if (source[start] == start)
            continue;
        CZunDisplayItem held = std::move(items[start]);
        size_t pos = start;
        while (source[pos] != start) {
            const size_t from = source[pos];
            items[pos] = std::move(items[from]);
            source[pos] = static_cast<std::uint32_t>(pos);
            pos = from;
        }
        items[pos] = std::move(held);
        source[pos] = static_cast<std::uint32_t>(pos);
    }
    return true;
}

} // namespace ZUN::gdx

void CZunGDX::displListSort()
{
    if (lenGet() < 2)
        return;
    if (ZUN::gdx::sortItems(m_displayList.vector(), false))
        touch();
}
