#include "contracts/data/zun_msg.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_files.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

using namespace ZUN;

namespace {

CZunString wide(const std::filesystem::path& path) { return CZunString::fromUtf8(path.string()); }

// Restores the message language and forgets catalogues read from scratch
// folders, so that no test sees another's catalogues.
class MsgTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        dataDirRemove(wide(tmp.path()));
        msgCatalogReset();
        msgLangSet(m_language);
    }

    // A catalogue in the scratch folder, found before any shipped one.
    void catalogue(const std::string& language, const std::string& json)
    {
        tmp.write("msg/" + language + ".json", json);
        dataDirAdd(wide(tmp.path()));
        msgCatalogReset();
    }

    CTestTmpDir tmp;
    CTestEnv dataPath{"ZUN_DATA_PATH", nullptr};

private:
    CZunString m_language = msgLangSet(nullptr);
};

class LabelTest : public MsgTest {};

const wchar_t* const kFehler = L"Fehler";

} // namespace

TEST_F(MsgTest, LookupByLanguage)
{
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"0"), L"ZUN001");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"EN"), L"Error");
    EXPECT_EQ(zun_msg_get(L"", L"ZUN_LIB_027", L"Bibliothek", L"en"), L"Library");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"de"), kFehler);
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"pl"), kFehler) << "no catalogue: defaults";
    EXPECT_TRUE(msgCatalogError(L"pl").isEmpty()) << "a missing catalogue is no error";
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"NO_SUCH_KEY", L"Vorgabe", L"en"), L"Vorgabe");
    EXPECT_TRUE(zun_msg_get(L"ZUN_", L"NO_SUCH_KEY", static_cast<const wchar_t*>(nullptr), L"en").isEmpty());
    // Codes become file names: one that leaves msg/ must not reach en.json.
    EXPECT_EQ(zun_msg_get(L"", L"ZUN001", kFehler, L"../msg/en"), kFehler);

    msgLangSet(L"en");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"DLG_002", L"Abbrechen", L""), L"Cancel");
    msgLangSet(L"0");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"DLG_002", L"Abbrechen", L""), L"DLG_002");
}

TEST_F(MsgTest, LangSetAnswersAndSwitches)
{
    msgLangSet(L"");
    EXPECT_EQ(msgLangSet(nullptr), L"de") << "German is the default";
    EXPECT_EQ(msgLangSet(nullptr), L"de") << "asking changes nothing";
    EXPECT_EQ(msgLangSet(L"EN"), L"de");
    EXPECT_EQ(msgLangSet(L""), L"en");
    EXPECT_EQ(msgLangSet(nullptr), L"de");
}

TEST_F(MsgTest, PrefixedEntryOverridesThePlainKeyForThatPrefixOnly)
{
    catalogue("fr", R"({"DLG_001": "D'accord", "ZUN_DLG_001": "Valider", "VIDE": "", "ZUN001": "Erreur"})");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"DLG_001", L"OK", L"fr"), L"Valider");
    EXPECT_EQ(zun_msg_get(L"ORV_", L"DLG_001", L"OK", L"fr"), L"D'accord");
    EXPECT_EQ(zun_msg_get(L"", L"DLG_001", L"OK", L"fr"), L"D'accord");
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"VIDE", L"Leer", L"fr"), L"Leer") << "untranslated entries show the default";

    // Read once and kept until reset.
    tmp.write("msg/fr.json", R"({"ZUN001": "Faute"})");
    EXPECT_EQ(zun_msg_get(L"", L"ZUN001", kFehler, L"fr"), L"Erreur");
    msgCatalogReset();
    EXPECT_EQ(zun_msg_get(L"", L"ZUN001", kFehler, L"fr"), L"Faute");
}

TEST_F(MsgTest, MalformedCatalogueIsReportedWithItsFileAndActsEmpty)
{
    catalogue("en", "{\n  \"ZUN001\": \"Failure\",,\n}\n");  // hides the shipped one
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"en"), kFehler);
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN084", L"Einheit", L"en"), L"Einheit");
    const CZunString error = msgCatalogError(L"en");
    EXPECT_GE(error.find(wide(tmp.path() / "msg" / "en.json")), 0) << error.toUtf8();
    EXPECT_GE(error.find(L"line 2"), 0) << error.toUtf8();
    EXPECT_EQ(error.find(L"json.exception"), -1) << "internal tags are no help to the user";

    tmp.write("msg/en.json", R"({"ZUN001": "Failure"})");
    msgCatalogReset();
    EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, L"en"), L"Failure");
    EXPECT_TRUE(msgCatalogError(L"en").isEmpty());
}

