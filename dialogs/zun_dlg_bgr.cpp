#include "dialogs/zun_dlg_bgr.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_dta.h"
#include "contracts/data/zun_outline.h"
#include "contracts/data/zun_resbuf.h"

#include <exception>

namespace ZUN {
namespace {

const CZunDataKey kOutlineCatalogue(L"*ZUN_OUTLINE*");
const CZunDataKey kMachiningType({L"*HOLE*", L"BT"});

// What the host's dialog answered.
enum class HostAnswer { Failed, Accepted, Cancelled, Other };

void ensureOutlineCatalogue()
{
    if (cfg_get(kOutlineCatalogue))
        return;
    zunOutlineInit(cfg_dir_make(kOutlineCatalogue));
}

CZunString textOf(const CZunDataItem& item, const wchar_t* key)
{
    CZunString text;
    item.get(text, CZunDataKey(key));
    return text;
}

CZunDataItem textItem(const CZunString& text)
{
    CZunDataItem item;
    item.set(CZunDataItem::Value(text));
    return item;
}

// The machinings of an assembly; one without any starts from an empty set.
CZunDataItem machiningsOf(const CZunDataItem& assembly)
{
    const CZunDataItem* hole = assembly.getItem(CZunDataKey(L"HOLE"));
    return hole ? *hole : CZunDataItem(true);
}

// The entity's data: the assembly with its label, order text and
// machinings ("BT") beside it. Built whole before it replaces the entity's.
void copyToEntity(const CAdsName& entity, const CZunDataItem& assembly)
{
    CUniqPointer<CDtaFilePointer> data = dtaOpen(kDtaEntity, kDtaRead | kDtaWrite, &entity, nullptr, nullptr);
    if (!data)
        return;
    CZunDataItem entityData(assembly);
    entityData.setItem(CZunDataKey(L"LABEL"), textItem(textOf(assembly, L"LABEL")));
    entityData.setItem(CZunDataKey(L"ORDER"), textItem(textOf(assembly, L"ORDER")));
    entityData.setItem(CZunDataKey(L"BT"), machiningsOf(assembly));
    data->set(CZunDataKey(), entityData);
}

void writeMachiningType(const CZunString& bt)
{
    if (CZunDataItem* item = CZunCfgMgr::instance().makeItem(kMachiningType))
        item->set(CZunDataItem::Value(bt));
}

void readMachiningType(CZunString& bt)
{
    CZunString type;
    if (const CZunDataItem* item = cfg_get(kMachiningType); item && item->get(type))
        bt = type;
}

// The assembly from the entity's data, the machinings back under "HOLE".
// Built whole first, so the assembly changes in one step or not at all.
void copyFromEntity(const CAdsName& entity, CZunDataItem& assembly)
{
    CUniqPointer<CDtaFilePointer> data = dtaOpen(kDtaEntity, kDtaRead, &entity, nullptr, nullptr);
    if (!data)
        return;
    CZunDataItem updated(*data->get());
    updated.setItem(CZunDataKey(L"LABEL"), textItem(textOf(updated, L"LABEL")));
    updated.setItem(CZunDataKey(L"ORDER"), textItem(textOf(updated, L"ORDER")));
    if (const CZunDataItem* machinings = updated.getItem(CZunDataKey(L"BT")))
        updated.setItem(CZunDataKey(L"HOLE"), *machinings);
    assembly = updated;
}

bool isIntegerAnswer(const CRbValue& value)
{
    return value.type == kRtShort || value.type == kRtLong || value.type == kRtInt32;
}

HostAnswer runHostDialog()
{
    CZunRbList result;
    if (zunAppPtr()->invokeFunction(kHoleDialogFunction, CZunRbList(), result) != kRtNorm)
        return HostAnswer::Failed;
    if (result.isEmpty() || !isIntegerAnswer(result.get(0)))
        return HostAnswer::Cancelled;
    switch (result.get(0).number) {
    case 1: return HostAnswer::Accepted;
    case 0: return HostAnswer::Cancelled;
    default: return HostAnswer::Other;
    }
}

int bridge(CZunString& bt, CZunDataItem& assembly)
{
    ensureOutlineCatalogue();
    CAdsName entity{};
    const bool picked = zunAppPtr()->entitySelect(entity, L"HOLE", true);
    if (picked) {
        copyToEntity(entity, assembly);
        writeMachiningType(bt);
    }
    switch (runHostDialog()) {
    case HostAnswer::Accepted:
        if (picked)
            copyFromEntity(entity, assembly);
        readMachiningType(bt);
        return 1;
    case HostAnswer::Cancelled: return 2;
    case HostAnswer::Failed:
    case HostAnswer::Other: return 0;
    }
    return 0;
}

} // namespace

int dlgBgr(const DlgEnv_st& /*env*/, CZunString& bt, CZunDataItem* assembly, CZunDataItem* /*other*/)
{
    if (!assembly)
        return 0;
    try {
        return bridge(bt, *assembly);
    } catch (const std::exception&) {
        // A throwing host callback or a failed allocation: the host's view
        // of it is a failed call.
        return 0;
    }
}

} // namespace ZUN
