#include "ui/core/zun_value_field.h"

#include "contracts/base/zun_math.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

using ZUN::CValueField;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
using Kind = CValueField::Kind;

// How a field is set up before a case runs.
struct FieldSetup {
    Kind kind = Kind::Edit;
    int type = ZUN::kFieldLength;
    unsigned short flags = ZUN::kFlagRequired | ZUN::kFlagCompact;
    int decimals = 0;  // edit: 0 keeps 8; combo: -1 keeps 1
    int format = ZUN::kFormatDecimal;
    int fromUnit = ZUN::kUnitNone;
    int toUnit = ZUN::kUnitNone;
    double min = -DBL_MAX;
    double max = DBL_MAX;
};

CValueField makeField(const FieldSetup& s)
{
    CValueField field(s.kind);
    field.setEditFlags(s.type, s.flags, s.decimals, s.min, s.max);
    field.setFormat(s.format);
    field.setLUnits(s.fromUnit, s.toUnit);
    return field;
}

std::string nameOf(const char* name)
{
    std::string out;
    for (const char* c = name; *c; ++c)
        out += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return out;
}

// Records which keys the checks ask for and answers "<key>|<default>".
CZunString g_asked;
const wchar_t* recordingMsg(const wchar_t* key, const wchar_t* def, const wchar_t*)
{
    static std::wstring answer;
    g_asked += CZunString(key) + L";";
    answer = std::wstring(key) + L"|" + def;
    return answer.c_str();
}

} // namespace

// ---- formatting ------------------------------------------------------------------------------

struct FormatCase {
    const char* name;
    FieldSetup setup;
    double value;  // internal value, given to the edit's setVal
    const wchar_t* text;
};

class ValueFieldFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ValueFieldFormat, ShowsTheValueAsTheFieldWouldShowIt)
{
    const FormatCase& c = GetParam();
    CValueField field = makeField(c.setup);
    CZunString text;
    if (c.setup.kind == Kind::Edit)
        text = field.setVal(c.value);
    else if (c.setup.type == ZUN::kFieldInteger)
        field.comboText(static_cast<int>(c.value), text);
    else
        field.comboText(c.value, text);
    EXPECT_EQ(text, CZunString(c.text));
}

constexpr unsigned short kReq = ZUN::kFlagRequired;
constexpr unsigned short kCompact = ZUN::kFlagRequired | ZUN::kFlagCompact;

