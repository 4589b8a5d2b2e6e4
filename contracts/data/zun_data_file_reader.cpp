// Reading data trees from their JSON files, and the parsing, positions and
// value conversions that the other file formats of the library share.

#include "contracts/data/zun_data_file_p.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>


namespace ZUN {

CZunString CDataFileError::toString() const
{
    if (line > 0)
        return CZunString::formatted(L"%s:%d:%d: %s", file.c_str(), line, column, message.c_str());
    return CZunString::formatted(L"%s: %s", file.c_str(), message.c_str());
}

bool readTextFile(const CZunString& path, std::string& utf8, CZunString* error)
{
    std::ifstream in(path.toUtf8(), std::ios::binary);
    if (!in) {
        if (error)
            *error = CZunString::fromUtf8(std::strerror(errno));
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        if (error)
            *error = L"read error";
        return false;
    }
    utf8 = buffer.str();
    return true;
}

namespace json_detail {

// ---- positions -----------------------------------------------------------------

namespace {

void lineAndColumn(const std::string& text, size_t offset, int& line, int& column)
{
    line = 1;
    column = 1;
    offset = std::min(offset, text.size());
    for (size_t i = 0; i < offset; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {  // count characters, not bytes
            ++column;
        }
    }
}

// A scanner over text that nlohmann has already accepted: it only needs to
// find where a value starts, so it skips values without checking them.
class Locator {
public:
    explicit Locator(const std::string& text) : m_t(text) {}

    size_t find(const JsonPath& path)
    {
        m_p = 0;
        skipBlank();
        for (const JsonPathStep& step : path) {
            if (!enter(step))
                break;
        }
        return m_p;
    }

private:
    void skipBlank()
    {
        while (m_p < m_t.size() && std::strchr(" \t\r\n", m_t[m_p]) && m_t[m_p])
            ++m_p;
        // A byte order mark is no part of the value.
        if (m_t.compare(m_p, 3, "\xEF\xBB\xBF") == 0) {
            m_p += 3;
            skipBlank();
        }
    }
    std::string readString()
    {
        std::string out;
        ++m_p;  // opening quote
        while (m_p < m_t.size() && m_t[m_p] != '"') {
            if (m_t[m_p] == '\\' && m_p + 1 < m_t.size()) {
                const char e = m_t[m_p + 1];
                m_p += 2;
                switch (e) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': out += "\\u"; break;  // names with \u escapes compare loosely
                default: out += e; break;
                }
            } else {
                out += m_t[m_p++];
            }
        }
        ++m_p;  // closing quote
        return out;
    }
    void skipValue()
    {
        skipBlank();
        if (m_p >= m_t.size())
            return;
        const char c = m_t[m_p];
        if (c == '"') {
            readString();
        } else if (c == '{' || c == '[') {
            int depth = 0;
            while (m_p < m_t.size()) {
                const char d = m_t[m_p];
                if (d == '"') {
                    readString();
                    continue;
                }
                if (d == '{' || d == '[')
                    ++depth;
                else if (d == '}' || d == ']')
                    --depth;
                ++m_p;
                if (depth == 0)
                    break;
            }
        } else {
            while (m_p < m_t.size() && !std::strchr(",]} \t\r\n", m_t[m_p]))
                ++m_p;
        }
    }
    bool enter(const JsonPathStep& step)
    {
        skipBlank();
        if (m_p >= m_t.size())
            return false;
        if (const std::string* name = std::get_if<std::string>(&step)) {
            if (m_t[m_p] != '{')
                return false;
            ++m_p;
            for (;;) {
                skipBlank();
                if (m_p >= m_t.size() || m_t[m_p] != '"')
                    return false;
                const std::string key = readString();
                skipBlank();
                ++m_p;  // ':'
                skipBlank();
                if (key == *name)
                    return true;
                skipValue();
                skipBlank();
                if (m_p >= m_t.size() || m_t[m_p] != ',')
                    return false;
                ++m_p;
            }
        }
        const size_t index = std::get<size_t>(step);
        if (m_t[m_p] != '[')
            return false;
        ++m_p;
        for (size_t i = 0;; ++i) {
            skipBlank();
            if (i == index)
                return m_p < m_t.size() && m_t[m_p] != ']';
            skipValue();
            skipBlank();
            if (m_p >= m_t.size() || m_t[m_p] != ',')
                return false;
            ++m_p;
        }
    }

