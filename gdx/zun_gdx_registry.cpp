// The display list registry and loading a display list from the data tree.

#include "gdx/zun_gdx_registry.h"

#include "contracts/base/zun_map.h"
#include "contracts/base/zun_number.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_item.h"

#include <memory>

namespace {

// Entries are held by pointer: the map keeps its values in one array that
// moves on insertion, and callers keep the pointers getGdxFromMap gave them.
using Registry = CZunMapTempl<int, std::unique_ptr<CZunGDX>>;

Registry& registry()
{
    static Registry map;
    return map;
}

// The integer under key of a counting item, else the configuration's value
// at cfgPath, else 0.
int intFromItemOrConfig(const CZunDataItem* item, const wchar_t* key, const wchar_t* cfgPath)
{
    int value = 0;
    if (item && item->get(value, key))
        return value;
    if (const CZunDataItem* cfg = ZUN::cfg_get(cfgPath)) {
        value = 0;
        if (cfg->get(value))
            return value;
    }
    return 0;
}

// A configured colour is either a bare colour index or a whole colour value;
// an integer read decides which.
CZunColor configuredColor(const wchar_t* key)
{
    CZunColor c;
    const CZunDataItem* cfg = ZUN::cfg_get(CZunDataKey({L"ORV_MENU\\COLOR", key}));
    if (!cfg)
        return c;
    int index = 0;
    if (cfg->get(index))
        c.setColorIndex(index);
    else
        ZUN::dataItemGet(cfg, c);
    return c;
}

} // namespace

int gdxMapKeyNew()
{
    // Keys iterate in ascending order, so the first gap among the positive
    // ones is found in one walk.
    int candidate = 1;
    for (const auto& entry : registry()) {
        if (entry.first < candidate)
            continue;
        if (entry.first > candidate)
            break;
        ++candidate;
    }
    return candidate;
}

void gdxMapSetAt(int key, CZunGDX& gdx)
{
    Registry& map = registry();
    if (std::unique_ptr<CZunGDX>* stored = map.find(key)) {
        **stored = gdx;
        return;
    }
    auto fresh = std::make_unique<CZunGDX>();
    *fresh = gdx;
    map.setAt(key, std::move(fresh));
}

CZunGDX* getGdxFromMap(int key)
{
    std::unique_ptr<CZunGDX>* stored = registry().find(key);
    return stored ? stored->get() : nullptr;
}

bool gdxMapRemoveAt(int key)
{
    return registry().removeKey(key);
}

int createGdxInMap(CZunDataItem* item)
{
    const CZunDataItem* source = item && item->isDir() ? item : nullptr;

    CZunColor bg(0);
    const int pdSize = intFromItemOrConfig(source, L"PDSIZE", L"ORV_MENU\\COLOR\\PDSIZE");
    const int pdMode = intFromItemOrConfig(source, L"PDMODE", L"ORV_MENU\\COLOR\\PDMODE");
    CZunPoint3dArray extView;
    CZunMatrix3d proj;
    if (source) {
        source->get(extView, L"EXTVIEW");
        source->get(proj, L"MTX");
    }

    const int key = gdxMapKeyNew();
    {
        CZunGDX temporary(bg, proj, static_cast<double>(pdSize), static_cast<unsigned long>(pdMode), extView.get(0),
                          extView.get(1));
        gdxMapSetAt(key, temporary);
    }
    CZunGDX* gdx = getGdxFromMap(key);
    if (!gdx)
        return -1;

    constexpr ZUN::GdxColorMode kModes[] = {ZUN::cModeHighlight, ZUN::cModeRefer, ZUN::cModeAxis, ZUN::cModeBase,
                                            ZUN::cModeAux};
    constexpr const wchar_t* kKeys[] = {L"HIGHLIGHT", L"REFER", L"AXIS", L"BASE", L"AUX"};
    for (int k = 0; k < 5; ++k)
        gdx->ColorTabSet(kModes[k], configuredColor(kKeys[k]));
    gdx->backColorSet(configuredColor(L"BACKGROUND"));

    int colorIndex = 0;
    if (source && source->get(colorIndex, L"COLOR")) {
        bg.setColorIndex(colorIndex);
        CZunString text;
        if (source->get(text, L"RGB"))
            bg.setColor(static_cast<std::uint32_t>(ZUN::atoi(text)));
        if (source->get(text, L"TBL"))
            bg.setNames(text, text);
        gdx->backColorSet(bg);
    }
    return key;
}
