// The fuzzers' kept inputs, run on every build: odd slides and libraries
// that once reached new code must still decode, draw and convert without
// harm, and the three consumers must agree on what each slide holds.

#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide_draw.h"
#include "images/slide/zun_slide_lib.h"
#include "slide_test_util.h"
#include "tests/render/paint/recording_dc.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::filesystem::path> corpus(const char* target)
{
    const std::filesystem::path dir = std::filesystem::path(ZUN_SOURCE_RES_DIR).parent_path() / "fuzz" / "corpus" / target;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

bool inSixteenBits(const ZUN::SlidePoint& p)
{
    // A fill vertex may hold the magnitude of -32768.
    return p.x >= -32768 && p.x <= 32767 && p.y >= -32768 && p.y <= 32768;
}

class CBoundsCheck : public SlideRecordLog {
public:
    bool allInRange = true;
    void slideVector(const ZUN::SlidePoint& a, const ZUN::SlidePoint& b) override
    {
        allInRange = allInRange && inSixteenBits(a) && inSixteenBits(b);
        SlideRecordLog::slideVector(a, b);
    }
    void slideSolidFill(const ZUN::SlidePoint* p, int n) override
    {
        allInRange = allInRange && n >= 2 && p[0] == p[n - 1];
        for (int i = 0; i < n; ++i)
            allInRange = allInRange && inSixteenBits(p[i]);
        SlideRecordLog::slideSolidFill(p, n);
    }
};

} // namespace

TEST(SlideCorpus, EverySlideDecodesAlikeEachTimeAndAllConsumersAgree)
{
    const std::vector<std::filesystem::path> files = corpus("fuzz_slide");
    ASSERT_GE(files.size(), 20u);
    for (const std::filesystem::path& file : files) {
        const std::vector<std::uint8_t> bytes = readBytes(file);
        std::uint16_t order1 = ZUN::kSlideLittleEndian, order2 = ZUN::kSlideLittleEndian;
        CBoundsCheck first, second;
        const ZUN::SlideDecodeResult r1 = ZUN::slideDecode(bytes.data(), bytes.size(), order1, first);
        const ZUN::SlideDecodeResult r2 = ZUN::slideDecode(bytes.data(), bytes.size(), order2, second);
        ASSERT_EQ(first.records, second.records) << file;
        ASSERT_EQ(r1.end, r2.end) << file;
        EXPECT_TRUE(first.allInRange) << file;
        EXPECT_EQ(r1.records, static_cast<int>(first.records.size())) << file;

        ZUN::CGdxSld sld;
        sld.loadSlide(bytes.data(), static_cast<int>(bytes.size()));
        RecordingDC dc(321, 241);
        EXPECT_EQ(ZUN::slideDraw(sld, dc, dc.clientRect(), 0), r1.ok) << file;
        EXPECT_EQ(dc.count("line"), first.vectors) << file;
        EXPECT_EQ(dc.count("polygon"), first.fills) << file;

        CZunGDX gdx(CZunColor(), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d());
        const bool converted = sld.convert(&gdx, 0, nullptr);
        EXPECT_EQ(gdx.lenGet(), first.vectors + first.fills) << file;
        EXPECT_EQ(converted, gdx.lenGet() > 0) << file;
        if (gdx.lenGet() > 0) {
            CZunArrayTempl<int> last;
            gdx.itemStackGet(last, gdx.lenGet() - 1);
            EXPECT_EQ(last, CZunArrayTempl<int>{gdx.lenGet()}) << file;
        }
    }
}

TEST(SlideCorpus, EveryLibraryListsEntriesInsideItselfAndFindsThemByName)
{
    const std::vector<std::filesystem::path> files = corpus("fuzz_slide_lib");
    ASSERT_GE(files.size(), 10u);
    for (const std::filesystem::path& file : files) {
        const std::vector<std::uint8_t> bytes = readBytes(file);
        const std::vector<ZUN::SlideLibEntry> dir = ZUN::slideLibDirectory(bytes.data(), bytes.size());
        EXPECT_EQ(dir, ZUN::slideLibDirectory(bytes.data(), bytes.size())) << file;
        for (const ZUN::SlideLibEntry& e : dir) {
            EXPECT_TRUE(e.length == 0 || std::uint64_t(e.offset) + e.length <= bytes.size()) << file;
            ZUN::SlideLibEntry found;
            if (!ZUN::slideLibFind(bytes.data(), bytes.size(), e.name, found))
                continue;
            EXPECT_TRUE(ZUN::slideNameEqual(found.name, e.name)) << file;
            EXPECT_GT(found.length, 0u) << file;
            std::uint16_t order = ZUN::kSlideLittleEndian;
            SlideRecordLog log;
            ZUN::slideDecode(bytes.data() + found.offset, found.length, order, log);
        }
    }
}
