#include "images/slide/zun_slide.h"
#include "images/slide/zun_slide_lib.h"
#include "slide_test_util.h"
#include "slide_writer.h"

#include <gtest/gtest.h>

#include <climits>

using ZUN::SlideEnd;
using Records = std::vector<std::string>;

namespace {

// One picture with every record kind, written in any encoding.
SlideWriter everyKind(int level, bool big)
{
    SlideWriter w(level, big, 100, 50);
    w.color(1)
        .vector(0, 0, 100, 50)
        .offsetVector(5, -3, -2, 4)
        .commonEndpoint(10, 1)
        .commonEndpoint(-4, -4)
        .color(7)
        .solidFill({{0, 0}, {10, 0}, {10, 10}, {0, 10}})
        .vector(20, -30, 40, -50)
        .solidFillEndingEarly(6, {{1, 1}, {5, 1}, {5, 5}})
        .color(250)
        .end();
    return w;
}

const Records kEveryKind = {
    "C 1",
    "V 0 0 100 50",
    "V 5 -3 -2 4",    // from the current point (0, 0), which becomes the from point
    "V 5 -3 15 -2",   // common endpoints walk on from there
    "V 15 -2 11 -6",
    "C 7",
    "F 0 0 10 0 10 10 0 10 0 0",
    "V 20 -30 40 -50",  // a from-x word above 0x7FFF would read as another record
    "F 1 1 5 1 5 5 1 1",
    "C 250",
};

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

} // namespace

TEST(SlideRecords, EveryKindDecodesInOrderUpToTheEndRecord)
{
    const DecodedSlide d = decodeSlide(everyKind(2, false).bytes());
    ASSERT_TRUE(d.result.ok);
    EXPECT_EQ(d.log.records, kEveryKind);
    EXPECT_EQ(d.result.end, SlideEnd::EndRecord);
    EXPECT_EQ(d.result.records, 10);
    EXPECT_EQ(d.log.header.level, 2);
    EXPECT_EQ(d.log.header.highX, 100);
    EXPECT_EQ(d.log.header.highY, 50);
    EXPECT_FALSE(d.log.header.bigEndian);
}

TEST(SlideRecords, BigEndianAndLevelOneTwinsDecodeIdentically)
{
    std::uint16_t order = 0x1234;
    SlideRecordLog big;
    const std::vector<std::uint8_t> bytes = everyKind(2, true).bytes();
    ASSERT_TRUE(ZUN::slideDecode(bytes.data(), bytes.size(), order, big).ok);
    EXPECT_EQ(order, ZUN::kSlideBigEndian);
    EXPECT_TRUE(big.header.bigEndian);
    EXPECT_EQ(big.header.highX, 100);
    EXPECT_EQ(big.header.highY, 50);
    EXPECT_EQ(big.records, kEveryKind);

    // The old header has no test number: the field is left alone and the
    // slide is read little-endian whatever it holds.
    order = ZUN::kSlideBigEndian;
    SlideRecordLog old;
    const std::vector<std::uint8_t> oldBytes = everyKind(1, false).bytes();
    ASSERT_TRUE(ZUN::slideDecode(oldBytes.data(), oldBytes.size(), order, old).ok);
    EXPECT_EQ(order, ZUN::kSlideBigEndian);
    EXPECT_EQ(old.header.level, 1);
    EXPECT_EQ(old.header.highX, 100);
    EXPECT_EQ(old.records, kEveryKind);
}

TEST(SlideRecords, TestNumberOfNeitherOrderReadsHeaderBigEndianAndRecordsAsTheyAre)
{
    std::vector<std::uint8_t> bytes = everyKind(2, false).bytes();
    bytes[29] = 0;
    bytes[30] = 0;
    const DecodedSlide d = decodeSlide(bytes);
    ASSERT_TRUE(d.result.ok);
    EXPECT_EQ(d.log.header.highX, 0x6400);
    EXPECT_EQ(d.log.header.highY, 0x3200);
    EXPECT_EQ(d.log.records, kEveryKind);
}

