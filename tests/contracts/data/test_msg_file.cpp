#include "contracts/data/zun_msg_file.h"

#include "contracts/base/zun_text.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace ZUN;

namespace {

const char* const kTwoLanguages = R"({
  "zun_messages": 1,
  "texts": {
    "ZUN_MFC_0009": {"de": "Bezeichnung", "en": "Label"},
    "PART_NOTE": {"de": "Blech\nverzinkt", "en": "Sheet\ngalvanised"},
    "ONLY_DE": {"de": "nur deutsch", "EN": ""}
  }
})";

CZunMsgFile opened(const char* text, const wchar_t* name = L"texts.json")
{
    CZunMsgFile file;
    CDataFileError error;
    EXPECT_TRUE(file.openText(text, name, &error)) << error.toString().toUtf8();
    return file;
}

} // namespace

TEST(MsgFile, ReadsTheMultiLanguageForm)
{
    const CZunMsgFile file = opened(kTwoLanguages);
    ASSERT_EQ(file.keyCount(), 3u);
    EXPECT_EQ(file.keyAt(0), L"ONLY_DE") << "keys in ascending order";
    EXPECT_EQ(file.keyAt(2), L"ZUN_MFC_0009");
    EXPECT_EQ(file.indexOf(L"PART_NOTE"), 1);
    EXPECT_EQ(file.indexOf(L"MISSING"), -1);
    EXPECT_EQ(file.languages(), (std::vector<CZunString>{L"de", L"en"}));
    EXPECT_EQ(file.text(L"ZUN_MFC_0009", L"EN"), L"Label") << "language without case";
    EXPECT_EQ(file.text(L"PART_NOTE", L"de"), L"Blech\nverzinkt");
    EXPECT_EQ(file.text(L"ZUN_MFC_0009", L"fr"), L"");
    EXPECT_EQ(file.text(L"MISSING", L"de"), L"");
}

TEST(MsgFile, MergesCataloguesAndMessageFiles)
{
    CZunMsgFile file = opened(R"({"B": "bee", "A": "ay"})", L"/x/msg/en.json");
    ASSERT_TRUE(file.openText(R"({"A": "a-fr", "C": "cé"})", L"fr.json"));
    ASSERT_TRUE(file.openText(R"({"A": "a-br"})", L"pt_BR.json"));
    ASSERT_TRUE(file.openText(R"({"zun_messages": 1, "texts": {"A": {"de": "A-de", "en": "ay2"}}})", L"more.json"));
    EXPECT_EQ(file.keyCount(), 3u);
    EXPECT_EQ(file.languages(), (std::vector<CZunString>{L"de", L"en", L"fr", L"pt_br"})) << "country table order, others after";
    EXPECT_EQ(file.text(L"A", L"en"), L"ay2") << "the newer file wins";
    EXPECT_EQ(file.text(L"B", L"en"), L"bee");
    EXPECT_EQ(file.text(L"C", L"fr"), L"c\u00E9");
    EXPECT_EQ(file.text(L"A", L"de"), L"A-de");
    EXPECT_EQ(file.files().size(), 4u);
    EXPECT_EQ(file.text(L"A", L"PT_BR"), L"a-br");
}

