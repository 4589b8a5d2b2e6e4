#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"
#include "contracts/base/zun_vertex.h"
#include "contracts/data/zun_color.h"

#include <initializer_list>
#include <memory>
#include <string_view>
#include <variant>
#include <vector>

// Type codes of the host's typed lists. Item keys use three of them (text,
// short and long integers) and accept 5020 as a text-like key.
enum ZunRtType : short {
    kRtNone = 5000,
    kRtReal = 5001,
    kRtPoint = 5002,
    kRtShort = 5003,
    kRtAngle = 5004,
    kRtStr = 5005,
    kRtEname = 5006,
    kRtPickSet = 5007,
    kRtOrient = 5008,
    kRt3dPoint = 5009,
    kRtLong = 5010,
    kRtVoid = 5014,
    kRtListBegin = 5016,
    kRtListEnd = 5017,
    kRtDotEnd = 5018,
    kRtNil = 5019,
    kRtDxf0 = 5020,
    kRtT = 5021,
    kRtNorm = 5100,   // a host call's "success"
    kRtError = -5001,
};

// Contours: contour 0 the outer boundary, the others holes.
using CZunContourSet = CZunArrayTempl<CZunVertexArray>;
// A list of contour sets (the glyphs of a text, the sections of a bar).
using CZunRegionList = CZunArrayTempl<CZunContourSet>;

// One step of a path: a text key or an integer key. Integer keys compare by
// value whatever their width (a short 5 and a long 5 are the same key);
// 5005 and 5020 text keys compare by text. All integer keys sort before
// all text keys.
class CZunItemKey : public CZunObj {
public:
    CZunItemKey() = default;
    CZunItemKey(const wchar_t* text) : m_text(text) {}
    CZunItemKey(const CZunString& text, short type = kRtStr);
    CZunItemKey(int number, short type = kRtShort);

    short type() const { return m_type; }
    bool isInt() const { return m_type == kRtShort || m_type == kRtLong; }
    bool isText() const { return !isInt(); }
    const CZunString& text() const { return m_text; }
    long num() const { return m_num; }
    // Text form: the text, or the number in decimal.
    CZunString toString() const;

    friend bool operator==(const CZunItemKey& a, const CZunItemKey& b);
    friend bool operator!=(const CZunItemKey& a, const CZunItemKey& b) { return !(a == b); }
    friend bool operator<(const CZunItemKey& a, const CZunItemKey& b);

private:
    short m_type = kRtStr;
    CZunString m_text;
    long m_num = 0;
};

// A key or a path of keys. From text, "\" separates the steps and empty
// steps are skipped, so ("", "DRAW") and "DRAW" name the same item and the
// null key (no steps) names the item itself.
class CZunDataKey : public CZunObj {
public:
    CZunDataKey() = default;
    CZunDataKey(const wchar_t* path) { appendPath(path); }
    CZunDataKey(const CZunString& path) { appendPath(path); }
    CZunDataKey(const CZunItemKey& key) { append(key); }
    CZunDataKey(int number, short type = kRtShort) { append(CZunItemKey(number, type)); }
    // Several components, each a path or an integer key: {L"PICK", L"P1"}.
    CZunDataKey(std::initializer_list<CZunItemKey> parts);

    // A path from a printf form: CZunDataKey::format(L"PARM%d", i).
    static CZunDataKey format(const wchar_t* fmt, ...);

    bool isNull() const { return m_parts.isEmpty(); }
    int len() const { return m_parts.len(); }
    const CZunItemKey& part(int i) const { return m_parts.get(i); }
    const CZunItemKey& last() const { return m_parts.get(-1); }
    CZunDataKey parent() const;
    CZunDataKey& append(const CZunItemKey& key);
    CZunDataKey& append(const CZunDataKey& key);
    CZunDataKey& appendPath(const CZunString& path);
    // The steps joined by "\".
    CZunString toString() const;

    friend bool operator==(const CZunDataKey& a, const CZunDataKey& b) { return a.m_parts == b.m_parts; }

private:
    CZunArrayTempl<CZunItemKey> m_parts;
};

enum class ZunValueKind {
    None,
    Text,
    Short,
    Long,
    Real,
    Bool,
    Point,
    VertexArray,
    IntArray,
    RealArray,
    TextArray,
    PointArray,
    Matrix,
    Color,
    ContourSet,
    RegionList,
};

namespace ZUN {
struct resbuf;
}

// A node of the data tree: either a directory of children, sorted by key, or
// an item holding one typed value. Reading is forgiving and typed: get()
// returns false and leaves the caller's value untouched when the key is
// missing or the stored type does not fit; writing creates the path.
class CZunDataItem : public CZunObj {
public:
    using Value = std::variant<std::monostate, CZunString, short, long, double, bool, CZunPoint3d, CZunVertexArray,
                               CZunArrayTempl<int>, CZunArrayTempl<double>, CZunArrayTempl<CZunString>,
                               CZunPoint3dArray, CZunMatrix3d, CZunColor, CZunContourSet, CZunRegionList>;