TEST_F(MsgTest, WrongShapesAndBytesFoundThroughTheEnvironmentAreErrorsToo)
{
    dataPath.set(tmp.str().c_str());
    tmp.write("msg/it.json", R"(["ZUN001", "Errore"])");
    tmp.write("msg/nl.json", R"({"ZUN001": "Fout", "ZUN022": 22})");
    tmp.write("msg/es.json", "{\"ZUN001\": \"Err\xff\xfeor\"}");
    tmp.write("msg/cs.json", "");
    msgCatalogReset();
    for (const wchar_t* code : {L"it", L"nl", L"es", L"cs"}) {
        EXPECT_EQ(zun_msg_get(L"ZUN_", L"ZUN001", kFehler, code), kFehler) << code;
        const CZunString error = msgCatalogError(code);
        EXPECT_GE(error.find(wide(tmp.path() / "msg") + L"/" + code + L".json"), 0) << error.toUtf8();
    }
    EXPECT_GE(msgCatalogError(L"nl").find(L"\"ZUN022\""), 0) << "the offending key is named";
}

// ---- the shipped English catalogue

namespace {

// Every message key the module's callers use, with the German default each
// passes along.
struct KnownKey {
    const wchar_t* key;
    const wchar_t* german;
};
const KnownKey kKnownKeys[] = {
    {L"ZUN_MFC_0001", L"Wert darf nicht kleiner sein als"},
    {L"ZUN_MFC_0002", L"Wert darf nicht gr\u00F6\u00DFer sein als"}, {L"ZUN_MFC_0003", L"Ung\u00FCltige Zahl"},
    {L"ZUN_MFC_0004", L"Kopieren"}, {L"ZUN_MFC_0005", L"Einf\u00FCgen"}, {L"ZUN_MFC_0006", L"Einzeilig"},
    {L"ZUN_MFC_0007", L"Mehrzeilig"}, {L"ZUN_MFC_0008", L"Import"}, {L"ZUN_MFC_0009", L"Bezeichnung"},
    {L"ZUN_MFC_0010", L"Kein Text ausgew\u00E4hlt"}, {L"ZUN_MFC_0011", L"Kein Text zugeordnet"},
    {L"ZUN_MFC_0012", L"Materialauswahl"}, {L"ZUN_MFC_0017", L"Mehzeilige Texte nicht m\u00F6glich"},
    {L"ZUN_OUTL_0000", L"Kontur"}, {L"ZUN_OUTL_0001", L"Abbrechen"}, {L"ZUN_OUTL_0002", L"OK"},
    {L"ZUN_OUTL_0003", L"Auswahl"}, {L"ZUN_OUTL_0004", L"Filter"}, {L"ZUN_OUTL_0005", L"Basispunkt"},
    {L"ZUN_OUTL_0006", L"Parameter"}, {L"ZUN_OUTL_0066", L"Bereich"}, {L"ZUN_OUTL_0100", L"Filter Konturen"},
    {L"ZUN_OUTL_0101", L"*Grundformen"}, {L"ZUN_OUTL_0102", L"Formen erweitert"}, {L"ZUN_OUTL_0103", L"Sonderformen"},
    {L"ZUN_OUTL_0104", L"Bearbeitungen"}, {L"ZUN_LIB_027", L"Bibliothek"}, {L"DLG_SG018", L"Zeichnung"},
    {L"DLG_001", L"Ok"}, {L"DLG_002", L"Abbrechen"}, {L"ZUN001", L"Fehler"}, {L"ZUN022", L"Eintragung notwendig"},
    {L"ZUN023", L"Wert darf nicht Null sein"}, {L"ZUN024", L"Wert darf nicht negativ sein"},
    {L"ZUN084", L"Einheit w\u00E4hlen"},
};

int countOf(const CZunString& text, wchar_t c)
{
    return static_cast<int>(std::count(text.str().begin(), text.str().end(), c));
}

} // namespace

TEST_F(MsgTest, EnglishCatalogueTranslatesEveryKnownKeyCleanly)
{
    ASSERT_TRUE(msgCatalogError(L"en").isEmpty()) << msgCatalogError(L"en").toUtf8();
    for (const KnownKey& known : kKnownKeys) {
        const CZunString key = known.key;
        const CZunString english = zun_msg_get(L"ZUN_", key, L"\x01", L"en");
        EXPECT_NE(english, L"\x01") << "missing: " << key.toUtf8();
        const bool sameWord = key == L"ZUN_OUTL_0002" || key == L"ZUN_MFC_0008" || key == L"ZUN_OUTL_0004";
        EXPECT_EQ(english == known.german, sameWord) << "untranslated: " << key.toUtf8();
        // Callers format some texts and mark some: both must survive.
        EXPECT_EQ(countOf(english, L'%'), countOf(known.german, L'%')) << key.toUtf8();
        EXPECT_EQ(english[0] == L'*', known.german[0] == L'*') << key.toUtf8();
    }

    std::ifstream in(fileFind(L"msg/en.json").toUtf8());
    const nlohmann::json doc = nlohmann::json::parse(in);
    EXPECT_GE(doc.size(), std::size(kKnownKeys));
    for (const auto& [key, value] : doc.items()) {
        ASSERT_TRUE(value.is_string()) << key;
        const CZunString text = CZunString::fromUtf8(value.get<std::string>());
        CZunString trimmed = text;
        EXPECT_FALSE(text.isEmpty()) << key;
        EXPECT_EQ(trimmed.trim(), text) << key << ": stray blanks";
    }
}

