#include "contracts/data/zun_attribute.h"

#include "contracts/data/zun_config.h"

CZunAttributeMgr::CZunAttributeMgr(const CZunString& name)
    : m_name(name), m_cfgKey(ZUN::getCfgKey(ZUN::kAttributeCfgDir, name))
{
}

CZunDataItem CZunAttributeMgr::defaults(const CZunString& name)
{
    CZunDataItem set(true);
    // Layer names match the drawings we ship; hatches are the patterns of
    // the default pattern file meant for those materials, scaled so that a
    // gasket cord of a few millimetres and a panel core of about 100 mm
    // each show a few repeats of their pattern.
    if (name == L"DICHT") {
        set.set(L"GASKET", L"PART_CON");
        set.set(L"GASKET", L"PART_FILL");
        set.set(L"ANSI34", L"HPNAME");
        set.set(0.25, L"HPSCALE");
        set.set(0.0, L"HPANG");
    } else if (name == L"DM") {
        set.set(L"INSULATION", L"PART_CON");
        set.set(L"INSULATION", L"PART_FILL");
        set.set(L"INSUL", L"HPNAME");
        set.set(10.0, L"HPSCALE");
        set.set(0.0, L"HPANG");
    }
    return set;
}

template <class T>
bool CZunAttributeMgr::lookup(const CZunString& attr, T& value) const
{
    const CZunDataKey key(attr);
    if (m_obj && m_obj->get(value, key))
        return true;
    if (!m_cfgKey.isNull())
        if (const CZunDataItem* cfg = ZUN::cfg_get(m_cfgKey); cfg && cfg->get(value, key))
            return true;
    return defaults(m_name).get(value, key);
}

bool CZunAttributeMgr::get(const CZunString& attr, CZunString& value) const { return lookup(attr, value); }

bool CZunAttributeMgr::get(const CZunString& attr, double& value) const { return lookup(attr, value); }

CZunString CZunAttributeMgr::text(const CZunString& attr, const CZunString& fallback) const
{
    CZunString value = fallback;
    get(attr, value);
    return value;
}

double CZunAttributeMgr::number(const CZunString& attr, double fallback) const
{
    double value = fallback;
    get(attr, value);
    return value;
}

ZUN::CHatchProp CZunAttributeMgr::hatch() const
{
    const double scale = number(L"HPSCALE", 1.0);
    return ZUN::CHatchProp(text(L"HPNAME"), number(L"HPANG"), scale > 0.0 ? scale : 1.0, false);
}