TEST(SlideRecords, FillWithNVerticesConsumesItsEndRecordAndKeepsVertexZeroAsRead)
{
    SlideWriter w(2, false, 10, 10);
    w.solidFill({{3, -4}, {10, 0}, {10, 10}, {0, 10}}).vector(1, 2, 3, 4).end();
    // Had the end record not been consumed, its words would read as a vector.
    EXPECT_EQ(decodeSlide(w.bytes()).log.records, (Records{"F 3 -4 10 0 10 10 0 10 3 -4", "V 1 2 3 4"}));

    SlideWriter one(2, false, 10, 10);
    one.solidFill({{7, 8}}).end();
    EXPECT_EQ(decodeSlide(one.bytes()).log.records, (Records{"F 7 8 7 8"}));
}

TEST(SlideRecords, SlideStopsAtEndRecordUnknownKindOrEndOfData)
{
    SlideWriter missingEnd(2, false, 10, 10);
    missingEnd.color(2).vector(1, 1, 2, 2);
    DecodedSlide d = decodeSlide(missingEnd.bytes());
    EXPECT_EQ(d.log.records, (Records{"C 2", "V 1 1 2 2"}));
    EXPECT_EQ(d.result.end, SlideEnd::OutOfData);

    for (int unknown : {0x8000, 0xFA12, 0xFD01}) {
        SlideWriter w(2, false, 10, 10);
        w.vector(1, 1, 2, 2).word(unknown).vector(3, 3, 4, 4).end();
        d = decodeSlide(w.bytes());
        EXPECT_EQ(d.log.records, (Records{"V 1 1 2 2"})) << std::hex << unknown;
        EXPECT_EQ(d.result.end, SlideEnd::Unknown) << std::hex << unknown;
    }

    SlideWriter afterEnd(2, false, 10, 10);
    afterEnd.vector(1, 1, 2, 2).word(0xFC7F).vector(3, 3, 4, 4);
    d = decodeSlide(afterEnd.bytes());
    EXPECT_EQ(d.log.records, (Records{"V 1 1 2 2"}));
    EXPECT_EQ(d.result.end, SlideEnd::EndRecord);
}

TEST(SlideRecords, ReadingPastTheEndYieldsEndWordsAndZeroBytes)
{
    // A vector cut after its from-y: the rest reads 0xFCFC (-772).
    SlideWriter vec(2, false, 10, 10);
    vec.vector(1, 2, 3, 4);
    EXPECT_EQ(decodeSlide(cut(vec.bytes(), 31 + 4)).log.records, (Records{"V 1 2 -772 -772"}));
    // An offset vector cut after its first word: the missing bytes read 0.
    SlideWriter off(2, false, 10, 10);
    off.offsetVector(5, 6, 7, 8);
    EXPECT_EQ(decodeSlide(cut(off.bytes(), 31 + 2)).log.records, (Records{"V 5 0 0 0"}));
    // A fill cut after vertex 0: the next vertex reads a negative y and ends it.
    SlideWriter fill(2, false, 10, 10);
    fill.fillStart(4).fillVertex(1, 2).fillVertex(3, 4);
    const DecodedSlide d = decodeSlide(cut(fill.bytes(), 31 + 12));
    EXPECT_EQ(d.log.records, (Records{"F 1 2 1 2"}));
    EXPECT_EQ(d.result.end, SlideEnd::OutOfData);
}

TEST(SlideRecords, EveryPrefixDecodesToAPrefixOfTheWhole)
{
    for (bool big : {false, true}) {
        const std::vector<std::uint8_t> whole = everyKind(2, big).bytes();
        for (std::size_t size = 0; size < whole.size(); ++size) {
            const DecodedSlide d = decodeSlide(cut(whole, size));
            ASSERT_LE(d.log.records.size(), kEveryKind.size()) << size;
            // All but the last record were complete; the last may be cut.
            for (std::size_t i = 0; i + 1 < d.log.records.size(); ++i)
                ASSERT_EQ(d.log.records[i], kEveryKind[i]) << "size " << size << " record " << i;
            EXPECT_EQ(d.result.ok, size >= ZUN::kSlideHeaderStart) << size;
            if (d.result.ok) {
                EXPECT_EQ(d.result.end, SlideEnd::OutOfData) << size;
            }
        }
    }
}

