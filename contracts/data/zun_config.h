#pragma once

#include "contracts/data/zun_data_file.h"

namespace ZUN {

// The configuration tree: the shipped defaults (config/zun_config.json in
// the data folders) with the user's file (config.json in the application's
// settings folder) laid over them, key by key. It loads on first use; a
// file that cannot be read or parsed is skipped and its error kept, so a bad
// user file never takes the defaults with it.
class CZunCfgMgr {
public:
    static CZunCfgMgr& instance();

    CZunDataItem* getCfgRoot();
    CZunDataItem* makeDir(const CZunDataKey& path) { return getCfgRoot()->mkDir(path); }
    CZunDataItem* makeItem(const CZunDataKey& path) { return getCfgRoot()->mkItem(path); }

    // Reads the files again; the tree is replaced only by what loaded.
    void reload();
    // Writes the whole tree to the user's file.
    bool save(CZunString* error = nullptr) const;
    // Errors of the last load, one per file that failed ("" when none).
    const CZunArrayTempl<CZunString>& loadErrors() const { return m_errors; }

private:
    CZunCfgMgr() = default;
    void ensureLoaded();

    bool m_loaded = false;
    CZunDataItem m_root{true};
    CZunArrayTempl<CZunString> m_errors;
};

// The configuration item at path ("ORV_MENU\\COLOR\\PDSIZE", or a key of
// several components such as {"*WALL_EDIT*", "BT"}), or null.
CZunDataItem* cfg_get(const CZunDataKey& path);
// The configuration directory at path, made when missing.
CZunDataItem* cfg_dir_make(const CZunDataKey& path);
// The key of an entry in a configuration directory.
CZunDataKey getCfgKey(const CZunString& dir, const CZunString& key);

// Lays src over dst: directories merge, everything else replaces.
void dataMerge(CZunDataItem& dst, const CZunDataItem& src);

// Keeps a copy of the configuration and puts it back when it goes out of
// scope: for work that must not leave changes behind (tests, previews).
class CCfgBackup {
public:
    CCfgBackup();
    ~CCfgBackup();
    CCfgBackup(const CCfgBackup&) = delete;
    CCfgBackup& operator=(const CCfgBackup&) = delete;

private:
    CZunDataItem m_copy;
};

} // namespace ZUN
