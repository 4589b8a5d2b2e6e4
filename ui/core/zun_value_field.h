#pragma once

#include "contracts/base/zun_map.h"
#include "contracts/base/zun_string.h"

#include <cstdint>

// The value logic of the numeric fields (CZunEdit, CZunComboBox) without
// any window: how a value is shown, how typed text is read, what is checked
// when the user leaves a field and what is written back. The widgets own
// the window text, the modified flag, the message box and the beep; this
// class tells them what to show. Pure C++, so it is tested alone.
namespace ZUN {

// Field kinds (the widgets' `type` enums have the same values).
enum ValueFieldType : int {
    kFieldNone = 0,     // plain text, no number handling
    kFieldInteger = 1,  // decimal integer
    kFieldLength = 2,   // internal unit inside, value x unit factor on screen
    kFieldAngle = 3,    // radians inside, degrees on screen
};

// Check flags.
inline constexpr unsigned short kFlagRequired = 0x0001;     // empty: error (edit) or default (combo)
inline constexpr unsigned short kFlagNotZero = 0x0002;
inline constexpr unsigned short kFlagNotNegative = 0x0004;
inline constexpr unsigned short kFlagRange = 0x0008;        // within [min, max]
inline constexpr unsigned short kFlagCompact = 0x0020;      // zunRtoS's compact option
inline constexpr unsigned short kFlagAutoUnit = 0x0040;     // autoPrec asked with unit -1, not 4
inline constexpr unsigned short kFlagChanged = 0x8000;      // edit: typed text not yet accepted

// A text by message key with a German default and a language; the
// module's message callback has this shape. A null language is the
// current one.
using ValueMsgText = const wchar_t* (*)(const wchar_t* key, const wchar_t* def, const wchar_t* country);

// What leaving an edit field asks of the widget, in this order: show the
// message box (error), set the window text (setText) keeping the modified
// flag as `modified` says, then put the focus back on the field (error).
struct CEditLeave {
    bool checked = false;   // false: nothing to do (unchanged, plain text, emptied and optional)
    bool error = false;
    CZunString message;     // the box's text
    CZunString title;       // the box's title (message key "ZUN001")
    bool setText = false;
    CZunString text;
    bool modified = false;  // the modified flag after the text is set
};

// What leaving a combo box asks of the widget: beep, then show text.
struct CComboLeave {
    bool writeBack = false;
    bool beep = false;
    CZunString text;
};

class CValueField {
public:
    // The edit and the combo box start differently and format slightly
    // differently (the combo has no small-value fall-back and no degree
    // sign); everything else is shared.
    enum class Kind { Edit, Combo };

    explicit CValueField(Kind kind);

    Kind kind() const { return m_kind; }
    int type() const { return m_type; }
    unsigned short flags() const { return m_flags; }
    unsigned short decimals() const { return m_decimals; }
    double minVal() const { return m_min; }
    double maxVal() const { return m_max; }
    double factor() const { return m_factor; }
    int format() const { return m_format; }
    // The last accepted value in the internal unit (edit); NaN until set.
    double value() const { return m_value; }

    // ---- configuration --------------------------------------------------
    // Stores type and flags; for lengths and angles a decimals value > 0
    // (edit) or other than -1 (combo) replaces the decimals; for types 1 to
    // 3 the limits become [smaller, larger] of a and b. A NaN limit cannot
    // order anything: the limits stay as they were and the result is false.
    bool setEditFlags(int type, unsigned short flags, int decimals, double a, double b);
    void getEditFlags(int& type, unsigned short& flags, unsigned short& decimals, double& min, double& max) const;
    // Edit: -1 takes the application's default format, 0 is refused
    // (false); combo: stores the value as given. A format the formatter
    // does not know is stored too, and values then show as empty text.
    bool setFormat(int format);
    // Unit factor = acadUnitCv(1, from, to). A unit that does not exist
    // converts 1:1 (the Data library's rule) and the result is false, so
    // that a caller can tell; a factor that is not a finite positive
    // number is never taken.
    bool setLUnits(int from, int to);
    // Names a value: the edit shows text instead of the number and reads
    // the text (in any letter case) as the value. NaN is never equal to
    // itself and cannot be named (false).
    bool setKey(const CZunString& text, double value);
    void removeKeys() { m_keys = {}; }
    const CZunMapTempl<double, CZunString>& keys() const { return m_keys; }
    // The value a name stands for, matched without regard to case.
    bool keyValue(const CZunString& text, double& value) const;

