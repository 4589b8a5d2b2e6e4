#include "images/slide/zun_slide.h"
#include "images/slide/zun_slide_lib.h"
#include "slide_test_util.h"
#include "slide_writer.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

using ZUN::SlideEnd;
using ZUN::SlideLibEntry;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes slideOf(int x)
{
    SlideWriter w(2, false, 100, 100);
    return w.vector(x, 0, x, 100).end().bytes();
}

std::string asText(const Bytes& lib, const SlideLibEntry& e)
{
    return std::string(lib.begin() + e.offset, lib.begin() + e.offset + e.length);
}

std::string asText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(SlideLibrary, NamesMatchInAnyCaseAndLengthsRunToTheNextOffset)
{
    const Bytes a = slideOf(1), b = slideOf(2), c = slideOf(3);
    // "\xC4rger" is "Ärger" in code page 1252.
    const Bytes lib = slideLibrary({{"ARROW", a}, {"box", b}, {"\xC4rger", c}});
    const std::vector<SlideLibEntry> dir = ZUN::slideLibDirectory(lib.data(), lib.size());
    ASSERT_EQ(dir.size(), 3u);
    EXPECT_EQ(dir[0].name, "ARROW");
    EXPECT_EQ(dir[1].offset, dir[0].offset + a.size());
    EXPECT_EQ(dir[2].length, c.size());  // the last one runs to the end of the library

    SlideLibEntry e;
    for (const char* name : {"arrow", "Arrow", "ARROW"}) {
        ASSERT_TRUE(ZUN::slideLibFind(lib.data(), lib.size(), name, e)) << name;
        EXPECT_EQ(asText(lib, e), asText(a));
    }
    ASSERT_TRUE(ZUN::slideLibFind(lib.data(), lib.size(), "BOX", e));
    EXPECT_EQ(asText(lib, e), asText(b));
    ASSERT_TRUE(ZUN::slideLibFind(lib.data(), lib.size(), "\xE4RGER", e));  // "äRGER"
    EXPECT_EQ(asText(lib, e), asText(c));
    EXPECT_FALSE(ZUN::slideLibFind(lib.data(), lib.size(), "ARRO", e));
    EXPECT_FALSE(ZUN::slideLibFind(lib.data(), lib.size(), "ARROWS", e));
    EXPECT_FALSE(ZUN::slideLibFind(lib.data(), lib.size(), "", e));
}

TEST(SlideLibrary, EmptyFirstEntryAndDamagedDirectoriesFindNothingOutOfBounds)
{
    const Bytes a = slideOf(1);
    SlideLibEntry e;
    const Bytes emptyFirst = slideLibrary({{"", a}, {"LATER", a}});
    EXPECT_TRUE(ZUN::slideLibDirectory(emptyFirst.data(), emptyFirst.size()).empty());
    EXPECT_FALSE(ZUN::slideLibFind(emptyFirst.data(), emptyFirst.size(), "LATER", e));

    // Cut inside the second entry: the first slide runs to the end of what is there.
    Bytes lib = slideLibrary({{"ONE", a}, {"TWO", a}});
    const Bytes cutInEntry(lib.begin(), lib.begin() + 32 + 36 + 20);
    std::vector<SlideLibEntry> dir = ZUN::slideLibDirectory(cutInEntry.data(), cutInEntry.size());
    ASSERT_EQ(dir.size(), 1u);
    EXPECT_EQ(dir[0].length, 0u);  // its offset lies past the cut
    EXPECT_FALSE(ZUN::slideLibFind(cutInEntry.data(), cutInEntry.size(), "ONE", e));

    // A slide cut short is clipped to the library; an offset going backwards gives no bytes.
    const Bytes clipped(lib.begin(), lib.end() - 5);
    ASSERT_TRUE(ZUN::slideLibFind(clipped.data(), clipped.size(), "TWO", e));
    EXPECT_EQ(e.offset + e.length, clipped.size());
    lib[32 + 36 + 32] = 0;  // TWO's offset now lies before ONE's
    lib[32 + 36 + 33] = 0;
    ASSERT_EQ(ZUN::slideLibDirectory(lib.data(), lib.size()).size(), 2u);
    EXPECT_FALSE(ZUN::slideLibFind(lib.data(), lib.size(), "ONE", e));

    // A 32-byte name without its NUL still counts, whole.
    const std::string longName(32, 'N');
    const Bytes full = slideLibrary({{longName, a}});
    ASSERT_TRUE(ZUN::slideLibFind(full.data(), full.size(), longName, e));
    EXPECT_EQ(e.length, a.size());

    EXPECT_TRUE(ZUN::slideLibDirectory(nullptr, 100).empty());
    EXPECT_TRUE(ZUN::slideLibDirectory(full.data(), 40).empty());
}

