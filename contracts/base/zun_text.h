#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

namespace ZUN {

// Splits text at every character that occurs in separators. With keepEmpty
// the parts between adjacent separators and at both ends stay, so the
// number of parts is always one more than the number of separators found
// ("\\KEY\\" gives "", "KEY", ""); without it empty parts are dropped
// ("Zun\\\\topic" gives "Zun", "topic"). An empty text has no parts; empty
// separators leave the text whole.
CZunArrayTempl<CZunString> strTok(const CZunString& text, const CZunString& separators, bool keepEmpty);

// Resolves the backslash escapes found in text from other programs:
// \n \r \t \\ \" \' , \xHH (two hex digits), \uXXXX and the drawing-text
// form \U+XXXX (four hex digits each). A \u pair of UTF-16 surrogates
// becomes the one character it encodes. Anything else after a backslash,
// a truncated escape, a lone surrogate and an escaped NUL stay literally as
// written, so nothing received is lost.
CZunString unEscapeWideChar(const CZunString& text);

// One language the module offers: ISO 639-1 code, the name in that language,
// the locale used for it.
struct ZunCountry_st {
    const wchar_t* code;
    const wchar_t* name;
    const wchar_t* locale;
};

// The languages in menu order, German first, ended by a record whose code is
// null. The table is static and lives for the whole process.
const ZunCountry_st* zunDlCountrys();

} // namespace ZUN
