// Widget tests need an application object before any widget exists, and
// the module attached as loading the shared library would do.
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_dial_app.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CTestTmpDir settings;
    CTestEnv redirect("ZUN_SETTINGS_DIR", settings.str().c_str());
    QApplication app(argc, argv);
    ZUN::moduleAttach();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ZUN::moduleDetach();
    return result;
}
