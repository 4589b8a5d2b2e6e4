#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

namespace ZUN {

// Length units, numbered as drawing files number them, so that a number
// read from a drawing or a data file is the unit itself.
enum lUnit : int {
    kUnitDrawing = -1,  // the drawing's own unit, acad_unit_get()
    kUnitNone = 0,      // unitless: converts 1:1
    kUnitInch = 1,
    kUnitFoot = 2,
    kUnitMile = 3,
    kUnitMillimeter = 4,
    kUnitCentimeter = 5,
    kUnitMeter = 6,
    kUnitKilometer = 7,
    kUnitMicroinch = 8,
    kUnitMil = 9,
    kUnitYard = 10,
    kUnitAngstrom = 11,
    kUnitNanometer = 12,
    kUnitMicron = 13,
    kUnitDecimeter = 14,
    kUnitDecameter = 15,
    kUnitHectometer = 16,
    kUnitGigameter = 17,
    kUnitAstronomical = 18,
    kUnitLightYear = 19,
    kUnitParsec = 20,
};
inline constexpr int kUnitCount = 21;  // units 0..20

// How a length is written.
enum lFormat : int {
    kFormatScientific = 1,     // 1.55E+01
    kFormatDecimal = 2,        // 15.50
    kFormatEngineering = 3,    // 1'-3.50"
    kFormatArchitectural = 4,  // 1'-3 1/2"
    kFormatFractional = 5,     // 15 1/2
};

// The value converted from one unit to another. kUnitDrawing stands for the
// drawing's unit. Unitless (0) on either side and any number that is not a
// unit leave the value as it is: such values come from drawings that never
// said what they measure, and scaling them by a guess would be worse.
// The factors are the defined ones (1 in = 25.4 mm, 1 ft = 12 in,
// 1 yd = 3 ft, 1 mi = 5280 ft, 1 au = 149 597 870 700 m, 1 ly = one Julian
// year of light travel, 1 pc = 648 000/pi au), and the common conversions
// are exact to the last bit: 1 in gives exactly 25.4 mm and back 1.
double acadUnitCv(double value, int fromUnit, int toUnit);

// The drawing's unit, millimetres until set. Setting anything other than a
// unit 0..20 is ignored, so the drawing unit never resolves to itself.
int acad_unit_get();
void acad_unit_set(int unit);

// The drawing's length format, decimal until set; values outside 1..5 are
// ignored.
int acad_format_get();
void acad_format_set(int format);

// The number of decimals to show a length with.
// decimals >= 0 is the caller's own choice and is returned, kept to 0..8.
// decimals < 0 asks for a precision that fits the unit (kUnitDrawing: the
// drawing's unit). For formats 1 to 3 that is a number of decimals; the
// architectural and fractional formats (4, 5) show fractions, and for them
// the result is the exponent n of the finest denominator 2^n.
//
//   unit              decimals  fraction   why
//   unitless             2      4 (1/16)   mostly millimetre or inch drawings
//   inch                 3      4 (1/16")  a thousandth of an inch
//   foot                 4      4 (1/16")  about a thousandth of an inch
//   mile                 8      4 (1/16")  decimals: the finest there is
//   millimetre           1      1 (1/2)    a tenth of a millimetre
//   centimetre           2      3 (1/8)    a tenth of a millimetre
//   metre                3      8 (1/256)  a millimetre
//   kilometre            6      8          a millimetre
//   microinch            0      1          already finer than any tool
//   mil                  1      1
//   yard                 4      4 (1/16")  about a thousandth of an inch
//   angstrom, nanometre  0      1          already finer than any tool
//   micron               1      1
//   decimetre            3      6 (1/64)   a tenth of a millimetre
//   decametre            4      8          a millimetre
//   hectometre           5      8          a millimetre
//   giga-, astronomical, light year, parsec: 8 and 8, the finest there is
// Lengths in imperial units are written in fractions of an inch, so their
// fractions are sixteenths of an inch whatever the unit. Metric fractions
// aim at about a millimetre, as a fraction display in metric units is a
// rough estimate anyway. Unknown units take the unitless row.
int autoPrec(int decimals, int unit, int format);

// The names of the units 0..20 in a language (index = unit number). German
// and English are known; other languages get the English names. An empty
// country means the current message language.
CZunArrayTempl<CZunString> acad_units(const CZunString& country);

// The short symbol written after a length ("mm", "\"" for inches, "'" for
// feet). Unitless and unknown units have none; kUnitDrawing is the drawing's.
CZunString unitAbbrev(int unit);

} // namespace ZUN
