#pragma once

#include "contracts/base/zun_obj.h"

#include <algorithm>
#include <utility>
#include <vector>

// Map kept sorted by key in one contiguous array: lookups are binary
// searches, iteration runs in key order. Inserting is linear, which suits
// the module's maps (registries, catalogues) that are read far more often
// than they change.
template <class K, class V>
class CZunMapTempl : public CZunObj {
public:
    using entry_type = std::pair<K, V>;
    using const_iterator = typename std::vector<entry_type>::const_iterator;

    int len() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }

    // Position of key, or -1.
    int indexOf(const K& key) const
    {
        const auto it = lowerBound(key);
        return it != m_entries.end() && !(key < it->first) ? static_cast<int>(it - m_entries.begin()) : -1;
    }
    bool contains(const K& key) const { return indexOf(key) >= 0; }

    bool lookup(const K& key, V& value) const
    {
        const V* found = find(key);
        if (found)
            value = *found;
        return found != nullptr;
    }
    const V* find(const K& key) const
    {
        const int i = indexOf(key);
        return i < 0 ? nullptr : &m_entries[static_cast<size_t>(i)].second;
    }
    V* find(const K& key)
    {
        const int i = indexOf(key);
        return i < 0 ? nullptr : &m_entries[static_cast<size_t>(i)].second;
    }

    // The value of key, inserted as a default value when missing.
    V& operator[](const K& key)
    {
        auto it = lowerBound(key);
        if (it == m_entries.end() || key < it->first)
            it = m_entries.insert(it, entry_type(key, V{}));
        return it->second;
    }
    void setAt(const K& key, V value) { (*this)[key] = std::move(value); }

    bool removeKey(const K& key)
    {
        const int i = indexOf(key);
        if (i < 0)
            return false;
        m_entries.erase(m_entries.begin() + i);
        return true;
    }
    void clear() { m_entries.clear(); }

    // Entries in key order, by position. Keys are read-only: changing one
    // would break the order.
    const K& keyAt(int i) const { return m_entries.at(static_cast<size_t>(i)).first; }
    const V& valueAt(int i) const { return m_entries.at(static_cast<size_t>(i)).second; }
    V& valueAt(int i) { return m_entries.at(static_cast<size_t>(i)).second; }

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

private:
    typename std::vector<entry_type>::const_iterator lowerBound(const K& key) const
    {
        return std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                [](const entry_type& e, const K& k) { return e.first < k; });
    }
    typename std::vector<entry_type>::iterator lowerBound(const K& key)
    {
        return std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                [](const entry_type& e, const K& k) { return e.first < k; });
    }

    std::vector<entry_type> m_entries;
};
