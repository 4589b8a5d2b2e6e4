#include "ui/core/zun_mat_accept.h"

#include "contracts/data/zun_material.h"
#include "ui/core/zun_mat_tree.h"

#include <algorithm>
#include <set>

namespace ZUN {
namespace {

// A physical sub-type is a flag property: present, and not switched off.
bool hasPhysType(const CMatProp& prop, const CZunString& type)
{
    const CZunDataKey key{CZunItemKey(type)};
    if (!prop.props.getItem(key))
        return false;
    bool on = true;
    return !prop.props.get(on, key) || on;
}

// Whether every material on key's chain of references is known and the
// chain ends; one that comes back to a material already on it does not.
bool chainEnds(const CZunMatMgr& mgr, const CZunString& key)
{
    std::set<std::wstring> seen;
    CZunString at = key;
    CMatProp prop;
    while (seen.insert(at.str()).second && mgr.propGet(at, prop)) {
        if (prop.refKey.isEmpty())
            return true;
        at = prop.refKey;
    }
    return false;
}

// The manager resolves references: a material's properties are its own
// over those of its chain, so the test looks at the material itself, as
// the tree's filter does.
bool physAccepts(const CZunMatMgr& mgr, const CZunString& key, const CMatProp& prop,
                 const CZunArrayTempl<CZunString>& physTypes)
{
    if (!chainEnds(mgr, key) || prop.physKind == kMatPhysNone)
        return false;
    return std::all_of(physTypes.begin(), physTypes.end(),
                       [&](const CZunString& type) { return hasPhysType(prop, type); });
}

} // namespace

bool matDlgAccepts(const CZunMatMgr& mgr, const CZunString& key, unsigned flags,
                   const CZunArrayTempl<CZunString>& physTypes)
{
    if (key.isEmpty())
        return false;
    if (key == CZunString(L"SYSTEM"))
        return true;
    CMatProp prop;
    if (!mgr.propGet(key, prop))
        return false;
    if (flags & kMatTreeEdge)
        return prop.edgeKind != kMatEdgeNone;
    if (flags & kMatTreePhys)
        return physAccepts(mgr, key, prop, physTypes);
    return true;
}

} // namespace ZUN
