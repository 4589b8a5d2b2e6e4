#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg.h"

#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ZUN;

namespace {

CZunString wide(const fs::path& path) { return CZunString::fromUtf8(path.string()); }

class FilesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        dataDirRemove(wide(first.path()));
        dataDirRemove(wide(second.path()));
    }

    CTestTmpDir first, second, fromEnv;
    CTestEnv dataPath{"ZUN_DATA_PATH", nullptr};
};

} // namespace

TEST_F(FilesTest, SearchPathOrderAddedThenEnvironmentThenInstallThenSource)
{
    dataDirAdd(wide(first.path()));
    dataDirAdd(wide(second.path()) + L"/");  // a trailing slash is no second folder
    dataDirAdd(wide(second.path()));
    dataDirAdd(L"");
    dataPath.set((":" + fromEnv.str() + "/::" + first.str()).c_str());

    const CZunArrayTempl<CZunString> dirs = dataDirs();
    ASSERT_GE(dirs.len(), 5);
    EXPECT_EQ(dirs[0], wide(first.path()));
    EXPECT_EQ(dirs[1], wide(second.path()));
    EXPECT_EQ(dirs[2], wide(fromEnv.path()));
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(dirs[3], wide((exe.parent_path() / ".." / "share" / "zun").lexically_normal()));
    EXPECT_EQ(dirs[-2], CZunString::fromUtf8(ZUN_BUILD_DATA_DIR)) << "what the build made, before the sources";
    EXPECT_EQ(dirs[-1], CZunString::fromUtf8(ZUN_SOURCE_RES_DIR));
    EXPECT_EQ(dirs.indexOf(wide(first.path()), 1), -1) << "a folder is listed only at its first place";

    EXPECT_TRUE(dataDirRemove(wide(first.path()) + L"/"));
    EXPECT_FALSE(dataDirRemove(wide(first.path())));
    dataPath.set(nullptr);
    EXPECT_EQ(dataDirs()[0], wide(second.path()));
    EXPECT_EQ(dataDirs().indexOf(wide(fromEnv.path())), -1);
}

TEST_F(FilesTest, FindTakesTheFirstFolderThatHoldsTheFile)
{
    const fs::path inFirst = first.write("data/zun.pat", "*A\n");
    const fs::path inSecond = second.write("data/zun.pat", "*B\n");
    const fs::path onlyEnv = fromEnv.write("data/other.pat", "*C\n");
    dataPath.set(fromEnv.str().c_str());
    dataDirAdd(wide(first.path()));
    dataDirAdd(wide(second.path()));

    EXPECT_EQ(fileFind(L"data/zun.pat"), wide(inFirst));
    EXPECT_EQ(fileFind(L"data/other.pat"), wide(onlyEnv));
    dataDirRemove(wide(first.path()));
    EXPECT_EQ(fileFind(L"data/zun.pat"), wide(inSecond));
    EXPECT_TRUE(fileFind(L"data/none.pat").isEmpty());
    EXPECT_TRUE(fileFind(L"").isEmpty());
    // Shipped files are found in the source tree when nothing else has them.
    EXPECT_EQ(fileFind(L"msg/en.json"), CZunString::fromUtf8(ZUN_SOURCE_RES_DIR) + L"/msg/en.json");

    const fs::path help = second.write("help/Zun.qch", "x");
    EXPECT_EQ(help_find(L"Zun"), wide(help));
    EXPECT_EQ(help_find(L"Zun.qch"), wide(help));
    EXPECT_TRUE(help_find(L"Other").isEmpty());
}

TEST_F(FilesTest, FindReturnsAbsoluteAndExistingRelativePathsUnchanged)
{
    const CZunString missingAbsolute = wide(first.path() / "nowhere.json");
    EXPECT_EQ(fileFind(missingAbsolute), missingAbsolute);

    // From the working folder, a relative name that exists there wins over a
    // data folder that has it too.
    first.write("local.txt", "cwd");
    second.write("local.txt", "data");
    dataDirAdd(wide(second.path()));
    const fs::path oldCwd = fs::current_path();
    fs::current_path(first.path());
    const CZunString found = fileFind(L"local.txt");
    fs::current_path(oldCwd);
    EXPECT_EQ(found, L"local.txt");
}

