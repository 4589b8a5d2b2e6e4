#pragma once

// What the dialog tests share: the test templates, a scratch settings
// folder per test, and driving modal runs and windows on the offscreen
// platform.

#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_dlg.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>

// Test templates (tests/ui/forms): 9001 resizable "Testdialog" with every
// kind of field, 9002 fixed "Fest" with one field, 9003 without title,
// 9004 a tab page, 9005 "Gastgeber" with a tab control, 9020
// "Registerkarten" with the module's tab control (3010), 9021 "Material"
// with a country box (3021) and a material tree (3020), 9022 "Liste" with
// a field (1001) below the place of a list.
void registerTestTemplates();

enum TestTemplate {
    kTplFields = 9001,
    kTplFixed = 9002,
    kTplNoTitle = 9003,
    kTplPage = 9004,
    kTplHost = 9005,
    kTplTabs = 9020,
    kTplMat = 9021,
    kTplList = 9022,
};

// Each test gets its own settings folder: remembered positions of one test
// never reach another.
class CTestSettings {
public:
    CTestSettings() : m_env("ZUN_SETTINGS_DIR", m_dir.str().c_str()) {}
    const CTestTmpDir& dir() const { return m_dir; }

private:
    CTestTmpDir m_dir;
    CTestEnv m_env;
};

// Shows a window and waits until it is active, so that it gets focus events.
inline bool showActive(QWidget* widget)
{
    widget->show();
    widget->activateWindow();
    return QTest::qWaitForWindowActive(widget);
}

// Runs action once the next modal window is up and active (a dialog's
// exec, a message box, a file dialog); the action must close it.
inline void whenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = nullptr;
        for (int i = 0; i < 200 && !modal; ++i) {
            modal = QApplication::activeModalWidget();
            if (!modal)
                QTest::qWait(10);
        }
        if (!modal)
            return;
        if (!QTest::qWaitForWindowActive(modal))
            qWarning("the modal window did not become active");
        action(modal);
    });
}

// A dialog on a template, with the protected parts tests look at.
class CTestDlg : public CZunDlg {
public:
    using CZunDlg::CZunDlg;
    using CZunDlg::m_country;
    using CZunDlg::m_helpKey;
    using CZunDlg::m_langDef;
    using CZunDlg::m_langKey;
    using CZunDlg::m_posKey;
    using CZunDlg::m_toolTipKey;
    using CZunDlg::OnHelpInfo;
    using CZunDlg::setLink;
    using CZunDlg::ToolTip;

    std::function<void(CTestDlg&)> addTexts;
    int updLangCalls = 0;
    QStringList boxes;  // message boxes asked for, not shown

    bool updLang() override
    {
        ++updLangCalls;
        return CZunDlg::updLang();
    }
    int MessageBoxW(const wchar_t* text, const wchar_t*, unsigned) override
    {
        boxes << QString::fromStdWString(text);
        return IDOK;
    }

protected:
    void addLangRsc() override
    {
        if (addTexts)
            addTexts(*this);
    }
};

// A test with its own settings folder and a dialog on a template (the
// fields one unless a suite says otherwise); shown() makes its window and
// waits until it is active. The window ends with the dialog.
class DlgTest : public ::testing::Test {
protected:
    explicit DlgTest(int tpl = kTplFields) : dlg(tpl) {}
    bool shown() { return dlg.Create() && showActive(&dlg); }

    CTestSettings settings;
    CTestDlg dlg;
};

// Dialogs made as an exported function makes them: from the owner alone.
class CTestDlgFields : public CTestDlg {
public:
    explicit CTestDlgFields(QWidget* parent) : CTestDlg(kTplFields, parent) {}
};
class CTestDlgMissing : public CTestDlg {
public:
    explicit CTestDlgMissing(QWidget* parent) : CTestDlg(4242, parent) {}
};

// A test parameter's name for test lists: letters, digits and '_' only.
inline std::string testName(const wchar_t* text)
{
    std::string name;
    for (const wchar_t* c = text; c && *c; ++c)
        name += (*c < 128 && std::isalnum(static_cast<int>(*c))) ? static_cast<char>(*c) : '_';
    return name.empty() ? std::string("none") : name;
}
