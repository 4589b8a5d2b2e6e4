#include "dialogs/zun_mat_tree_dlg.h"

#include "contracts/data/zun_material.h"
#include "dialogs/zun_aboutbox.h"
#include "ui/core/zun_mat_accept.h"
#include "ui/core/zun_mat_tree.h"
#include "ui/zun_dlg_run.h"
#include "ui/zun_mat_tree_ctrl.h"
#include "ui/zun_subclass.h"

#include <QPushButton>

namespace {

constexpr int kTreeId = 1090;

} // namespace

CZunMatTreeDlg::CZunMatTreeDlg(QWidget* parent) : CZunDlg(203, parent)
{
    m_tree = ZUN::subclassDlgItem<CZunMatTreeCtrl>(this, kTreeId);
    if (m_tree) {
        connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { takeSelection(); });
        connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &CZunMatTreeDlg::onDoubleClick);
    }
    EnableAboutCommand(&CAboutboxDlg::Show);
}

void CZunMatTreeDlg::setRequest(const CZunString& mat, unsigned flags, const CZunArrayTempl<CZunString>& physTypes)
{
    m_request = mat;
    m_flags = flags;
    m_physTypes.clear();
    for (const CZunString& type : physTypes) {
        CZunString upper = type;
        upper.makeUpper();
        m_physTypes.append(upper);
    }
}

unsigned CZunMatTreeDlg::flagsOf(const ZUN::DlgEnvMatTree_st& env, CZunArrayTempl<CZunString>& physTypes)
{
    unsigned flags = 0;
    if (env.withDrawing)
        flags |= ZUN::kMatTreeDrawing;
    if (env.showNames)
        flags |= ZUN::kMatTreeNames;
    // The edge filter wins: with both words only edge materials qualify.
    if (env.matTypes.indexOf(L"EDGE") >= 0) {
        flags |= ZUN::kMatTreeEdge;
    } else if (env.matTypes.indexOf(L"PHYS") >= 0) {
        flags |= ZUN::kMatTreePhys;
        physTypes = env.physTypes;
    }
    if (env.matTypes.indexOf(L"SYSTEM") >= 0)
        flags |= ZUN::kMatTreeSystem;
    if (env.matTypes.indexOf(L"SPACE") >= 0)
        flags |= ZUN::kMatTreeNoSpace;
    return flags;
}

void CZunMatTreeDlg::addLangRsc()
{
    m_langKey[IDOK] = L"DLG_001";
    m_langDef[IDOK] = L"OK";
    m_langKey[IDCANCEL] = L"DLG_002";
    m_langDef[IDCANCEL] = L"Abbrechen";
    m_helpKey[0] = L"";
}

bool CZunMatTreeDlg::updLang()
{
    if (hasWindow())
        setWindowTitle(QString::fromStdWString(GetMsg(L"ZUN_MFC_0012", L"Materialauswahl")));
    return CZunDlg::updLang();
}

bool CZunMatTreeDlg::OnInitDialog()
{
    CZunDlg::OnInitDialog();
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setEnabled(false);
    if (m_tree) {
        const QSignalBlocker quiet(m_tree);
        m_tree->init(m_flags, m_request.c_str(), m_physTypes);
        // The tree is what the user works in; the keys go there first.
        m_tree->setFocus();
    }
    takeSelection();
    return true;
}

void CZunMatTreeDlg::takeSelection()
{
    CZunString key;
    const bool accepted = m_tree && m_tree->getSelMat(key) &&
                          ZUN::matDlgAccepts(CZunMatMgr(), key, m_flags, m_physTypes);
    if (accepted)
        m_result = key;
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setEnabled(accepted);
}

void CZunMatTreeDlg::onDoubleClick(QTreeWidgetItem*)
{
    takeSelection();
    const QWidget* ok = GetDlgItem(IDOK);
    if (ok && ok->isEnabled())
        OnOK();
}

void CZunMatTreeDlg::OnOK()
{
    // Enter on a tree whose selection is not accepted does nothing.
    const QWidget* ok = GetDlgItem(IDOK);
    if (ok && !ok->isEnabled())
        return;
    CZunDlg::OnOK();
}

namespace ZUN {

int dlgMatTree(const DlgEnvMatTree_st& env, CZunString& mat)
{
    CZunArrayTempl<CZunString> physTypes;
    const unsigned flags = CZunMatTreeDlg::flagsOf(env, physTypes);
    const int result = dlgRunModal<CZunMatTreeDlg>(
        env, kEnvAll, [&](CZunMatTreeDlg& dlg) { dlg.setRequest(mat, flags, physTypes); },
        [&](CZunMatTreeDlg& dlg) { mat = dlg.resultKey(); });
    return result == IDOK ? 1 : result == IDCANCEL ? 0 : result;
}

} // namespace ZUN
