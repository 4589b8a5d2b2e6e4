#include "host/desktop/zun_host_highlight.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Colours this near each other (sum of the channel differences) are not
// told apart at a glance.
constexpr int kNearColors = 120;
// Tried in turn when the highlight colour is taken: orange, magenta, cyan,
// green, blue.
constexpr std::uint32_t kOtherPickColors[] = {0x0080FF, 0xFF00FF, 0xFFFF00, 0x00C000, 0xFF0000};
constexpr std::uint32_t kPickOutlineWidth = 2;

int colorDistance(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum;
}

bool inGroup(const CZunDisplayItem& item, int group)
{
    return !item.stack.isEmpty() && item.stack.get(0) == group;
}

bool isArea(const CZunDisplayItem& item)
{
    return item.type == objReg && (item.flag & (gdxFlagFill | gdxFlagHatch));
}

// The colours the group shows without a pick, and the background.
std::vector<std::uint32_t> colorsInUse(const CZunGDX& list, int group)
{
    std::vector<std::uint32_t> used{list.backColorGet().oleColor()};
    for (const CZunDisplayItem& item : list.getDisplayList()) {
        if (!inGroup(item, group))
            continue;
        const int mode = gdxColorModeOfFlag(item.flag);
        if (mode == ZUN::cModeOwn && item.color.colorIndex() != CZunColor::kNone)
            used.push_back(item.color.oleColor());
        else if (mode >= 1 && mode <= 14)
            used.push_back(list.colorTabGet(static_cast<ZUN::GdxColorMode>(mode)).oleColor());
        if (isArea(item) && item.fcolor.colorIndex() != 0)
            used.push_back(item.fcolor.oleColor());
    }
    return used;
}

bool standsOut(std::uint32_t color, const std::vector<std::uint32_t>& used)
{
    for (std::uint32_t other : used)
        if (colorDistance(color, other) < kNearColors)
            return false;
    return true;
}

// Chooses the mode the picked group's lines are drawn in; may set the
// fallback mode's table entry.
ZUN::GdxColorMode choosePickMode(CZunGDX& list, int group)
{
    const std::vector<std::uint32_t> used = colorsInUse(list, group);
    if (standsOut(list.colorTabGet(ZUN::cModeHighlight).oleColor(), used))
        return ZUN::cModeHighlight;
    for (std::uint32_t candidate : kOtherPickColors)
        if (standsOut(candidate, used)) {
            CZunColor color;
            color.setOleColor(candidate);
            list.ColorTabSet(kZunPickFallbackMode, color);
            return kZunPickFallbackMode;
        }
    return ZUN::cModeHighlight;
}

} // namespace

std::uint32_t zunPickColor(const CZunGDX& list, int group)
{
    CZunGDX copy(list);
    return copy.colorTabGet(choosePickMode(copy, group)).oleColor();
}

bool zunHighlightGroup(CZunGDX& list, int group)
{
    const ZUN::GdxColorMode mode = choosePickMode(list, group);
    std::vector<std::pair<int, int>> areas;  // index and colour mode
    bool any = false;
    const int n = list.lenGet();
    for (int i = 0; i < n; ++i) {
        const CZunDisplayItem& item = list.getDisplayList().get(i);
        if (!inGroup(item, group))
            continue;
        any = true;
        if (isArea(item))
            areas.emplace_back(i, gdxColorModeOfFlag(item.flag));
    }
    if (!any)
        return false;
    // Modes are set by stack, for a whole subtree. Each area gets a stack
    // of its own below its group's (the group is what a pick reports), so
    // that it can keep its mode while its group takes the pick's.
    for (const auto& [i, own] : areas) {
        CZunGDX::Stack stack = list.getDisplayList().get(i).stack;
        stack.append(-1 - i);
        list.itemStackSet(i, stack);
    }
    list.cModeSet(CZunGDX::Stack{group}, mode);
    const unsigned long flag = gdxFlagOfColorMode(mode) | gdxFlagNoExt;
    for (const auto& [i, own] : areas) {
        const CZunDisplayItem area = list.getDisplayList().get(i);
        list.cModeSet(area.stack, static_cast<ZUN::GdxColorMode>(own));
        // The outlines go on top in the pick's colour, out of the extents,
        // so that a pick does not move the fitted picture.
        for (const CZunVertexArray& contour : area.reg)
            list.imageVl(area.stack, flag, contour, area.color, area.mtx, {1.0}, 1.0, kPickOutlineWidth,
                         CZunPoint3d());
    }
    return true;
}
