#pragma once

// Named attribute sets: how a kind of construction material is drawn
// ("DICHT" gaskets, "DM" insulation): its contour and fill layers and its
// hatch. Each attribute comes from the set's construction object when that
// holds it, else from the configuration, else from the defaults built in
// for the known sets.

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_hatch.h"

namespace ZUN {

// Configuration directory that holds one directory per attribute set.
inline constexpr const wchar_t* kAttributeCfgDir = L"*ATTRIBUTE*";

} // namespace ZUN

class CZunAttributeMgr {
public:
    // A manager for the named set, reading the configuration at
    // getCfgKey(kAttributeCfgDir, name).
    explicit CZunAttributeMgr(const CZunString& name);

    const CZunString& name() const { return m_name; }

    // The configuration directory read for this set; another key lets a
    // caller point a set at a directory of its own.
    const CZunDataKey& cfgKey() const { return m_cfgKey; }
    void cfgKeySet(const CZunDataKey& key) { m_cfgKey = key; }

    // The construction object: a directory whose keys win over the
    // configuration. It is not owned and must outlive its use here; null
    // detaches it.
    const CZunDataItem* obj() const { return m_obj; }
    void objSet(const CZunDataItem* obj) { m_obj = obj; }

    // An attribute ("PART_CON", "PART_FILL", "HPNAME" as texts; "HPSCALE",
    // "HPANG" as numbers, the angle in radians). False, with value
    // untouched, when no source has it.
    bool get(const CZunString& attr, CZunString& value) const;
    bool get(const CZunString& attr, double& value) const;
    // The same with a default.
    CZunString text(const CZunString& attr, const CZunString& fallback = CZunString()) const;
    double number(const CZunString& attr, double fallback = 0.0) const;
    // "HPNAME", "HPANG" and "HPSCALE" as a hatch (scale 1 when absent or
    // not above 0).
    ZUN::CHatchProp hatch() const;

    // The built-in defaults of a set (an empty directory for an unknown
    // name); the configuration ships the same values.
    static CZunDataItem defaults(const CZunString& name);

private:
    template <class T>
    bool lookup(const CZunString& attr, T& value) const;

    CZunString m_name;
    CZunDataKey m_cfgKey;
    const CZunDataItem* m_obj = nullptr;
};
