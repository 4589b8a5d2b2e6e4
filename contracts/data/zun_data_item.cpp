#include "contracts/data/zun_data_item.h"

#include <algorithm>
#include <climits>
#include <cstdarg>

// ---- keys --------------------------------------------------------------------

CZunItemKey::CZunItemKey(const CZunString& text, short type)
    : m_type(type == kRtDxf0 ? kRtDxf0 : kRtStr), m_text(text)
{
}

CZunItemKey::CZunItemKey(int number, short type)
    : m_type(type == kRtLong ? kRtLong : kRtShort), m_num(number)
{
}

CZunString CZunItemKey::toString() const
{
    return isInt() ? CZunString::formatted(L"%ld", m_num) : m_text;
}

bool operator==(const CZunItemKey& a, const CZunItemKey& b)
{
    if (a.isInt() != b.isInt())
        return false;
    return a.isInt() ? a.m_num == b.m_num : a.m_text == b.m_text;
}

bool operator<(const CZunItemKey& a, const CZunItemKey& b)
{
    if (a.isInt() != b.isInt())
        return a.isInt();
    return a.isInt() ? a.m_num < b.m_num : a.m_text < b.m_text;
}

CZunDataKey::CZunDataKey(std::initializer_list<CZunItemKey> parts)
{
    for (const CZunItemKey& p : parts)
        if (p.isInt())
            append(p);
        else
            appendPath(p.text());
}

CZunDataKey CZunDataKey::format(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    const CZunString path = CZunString::formatV(fmt, args);
    va_end(args);
    return CZunDataKey(path);
}

CZunDataKey CZunDataKey::parent() const
{
    CZunDataKey p(*this);
    p.m_parts.removeAt(p.m_parts.len() - 1);
    return p;
}

CZunDataKey& CZunDataKey::append(const CZunItemKey& key)
{
    if (key.isInt() || !key.text().isEmpty())
        m_parts.append(key);
    return *this;
}

CZunDataKey& CZunDataKey::append(const CZunDataKey& key)
{
    for (const CZunItemKey& k : key.m_parts)
        m_parts.append(k);
    return *this;
}

CZunDataKey& CZunDataKey::appendPath(const CZunString& path)
{
    int start = 0;
    while (start <= path.len()) {
        int end = path.find(L'\\', start);
        if (end < 0)
            end = path.len();
        if (end > start)
            m_parts.append(CZunItemKey(path.mid(start, end - start)));
        start = end + 1;
    }
    return *this;
}

CZunString CZunDataKey::toString() const
{
    CZunString out;
    for (int i = 0; i < m_parts.len(); ++i) {
        if (i)
            out += L'\\';
        out += m_parts[i].toString();
    }
    return out;
}

// ---- tree ----------------------------------------------------------------------

CZunDataItem::CZunDataItem(const CZunDataItem& other)
    : CZunObj(other), m_key(other.m_key), m_isDir(other.m_isDir), m_value(other.m_value)
{
    m_children.reserve(other.m_children.size());
    for (const auto& child : other.m_children) {
        auto copy = std::make_unique<CZunDataItem>(*child);
        copy->m_parent = this;
        m_children.push_back(std::move(copy));
    }
}

CZunDataItem::CZunDataItem(CZunDataItem&& other) noexcept
    : CZunObj(other), m_key(std::move(other.m_key)), m_isDir(other.m_isDir), m_value(std::move(other.m_value)),
      m_children(std::move(other.m_children))
{
    for (auto& child : m_children)
        child->m_parent = this;
}

CZunDataItem& CZunDataItem::operator=(const CZunDataItem& other)
{
    if (this == &other)
        return *this;
    // Copy first: other may be one of our own descendants.
    CZunDataItem copy(other);
    m_isDir = copy.m_isDir;
    m_value = std::move(copy.m_value);
    m_children = std::move(copy.m_children);
    for (auto& child : m_children)
        child->m_parent = this;
    return *this;
}

CZunDataItem& CZunDataItem::operator=(CZunDataItem&& other) noexcept
{
    if (this == &other)
        return *this;
    // Take everything out of other first: other may be one of our own
    // descendants, which goes with our old children.
    const bool isDir = other.m_isDir;
    Value value = std::move(other.m_value);
    std::vector<std::unique_ptr<CZunDataItem>> children = std::move(other.m_children);
    m_isDir = isDir;
    m_value = std::move(value);
    m_children = std::move(children);
    for (auto& child : m_children)
        child->m_parent = this;
    return *this;
}

CZunDataItem::~CZunDataItem() = default;

CZunDataItem* CZunDataItem::childAt(int i) const
{
    return i >= 0 && i < childCount() ? m_children[static_cast<size_t>(i)].get() : nullptr;
}

