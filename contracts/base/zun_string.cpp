#include "contracts/base/zun_string.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <locale.h>
#include <ostream>
#include <wctype.h>
#include <vector>

namespace {

// glibc's wide printf reads %s as a narrow string; our callers mean wide text.
// Rewrite plain %s/%c to %ls/%lc and %hs/%hc to the narrow forms.
std::wstring widenConversions(const wchar_t* fmt)
{
    std::wstring out;
    for (const wchar_t* p = fmt; *p; ++p) {
        out += *p;
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%') { out += *p; continue; }
        std::wstring spec;
        while (*p && std::wcschr(L"-+ #0123456789.*'", *p))
            spec += *p++;
        std::wstring length;
        while (*p && std::wcschr(L"hlLqjzt", *p))
            length += *p++;
        if (!*p) { out += spec + length; break; }
        if ((*p == L's' || *p == L'c') && length.empty())
            length = L"l";
        else if ((*p == L's' || *p == L'c') && length == L"h")
            length.clear();
        out += spec + length;
        out += *p;
    }
    return out;
}

std::wstring vformat(const wchar_t* fmt, va_list args)
{
    if (!fmt)
        return {};
    const std::wstring wide = widenConversions(fmt);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), wide.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size())
            return std::wstring(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() > (1u << 24))  // a malformed format, not a long text
            return {};
        buffer.resize(buffer.size() * 4);
    }
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Case mapping must not depend on the process locale, which a host may
// leave at "C" (where towupper knows no umlauts): use a UTF-8 locale of our own.
locale_t caseLocale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!l)
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

wchar_t toUpper(wchar_t c)
{
    const locale_t loc = caseLocale();
    return static_cast<wchar_t>(loc ? towupper_l(static_cast<wint_t>(c), loc) : std::towupper(static_cast<wint_t>(c)));
}

wchar_t toLower(wchar_t c)
{
    const locale_t loc = caseLocale();
    return static_cast<wchar_t>(loc ? towlower_l(static_cast<wint_t>(c), loc) : std::towlower(static_cast<wint_t>(c)));
}

} // namespace

CZunString::CZunString(const wchar_t* text)
{
    if (text)
        m_text = text;
}

CZunString::CZunString(const wchar_t* text, int count)
{
    if (text && count > 0)
        m_text.assign(text, static_cast<size_t>(count));
}

CZunString::CZunString(wchar_t c, int count)
{
    if (count > 0)
        m_text.assign(static_cast<size_t>(count), c);
}

CZunString CZunString::fromUtf8(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < utf8.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            ok = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        // A character written longer than it needs ("\xC0\x8D" for a carriage
        // return), a surrogate or a code above U+10FFFF is no character: it
        // would smuggle control characters past checks on the bytes and come
        // out differently when written back.
        constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return CZunString(std::move(out));
}

std::string CZunString::toUtf8() const
{
    std::string out;
    out.reserve(m_text.size());
    for (wchar_t c : m_text)
        appendUtf8(out, static_cast<char32_t>(c));
    return out;
}

wchar_t CZunString::at(int i) const
{
    if (i < 0)
        i += len();
    if (i < 0 || i >= len())
        return 0;
    return m_text[static_cast<size_t>(i)];
}

bool CZunString::setAt(int i, wchar_t c)
{
    if (i < 0)
        i += len();
    if (i < 0 || i >= len())
        return false;
    m_text[static_cast<size_t>(i)] = c;
    return true;
}

CZunString CZunString::mid(int first, int count) const
{
    first = std::clamp(first, 0, len());
    const int rest = len() - first;
    if (count < 0 || count > rest)
        count = rest;
    return CZunString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CZunString CZunString::right(int count) const
{
    count = std::clamp(count, 0, len());
    return mid(len() - count);
}

int CZunString::find(const CZunString& sub, int start) const
{
    if (start < 0 || start > len())
        return -1;
    const size_t pos = m_text.find(sub.m_text, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CZunString::find(wchar_t c, int start) const
{
    if (start < 0 || start > len())
        return -1;
    const size_t pos = m_text.find(c, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CZunString::reverseFind(wchar_t c) const
{
    const size_t pos = m_text.rfind(c);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CZunString::replace(const CZunString& from, const CZunString& to)
{
    if (from.isEmpty())
        return 0;
    int count = 0;
    std::wstring out;
    size_t pos = 0;
    for (;;) {
        const size_t hit = m_text.find(from.m_text, pos);
        if (hit == std::wstring::npos)
            break;
        out.append(m_text, pos, hit - pos);
        out += to.m_text;
        pos = hit + from.m_text.size();
        ++count;
    }
    if (count) {
        out.append(m_text, pos, std::wstring::npos);
        m_text = std::move(out);
    }
    return count;
}

int CZunString::replace(wchar_t from, wchar_t to)
{
    int count = 0;
    for (wchar_t& c : m_text)
        if (c == from) { c = to; ++count; }
    return count;
}

CZunString& CZunString::makeUpper()
{
    for (wchar_t& c : m_text)
        c = toUpper(c);
    return *this;
}

CZunString& CZunString::makeLower()
{
    for (wchar_t& c : m_text)
        c = toLower(c);
    return *this;
}

CZunString& CZunString::trim()
{
    auto blank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    const auto first = std::find_if_not(m_text.begin(), m_text.end(), blank);
    const auto last = std::find_if_not(m_text.rbegin(), m_text.rend(), blank).base();
    m_text = first < last ? std::wstring(first, last) : std::wstring();
    return *this;
}

CZunString& CZunString::format(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    m_text = vformat(fmt, args);
    va_end(args);
    return *this;
}

CZunString CZunString::formatV(const wchar_t* fmt, va_list args)
{
    return CZunString(vformat(fmt, args));
}

CZunString CZunString::formatted(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    CZunString result(vformat(fmt, args));
    va_end(args);
    return result;
}

wchar_t* CZunString::GetBuffer(int minLen)
{
    if (minLen > len())
        m_text.resize(static_cast<size_t>(minLen));
    return m_text.data();
}

void CZunString::ReleaseBuffer(int newLen)
{
    if (newLen < 0)
        newLen = static_cast<int>(std::wcslen(m_text.c_str()));
    m_text.resize(static_cast<size_t>(std::min(newLen, len())));
}

std::ostream& operator<<(std::ostream& out, const CZunString& text)
{
    return out << text.toUtf8();
}
