// The settings store: values round-trip through both stores, keys live in
// the store they were created in, and damaged or unwritable files fail
// with a reason while the file stays as it was.
#include "contracts/os/zun_registry.h"

#include "tests/contracts/data/test_tmp_dir.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ZUN;

namespace {

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegistryTest : public ::testing::Test {
protected:
    CTestTmpDir m_tmp;
    CTestEnv m_settings{"ZUN_SETTINGS_DIR", m_tmp.str().c_str()};

    std::filesystem::path lasting() const { return m_tmp.path() / "registry.ini"; }
    std::filesystem::path transient() const { return m_tmp.path() / "volatile.ini"; }
};

const CZunString kKey = regAppKey(L"ZUN") + L"\\Dialogs\\Info";

} // namespace

TEST_F(RegistryTest, AppKeyNamesTheVendorAndTheApplication)
{
    EXPECT_EQ(regAppKey(L"ZUN"), L"Software\\BALDRIX\\ZUN");
    EXPECT_EQ(regAppKey(L"ZUN_MSG"), L"Software\\BALDRIX\\ZUN_MSG");
}

struct NumberCase {
    const wchar_t* name;
    std::uint32_t value;
    bool isVolatile;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << c.value << (c.isVolatile ? "_volatile" : "_lasting");
}

class RegistryNumberTest : public RegistryTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(RegistryNumberTest, NumbersRoundTripUnderAnyName)
{
    const NumberCase& c = GetParam();
    CZunString error;
    ASSERT_TRUE(regWrite(kKey, c.name, c.value, c.isVolatile, &error)) << error;
    std::uint32_t back = 12345;
    ASSERT_TRUE(regRead(kKey, c.name, back, &error)) << error;
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(std::filesystem::exists(transient()), c.isVolatile);

    CZunRegKey key;
    ASSERT_TRUE(key.open(kKey));
    EXPECT_EQ(key.isVolatile(), c.isVolatile);
    const CZunArrayTempl<CZunString> names = key.valueNames();
    ASSERT_EQ(names.len(), 1);
    EXPECT_EQ(names[0], c.name);
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryNumberTest,
                         ::testing::Values(NumberCase{L"Pos", 0u, false}, NumberCase{L"Size", 0xFFFFFFFFu, false},
                                           NumberCase{L"Pos", 0x00C80064u, true},
                                           NumberCase{L"a/b\\c%2F", 7u, false}, NumberCase{L"Größe", 42u, true}));

TEST_F(RegistryTest, TextsRoundTripAndAreNoNumbers)
{
    const CZunString key = L"Software\\BALDRIX\\ZUN_MSG\\DATA";
    const CZunString text = L"Blech \\ mit = Zeichen; \"Anführung\"\nzweite Zeile";
    ASSERT_TRUE(regWrite(key, L"de", text, true));
    CZunString back;
    ASSERT_TRUE(regRead(key, L"de", back));
    EXPECT_EQ(back, text);
    std::uint32_t number = 9;
    EXPECT_FALSE(regRead(key, L"de", number));
    EXPECT_EQ(number, 9u);
    EXPECT_FALSE(regRead(key, L"en", back));
}

TEST_F(RegistryTest, PathsThatNameNoKeyAreRefused)
{
    for (const wchar_t* bad : {L"", L"\\", L"Software\\\\BALDRIX", L"\\\\"}) {
        CZunString error;
        EXPECT_FALSE(regWrite(bad, L"Pos", 1u, false, &error)) << CZunString(bad);
        EXPECT_GE(error.find(L"is not a key"), 0) << error;
        EXPECT_FALSE(regKeyExists(bad));
    }
    // A backslash at either end still names the key.
    ASSERT_TRUE(regWrite(L"\\Software\\X\\", L"v", 3u));
    std::uint32_t v = 0;
    EXPECT_TRUE(regRead(L"Software\\X", L"v", v));
    EXPECT_EQ(v, 3u);
}

TEST_F(RegistryTest, AKeyExistsWithoutValuesUntilItIsDeleted)
{
    EXPECT_FALSE(regKeyExists(kKey));
    CZunRegKey key;
    EXPECT_FALSE(key.open(kKey));
    EXPECT_GE(key.error().find(L"does not exist"), 0) << key.error();
    ASSERT_TRUE(key.create(kKey));
    EXPECT_EQ(key.valueNames().len(), 0);
    ASSERT_TRUE(key.write(L"Pos", 5u));
    EXPECT_TRUE(key.removeValue(L"Pos"));
    EXPECT_FALSE(key.removeValue(L"Pos"));
    EXPECT_TRUE(key.close());
    EXPECT_TRUE(regKeyExists(kKey));
    // The parent exists through its sub-key.
    EXPECT_TRUE(regKeyExists(regAppKey(L"ZUN")));

    ASSERT_TRUE(regWrite(kKey + L"\\Sub", L"x", 1u, true));
    EXPECT_TRUE(regKeyDelete(regAppKey(L"ZUN") + L"\\Dialogs"));
    EXPECT_FALSE(regKeyExists(kKey));
    EXPECT_FALSE(regKeyExists(kKey + L"\\Sub"));
}