TEST(FilesAppFile, SettingsDirThenXdgConfigThenHome)
{
    CTestTmpDir tmp;
    const std::string settings = tmp.str() + "/settings/deeper";
    const std::string xdg = tmp.str() + "/xdg";
    const std::string home = tmp.str() + "/home";
    CTestEnv settingsEnv("ZUN_SETTINGS_DIR", settings.c_str());
    CTestEnv xdgEnv("XDG_CONFIG_HOME", xdg.c_str());
    CTestEnv homeEnv("HOME", home.c_str());

    const CZunString file = appFileName(L"dialogs/positions.ini");
    EXPECT_EQ(file, CZunString::fromUtf8(settings) + L"/dialogs/positions.ini");
    EXPECT_TRUE(fs::is_directory(settings + "/dialogs"));
    EXPECT_FALSE(fs::exists(file.toUtf8())) << "only the folder is made, not the file";
    EXPECT_EQ(appFileName(L"/labels.ini"), CZunString::fromUtf8(settings) + L"/labels.ini");

    settingsEnv.set(nullptr);
    EXPECT_EQ(appFileName(L"zun.ini"), CZunString::fromUtf8(xdg) + L"/zun/zun.ini");
    EXPECT_TRUE(fs::is_directory(xdg + "/zun"));
    xdgEnv.set("relative/config");  // not a valid XDG value
    EXPECT_EQ(appFileName(L"zun.ini"), CZunString::fromUtf8(home) + L"/.config/zun/zun.ini");
    EXPECT_TRUE(fs::is_directory(home + "/.config/zun"));
    EXPECT_FALSE(fs::exists("relative"));
}

// Help names lead to the help file of the current language, the common
// help file, or a web address.
TEST_F(FilesTest, HelpFindPrefersTheLanguageThenTheCommonFileThenAWebAddress)
{
    const CZunString oldLang = msgLangSet(L"de");
    const fs::path german = first.write("help/de/Zun.qch", "x");
    const fs::path common = first.write("help/Zun.qch", "x");
    const fs::path later = second.write("help/Zun.qch", "x");
    first.write("help/Site.url", "\n   https://help.example.org/<topic>  \r\n");
    first.write("help/Mail.url", "mailto:help@example.org\n");
    first.write("help/Empty.url", "\n\n");
    dataDirAdd(wide(first.path()));
    dataDirAdd(wide(second.path()));

    EXPECT_EQ(help_find(L"Zun"), wide(german)) << "the language's help first";
    EXPECT_EQ(help_find(L"Zun.qch"), wide(german));
    msgLangSet(L"en");
    EXPECT_EQ(help_find(L"Zun"), wide(common)) << "a folder's own help before a later folder's";
    dataDirRemove(wide(first.path()));
    EXPECT_EQ(help_find(L"Zun"), wide(later));
    dataDirAdd(wide(first.path()));
    EXPECT_EQ(help_find(L"Site"), L"https://help.example.org/<topic>");
    EXPECT_TRUE(help_find(L"Mail").isEmpty()) << "only web addresses";
    EXPECT_TRUE(help_find(L"Empty").isEmpty());
    EXPECT_TRUE(help_find(L"Site.qch").isEmpty()) << "a file name is no help name";
    EXPECT_EQ(help_find(L"HTTPS://other.example/x"), L"HTTPS://other.example/x");
    EXPECT_EQ(help_find(wide(german)), wide(german));
    EXPECT_TRUE(help_find(wide(first.path() / "none.qch")).isEmpty());
    msgLangSet(oldLang.c_str());
}