    const std::string& m_t;
    size_t m_p = 0;
};

std::string pathText(const JsonPath& path)
{
    std::string out;
    for (const JsonPathStep& step : path) {
        out += '/';
        if (const std::string* name = std::get_if<std::string>(&step))
            out += *name;
        else
            out += std::to_string(std::get<size_t>(step));
    }
    return out.empty() ? "/" : out;
}

} // namespace

bool readFileForLoad(const CZunString& path, std::string& utf8, CDataFileError* error)
{
    CZunString why;
    if (readTextFile(path, utf8, &why))
        return true;
    if (error) {
        *error = CDataFileError();
        error->file = path;
        error->message = L"cannot read the file: " + why;
    }
    return false;
}

namespace {

// Builds the document as nlohmann's own parser does, but keeps where and
// why parsing stopped instead of throwing: a number beyond any double
// stops it with an out_of_range exception, which carries no position and
// which a catch of parse errors alone let escape.
class PositionedSax {
public:
    explicit PositionedSax(Json& out) : m_dom(out, false) {}

    bool null() { return m_dom.null(); }
    bool boolean(bool v) { return m_dom.boolean(v); }
    bool number_integer(Json::number_integer_t v) { return m_dom.number_integer(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return m_dom.number_unsigned(v); }
    bool number_float(Json::number_float_t v, const Json::string_t& text) { return m_dom.number_float(v, text); }
    bool string(Json::string_t& v) { return m_dom.string(v); }
    bool binary(Json::binary_t& v) { return m_dom.binary(v); }
    bool start_object(std::size_t n) { return m_dom.start_object(n); }
    bool key(Json::string_t& v) { return m_dom.key(v); }
    bool end_object() { return m_dom.end_object(); }
    bool start_array(std::size_t n) { return m_dom.start_array(n); }
    bool end_array() { return m_dom.end_array(); }

    template <class Exception>
    bool parse_error(std::size_t at, const std::string& /*token*/, const Exception& e)
    {
        position = at;
        // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..."
        // or "[json.exception.out_of_range.406] number overflow parsing '1e400'": keep what
        // comes after the tag and after nlohmann's own position.
        std::string what = e.what();
        if (const size_t tag = what.find("] "); !what.empty() && what.front() == '[' && tag != std::string::npos)
            what = what.substr(tag + 2);
        if (what.rfind("parse error", 0) == 0)
            if (const size_t colon = what.find(": "); colon != std::string::npos)
                what = what.substr(colon + 2);
        reason = what;
        return false;
    }

    std::size_t position = 0;
    std::string reason;

private:
    nlohmann::detail::json_sax_dom_parser<Json> m_dom;
};

} // namespace

size_t jsonTooDeepAt(const std::string& utf8, int maxNesting)
{
    int depth = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        switch (utf8[i]) {
        case '"':
            // Brackets inside strings do not nest; an escaped quote does not end one.
            for (++i; i < utf8.size() && utf8[i] != '"'; ++i)
                if (utf8[i] == '\\')
                    ++i;
            break;
        case '[':
        case '{':
            if (++depth > maxNesting)
                return i;
            break;
        case ']':
        case '}':
            depth = std::max(depth - 1, 0);
            break;
        default:
            break;
        }
    }
    return std::string::npos;
}

std::string jsonTooDeepMessage()
{
    return "objects and arrays nested more than " + std::to_string(kJsonMaxNesting) + " levels deep";
}

bool parseJson(const std::string& utf8, const CZunString& sourceName, Json& out, CDataFileError* error)
{
    // Checked before parsing: every later step (reading the tree, copying,
    // writing it back) recurses once per level.
    if (const size_t deep = jsonTooDeepAt(utf8); deep != std::string::npos) {
        if (error) {
            error->file = sourceName;
            lineAndColumn(utf8, deep, error->line, error->column);
            error->message = CZunString::fromUtf8(jsonTooDeepMessage());
        }
        return false;
    }
    // Allow a byte order mark; nlohmann skips it itself for the first value.
    Json doc;
    PositionedSax sax(doc);
    if (Json::sax_parse(utf8, &sax)) {
        out = std::move(doc);
        return true;
    }
    if (error) {
        error->file = sourceName;
        // The position is 1-based and points just past the offending character.
        lineAndColumn(utf8, sax.position > 0 ? sax.position - 1 : 0, error->line, error->column);
        error->message = CZunString::fromUtf8("malformed JSON: " + sax.reason);
    }
    return false;
}

void reportProblem(const std::string& utf8, const CZunString& sourceName, const JsonProblem& problem,
                   CDataFileError* error)
{
    if (!error)
        return;
    error->file = sourceName;
    lineAndColumn(utf8, Locator(utf8).find(problem.path), error->line, error->column);
    error->message = CZunString::fromUtf8("expected " + problem.expected + " at " + pathText(problem.path));
}

// ---- values --------------------------------------------------------------------

namespace {

// JSON has no NaN or infinity; they travel as the strings "nan", "inf"
// and "-inf".
bool numberFromJson(const Json& j, double& d)
{
    if (j.is_number()) {
        d = j.get<double>();
        return true;
    }
    if (j.is_string()) {
        const std::string& s = j.get_ref<const std::string&>();
        if (s == "nan") { d = std::numeric_limits<double>::quiet_NaN(); return true; }
        if (s == "inf") { d = std::numeric_limits<double>::infinity(); return true; }
        if (s == "-inf") { d = -std::numeric_limits<double>::infinity(); return true; }
    }
    return false;
}

// An integer of the file as T; false when it is none or does not fit, so
// that 5000000000 never arrives as a wrapped 32-bit value.
template <class T>
bool integerFromJson(const Json& j, T& out)
{
    if (j.is_number_unsigned()) {
        const std::uint64_t u = j.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<T>::max()))
            return false;
        out = static_cast<T>(u);
        return true;
    }
    if (!j.is_number_integer())
        return false;
    const std::int64_t n = j.get<std::int64_t>();
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        return false;
    out = static_cast<T>(n);
    return true;
}