TEST(SlideLibrary, NamesConvertToTheLibraryCodePage)
{
    std::string out;
    ASSERT_TRUE(ZUN::slideNameToCp1252(L"\u00c4rger\u20ac\u4e00", out));
    EXPECT_EQ(out, "\xC4rger\x80?");
    EXPECT_EQ(ZUN::slideNameFromCp1252(out), CZunString(L"\u00c4rger\u20ac?"));
    EXPECT_TRUE(ZUN::slideNameToCp1252(std::wstring(32, L'x').c_str(), out));
    EXPECT_FALSE(ZUN::slideNameToCp1252(std::wstring(33, L'x').c_str(), out));
    EXPECT_FALSE(ZUN::slideNameToCp1252(nullptr, out));
    EXPECT_TRUE(ZUN::slideNameEqual("\x8A\xC0z", "\x9A\xE0Z"));  // Š À z / š à Z
    EXPECT_FALSE(ZUN::slideNameEqual("\xD7", "\xF7"));           // × and ÷ are no pair
    // Every stored name comes back unchanged from wide text.
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    for (std::size_t at = 0; at < all.size(); at += 32) {
        const std::string part = all.substr(at, 32);
        ASSERT_TRUE(ZUN::slideNameToCp1252(ZUN::slideNameFromCp1252(part), out));
        EXPECT_EQ(out, part) << at;
    }
}

TEST(SlideFiles, SlidesLoadFromFilesAndLibrariesAndFailuresLeaveNone)
{
    CTestTmpDir dir;
    const Bytes a = slideOf(11), b = slideOf(22);
    const std::string file = dir.write("one.sld", asText(a)).string();
    const std::string lib = dir.write("lib.SLB", asText(slideLibrary({{"FIRST", a}, {"SECOND", b}}))).string();
    const CZunString wfile = CZunString::fromUtf8(file), wlib = CZunString::fromUtf8(lib);

    ZUN::CSlide slide;
    EXPECT_TRUE(slide.loadSlide(wfile, nullptr));
    EXPECT_EQ(slide.slideBytes(), a);
    EXPECT_TRUE(slide.loadSlide(L"second", wlib));
    EXPECT_EQ(slide.slideBytes(), b);
    EXPECT_FALSE(slide.loadSlide(L"THIRD", wlib));
    EXPECT_FALSE(slide.hasSlide());
    EXPECT_TRUE(slide.loadSlide(L"First", wlib));
    EXPECT_FALSE(slide.loadSlide(nullptr, nullptr));
    EXPECT_FALSE(slide.hasSlide());
    EXPECT_FALSE(slide.loadSlide(CZunString::fromUtf8(dir.str() + "/missing.sld"), nullptr));
    EXPECT_FALSE(slide.loadSlide(L"FIRST", CZunString::fromUtf8(dir.str() + "/missing.slb")));
    EXPECT_FALSE(slide.loadSlide(CZunString::fromUtf8(dir.str()), nullptr));  // a folder
    EXPECT_FALSE(slide.loadSlide(CZunString::fromUtf8(dir.write("empty.sld", "").string()), nullptr));

    CZunArrayTempl<CZunString> names;
    ASSERT_TRUE(ZUN::slideLibNames(wlib, names));
    ASSERT_EQ(names.len(), 2);
    EXPECT_EQ(names[0], CZunString(L"FIRST"));
    EXPECT_EQ(names[1], CZunString(L"SECOND"));
    EXPECT_FALSE(ZUN::slideLibNames(L"/nonexistent/lib.slb", names));
}

TEST(SlideFiles, ReferencesSplitIntoLibraryAndName)
{
    CZunString lib, name;
    ZUN::slideSplitReference(L"/data/parts.slb:ARROW", lib, name);
    EXPECT_EQ(lib, CZunString(L"/data/parts.slb"));
    EXPECT_EQ(name, CZunString(L"ARROW"));
    ZUN::slideSplitReference(L"C:/x/Parts.SLB:a:b", lib, name);  // the name may hold a colon
    EXPECT_EQ(lib, CZunString(L"C:/x/Parts.SLB"));
    EXPECT_EQ(name, CZunString(L"a:b"));
    ZUN::slideSplitReference(L"C:/x/one.sld", lib, name);
    EXPECT_TRUE(lib.isEmpty());
    EXPECT_EQ(name, CZunString(L"C:/x/one.sld"));
    ZUN::slideSplitReference(L"parts.slb:", lib, name);
    EXPECT_TRUE(lib.isEmpty());
}