TEST(SlideRecords, CommonEndpointsWrapWithinSixteenBits)
{
    SlideWriter w(2, false, 10, 10);
    for (int i = 0; i < 300; ++i)
        w.commonEndpoint(127, 0);
    const DecodedSlide d = decodeSlide(w.end().bytes());
    ASSERT_EQ(d.log.records.size(), 300u);
    EXPECT_EQ(d.log.records[0], "V 0 0 127 0");
    EXPECT_EQ(d.log.records[258], "V 32766 0 -32643 0");
    EXPECT_EQ(d.log.records.back(), "V -27563 0 -27436 0");
}

TEST(SlideHeader, ShortSlidesAndOtherLevelsGiveNoRecords)
{
    const std::vector<std::uint8_t> whole = everyKind(2, false).bytes();
    EXPECT_FALSE(decodeSlide(cut(whole, 22)).result.ok);
    EXPECT_TRUE(decodeSlide(cut(whole, 23)).result.ok);
    std::vector<std::uint8_t> level3 = whole;
    level3[18] = 3;
    const DecodedSlide d = decodeSlide(level3);
    EXPECT_FALSE(d.result.ok);
    EXPECT_TRUE(d.log.records.empty());
    EXPECT_FALSE(decodeSlide({}).result.ok);

    // A level-2 header cut before its test number keeps the field as it was.
    std::uint16_t order = ZUN::kSlideBigEndian;
    SlideRecordLog log;
    ASSERT_TRUE(ZUN::slideDecode(whole.data(), 29, order, log).ok);
    EXPECT_EQ(order, ZUN::kSlideBigEndian);
    EXPECT_TRUE(log.records.empty());
}

TEST(SlideColors, AcadRgbMatchesTheTable)
{
    auto rgb = [](int r, int g, int b) { return std::uint32_t(r | (g << 8) | (b << 16)); };
    const std::pair<int, std::uint32_t> expected[] = {
        {0, rgb(0, 0, 0)},        {1, rgb(255, 0, 0)},      {2, rgb(255, 255, 0)},    {3, rgb(0, 255, 0)},
        {4, rgb(0, 255, 255)},    {5, rgb(0, 0, 255)},      {6, rgb(255, 0, 255)},    {7, rgb(255, 255, 255)},
        {8, rgb(127, 127, 127)},  {9, rgb(191, 191, 191)},  {10, rgb(255, 0, 0)},     {11, rgb(255, 127, 127)},
        {14, rgb(127, 0, 0)},     {20, rgb(255, 63, 0)},    {50, rgb(255, 255, 0)},   {90, rgb(0, 255, 0)},
        {130, rgb(0, 255, 255)},  {170, rgb(0, 0, 255)},    {210, rgb(255, 0, 255)},  {240, rgb(255, 0, 63)},
        {249, rgb(51, 25, 31)},   {250, rgb(84, 84, 84)},   {251, rgb(119, 119, 119)}, {254, rgb(221, 221, 221)},
        {255, rgb(255, 255, 255)},
    };
    for (const auto& [index, value] : expected)
        EXPECT_EQ(ZUN::acadRGB(index), value) << "index " << index;
    // Beyond the table the grey ramp goes on and keeps the low byte.
    EXPECT_EQ(ZUN::acadRGB(-1), rgb(213, 213, 213));
    EXPECT_EQ(ZUN::acadRGB(INT_MIN) >> 24, 0u);
    EXPECT_EQ(ZUN::acadRGB(INT_MAX) >> 24, 0u);
}

TEST(SlideHolder, MemorySlidesAreCopiedAndSizesComeFromTheLastDecode)
{
    ZUN::CSlide slide;
    SlideRecordLog log;
    EXPECT_FALSE(slide.decodeSlide(log).ok);
    std::vector<std::uint8_t> bytes = everyKind(2, true).bytes();
    slide.loadSlide(bytes.data(), static_cast<int>(bytes.size()));
    bytes.assign(bytes.size(), 0);  // the holder has its own copy
    ASSERT_TRUE(slide.decodeSlide(log).ok);
    EXPECT_EQ(log.records, kEveryKind);
    EXPECT_EQ(slide.highX(), 100);
    EXPECT_EQ(slide.highY(), 50);
    EXPECT_EQ(slide.byteOrder(), ZUN::kSlideBigEndian);

    slide.loadSlide(nullptr, 40);
    EXPECT_FALSE(slide.hasSlide());
    slide.loadSlide(bytes.data(), -1);
    EXPECT_FALSE(slide.hasSlide());
}