INSTANTIATE_TEST_SUITE_P(
    Examples, ValueFieldFormat,
    ::testing::Values(
        // Metres inside, millimetres on screen.
        FormatCase{"metres_as_mm", {Kind::Edit, 2, kCompact, 1, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter}, 1.5, L"1500"},
        FormatCase{"metres_as_mm_full", {Kind::Edit, 2, kReq, 2, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter}, 1.5, L"1500.00"},
        FormatCase{"angle_right", {Kind::Edit, 3, kCompact}, kPi / 2, L"90\u00B0"},
        FormatCase{"angle_decimals", {Kind::Edit, 3, kReq, 2}, kPi / 4, L"45.00\u00B0"},
        FormatCase{"angle_combo_no_sign", {Kind::Combo, 3, kReq, -1}, kPi / 2, L"90.0"},
        // Small values below the finest fraction fall back to decimals.
        FormatCase{"architectural_small", {Kind::Edit, 2, kReq, 4, 4}, 0.01, L"0'-0.0100\""},
        FormatCase{"architectural_small_compact", {Kind::Edit, 2, kCompact, 4, 4}, 0.01, L"0.01\""},
        FormatCase{"architectural_at_fraction", {Kind::Edit, 2, kReq, 4, 4}, 0.0625, L"0'-0 1/16\""},
        FormatCase{"architectural_normal", {Kind::Edit, 2, kReq, 4, 4}, 14.75, L"1'-2 3/4\""},
        FormatCase{"fractional_small", {Kind::Edit, 2, kReq, 4, 5}, 0.01, L"0.0100"},
        FormatCase{"fractional_small_negative", {Kind::Edit, 2, kReq, 4, 5}, -0.01, L"-0.0100"},
        FormatCase{"fractional_normal", {Kind::Edit, 2, kReq, 4, 5}, 14.75, L"14 3/4"},
        FormatCase{"fractional_zero_stays", {Kind::Edit, 2, kReq, 4, 5}, 0.0, L"0"},
        // The combo has no fall-back: the value rounds to the fraction.
        FormatCase{"combo_architectural_small", {Kind::Combo, 2, kReq, 4, 4}, 0.01, L"0'-0\""},
        FormatCase{"combo_fractional_small", {Kind::Combo, 2, kReq, 4, 5}, 0.01, L"0"},
        FormatCase{"combo_metres_as_mm", {Kind::Combo, 2, kReq, -1, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter}, 0.25, L"250.0"},
        FormatCase{"scientific", {Kind::Edit, 2, kReq, 3, 1}, 14.75, L"1.475E+01"},
        FormatCase{"engineering", {Kind::Edit, 2, kReq, 2, 3}, 14.75, L"1'-2.75\""},
        // Integers truncate toward zero and hold to the int range.
        FormatCase{"integer", {Kind::Edit, 1, kReq}, 42.9, L"42"},
        FormatCase{"integer_negative", {Kind::Edit, 1, kReq}, -42.9, L"-42"},
        FormatCase{"integer_huge", {Kind::Edit, 1, kReq}, 1e300, L"2147483647"},
        FormatCase{"integer_huge_negative", {Kind::Edit, 1, kReq}, -1e300, L"-2147483648"},
        FormatCase{"combo_integer", {Kind::Combo, 1, kReq}, 7, L"7"},
        // What cannot be written shows as empty text.
        FormatCase{"nan", {Kind::Edit, 2, kReq}, kNaN, L""},
        FormatCase{"infinity", {Kind::Edit, 2, kReq}, kInf, L""},
        FormatCase{"angle_nan_no_sign", {Kind::Edit, 3, kReq}, kNaN, L""},
        FormatCase{"integer_nan", {Kind::Edit, 1, kReq}, kNaN, L""},
        FormatCase{"plain_text_field", {Kind::Edit, 0, kReq}, 5.0, L""},
        FormatCase{"unknown_format", {Kind::Edit, 2, kReq, 2, 7}, 5.0, L""},
        FormatCase{"overflow_by_factor", {Kind::Edit, 2, kReq, 2, 2, ZUN::kUnitParsec, ZUN::kUnitAngstrom}, 1e300, L""},
        // 56 characters with the terminator: 55 fit, 56 do not.
        FormatCase{"fits_55", {Kind::Edit, 2, kReq, 8}, 1e46, L"9999999999999999931398190359470212947659194368.00000000"},
        FormatCase{"too_long_56", {Kind::Edit, 2, kReq, 8}, 1e47, L""},
        FormatCase{"too_long_compact_fits", {Kind::Edit, 2, kCompact, 8}, 1e47, L"100000000000000004384584304507619735463404765184"},
        // Decimals beyond what the formatter takes are held to its limits.
        FormatCase{"decimals_over_8", {Kind::Edit, 2, kReq, 20}, 0.5, L"0.50000000"},
        FormatCase{"angle_decimals_over_15", {Kind::Edit, 3, kReq, 40}, 0.0, L"0.000000000000000\u00B0"}),
    [](const auto& info) { return nameOf(info.param.name); });

TEST(ValueFieldFormat, FiftyFiveCharactersIsTheLongestText)
{
    CValueField field = makeField({Kind::Edit, 2, kReq, 8});
    EXPECT_EQ(field.setVal(1e46).len(), 55);
}

// ---- configuration ---------------------------------------------------------------------------

