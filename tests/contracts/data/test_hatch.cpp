#include "contracts/data/zun_hatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace ZUN;

namespace {
CHatchPattern definitionOf(const CHatchPatternLib& lib, const CZunString& name)
{
    CHatchPattern p;
    EXPECT_TRUE(lib.get(name, p)) << name.toUtf8();
    return p;
}
} // namespace

TEST(HatchProp, ConstructionAndEquality)
{
    const CHatchProp none;
    EXPECT_TRUE(none.name().isEmpty());
    EXPECT_EQ(none.scale(), 1.0);
    EXPECT_EQ(none, CHatchProp(L"", 0.0, 1.0, false));
    CHatchProp p(L"Ansi31", 0.5, 2.0, true);
    EXPECT_EQ(p.angle(), 0.5);
    EXPECT_TRUE(p.isDouble());
    EXPECT_EQ(p, CHatchProp(L"ANSI31", 0.5, 2.0, true));  // names as the library matches them
    p.setScale(3.0);
    EXPECT_NE(p, CHatchProp(L"ANSI31", 0.5, 2.0, true));
    EXPECT_NE(CHatchProp(L"A", 0.5, 2.0, true), CHatchProp(L"A", 0.5, 2.0, false));
}

TEST(PatternParse, LinesCommentsAndNumberForms)
{
    CHatchPatternLib lib;
    CZunString error;
    ASSERT_TRUE(lib.parse("\xEF\xBB\xBF; comment\r\n\r\n*STRIPES, Plain stripes\r\n45, 0,0, 0, 3.175\r\n"
                          "   ; indented comment\r\n*Mixed,Dashed\n"
                          "  0 , .5 , -3.175 , 1e-2 , 2.5E1 , 1, -.25 ; trailing comment\n"
                          "\t90,+1,0,0,1, 0,-1,2,-1,0,-1,3,-0.5\n\n*BARE\n30,1,2,3,4",
                          L"t.pat", &error))
        << error.toUtf8();
    EXPECT_EQ(lib.names(), (CZunArrayTempl<CZunString>{L"STRIPES", L"Mixed", L"BARE"}));
    EXPECT_EQ(lib.description(L"mixed"), L"Dashed");
    EXPECT_TRUE(lib.description(L"BARE").isEmpty());
    EXPECT_EQ(definitionOf(lib, L"stripes"), (CHatchPattern{CHatchLine{45, 0, 0, 0, 3.175}}));
    EXPECT_EQ(definitionOf(lib, L"MIXED"), (CHatchPattern{CHatchLine{0, 0.5, -3.175, 0.01, 25, 1, -0.25},
                                                          CHatchLine{90, 1, 0, 0, 1, 0, -1, 2, -1, 0, -1, 3, -0.5}}));
    EXPECT_EQ(definitionOf(lib, L"Bare"), (CHatchPattern{CHatchLine{30, 1, 2, 3, 4}}));

    CHatchPattern p = definitionOf(lib, L"BARE");
    EXPECT_FALSE(lib.get(L"BAR", p));
    EXPECT_TRUE(p.isEmpty());
    EXPECT_TRUE(lib.description(L"BAR").isEmpty());

    // Names read again replace the pattern in its place.
    ASSERT_TRUE(lib.parse("*C\n0,0,0,0,5\n*stripes,again\n0,0,0,0,7\n", L"u.pat"));
    EXPECT_EQ(lib.names(), (CZunArrayTempl<CZunString>{L"stripes", L"Mixed", L"BARE", L"C"}));
    EXPECT_EQ(definitionOf(lib, L"STRIPES"), (CHatchPattern{CHatchLine{0, 0, 0, 0, 7}}));
    EXPECT_TRUE(lib.parse("; nothing\n", L"v.pat"));
    EXPECT_EQ(lib.len(), 4);
}

TEST(PatternParse, MalformedTextIsRefusedWithItsLineAndChangesNothing)
{
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"*P\n45, 0, zero, 0, 3.175\n", L"bad.pat:2: number expected in field 3"},
        {"*P\n45, 0, 0, 3.175\n", L"bad.pat:2: angle, x-origin, y-origin, delta-x and delta-y expected"},
        {"; c\n45, 0, 0, 0, 3.175\n*P\n0,0,0,0,1\n", L"bad.pat:2: pattern header"},
        {"*P\n0,0,0,0,1\n\n*EMPTY\n*Q\n0,0,0,0,1\n", L"bad.pat:4: at least one line expected for pattern EMPTY"},
        {"*P\n0,0,0,0,1\n*LAST\n; c\n", L"bad.pat:3: at least one line expected for pattern LAST"},
        {"*P\r\n0,0,0,0,1,\r\n", L"bad.pat:2: number expected in field 6"},
        {"*P\n0,0,0,0,inf\n", L"bad.pat:2: number expected in field 5"},
        {"*P\n0,0,0,0,1 2\n", L"bad.pat:2: number expected in field 5"},
        {"*P\n0,0,0,0,1\n* , no name\n0,0,0,0,1\n", L"bad.pat:3: pattern name expected"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        CHatchPatternLib lib;
        ASSERT_TRUE(lib.parse("*P,kept\n1,2,3,4,5\n", L"good.pat"));
        CZunString error;
        EXPECT_FALSE(lib.parse(text, L"bad.pat", &error));
        EXPECT_EQ(error.left(CZunString(expected).len()), expected) << error.toUtf8();
        EXPECT_FALSE(lib.parse(text, L"bad.pat"));
        // Nothing before the bad line was taken over either.
        EXPECT_EQ(lib.len(), 1);
        EXPECT_EQ(lib.description(L"P"), L"kept");
        EXPECT_EQ(definitionOf(lib, L"P"), (CHatchPattern{CHatchLine{1, 2, 3, 4, 5}}));
    }
}

