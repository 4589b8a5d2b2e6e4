#include "ui/core/zun_value_field.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_number.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace ZUN {

namespace {

constexpr double kDegPerRad = 180.0 / kPi;
constexpr double kRadPerDeg = kPi / 180.0;

// An integer of a double: truncated toward zero and held to the int range,
// so that a huge value set by program formats and reads as the nearest
// integer rather than as whatever the conversion would make of it.
int truncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    const double t = std::trunc(v);
    if (t <= static_cast<double>(INT_MIN))
        return INT_MIN;
    if (t >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(t);
}

bool isBlank(wchar_t c)
{
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

CZunString trimmedLeft(const CZunString& text)
{
    int i = 0;
    while (i < text.len() && isBlank(text[i]))
        ++i;
    return text.mid(i);
}

// Whether ZUN::atoi finds a number at the start of text (after blanks and
// a sign); it reads 0 otherwise, which must not pass for a typed zero.
bool startsWithInteger(const CZunString& text)
{
    int i = 0;
    while (i < text.len() && isBlank(text[i]))
        ++i;
    if (text[i] == L'+' || text[i] == L'-')
        ++i;
    return text[i] >= L'0' && text[i] <= L'9';
}

// Whether ZUN::atof finds a number at the start of text; like atoi it
// reads 0 from text without one.
bool startsWithNumber(const CZunString& text)
{
    int i = 0;
    while (i < text.len() && isBlank(text[i]))
        ++i;
    if (text[i] == L'+' || text[i] == L'-')
        ++i;
    if (text[i] == L'.' || text[i] == L',')
        ++i;
    return text[i] >= L'0' && text[i] <= L'9';
}

CZunString lowered(CZunString text)
{
    return text.makeLower();
}

} // namespace

CValueField::CValueField(Kind kind)
    : m_kind(kind),
      m_min(-DBL_MAX),
      m_max(DBL_MAX),
      m_value(nan()),
      m_decimals(kind == Kind::Edit ? 8 : 1),
      m_flags(kind == Kind::Edit ? kFlagRequired | kFlagCompact : kFlagRequired),
      m_format(kind == Kind::Edit ? zunAppPtr()->numberFormat() : kFormatDecimal)
{
}

// ---- configuration ------------------------------------------------------------

bool CValueField::setEditFlags(int type, unsigned short flags, int decimals, double a, double b)
{
    m_type = type;
    m_flags = flags;
    if (type == kFieldLength || type == kFieldAngle) {
        const bool replace = m_kind == Kind::Edit ? decimals > 0 : decimals != -1;
        // The edit's decimals are positive here and held to the word; the
        // combo keeps a negative count as the word it is stored in.
        if (replace)
            m_decimals = static_cast<unsigned short>(decimals > USHRT_MAX ? USHRT_MAX : decimals);
    }
    if (type < kFieldInteger || type > kFieldAngle)
        return true;
    if (std::isnan(a) || std::isnan(b))
        return false;
    m_min = std::min(a, b);
    m_max = std::max(a, b);
    return true;
}

void CValueField::getEditFlags(int& type, unsigned short& flags, unsigned short& decimals, double& min,
                               double& max) const
{
    type = m_type;
    flags = m_flags;
    decimals = m_decimals;
    min = m_min;
    max = m_max;
}

bool CValueField::setFormat(int format)
{
    if (m_kind == Kind::Edit) {
        if (format == 0)
            return false;
        if (format == -1)
            format = zunAppPtr()->numberFormat();
    }
    m_format = format;
    return true;
}

bool CValueField::setLUnits(int from, int to)
{
    const auto known = [](int unit) { return unit >= kUnitDrawing && unit < kUnitCount; };
    const double factor = acadUnitCv(1.0, from, to);
    m_factor = std::isfinite(factor) && factor > 0.0 ? factor : 1.0;
    return known(from) && known(to) && m_factor == factor;
}

bool CValueField::setKey(const CZunString& text, double value)
{
    if (std::isnan(value))
        return false;
    m_keys[value] = text;
    return true;
}

bool CValueField::keyValue(const CZunString& text, double& value) const
{
    if (m_keys.isEmpty())
        return false;
    const CZunString wanted = lowered(text);
    for (const auto& [key, name] : m_keys) {
        if (lowered(name) == wanted) {
            value = key;
            return true;
        }
    }
    return false;
}

// ---- formatting -----------------------------------------------------------------

bool CValueField::formatVal(double x, CZunString& text) const
{
    text.empty();
    if (!std::isfinite(x))
        return false;
    const bool option = (m_flags & kFlagCompact) != 0;
    switch (m_type) {
    case kFieldInteger:
        text = CZunString(std::to_wstring(truncToInt(x)));
        return true;
    case kFieldLength: {
        int n = autoPrec(m_decimals, (m_flags & kFlagAutoUnit) ? kUnitDrawing : kUnitMillimeter, m_format);
        int f = m_format;
        // Below the finest fraction a small value would show as 0: the
        // edit shows it with decimals instead.
        if (m_kind == Kind::Edit && (f == kFormatArchitectural || f == kFormatFractional)) {
            n = std::min(n, 8);
            if (x != 0.0 && std::fabs(x) < 1.0 / std::ldexp(1.0, n)) {
                f = f == kFormatArchitectural ? kFormatEngineering : kFormatDecimal;
                n = autoPrec(m_decimals, kUnitDrawing, kFormatDecimal);
            }
        }
        return zunRtoS(x, f, n, text, option);
    }
    case kFieldAngle:
        if (!zunRtoS(x * kDegPerRad, kFormatDecimal, m_decimals, text, option))
            return false;
        if (m_kind == Kind::Edit)
            text += L'\u00B0';
        return true;
    default:
        return false;
    }
}

// ---- the edit -----------------------------------------------------------------------

CZunString CValueField::setVal(double v)
{
    m_value = v;
    if (const CZunString* name = std::isnan(v) ? nullptr : m_keys.find(v))
        return *name;
    CZunString text;
    formatVal(displayOf(v), text);
    return text;
}

CZunString CValueField::setVal(int n)
{
    const double v = n;
    m_value = v;
    if (const CZunString* name = m_keys.find(v))
        return *name;
    CZunString text;
    formatVal(v, text);
    return text;
}

bool CValueField::parse(const CZunString& text, double& v) const
{
    double r;
    switch (m_type) {
    case kFieldLength:
        r = zunAtoF(text) / m_factor;
        break;
    case kFieldAngle:
        r = startsWithNumber(text) ? ZUN::atof(text) * kRadPerDeg : nan();
        break;
    default:
        r = zunAtoF(text);
        break;
    }
    if (!std::isfinite(r))
        return false;
    v = r;
    return true;
}

bool CValueField::getVal(const CZunString& windowText, double& v) const
{
    if (!(m_flags & kFlagChanged) && std::isfinite(m_value)) {
        v = m_value;
        return true;
    }
    CZunString text(windowText);
    text.trim();
    if (text.isEmpty() && (m_flags & kFlagRequired))
        return false;
    if (keyValue(text, v))
        return true;
    return parse(text, v);
}

bool CValueField::getVal(const CZunString& windowText, int& n) const
{
    if (!(m_flags & kFlagChanged) && std::isfinite(m_value)) {
        n = truncToInt(m_value);
        return true;
    }
    if (windowText.isEmpty() && (m_flags & kFlagRequired))
        return false;
    if (!startsWithInteger(windowText))
        return false;
    n = ZUN::atoi(windowText);
    return true;
}

void CValueField::markChanged(bool changed)
{
    m_flags = changed ? m_flags | kFlagChanged : m_flags & ~kFlagChanged;
}

const wchar_t* CValueField::text(ValueMsgText msg, const wchar_t* key, const wchar_t* def) const
{
    const wchar_t* t = msg ? msg(key, def, nullptr) : def;
    return t ? t : def;
}

CEditLeave CValueField::leaveEdit(const CZunString& windowText, bool modified, ValueMsgText msg)
{
    CEditLeave out;
    if (!modified || m_type == kFieldNone)
        return out;
    markChanged(true);
    const CZunString typed = trimmedLeft(windowText);
    double v = m_value;
    if (!typed.isEmpty()) {
        if (getVal(typed, v)) {
            if (const CZunString* name = m_keys.find(v)) {
                // A name needs no checks: the caller chose its value.
                m_value = v;
                out.checked = true;
                out.setText = true;
                out.text = *name;
                out.modified = true;
                return out;
            }
        } else {
            // The parsers found no finite number: the value stays.
            v = m_value;
            out.error = true;
            out.message = text(msg, L"ZUN_MFC_0003", L"Ungültige Zahl");
        }
    } else {
        if (!(m_flags & kFlagRequired))
            return out;
        out.error = true;
        out.message = text(msg, L"ZUN022", L"Eintragung notwendig");
    }
    out.checked = true;

    if (!out.error) {
        // The limits are shown as the field shows values, in the display
        // unit, so that the message reads like what the user typed.
        const auto rangeMessage = [&](const wchar_t* key, const wchar_t* def, double limit) {
            CZunString limitText;
            formatVal(displayOf(limit), limitText);
            return CZunString::formatted(L"%s %s", text(msg, key, def), limitText.c_str());
        };
        if ((m_flags & kFlagNotNegative) && v < 0.0) {
            out.error = true;
            v = m_value;
            out.message = text(msg, L"ZUN024", L"Wert darf nicht negativ sein");
        } else if ((m_flags & kFlagNotZero) && v == 0.0) {
            out.error = true;
            v = m_value;
            out.message = text(msg, L"ZUN023", L"Wert darf nicht Null sein");
        } else if ((m_flags & kFlagRange) && v < m_min) {
            out.error = true;
            v = m_min;
            out.message = rangeMessage(L"ZUN_MFC_0001", L"Wert darf nicht kleiner sein als", m_min);
        } else if ((m_flags & kFlagRange) && v > m_max) {
            out.error = true;
            v = m_max;
            out.message = rangeMessage(L"ZUN_MFC_0002", L"Wert darf nicht größer sein als", m_max);
        }
    }
    if (out.error)
        out.title = text(msg, L"ZUN001", L"Fehler");

    markChanged(false);
    // The modified flag was set to come here and stays set; a value that
    // differs from the stored one would set it anyway.
    out.modified = true;
    out.setText = true;
    if (m_type == kFieldInteger)
        out.text = setVal(truncToInt(v));
    else
        out.text = setVal(v);
    return out;
}

// ---- the combo box --------------------------------------------------------------------

bool CValueField::comboText(double v, CZunString& text) const
{
    text.empty();
    if (m_type != kFieldLength && m_type != kFieldAngle)
        return false;
    return formatVal(displayOf(v), text);
}

bool CValueField::comboText(int n, CZunString& text) const
{
    text.empty();
    if (m_type != kFieldInteger)
        return false;
    return formatVal(n, text);
}

bool CValueField::comboGetVal(const CZunString& windowText, double& v) const
{
    if (m_type < kFieldInteger || m_type > kFieldAngle)
        return false;
    return parse(windowText, v);
}

bool CValueField::comboGetVal(const CZunString& windowText, int& n) const
{
    if (m_type != kFieldInteger || !startsWithInteger(windowText))
        return false;
    n = ZUN::atoi(windowText);
    return true;
}

double CValueField::comboEmptyDefault() const
{
    if ((m_flags & kFlagNotZero) && (m_flags & kFlagRange))
        return m_min;
    return (m_flags & kFlagNotZero) ? 1.0 : 0.0;
}

CComboLeave CValueField::leaveCombo(const CZunString& windowText) const
{
    CComboLeave out;
    if (m_type < kFieldInteger || m_type > kFieldAngle)
        return out;
    double v;
    if (windowText.isEmpty()) {
        if (!(m_flags & kFlagRequired))
            return out;
        v = comboEmptyDefault();
    } else if (!parse(windowText, v)) {
        // Text that is no number is replaced as an empty one would be,
        // with a beep, so the box never keeps unreadable text.
        out.beep = true;
        v = comboEmptyDefault();
    }
    if ((m_flags & kFlagNotNegative) && v < 0.0) {
        out.beep = true;
    } else if ((m_flags & kFlagNotZero) && v == 0.0) {
        v = 1.0;
        out.beep = true;
    } else if (m_flags & kFlagRange) {
        v = std::clamp(v, m_min, m_max);
    }
    out.writeBack = true;
    if (m_type == kFieldInteger)
        comboText(truncToInt(v), out.text);
    else
        comboText(v, out.text);
    return out;
}

// ---- tinted rows -------------------------------------------------------------------

std::uint32_t colorBlend(std::uint32_t c0, std::uint32_t c1, double t)
{
    t = t >= 0.0 ? std::min(t, 1.0) : 0.0;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double a = (c0 >> shift) & 0xFF;
        const double b = (c1 >> shift) & 0xFF;
        const auto channel = static_cast<std::uint32_t>(std::trunc(b * (1.0 - t) + a * t));
        out |= std::min<std::uint32_t>(channel, 0xFF) << shift;
    }
    return out;
}

std::uint32_t tintedRowColor(std::uint32_t background)
{
    const int red = static_cast<int>(background & 0xFF);
    const int green = static_cast<int>((background >> 8) & 0xFF);
    const std::uint32_t contrast = (red + 2 * green) / 3 > 128 ? 0x000000u : 0xFFFFFFu;
    return colorBlend(contrast, background, 0.05);
}

} // namespace ZUN
