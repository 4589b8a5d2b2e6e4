#pragma once

#include "contracts/base/zun_obj.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

// Array with the index rules every caller of the module relies on:
//  - reading (const) past the end gives a shared default element;
//  - a negative index counts from the end, except that with fewer than two
//    elements every negative index means 0;
//  - the non-const operator[] grows the array with default elements so that
//    the index exists. Use get() to read a non-const array without growing it.
template <class T>
class CZunArrayTempl : public CZunObj {
public:
    using value_type = T;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    CZunArrayTempl() = default;
    CZunArrayTempl(std::initializer_list<T> items) : m_items(items) {}
    explicit CZunArrayTempl(std::vector<T> items) : m_items(std::move(items)) {}

    int len() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }

    // The index an operator[] would address, or -1 when none exists yet.
    int resolve(int i) const
    {
        if (i < 0)
            i = len() < 2 ? 0 : len() + i;
        return i >= 0 && i < len() ? i : -1;
    }

    const T& get(int i) const
    {
        const int k = resolve(i);
        return k < 0 ? defaultElement() : m_items[static_cast<size_t>(k)];
    }
    const T& operator[](int i) const { return get(i); }
    T& operator[](int i)
    {
        if (i < 0)
            i = std::max(0, len() < 2 ? 0 : len() + i);
        if (i >= len())
            m_items.resize(static_cast<size_t>(i) + 1);
        return m_items[static_cast<size_t>(i)];
    }

    // The element every out-of-range read returns. It is shared, hence const.
    static const T& defaultElement()
    {
        static const T element{};
        return element;
    }

    void append(const T& item) { m_items.push_back(item); }
    void append(T&& item) { m_items.push_back(std::move(item)); }
    void appendArray(const CZunArrayTempl& other) { m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end()); }
    CZunArrayTempl& operator+=(const T& item) { append(item); return *this; }
    CZunArrayTempl& operator+=(const CZunArrayTempl& other) { appendArray(other); return *this; }

    // Inserts before index i (clipped to [0, len]).
    void insertAt(int i, const T& item) { m_items.insert(m_items.begin() + std::clamp(i, 0, len()), item); }
    // Removes count elements from i on; false when i is out of range.
    bool removeAt(int i, int count = 1)
    {
        if (i < 0 || i >= len() || count <= 0)
            return false;
        count = std::min(count, len() - i);
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
        return true;
    }
    void setLen(int n) { m_items.resize(static_cast<size_t>(std::max(0, n))); }
    void clear() { m_items.clear(); }
    void reserve(int n) { m_items.reserve(static_cast<size_t>(std::max(0, n))); }

    void revert() { std::reverse(m_items.begin(), m_items.end()); }

    // Stable, so that equal elements keep their order: callers sort display
    // items into groups and rely on the order within a group.
    void sort() { std::stable_sort(m_items.begin(), m_items.end()); }
    template <class Less>
    void sort(Less less) { std::stable_sort(m_items.begin(), m_items.end(), less); }

    int indexOf(const T& item, int start = 0) const
    {
        for (int i = std::max(0, start); i < len(); ++i)
            if (m_items[static_cast<size_t>(i)] == item)
                return i;
        return -1;
    }
    template <class Pred>
    int indexIf(Pred pred, int start = 0) const
    {
        for (int i = std::max(0, start); i < len(); ++i)
            if (pred(m_items[static_cast<size_t>(i)]))
                return i;
        return -1;
    }

    T& first() { return (*this)[0]; }
    const T& first() const { return get(0); }
    T& last() { return (*this)[-1]; }
    const T& last() const { return get(-1); }

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    T* data() { return m_items.data(); }
    const T* data() const { return m_items.data(); }
    std::vector<T>& vector() { return m_items; }
    const std::vector<T>& vector() const { return m_items; }

    friend bool operator==(const CZunArrayTempl& a, const CZunArrayTempl& b) { return a.m_items == b.m_items; }
    friend bool operator!=(const CZunArrayTempl& a, const CZunArrayTempl& b) { return !(a == b); }

private:
    std::vector<T> m_items;
};
