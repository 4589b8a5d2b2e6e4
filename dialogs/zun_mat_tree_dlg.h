#pragma once

#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"

class CZunMatTreeCtrl;
class QTreeWidgetItem;

// The material selection dialog (template 203): the material tree under the
// caller's filters, OK only for a material the filters accept, a double
// click on an accepted material as OK. The buttons stand at the bottom
// right, the tree fills the rest; the window is 300 x 150 to 700 x 900.
class CZunMatTreeDlg : public CZunDlg {
    Q_OBJECT
public:
    explicit CZunMatTreeDlg(QWidget* parent = nullptr);

    // What the tree shows and accepts (ZUN::MatTreeFlag bits), the
    // material to select at the start and, with the physical filter, the
    // sub-types a material must have (upper-cased here).
    void setRequest(const CZunString& mat, unsigned flags, const CZunArrayTempl<CZunString>& physTypes);
    // The flags and sub-type filter a caller's record asks for.
    static unsigned flagsOf(const ZUN::DlgEnvMatTree_st& env, CZunArrayTempl<CZunString>& physTypes);

    // The accepted material (valid after OK); empty while none is.
    const CZunString& resultKey() const { return m_result; }
    unsigned flags() const { return m_flags; }
    CZunMatTreeCtrl* tree() const { return m_tree; }

protected:
    void addLangRsc() override;
    bool updLang() override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // Enables OK for an accepted selection and takes its key as the result.
    void takeSelection();
    void onDoubleClick(QTreeWidgetItem* item);

    unsigned m_flags = 0;
    CZunString m_request;
    CZunString m_result;
    CZunArrayTempl<CZunString> m_physTypes;
    CZunMatTreeCtrl* m_tree = nullptr;
};

namespace ZUN {

// Lets the user pick a material under the record's filters. 1 with the
// key in mat after OK; 0 after Cancel (mat unchanged); any other result of
// the dialog as it came (-1 when no dialog can run).
int dlgMatTree(const DlgEnvMatTree_st& env, CZunString& mat);

} // namespace ZUN
