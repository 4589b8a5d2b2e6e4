#include "contracts/data/zun_drawing_reader.h"

#include "contracts/data/zun_data_file_p.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unordered_set>

namespace ZUN {

using namespace json_detail;

namespace {

// The file's bytes through a buffer, with the offset of the next one.
class ByteSource {
public:
    explicit ByteSource(std::FILE* file) : m_file(file) {}

    // The next byte without taking it; -1 at the end.
    int peek()
    {
        if (m_pos == m_len && !fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_pos]);
    }
    int get()
    {
        const int c = peek();
        if (c >= 0)
            ++m_pos;
        return c;
    }
    std::uint64_t offset() const { return m_base + m_pos; }

private:
    bool fill()
    {
        m_base += m_len;
        m_pos = 0;
        m_len = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
        return m_len > 0;
    }

    std::FILE* m_file;
    std::array<char, 64 * 1024> m_buffer{};
    size_t m_pos = 0;
    size_t m_len = 0;
    std::uint64_t m_base = 0;
};

// Follows the layout of a drawing file without checking its values: the
// envelope's members are copied out to be parsed, each part's span is
// noted. Anything it does not follow makes it give up; the whole-file
// reader then has the last word.
class Scanner {
public:
    explicit Scanner(ByteSource& in) : m_in(in) {}

    void skipBlank()
    {
        for (int c = m_in.peek(); c == ' ' || c == '\t' || c == '\r' || c == '\n'; c = m_in.peek())
            m_in.get();
    }
    bool take(char expected)
    {
        skipBlank();
        if (m_in.peek() != static_cast<unsigned char>(expected))
            return false;
        m_in.get();
        return true;
    }
    // A string, the opening quote taken already; copied to out when given.
    bool string(std::string* out)
    {
        for (;;) {
            const int c = m_in.get();
            if (c < 0)
                return false;
            if (out)
                out->push_back(static_cast<char>(c));
            if (c == '"')
                return true;
            if (c == '\\') {
                const int escaped = m_in.get();
                if (escaped < 0)
                    return false;
                if (out)
                    out->push_back(static_cast<char>(escaped));
            }
        }
    }
    // Any value at nesting depth (the value's own brackets count from
    // depth + 1), copied to out when given.
    bool value(int depth, std::string* out)
    {
        skipBlank();
        int open = 0;
        do {
            const int c = m_in.get();
            if (c < 0)
                return false;
            if (out)
                out->push_back(static_cast<char>(c));
            switch (c) {
            case '"':
                if (!string(out))
                    return false;
                break;
            case '{':
            case '[':
                if (depth + ++open > kJsonMaxNesting)
                    return false;
                break;
            case '}':
            case ']':
                if (--open < 0)
                    return false;
                break;
            default:
                if (open == 0)
                    return scalarRest(out);
                break;
            }
        } while (open > 0);
        return true;
    }

private:
    // The rest of a number or literal: up to the next separator.
    bool scalarRest(std::string* out)
    {
        for (int c = m_in.peek(); c >= 0 && !std::strchr(",]} \t\r\n", c); c = m_in.peek()) {
            if (out)
                out->push_back(static_cast<char>(c));
            m_in.get();
        }
        return true;
    }

    ByteSource& m_in;
};

} // namespace

CZunDrawingReader::CZunDrawingReader() : m_file(nullptr, &std::fclose) {}

CZunDrawingReader::~CZunDrawingReader() = default;

void CZunDrawingReader::close()
{
    m_file.reset();
    m_parts.clear();
    m_envelope.clear();
    m_whole.reset();
    m_text.clear();
    m_text.shrink_to_fit();
    m_largestPart = 0;
}

bool CZunDrawingReader::open(const CZunString& path, CDataFileError* error)
{
    close();
    m_path = path;
    std::FILE* raw = std::fopen(path.toUtf8().c_str(), "rb");
    if (!raw)
        return wholeFileProblem(error);
    m_file.reset(raw);
    std::string envelope;
    Json doc;
    if (!scan(m_file.get(), envelope) || !parseJson(envelope, path, doc, nullptr) ||
        !drawingEnvelopeFromJson(doc, m_envelope) || m_envelope.partCount() > 0) {
        // Not a layout followed here (or not a drawing at all): the
        // whole-file reader decides.
        return readWhole(error);
    }
    m_envelope.m_path = path;
    return true;
}