bool fitsInt(const Json& j)
{
    int n = 0;
    return integerFromJson(j, n);
}

class Reader {
public:
    Reader(JsonPath& path, JsonProblem& problem) : m_path(path), m_problem(problem) {}

    bool item(const Json& j, CZunDataItem& item)
    {
        if (j.is_object() && !j.contains("$"))
            return directory(j, item);
        CZunDataItem::Value value;
        if (!this->value(j, value))
            return false;
        item.set(value);
        return true;
    }

private:
    bool fail(const std::string& expected)
    {
        m_problem.path = m_path;
        m_problem.expected = expected;
        return false;
    }

    // Runs read with step pushed on the path.
    template <class Read>
    bool at(size_t index, Read read)
    {
        m_path.emplace_back(std::in_place_index<1>, index);
        return enter(read);
    }
    template <class Read>
    bool at(const std::string& name, Read read)
    {
        m_path.emplace_back(std::in_place_index<0>, name);
        return enter(read);
    }
    template <class Read>
    bool enter(Read read)
    {
        const bool ok = read();
        if (ok)
            m_path.pop_back();
        return ok;
    }

    bool key(const std::string& name, CZunItemKey& key)
    {
        if (name.size() >= 2 && name[0] == '#' && (name[1] == '#' || name[1] == '$')) {
            key = CZunItemKey(wideOf(name.substr(1)));
            return true;
        }
        if (name.rfind("#X:", 0) == 0) {
            key = CZunItemKey(wideOf(name.substr(3)), kRtDxf0);
            return name.size() > 3;
        }
        if (!name.empty() && name[0] == '#') {
            const bool isLong = name.size() > 1 && name[1] == 'L';
            const std::string digits = name.substr(isLong ? 2 : 1);
            char* end = nullptr;
            errno = 0;
            const long n = std::strtol(digits.c_str(), &end, 10);
            const long lo = isLong ? std::numeric_limits<int>::min() : std::numeric_limits<short>::min();
            const long hi = isLong ? std::numeric_limits<int>::max() : std::numeric_limits<short>::max();
            if (digits.empty() || *end || errno || n < lo || n > hi)
                return false;
            key = CZunItemKey(static_cast<int>(n), isLong ? kRtLong : kRtShort);
            return true;
        }
        // An empty name names no item: a path skips empty steps, so it would
        // stand for the directory itself.
        if (name.empty() || name[0] == '$')
            return false;
        key = CZunItemKey(wideOf(name));
        return true;
    }

