#include "images/zun_image_wall.h"

#include "contracts/data/zun_config.h"

namespace {

constexpr const wchar_t* kEditDir = L"*WALL_EDIT*";

// A handle stores items, not bare values: each option travels in an item
// of its own.
void putOption(ZUN::CDtaFilePointer& opts, const wchar_t* key, const CZunDataItem::Value& value)
{
    CZunDataItem item;
    item.set(value);
    opts.set(key, item);
}

} // namespace

bool zun_wall_edit_image(CZunGDX* gdx, ZUN::CDtaFilePointer* part)
{
    if (!gdx)
        return false;
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> opts =
        ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, nullptr);
    if (!opts)
        return false;

    const CZunArrayTempl<CZunItemKey> shells = part ? part->dir(L"SN") : CZunArrayTempl<CZunItemKey>();
    int active = 0;
    const CZunDataItem* bt = ZUN::cfg_get({kEditDir, L"BT"});
    const bool given = bt && bt->get(active);

    bool draw = given;
    if (!shells.isEmpty() && shells.indexOf(CZunItemKey(active, kRtShort)) < 0) {
        // The command has not picked a shell of this wall (yet): edit the
        // first one rather than show nothing.
        active = static_cast<int>(shells.first().num());
        draw = true;
    }

    CZunString mode, cornerMode;
    CZunVertexArray edited;
    if (const CZunDataItem* item = ZUN::cfg_get({kEditDir, L"MODE"}))
        item->get(mode);
    if (const CZunDataItem* item = ZUN::cfg_get({kEditDir, L"VL"}))
        item->get(edited);
    if (const CZunDataItem* root = part ? part->get() : nullptr)
        root->get(cornerMode, {L"CORNER", L"MODE"});

    putOption(*opts, L"VL", CZunDataItem::Value(edited));
    // One shell is active when shells are edited, also at a corner that
    // joins the walls shell by shell.
    if (mode == L"SHELL" || (mode == L"CORNER" && cornerMode == L"SHELL"))
        putOption(*opts, L"ACT", CZunDataItem::Value(static_cast<long>(active)));
    putOption(*opts, L"COORD", CZunDataItem::Value(1L));

    return draw && zun_gdx_image(L"WALL", gdx, part, opts.get());
}