TEST(MsgFile, OpensTheShippedFiles)
{
    CZunMsgFile file;
    CDataFileError error;
    ASSERT_TRUE(file.open(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/en.json"), &error)) << error.toString().toUtf8();
    EXPECT_EQ(file.text(L"ZUN_MFC_0010", L"en"), L"No text selected");
    ASSERT_TRUE(file.open(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/zun_messages.json"), &error))
        << error.toString().toUtf8();
    EXPECT_EQ(file.text(L"ZUN_MFC_0010", L"de"), L"Kein Text ausgew\u00E4hlt");
    // Every key of the module has its German and English text, and some parts a multi-line one.
    size_t multi = 0;
    for (size_t i = 0; i < file.keyCount(); ++i) {
        const CZunString& key = file.keyAt(i);
        EXPECT_FALSE(file.text(key, L"de").isEmpty()) << key.toUtf8();
        EXPECT_FALSE(file.text(key, L"en").isEmpty()) << key.toUtf8();
        multi += file.describe(key).view().front() == L'M';
    }
    EXPECT_GE(multi, 3u);
}

struct BadFile {
    const char* name;
    const char* text;
    int line;
    const char* says;
};

class MsgFileBad : public ::testing::TestWithParam<BadFile> {};

TEST_P(MsgFileBad, NamesFileAndLineAndKeepsWhatWasOpen)
{
    CZunMsgFile file = opened(kTwoLanguages);
    CDataFileError error;
    EXPECT_FALSE(file.openText(GetParam().text, CZunString::fromUtf8(GetParam().name), &error));
    EXPECT_EQ(error.file.toUtf8(), GetParam().name);
    EXPECT_EQ(error.line, GetParam().line) << error.toString().toUtf8();
    EXPECT_NE(error.toString().toUtf8().find(GetParam().says), std::string::npos) << error.toString().toUtf8();
    EXPECT_EQ(file.keyCount(), 3u);
    EXPECT_EQ(file.text(L"ZUN_MFC_0009", L"en"), L"Label");
    EXPECT_EQ(file.files().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MsgFileBad,
    ::testing::Values(
        BadFile{"syntax.json", "{\"zun_messages\": 1,\n \"texts\": {\n  \"A\": {\"de\": \"x\",}\n}}", 3, "syntax.json"},
        BadFile{"text.json", "{\"zun_messages\": 1,\n \"texts\": {\n  \"A\": {\"de\": 5}\n}}", 3, "a text"},
        BadFile{"code.json", "{\"zun_messages\": 1,\n \"texts\": {\n  \"A\": {\"d e\": \"x\"}\n}}", 3, "language code"},
        BadFile{"version.json", "{\n \"zun_messages\": 2, \"texts\": {}}", 2, "version"},
        BadFile{"en.json", "{\"A\": \"x\",\n \"B\": [1]}", 2, "a text"},
        BadFile{"texts.json", "{\"A\": \"x\"}", 1, "named after its language"},
        BadFile{"e.json", "{\"A\": \"x\"}", 1, "named after its language"},
        BadFile{"array.json", "[1, 2]", 1, "one JSON object"}),
    [](const auto& info) { return std::string(info.param.name).substr(0, std::string(info.param.name).find('.')); });

TEST(MsgFile, MissingFileIsAnError)
{
    CZunMsgFile file;
    CDataFileError error;
    EXPECT_FALSE(file.open(L"/nonexistent/de.json", &error));
    EXPECT_EQ(error.file, L"/nonexistent/de.json");
    EXPECT_TRUE(file.isEmpty());
}

class MsgFileEscape : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(MsgFileEscape, RoundTripsThroughUnEscape)
{
    const CZunString text(GetParam());
    const CZunString escaped = CZunMsgFile::escape(text);
    for (const wchar_t c : escaped.view()) {
        EXPECT_GE(c, 0x20) << "only printable ASCII goes out";
        EXPECT_LT(c, 0x7F);
    }
    EXPECT_EQ(unEscapeWideChar(escaped), text) << escaped.toUtf8();
}

INSTANTIATE_TEST_SUITE_P(Texts, MsgFileEscape,
                         ::testing::Values(L"plain", L"two\nlines", L"cr\r\nlf\ttab", L"back\\slash \\n literal",
                                           L"\"quoted\" 'single'", L"Gr\u00F6\u00DFe \u00B6 \u20AC", L"\x01\x1F\x7F",
                                           L"emoji \U0001F600 end", L"\\u0041 not an escape", L""));

TEST(MsgFile, EscapedTextAndDescription)
{
    const CZunMsgFile file = opened(kTwoLanguages);
    EXPECT_EQ(file.escapedText(L"PART_NOTE", L"en"), L"Sheet\\ngalvanised");
    EXPECT_EQ(file.text(L"PART_NOTE", L"0"), L"M de,en");
    EXPECT_EQ(file.escapedText(L"PART_NOTE", L"0"), L"M de,en");
    EXPECT_EQ(file.describe(L"ZUN_MFC_0009"), L"S de,en");
    EXPECT_EQ(file.describe(L"ONLY_DE"), L"S de") << "an empty text does not count";
    EXPECT_EQ(file.describe(L"MISSING"), L"");
    EXPECT_TRUE(CZunMsgFile::isMultiLine(L"a\u00B6b"));
    EXPECT_FALSE(CZunMsgFile::isMultiLine(L"a\\nb")) << "a literal backslash-n is one line";
}

TEST(MsgFile, MergeOfReadStoresEqualsOpeningInTurn)
{
    CZunMsgFile inTurn = opened(kTwoLanguages);
    ASSERT_TRUE(inTurn.openText(R"({"ZUN_MFC_0009": "\u00C9tiquette", "NEW": "nouveau", "ONLY_DE": ""})", L"fr.json"));

    CZunMsgFile merged = opened(kTwoLanguages);
    CZunMsgFile second = opened(R"({"ZUN_MFC_0009": "\u00C9tiquette", "NEW": "nouveau", "ONLY_DE": ""})", L"fr.json");
    merged.merge(std::move(second));
    EXPECT_TRUE(second.isEmpty());
    ASSERT_EQ(merged.keyCount(), inTurn.keyCount());
    EXPECT_EQ(merged.languages(), inTurn.languages());
    for (size_t i = 0; i < merged.keyCount(); ++i)
        for (const CZunString& language : merged.languages())
            EXPECT_EQ(merged.text(merged.keyAt(i), language), inTurn.text(inTurn.keyAt(i), language));
    EXPECT_EQ(merged.text(L"ONLY_DE", L"de"), L"nur deutsch") << "an empty text replaces nothing";
    EXPECT_EQ(merged.files().size(), 2u);
}

// The reader keeps one text of a key given twice, so a key that two texts
// were given by mistake would silently show the wrong one: the shipped
// catalogues must give each key once.
class ShippedCatalogue : public testing::TestWithParam<const char*> {};

TEST_P(ShippedCatalogue, GivesEachKeyOnce)
{
    std::ifstream in(std::string(ZUN_SOURCE_RES_DIR) + "/msg/" + GetParam());
    ASSERT_TRUE(in) << GetParam();
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    // Message keys are upper case; the language codes inside an entry are not.
    const std::regex key(R"re("([A-Z][A-Z0-9_]*)"\s*:)re");
    std::set<std::string> seen;
    int keys = 0;
    for (auto it = std::sregex_iterator(all.begin(), all.end(), key); it != std::sregex_iterator(); ++it, ++keys)
        EXPECT_TRUE(seen.insert((*it)[1].str()).second) << (*it)[1].str() << " given twice in " << GetParam();
    EXPECT_GT(keys, 100);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedCatalogue, testing::Values("zun_messages.json", "en.json"));