CZunDataItem* CZunDataItem::findChild(const CZunItemKey& key) const
{
    const auto it = std::lower_bound(m_children.begin(), m_children.end(), key,
                                     [](const std::unique_ptr<CZunDataItem>& c, const CZunItemKey& k) { return c->m_key < k; });
    return it != m_children.end() && (*it)->m_key == key ? it->get() : nullptr;
}

CZunDataItem* CZunDataItem::childNamed(std::wstring_view name) const
{
    // Integer keys sort before all text keys, text keys by their text.
    const auto it = std::lower_bound(m_children.begin(), m_children.end(), name,
                                     [](const std::unique_ptr<CZunDataItem>& c, std::wstring_view n) {
                                         return c->m_key.isInt() || c->m_key.text().view() < n;
                                     });
    return it != m_children.end() && (*it)->m_key.isText() && (*it)->m_key.text().view() == name ? it->get()
                                                                                                  : nullptr;
}

CZunDataItem* CZunDataItem::addChild(const CZunItemKey& key, bool directory)
{
    const auto it = std::lower_bound(m_children.begin(), m_children.end(), key,
                                     [](const std::unique_ptr<CZunDataItem>& c, const CZunItemKey& k) { return c->m_key < k; });
    auto child = std::make_unique<CZunDataItem>(directory);
    child->m_key = key;
    child->m_parent = this;
    // A value item that receives a child becomes a directory only when it
    // holds no value; callers check that before.
    m_isDir = true;
    return m_children.insert(it, std::move(child))->get();
}

CZunDataItem* CZunDataItem::getItem(const CZunDataKey& key) const
{
    const CZunDataItem* item = this;
    for (int i = 0; i < key.len() && item; ++i)
        item = item->findChild(key.part(i));
    return const_cast<CZunDataItem*>(item);
}

CZunDataItem* CZunDataItem::mkDir(const CZunDataKey& key)
{
    CZunDataItem* item = this;
    for (int i = 0; i < key.len(); ++i) {
        if (!item->m_isDir && item->kind() != ZunValueKind::None)
            return nullptr;
        CZunDataItem* child = item->findChild(key.part(i));
        item = child ? child : item->addChild(key.part(i), true);
    }
    if (!item->m_isDir) {
        if (item->kind() != ZunValueKind::None)
            return nullptr;
        item->m_isDir = true;
    }
    return item;
}

CZunDataItem* CZunDataItem::mkItem(const CZunDataKey& key)
{
    if (key.isNull())
        return this;
    CZunDataItem* dir = mkDir(key.parent());
    if (!dir)
        return nullptr;
    CZunDataItem* child = dir->findChild(key.last());
    return child ? child : dir->addChild(key.last(), false);
}

CZunDataItem* CZunDataItem::setItem(const CZunDataKey& key, const CZunDataItem& item)
{
    // Copy before touching the tree: item may live below the place it goes to.
    CZunDataItem copy(item);
    CZunDataItem* target = key.isNull() ? this : mkItem(key);
    if (!target)
        return nullptr;
    *target = std::move(copy);
    return target;
}

CZunDataItem* CZunDataItem::setChild(const CZunItemKey& key, const CZunDataItem& item)
{
    // An empty text is no step at all: it names no child.
    if ((!m_isDir && kind() != ZunValueKind::None) || (key.isText() && key.text().isEmpty()))
        return nullptr;
    const auto it = std::lower_bound(m_children.begin(), m_children.end(), key,
                                     [](const std::unique_ptr<CZunDataItem>& c, const CZunItemKey& k) { return c->m_key < k; });
    if (it != m_children.end() && (*it)->m_key == key) {
        **it = CZunDataItem(item);  // copied first: item may live below the child it replaces
        return it->get();
    }
    // The copy goes in as the child itself, without an empty child made first.
    auto child = std::make_unique<CZunDataItem>(item);
    if (child->m_key != key || child->m_key.type() != key.type())
        child->m_key = key;
    child->m_parent = this;
    m_isDir = true;
    return m_children.insert(it, std::move(child))->get();
}

bool CZunDataItem::remove(const CZunDataKey& key)
{
    if (key.isNull())
        return false;
    CZunDataItem* dir = getItem(key.parent());
    if (!dir)
        return false;
    const auto it = std::find_if(dir->m_children.begin(), dir->m_children.end(),
                                 [&](const std::unique_ptr<CZunDataItem>& c) { return c->m_key == key.last(); });
    if (it == dir->m_children.end())
        return false;
    dir->m_children.erase(it);
    return true;
}

void CZunDataItem::clear()
{
    m_children.clear();
    m_value = std::monostate();
}

