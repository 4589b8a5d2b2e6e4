#include "images/slide/zun_slide_lib.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace ZUN {

namespace {

// Code page 1252 at 0x80..0x9F; 0 marks the five unassigned codes.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

char toCp1252(wchar_t c)
{
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    // The five unassigned codes stand for themselves both ways, so that
    // every stored name survives the trip through wide text.
    if (u <= 0x9F && kCp1252High[u - 0x80] == 0)
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

wchar_t fromCp1252(unsigned char c)
{
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] != 0)
        return static_cast<wchar_t>(kCp1252High[c - 0x80]);
    return static_cast<wchar_t>(c);
}

// Upper case within code page 1252: ASCII, the Latin-1 letters and the
// few letters with a case pair at 0x8A..0x9F.
unsigned char foldCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Where a library's bytes come from: memory or a file. Both answer the
// total size and reads at an offset (fewer bytes at the end).
class CByteSource {
public:
    virtual ~CByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const = 0;
};

class CMemorySource : public CByteSource {
public:
    CMemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const override
    {
        if (offset > m_size || m_size - offset < n)
            return false;
        std::copy_n(m_data + offset, n, dst);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openForReading(const wchar_t* path)
{
    if (!path || !*path)
        return nullptr;
    return FilePtr(std::fopen(CZunString(path).toUtf8().c_str(), "rb"));
}

class CFileSource : public CByteSource {
public:
    explicit CFileSource(std::FILE* file) : m_file(file)
    {
        if (std::fseek(m_file, 0, SEEK_END) == 0) {
            const long end = std::ftell(m_file);
            m_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const override
    {
        if (offset > m_size || m_size - offset < n)
            return false;
        if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
            return false;
        return std::fread(dst, 1, n, m_file) == n;
    }

private:
    std::FILE* m_file;
    std::uint64_t m_size = 0;
};

using RawEntry = std::array<std::uint8_t, kSlideLibEntry>;

// An entry that holds a name; false for the end of the directory.
bool readEntry(const CByteSource& src, std::uint64_t pos, RawEntry& raw)
{
    return src.read(pos, raw.data(), raw.size()) && raw[0] != 0;
}

SlideLibEntry makeEntry(const RawEntry& raw, bool hasNext, const RawEntry& next, std::uint64_t librarySize)
{
    SlideLibEntry e;
    const auto* name = reinterpret_cast<const char*>(raw.data());
    e.name.assign(name, std::find(name, name + kSlideLibNameLen, '\0'));
    e.offset = le32(raw.data() + kSlideLibNameLen);
    const std::uint64_t end = std::min<std::uint64_t>(hasNext ? le32(next.data() + kSlideLibNameLen) : librarySize,
                                                       librarySize);
    e.length = end > e.offset ? static_cast<std::uint32_t>(end - e.offset) : 0;
    return e;
}

// Calls visit(entry) for each entry in directory order until it returns
// false. The directory cannot outrun the library: each entry is read whole.
template <class Visit>
void walkDirectory(const CByteSource& src, Visit visit)
{
    RawEntry raw{}, next{};
    std::uint64_t pos = kSlideLibHeader;
    bool have = readEntry(src, pos, raw);
    while (have) {
        pos += kSlideLibEntry;
        const bool hasNext = readEntry(src, pos, next);
        if (!visit(makeEntry(raw, hasNext, next, src.size())))
            return;
        raw = next;
        have = hasNext;
    }
}

bool findEntry(const CByteSource& src, std::string_view name, SlideLibEntry& found)
{
    bool ok = false;
    walkDirectory(src, [&](SlideLibEntry&& e) {
        if (!slideNameEqual(e.name, name))
            return true;
        ok = e.length > 0;
        found = std::move(e);
        return false;
    });
    return ok;
}

bool endsWithSlb(const CZunString& text)
{
    if (text.len() < 4)
        return false;
    CZunString tail = text.right(4);
    tail.makeLower();
    return tail == L".slb";
}

} // namespace

bool slideNameEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase(static_cast<unsigned char>(x)) == foldCase(static_cast<unsigned char>(y));
           });
}

bool slideNameToCp1252(const wchar_t* name, std::string& out)
{
    out.clear();
    if (!name)
        return false;
    for (const wchar_t* p = name; *p; ++p) {
        if (out.size() == kSlideLibNameLen)
            return false;
        out += toCp1252(*p);
    }
    return true;
}

CZunString slideNameFromCp1252(std::string_view name)
{
    std::wstring text;
    text.reserve(name.size());
    for (char c : name)
        text += fromCp1252(static_cast<unsigned char>(c));
    return CZunString(std::move(text));
}

std::vector<SlideLibEntry> slideLibDirectory(const std::uint8_t* data, std::size_t size)
{
    std::vector<SlideLibEntry> entries;
    walkDirectory(CMemorySource(data, size), [&](SlideLibEntry&& e) {
        entries.push_back(std::move(e));
        return true;
    });
    return entries;
}

bool slideLibFind(const std::uint8_t* data, std::size_t size, std::string_view name, SlideLibEntry& entry)
{
    return findEntry(CMemorySource(data, size), name, entry);
}

bool slideReadFile(const wchar_t* path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    const FilePtr file = openForReading(path);
    if (!file)
        return false;
    std::uint8_t chunk[16384];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk)
            break;
    }
    if (std::ferror(file.get()))
        bytes.clear();
    return !bytes.empty();
}

bool slideReadFromLibrary(const wchar_t* library, const wchar_t* name, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    std::string key;
    if (!slideNameToCp1252(name, key))
        return false;
    const FilePtr file = openForReading(library);
    if (!file)
        return false;
    const CFileSource src(file.get());
    SlideLibEntry entry;
    if (!findEntry(src, key, entry))
        return false;
    bytes.resize(entry.length);
    if (!src.read(entry.offset, bytes.data(), bytes.size()))
        bytes.clear();
    return !bytes.empty();
}

bool slideLibNames(const wchar_t* library, CZunArrayTempl<CZunString>& names)
{
    names.clear();
    const FilePtr file = openForReading(library);
    if (!file)
        return false;
    walkDirectory(CFileSource(file.get()), [&](SlideLibEntry&& e) {
        names.append(slideNameFromCp1252(e.name));
        return true;
    });
    return !std::ferror(file.get());
}

void slideSplitReference(const CZunString& reference, CZunString& library, CZunString& name)
{
    for (int colon = reference.reverseFind(L':'); colon > 0; colon = reference.left(colon).reverseFind(L':')) {
        const CZunString head = reference.left(colon);
        if (endsWithSlb(head) && colon + 1 < reference.len()) {
            library = head;
            name = reference.mid(colon + 1);
            return;
        }
    }
    library = CZunString();
    name = reference;
}

} // namespace ZUN
