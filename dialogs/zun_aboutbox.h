#pragma once

#include "ui/zun_dlg.h"

// The module's information dialog on template 100: the module's name and
// version, what it does, and where to write and read about it. Dialogs
// that offer the about command open it through Show:
//     EnableAboutCommand(&CAboutboxDlg::Show);
class CAboutboxDlg : public CZunDlg {
    Q_OBJECT

public:
    explicit CAboutboxDlg(QWidget* parent = nullptr);

    // Opens the about box modally, without owner.
    static void Show();

    // The first line: name, "Version" in the dialog's language, version.
    static CZunString productLine(CZunDlg& dlg);

protected:
    bool updLang() override;
    void addLangRsc() override;
};

namespace ZUN {
// The module's name and the version it was built as.
const wchar_t* moduleName();
const wchar_t* moduleVersion();
// The addresses the box links to.
inline constexpr const wchar_t* kAboutMail = L"zun-support@example.org";
inline constexpr const wchar_t* kAboutWeb = L"https://zun.example.org";
} // namespace ZUN