    // ---- formatting -----------------------------------------------------
    // The text of a display value x (a length already multiplied by the
    // factor). False, and text left empty, for a plain-text field, NaN or
    // infinity, an unknown format or a text that does not fit in the
    // formatter's 56 characters.
    bool formatVal(double x, CZunString& text) const;
    // The display value of an internal value (x factor for lengths).
    double displayOf(double v) const { return m_type == kFieldLength ? v * m_factor : v; }

    // ---- the edit ---------------------------------------------------------
    // setVal stores v and returns the text to show: the name of v when it
    // has one, else its formatted display value (empty when that fails).
    CZunString setVal(double v);
    // The same for an integer, formatted without the unit factor.
    CZunString setVal(int n);
    // The value: the stored one while the text is unchanged (flag 0x8000
    // clear) and the stored value is finite, else the text read as a name
    // or a number. False, v untouched, for an empty required text and for
    // a text that holds no finite number.
    bool getVal(const CZunString& windowText, double& v) const;
    bool getVal(const CZunString& windowText, int& n) const;
    // Leaving the field with windowText; modified is the window's flag.
    // msg gives the texts (null: the German defaults). Updates the stored
    // value and flag 0x8000 as the field does.
    CEditLeave leaveEdit(const CZunString& windowText, bool modified, ValueMsgText msg);
    // Sets or clears flag 0x8000 (the widget does when the text changes).
    void markChanged(bool changed);

    // ---- the combo box ----------------------------------------------------
    // The text for setVal(double) (lengths and angles only) and AddVal:
    // false for another type or a value that cannot be formatted.
    bool comboText(double v, CZunString& text) const;
    // The text for setVal(int) (integers only).
    bool comboText(int n, CZunString& text) const;
    // The combo box's value of its text: lengths and angles converted back,
    // integers read as numbers; false for a plain-text box and for a text
    // that holds no finite number.
    bool comboGetVal(const CZunString& windowText, double& v) const;
    bool comboGetVal(const CZunString& windowText, int& n) const;
    // Leaving the combo box: the empty-text defaults, the beeps, clamping.
    CComboLeave leaveCombo(const CZunString& windowText) const;

private:
    // Reads text as the field's type (no names); false when no finite
    // number results.
    bool parse(const CZunString& text, double& v) const;
    // The value an empty (or unreadable) combo text stands for.
    double comboEmptyDefault() const;
    const wchar_t* text(ValueMsgText msg, const wchar_t* key, const wchar_t* def) const;

    Kind m_kind;
    double m_min;
    double m_max;
    double m_value;
    double m_factor = 1.0;
    unsigned short m_decimals;
    unsigned short m_flags;
    int m_format;
    int m_type = kFieldNone;
    CZunMapTempl<double, CZunString> m_keys;
};

// ---- tinted rows ----------------------------------------------------------
// Colours are 0x00BBGGRR words (CZunColor::oleColor).
//
// Each of the three channels is trunc(c1 x (1 - t) + c0 x t), t clamped to
// [0, 1] (NaN reads as 0).
std::uint32_t colorBlend(std::uint32_t c0, std::uint32_t c1, double t);
// The background of a tinted list row: 5 % of black on a light background
// ((red + 2 green) / 3 > 128), 5 % of white on a dark one.
std::uint32_t tintedRowColor(std::uint32_t background);

} // namespace ZUN