// The real slides: counts from their description, and each ends with an
// end record exactly at the end of its bytes.
TEST(RealSlides, RecordCountsMatchAndEndRecordsCloseTheFiles)
{
    struct Expect {
        const char* file;
        int highX, highY, vectors, colors, fills;
    };
    const Expect expected[] = {
        {"velisp_slide_dn.sld", 302, 252, 27, 28, -1},
        {"velisp_slide_up.sld", 302, 252, 27, 28, -1},
        {"velisp_slide_kss.sld", 849, 827, 110, 52, -1},
        {"velisp_slide_kz.sld", 1164, 815, 15, -1, 34},
    };
    for (const Expect& x : expected) {
        const Bytes bytes = readBytes(slideDataDir() / x.file);
        ASSERT_FALSE(bytes.empty()) << x.file;
        const DecodedSlide d = decodeSlide(bytes);
        ASSERT_TRUE(d.result.ok) << x.file;
        EXPECT_EQ(d.log.header.highX, x.highX) << x.file;
        EXPECT_EQ(d.log.header.highY, x.highY) << x.file;
        EXPECT_EQ(d.log.vectors, x.vectors) << x.file;
        if (x.colors >= 0) {
            EXPECT_EQ(d.log.colors, x.colors) << x.file;
        }
        if (x.fills >= 0) {
            EXPECT_EQ(d.log.fills, x.fills) << x.file;
        }
        EXPECT_EQ(d.result.end, SlideEnd::EndRecord) << x.file;

        ZUN::CSlideReader reader(bytes.data(), bytes.size());
        std::uint16_t order = 0;
        ASSERT_TRUE(reader.readHeader(order));
        EXPECT_EQ(order, ZUN::kSlideLittleEndian);
        while (reader.next().kind != ZUN::SlideRecordKind::End) {
        }
        EXPECT_EQ(reader.position(), bytes.size()) << x.file;
    }
}

TEST(RealSlides, LibraryHoldsTwoSlidesAndTheFirstUsesOffsetVectors)
{
    const std::filesystem::path path = slideDataDir() / "velisp_mylib.slb";
    const Bytes lib = readBytes(path);
    const std::vector<SlideLibEntry> dir = ZUN::slideLibDirectory(lib.data(), lib.size());
    ASSERT_EQ(dir.size(), 2u);
    EXPECT_EQ(dir[0].name, "SLIDE1");
    EXPECT_EQ(dir[1].name, "SLIDE2");
    EXPECT_EQ(dir[1].offset + dir[1].length, lib.size());

    ZUN::CSlide slide;
    ASSERT_TRUE(slide.loadSlide(L"slide1", CZunString::fromUtf8(path.string())));
    EXPECT_EQ(slide.slideBytes().size(), dir[0].length);
    SlideRecordLog log;
    ASSERT_TRUE(slide.decodeSlide(log).ok);
    EXPECT_EQ(slide.highX(), 572);
    EXPECT_EQ(slide.highY(), 292);
    // Offset vectors (0xFB) and common-endpoint vectors (0xFE) appear as
    // raw record bytes in the little-endian slide: kind in the second byte.
    int offsetRecords = 0, endpointRecords = 0;
    ZUN::CSlideReader reader(slide.slideBytes().data(), slide.slideBytes().size());
    std::uint16_t order = 0;
    ASSERT_TRUE(reader.readHeader(order));
    for (;;) {
        const std::size_t at = reader.position();
        const ZUN::SlideRecord& r = reader.next();
        if (r.kind == ZUN::SlideRecordKind::End)
            break;
        offsetRecords += slide.slideBytes()[at + 1] == 0xFB;
        endpointRecords += slide.slideBytes()[at + 1] == 0xFE;
    }
    EXPECT_GT(offsetRecords, 0);
    EXPECT_GT(endpointRecords, 0);
    EXPECT_EQ(reader.position(), slide.slideBytes().size());

    ASSERT_TRUE(slide.loadSlide(L"Slide2", CZunString::fromUtf8(path.string())));
    ASSERT_TRUE(slide.decodeSlide(log).ok);
    EXPECT_EQ(slide.highX(), 1972);
    EXPECT_EQ(slide.highY(), 991);
}
