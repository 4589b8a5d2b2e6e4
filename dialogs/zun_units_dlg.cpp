#include "dialogs/zun_units_dlg.h"

#include "ui/zun_dlg_run.h"
#include "ui/zun_subclass.h"
#include "ui/zun_tree_ctrl.h"

#include <QKeyEvent>
#include <QListWidget>

namespace {

constexpr int kListId = 1091;

} // namespace

CZunUnitsDlg::CZunUnitsDlg(QWidget* parent) : CZunDlg(2000, parent)
{
    m_list = ZUN::subclassDlgItem<CZunListBox>(this, kListId);
    if (m_list)
        connect(m_list, &QListWidget::currentRowChanged, this, [this] { takeSelection(); });
}

void CZunUnitsDlg::addLangRsc()
{
    m_langKey[IDOK] = L"ZUN_OUTL_0002";
    m_langDef[IDOK] = L"OK";
}

bool CZunUnitsDlg::updLang()
{
    if (hasWindow())
        setWindowTitle(QString::fromStdWString(GetMsg(L"ZUN084", L"Einheit wählen", country())));
    return CZunDlg::updLang();
}

bool CZunUnitsDlg::OnInitDialog()
{
    CZunDlg::OnInitDialog();  // also the module's icon 2000 as the window's
    if (!m_list)
        return false;
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    const CZunArrayTempl<CZunString> names = ZUN::acad_units(country() ? CZunString(country()) : CZunString());
    for (int i = 0; i < names.len(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdWString(names.get(i).str()));
        item->setData(Qt::UserRole, i);
        m_list->addItem(item);
    }
    // Sorted or not as the template's list says: the item data keeps the unit.
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->data(Qt::UserRole).toInt() == m_unit)
            m_list->setCurrentRow(row);
    m_list->setFocus();
    enableOk();
    return false;
}

void CZunUnitsDlg::takeSelection()
{
    if (const QListWidgetItem* item = m_list->currentItem())
        m_unit = static_cast<ZUN::lUnit>(item->data(Qt::UserRole).toInt());
    enableOk();
}

void CZunUnitsDlg::enableOk()
{
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setEnabled(m_unit != 0);
}

void CZunUnitsDlg::OnOK()
{
    if (m_unit != 0)
        CZunDlg::OnOK();
}

bool CZunUnitsDlg::PreTranslateMessage(QKeyEvent* event)
{
    // Escape would cancel; this dialog is left by OK or by its close box.
    if (event->type() == QEvent::KeyPress && event->key() == Qt::Key_Escape)
        return true;
    return CZunDlg::PreTranslateMessage(event);
}

void CZunUnitsDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    CZunDlg::keyPressEvent(event);
}

namespace ZUN {

lUnit dlgUnits(const DlgEnv_st& env, lUnit unit)
{
    lUnit chosen = unit;
    dlgRunModal<CZunUnitsDlg>(
        env, kCopyBackAlways, [&](CZunUnitsDlg& dlg) { dlg.setUnit(unit); }, [&](CZunUnitsDlg& dlg) { chosen = dlg.unit(); });
    return chosen;
}

} // namespace ZUN
