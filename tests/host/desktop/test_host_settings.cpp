// What zun-host remembers: recent files and language, in the user's
// settings folder.

#include "host/desktop/zun_host_settings.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HostSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZUN_SETTINGS_DIR", m_dir.path().toLocal8Bit());
    }
    QString file(int i) const { return m_dir.filePath(QStringLiteral("f%1.json").arg(i)); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(HostSettings, RecentFilesKeepTheLastEightMostRecentFirst)
{
    {
        CZunHostSettings settings;
        EXPECT_EQ(settings.fileName(), m_dir.filePath(QStringLiteral("zun-host.ini")));
        EXPECT_TRUE(settings.recentFiles().isEmpty());
        for (int i = 0; i < 10; ++i)
            settings.addRecentFile(file(i));
        settings.addRecentFile(file(5));
        settings.sync();
    }
    CZunHostSettings again;
    const QStringList recent = again.recentFiles();
    ASSERT_EQ(recent.size(), CZunHostSettings::kMaxRecent);
    EXPECT_EQ(recent.first(), file(5));
    EXPECT_EQ(recent[1], file(9));
    EXPECT_EQ(recent.last(), file(2));  // f0 and f1 fell off
    EXPECT_EQ(recent.count(file(5)), 1);

    again.removeRecentFile(file(9));
    EXPECT_EQ(again.recentFiles().size(), CZunHostSettings::kMaxRecent - 1);
    EXPECT_FALSE(again.recentFiles().contains(file(9)));
}

TEST_F(HostSettings, RelativePathsAreStoredAbsoluteAndTheLanguageDefaultsToGerman)
{
    CZunHostSettings settings;
    EXPECT_EQ(settings.language(), QStringLiteral("de"));
    settings.setLanguage(QStringLiteral("en"));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    settings.addRecentFile(QStringLiteral("plan.json"));
    QDir::setCurrent(before);
    EXPECT_EQ(settings.recentFiles().first(), m_dir.filePath(QStringLiteral("plan.json")));
    settings.sync();
    EXPECT_EQ(CZunHostSettings().language(), QStringLiteral("en"));
}