    bool directory(const Json& j, CZunDataItem& dir)
    {
        dir.mkDir(CZunDataKey());
        for (auto it = j.begin(); it != j.end(); ++it) {
            CZunItemKey k;
            m_path.push_back(it.key());
            if (!key(it.key(), k))
                return fail("a key: a name, \"#<short>\", \"#L<long>\" or \"#X:<name>\"");
            // "#5" and "#L5", or "A" and "#X:A", name one key: a second one
            // would land on the first one's item, whatever its kind.
            if (dir.getItem(CZunDataKey(k)))
                return fail("a key given once in its directory");
            CZunDataItem* child = dir.mkItem(CZunDataKey(k));
            if (!item(it.value(), *child))
                return false;
            m_path.pop_back();
        }
        return true;
    }

    bool value(const Json& j, CZunDataItem::Value& v)
    {
        switch (j.type()) {
        case Json::value_t::null: v = std::monostate(); return true;
        case Json::value_t::boolean: v = j.get<bool>(); return true;
        case Json::value_t::string: v = wideOf(j.get<std::string>()); return true;
        case Json::value_t::number_float: v = j.get<double>(); return true;
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned: {
            long n = 0;
            if (!integerFromJson(j, n))
                return fail("an integer that fits 64 bits");
            v = n;
            return true;
        }
        case Json::value_t::array: return plainArray(j, v);
        case Json::value_t::object: return tagged(j, v);
        default: return fail("a value");
        }
    }

    bool plainArray(const Json& j, CZunDataItem::Value& v)
    {
        bool texts = true, ints = true, numbers = true;
        for (const Json& e : j) {
            texts = texts && e.is_string();
            ints = ints && fitsInt(e);
            numbers = numbers && e.is_number();
        }
        if (!j.empty() && texts) {
            CZunArrayTempl<CZunString> a;
            for (const Json& e : j)
                a.append(wideOf(e.get<std::string>()));
            v = std::move(a);
        } else if (!j.empty() && ints) {
            CZunArrayTempl<int> a;
            for (const Json& e : j)
                a.append(e.get<int>());
            v = std::move(a);
        } else if (numbers) {
            CZunArrayTempl<double> a;
            for (const Json& e : j)
                a.append(e.get<double>());
            v = std::move(a);
        } else {
            return fail("an array of numbers or of texts, or a typed value {\"$\": ...}");
        }
        return true;
    }

    const Json* member(const Json& obj, const char* name, bool required = true)
    {
        if (obj.contains(name))
            return &obj[name];
        if (required)
            fail(std::string("member \"") + name + "\"");
        return nullptr;
    }

    bool point(const Json& j, CZunPoint3d& p, double* bulge = nullptr)
    {
        const size_t most = bulge ? 4 : 3;
        if (!j.is_array() || j.size() < 2 || j.size() > most)
            return fail(bulge ? "a point [x, y], [x, y, z] or [x, y, z, bulge]" : "a point [x, y] or [x, y, z]");
        double c[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < j.size(); ++i)
            if (!at(i, [&] { return numberFromJson(j[i], c[i]) || fail("a number"); }))
                return false;
        p = CZunPoint3d(c[0], c[1], c[2]);
        if (bulge)
            *bulge = c[3];
        return true;
    }

    bool vertexArray(const Json& j, CZunVertexArray& vl)
    {
        if (!j.is_object())
            return fail("a polyline {\"pts\": [...], \"closed\": false}");
        if (j.contains("normal") && !at(std::string("normal"), [&] { return arcNormal(j["normal"], vl); }))
            return false;
        if (j.contains("segs"))
            return at(std::string("segs"), [&] { return segments(j["segs"], vl); });
        const Json* pts = member(j, "pts");
        if (!pts)
            return false;
        bool closed = false;
        if (j.contains("closed")) {
            if (!j["closed"].is_boolean())
                return at(std::string("closed"), [&] { return fail("true or false"); });
            closed = j["closed"].get<bool>();
        }
        return at(std::string("pts"), [&] { return points(*pts, closed, vl); });
    }

    // The normal that settles the plane of arcs whose ends lie on one line.
    bool arcNormal(const Json& j, CZunVertexArray& vl)
    {
        CZunPoint3d n;
        if (!j.is_array() || j.size() != 3 || !point(j, n))
            return fail("a direction [x, y, z]");
        if (n.asVector().isZeroLength(0.0))
            return fail("a direction [x, y, z] that is not zero");
        vl.setArcNormal(n.asVector());
        return true;
    }