TEST(PatternLoad, FilesByUtf8Path)
{
    CHatchPatternLib lib;
    CZunString error;
    EXPECT_FALSE(lib.load(L"/nonexistent/none.pat", &error));
    EXPECT_NE(error.find(L"/nonexistent/none.pat"), -1);

    const std::string dir = std::filesystem::temp_directory_path().string();
    const std::string name = "/zun_hatch_\xC3\xA4\xE2\x82\xAC.pat";
    const CZunString path = CZunString::fromUtf8(dir + name);
    EXPECT_FALSE(lib.load(CZunString::fromUtf8(dir), &error));  // a folder
    const std::string utf8 = dir + name;
    const std::filesystem::path file(std::u8string(utf8.begin(), utf8.end()));
    std::ofstream(file, std::ios::binary) << "*X\r\n0, 0, 0, 0, 2\r\n*Y\r\n0, 0, 0, 0\r\n";
    EXPECT_FALSE(lib.load(path, &error));
    EXPECT_EQ(error.left(path.len() + 3), path + L":4:");
    std::ofstream(file, std::ios::binary) << "*X\r\n0, 0, 0, 0, 2\r\n";
    EXPECT_TRUE(lib.load(path, &error));
    EXPECT_EQ(definitionOf(lib, L"x"), (CHatchPattern{CHatchLine{0, 0, 0, 0, 2}}));
    std::filesystem::remove(file);
}

TEST(PatternFile, ShippedPatternsLoadAndCanBeDrawn)
{
    CHatchPatternLib lib;
    CZunString error;
    ASSERT_TRUE(lib.load(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/data/zun.pat"), &error)) << error.toUtf8();
    for (const wchar_t* name : {L"ANSI31", L"ANSI32", L"ANSI33", L"ANSI34", L"ANSI35", L"ANSI36", L"ANSI37",
                                L"ANSI38", L"DOTS", L"GRAVEL", L"NET", L"BRICK", L"AR-CONC", L"SOLID", L"INSUL",
                                L"EARTH", L"STEEL", L"WOOD"})
        EXPECT_FALSE(lib.description(name).isEmpty()) << CZunString(name).toUtf8();
    EXPECT_EQ(definitionOf(lib, L"ANSI31"), (CHatchPattern{CHatchLine{45, 0, 0, 0, 3.175}}));
    // The second 45-degree family of the steel hatch lies one step across.
    EXPECT_NEAR(definitionOf(lib, L"ANSI32").get(1).get(1) * std::sqrt(0.5), 3.175, 1e-5);

    for (const CZunString& name : lib.names())
        for (const CHatchLine& line : definitionOf(lib, name)) {
            SCOPED_TRACE(name.toUtf8());
            ASSERT_GE(line.len(), 5);
            EXPECT_GT(std::abs(line.get(4)), 1e-3);  // zero spacing would never end
        }
    // Stones and aggregate close up only if every edge family repeats on the
    // same tile: period along the line times spacing is the tile's area.
    for (const auto& [name, area] : {std::pair{L"GRAVEL", 120.0}, {L"AR-CONC", 144.0}, {L"EARTH", 20.48}}) {
        for (const CHatchLine& line : definitionOf(lib, name)) {
            double period = 0.0;
            for (int i = 5; i < line.len(); ++i)
                period += std::abs(line.get(i));
            EXPECT_NEAR(period * line.get(4), area, 1e-3) << CZunString(name).toUtf8();
        }
    }
}

namespace {

struct NamedLine {
    const char* name;
    CHatchLine numbers;
    CPatternLine expected;
};

std::ostream& operator<<(std::ostream& out, const NamedLine& c) { return out << c.name; }

const NamedLine kNamedLines[] = {
    {"Solid", {45, 1, 2, 0.5, 3.175}, {45, 1, 2, 0.5, 3.175, {}}},
    {"Dashed", {90, -1, 0.25, 0, 1, 2, -1, 0, -0.5}, {90, -1, 0.25, 0, 1, {2, -1, 0, -0.5}}},
    {"OneDash", {0, 0, 0, 3, 4, -2}, {0, 0, 0, 3, 4, {-2}}},
    // An application object may hand out fewer than five numbers: the
    // missing ones are 0, so the family has no spacing and draws nothing.
    {"NoSpacing", {30, 1, 2, 3}, {30, 1, 2, 3, 0, {}}},
    {"AngleOnly", {60}, {60, 0, 0, 0, 0, {}}},
    {"Empty", {}, {}},
};

class PatternLineNames : public ::testing::TestWithParam<NamedLine> {};

} // namespace

TEST_P(PatternLineNames, NameEachNumberOfTheFamily)
{
    EXPECT_EQ(patternLineOf(GetParam().numbers), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Definitions, PatternLineNames, ::testing::ValuesIn(kNamedLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PatternLines, ComeInTheOrderOfTheDefinition)
{
    CHatchPatternLib lib;
    ASSERT_TRUE(lib.parse("*TWO\n0, 0,0, 0,1, 2,-1\n90, 1,2, 3,4\n", L"two.pat"));
    const CPatternLines lines = patternLinesOf(definitionOf(lib, L"TWO"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (CPatternLine{0, 0, 0, 0, 1, {2, -1}}));
    EXPECT_EQ(lines[1], (CPatternLine{90, 1, 2, 3, 4, {}}));
    EXPECT_TRUE(patternLinesOf(CHatchPattern()).empty());
}
