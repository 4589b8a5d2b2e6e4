// The shared module as a host loads it: nothing here attaches the module,
// so what works was started by loading the library.
#include "dialogs/zun_aboutbox.h"
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_dlg.h"
#include "ui/zun_msg_callback.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(ModuleLoad, TheDefaultCallbackIsInstalledBeforeMain)
{
    EXPECT_TRUE(ZUN::moduleAttached());
    EXPECT_EQ(CZunDlg::msgCallBack(), &ZUN::msgDefaultCallBack);
    EXPECT_STREQ(CZunDlg::msgCallBack()(L"DLG_002", L"Abbrechen", L"en"), L"Cancel");
}

TEST(ModuleLoad, ResourcesAndTemplatesResolveThroughTheModule)
{
    EXPECT_FALSE(ZUN::moduleIcon(ZUN::IDI_ZUN_MODULE).isNull());
    EXPECT_EQ(ZUN::moduleString(ZUN::IDS_ABOUTBOX), L"Inf&o...");
    CAboutboxDlg about;
    ASSERT_TRUE(about.hasTemplate());
    QTimer::singleShot(0, [] {
        for (int i = 0; i < 200 && !QApplication::activeModalWidget(); ++i)
            QTest::qWait(10);
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            modal->accept();
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_FALSE(about.windowIcon().isNull());
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CTestTmpDir settings;
    CTestEnv redirect("ZUN_SETTINGS_DIR", settings.str().c_str());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