// ---- labels

TEST_F(LabelTest, EncodingOrderAndEscapes)
{
    CZunString label;
    EXPECT_TRUE(label_set(label, L"Sheet", L"EN"));
    EXPECT_TRUE(label_set(label, L"Blech", L"de"));
    EXPECT_EQ(label, L"\\de:Blech\\en:Sheet") << "languages in country-table order, codes in lower case";
    EXPECT_EQ(label_get(label, L"En"), L"Sheet");

    CZunString escaped;
    label_set(escaped, L"a\\b:c", L"de");
    EXPECT_EQ(escaped, L"\\de:a\\\\b:c");

    msgLangSet(L"../x");  // what an empty code stands for
    for (const wchar_t* bad : {L"d:e", L"d\\e", L"d e", L""}) {
        EXPECT_FALSE(label_set(label, L"x", bad)) << CZunString(bad).toUtf8();
        EXPECT_EQ(label, L"\\de:Blech\\en:Sheet");
    }
}

TEST_F(LabelTest, RoundTripInEveryLanguageWithAwkwardTexts)
{
    CZunString label;
    std::vector<std::pair<CZunString, CZunString>> expected;
    const ZunCountry_st* countries = zunDlCountrys();
    for (int i = 0; countries[i].code; ++i) {
        const CZunString code = countries[i].code;
        // Backslashes at both ends and doubled, colons, the look of a next
        // part, a line break, the language's own name.
        const CZunString text = L"\\" + code + L":x\\\\y\\en:z::" + countries[i].name + L"\n2\\";
        EXPECT_TRUE(label_set(label, text, code));
        expected.emplace_back(code, text);
    }
    for (const auto& [code, text] : expected)
        EXPECT_EQ(label_get(label, code, false), text) << code.toUtf8();

    CZunString reversed;
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        label_set(reversed, it->second, it->first);
    EXPECT_EQ(reversed, label) << "the order of setting does not matter";
}

TEST_F(LabelTest, FallbackRemovalAndCurrentLanguage)
{
    CZunString label;
    label_set(label, L"Sheet", L"en");
    label_set(label, L"Blech", L"de");
    msgLangSet(L"fr");
    label_set(label, L"T\u00F4le", L"");
    EXPECT_EQ(label_get(label, L""), L"T\u00F4le");
    EXPECT_EQ(label_get(label, L"pl"), L"Blech");
    EXPECT_TRUE(label_get(label, L"pl", false).isEmpty());

    label_set(label, L"", L"de");
    EXPECT_EQ(label, L"\\en:Sheet\\fr:T\u00F4le");
    EXPECT_EQ(label_get(label, L"pl"), L"Sheet") << "without German the first text";
    label_set(label, L"", L"it");
    label_set(label, L"", L"en");
    label_set(label, L"", L"fr");
    EXPECT_TRUE(label.isEmpty()) << "no text left, no label";
}

TEST_F(LabelTest, PlainTextIsTheSameEverywhereAndBecomesGerman)
{
    CZunString label = L"Blech";
    EXPECT_EQ(label_get(label, L"cs", false), L"Blech");
    EXPECT_TRUE(label_set(label, L"", L"en"));
    EXPECT_EQ(label, L"Blech") << "nothing to remove: stays plain";
    label_set(label, L"Sheet", L"en");
    EXPECT_EQ(label, L"\\de:Blech\\en:Sheet");

    CZunString replaced = L"Blech";
    label_set(replaced, L"Stahlblech", L"de");
    EXPECT_EQ(replaced, L"\\de:Stahlblech");
    CZunString removed = L"Blech";
    label_set(removed, L"", L"de");
    EXPECT_TRUE(removed.isEmpty());
}

TEST_F(LabelTest, DamagedPartsAreSkippedNotFatal)
{
    const CZunString damaged = L"\\de:Blech\\kaputt\\\\:nocode\\en:Sheet\\de:Zweites\\";
    EXPECT_EQ(label_get(damaged, L"de"), L"Blech");
    EXPECT_EQ(label_get(damaged, L"en"), L"Sheet");
    EXPECT_TRUE(label_get(L"\\", L"de").isEmpty());
    EXPECT_TRUE(label_get(L"\\kaputt", L"de").isEmpty());

    CZunString repaired = damaged;
    label_set(repaired, L"Plaque", L"fr");
    EXPECT_EQ(repaired, L"\\de:Blech\\en:Sheet\\fr:Plaque");
}
