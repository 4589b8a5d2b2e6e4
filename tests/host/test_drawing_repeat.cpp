// Large drawings made of a sample's parts repeated.

#include "host/zun_drawing_repeat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// A drawing of parts P0, P1, ... (names "Part 0", ...; data NR = index).
void makeSample(ZUN::CZunDrawing& sample, int parts)
{
    for (int i = 0; i < parts; ++i) {
        ZUN::CZunPart* p = sample.addPart(CZunString::fromUtf8("P" + std::to_string(i)), CZunString(L"HOLE"),
                                          CZunDataItem(true));
        p->name = CZunString::fromUtf8("Part " + std::to_string(i));
        p->data.set(i, L"NR");
    }
    sample.layers().set(L"red", L"L1");
}

struct RepeatCase {
    int sampleParts;
    int count;
    const char* lastHandle;
    const char* lastName;
};

class RepeatDrawing : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(RepeatDrawing, RepeatsThePartsInOrderWithHandlesOfTheirOwn)
{
    const RepeatCase& c = GetParam();
    ZUN::CZunDrawing sample;
    makeSample(sample, c.sampleParts);
    ZUN::CZunDrawing out;
    ASSERT_TRUE(zunRepeatDrawing(sample, c.count, out));
    ASSERT_EQ(out.partCount(), c.count);
    std::set<std::string> handles;
    for (int k = 0; k < c.count; ++k) {
        const ZUN::CZunPart& part = *out.part(k);
        handles.insert(part.handle.toUtf8());
        long nr = -1;
        ASSERT_TRUE(part.data.get(nr, L"NR"));
        EXPECT_EQ(nr, k % c.sampleParts) << "part " << k;
        EXPECT_EQ(part.type, CZunString(L"HOLE"));
    }
    EXPECT_EQ(static_cast<int>(handles.size()), c.count);
    EXPECT_EQ(out.part(c.count - 1)->handle.toUtf8(), c.lastHandle);
    EXPECT_EQ(out.part(c.count - 1)->name.toUtf8(), c.lastName);
    CZunString layer;
    EXPECT_TRUE(out.layers().get(layer, L"L1"));
    // Every part is found by its entity name, as the generators look it up.
    for (int k = 0; k < c.count; ++k)
        EXPECT_EQ(out.partByName(out.entityName(*out.part(k))), out.part(k));
}

INSTANTIATE_TEST_SUITE_P(Counts, RepeatDrawing,
                         ::testing::Values(RepeatCase{3, 1, "P0", "Part 0"}, RepeatCase{3, 3, "P2", "Part 2"},
                                           RepeatCase{3, 4, "P0_1", "Part 0 #1"},
                                           RepeatCase{10, 2000, "P9_199", "Part 9 #199"}));

TEST(RepeatDrawing, RefusesNothingToRepeat)
{
    ZUN::CZunDrawing none, two, out;
    makeSample(two, 2);
    EXPECT_FALSE(zunRepeatDrawing(none, 5, out));
    EXPECT_FALSE(zunRepeatDrawing(two, 0, out));
    EXPECT_EQ(out.partCount(), 0);
}

TEST(RepeatDrawing, WritesAFileThatReadsBack)
{
    const std::string dir = ::testing::TempDir();
    const CZunString samplePath = CZunString::fromUtf8(dir + "zun_repeat_sample.json");
    const CZunString outPath = CZunString::fromUtf8(dir + "zun_repeat_out.json");
    ZUN::CZunDrawing sample;
    makeSample(sample, 4);
    ASSERT_TRUE(sample.save(samplePath));
    CZunString error;
    ASSERT_TRUE(zunRepeatDrawingFile(samplePath, 50, outPath, &error)) << error.toUtf8();
    ZUN::CZunDrawing read;
    ASSERT_TRUE(read.load(outPath));
    EXPECT_EQ(read.partCount(), 50);
    EXPECT_EQ(read.part(49)->handle.toUtf8(), "P1_12");
    EXPECT_FALSE(zunRepeatDrawingFile(CZunString::fromUtf8(dir + "zun_no_such_sample.json"), 5, outPath, &error));
    EXPECT_FALSE(error.isEmpty());
    std::remove((dir + "zun_repeat_sample.json").c_str());
    std::remove((dir + "zun_repeat_out.json").c_str());
}

} // namespace
