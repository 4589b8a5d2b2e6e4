#pragma once

#include "contracts/data/zun_units.h"
#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"

class CZunListBox;

// The unit dialog (template 2000): the length units by name in the
// dialog's language, the preset one selected. OK only for a unit other
// than 0 ("no unit"); Escape does nothing; the close box ends the dialog
// with the unit chosen so far.
class CZunUnitsDlg : public CZunDlg {
    Q_OBJECT
public:
    explicit CZunUnitsDlg(QWidget* parent = nullptr);

    void setUnit(ZUN::lUnit unit) { m_unit = unit; }
    ZUN::lUnit unit() const { return m_unit; }
    CZunListBox* list() const { return m_list; }

protected:
    void addLangRsc() override;
    bool updLang() override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool PreTranslateMessage(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void takeSelection();
    void enableOk();

    CZunListBox* m_list = nullptr;
    ZUN::lUnit m_unit = ZUN::kUnitNone;
};

namespace ZUN {

// Lets the user choose a length unit, starting from unit; returns the
// chosen unit however the dialog was closed (unit itself when no dialog
// can run).
lUnit dlgUnits(const DlgEnv_st& env, lUnit unit);

} // namespace ZUN
