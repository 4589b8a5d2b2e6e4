// Files with huge counts: every reader refuses them above its documented
// limit with a message that names the limit and where it was passed,
// instead of running out of stack, memory or time; at the limit they load.

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_hatch.h"
#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"
#include "tests/contracts/data/test_current_drawing.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace ZUN;

namespace {

CZunString wide(const std::filesystem::path& path) { return CZunString::fromUtf8(path.string()); }

std::string repeat(const std::string& piece, int times)
{
    std::string out;
    out.reserve(piece.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Arrays nested n deep: [[[...]]].
std::string arrays(int n) { return repeat("[", n) + repeat("]", n); }

// Directories nested so that the whole text holds n objects: {"A": {"A": {}}}.
std::string directories(int n) { return repeat("{\"A\": ", n - 1) + "{}" + repeat("}", n - 1); }

// The column of the k-th opening bracket of a one-line text (1-based).
int bracketColumn(const std::string& text, int k)
{
    for (size_t i = 0; i < text.size(); ++i)
        if ((text[i] == '[' || text[i] == '{') && --k == 0)
            return static_cast<int>(i) + 1;
    return 0;
}

std::string tooDeep(const std::string& text)
{
    return ":1:" + std::to_string(bracketColumn(text, kJsonMaxNesting + 1)) + ": objects and arrays nested more than " +
           std::to_string(kJsonMaxNesting) + " levels deep";
}

// ---- the readers, each giving its error text ("" when the file loaded) ---------

std::string readDataTree(const std::string& text)
{
    CZunDataItem root(true);
    CDataFileError error;
    return dataFromJson(text, L"huge.json", root, &error) ? "" : error.toString().toUtf8();
}

std::string readDrawing(const std::string& text)
{
    CZunDrawing drawing;
    CDataFileError error;
    return drawing.loadJson(text, L"huge.json", &error) ? "" : error.toString().toUtf8();
}

std::string readMaterialLibrary(const std::string& text)
{
    CTestTmpDir tmp;
    CZunString error;
    const bool ok = CZunMatMgr::setLibraryFile(wide(tmp.write("huge.json", text)), &error);
    CZunMatMgr::setLibraryFile(L"");
    return ok ? "" : error.toUtf8();
}

std::string readConfiguration(const std::string& text)
{
    CTestTmpDir tmp;
    tmp.write("config.json", text);
    std::string errors;
    {
        CTestEnv settings("ZUN_SETTINGS_DIR", tmp.str().c_str());
        CZunCfgMgr::instance().reload();
        for (const CZunString& e : CZunCfgMgr::instance().loadErrors())
            errors += e.toUtf8();
    }
    CZunCfgMgr::instance().reload();
    return errors;
}

std::string readCatalogue(const std::string& text)
{
    CTestTmpDir tmp;
    tmp.write("msg/xx.json", text);
    dataDirAdd(wide(tmp.path()));
    msgCatalogReset();
    const std::string error = msgCatalogError(L"xx").toUtf8();
    dataDirRemove(wide(tmp.path()));
    msgCatalogReset();
    return error;
}

std::string readPatterns(const std::string& text)
{
    CHatchPatternLib lib;
    CZunString error;
    return lib.parse(text, L"huge.pat", &error) ? "" : error.toUtf8();
}

struct HugeFile {
    const char* name;
    std::function<std::string(const std::string&)> read;
    std::function<std::string()> text;
    // The end of the error text; empty: the file loads.
    std::function<std::string(const std::string& text)> error;
};

std::ostream& operator<<(std::ostream& out, const HugeFile& c) { return out << c.name; }

std::string drawingWithData(const std::string& data)
{
    return R"({"zun": "drawing", "version": 1, "parts": [{"handle": "1", "type": "HOLE", "data": {"A": )" + data +
           "}}]}";
}

std::string libraryWith(const std::string& props)
{
    return R"({"zun": "data", "version": 1, "root": {"DEEP": {"LABEL": "x", "PROPS": {"A": )" + props + "}}}}";
}

// Materials M0 .. M(n-1), each deriving from the next.
std::string referenceChain(int n)
{
    std::string text = R"({"zun": "data", "version": 1, "root": {)";
    for (int i = 0; i < n; ++i)
        text += (i ? ", \"M" : "\"M") + std::to_string(i) + "\": {\"PHYS\": 1" +
                (i + 1 < n ? ", \"REF\": \"M" + std::to_string(i + 1) + "\"" : std::string()) + "}";
    return text + "}}";
}

// The chain is refused at the first material's reference.
std::string chainError(const std::string& text)
{
    return ":1:" + std::to_string(text.find("\"M1\"") + 1) + ": expected a chain of at most " +
           std::to_string(kMatMaxReferences) + " references at /root/M0/REF";
}

std::string pattern(int lines, int dashes)
{
    return "*P, many\n" + repeat("0, 0, 0, 0, 1" + repeat(", 1", dashes) + "\n", lines);
}

// One directory of n members, or a drawing of n parts: no limit, but no
// work that grows faster than the file either.
std::string members(int n)
{
    std::string text = "{";
    for (int i = 0; i < n; ++i)
        text += (i ? ", \"K" : "\"K") + std::to_string(i) + "\": " + std::to_string(i);
    return text + "}";
}

std::string parts(int n)
{
    std::string text = R"({"zun": "drawing", "version": 1, "parts": [)";
    for (int i = 0; i < n; ++i)
        text += (i ? ", " : "") + std::string(R"({"handle": "H)") + std::to_string(i) + R"(", "type": "HOLE"})";
    return text + "]}";
}

const auto loads = [](const std::string&) { return std::string(); };
const auto deepError = [](const std::string& text) { return tooDeep(text); };

const HugeFile kHugeFiles[] = {
    {"DataTreeNestedAtTheLimit", readDataTree, [] { return directories(kJsonMaxNesting); }, loads},
    {"DataTreeNestedOneDeeper", readDataTree, [] { return directories(kJsonMaxNesting + 1); }, deepError},
    {"DataTreeNested100000Deep", readDataTree, [] { return "{\"A\": " + arrays(100000) + "}"; }, deepError},
    {"DataTreeBracketsInTextsDoNotNest", readDataTree,
     [] { return "{\"A\": \"" + repeat("[{", 100000) + "\\\"[\"}"; }, loads},
    {"DataTreeOf200000Members", readDataTree, [] { return members(200000); }, loads},
    {"DrawingOf100000Parts", readDrawing, [] { return parts(100000); }, loads},
    {"DrawingPartNested100000Deep", readDrawing, [] { return drawingWithData(arrays(100000)); }, deepError},
    {"DrawingNested100000Deep", readDrawing,
     [] { return "{\"zun\": \"drawing\", \"layers\": " + directories(100000) + "}"; }, deepError},
    {"MaterialLibraryNested100000Deep", readMaterialLibrary, [] { return libraryWith(arrays(100000)); }, deepError},
    {"ConfigurationNested100000Deep", readConfiguration, [] { return directories(100000); }, deepError},
    {"CatalogueNested100000Deep", readCatalogue, [] { return "{\"A\": " + arrays(100000) + "}"; },
     [](const std::string&) { return ": objects and arrays nested more than 256 levels deep"; }},
    {"MaterialReferencesAtTheLimit", readMaterialLibrary, [] { return referenceChain(kMatMaxReferences + 1); }, loads},
    {"MaterialReferencesOneLonger", readMaterialLibrary, [] { return referenceChain(kMatMaxReferences + 2); },
     [](const std::string& text) { return chainError(text); }},
    {"MaterialReferences100000Long", readMaterialLibrary, [] { return referenceChain(100000); },
     [](const std::string& text) { return chainError(text); }},
    {"PatternLinesAtTheLimit", readPatterns, [] { return pattern(kHatchMaxLines, 0); }, loads},
    {"PatternLinesOneMore", readPatterns, [] { return pattern(kHatchMaxLines + 1, 0); },
     [](const std::string&) { return "huge.pat:1002: pattern P has more than 1000 lines"; }},
    {"PatternOf1000000Lines", readPatterns, [] { return pattern(1000000, 0); },
     [](const std::string&) { return "huge.pat:1002: pattern P has more than 1000 lines"; }},
    {"PatternDashesAtTheLimit", readPatterns, [] { return pattern(1, kHatchMaxDashes); }, loads},
    {"PatternDashesOneMore", readPatterns, [] { return pattern(1, kHatchMaxDashes + 1); },
     [](const std::string&) { return "huge.pat:2: more than 100 dashes in one line"; }},
    {"PatternLineOf1000000Dashes", readPatterns, [] { return pattern(1, 1000000); },
     [](const std::string&) { return "huge.pat:2: more than 100 dashes in one line"; }},
};

class HugeFileTest : public ::testing::TestWithParam<HugeFile> {};

} // namespace

TEST_P(HugeFileTest, IsRefusedAboveItsLimitWithWhereAndWhy)
{
    const HugeFile& c = GetParam();
    const std::string text = c.text();
    const std::string error = c.read(text);
    const std::string expected = c.error(text);
    if (expected.empty()) {
        EXPECT_EQ(error, "");
    } else {
        ASSERT_GE(error.size(), expected.size()) << error;
        EXPECT_EQ(error.substr(error.size() - expected.size()), expected) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, HugeFileTest, ::testing::ValuesIn(kHugeFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HugeFile, DrawingMaterialsFollowAtMostTheLimitOfReferences)
{
    // A drawing's materials are read leniently: a long chain is followed as
    // far as the limit and no further, like a loop.
    CTestCurrentDrawing drawing;
    const int n = 100000;
    std::string text = R"({"zun": "drawing", "version": 1, "materials": {)";
    for (int i = 0; i < n; ++i)
        text += (i ? ", \"M" : "\"M") + std::to_string(i) + "\": {\"P" + std::to_string(i) + "\": " +
                std::to_string(i) + (i + 1 < n ? ", \"REF\": \"M" + std::to_string(i + 1) + "\"" : std::string()) +
                "}";
    ASSERT_NO_FATAL_FAILURE(drawing.load(text + "}}"));
    CMatProp prop;
    ASSERT_TRUE(CZunMatMgr().propGet(L"M0", prop));
    EXPECT_EQ(prop.physProps.len(), kMatMaxReferences + 1);
    int last = -1;
    EXPECT_TRUE(prop.props.get(last, CZunDataKey::format(L"P%d", kMatMaxReferences)));
    EXPECT_EQ(last, kMatMaxReferences);
    EXPECT_EQ(prop.props.getItem(CZunDataKey::format(L"P%d", kMatMaxReferences + 1)), nullptr);
}
