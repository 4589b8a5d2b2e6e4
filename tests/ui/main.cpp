// Widget tests need an application object before any widget exists, and
// the module attached as loading the shared library would do.
#include "tests/ui/ui_test_util.h"

#include "ui/zun_dial_app.h"
#include "ui/zun_dlg_template.h"

#include "ui_test_dlg_9001.h"
#include "ui_test_dlg_9002.h"
#include "ui_test_dlg_9003.h"
#include "ui_test_dlg_9004.h"
#include "ui_test_dlg_9005.h"
#include "ui_test_dlg_9020.h"
#include "ui_test_dlg_9021.h"
#include "ui_test_dlg_9022.h"

#include <gtest/gtest.h>

void registerTestTemplates()
{
    ZUN::dlgTemplateRegister(kTplFields, &ZUN::dlgTemplateFrom<Ui::TestDlg9001>);
    ZUN::dlgTemplateRegister(kTplFixed, &ZUN::dlgTemplateFrom<Ui::TestDlg9002>);
    ZUN::dlgTemplateRegister(kTplNoTitle, &ZUN::dlgTemplateFrom<Ui::TestDlg9003>);
    ZUN::dlgTemplateRegister(kTplPage, &ZUN::dlgTemplateFrom<Ui::TestDlg9004>);
    ZUN::dlgTemplateRegister(kTplHost, &ZUN::dlgTemplateFrom<Ui::TestDlg9005>);
    ZUN::dlgTemplateRegister(kTplTabs, &ZUN::dlgTemplateFrom<Ui::TestDlg9020>);
    ZUN::dlgTemplateRegister(kTplMat, &ZUN::dlgTemplateFrom<Ui::TestDlg9021>);
    ZUN::dlgTemplateRegister(kTplList, &ZUN::dlgTemplateFrom<Ui::TestDlg9022>);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing a test remembers may reach the user's own settings.
    CTestTmpDir settings;
    CTestEnv redirect("ZUN_SETTINGS_DIR", settings.str().c_str());
    QApplication app(argc, argv);
    ZUN::moduleAttach();
    registerTestTemplates();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ZUN::moduleDetach();
    return result;
}