TEST(ValueFieldSetup, StartsAsTheFieldsStart)
{
    CValueField edit(Kind::Edit);
    EXPECT_EQ(edit.flags(), 0x0021);
    EXPECT_EQ(edit.decimals(), 8);
    EXPECT_EQ(edit.type(), 0);
    EXPECT_EQ(edit.minVal(), -DBL_MAX);
    EXPECT_EQ(edit.maxVal(), DBL_MAX);
    EXPECT_TRUE(std::isnan(edit.value()));
    EXPECT_EQ(edit.factor(), 1.0);
    EXPECT_EQ(edit.format(), zunAppPtr()->numberFormat());

    CValueField combo(Kind::Combo);
    EXPECT_EQ(combo.flags(), 0x0001);
    EXPECT_EQ(combo.decimals(), 1);
    EXPECT_EQ(combo.format(), 2);
}

TEST(ValueFieldSetup, DecimalsAndLimitsFollowTheType)
{
    CValueField edit(Kind::Edit);
    edit.setEditFlags(2, 0, 0, 10.0, -5.0);  // 0 keeps the decimals
    EXPECT_EQ(edit.decimals(), 8);
    EXPECT_EQ(edit.minVal(), -5.0);
    EXPECT_EQ(edit.maxVal(), 10.0);
    edit.setEditFlags(3, 0, 3, 0, 1);
    EXPECT_EQ(edit.decimals(), 3);
    edit.setEditFlags(3, 0, 1 << 20, 0, 1);  // held to the 16-bit word
    EXPECT_EQ(edit.decimals(), 65535);
    edit.setEditFlags(3, 0, 3, 0, 1);
    edit.setEditFlags(1, 0, 5, 0, 1);  // integers take no decimals
    EXPECT_EQ(edit.decimals(), 3);
    edit.setEditFlags(0, 0, 0, 100, 200);  // plain text keeps the limits
    EXPECT_EQ(edit.minVal(), 0.0);
    EXPECT_EQ(edit.maxVal(), 1.0);

    CValueField combo(Kind::Combo);
    combo.setEditFlags(2, 0, 0, 0, 1);  // the combo takes 0, keeps only on -1
    EXPECT_EQ(combo.decimals(), 0);
    combo.setEditFlags(2, 0, -1, 0, 1);
    EXPECT_EQ(combo.decimals(), 0);

    // A NaN limit orders nothing: refused, the range stays.
    EXPECT_FALSE(edit.setEditFlags(2, ZUN::kFlagRange, 0, kNaN, 4.0));
    EXPECT_EQ(edit.type(), 2);
    EXPECT_EQ(edit.maxVal(), 1.0);
}

TEST(ValueFieldSetup, FormatZeroIsRefusedByTheEditOnly)
{
    CValueField edit(Kind::Edit);
    edit.setFormat(4);
    EXPECT_FALSE(edit.setFormat(0));
    EXPECT_EQ(edit.format(), 4);
    EXPECT_TRUE(edit.setFormat(-1));
    EXPECT_EQ(edit.format(), zunAppPtr()->numberFormat());

    CValueField combo(Kind::Combo);
    EXPECT_TRUE(combo.setFormat(0));
    EXPECT_EQ(combo.format(), 0);
}

TEST(ValueFieldSetup, UnitsThatDoNotExistConvertOneToOne)
{
    CValueField field(Kind::Edit);
    EXPECT_TRUE(field.setLUnits(ZUN::kUnitMeter, ZUN::kUnitMillimeter));
    EXPECT_EQ(field.factor(), 1000.0);
    EXPECT_FALSE(field.setLUnits(ZUN::kUnitMeter, 99));
    EXPECT_EQ(field.factor(), 1.0);
    EXPECT_FALSE(field.setLUnits(-7, ZUN::kUnitInch));
    EXPECT_EQ(field.factor(), 1.0);
}

