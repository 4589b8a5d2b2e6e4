#include "images/slide/zun_slide.h"

#include "images/slide/zun_slide_lib.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ZUN {

namespace {

constexpr std::uint16_t kEndWord = 0xFCFC;
constexpr std::uint16_t kSolidFillWord = 0xFD00;

// Slide coordinates are 16-bit words; sums of offsets wrap the way the
// words themselves do, so a run of common-endpoint vectors never leaves
// that range.
int wrap16(int v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}

int signed16(std::uint16_t w)
{
    return static_cast<std::int16_t>(w);
}

int signed8(std::uint8_t b)
{
    return static_cast<std::int8_t>(b);
}

std::uint16_t headerWord(const std::uint8_t* p, bool littleEndian)
{
    return littleEndian ? static_cast<std::uint16_t>(p[0] | (p[1] << 8))
                        : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

} // namespace

// ---- reader ----------------------------------------------------------------

std::uint16_t CSlideReader::word()
{
    if (m_size - m_pos < 2)
        return kEndWord;
    const std::uint8_t* p = m_data + m_pos;
    m_pos += 2;
    return m_header.bigEndian ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                              : static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint8_t CSlideReader::byte()
{
    return m_pos < m_size ? m_data[m_pos++] : 0;
}

bool CSlideReader::skip(std::size_t n)
{
    if (m_size - m_pos < n)
        return false;
    m_pos += n;
    return true;
}

bool CSlideReader::readHeader(std::uint16_t& byteOrder)
{
    m_pos = 0;
    m_current = {};
    m_header = {};
    m_headerOk = false;
    if (m_size < kSlideHeaderStart)
        return false;
    m_pos = kSlideHeaderStart;
    m_header.level = m_data[18];
    bool littleEndianHeader = true;
    if (m_header.level == 1) {
        // No test number: the old format is taken as little-endian.
        skip(8);
        skip(3);
    } else if (m_header.level == 2) {
        skip(4);
        skip(2);
        if (m_size - m_pos >= 2) {
            byteOrder = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
            m_pos += 2;
        }
        // Only the exact test number makes the header little-endian, and
        // only its swapped form swaps the records: a header with neither
        // is read as written by a big-endian machine, its records as they are.
        littleEndianHeader = byteOrder == kSlideLittleEndian;
        m_header.bigEndian = byteOrder == kSlideBigEndian;
    } else {
        m_pos = 0;
        return false;
    }
    m_header.highX = headerWord(m_data + 19, littleEndianHeader);
    m_header.highY = headerWord(m_data + 21, littleEndianHeader);
    m_headerOk = true;
    return true;
}

SlidePoint CSlideReader::offsetFromCurrent(std::uint8_t dx, std::uint8_t dy) const
{
    return {wrap16(m_current.x + signed8(dx)), wrap16(m_current.y + signed8(dy))};
}

void CSlideReader::finish(SlideEnd end)
{
    m_record.kind = SlideRecordKind::End;
    m_record.end = end;
    m_headerOk = false;  // every later call answers End again
}

void CSlideReader::readSolidFill()
{
    // Start record: the vertex count and a word of no use. Then vertex
    // records (0xFD00, x, y); one with a negative y ends the polygon early,
    // otherwise an end record follows the n-th vertex. Past the end of the
    // bytes every word reads 0xFCFC, a negative y, so the loop ends there.
    const unsigned n = word();
    word();
    m_polygon.clear();
    word();
    const int x0 = signed16(word());
    const int y0 = signed16(word());
    m_polygon.push_back({x0, y0});
    bool endedEarly = false;
    for (unsigned i = 1; i < n; ++i) {
        word();
        const int x = signed16(word());
        const int y = signed16(word());
        if (y < 0) {
            endedEarly = true;
            break;
        }
        m_polygon.push_back({x, y});
    }
    if (!endedEarly) {
        word();
        word();
        word();
    }
    m_polygon.push_back(m_polygon.front());
    m_record.kind = SlideRecordKind::SolidFill;
    m_record.points = m_polygon.data();
    m_record.count = static_cast<int>(m_polygon.size());
}

const SlideRecord& CSlideReader::next()
{
    if (!m_headerOk)
        return m_record;
    if (m_size - m_pos < 2) {
        finish(SlideEnd::OutOfData);
        return m_record;
    }
    const std::uint16_t w = word();
    const unsigned kind = w >> 8;
    if (kind <= 0x7F) {
        m_record.kind = SlideRecordKind::Vector;
        m_record.from = {signed16(w), signed16(word())};
        const int toX = signed16(word());
        m_record.to = {toX, signed16(word())};
        m_current = m_record.from;
        return m_record;
    }
    switch (kind) {
    case 0xFB: {
        const std::uint8_t dx0 = static_cast<std::uint8_t>(w & 0xFF);
        const std::uint8_t dy0 = byte();
        const std::uint8_t dx1 = byte();
        const std::uint8_t dy1 = byte();
        m_record.kind = SlideRecordKind::Vector;
        m_record.from = offsetFromCurrent(dx0, dy0);
        m_record.to = offsetFromCurrent(dx1, dy1);
        m_current = m_record.from;
        return m_record;
    }
    case 0xFC:
        finish(SlideEnd::EndRecord);
        return m_record;
    case 0xFD:
        if (w != kSolidFillWord)
            break;
        readSolidFill();
        return m_record;
    case 0xFE: {
        const std::uint8_t dx = static_cast<std::uint8_t>(w & 0xFF);
        m_record.kind = SlideRecordKind::Vector;
        m_record.from = m_current;
        m_record.to = offsetFromCurrent(dx, byte());
        m_current = m_record.to;
        return m_record;
    }
    case 0xFF:
        m_record.kind = SlideRecordKind::Color;
        m_record.color = static_cast<int>(w & 0xFF);
        return m_record;
    default:
        break;
    }
    finish(SlideEnd::Unknown);
    return m_record;
}

SlideDecodeResult slideDecode(const std::uint8_t* data, std::size_t size, std::uint16_t& byteOrder,
                              CSlideSink& sink)
{
    SlideDecodeResult result;
    CSlideReader reader(data, size);
    if (!reader.readHeader(byteOrder) || !sink.slideBegin(reader.header()))
        return result;
    result.ok = true;
    for (;;) {
        const SlideRecord& r = reader.next();
        switch (r.kind) {
        case SlideRecordKind::Vector:
            sink.slideVector(r.from, r.to);
            break;
        case SlideRecordKind::SolidFill:
            sink.slideSolidFill(r.points, r.count);
            break;
        case SlideRecordKind::Color:
            sink.slideColor(r.color);
            break;
        case SlideRecordKind::End:
            result.end = r.end;
            return result;
        }
        ++result.records;
    }
}

// ---- colours -----------------------------------------------------------------

namespace {

struct Shares {
    double r, g, b;
};

// Shares of the hues 10..249: 24 hues in six sectors of four steps, each in
// five brightnesses, full or half saturated.
Shares hueShares(int index, double& brightness)
{
    const int k = (index - 10) / 10;
    const double f = k * 0.25;
    const int sector = static_cast<int>(f);
    const double t = f - sector;
    const int d = index % 10;
    static constexpr double kBrightness[5] = {1.0, 0.65, 0.5, 0.3, 0.2};
    brightness = kBrightness[d / 2];
    const double s = d % 2 == 0 ? 1.0 : 0.5;
    switch (sector) {
    case 0: return {1, 1 - (1 - t) * s, 1 - s};
    case 1: return {1 - s * t, 1, 1 - s};
    case 2: return {1 - s, 1, 1 - (1 - t) * s};
    case 3: return {1 - s, 1 - s * t, 1};
    case 4: return {1 - (1 - t) * s, 1 - s, 1};
    default: return {1, 1 - s, 1 - s * t};
    }
}

std::uint32_t channel(double share, double brightness)
{
    // Out-of-table indices give any brightness; keep the conversion defined
    // and take the low byte of the truncated value as the table does.
    const double v = std::clamp(share * brightness * 255.0, -1e15, 1e15);
    return static_cast<std::uint32_t>(static_cast<long long>(v) & 0xFF);
}

} // namespace

std::uint32_t acadRGB(int index)
{
    static constexpr Shares kBasic[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                         {0, 1, 1}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}};
    Shares c{1, 1, 1};
    double v = 1.0;
    if (index >= 0 && index <= 7) {
        c = kBasic[index];
        v = index == 0 ? 0.0 : 1.0;
    } else if (index == 8) {
        v = 0.5;
    } else if (index == 9) {
        v = 0.75;
    } else if (index >= 10 && index <= 249) {
        c = hueShares(index, v);
    } else {
        v = (static_cast<double>(index) - 250.0) * 0.134 + 0.333333;
    }
    return channel(c.r, v) | (channel(c.g, v) << 8) | (channel(c.b, v) << 16);
}

// ---- held slide ----------------------------------------------------------------

void CSlide::clearSlide()
{
    m_slide.clear();
}

bool CSlide::loadSlide(const wchar_t* name, const wchar_t* library)
{
    clearSlide();
    bool ok = false;
    if (library)
        ok = slideReadFromLibrary(library, name, m_slide);
    else if (name)
        ok = slideReadFile(name, m_slide);
    if (!ok)
        m_slide.clear();
    return hasSlide();
}

void CSlide::loadSlide(const void* data, int count)
{
    clearSlide();
    if (!data || count <= 0)
        return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    m_slide.assign(bytes, bytes + count);
}

namespace {

// Passes records on and notes the header's size for the holder.
class CHeaderTap : public CSlideSink {
public:
    CHeaderTap(CSlideSink& sink, std::uint16_t& highX, std::uint16_t& highY)
        : m_sink(sink), m_highX(highX), m_highY(highY) {}
    bool slideBegin(const SlideHeader& header) override
    {
        m_highX = header.highX;
        m_highY = header.highY;
        return m_sink.slideBegin(header);
    }
    void slideVector(const SlidePoint& from, const SlidePoint& to) override { m_sink.slideVector(from, to); }
    void slideSolidFill(const SlidePoint* points, int count) override { m_sink.slideSolidFill(points, count); }
    void slideColor(int index) override { m_sink.slideColor(index); }

private:
    CSlideSink& m_sink;
    std::uint16_t& m_highX;
    std::uint16_t& m_highY;
};

} // namespace

SlideDecodeResult CSlide::decodeSlide(CSlideSink& sink)
{
    if (!hasSlide())
        return {};
    CHeaderTap tap(sink, m_highX, m_highY);
    return slideDecode(m_slide.data(), m_slide.size(), m_byteOrder, tap);
}

} // namespace ZUN