TEST_F(RegistryTest, AnExistingKeyKeepsItsStore)
{
    ASSERT_TRUE(regWrite(kKey, L"Pos", 1u, false));
    // Asked for a volatile key, the lasting one is written, as a registry
    // opens an existing key whatever the creator asks for.
    ASSERT_TRUE(regWrite(kKey, L"Size", 2u, true));
    EXPECT_FALSE(std::filesystem::exists(transient()));
    CZunRegKey key;
    ASSERT_TRUE(key.open(kKey));
    EXPECT_FALSE(key.isVolatile());
    EXPECT_EQ(key.valueNames().len(), 2);
}

TEST_F(RegistryTest, AVolatileFileOfAnEarlierBootIsForgotten)
{
    {
        QSettings old(QString::fromStdString(transient().string()), QSettings::IniFormat);
        old.setValue(QStringLiteral("%boot"), QStringLiteral("a boot long ago"));
        old.setValue(QStringLiteral("Software/BALDRIX/ZUN/Dialogs/Info/Pos"), 77);
    }
    std::uint32_t pos = 0;
    EXPECT_FALSE(regRead(kKey, L"Pos", pos));
    EXPECT_FALSE(regKeyExists(kKey));
    // The same session keeps what it wrote.
    ASSERT_TRUE(regWrite(kKey, L"Pos", 78u, true));
    EXPECT_TRUE(regRead(kKey, L"Pos", pos));
    EXPECT_EQ(pos, 78u);
}

TEST_F(RegistryTest, VolatileKeysGoToTheRuntimeFolderWhenNothingRedirects)
{
    CTestTmpDir runtime;
    CTestEnv noRedirect("ZUN_SETTINGS_DIR", nullptr);
    CTestEnv config("XDG_CONFIG_HOME", m_tmp.str().c_str());
    CTestEnv run("XDG_RUNTIME_DIR", runtime.str().c_str());
    EXPECT_EQ(regStoreFile(true), CZunString::fromUtf8((runtime.path() / "zun" / "volatile.ini").string()));
    EXPECT_EQ(regStoreFile(false), CZunString::fromUtf8((m_tmp.path() / "zun" / "registry.ini").string()));
    ASSERT_TRUE(regWrite(kKey, L"Pos", 1u, true));
    EXPECT_TRUE(std::filesystem::exists(runtime.path() / "zun" / "volatile.ini"));

    // Without a runtime folder they fall back to the settings folder.
    CTestEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(regStoreFile(true), CZunString::fromUtf8((m_tmp.path() / "zun" / "volatile.ini").string()));
}

TEST_F(RegistryTest, ADamagedFileFailsWithItsNameAndStaysAsItWas)
{
    const std::string damaged = "[General\nPos=5\n\x01\x02\xff[Software]]]\nkept=by the user\n";
    m_tmp.write("registry.ini", damaged);
    CZunString error;
    EXPECT_FALSE(regWrite(kKey, L"Pos", 1u, false, &error));
    EXPECT_GE(error.find(L"registry.ini"), 0) << error;
    EXPECT_GE(error.find(L"damaged"), 0) << error;
    std::uint32_t pos = 0;
    EXPECT_FALSE(regRead(kKey, L"Pos", pos, &error));
    EXPECT_FALSE(regKeyDelete(kKey, &error));
    // Asked again, once the parsed file is shared, it is still refused.
    EXPECT_FALSE(regWrite(kKey, L"Pos", 2u, false, &error));
    EXPECT_GE(error.find(L"damaged"), 0) << error;
    EXPECT_EQ(readFile(lasting()), damaged);
    // The volatile store is another file and still works.
    EXPECT_TRUE(regWrite(L"Software\\Y", L"Pos", 1u, true));

    // Once the user has mended the file it is used again.
    m_tmp.write("registry.ini", "[General]\nkept=by the user\n");
    EXPECT_TRUE(regWrite(kKey, L"Pos", 3u, false, &error)) << error;
    EXPECT_NE(readFile(lasting()).find("kept=by the user"), std::string::npos);
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenFailsWithAReason)
{
    std::filesystem::create_directories(lasting());  // a folder where the file should be
    CZunString error;
    EXPECT_FALSE(regWrite(kKey, L"Pos", 1u, false, &error));
    EXPECT_GE(error.find(L"registry.ini"), 0) << error;
    std::uint32_t pos = 0;
    EXPECT_FALSE(regRead(kKey, L"Pos", pos));

    // A settings folder below a plain file cannot be made at all.
    m_tmp.write("plain", "x");
    CTestEnv below("ZUN_SETTINGS_DIR", (m_tmp.path() / "plain" / "zun").c_str());
    EXPECT_FALSE(regWrite(kKey, L"Pos", 1u, true, &error));
    EXPECT_FALSE(error.isEmpty());
}
