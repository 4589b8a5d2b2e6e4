// The message-server client against real programs on a private session
// bus: every test runs under its own dbus-run-session (see
// tests/CMakeLists.txt), so servers started by one test never meet another.
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_dial_app.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The service files of zun-msg and the stand-in lie in the build tree.
    qputenv("XDG_DATA_DIRS", QByteArray(ZUN_BUILD_SHARE_DIR ":") + qgetenv("XDG_DATA_DIRS"));
    CTestTmpDir settings;
    CTestEnv redirect("ZUN_SETTINGS_DIR", settings.str().c_str());
    QApplication app(argc, argv);
    ZUN::moduleAttach();  // the label dialog's template and icons
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ZUN::moduleDetach();
    return result;
}
