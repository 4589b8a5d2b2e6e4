#include "contracts/base/zun_number.h"

#include "contracts/base/zun_math.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace ZUN {
namespace {

constexpr int kMaxDecimals = 15;
constexpr int kMaxFractionBits = 8;
// Beyond this no format fits into kZunRtoSMax anyway; stopping early also
// keeps value * 2^n far from overflow.
constexpr double kMaxPlainValue = 1e60;

// ---------------------------------------------------------------------------
// Exact decimal arithmetic. Feet, inches and fractions are added as decimal
// digits and converted to double once, so that "1'-2.3\"" gives the double
// nearest to 14.3 rather than the sum of two rounded parts. That is what makes
// a printed text read back to a value that prints the same text again.

struct Decimal {
    std::string digits = "0";  // value = digits * 10^exp
    int exp = 0;

    static Decimal fromInteger(std::uint64_t v)
    {
        return Decimal{std::to_string(v), 0};
    }

    void multiply(unsigned factor)
    {
        unsigned carry = 0;
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            const unsigned d = static_cast<unsigned>(*it - '0') * factor + carry;
            *it = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        for (; carry; carry /= 10)
            digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
    }

    // False when the exponents lie so far apart that aligning them would
    // cost more digits than a double can tell apart; the caller then adds
    // in floating point, which is exact enough at such distances.
    bool add(Decimal other)
    {
        constexpr int kMaxShift = 1200;
        Decimal* high = this->exp > other.exp ? this : &other;
        const int shift = high->exp - (this->exp > other.exp ? other.exp : this->exp);
        if (shift > kMaxShift)
            return false;
        high->digits.append(static_cast<size_t>(shift), '0');
        high->exp -= shift;
        std::string& a = digits;
        const std::string& b = other.digits;
        if (a.size() < b.size())
            a.insert(0, b.size() - a.size(), '0');
        unsigned carry = 0;
        auto ia = a.rbegin();
        for (auto ib = b.rbegin(); ia != a.rend(); ++ia) {
            unsigned d = static_cast<unsigned>(*ia - '0') + carry;
            if (ib != b.rend())
                d += static_cast<unsigned>(*ib++ - '0');
            *ia = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        if (carry)
            a.insert(a.begin(), '1');
        return true;
    }

    // The nearest double. False on overflow; underflow gives 0.
    bool toDouble(double& out) const
    {
        const size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos) {
            out = 0.0;
            return true;
        }
        std::string text = digits.substr(first);
        const long magnitude = static_cast<long>(text.size()) + exp;
        text += 'e';
        text += std::to_string(exp);
        double v = 0.0;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
        if (res.ec == std::errc::result_out_of_range) {
            if (magnitude > 0)
                return false;
            v = 0.0;
        } else if (res.ec != std::errc()) {
            return false;
        }
        out = v;
        return true;
    }
};

// A typed quantity: a decimal plus an optional proper or improper fraction.
struct Quantity {
    Decimal dec;
    std::uint64_t num = 0;
    std::uint64_t den = 1;

    // Exact when the denominator has no prime factors but 2 and 5, which
    // covers every fraction zunRtoS prints.
    bool exact(Decimal& out) const
    {
        out = dec;
        if (num == 0)
            return true;
        std::uint64_t rest = den;
        int twos = 0;
        int fives = 0;
        for (; rest % 2 == 0; rest /= 2)
            ++twos;
        for (; rest % 5 == 0; rest /= 5)
            ++fives;
        if (rest != 1)
            return false;
        const int scale = twos > fives ? twos : fives;
        Decimal frac = Decimal::fromInteger(num);
        for (int k = twos; k < scale; ++k)
            frac.multiply(2);
        for (int k = fives; k < scale; ++k)
            frac.multiply(5);
        frac.exp = -scale;
        return out.add(frac);
    }