    bool points(const Json& j, bool closed, CZunVertexArray& vl)
    {
        if (!j.is_array())
            return fail("an array of points");
        CZunPoint3dArray corners;
        CZunArrayTempl<double> bulges;
        for (size_t i = 0; i < j.size(); ++i) {
            CZunPoint3d p;
            double b = 0.0;
            if (!at(i, [&] { return point(j[i], p, &b); }))
                return false;
            corners.append(p);
            bulges.append(b);
        }
        for (int i = 0; i + 1 < corners.len(); ++i)
            vl.append(corners[i], corners[i + 1], bulges[i]);
        if (closed && corners.len() > 1)
            vl.append(corners[-1], corners[0], bulges[-1]);
        return true;
    }

    bool segments(const Json& j, CZunVertexArray& vl)
    {
        if (!j.is_array())
            return fail("an array of segments");
        for (size_t i = 0; i < j.size(); ++i) {
            const bool ok = at(i, [&] {
                double c[7];
                if (!j[i].is_array() || j[i].size() != 7)
                    return fail("a segment [x1, y1, z1, x2, y2, z2, bulge]");
                for (size_t k = 0; k < 7; ++k)
                    if (!numberFromJson(j[i][k], c[k]))
                        return at(k, [&] { return fail("a number"); });
                vl.append({c[0], c[1], c[2]}, {c[3], c[4], c[5]}, c[6]);
                return true;
            });
            if (!ok)
                return false;
        }
        return true;
    }

    bool contours(const Json& j, CZunContourSet& set)
    {
        if (!j.is_array())
            return fail("an array of polylines");
        for (size_t i = 0; i < j.size(); ++i) {
            CZunVertexArray vl;
            if (!at(i, [&] { return vertexArray(j[i], vl); }))
                return false;
            set.append(std::move(vl));
        }
        return true;
    }

    template <class T, class Read>
    bool list(const Json& j, CZunArrayTempl<T>& out, const char* expected, Read read)
    {
        if (!j.is_array())
            return fail(std::string("an array of ") + expected);
        for (size_t i = 0; i < j.size(); ++i) {
            T item{};
            if (!at(i, [&] { return read(j[i], item) || fail(expected); }))
                return false;
            out.append(std::move(item));
        }
        return true;
    }

