#include "ui/zun_tree_ctrl.h"

#include "ui/zun_dlg.h"

#include <QHeaderView>

CZunTreeCtrl::CZunTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    // One column of node texts, as a tree of names has it.
    setColumnCount(1);
    setHeaderHidden(true);
    // The column is as wide as its longest name, not as the window: a name
    // wider than the window is scrolled to, never cut off.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

const wchar_t* CZunTreeCtrl::country() const
{
    const CZunDlg* dlg = ZUN::ctrlDlg(this);
    return dlg ? dlg->country() : nullptr;
}

const wchar_t* CZunTreeCtrl::GetMsg(const wchar_t* key, const wchar_t* def, const wchar_t* country) const
{
    CZunDlg* dlg = ZUN::ctrlDlg(this);
    return dlg ? dlg->GetMsg(key, def, country) : def;
}

namespace ZUN {

CZunDlg* ctrlDlg(const QWidget* control)
{
    for (QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* dlg = qobject_cast<CZunDlg*>(w))
            return dlg;
    }
    return nullptr;
}

} // namespace ZUN
