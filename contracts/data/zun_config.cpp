#include "contracts/data/zun_config.h"

#include "contracts/data/zun_files.h"

#include <filesystem>

namespace ZUN {

CZunCfgMgr& CZunCfgMgr::instance()
{
    static CZunCfgMgr manager;
    return manager;
}

CZunDataItem* CZunCfgMgr::getCfgRoot()
{
    ensureLoaded();
    return &m_root;
}

void CZunCfgMgr::ensureLoaded()
{
    if (!m_loaded)
        reload();
}

void CZunCfgMgr::reload()
{
    m_loaded = true;
    m_errors.clear();
    CZunDataItem tree(true);
    const CZunString files[] = {fileFind(L"config/zun_config.json"), appFileName(L"config.json")};
    for (const CZunString& path : files) {
        if (path.isEmpty() || (path == files[1] && !std::filesystem::exists(path.toUtf8())))
            continue;
        CZunDataItem layer(true);
        CDataFileError error;
        if (dataFileLoad(path, layer, &error))
            dataMerge(tree, layer);
        else
            m_errors.append(error.toString());
    }
    m_root = tree;
}

bool CZunCfgMgr::save(CZunString* error) const
{
    return dataFileSave(appFileName(L"config.json"), m_root, error);
}

CZunDataItem* cfg_get(const CZunDataKey& path)
{
    return CZunCfgMgr::instance().getCfgRoot()->getItem(path);
}

CZunDataItem* cfg_dir_make(const CZunDataKey& path)
{
    return CZunCfgMgr::instance().makeDir(path);
}

CZunDataKey getCfgKey(const CZunString& dir, const CZunString& key)
{
    return CZunDataKey{CZunItemKey(dir), CZunItemKey(key)};
}

void dataMerge(CZunDataItem& dst, const CZunDataItem& src)
{
    for (const auto& child : src.childList()) {
        const CZunDataKey key(child->getKey());
        CZunDataItem* existing = dst.getItem(key);
        if (child->isDir() && existing && existing->isDir())
            dataMerge(*existing, *child);
        else
            dst.setItem(key, *child);
    }
}

CCfgBackup::CCfgBackup() : m_copy(*CZunCfgMgr::instance().getCfgRoot()) {}

CCfgBackup::~CCfgBackup()
{
    *CZunCfgMgr::instance().getCfgRoot() = m_copy;
}

} // namespace ZUN
