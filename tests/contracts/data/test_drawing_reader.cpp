// Reading a drawing a part at a time gives what reading it whole gives:
// the same drawing from every layout of the file, the same message for
// every fault, and never more than one part held by forEachPart.
#include "contracts/data/zun_drawing_reader.h"

#include "test_tmp_dir.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

const CZunString kSample = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

CZunString pathOf(const std::filesystem::path& p)
{
    return CZunString::fromUtf8(p.string());
}

// The drawing the reader gives, read part by part into one drawing.
bool readByParts(const CZunString& path, ZUN::CZunDrawing& out, ZUN::CDataFileError* error, bool* streamed = nullptr)
{
    ZUN::CZunDrawingReader reader;
    if (!reader.open(path, error))
        return false;
    if (streamed)
        *streamed = reader.streamed();
    reader.startDrawing(out);
    for (int i = 0; i < reader.partCount(); ++i)
        if (!reader.readPart(i, out, error))
            return false;
    return true;
}

struct LayoutCase {
    const char* label;
    const char* text;
    bool streamed;  // read a part at a time, not whole
};

std::ostream& operator<<(std::ostream& os, const LayoutCase& c)
{
    return os << c.label;
}

class DrawingReaderLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(DrawingReaderLayout, GivesWhatTheWholeFileGives)
{
    const LayoutCase& c = GetParam();
    CTestTmpDir dir;
    const CZunString path = pathOf(dir.write("d.json", c.text));
    ZUN::CZunDrawing whole;
    ZUN::CDataFileError error;
    ASSERT_TRUE(whole.load(path, &error)) << error.toString().toUtf8();
    ZUN::CZunDrawing parts;
    bool streamed = false;
    ASSERT_TRUE(readByParts(path, parts, &error, &streamed)) << error.toString().toUtf8();
    EXPECT_EQ(parts.toJson(), whole.toJson());
    EXPECT_EQ(parts.path(), path);
    EXPECT_EQ(streamed, c.streamed);
}

const LayoutCase kLayouts[] = {
        LayoutCase{"parts last",
                   R"({"zun": "drawing", "version": 1, "unit": 2, "layers": {"A": {"COLOR": 3}},
 "parts": [{"handle": "A1", "type": "WALL", "name": "W", "data": {"THICK": 240}},
           {"handle": "A2", "type": "HOLE", "data": {"S": 1.5, "T": "x]}\"{["}, "lobj": {"K": 1}}]})",
                   true},
        LayoutCase{"parts first", R"({"parts": [{"handle": "P", "type": "BAR"}], "unit": 3, "zun": "drawing"})", true},
        LayoutCase{"no blanks", R"({"zun":"drawing","parts":[{"handle":"P","type":"BAR"},{"handle":"Q","type":"BAR"}]})",
                   true},
        LayoutCase{"byte order mark", "\xEF\xBB\xBF{\"zun\": \"drawing\", \"parts\": [{\"handle\": \"P\", \"type\": \"BAR\"}]}",
                   true},
        LayoutCase{"no parts", R"({"zun": "drawing", "materials": {"S235": {"E": 210000}}})", true},
        LayoutCase{"empty parts", "{\"zun\": \"drawing\",\r\n\t\"parts\": [ ]\n}\n", true},
        LayoutCase{"escaped member name", R"({"zun": "drawing", "p\u0061rts": [{"handle": "P", "type": "BAR"}]})",
                   false},
        LayoutCase{"parts twice", R"({"zun": "drawing", "parts": [], "parts": [{"handle": "P", "type": "BAR"}]})",
                   false}};

INSTANTIATE_TEST_SUITE_P(Layouts, DrawingReaderLayout, ::testing::ValuesIn(kLayouts));

TEST(DrawingReader, TheSampleReadsAsWhole)
{
    ZUN::CZunDrawing whole;
    ASSERT_TRUE(whole.load(kSample));
    ZUN::CZunDrawing parts;
    ZUN::CDataFileError error;
    bool streamed = false;
    ASSERT_TRUE(readByParts(kSample, parts, &error, &streamed)) << error.toString().toUtf8();
    EXPECT_TRUE(streamed);
    EXPECT_EQ(parts.toJson(), whole.toJson());
}

struct FaultCase {
    const char* label;
    const char* text;  // nullptr: no file at all
};

std::ostream& operator<<(std::ostream& os, const FaultCase& c)
{
    return os << c.label;
}

class DrawingReaderFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(DrawingReaderFault, IsToldAsTheWholeFileTellsIt)
{
    const FaultCase& c = GetParam();
    CTestTmpDir dir;
    const CZunString path = c.text ? pathOf(dir.write("d.json", c.text)) : pathOf(dir.path() / "missing.json");
    ZUN::CZunDrawing whole;
    ZUN::CDataFileError wholeError;
    ASSERT_FALSE(whole.load(path, &wholeError));
    ZUN::CZunDrawing parts;
    ZUN::CDataFileError error;
    EXPECT_FALSE(readByParts(path, parts, &error));
    EXPECT_EQ(error.toString(), wholeError.toString());
    EXPECT_FALSE(error.message.isEmpty());
}

const FaultCase kFaults[] = {
        FaultCase{"no file", nullptr}, FaultCase{"empty file", ""}, FaultCase{"no object", "[1, 2]"},
        FaultCase{"no drawing", R"({"zun": "slide", "parts": []})"},
        FaultCase{"newer version", R"({"zun": "drawing", "version": 7, "parts": [{"handle": "P", "type": "BAR"}]})"},
        FaultCase{"handle twice", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"},
 {"handle": "A", "type": "BAR"}]})"},
        FaultCase{"part no object", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"}, 5]})"},
        FaultCase{"part without type", R"({"zun": "drawing", "parts": [{"handle": "A"}]})"},
        FaultCase{"bad data", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE", "data": {"X": {"$": "nope"}}}]})"},
        FaultCase{"syntax in a part", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE", "data": {"X" 1}}]})"},
        FaultCase{"no comma between parts", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"} {"handle": "B", "type": "HOLE"}]})"},
        FaultCase{"cut short", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"}, {"handle": "B", "ty)"},
        FaultCase{"text after the drawing", R"({"zun": "drawing", "parts": []} {})"},
        FaultCase{"parts no array", R"({"zun": "drawing", "parts": {"handle": "A"}})"},
        FaultCase{"number too large", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE", "data": {"X": 1e999}}]})"},
        FaultCase{"nested too deep",
                  "{\"zun\": \"drawing\", \"parts\": [{\"handle\": \"A\", \"type\": \"HOLE\", \"data\": {\"X\": "
                  "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["
                  "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["
                  "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1}]}"}};

INSTANTIATE_TEST_SUITE_P(Faults, DrawingReaderFault, ::testing::ValuesIn(kFaults));

TEST(DrawingReader, ForEachPartHoldsOnePartAtATime)
{
    ZUN::CZunDrawing whole;
    ASSERT_TRUE(whole.load(kSample));
    ZUN::CZunDrawingReader reader;
    ZUN::CDataFileError error;
    ASSERT_TRUE(reader.open(kSample, &error)) << error.toString().toUtf8();
    ZUN::CZunDrawing drawing;
    std::vector<std::wstring> seen;
    ASSERT_TRUE(reader.forEachPart(
        [&](ZUN::CZunDrawing& current, const ZUN::CZunPart& part) {
            EXPECT_EQ(current.partCount(), 1);
            EXPECT_EQ(current.partByHandle(part.handle), &part);
            EXPECT_EQ(current.materials().childCount(), whole.materials().childCount());
            seen.push_back(part.handle.str());
            return true;
        },
        drawing, &error))
        << error.toString().toUtf8();
    ASSERT_EQ(seen.size(), static_cast<size_t>(whole.partCount()));
    for (int i = 0; i < whole.partCount(); ++i)
        EXPECT_EQ(seen[static_cast<size_t>(i)], whole.part(i)->handle.str());
    EXPECT_EQ(drawing.partCount(), 0);
    // A part's text, not the file's, is what a read holds.
    EXPECT_GT(reader.largestPartBytes(), 0u);
    EXPECT_LT(reader.largestPartBytes(), std::filesystem::file_size(kSample.toUtf8()) / 2);
}

TEST(DrawingReader, ForEachPartFindsAHandleUsedTwiceAndStopsWhenAsked)
{
    CTestTmpDir dir;
    const CZunString path = pathOf(dir.write("d.json", R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"},
 {"handle": "B", "type": "BAR"}, {"handle": "A", "type": "BAR"}]})"));
    ZUN::CZunDrawingReader reader;
    ZUN::CDataFileError error;
    ASSERT_TRUE(reader.open(path, &error));
    ZUN::CZunDrawing drawing;
    int handed = 0;
    EXPECT_FALSE(reader.forEachPart([&](ZUN::CZunDrawing&, const ZUN::CZunPart&) { return ++handed > 0; }, drawing,
                                    &error));
    EXPECT_EQ(handed, 2);
    EXPECT_EQ(error.toString().toUtf8(),
              dir.str() + "/d.json:2:45: expected a handle not used by another part at /parts/2/handle");
    handed = 0;
    EXPECT_TRUE(reader.forEachPart([&](ZUN::CZunDrawing&, const ZUN::CZunPart&) { return ++handed < 1; }, drawing,
                                   &error));
    EXPECT_EQ(handed, 1);
}

} // namespace