TEST(ValueFieldSetup, NaNCannotBeNamed)
{
    CValueField field(Kind::Edit);
    EXPECT_FALSE(field.setKey(L"nichts", kNaN));
    EXPECT_TRUE(field.keys().isEmpty());
    EXPECT_TRUE(field.setKey(L"Auto", -1.0));
    double v = 0;
    EXPECT_TRUE(field.keyValue(L"aUTO", v));
    EXPECT_EQ(v, -1.0);
    field.removeKeys();
    EXPECT_FALSE(field.keyValue(L"Auto", v));
}

// ---- reading ---------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    FieldSetup setup;
    bool changed;  // flag 0x8000: the text is read instead of the stored value
    const wchar_t* text;
    bool ok;
    double value;  // expected when ok
};

class ValueFieldRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ValueFieldRead, ReadsTheStoredValueOrTheText)
{
    const ReadCase& c = GetParam();
    CValueField field = makeField(c.setup);
    field.setKey(L"Auto", -1.0);
    field.setVal(7.0);
    field.markChanged(c.changed);
    double v = 123.0;
    ASSERT_EQ(field.getVal(c.text, v), c.ok);
    if (c.ok)
        EXPECT_DOUBLE_EQ(v, c.value);
    else
        EXPECT_EQ(v, 123.0);  // untouched
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ValueFieldRead,
    ::testing::Values(
        ReadCase{"unchanged_stored", {}, false, L"999", true, 7.0},
        ReadCase{"mm_to_metres", {Kind::Edit, 2, kReq, 0, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter}, true, L"2500", true, 2.5},
        ReadCase{"degrees_to_radians", {Kind::Edit, 3}, true, L"45", true, kPi / 4},
        ReadCase{"degrees_comma", {Kind::Edit, 3}, true, L"22,5\u00B0", true, kPi / 8},
        ReadCase{"integer", {Kind::Edit, 1}, true, L"12", true, 12.0},
        ReadCase{"fraction", {Kind::Edit, 2, kReq, 0, 5}, true, L"14 3/4", true, 14.75},
        ReadCase{"feet_inches", {Kind::Edit, 2, kReq, 0, 4}, true, L"1'-2 3/4\"", true, 14.75},
        ReadCase{"name_any_case", {}, true, L"  aUtO ", true, -1.0},
        ReadCase{"trimmed", {}, true, L"  5.5  ", true, 5.5},
        ReadCase{"empty_required", {}, true, L"   ", false, 0},
        ReadCase{"empty_optional", {Kind::Edit, 2, 0}, true, L"", false, 0},
        ReadCase{"unparseable", {}, true, L"abc", false, 0},
        ReadCase{"beyond_double", {}, true, L"1e400", false, 0},
        ReadCase{"angle_beyond_double", {Kind::Edit, 3}, true, L"1e400", false, 0},
        ReadCase{"angle_no_number", {Kind::Edit, 3}, true, L"x", false, 0},
        ReadCase{"angle_number_first", {Kind::Edit, 3}, true, L" -,5 Grad", true, -0.5 * kPi / 180},
        ReadCase{"below_smallest", {}, true, L"1e-400", true, 0.0},
        ReadCase{"zero_denominator", {}, true, L"3/0", false, 0}),
    [](const auto& info) { return nameOf(info.param.name); });

TEST(ValueFieldRead, TheStoredValueMustBeFiniteToBeRead)
{
    CValueField field = makeField({});
    for (double stored : {kNaN, kInf, -kInf}) {
        field.setVal(stored);
        double v = 0;
        EXPECT_TRUE(field.getVal(L"4", v));
        EXPECT_EQ(v, 4.0);
        EXPECT_FALSE(field.getVal(L"", v));
    }
}

