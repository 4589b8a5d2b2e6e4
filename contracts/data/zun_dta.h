#pragma once

#include "contracts/base/zun_util.h"
#include "contracts/data/zun_drawing.h"

namespace ZUN {

// Data types of dtaOpen.
enum ZunDtaType {
    kDtaEntity = 3,  // the data of a part of the open drawing, picked by entity name
    kDtaMemory = 6,  // a data handle in memory: on a given item, or on a fresh one
};

// Open flags.
enum ZunDtaFlags {
    kDtaRead = 1,
    kDtaWrite = 2,
};

// An opened part: the root of its data, its local object, and typed access
// below them. It never owns a part of the drawing; a memory handle without
// an item owns its fresh root.
class CDtaFilePointer {
public:
    // The item at key below the root (the root for the null key); with
    // create, missing items on the way are made (only when writable).
    CZunDataItem* get(const CZunDataKey& key = CZunDataKey(), bool create = false);
    // Stores a copy of item at key; false when read-only or blocked.
    bool set(const CZunDataKey& key, const CZunDataItem& item);
    // The local object (or the item at key in it).
    CZunDataItem* lobjGet(const CZunDataKey& key = CZunDataKey(), bool create = false);
    // Keys of the directory at key.
    CZunArrayTempl<CZunItemKey> dir(const CZunDataKey& key = CZunDataKey()) const;

    bool isWritable() const { return (m_flags & kDtaWrite) != 0; }
    // The part this handle opened, or null for a memory handle.
    CZunPart* part() const { return m_part; }

private:
    friend CUniqPointer<CDtaFilePointer> dtaOpen(int, int, const CAdsName*, const CZunDataKey*, CZunDataItem*);
    CDtaFilePointer() = default;

    int m_flags = 0;
    CZunPart* m_part = nullptr;
    CZunDataItem* m_root = nullptr;
    CZunDataItem* m_lobj = nullptr;
    std::unique_ptr<CZunDataItem> m_ownRoot;
    std::unique_ptr<CZunDataItem> m_ownLobj;
};

// Opens data. kDtaEntity: the part named by entity of the current drawing
// (null when there is none); key, when given, moves the root to that item.
// kDtaMemory: a handle on item, or on a fresh directory when item is null.
// Any other type gives null.
CUniqPointer<CDtaFilePointer> dtaOpen(int type, int flags, const CAdsName* entity, const CZunDataKey* key,
                                      CZunDataItem* item);

} // namespace ZUN