    bool toDouble(double& out) const
    {
        Decimal d;
        if (exact(d))
            return d.toDouble(out);
        double whole = 0.0;
        if (!dec.toDouble(whole))
            return false;
        out = whole + static_cast<double>(num) / static_cast<double>(den);
        return std::isfinite(out);
    }
};

// ---------------------------------------------------------------------------
// Reading

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\u00A0';
}
bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}
bool isFootMark(wchar_t c)
{
    return c == L'\'' || c == L'\u2032';
}
bool isInchMark(wchar_t c)
{
    return c == L'"' || c == L'\u2033';
}

class Scanner {
public:
    explicit Scanner(std::wstring_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    wchar_t peek() const { return atEnd() ? L'\0' : m_text[m_pos]; }
    void next() { ++m_pos; }
    size_t pos() const { return m_pos; }
    void reset(size_t pos) { m_pos = pos; }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek()))
            next();
    }

    // Optional sign; true for '-'.
    bool readSign()
    {
        const wchar_t c = peek();
        if (c == L'+' || c == L'-') {
            next();
            return c == L'-';
        }
        return false;
    }

    // Digits, '.' or ',' and more digits, an optional exponent. integral
    // tells whether it was digits alone, the only form that may start a
    // mixed number.
    bool readDecimal(Decimal& out, bool& integral)
    {
        std::string digits;
        int fracDigits = 0;
        integral = true;
        while (isDigit(peek())) {
            digits += static_cast<char>(peek());
            next();
        }
        if (peek() == L'.' || peek() == L',') {
            const size_t mark = pos();
            next();
            while (isDigit(peek())) {
                digits += static_cast<char>(peek());
                ++fracDigits;
                next();
            }
            if (digits.empty()) {  // a lone separator is no number
                reset(mark);
                return false;
            }
            integral = false;
        }
        if (digits.empty())
            return false;
        int exponent = 0;
        if (peek() == L'e' || peek() == L'E') {
            const size_t mark = pos();
            next();
            const bool negative = readSign();
            if (!isDigit(peek())) {
                reset(mark);
            } else {
                integral = false;
                // Saturate: such exponents over- or underflow regardless.
                for (; isDigit(peek()); next())
                    if (exponent < 100000)
                        exponent = exponent * 10 + (peek() - L'0');
                if (negative)
                    exponent = -exponent;
            }
        }
        out.digits = std::move(digits);
        out.exp = exponent - fracDigits;
        return true;
    }

    // A decimal, or a fraction "p/q", or a mixed number "w p/q" / "w-p/q".
    bool readQuantity(Quantity& out)
    {
        const size_t start = pos();
        if (readFraction(out.num, out.den)) {
            out.dec = Decimal{};
            return true;
        }
        reset(start);
        bool integral = false;
        if (!readDecimal(out.dec, integral))
            return false;
        out.num = 0;
        out.den = 1;
        if (!integral)
            return true;
        const size_t afterWhole = pos();
        if (isBlank(peek()))
            skipBlanks();
        else if (peek() == L'-')
            next();
        else
            return true;
        if (!readFraction(out.num, out.den)) {
            out.num = 0;
            out.den = 1;
            reset(afterWhole);
        }
        return true;
    }

private:
    // Up to 18 digits, so that the value fits in 64 bits.
    bool readUnsigned(std::uint64_t& out)
    {
        out = 0;
        int count = 0;
        for (; isDigit(peek()); next(), ++count) {
            if (count == 18)
                return false;
            out = out * 10 + static_cast<std::uint64_t>(peek() - L'0');
        }
        return count > 0;
    }

    bool readFraction(std::uint64_t& num, std::uint64_t& den)
    {
        if (!readUnsigned(num) || peek() != L'/')
            return false;
        next();
        return readUnsigned(den) && den != 0;
    }

    std::wstring_view m_text;
    size_t m_pos = 0;
};

