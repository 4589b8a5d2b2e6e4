#pragma once

#include "contracts/base/zun_string.h"

// Lengths and angles as the dialogs show them and as users type them.
//
// Formats of zunRtoS (value 14.75, precision 4 resp. 2):
//   1 scientific     "1.4750E+01"    n decimals of the mantissa
//   2 decimal        "14.7500"       n decimals; never "-0.0000"
//   3 engineering    "1'-2.7500\""   value in inches, n decimals of the inches
//   4 architectural  "1'-2 3/4\""    value in inches, inches to the nearest 1/2^n
//   5 fractional     "14 3/4"        to the nearest 1/2^n
// Precision n is clamped to 0..15 for formats 1-3 and to 0..8 for 4 and 5.
// Rounding is to nearest with ties to even in every format, so that a
// value's decimal and fractional texts agree: 2.5 at precision 0 is "2".
// Rounding carries through: 11.99999 inches at precision 4 is "1'-0.0000\"".
// A negative value that rounds to zero prints without its sign.
//
// option = true is the "compact" form:
//   - trailing zeros of the decimals go, and the point with them:
//     "1.475E+01", "14.75", "1'-2.75\"", "12" instead of "12.0000";
//   - formats 3 and 4 leave out a zero feet part, and format 4 a zero inch
//     before a fraction: 0.5 gives "0.5\"" (3) and "1/2\"" (4) instead of
//     "0'-0.5000\"" and "0'-0 1/2\"".
// Format 5 has nothing to leave out; the option changes nothing there.
//
// zunAtoF reads every text zunRtoS writes and, on top, what users type:
// blanks around the text, a sign, '.' or ',' as decimal separator,
// exponents ("1.5e3", "1.5E+03"), fractions ("3/4", "14 3/4", "14-3/4"),
// and feet-inch forms ("1'-2 3/4\"", "1' 2\"", "1'2.5\"", "2'", "6\"",
// "-1'-2\""; the marks U+2032 and U+2033 count as ' and "). A foot is 12
// inches; with feet or inch marks the result is in inches. The sign stands
// in front and covers feet and inches alike.
// The result is the nearest double to the value the text denotes whenever
// that value is a finite decimal (always so for zunRtoS output), so
// zunRtoS(zunAtoF(zunRtoS(x))) == zunRtoS(x) for every format.
// Text that is not a number, a zero denominator, or a value beyond the
// range of double is unparseable: NaN from the first form, false from the
// second (value untouched). A value below the smallest double reads as 0.

namespace ZUN {

inline constexpr int kZunRtoSMax = 56;  // result buffer size in wide chars, NUL included

// Returns false and leaves text untouched for NaN/inf, an unknown format or
// a result longer than kZunRtoSMax - 1 characters.
bool zunRtoS(double value, int format, int precision, CZunString& text, bool option = false);
// buffer must hold kZunRtoSMax wide chars.
bool zunRtoS(double value, int format, int precision, wchar_t* buffer, bool option = false);

double zunAtoF(const wchar_t* text);
bool zunAtoF(const wchar_t* text, double& value);

// C-like tolerant readers: leading blanks, optional sign, digits; atof also
// takes '.' or ',' as decimal separator and an exponent. They stop at the
// first other character and give 0 when no number starts the text (null
// included).
// atof overflows to +-inf like the C one; atoi saturates at INT_MIN/INT_MAX.
double atof(const wchar_t* text);
int atoi(const wchar_t* text);

} // namespace ZUN