    CZunDataItem() = default;
    explicit CZunDataItem(bool directory) : m_isDir(directory) {}
    // A deep copy, without a parent.
    CZunDataItem(const CZunDataItem& other);
    // Copies value, directory flag and children; the key and the place in
    // the tree stay.
    CZunDataItem& operator=(const CZunDataItem& other);
    // Takes the content; the new item has no parent.
    CZunDataItem(CZunDataItem&& other) noexcept;
    // Takes value, directory flag and children; the key and the place in
    // the tree stay, as with the copy.
    CZunDataItem& operator=(CZunDataItem&& other) noexcept;
    ~CZunDataItem();

    const CZunItemKey& getKey() const { return m_key; }
    CZunDataItem* parent() const { return m_parent; }
    bool isDir() const { return m_isDir; }
    ZunValueKind kind() const { return static_cast<ZunValueKind>(m_value.index()); }
    const Value& value() const { return m_value; }

    // Children in key order.
    int childCount() const { return static_cast<int>(m_children.size()); }
    CZunDataItem* childAt(int i) const;

    // The item at key (this item for the null key), or null.
    CZunDataItem* getItem(const CZunDataKey& key) const;
    // The child with key key, or null: one step, never a path, so a text
    // holding a backslash names one child. Lookups of many keys in a large
    // directory use these, which build no path.
    CZunDataItem* childByKey(const CZunItemKey& key) const { return findChild(key); }
    // The child whose text key (of either text type) is name, or null.
    CZunDataItem* childNamed(std::wstring_view name) const;
    // The directory at key, made with its path when missing. Null when a
    // value item stands in the way: nothing held is overwritten.
    CZunDataItem* mkDir(const CZunDataKey& key);
    // The value item at key, made with its path when missing; an existing
    // item (value or directory) is returned as it is.
    CZunDataItem* mkItem(const CZunDataKey& key);
    // A copy of item stored at key, replacing what was there.
    CZunDataItem* setItem(const CZunDataKey& key, const CZunDataItem& item);
    // The same one step down: a copy of item as the child key. Null when
    // this item holds a value or key is an empty text.
    CZunDataItem* setChild(const CZunItemKey& key, const CZunDataItem& item);
    bool remove(const CZunDataKey& key);
    // Drops the value and all children; the directory flag stays.
    void clear();

    // Keys of the children of the directory at key, in key order.
    CZunArrayTempl<CZunItemKey> getDir(const CZunDataKey& key = CZunDataKey()) const;

    bool get(CZunString& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(int& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(short& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(long& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(double& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(bool& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunPoint3d& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunVertexArray& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunArrayTempl<int>& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunArrayTempl<double>& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunArrayTempl<CZunString>& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunPoint3dArray& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunMatrix3d& value, const CZunDataKey& key = CZunDataKey()) const;
    // A colour value, or an integer read as a colour index.
    bool get(CZunColor& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunContourSet& value, const CZunDataKey& key = CZunDataKey()) const;
    bool get(CZunRegionList& value, const CZunDataKey& key = CZunDataKey()) const;

    // Stores value at key (this item for the null key), making the path.
    // False when a directory stands at key.
    bool set(const Value& value, const CZunDataKey& key = CZunDataKey());
    bool set(const wchar_t* text, const CZunDataKey& key = CZunDataKey()) { return set(Value(CZunString(text)), key); }
    bool set(int number, const CZunDataKey& key = CZunDataKey()) { return set(Value(static_cast<long>(number)), key); }
    bool set(bool flag, const CZunDataKey& key = CZunDataKey()) { return set(Value(flag), key); }
    bool set(double number, const CZunDataKey& key = CZunDataKey()) { return set(Value(number), key); }
    bool setShort(int number, const CZunDataKey& key = CZunDataKey()) { return set(Value(static_cast<short>(number)), key); }

    // Replaces the content by the host list (see zun_resbuf.h).
    bool setData(const ZUN::resbuf* list);

    // Children in key order: for (CZunDataItem* c : item.children()).
    const std::vector<std::unique_ptr<CZunDataItem>>& childList() const { return m_children; }

private:
    friend class CZunDataItemAccess;
    CZunDataItem* findChild(const CZunItemKey& key) const;
    CZunDataItem* addChild(const CZunItemKey& key, bool directory);
    const Value* valueAt(const CZunDataKey& key) const;

    CZunItemKey m_key;
    CZunDataItem* m_parent = nullptr;
    bool m_isDir = false;
    Value m_value;
    std::vector<std::unique_ptr<CZunDataItem>> m_children;  // sorted by key
};

namespace ZUN {

// Walks the children of an item in key order. Removing the child just
// returned is safe; other changes to the directory restart nothing and may
// skip or repeat children.
class CDataIterator {
public:
    explicit CDataIterator(const CZunDataItem* dir) : m_dir(dir) {}
    // The next child, or null at the end.
    CZunDataItem* next();
    void reset() { m_next = 0; m_last = nullptr; }

private:
    const CZunDataItem* m_dir;
    int m_next = 0;
    CZunDataItem* m_last = nullptr;
};

// Colours, matrices and region lists read and written by item and key.
template <class T>
bool dataItemGet(const CZunDataItem* item, const CZunDataKey& key, T& value)
{
    return item && item->get(value, key);
}
template <class T>
bool dataItemGet(const CZunDataItem* item, T& value)
{
    return item && item->get(value);
}
template <class T>
bool dataItemSet(CZunDataItem* item, const CZunDataKey& key, const T& value)
{
    return item && item->set(CZunDataItem::Value(value), key);
}

} // namespace ZUN