bool parseMeasure(const wchar_t* text, double& value)
{
    if (!text)
        return false;
    Scanner in(text);
    in.skipBlanks();
    const bool negative = in.readSign();
    Quantity first;
    if (!in.readQuantity(first))
        return false;
    in.skipBlanks();

    Quantity feet;
    Quantity inches;
    if (isFootMark(in.peek())) {
        in.next();
        feet = first;
        in.skipBlanks();
        bool needInches = false;
        if (in.peek() == L'-') {
            in.next();
            in.skipBlanks();
            needInches = true;
        }
        if (!in.atEnd()) {
            if (!in.readQuantity(inches))
                return false;
            in.skipBlanks();
            if (isInchMark(in.peek())) {
                in.next();
                in.skipBlanks();
            }
        } else if (needInches) {
            return false;
        }
    } else {
        inches = first;
        if (isInchMark(in.peek())) {
            in.next();
            in.skipBlanks();
        }
    }
    if (!in.atEnd())
        return false;

    double result = 0.0;
    Decimal exactFeet;
    Decimal exactInches;
    if (feet.exact(exactFeet) && inches.exact(exactInches)) {
        exactFeet.multiply(12);
        if (exactFeet.add(exactInches)) {
            if (!exactFeet.toDouble(result))
                return false;
            value = negative && result != 0.0 ? -result : result;
            return true;
        }
    }
    double f = 0.0;
    double i = 0.0;
    if (!feet.toDouble(f) || !inches.toDouble(i))
        return false;
    result = std::fma(12.0, f, i);
    if (!std::isfinite(result))
        return false;
    value = negative && result != 0.0 ? -result : result;
    return true;
}

// ---------------------------------------------------------------------------
// Writing. Every piece is produced as exact decimal digits (to_chars rounds
// correctly and ignores the locale), and feet are split off those digits, so
// carries from rounding come out right without any floating-point fix-up.

std::string toChars(double value, std::chars_format form, int precision)
{
    std::array<char, 512> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, form, precision);
    return std::string(buf.data(), res.ptr);
}

bool hasNonZeroDigit(const std::string& s)
{
    return s.find_first_of("123456789") != std::string::npos;
}

// Drops trailing zeros after a decimal point, and the point if nothing is left.
void trimDecimals(std::string& s)
{
    if (s.find('.') == std::string::npos)
        return;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
}

// Divides a string of decimal digits by 12: the quotient without leading
// zeros and the remainder in inches.
int splitFeet(const std::string& inches, std::string& feet)
{
    feet.clear();
    int rest = 0;
    for (char c : inches) {
        rest = rest * 10 + (c - '0');
        const int q = rest / 12;
        rest %= 12;
        if (q || !feet.empty())
            feet += static_cast<char>('0' + q);
    }
    if (feet.empty())
        feet = "0";
    return rest;
}

