#include "dialogs/zun_aboutbox.h"

#include "ui/zun_dial_app.h"

#ifndef ZUN_VERSION
#error "the build gives the module's version as ZUN_VERSION"
#endif

namespace ZUN {

const wchar_t* moduleName()
{
    return L"Zun_2017_19_64_Mfc";
}

const wchar_t* moduleVersion()
{
    return L"" ZUN_VERSION;
}

} // namespace ZUN

namespace {

// Control ids of template 100.
constexpr int kProductLine = 4002;
constexpr int kDescription = 4003;
constexpr int kMailLine = 4000;
constexpr int kWebLine = 4001;

} // namespace

CAboutboxDlg::CAboutboxDlg(QWidget* parent) : CZunDlg(100, parent)
{
}

void CAboutboxDlg::Show()
{
    ZUN::CModuleState state;
    if (!state.canShowWindows())
        return;
    CAboutboxDlg box(nullptr);
    box.DoModal();
}

CZunString CAboutboxDlg::productLine(CZunDlg& dlg)
{
    return CZunString(ZUN::moduleName()) + L" " + dlg.GetMsg(L"ZUN_MFC_0101", L"Version") + L" " +
           ZUN::moduleVersion();
}

void CAboutboxDlg::addLangRsc()
{
    m_langKey[IDOK] = L"DLG_001";
    m_langDef[IDOK] = L"OK";
    m_langKey[kDescription] = L"ZUN_MFC_0102";
    m_langDef[kDescription] = L"Grafik- und Dialogmodul für Bauteile: Bleche, Stäbe, Wände, Bohrungen";
}

bool CAboutboxDlg::updLang()
{
    // The title at creation names the remembered position; it changes only
    // once the window exists.
    if (!hasWindow())
        return false;
    setWindowTitle(QString::fromStdWString(GetMsg(L"ZUN_MFC_0100", L"Info")));
    SetDlgItemText(kProductLine, productLine(*this));
    // The two address lines are links: a click writes or opens them.
    const CZunString mail = CZunString(GetMsg(L"ZUN_MFC_0103", L"E-Mail")) + L": " + ZUN::kAboutMail;
    setLink(kMailLine, mail, CZunString(L"mailto:") + ZUN::kAboutMail);
    const CZunString web = CZunString(GetMsg(L"ZUN_MFC_0104", L"Internet")) + L": " + ZUN::kAboutWeb;
    setLink(kWebLine, web, ZUN::kAboutWeb);
    return CZunDlg::updLang();
}
