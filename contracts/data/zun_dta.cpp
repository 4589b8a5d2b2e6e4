#include "contracts/data/zun_dta.h"

namespace ZUN {

CZunDataItem* CDtaFilePointer::get(const CZunDataKey& key, bool create)
{
    if (!m_root)
        return nullptr;
    if (CZunDataItem* item = m_root->getItem(key))
        return item;
    return create && isWritable() ? m_root->mkItem(key) : nullptr;
}

bool CDtaFilePointer::set(const CZunDataKey& key, const CZunDataItem& item)
{
    return m_root && isWritable() && m_root->setItem(key, item) != nullptr;
}

CZunDataItem* CDtaFilePointer::lobjGet(const CZunDataKey& key, bool create)
{
    if (!m_lobj)
        return nullptr;
    if (CZunDataItem* item = m_lobj->getItem(key))
        return item;
    return create && isWritable() ? m_lobj->mkItem(key) : nullptr;
}

CZunArrayTempl<CZunItemKey> CDtaFilePointer::dir(const CZunDataKey& key) const
{
    return m_root ? m_root->getDir(key) : CZunArrayTempl<CZunItemKey>();
}

CUniqPointer<CDtaFilePointer> dtaOpen(int type, int flags, const CAdsName* entity, const CZunDataKey* key,
                                      CZunDataItem* item)
{
    CUniqPointer<CDtaFilePointer> handle(new CDtaFilePointer());
    handle->m_flags = flags;
    if (type == kDtaEntity) {
        CZunPart* part = entity ? drawingCurrent().partByName(*entity) : nullptr;
        if (!part)
            return {};
        handle->m_part = part;
        handle->m_root = &part->data;
        handle->m_lobj = &part->lobj;
    } else if (type == kDtaMemory) {
        if (item) {
            handle->m_root = item;
        } else {
            handle->m_ownRoot = std::make_unique<CZunDataItem>(true);
            handle->m_root = handle->m_ownRoot.get();
        }
        handle->m_ownLobj = std::make_unique<CZunDataItem>(true);
        handle->m_lobj = handle->m_ownLobj.get();
    } else {
        return {};
    }
    if (key && !key->isNull()) {
        CZunDataItem* sub = (flags & kDtaWrite) ? handle->m_root->mkDir(*key) : handle->m_root->getItem(*key);
        if (!sub)
            return {};
        handle->m_root = sub;
    }
    return handle;
}

} // namespace ZUN