CZunArrayTempl<CZunItemKey> CZunDataItem::getDir(const CZunDataKey& key) const
{
    CZunArrayTempl<CZunItemKey> keys;
    if (const CZunDataItem* dir = getItem(key)) {
        keys.reserve(dir->childCount());
        for (const auto& child : dir->m_children)
            keys.append(child->m_key);
    }
    return keys;
}

bool CZunDataItem::set(const Value& value, const CZunDataKey& key)
{
    CZunDataItem* item = mkItem(key);
    if (!item || (item->m_isDir && !item->m_children.empty()))
        return false;
    item->m_isDir = false;
    item->m_value = value;
    return true;
}

const CZunDataItem::Value* CZunDataItem::valueAt(const CZunDataKey& key) const
{
    const CZunDataItem* item = getItem(key);
    return item ? &item->m_value : nullptr;
}

// ---- typed reads -------------------------------------------------------------------
// Each reader takes the stored kinds that say the same thing without loss
// of meaning (an integer read as a real, one contour read as a contour set).

namespace {

template <class T>
bool takeExact(const CZunDataItem::Value* v, T& out)
{
    if (const T* p = v ? std::get_if<T>(v) : nullptr) {
        out = *p;
        return true;
    }
    return false;
}

bool integerOf(const CZunDataItem::Value* v, long& out)
{
    if (!v)
        return false;
    if (const short* s = std::get_if<short>(v)) {
        out = *s;
        return true;
    }
    if (const long* l = std::get_if<long>(v)) {
        out = *l;
        return true;
    }
    return false;
}

} // namespace

bool CZunDataItem::get(CZunString& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }

bool CZunDataItem::get(long& value, const CZunDataKey& key) const { return integerOf(valueAt(key), value); }

bool CZunDataItem::get(int& value, const CZunDataKey& key) const
{
    long n = 0;
    if (!integerOf(valueAt(key), n) || n < INT_MIN || n > INT_MAX)
        return false;
    value = static_cast<int>(n);
    return true;
}

bool CZunDataItem::get(short& value, const CZunDataKey& key) const
{
    long n = 0;
    if (!integerOf(valueAt(key), n) || n < SHRT_MIN || n > SHRT_MAX)
        return false;
    value = static_cast<short>(n);
    return true;
}

bool CZunDataItem::get(double& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    long n = 0;
    if (integerOf(v, n)) {
        value = static_cast<double>(n);
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(bool& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    long n = 0;
    if (integerOf(v, n)) {
        value = n != 0;
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(CZunPoint3d& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }
bool CZunDataItem::get(CZunVertexArray& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }
bool CZunDataItem::get(CZunArrayTempl<int>& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }
bool CZunDataItem::get(CZunArrayTempl<CZunString>& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }
bool CZunDataItem::get(CZunPoint3dArray& value, const CZunDataKey& key) const { return takeExact(valueAt(key), value); }
bool CZunDataItem::get(CZunColor& value, const CZunDataKey& key) const
{
    // A bare integer is a colour index: that is how configurations keep colours.
    const Value* v = valueAt(key);
    long index = 0;
    if (integerOf(v, index)) {
        value = CZunColor(static_cast<int>(index));
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(CZunArrayTempl<double>& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    if (const auto* ints = v ? std::get_if<CZunArrayTempl<int>>(v) : nullptr) {
        CZunArrayTempl<double> reals;
        reals.reserve(ints->len());
        for (int n : *ints)
            reals.append(n);
        value = std::move(reals);
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(CZunMatrix3d& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    // Sixteen reals, row by row, are a matrix too: that is how the host hands them over.
    if (const auto* reals = v ? std::get_if<CZunArrayTempl<double>>(v) : nullptr) {
        if (reals->len() != 16)
            return false;
        for (int i = 0; i < 16; ++i)
            value.m[i / 4][i % 4] = reals->get(i);
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(CZunContourSet& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    if (const auto* vl = v ? std::get_if<CZunVertexArray>(v) : nullptr) {
        value = CZunContourSet{*vl};
        return true;
    }
    return takeExact(v, value);
}

bool CZunDataItem::get(CZunRegionList& value, const CZunDataKey& key) const
{
    const Value* v = valueAt(key);
    if (const auto* set = v ? std::get_if<CZunContourSet>(v) : nullptr) {
        value = CZunRegionList{*set};
        return true;
    }
    return takeExact(v, value);
}

// ---- iteration -----------------------------------------------------------------------

namespace ZUN {

CZunDataItem* CDataIterator::next()
{
    if (!m_dir)
        return nullptr;
    // When the child returned last was removed, the next one moved into its place.
    if (m_last && m_next > 0 && m_dir->childAt(m_next - 1) != m_last)
        --m_next;
    m_last = m_dir->childAt(m_next);
    if (m_last)
        ++m_next;
    return m_last;
}

} // namespace ZUN
