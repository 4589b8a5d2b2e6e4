#include "contracts/data/zun_hatch.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace ZUN {

bool operator==(const CHatchProp& a, const CHatchProp& b)
{
    if (a.m_angle != b.m_angle || a.m_scale != b.m_scale || a.m_double != b.m_double)
        return false;
    if (a.m_name == b.m_name)
        return true;
    CZunString x(a.m_name), y(b.m_name);
    return x.makeUpper() == y.makeUpper();
}

namespace {

constexpr int kLeadingNumbers = 5;  // angle, x, y, delta-x, delta-y

} // namespace

CPatternLine patternLineOf(const CHatchLine& numbers)
{
    // An entry past the end reads as 0.
    CPatternLine line;
    line.angle = numbers.get(0);
    line.originX = numbers.get(1);
    line.originY = numbers.get(2);
    line.shift = numbers.get(3);
    line.spacing = numbers.get(4);
    if (numbers.len() > kLeadingNumbers)
        line.dashes.assign(numbers.begin() + kLeadingNumbers, numbers.end());
    return line;
}

CPatternLines patternLinesOf(const CHatchPattern& definition)
{
    CPatternLines lines;
    lines.reserve(static_cast<size_t>(definition.len()));
    for (const CHatchLine& numbers : definition)
        lines.push_back(patternLineOf(numbers));
    return lines;
}

namespace {

std::string_view trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A number as the files write them: optional sign, digits with an optional
// fraction (".5" included) and exponent. from_chars, unlike strtod, ignores
// the process locale, so a German desktop still reads "3.175".
bool toNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return false;
    }
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    // "inf" and "nan" parse too, but would stall or poison the painter.
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

CZunString lineError(const CZunString& source, int line, const CZunString& what)
{
    return source + CZunString::formatted(L":%d: ", line) + what;
}

struct ParsedPattern {
    CZunString name;
    CZunString description;
    CHatchPattern lines;
    int headerLine = 0;
};

} // namespace

CZunString CHatchPatternLib::keyOf(const CZunString& name)
{
    CZunString key(name);
    key.makeUpper();
    return key;
}

int CHatchPatternLib::find(const CZunString& name) const
{
    const int* position = m_byKey.find(keyOf(name));
    return position ? *position : -1;
}

bool CHatchPatternLib::parse(const std::string& utf8Text, const CZunString& sourceName, CZunString* error)
{
    std::string_view text(utf8Text);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::vector<ParsedPattern> parsed;
    auto fail = [&](int line, const CZunString& what) {
        if (error)
            *error = lineError(sourceName, line, what);
        return false;
    };
    auto emptyPattern = [&](const ParsedPattern& p) {
        return fail(p.headerLine, L"at least one line expected for pattern " + p.name);
    };

    int lineNo = 0;
    while (!text.empty() || lineNo == 0) {
        ++lineNo;
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        line = trimmed(line);
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '*') {
            if (!parsed.empty() && parsed.back().lines.isEmpty())
                return emptyPattern(parsed.back());
            line.remove_prefix(1);
            const size_t comma = line.find(',');
            ParsedPattern p;
            p.name = CZunString::fromUtf8(trimmed(line.substr(0, comma)));
            if (comma != std::string_view::npos)
                p.description = CZunString::fromUtf8(trimmed(line.substr(comma + 1)));
            if (p.name.isEmpty())
                return fail(lineNo, L"pattern name expected after '*'");
            p.headerLine = lineNo;
            parsed.push_back(std::move(p));
            continue;
        }

        if (parsed.empty())
            return fail(lineNo, L"pattern header \"*NAME[, description]\" expected before the first line");

        if (parsed.back().lines.len() == kHatchMaxLines)
            return fail(lineNo, L"pattern " + parsed.back().name +
                                    CZunString::formatted(L" has more than %d lines", kHatchMaxLines));

        line = trimmed(line.substr(0, line.find(';')));
        CHatchLine values;
        int field = 0;
        for (;;) {
            if (field == kLeadingNumbers + kHatchMaxDashes)
                return fail(lineNo, CZunString::formatted(L"more than %d dashes in one line", kHatchMaxDashes));
            ++field;
            const size_t comma = line.find(',');
            const std::string_view item = trimmed(line.substr(0, comma));
            double value = 0.0;
            if (!toNumber(item, value))
                return fail(lineNo, CZunString::formatted(L"number expected in field %d, found \"", field)
                                        + CZunString::fromUtf8(item) + L"\"");
            values.append(value);
            if (comma == std::string_view::npos)
                break;
            line.remove_prefix(comma + 1);
        }
        if (values.len() < kLeadingNumbers)
            return fail(lineNo, CZunString::formatted(
                                    L"angle, x-origin, y-origin, delta-x and delta-y expected, found %d number(s)",
                                    values.len()));
        parsed.back().lines.append(std::move(values));
    }
    if (!parsed.empty() && parsed.back().lines.isEmpty())
        return emptyPattern(parsed.back());

    // Nothing can fail from here on: the library changes only now.
    for (ParsedPattern& p : parsed) {
        const CZunString key = keyOf(p.name);
        if (const int* position = m_byKey.find(key)) {
            Entry& e = m_patterns[static_cast<size_t>(*position)];
            e.name = std::move(p.name);
            e.description = std::move(p.description);
            e.lines = std::move(p.lines);
        } else {
            m_byKey.setAt(key, static_cast<int>(m_patterns.size()));
            m_patterns.push_back(Entry{std::move(p.name), std::move(p.description), std::move(p.lines)});
        }
    }
    return true;
}

bool CHatchPatternLib::load(const CZunString& path, CZunString* error)
{
    const std::string utf8Path = path.toUtf8();
    const std::filesystem::path fsPath(std::u8string(utf8Path.begin(), utf8Path.end()));
    std::error_code ec;
    std::string text;
    bool readable = std::filesystem::is_regular_file(fsPath, ec);
    if (readable) {
        std::ifstream in(fsPath, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        readable = in.is_open() && !in.bad();
    }
    if (!readable) {
        if (error)
            *error = path + L": the file cannot be read";
        return false;
    }
    return parse(text, path, error);
}

bool CHatchPatternLib::get(const CZunString& name, CHatchPattern& definition) const
{
    const int i = find(name);
    if (i < 0) {
        definition.clear();
        return false;
    }
    definition = m_patterns[static_cast<size_t>(i)].lines;
    return true;
}

CZunString CHatchPatternLib::description(const CZunString& name) const
{
    const int i = find(name);
    return i < 0 ? CZunString() : m_patterns[static_cast<size_t>(i)].description;
}

CZunArrayTempl<CZunString> CHatchPatternLib::names() const
{
    CZunArrayTempl<CZunString> result;
    result.reserve(len());
    for (const Entry& e : m_patterns)
        result.append(e.name);
    return result;
}

} // namespace ZUN
