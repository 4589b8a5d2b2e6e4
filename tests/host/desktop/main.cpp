// Widget tests need an application object before any widget exists, and
// the host's settings must not touch the user's own: they go to a folder
// that lives as long as the run.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("ZUN_SETTINGS_DIR", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    // The host starts in the language of the locale; the tests read its
    // German texts unless they switch.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
