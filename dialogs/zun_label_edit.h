#pragma once

// zun_dlg.h first: the meta-object compiler cannot read the standard
// library's concepts when zun_string.h is the first header it meets.
#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"
#include "ui/zun_edit.h"  // the list header uses CZunEdit complete
#include "ui/zun_list_ctrl.h"

#include <vector>

// The list of the label dialog: one row per language of the country table,
// the language's name with a single- or multi-line image, then the text,
// edited in place.
class CZunLabelEditLst : public CZunListCtrl {
    Q_OBJECT

public:
    explicit CZunLabelEditLst(QWidget* parent = nullptr);

    void setMulti(bool multi) { m_multi = multi; }
    bool multi() const { return m_multi; }
    // Shows label; a plain label becomes the text of language (empty: the
    // selected row's, else row 0's), whose row is selected.
    void fill(const CZunString& label, const CZunString& language);
    // The composite label of the rows with a text.
    CZunString result() const;
    bool rowMulti(int row) const { return row >= 0 && row < static_cast<int>(m_rowMulti.size()) && m_rowMulti[row]; }
    // The context menu's commands (1027 single/multi-line, 1028 paste, 1029 copy).
    void command(int id);
    // What the row heights are made for: the most lines of any row.
    int lineCount() const;
    CZunString rowCode(int row) const;

protected:
    int OnAllowEdit(LVHITTESTINFO* hit) override;
    int OnEndItemEdit(CZunEdit* edit) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setRowText(int row, const CZunString& text);
    void widenTextColumn();
    void updateHeights();

    std::vector<int> m_rowMulti;
    bool m_multi = false;
};

// The label dialog (template 204).
class CZunLabelEdit : public CZunDlg {
    Q_OBJECT

public:
    explicit CZunLabelEdit(QWidget* parent = nullptr);

    CZunString m_label;
    CZunString m_rowCountry;
    bool m_multi = false;
    CZunString m_msgFile;

    CZunLabelEditLst* list() const { return m_list; }
    // The import button's work; shows the server's failures.
    void importFromServer();

protected:
    void addLangRsc() override;
    bool updLang() override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;

private:
    CZunLabelEditLst* m_list = nullptr;
};

namespace ZUN {

// Edits a label in every language; bit 0 of flags allows line breaks.
// Returns the dialog's result; on OK label holds the composite label.
int dlgLabelEdit(const DlgEnv_st& env, CZunString& label, unsigned long flags, const wchar_t* initial,
                 const wchar_t* country, const wchar_t* msgFile);

} // namespace ZUN
