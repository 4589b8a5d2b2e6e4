// Slides from anywhere: decoding, drawing and conversion into a display
// list must neither crash nor read outside the bytes, must end, and must
// agree with each other on what the slide holds.

#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide_draw.h"
#include "render/paint/zun_recording_dc.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Counts records and folds them into a checksum, to compare two decodings.
class CTally : public ZUN::CSlideSink {
public:
    int vectors = 0;
    int fills = 0;
    std::uint64_t sum = 0;

    bool slideBegin(const ZUN::SlideHeader& h) override
    {
        mix(static_cast<std::uint64_t>(h.level) << 32 | h.highX << 16 | h.highY);
        return true;
    }
    void slideVector(const ZUN::SlidePoint& a, const ZUN::SlidePoint& b) override
    {
        ++vectors;
        check(a);
        check(b);
        mix(pack(a) ^ (pack(b) << 1));
    }
    void slideSolidFill(const ZUN::SlidePoint* p, int n) override
    {
        ++fills;
        // Closed polygons only: at least vertex 0 twice, and back at vertex 0.
        if (n < 2 || !(p[0] == p[n - 1]))
            std::abort();
        for (int i = 0; i < n; ++i) {
            check(p[i]);
            mix(pack(p[i]));
        }
    }
    void slideColor(int index) override
    {
        if (index < 0 || index > 255)
            std::abort();
        mix(0xC0000000u | static_cast<unsigned>(index));
    }

private:
    static void check(const ZUN::SlidePoint& p)
    {
        // Slide coordinates are 16-bit; a fill vertex may hold |-32768|.
        if (p.x < -32768 || p.x > 32767 || p.y < -32768 || p.y > 32768)
            std::abort();
    }
    static std::uint64_t pack(const ZUN::SlidePoint& p)
    {
        return static_cast<std::uint32_t>(p.x) ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.y)) << 20);
    }
    void mix(std::uint64_t v) { sum = (sum ^ v) * 0x100000001B3ull; }
};

// A device that draws nothing but insists on sane calls.
class CNullDC : public CZunRecordingDC {
public:
    explicit CNullDC(ZunIRect rect) : CZunRecordingDC(rect) {}
    int shapes = 0;
    void selectPen(int width, ZunRgb c) override
    {
        checkRgb(c);
        CZunRecordingDC::selectPen(width, c);
    }
    void selectSolidBrush(ZunRgb c) override
    {
        checkRgb(c);
        CZunRecordingDC::selectSolidBrush(c);
    }
    void lineTo(int x, int y) override
    {
        CZunRecordingDC::lineTo(x, y);
        ++shapes;
    }
    void polygon(const ZunIPoint* p, int n) override
    {
        if (n < 2 || !p)
            std::abort();
        ++shapes;
    }

private:
    static void checkRgb(ZunRgb c)
    {
        if (c > 0xFFFFFF)
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint16_t order1 = ZUN::kSlideLittleEndian, order2 = ZUN::kSlideLittleEndian;
    CTally first, second;
    const ZUN::SlideDecodeResult r1 = ZUN::slideDecode(data, size, order1, first);
    const ZUN::SlideDecodeResult r2 = ZUN::slideDecode(data, size, order2, second);
    if (r1.ok != r2.ok || r1.records != r2.records || first.sum != second.sum || order1 != order2)
        std::abort();

    ZUN::CGdxSld sld;
    sld.loadSlide(data, static_cast<int>(size));
    CNullDC dc({0, 0, 201, 151});
    const bool drawn = ZUN::slideDraw(sld, dc, dc.clientRect(), 7);
    if (drawn != r1.ok || (drawn && dc.shapes != first.vectors + first.fills))
        std::abort();

    CZunGDX gdx(CZunColor(), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d());
    const bool converted = sld.convert(&gdx, gdxFlagFill, nullptr);
    const int items = r1.ok ? first.vectors + first.fills : 0;
    if (gdx.lenGet() != items || converted != (items > 0))
        std::abort();
    return 0;
}