double roundHalfEven(double v)
{
    const double down = std::floor(v);
    const double diff = v - down;
    if (diff > 0.5)
        return down + 1.0;
    if (diff < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::string formatScientific(double value, int precision, bool compact)
{
    std::string s = toChars(value == 0.0 ? 0.0 : value, std::chars_format::scientific, precision);
    const size_t e = s.find('e');
    s[e] = 'E';
    if (compact) {
        std::string mantissa = s.substr(0, e);
        trimDecimals(mantissa);
        s = mantissa + s.substr(e);
    }
    return s;
}

std::string formatDecimal(double value, int precision, bool compact)
{
    std::string s = toChars(std::fabs(value), std::chars_format::fixed, precision);
    if (compact)
        trimDecimals(s);
    return value < 0.0 && hasNonZeroDigit(s) ? "-" + s : s;
}

std::string formatEngineering(double value, int precision, bool compact)
{
    const std::string text = toChars(std::fabs(value), std::chars_format::fixed, precision);
    const size_t point = text.find('.');
    std::string feet;
    const int rest = splitFeet(text.substr(0, point), feet);
    std::string inches = std::to_string(rest);
    if (point != std::string::npos)
        inches += text.substr(point);
    if (compact)
        trimDecimals(inches);
    std::string s = value < 0.0 && hasNonZeroDigit(text) ? "-" : "";
    if (!compact || feet != "0")
        s += feet + "'-";
    return s + inches + '"';
}

// Rounds |value| to the nearest 1/2^precision: the whole part as digits and a
// reduced fraction num/den (num == 0 when there is none).
std::string splitFraction(double value, int precision, int& num, int& den)
{
    den = 1 << precision;
    const double steps = roundHalfEven(std::fabs(value) * den);
    const double rest = std::fmod(steps, static_cast<double>(den));
    num = static_cast<int>(rest);
    while (num != 0 && num % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    return toChars((steps - rest) / (1 << precision), std::chars_format::fixed, 0);
}

std::string formatArchitectural(double value, int precision, bool compact)
{
    int num = 0;
    int den = 1;
    std::string feet;
    const std::string whole = splitFraction(value, precision, num, den);
    const int inches = splitFeet(whole, feet);
    std::string s = value < 0.0 && (num != 0 || hasNonZeroDigit(whole)) ? "-" : "";
    const bool withFeet = !compact || feet != "0";
    if (withFeet)
        s += feet + "'-";
    if (withFeet || inches != 0 || num == 0)
        s += std::to_string(inches) + (num != 0 ? " " : "");
    if (num != 0)
        s += std::to_string(num) + '/' + std::to_string(den);
    return s + '"';
}

std::string formatFractional(double value, int precision)
{
    int num = 0;
    int den = 1;
    const std::string whole = splitFraction(value, precision, num, den);
    std::string s = value < 0.0 && (num != 0 || hasNonZeroDigit(whole)) ? "-" : "";
    if (num == 0)
        return s + whole;
    if (whole != "0")
        s += whole + ' ';
    return s + std::to_string(num) + '/' + std::to_string(den);
}

bool formatNumber(double value, int format, int precision, bool compact, std::string& out)
{
    if (!std::isfinite(value))
        return false;
    if (format != 1 && std::fabs(value) >= kMaxPlainValue)
        return false;
    const int decimals = precision < 0 ? 0 : precision > kMaxDecimals ? kMaxDecimals : precision;
    const int bits = precision < 0 ? 0 : precision > kMaxFractionBits ? kMaxFractionBits : precision;
    switch (format) {
    case 1: out = formatScientific(value, decimals, compact); break;
    case 2: out = formatDecimal(value, decimals, compact); break;
    case 3: out = formatEngineering(value, decimals, compact); break;
    case 4: out = formatArchitectural(value, bits, compact); break;
    case 5: out = formatFractional(value, bits); break;
    default: return false;
    }
    return out.size() < static_cast<size_t>(kZunRtoSMax);
}

} // namespace

bool zunRtoS(double value, int format, int precision, CZunString& text, bool option)
{
    std::string out;
    if (!formatNumber(value, format, precision, option, out))
        return false;
    text = CZunString(std::wstring(out.begin(), out.end()));
    return true;
}

bool zunRtoS(double value, int format, int precision, wchar_t* buffer, bool option)
{
    std::string out;
    if (!buffer || !formatNumber(value, format, precision, option, out))
        return false;
    for (size_t i = 0; i < out.size(); ++i)
        buffer[i] = static_cast<wchar_t>(out[i]);
    buffer[out.size()] = L'\0';
    return true;
}

double zunAtoF(const wchar_t* text)
{
    double value = 0.0;
    return parseMeasure(text, value) ? value : nan();
}

bool zunAtoF(const wchar_t* text, double& value)
{
    return parseMeasure(text, value);
}

double atof(const wchar_t* text)
{
    if (!text)
        return 0.0;
    Scanner in(text);
    in.skipBlanks();
    const bool negative = in.readSign();
    Decimal dec;
    bool integral = false;
    if (!in.readDecimal(dec, integral))
        return 0.0;
    double value = 0.0;
    if (!dec.toDouble(value))
        value = HUGE_VAL;
    return negative ? -value : value;
}

int atoi(const wchar_t* text)
{
    if (!text)
        return 0;
    Scanner in(text);
    in.skipBlanks();
    const bool negative = in.readSign();
    long long value = 0;
    for (; isDigit(in.peek()); in.next())
        if (value <= INT_MAX)
            value = value * 10 + (in.peek() - L'0');
    if (negative)
        value = -value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

} // namespace ZUN
