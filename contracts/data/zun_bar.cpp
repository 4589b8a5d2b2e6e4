#include "contracts/data/zun_bar.h"

#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_outline.h"
#include "contracts/data/zun_section_geom.h"

#include <algorithm>
#include <cmath>

namespace ZUN {

namespace {

// Profiles may name profiles; a chain longer than this is a loop in the
// data, not a real reference.
constexpr int kMaxReferenceDepth = 8;

double dim(const CZunDataItem* item, const wchar_t* key)
{
    double value = 0.0;
    item->get(value, key);
    return value;
}

CZunDataItem* resolve(const CZunDataItem* from, const CZunArrayTempl<CZunString>& stack)
{
    CZunDataKey key;
    for (const CZunString& part : stack)
        key.appendPath(part);
    if (key.isNull())
        return nullptr;
    for (const CZunDataItem* base = from; base; base = base->parent())
        if (CZunDataItem* found = base->getItem(key))
            return found;
    CZunDataItem* dir = cfg_get(kBarCfgDir);
    return dir ? dir->getItem(key) : nullptr;
}

bool profileRegions(const CZunDataItem* ref, int depth, CZunRegionList& regl);

// The regions a profile item describes, before its coating and placement.
bool bareRegions(const CZunDataItem* ref, int depth, CZunRegionList& regl)
{
    CZunArrayTempl<CZunString> stack;
    if (ref->get(stack, L"STACK") && !stack.isEmpty())
        return profileRegions(resolve(ref, stack), depth + 1, regl);
    if (ref->get(regl, L"REGL") && !regl.isEmpty())
        return true;
    // The same outline key and parameters as a part's "GEN" item.
    CZunContourSet contours = g_outline_contours(ref);
    if (!contours.isEmpty()) {
        regl = {contours};
        return true;
    }
    if (ref->get(contours, L"VL"))
        regl = g_vll_regions(g_vll_regions_prepare(contours), 5);
    return !regl.isEmpty();
}

bool profileRegions(const CZunDataItem* ref, int depth, CZunRegionList& regl)
{
    regl.clear();
    if (!ref || depth > kMaxReferenceDepth || !bareRegions(ref, depth, regl)) {
        regl.clear();
        return false;
    }

    const double coat = dim(ref, L"COAT_T");
    if (coat > 0.0) {
        CZunRegionList coated;
        for (const CZunContourSet& region : regl) {
            coated.append(region);
            CZunVertexArray outer = region.first();
            if (section::area(outer) < 0.0)
                outer.revert();
            // Right of a counter-clockwise contour is outside.
            CZunVertexArray skin = section::offset(outer, -coat);
            if (!skin.isEmpty())
                coated.append(CZunContourSet{skin, outer.revert()});
        }
        regl = coated;
    }
    CZunMatrix3d own;
    if (ref->get(own, L"MTX"))
        for (CZunContourSet& region : regl)
            for (CZunVertexArray& c : region)
                c.transformBy(own);
    return true;
}

bool sameKey(const CZunDataKey& a, const CZunDataKey& b) { return a.toString() == b.toString(); }

void appendOnce(CZunArrayTempl<CZunDataKey>& subs, const CZunDataKey& key, const CZunString& bt)
{
    if (key.isNull() || key.toString() == bt)
        return;
    for (const CZunDataKey& k : subs)
        if (sameKey(k, key))
            return;
    subs.append(key);
}

bool namesBar(const CZunDataItem* bar, const CZunString& bt)
{
    CZunArrayTempl<CZunString> on;
    CZunString one;
    if (bar->get(one, L"ON"))
        on.append(one);
    else
        bar->get(on, L"ON");
    return on.indexOf(bt) >= 0;
}

} // namespace

bool bar_regl(CDtaFilePointer* dta, const CZunMatrix3d& mtx, CZunRegionList& regl)
{
    regl.clear();
    if (!dta || !profileRegions(dta->get(), 0, regl))
        return false;
    for (CZunContourSet& region : regl)
        for (CZunVertexArray& c : region)
            c.transformBy(mtx);
    return true;
}

int bar_bt_subs(const CZunDataItem* root, const CZunString& grp, const CZunString& bt,
                CZunArrayTempl<CZunDataKey>& subs)
{
    subs.clear();
    const CZunDataItem* group = root ? root->getItem(CZunDataKey(grp)) : nullptr;
    if (!group || !group->isDir() || bt.isEmpty())
        return 0;
    if (const CZunDataItem* bar = group->getItem(CZunDataKey(bt))) {
        CZunArrayTempl<CZunString> named;
        CZunString one;
        if (bar->get(one, L"SUBS"))
            named.append(one);
        else
            bar->get(named, L"SUBS");
        for (const CZunString& name : named)
            appendOnce(subs, CZunDataKey(name), bt);
    }
    for (const auto& child : group->childList())
        if (child->isDir() && namesBar(child.get(), bt))
            appendOnce(subs, CZunDataKey(child->getKey()), bt);
    return subs.len();
}

CZunContourSet g_vll_regions_prepare(const CZunContourSet& contours)
{
    CZunContourSet loops = section::chainLoops(contours, 1e-6, true);
    CZunContourSet kept;
    for (const CZunVertexArray& loop : loops)
        if (std::abs(section::area(loop)) > 1e-12)
            kept.append(loop);
    return kept;
}

CZunRegionList g_vll_regions(const CZunContourSet& contours, int mode)
{
    const section::Nesting nest = section::nesting(contours);
    const bool byDepth = (mode & 4) != 0, orient = (mode & 1) != 0;
    const auto top = [&](int i) {
        while (nest.parent[i] >= 0)
            i = nest.parent[i];
        return i;
    };
    const auto turned = [&](const CZunVertexArray& c, bool ccw) {
        CZunVertexArray out = c;
        if (orient && (section::area(out) > 0.0) != ccw)
            out.revert();
        return out;
    };
    CZunRegionList regions;
    for (int i = 0; i < contours.len(); ++i) {
        const int depth = nest.depth[i];
        if (byDepth ? depth % 2 != 0 : depth != 0)
            continue;
        CZunContourSet region{turned(contours[i], true)};
        for (int j = 0; j < contours.len(); ++j) {
            const bool belongs = byDepth ? nest.parent[j] == i && nest.depth[j] == depth + 1
                                         : j != i && top(j) == i;
            if (belongs)
                region.append(turned(contours[j], nest.depth[j] % 2 == 0));
        }
        regions.append(region);
    }
    return regions;
}

} // namespace ZUN
