#include "contracts/data/zun_units.h"

#include "contracts/data/zun_msg.h"

#include <algorithm>

namespace ZUN {

namespace {

// Every unit's length in ångströms. The ångström is the smallest unit in
// the list, and in it every unit from the microinch (254 Å) to the
// kilometre is a whole number that a double holds exactly.
constexpr double kAngstroms[kUnitCount] = {
    1.0,                        // unitless: never used for a factor
    254000000.0,                // inch = 25.4 mm
    3048000000.0,               // foot = 12 in
    16093440000000.0,           // mile = 5280 ft
    10000000.0,                 // millimetre
    100000000.0,                // centimetre
    10000000000.0,              // metre
    10000000000000.0,           // kilometre
    254.0,                      // microinch
    254000.0,                   // mil = 1/1000 in
    9144000000.0,               // yard = 3 ft
    1.0,                        // ångström
    10.0,                       // nanometre
    10000.0,                    // micron
    1000000000.0,               // decimetre
    100000000000.0,             // decametre
    1000000000000.0,            // hectometre
    1.0e19,                     // gigametre
    1.495978707e21,             // astronomical unit, 149 597 870 700 m
    9.4607304725808e25,         // light year: 365.25 d x 86 400 s x c
    3.0856775814913673e26,      // parsec = 648 000/pi au
};

constexpr bool kImperial[kUnitCount] = {
    false, true, true, true, false, false, false, false, true, true, true,
    false, false, false, false, false, false, false, false, false, false,
};

struct UnitPrec {
    int decimals;
    int fraction;
};

// See the table in the header.
constexpr UnitPrec kPrec[kUnitCount] = {
    {2, 4}, {3, 4}, {4, 4}, {8, 4}, {1, 1}, {2, 3}, {3, 8}, {6, 8}, {0, 1}, {1, 1}, {4, 4},
    {0, 1}, {0, 1}, {1, 1}, {3, 6}, {4, 8}, {5, 8}, {8, 8}, {8, 8}, {8, 8}, {8, 8},
};

constexpr const wchar_t* kNamesEn[kUnitCount] = {
    L"Unitless", L"Inches", L"Feet", L"Miles", L"Millimetres", L"Centimetres", L"Metres",
    L"Kilometres", L"Microinches", L"Mils", L"Yards", L"\u00C5ngstr\u00F6ms", L"Nanometres",
    L"Microns", L"Decimetres", L"Decametres", L"Hectometres", L"Gigametres",
    L"Astronomical units", L"Light years", L"Parsecs",
};

constexpr const wchar_t* kNamesDe[kUnitCount] = {
    L"Ohne Einheit", L"Zoll", L"Fu\u00DF", L"Meilen", L"Millimeter", L"Zentimeter", L"Meter",
    L"Kilometer", L"Mikrozoll", L"Mil", L"Yard", L"\u00C5ngstr\u00F6m", L"Nanometer",
    L"Mikrometer", L"Dezimeter", L"Dekameter", L"Hektometer", L"Gigameter",
    L"Astronomische Einheiten", L"Lichtjahre", L"Parsec",
};

constexpr const wchar_t* kAbbrev[kUnitCount] = {
    L"", L"\"", L"'", L"mi", L"mm", L"cm", L"m", L"km", L"\u00B5in", L"mil", L"yd",
    L"\u00C5", L"nm", L"\u00B5m", L"dm", L"dam", L"hm", L"Gm", L"au", L"ly", L"pc",
};

int g_drawingUnit = kUnitMillimeter;
int g_drawingFormat = kFormatDecimal;

bool isUnit(int unit) { return unit >= 0 && unit < kUnitCount; }

int resolve(int unit) { return unit == kUnitDrawing ? g_drawingUnit : unit; }

} // namespace

double acadUnitCv(double value, int fromUnit, int toUnit)
{
    fromUnit = resolve(fromUnit);
    toUnit = resolve(toUnit);
    if (fromUnit == toUnit || !isUnit(fromUnit) || !isUnit(toUnit) || fromUnit == kUnitNone
        || toUnit == kUnitNone)
        return value;
    // Each factor is applied in the form in which it is defined, rounded
    // once: within a system the whole ratio (12, 1000), across systems the
    // imperial unit in the metric one (25.4, 0.3048, 1.609344); the value is
    // multiplied by it one way and divided by it the other. Then 1 in gives
    // 25.4 mm and 25.4 mm gives 1 in, to the last bit, while the detour
    // through a common unit would leave 25.4 mm a bit short of an inch.
    const double from = kAngstroms[fromUnit];
    const double to = kAngstroms[toUnit];
    const bool multiply = kImperial[fromUnit] == kImperial[toUnit] ? from >= to : kImperial[fromUnit];
    return multiply ? value * (from / to) : value / (to / from);
}

int acad_unit_get() { return g_drawingUnit; }

void acad_unit_set(int unit)
{
    if (isUnit(unit))
        g_drawingUnit = unit;
}

int acad_format_get() { return g_drawingFormat; }

void acad_format_set(int format)
{
    if (format >= kFormatScientific && format <= kFormatFractional)
        g_drawingFormat = format;
}

int autoPrec(int decimals, int unit, int format)
{
    if (decimals >= 0)
        return std::min(decimals, 8);
    unit = resolve(unit);
    const UnitPrec& prec = kPrec[isUnit(unit) ? unit : kUnitNone];
    const bool fractions = format == kFormatArchitectural || format == kFormatFractional;
    return fractions ? prec.fraction : prec.decimals;
}

CZunArrayTempl<CZunString> acad_units(const CZunString& country)
{
    CZunString lang = country.isEmpty() ? msgLangSet(nullptr) : country;
    lang.makeLower();
    // "de_DE" and "de-AT" are German too.
    const bool german = lang.left(2) == L"de" && (lang.len() == 2 || lang[2] == L'_' || lang[2] == L'-');
    const wchar_t* const* names = german ? kNamesDe : kNamesEn;
    CZunArrayTempl<CZunString> result;
    result.reserve(kUnitCount);
    for (int i = 0; i < kUnitCount; ++i)
        result.append(CZunString(names[i]));
    return result;
}

CZunString unitAbbrev(int unit)
{
    unit = resolve(unit);
    return isUnit(unit) ? CZunString(kAbbrev[unit]) : CZunString();
}

} // namespace ZUN
