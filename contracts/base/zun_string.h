#pragma once

#include "contracts/base/zun_obj.h"

#include <concepts>
#include <cstdarg>
#include <iosfwd>
#include <string>
#include <string_view>

// Wide text. Every text of the module is wide; conversion to UTF-8 (files)
// and to QString (widgets) happens only at those boundaries.
class CZunString : public CZunObj {
public:
    CZunString() = default;
    CZunString(const wchar_t* text);  // null reads as empty
    CZunString(const wchar_t* text, int count);
    CZunString(std::wstring text) : m_text(std::move(text)) {}
    CZunString(std::wstring_view text) : m_text(text) {}
    CZunString(wchar_t c, int count);

    static CZunString fromUtf8(std::string_view utf8);
    std::string toUtf8() const;

    int len() const { return static_cast<int>(m_text.size()); }
    bool isEmpty() const { return m_text.empty(); }
    void empty() { m_text.clear(); }

    operator const wchar_t*() const { return m_text.c_str(); }
    const wchar_t* c_str() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }
    std::wstring_view view() const { return m_text; }

    // A negative index counts from the end (-1 is the last character);
    // an index outside the text reads as 0.
    wchar_t at(int i) const;
    template <std::integral I>
    wchar_t operator[](I i) const { return at(static_cast<int>(i)); }
    // Same index rule as reading; returns false and changes nothing outside.
    bool setAt(int i, wchar_t c);

    // count < 0 takes the rest. Out-of-range parts are clipped, never an error.
    CZunString mid(int first, int count = -1) const;
    CZunString left(int count) const { return mid(0, count); }
    CZunString right(int count) const;

    int find(const CZunString& sub, int start = 0) const;  // -1 when absent
    int find(wchar_t c, int start = 0) const;
    int reverseFind(wchar_t c) const;
    // Replaces every occurrence; returns how many were replaced.
    int replace(const CZunString& from, const CZunString& to);
    int replace(wchar_t from, wchar_t to);

    CZunString& makeUpper();
    CZunString& makeLower();
    CZunString& trim();

    // printf-style formatting. As every text here is wide, %s and %c take
    // wide arguments (wchar_t* and wchar_t); %hs and %hc take narrow ones.
    CZunString& format(const wchar_t* fmt, ...);
    static CZunString formatted(const wchar_t* fmt, ...);
    static CZunString formatV(const wchar_t* fmt, va_list args);

    // Direct write access for C-style fillers: GetBuffer makes room for at
    // least minLen characters; ReleaseBuffer fixes the length (-1: up to the
    // first NUL).
    wchar_t* GetBuffer(int minLen);
    void ReleaseBuffer(int newLen = -1);

    CZunString& operator+=(const CZunString& other) { m_text += other.m_text; return *this; }
    CZunString& operator+=(const wchar_t* other) { if (other) m_text += other; return *this; }
    CZunString& operator+=(wchar_t c) { m_text += c; return *this; }

    friend CZunString operator+(const CZunString& a, const CZunString& b) { return CZunString(a.m_text + b.m_text); }
    friend CZunString operator+(const CZunString& a, const wchar_t* b) { CZunString r(a); r += b; return r; }
    friend CZunString operator+(const wchar_t* a, const CZunString& b) { CZunString r(a); r += b; return r; }
    friend CZunString operator+(const CZunString& a, wchar_t c) { CZunString r(a); r += c; return r; }

    friend bool operator==(const CZunString& a, const CZunString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CZunString& a, const wchar_t* b) { return a.m_text == (b ? b : L""); }
    friend bool operator==(const wchar_t* a, const CZunString& b) { return b == a; }
    friend bool operator!=(const CZunString& a, const CZunString& b) { return !(a == b); }
    friend bool operator!=(const CZunString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator!=(const wchar_t* a, const CZunString& b) { return !(b == a); }
    friend bool operator<(const CZunString& a, const CZunString& b) { return a.m_text < b.m_text; }
    friend bool operator<(const CZunString& a, const wchar_t* b) { return a.m_text < (b ? b : L""); }
    friend bool operator>(const CZunString& a, const CZunString& b) { return b < a; }
    friend bool operator>(const CZunString& a, const wchar_t* b) { return a.m_text > (b ? b : L""); }
    friend bool operator<=(const CZunString& a, const CZunString& b) { return !(b < a); }
    friend bool operator>=(const CZunString& a, const CZunString& b) { return !(a < b); }

private:
    std::wstring m_text;
};

// Writes the text as UTF-8 (diagnostics, test output).
std::ostream& operator<<(std::ostream& out, const CZunString& text);
