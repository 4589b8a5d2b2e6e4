#pragma once

// Helpers shared by the display list's source files. Not for callers.

#include "gdx/zun_gdx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ZUN::gdx {

// True when itemStack lies in the subtree of the n entries at prefix: at least
// as long and beginning with all of them. n == 0 selects nothing.
inline bool inSubtree(const CZunArrayTempl<int>& itemStack, const int* prefix, int n)
{
    if (n <= 0 || itemStack.len() < n)
        return false;
    // Stacks are a few entries long: a plain loop beats a call to memcmp.
    const int* s = itemStack.data();
    for (int k = 0; k < n; ++k)
        if (s[k] != prefix[k])
            return false;
    return true;
}

inline bool sameStack(const CZunArrayTempl<int>& a, const CZunArrayTempl<int>& b)
{
    return a.vector() == b.vector();
}

inline int colorModeOf(std::uint32_t flag)
{
    return gdxColorModeOfFlag(flag);
}

inline bool countsForExt(std::uint32_t flag)
{
    return (flag & gdxFlagExtMask) == 0;
}

// Drawing group of an item, 0 painted first. Pictures go last so that they
// cover everything; mode-1 (highlight) items go over mode-2 (reference)
// items, which go over plainly coloured ones; within each colour class the
// regions go first so that their fill does not hide the lines.
inline int sortGroup(const CZunDisplayItem& it)
{
    const int m = colorModeOf(it.flag);
    if (it.type == objPicture)
        return 5;
    const bool plain = m == 0 || m >= 3;
    if (plain)
        return it.type == objReg ? 0 : 1;
    if (m == 2)
        return 2;
    return it.type == objReg ? 3 : 4;
}

// Applies a property code to a flag word. False for a code outside 1..10,
// which leaves the word as it was.
inline bool applyPropCode(std::uint32_t& flag, unsigned long code)
{
    switch (code) {
    case propShow: flag &= ~static_cast<std::uint32_t>(gdxFlagHidden); return true;
    case propHide: flag |= gdxFlagHidden; return true;
    case propExtIn: flag &= ~static_cast<std::uint32_t>(gdxFlagNoExt); return true;
    case propExtOut: flag |= gdxFlagNoExt; return true;
    case propOutlineOn: flag |= gdxFlagOutline; return true;
    case propOutlineOff: flag &= ~static_cast<std::uint32_t>(gdxFlagOutline); return true;
    case propWindowOn: flag |= gdxFlagWindow; return true;
    case propWindowOff: flag &= ~static_cast<std::uint32_t>(gdxFlagWindow); return true;
    case propPicOptOn: flag |= gdxFlagPicOpt; return true;
    case propPicOptOff: flag &= ~static_cast<std::uint32_t>(gdxFlagPicOpt); return true;
    default: return false;
    }
}

inline std::uint32_t withColorMode(std::uint32_t flag, GdxColorMode m)
{
    // Bits above the colour mode are not kept: the word holds nothing there.
    return static_cast<std::uint32_t>((flag & 0xFFu) | gdxFlagOfColorMode(m));
}

inline bool isIdentity(const CZunMatrix3d& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0 : 0.0))
                return false;
    return true;
}

inline bool isFinite(const CZunMatrix3d& m)
{
    for (const auto& row : m.m)
        for (double x : row)
            if (!std::isfinite(x))
                return false;
    return true;
}

// m0 x item: most items carry the identity, and the product with it is m0
// itself as long as m0 is finite (an infinite entry times 0 would give NaN).
class ItemMatrix {
public:
    explicit ItemMatrix(const CZunMatrix3d& m0) : m_m0(m0), m_shortcut(isFinite(m0)) {}
    CZunMatrix3d operator()(const CZunMatrix3d& item) const
    {
        return m_shortcut && isIdentity(item) ? m_m0 : m_m0 * item;
    }

private:
    CZunMatrix3d m_m0;
    bool m_shortcut;
};

// Room for n more items. Growing to the exact size on every call would move
// every item already there on every append: the room at least doubles, so
// that appending list after list moves each item a bounded number of times.
inline void reserveMore(std::vector<CZunDisplayItem>& items, std::size_t n)
{
    const std::size_t needed = items.size() + n;
    if (needed > items.capacity())
        items.reserve(std::max(needed, 2 * items.capacity()));
}

// Stable partition into the six drawing groups, optionally followed by a
// reversal of the whole list, with at most one move per item. True when an
// item changed its place.
bool sortItems(std::vector<CZunDisplayItem>& items, bool reversed);

} // namespace ZUN::gdx

// Calls f(item) for every item of the subtree of stack, in list order, and
// returns how many there were.
template <class F>
int CZunGDX::forSubtree(const Stack& stack, F&& f)
{
    const int n = stack.len();
    if (n == 0)
        return 0;
    int count = 0;
    for (CZunDisplayItem& it : m_displayList)
        if (ZUN::gdx::inSubtree(it.stack, stack.data(), n)) {
            f(it);
            ++count;
        }
    return count;
}

// Removes every item that pred selects in one pass, keeping the order of the
// rest, and recomputes the extents once when something went. The outcome is
// that of removing the items one by one from the back, each with its own
// extents pass, at the cost of a single pass.
template <class Pred>
bool CZunGDX::removeIf(Pred pred)
{
    auto& items = m_displayList.vector();
    // remove_if keeps the survivors in order and moves each at most once.
    const auto keep = std::remove_if(items.begin(), items.end(), pred);
    if (keep == items.end())
        return false;
    items.erase(keep, items.end());
    refresh_ext();
    touch();
    return true;
}

template <class Add>
bool CZunGDX::guardedAdd(Add&& add, bool ourItems) noexcept
{
    // The extents are two points or none; kept by value, so that keeping
    // them allocates nothing on the way of every item a generator adds.
    const std::size_t len = m_displayList.vector().size();
    const bool hadExt = m_ext.len() == 2;
    const CZunPoint3d lo = hadExt ? m_ext.get(0) : CZunPoint3d();
    const CZunPoint3d hi = hadExt ? m_ext.get(1) : CZunPoint3d();
    try {
        add();
    } catch (...) {
        std::vector<CZunDisplayItem>& items = m_displayList.vector();
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(len), items.end());
        if (hadExt) {
            m_ext[0] = lo;
            m_ext[1] = hi;
        } else {
            m_ext.clear();
        }
        checkInvariants();
        return false;
    }
    checkInvariants(ourItems ? static_cast<int>(len) : lenGet());
    touch();
    return true;
}

