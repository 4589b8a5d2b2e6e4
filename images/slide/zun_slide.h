#pragma once

// Slides: vector pictures of the CAD host, a header and a stream of short
// records (vectors, offset vectors, common-endpoint vectors, solid fills,
// colour changes). One decoder serves every consumer: the slide window
// draws the records, the display-list conversion turns them into items.
//
// Slides come from files, so the decoder trusts nothing: every read is
// bounded by the bytes held, reading past the end yields the end-of-slide
// word 0xFCFC (a byte: 0), and every loop ends within the bytes left.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZUN {

// A point in slide units; y grows upwards.
struct SlidePoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const SlidePoint&, const SlidePoint&) = default;
};

// The fixed part of a slide file.
struct SlideHeader {
    int level = 0;             // 1 (old format) or 2
    std::uint16_t highX = 0;   // width in slide units
    std::uint16_t highY = 0;   // height in slide units
    bool bigEndian = false;    // record words are byte-swapped
};

// Why the records ended.
enum class SlideEnd {
    EndRecord,  // an end-of-slide record (0xFCxx)
    Unknown,    // a record of no known kind
    OutOfData,  // the bytes ran out before an end record
};

enum class SlideRecordKind {
    Vector,     // plain, offset and common-endpoint vectors alike
    SolidFill,  // a filled polygon
    Color,      // a new colour index for what follows
    End,        // no more records; see SlideRecord::end
};

// One decoded record. The polygon of a solid fill lives in the reader and
// is valid until its next record: closed, vertex 0 repeated at the end.
struct SlideRecord {
    SlideRecordKind kind = SlideRecordKind::End;
    SlidePoint from;
    SlidePoint to;
    int color = 0;
    const SlidePoint* points = nullptr;
    int count = 0;
    SlideEnd end = SlideEnd::EndRecord;
};

// The sizes of the header parts; records start after them.
inline constexpr std::size_t kSlideHeaderStart = 23;
inline constexpr std::size_t kSlideHeaderLevel1 = 34;
inline constexpr std::size_t kSlideHeaderLevel2 = 31;
// The test number of level-2 headers as it reads in the writer's order.
inline constexpr std::uint16_t kSlideLittleEndian = 0x1234;
inline constexpr std::uint16_t kSlideBigEndian = 0x3412;

// Reads one slide held in memory (the bytes must outlive the reader).
class CSlideReader {
public:
    CSlideReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}

    // Reads the header. byteOrder is the test number of level-2 slides: it
    // is replaced by the slide's own when the header holds one and kept
    // otherwise, as a header cut short leaves it as it was. Level-1 slides
    // carry none and are read little-endian throughout. False (and no
    // records) for a slide shorter than 23 bytes or of another level.
    bool readHeader(std::uint16_t& byteOrder);
    const SlideHeader& header() const { return m_header; }

    // The next record; once the slide has ended, End again and again.
    const SlideRecord& next();

    std::size_t position() const { return m_pos; }

private:
    // Past the end: 0xFCFC for a word, 0 for a byte.
    std::uint16_t word();
    std::uint8_t byte();
    // Steps over n bytes; with fewer left it does not move and says so.
    bool skip(std::size_t n);
    SlidePoint offsetFromCurrent(std::uint8_t dx, std::uint8_t dy) const;
    void readSolidFill();
    void finish(SlideEnd end);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    SlideHeader m_header;
    bool m_headerOk = false;
    SlidePoint m_current;
    SlideRecord m_record;
    std::vector<SlidePoint> m_polygon;
};

// What a consumer of a slide implements: the header first, then the records
// in file order.
class CSlideSink {
public:
    virtual ~CSlideSink() = default;
    // False stops before the first record (nothing to draw on, say).
    virtual bool slideBegin(const SlideHeader& header) = 0;
    virtual void slideVector(const SlidePoint& from, const SlidePoint& to) = 0;
    // points: closed, vertex 0 repeated at the end (count >= 2).
    virtual void slideSolidFill(const SlidePoint* points, int count) = 0;
    virtual void slideColor(int index) = 0;
};

// Result of handing a slide to a sink.
struct SlideDecodeResult {
    bool ok = false;      // header read and accepted by the sink
    SlideEnd end = SlideEnd::OutOfData;
    int records = 0;      // records handed over (vectors, fills, colours)
};

// Reads the header and hands every record to the sink.
SlideDecodeResult slideDecode(const std::uint8_t* data, std::size_t size, std::uint16_t& byteOrder,
                              CSlideSink& sink);

// The RGB value (0x00BBGGRR, red in the low byte) of a colour index as
// slides show it. It is its own table, not the drawing palette: greys and
// the darker hues differ.
std::uint32_t acadRGB(int index);

// A slide held in memory, with the state that outlives one decoding: the
// test number of the last level-2 header and the size of the last slide
// decoded. The slide window and the display-list conversion build on it.
class CSlide {
public:
    CSlide() = default;
    virtual ~CSlide() = default;

    // Reads a slide: with a library file name the named slide of that
    // library, without one the file of that name. The slide held before is
    // discarded first, so a failure leaves none. True when bytes are held.
    bool loadSlide(const wchar_t* name, const wchar_t* library);
    // Copies count bytes (none for a null pointer or a count below 1).
    void loadSlide(const void* data, int count);
    void clearSlide();

    bool hasSlide() const { return !m_slide.empty(); }
    const std::vector<std::uint8_t>& slideBytes() const { return m_slide; }

    // Decodes the held slide into the sink (false when none is held).
    SlideDecodeResult decodeSlide(CSlideSink& sink);

    std::uint16_t byteOrder() const { return m_byteOrder; }
    // Size of the slide last decoded (0 before any).
    std::uint16_t highX() const { return m_highX; }
    std::uint16_t highY() const { return m_highY; }

protected:
    std::vector<std::uint8_t> m_slide;
    // Nothing sets it for level-1 slides; start as a little-endian writer.
    std::uint16_t m_byteOrder = kSlideLittleEndian;
    std::uint16_t m_highX = 0;
    std::uint16_t m_highY = 0;
};

} // namespace ZUN