TEST(ValueFieldRead, Integers)
{
    CValueField field = makeField({Kind::Edit, 1});
    field.setVal(7.9);
    int n = 0;
    EXPECT_TRUE(field.getVal(L"x", n));
    EXPECT_EQ(n, 7);
    field.setVal(-1e300);
    EXPECT_TRUE(field.getVal(L"x", n));
    EXPECT_EQ(n, INT_MIN);  // held to the int range
    field.markChanged(true);
    EXPECT_TRUE(field.getVal(L" 12abc", n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(field.getVal(L"99999999999", n));
    EXPECT_EQ(n, INT_MAX);
    n = 5;
    EXPECT_FALSE(field.getVal(L"abc", n));
    EXPECT_FALSE(field.getVal(L"", n));
    EXPECT_EQ(n, 5);
}

// ---- leaving the edit ------------------------------------------------------------------------

struct LeaveCase {
    const char* name;
    FieldSetup setup;
    double stored;
    const wchar_t* typed;
    bool modified;
    bool checked;
    const wchar_t* message;  // empty: no error
    double storedAfter;
    const wchar_t* textAfter;
};

class ValueFieldLeave : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(ValueFieldLeave, ChecksAndWritesBack)
{
    const LeaveCase& c = GetParam();
    CValueField field = makeField(c.setup);
    field.setKey(L"Auto", -1.0);
    field.setVal(c.stored);
    const ZUN::CEditLeave leave = field.leaveEdit(c.typed, c.modified, nullptr);
    EXPECT_EQ(leave.checked, c.checked);
    EXPECT_EQ(leave.error, *c.message != 0);
    EXPECT_EQ(leave.message, CZunString(c.message));
    EXPECT_EQ(leave.title, CZunString(leave.error ? L"Fehler" : L""));
    if (std::isnan(c.storedAfter))
        EXPECT_TRUE(std::isnan(field.value()));
    else
        EXPECT_DOUBLE_EQ(field.value(), c.storedAfter);
    if (c.checked) {
        EXPECT_TRUE(leave.setText);
        EXPECT_EQ(leave.text, CZunString(c.textAfter));
        EXPECT_TRUE(leave.modified);
        // A name is accepted as it stands and its text stays to be read.
        EXPECT_EQ((field.flags() & ZUN::kFlagChanged) != 0, leave.text == L"Auto");
    } else {
        EXPECT_FALSE(leave.setText);
    }
}

constexpr unsigned short kRange = ZUN::kFlagRequired | ZUN::kFlagCompact | ZUN::kFlagRange;
constexpr unsigned short kNotNeg = ZUN::kFlagRequired | ZUN::kFlagCompact | ZUN::kFlagNotNegative;
constexpr unsigned short kNotZero = ZUN::kFlagRequired | ZUN::kFlagCompact | ZUN::kFlagNotZero;
const FieldSetup kMetres{Kind::Edit, 2, kCompact, 1, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter};

INSTANTIATE_TEST_SUITE_P(
    Examples, ValueFieldLeave,
    ::testing::Values(
        LeaveCase{"mm_typed_metres_stored", kMetres, 1.5, L"2500", true, true, L"", 2.5, L"2500"},
        LeaveCase{"angle_typed", {Kind::Edit, 3, kCompact, 2}, kPi / 2, L"45", true, true, L"", kPi / 4, L"45\u00B0"},
        LeaveCase{"integer_truncated", {Kind::Edit, 1, kCompact}, 3, L"7.9", true, true, L"", 7, L"7"},
        LeaveCase{"required_emptied", {}, 1.5, L"  ", true, true, L"Eintragung notwendig", 1.5, L"1.5"},
        LeaveCase{"range_over", {Kind::Edit, 2, kRange, 0, 2, 0, 0, 0, 10}, 4, L"12", true, true,
                  L"Wert darf nicht größer sein als 10", 10, L"10"},
        LeaveCase{"range_under", {Kind::Edit, 2, kRange, 0, 2, 0, 0, 0.5, 10}, 4, L"-2", true, true,
                  L"Wert darf nicht kleiner sein als 0.5", 0.5, L"0.5"},
        // The limit reads in the display unit, as the value is shown.
        LeaveCase{"range_in_display_unit", {Kind::Edit, 2, kRange, 1, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter, 0, 10},
                  4, L"12000", true, true, L"Wert darf nicht größer sein als 10000", 10, L"10000"},
        LeaveCase{"integer_range", {Kind::Edit, 1, kRange, 0, 2, 0, 0, 1, 5}, 2, L"9", true, true,
                  L"Wert darf nicht größer sein als 5", 5, L"5"},
        LeaveCase{"not_negative", {Kind::Edit, 2, kNotNeg}, 2, L"-3", true, true, L"Wert darf nicht negativ sein", 2, L"2"},
        LeaveCase{"not_zero", {Kind::Edit, 2, kNotZero}, 2, L"0", true, true, L"Wert darf nicht Null sein", 2, L"2"},
        LeaveCase{"not_negative_before_range", {Kind::Edit, 2, kNotNeg | kRange, 0, 2, 0, 0, 0, 10}, 2, L"-3", true,
                  true, L"Wert darf nicht negativ sein", 2, L"2"},
        // A name is taken as it is, without checks.
        LeaveCase{"name_any_case", {Kind::Edit, 2, kNotNeg}, 2, L"aUTO", true, true, L"", -1, L"Auto"},
        LeaveCase{"number_of_a_name", {Kind::Edit, 2, kNotNeg}, 2, L"-1", true, true, L"", -1, L"Auto"},
        LeaveCase{"unparseable", {}, 2, L"zwei", true, true, L"Ungültige Zahl", 2, L"2"},
        LeaveCase{"unparseable_nothing_stored", {}, kNaN, L"zwei", true, true, L"Ungültige Zahl", kNaN, L""},
        LeaveCase{"beyond_double", {}, 2, L"1e999", true, true, L"Ungültige Zahl", 2, L"2"},
        // Unchanged: no check, even of a stored value out of range.
        LeaveCase{"unchanged_out_of_range", {Kind::Edit, 2, kRange, 0, 2, 0, 0, 0, 10}, 50, L"50", false, false, L"", 50, L""},
        LeaveCase{"plain_text_field", {Kind::Edit, 0, kCompact}, 1, L"abc", true, false, L"", 1, L""},
        LeaveCase{"optional_emptied", {Kind::Edit, 2, ZUN::kFlagCompact}, 3, L"", true, false, L"", 3, L""}),
    [](const auto& info) { return nameOf(info.param.name); });

TEST(ValueFieldLeave, AnOptionalEmptiedFieldReadsItsTextFromThenOn)
{
    CValueField field = makeField({Kind::Edit, 2, ZUN::kFlagCompact});
    field.setVal(3.0);
    field.leaveEdit(L"", true, nullptr);
    EXPECT_EQ(field.value(), 3.0);
    EXPECT_TRUE(field.flags() & ZUN::kFlagChanged);
    double v = 0;
    EXPECT_FALSE(field.getVal(L"", v));
    EXPECT_TRUE(field.getVal(L"4", v));
    EXPECT_EQ(v, 4.0);
}

TEST(ValueFieldLeave, TextsComeByMessageKey)
{
    struct Case {
        FieldSetup setup;
        const wchar_t* typed;
        const wchar_t* asked;
        const wchar_t* message;
    };
    const Case cases[] = {
        {{}, L"", L"ZUN022;ZUN001;", L"ZUN022|Eintragung notwendig"},
        {{Kind::Edit, 2, kNotNeg}, L"-1", L"ZUN024;ZUN001;", L"ZUN024|Wert darf nicht negativ sein"},
        {{Kind::Edit, 2, kNotZero}, L"0", L"ZUN023;ZUN001;", L"ZUN023|Wert darf nicht Null sein"},
        {{Kind::Edit, 2, kRange, 0, 2, 0, 0, 1, 2}, L"0", L"ZUN_MFC_0001;ZUN001;",
         L"ZUN_MFC_0001|Wert darf nicht kleiner sein als 1"},
        {{Kind::Edit, 2, kRange, 0, 2, 0, 0, 1, 2}, L"3", L"ZUN_MFC_0002;ZUN001;",
         L"ZUN_MFC_0002|Wert darf nicht größer sein als 2"},
        {{}, L"?", L"ZUN_MFC_0003;ZUN001;", L"ZUN_MFC_0003|Ungültige Zahl"},
    };
    for (const Case& c : cases) {
        CValueField field = makeField(c.setup);
        field.setVal(1.5);
        g_asked.empty();
        const ZUN::CEditLeave leave = field.leaveEdit(c.typed, true, &recordingMsg);
        EXPECT_EQ(g_asked, CZunString(c.asked)) << c.typed;
        EXPECT_EQ(leave.message, CZunString(c.message));
        EXPECT_EQ(leave.title, CZunString(L"ZUN001|Fehler"));
    }
}

// ---- the combo box ---------------------------------------------------------------------------

struct ComboCase {
    const char* name;
    FieldSetup setup;
    const wchar_t* typed;
    bool writeBack;
    bool beep;
    const wchar_t* textAfter;
};

class ValueFieldCombo : public ::testing::TestWithParam<ComboCase> {};

TEST_P(ValueFieldCombo, DefaultsClampsAndBeeps)
{
    const ComboCase& c = GetParam();
    const CValueField field = makeField(c.setup);
    const ZUN::CComboLeave leave = field.leaveCombo(c.typed);
    EXPECT_EQ(leave.writeBack, c.writeBack);
    EXPECT_EQ(leave.beep, c.beep);
    EXPECT_EQ(leave.text, CZunString(c.textAfter));
}

constexpr unsigned short kCReq = ZUN::kFlagRequired;
constexpr unsigned short kCNotZero = ZUN::kFlagRequired | ZUN::kFlagNotZero;
constexpr unsigned short kCNotZeroRange = ZUN::kFlagRequired | ZUN::kFlagNotZero | ZUN::kFlagRange;

INSTANTIATE_TEST_SUITE_P(
    Examples, ValueFieldCombo,
    ::testing::Values(
        ComboCase{"empty_not_zero_range_min", {Kind::Combo, 2, kCNotZeroRange, -1, 2, 0, 0, 2, 5}, L"", true, false, L"2.0"},
        ComboCase{"empty_not_zero_one", {Kind::Combo, 2, kCNotZero, -1}, L"", true, false, L"1.0"},
        ComboCase{"empty_required_zero", {Kind::Combo, 2, kCReq, -1}, L"", true, false, L"0.0"},
        ComboCase{"empty_optional_nothing", {Kind::Combo, 2, 0, -1}, L"", false, false, L""},
        ComboCase{"zero_becomes_one", {Kind::Combo, 2, kCNotZero, -1}, L"0", true, true, L"1.0"},
        ComboCase{"negative_stays_with_beep", {Kind::Combo, 2, kCReq | ZUN::kFlagNotNegative, -1}, L"-3", true, true, L"-3.0"},
        ComboCase{"clamped_silently", {Kind::Combo, 2, kCReq | ZUN::kFlagRange, -1, 2, 0, 0, 0, 10}, L"12", true, false, L"10.0"},
        ComboCase{"unchanged_text_is_checked", {Kind::Combo, 2, kCReq, -1}, L"2.50", true, false, L"2.5"},
        ComboCase{"mm_shown", {Kind::Combo, 2, kCReq, 0, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter}, L"2500.4", true, false, L"2500"},
        ComboCase{"angle", {Kind::Combo, 3, kCReq, -1}, L"45", true, false, L"45.0"},
        ComboCase{"integer_zero_becomes_one", {Kind::Combo, 1, kCNotZero, -1}, L"0", true, true, L"1"},
        ComboCase{"integer_truncated", {Kind::Combo, 1, kCReq, -1}, L"-7.9", true, false, L"-7"},
        ComboCase{"unreadable_replaced", {Kind::Combo, 2, kCReq, -1}, L"abc", true, true, L"0.0"},
        ComboCase{"unreadable_not_zero_range", {Kind::Combo, 2, kCNotZeroRange, -1, 2, 0, 0, 3, 5}, L"1e999", true, true, L"3.0"},
        ComboCase{"plain_text_box", {Kind::Combo, 0, kCReq, -1}, L"abc", false, false, L""}),
    [](const auto& info) { return nameOf(info.param.name); });

TEST(ValueFieldCombo, ValuesByType)
{
    CValueField lengths = makeField({Kind::Combo, 2, kCReq, 0, 2, ZUN::kUnitMeter, ZUN::kUnitMillimeter});
    double v = 0;
    EXPECT_TRUE(lengths.comboGetVal(L"2500", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(lengths.comboGetVal(L"abc", v));
    int n = 0;
    EXPECT_FALSE(lengths.comboGetVal(L"12", n));  // integers only
    CZunString text;
    EXPECT_FALSE(lengths.comboText(3, text));

    CValueField angles = makeField({Kind::Combo, 3, kCReq, -1});
    EXPECT_TRUE(angles.comboGetVal(L"90", v));
    EXPECT_DOUBLE_EQ(v, kPi / 2);

    CValueField integers = makeField({Kind::Combo, 1, kCReq, -1});
    EXPECT_TRUE(integers.comboGetVal(L"12", n));
    EXPECT_EQ(n, 12);
    EXPECT_FALSE(integers.comboGetVal(L"x", n));
    EXPECT_FALSE(integers.comboText(1.5, text));

    CValueField plain = makeField({Kind::Combo, 0, kCReq, -1});
    EXPECT_FALSE(plain.comboGetVal(L"12", v));
}

// ---- tinted rows -----------------------------------------------------------------------------

struct TintCase {
    const char* name;
    std::uint32_t background;
    std::uint32_t tinted;
};

class TintedRows : public ::testing::TestWithParam<TintCase> {};

TEST_P(TintedRows, BlendFivePercentOfTheContrast)
{
    EXPECT_EQ(ZUN::tintedRowColor(GetParam().background), GetParam().tinted);
}

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, TintedRows,
    ::testing::Values(TintCase{"white", 0xFFFFFF, 0xF2F2F2}, TintCase{"black", 0x000000, 0x0C0C0C},
                      // (r + 2g) / 3 = 128 is not light: tinted toward white.
                      TintCase{"grey_128", 0x808080, 0x868686},
                      // Blue does not count: a light yellow-green is light.
                      TintCase{"light_without_blue", 0x00C0C0, 0x00B6B6},
                      TintCase{"dark_blue_is_dark", 0x800000, 0x860C0C}),
    [](const auto& info) { return nameOf(info.param.name); });

TEST(TintedRows, TheBlendWeightIsClamped)
{
    EXPECT_EQ(ZUN::colorBlend(0x000000, 0xFFFFFF, 0.5), 0x7F7F7Fu);
    EXPECT_EQ(ZUN::colorBlend(0x102030, 0xFFFFFF, 2.0), 0x102030u);
    EXPECT_EQ(ZUN::colorBlend(0x102030, 0xFFFFFF, -1.0), 0xFFFFFFu);
    EXPECT_EQ(ZUN::colorBlend(0x102030, 0xA0B0C0, kNaN), 0xA0B0C0u);
    EXPECT_EQ(ZUN::colorBlend(0x0000FF, 0xFF0000, 0.25), 0xBF003Fu);
}
