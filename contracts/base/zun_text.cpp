#include "contracts/base/zun_text.h"

namespace ZUN {

CZunArrayTempl<CZunString> strTok(const CZunString& text, const CZunString& separators, bool keepEmpty)
{
    CZunArrayTempl<CZunString> parts;
    const std::wstring_view all = text.view();
    const std::wstring_view seps = separators.view();
    size_t start = 0;
    while (start <= all.size() && !all.empty()) {
        size_t stop = seps.empty() ? std::wstring_view::npos : all.find_first_of(seps, start);
        if (stop == std::wstring_view::npos)
            stop = all.size();
        if (keepEmpty || stop > start)
            parts.append(CZunString(all.substr(start, stop - start)));
        start = stop + 1;
    }
    return parts;
}

namespace {

int hexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// The value of count hex digits at text[pos], or -1.
long readHex(std::wstring_view text, size_t pos, size_t count)
{
    if (pos + count > text.size())
        return -1;
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        const int digit = hexValue(text[pos + i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool isHighSurrogate(long c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(long c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes the escape whose backslash is at text[pos]. Returns the number of
// characters it spans and sets c, or 0 when it is not an escape we resolve.
size_t decodeEscape(std::wstring_view text, size_t pos, long& c)
{
    if (pos + 1 >= text.size())
        return 0;
    switch (text[pos + 1]) {
    case L'n': c = L'\n'; return 2;
    case L'r': c = L'\r'; return 2;
    case L't': c = L'\t'; return 2;
    case L'\\': c = L'\\'; return 2;
    case L'"': c = L'"'; return 2;
    case L'\'': c = L'\''; return 2;
    case L'x': c = readHex(text, pos + 2, 2); return c > 0 ? 4 : 0;
    case L'U':
        if (pos + 2 < text.size() && text[pos + 2] == L'+') {
            c = readHex(text, pos + 3, 4);
            return c > 0 && !isHighSurrogate(c) && !isLowSurrogate(c) ? 7 : 0;
        }
        return 0;
    case L'u': {
        c = readHex(text, pos + 2, 4);
        if (c <= 0 || isLowSurrogate(c))
            return 0;
        if (!isHighSurrogate(c))
            return 6;
        // UTF-16 producers send characters beyond the BMP as two escapes.
        const long low = pos + 7 < text.size() && text[pos + 6] == L'\\' && text[pos + 7] == L'u'
            ? readHex(text, pos + 8, 4) : -1;
        if (!isLowSurrogate(low))
            return 0;
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        return 12;
    }
    default: return 0;
    }
}

} // namespace

CZunString unEscapeWideChar(const CZunString& text)
{
    const std::wstring_view in = text.view();
    std::wstring out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        long c = 0;
        const size_t span = in[i] == L'\\' ? decodeEscape(in, i, c) : 0;
        if (span == 0) {
            out += in[i++];
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += span;
    }
    return CZunString(std::move(out));
}

const ZunCountry_st* zunDlCountrys()
{
    static constexpr ZunCountry_st kCountries[] = {
        {L"de", L"Deutsch", L"de_DE"},
        {L"en", L"English", L"en_GB"},
        {L"fr", L"Fran\u00E7ais", L"fr_FR"},
        {L"it", L"Italiano", L"it_IT"},
        {L"nl", L"Nederlands", L"nl_NL"},
        {L"es", L"Espa\u00F1ol", L"es_ES"},
        {L"pl", L"Polski", L"pl_PL"},
        {L"cs", L"\u010Ce\u0161tina", L"cs_CZ"},
        {nullptr, nullptr, nullptr},
    };
    return kCountries;
}

} // namespace ZUN