    bool color(const Json& j, CZunColor& c)
    {
        const Json* index = member(j, "index");
        if (!index)
            return false;
        int colorIndex = 0;
        if (!integerFromJson(*index, colorIndex))
            return at(std::string("index"), [&] { return fail("a colour index"); });
        c.setColorIndex(colorIndex);
        if (j.contains("rgb")) {
            const Json& rgb = j["rgb"];
            unsigned value = 0;
            if (!rgb.is_string() || rgb.get<std::string>().size() != 7 || rgb.get<std::string>()[0] != '#' ||
                std::sscanf(rgb.get<std::string>().c_str() + 1, "%6x", &value) != 1)
                return at(std::string("rgb"), [&] { return fail("a colour \"#RRGGBB\""); });
            c.setColor(CZunColor::rgb(static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xFF),
                                      static_cast<int>(value & 0xFF)));
        }
        const auto text = [&](const char* name) {
            return j.contains(name) && j[name].is_string() ? wideOf(j[name].get<std::string>()) : CZunString();
        };
        c.setNames(text("book"), text("name"));
        return true;
    }

    bool tagged(const Json& j, CZunDataItem::Value& v)
    {
        const Json& tag = j["$"];
        if (!tag.is_string())
            return at(std::string("$"), [&] { return fail("a value kind"); });
        const std::string kind = tag.get<std::string>();
        if (kind == "vl") {
            CZunVertexArray vl;
            if (!vertexArray(j, vl))
                return false;
            v = std::move(vl);
            return true;
        }
        if (kind == "color") {
            CZunColor c;
            if (!color(j, c))
                return false;
            v = c;
            return true;
        }
        const Json* body = member(j, "v");
        if (!body)
            return false;
        m_path.push_back(std::string("v"));
        const bool ok = taggedBody(kind, *body, v);
        if (ok)
            m_path.pop_back();
        return ok;
    }

    bool taggedBody(const std::string& kind, const Json& j, CZunDataItem::Value& v)
    {
        if (kind == "short") {
            short n = 0;
            if (!integerFromJson(j, n))
                return fail("a short integer");
            v = n;
            return true;
        }
        if (kind == "real") {
            double d = 0.0;
            if (!numberFromJson(j, d))
                return fail("a number");
            v = d;
            return true;
        }
        if (kind == "point") {
            CZunPoint3d p;
            if (!point(j, p))
                return false;
            v = p;
            return true;
        }
        if (kind == "ints") {
            CZunArrayTempl<int> a;
            if (!list<int>(j, a, "integers", [](const Json& e, int& n) { return integerFromJson(e, n); }))
                return false;
            v = std::move(a);
            return true;
        }
        if (kind == "reals") {
            CZunArrayTempl<double> a;
            if (!list<double>(j, a, "numbers", numberFromJson))
                return false;
            v = std::move(a);
            return true;
        }
        if (kind == "texts") {
            CZunArrayTempl<CZunString> a;
            if (!list<CZunString>(j, a, "texts", [](const Json& e, CZunString& s) {
                    if (!e.is_string())
                        return false;
                    s = wideOf(e.get<std::string>());
                    return true;
                }))
                return false;
            v = std::move(a);
            return true;
        }
        if (kind == "points") {
            if (!j.is_array())
                return fail("an array of points");
            CZunPoint3dArray a;
            for (size_t i = 0; i < j.size(); ++i) {
                CZunPoint3d p;
                if (!at(i, [&] { return point(j[i], p); }))
                    return false;
                a.append(p);
            }
            v = std::move(a);
            return true;
        }
        if (kind == "matrix") {
            if (!j.is_array() || j.size() != 4)
                return fail("four rows of four numbers");
            CZunMatrix3d m;
            for (size_t r = 0; r < 4; ++r) {
                const bool ok = at(r, [&] {
                    if (!j[r].is_array() || j[r].size() != 4)
                        return fail("a row of four numbers");
                    for (size_t c = 0; c < 4; ++c)
                        if (!numberFromJson(j[r][c], m.m[r][c]))
                            return at(c, [&] { return fail("a number"); });
                    return true;
                });
                if (!ok)
                    return false;
            }
            v = m;
            return true;
        }
        if (kind == "contours") {
            CZunContourSet set;
            if (!contours(j, set))
                return false;
            v = std::move(set);
            return true;
        }
        if (kind == "regions") {
            if (!j.is_array())
                return fail("an array of contour lists");
            CZunRegionList regions;
            for (size_t i = 0; i < j.size(); ++i) {
                CZunContourSet set;
                if (!at(i, [&] { return contours(j[i], set); }))
                    return false;
                regions.append(std::move(set));
            }
            v = std::move(regions);
            return true;
        }
        m_path.pop_back();
        return at(std::string("$"), [&] {
            return fail("a known value kind (short, real, point, vl, ints, reals, texts, points, matrix, color, "
                        "contours, regions)");
        });
    }

    JsonPath& m_path;
    JsonProblem& m_problem;
};

} // namespace

bool itemFromJson(const Json& j, CZunDataItem& item, JsonPath& path, JsonProblem& problem)
{
    return Reader(path, problem).item(j, item);
}

} // namespace json_detail

using namespace json_detail;

bool dataFromJson(const std::string& utf8, const CZunString& sourceName, CZunDataItem& root, CDataFileError* error)
{
    Json doc;
    if (!parseJson(utf8, sourceName, doc, error))
        return false;
    JsonPath path;
    const Json* body = &doc;
    // The envelope {"zun": "data", "root": ...}; a bare directory object is accepted too.
    if (doc.is_object() && doc.contains("zun") && doc.contains("root")) {
        body = &doc["root"];
        path.push_back(std::string("root"));
    }
    JsonProblem problem;
    CZunDataItem scratch(true);
    if (!body->is_object() || body->contains("$")) {
        problem.path = path;
        problem.expected = "a directory object";
        reportProblem(utf8, sourceName, problem, error);
        return false;
    }
    if (!itemFromJson(*body, scratch, path, problem)) {
        reportProblem(utf8, sourceName, problem, error);
        return false;
    }
    root = scratch;
    return true;
}

bool dataFileLoad(const CZunString& path, CZunDataItem& root, CDataFileError* error)
{
    std::string text;
    return readFileForLoad(path, text, error) && dataFromJson(text, path, root, error);
}

} // namespace ZUN