bool CZunDrawingReader::scan(std::FILE* file, std::string& envelope)
{
    ByteSource in(file);
    Scanner scanner(in);
    scanner.skipBlank();
    // A byte order mark is no part of the text.
    if (in.peek() == 0xEF) {
        for (const int mark : {0xEF, 0xBB, 0xBF})
            if (in.get() != mark)
                return false;
    }
    if (!scanner.take('{'))
        return false;
    envelope = "{";
    bool hadParts = false;
    bool first = true;
    if (scanner.take('}')) {
        envelope += '}';
        return true;
    }
    do {
        if (!scanner.take('"'))
            return false;
        std::string key;
        if (!scanner.string(&key))
            return false;
        key.pop_back();  // the closing quote
        if (!scanner.take(':'))
            return false;
        if (key != "parts") {
            if (key.find('\\') != std::string::npos)
                return false;
            envelope += first ? "\"" : ",\"";
            envelope += key;
            envelope += "\":";
            first = false;
            if (!scanner.value(1, &envelope))
                return false;
            continue;
        }
        if (hadParts || !scanner.take('['))
            return false;
        hadParts = true;
        if (scanner.take(']'))
            continue;
        do {
            scanner.skipBlank();
            Span span;
            span.begin = in.offset();
            if (!scanner.value(2, nullptr))
                return false;
            span.end = in.offset();
            m_parts.push_back(span);
        } while (scanner.take(','));
        if (!scanner.take(']'))
            return false;
    } while (scanner.take(','));
    if (!scanner.take('}'))
        return false;
    envelope += '}';
    scanner.skipBlank();
    return in.peek() < 0;
}

bool CZunDrawingReader::readWhole(CDataFileError* error)
{
    m_file.reset();
    m_parts.clear();
    auto whole = std::make_unique<CZunDrawing>();
    if (!whole->load(m_path, error))
        return false;
    m_parts.resize(static_cast<size_t>(whole->partCount()));
    m_envelope.clear();
    m_envelope.m_path = m_path;
    m_envelope.setUnit(whole->unit());
    m_envelope.layers() = whole->layers();
    m_envelope.materials() = whole->materials();
    m_whole = std::move(whole);
    return true;
}

bool CZunDrawingReader::wholeFileProblem(CDataFileError* error)
{
    CDataFileError problem;
    if (CZunDrawing().load(m_path, &problem)) {
        // Read whole, the file is fine: it changed since it was opened.
        problem = CDataFileError();
        problem.file = m_path;
        problem.message = L"the file changed while it was read; open it again";
    }
    if (error)
        *error = problem;
    return false;
}

void CZunDrawingReader::startDrawing(CZunDrawing& drawing) const
{
    drawing.clear();
    drawing.m_path = m_envelope.m_path;
    drawing.setUnit(m_envelope.unit());
    drawing.layers() = m_envelope.layers();
    drawing.materials() = m_envelope.materials();
}

bool CZunDrawingReader::readPart(int index, CZunDrawing& drawing, CDataFileError* error)
{
    if (index < 0 || index >= partCount())
        return false;
    if (m_whole) {
        const CZunPart& from = *m_whole->part(index);
        CZunPart* part = drawing.addPart(from.handle, from.type, from.data);
        if (!part)
            return false;
        part->name = from.name;
        part->lobj = from.lobj;
        return true;
    }
    const Span span = m_parts[static_cast<size_t>(index)];
    const size_t length = static_cast<size_t>(span.end - span.begin);
    m_text.resize(length);
    m_largestPart = std::max(m_largestPart, length);
    Json doc;
    if (std::fseek(m_file.get(), static_cast<long>(span.begin), SEEK_SET) != 0 ||
        std::fread(m_text.data(), 1, length, m_file.get()) != length || !parseJson(m_text, m_path, doc, nullptr) ||
        !drawingPartFromJson(doc, static_cast<size_t>(index), drawing))
        return wholeFileProblem(error);
    return true;
}

bool CZunDrawingReader::forEachPart(const std::function<bool(CZunDrawing&, const CZunPart&)>& each,
                                    CZunDrawing& drawing, CDataFileError* error)
{
    startDrawing(drawing);
    // The handles read so far: the drawing holds one part at a time and
    // cannot tell a handle used twice itself.
    std::unordered_set<std::wstring> handles;
    for (int i = 0; i < partCount(); ++i) {
        if (!readPart(i, drawing, error))
            return false;
        const CZunPart* part = drawing.part(drawing.partCount() - 1);
        if (!handles.insert(part->handle.str()).second)
            return wholeFileProblem(error);
        const CZunString handle = part->handle;
        const bool goOn = each(drawing, *part);
        drawing.removePart(handle);
        if (!goOn)
            break;
    }
    return true;
}

} // namespace ZUN
