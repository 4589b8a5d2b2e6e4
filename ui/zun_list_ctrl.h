#pragma once

#include "ui/zun_edit.h"

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QTreeWidget>

class CZunString;

// Where a point of a list lies: row and column, and on which part of the
// cell (LVHT_*). iItem is -1 off the rows.
struct LVHITTESTINFO {
    QPoint pt;
    unsigned flags = 0;
    int iItem = -1;
    int iSubItem = -1;
};
inline constexpr unsigned LVHT_NOWHERE = 0x0001;
inline constexpr unsigned LVHT_ONITEMICON = 0x0002;
inline constexpr unsigned LVHT_ONITEMLABEL = 0x0004;

// Column alignment of InsertColumn.
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;

// A report list: rows of cells under column headings, one row selected,
// images per cell from the list's image list.
//
// Cells can be edited in place with a CZunEdit (control id 1025) laid over
// the cell with the column's alignment. The first click on a row selects
// it; a click on a cell of the row already selected starts editing that
// cell when OnAllowEdit agrees. Any click on the list, scrolling, or the
// focus leaving the edit ends the edit: after the edit's own checks, a
// changed text is written into the cell when OnEndItemEdit agrees. The base
// list never edits; derived lists override the four hooks.
class CZunListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CZunListCtrl(QWidget* parent = nullptr);
    ~CZunListCtrl() override;

    // ---- building the list ------------------------------------------------
    // Inserts a column at col (appended beyond the last); returns its index.
    int InsertColumn(int col, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const { return columnCount(); }
    // Inserts a row at row (appended beyond the last) with the text of its
    // first cell; returns its index.
    int InsertItem(int row, const wchar_t* text, int image = -1);
    bool SetItemText(int row, int subItem, const wchar_t* text);
    CZunString GetItemText(int row, int subItem) const;
    int GetItemCount() const { return topLevelItemCount(); }
    bool DeleteItem(int row);
    bool DeleteAllItems();
    // The images cells show by index.
    void SetImageList(const QList<QIcon>& images);
    // Sets the image of one cell (-1: none); 0 for a cell that does not exist.
    int SetItemImage(int item, int subItem, int image);
    int GetItemImage(int item, int subItem) const;

    // ---- selection ----------------------------------------------------------
    // Scrolls row i into view and selects it: 1, or 0 out of range.
    int SetCurSel(int i);
    // The first selected row, -1 when none.
    int GetCurSel() const;

    // ---- in-place editing ---------------------------------------------------
    // Starts editing the hit cell; returns 1.
    int BeginItemEdit(LVHITTESTINFO* hit);
    // Row, column and part of the list at a point of the viewport.
    LVHITTESTINFO SubItemHitTest(const QPoint& pt) const;
    // The cell's rectangle for the edit, in viewport coordinates.
    QRect editRect(int item, int subItem) const;
    // The edit of the cell being edited, null when none.
    CZunEdit* editCtrl() const { return m_pEdit; }
    int editItem() const { return m_item; }
    int editSubItem() const { return m_subItem; }

    // The text of key through the dialog that holds the list; def outside
    // a dialog.
    virtual const wchar_t* GetMsg(const wchar_t* key, const wchar_t* def = nullptr,
                                  const wchar_t* country = nullptr) const;

protected:
    // The hooks of derived lists: configure the new edit (type, flags,
    // units), allow editing of a cell (non-zero), accept the edit's text
    // for the cell (non-zero), and see the edit go.
    virtual void OnInitEditCtrl(LVHITTESTINFO* hit, CZunEdit* edit);
    virtual int OnAllowEdit(LVHITTESTINFO* hit);
    virtual int OnEndItemEdit(CZunEdit* edit);
    virtual void OnDestroyEditCtrl(CZunEdit* edit);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnKillfocusEdit(bool refused);
    // Ends the edit the way the user leaves it: the edit's checks, then the
    // text taken over. False when the edit refused its entry and stays.
    bool leaveEdit();
    void takeEditText();
    bool EndItemEdit();
    void onScrolled();
    int rowOf(const QTreeWidgetItem* item) const;
    int imageWidth() const;

    QPoint m_ptClick;
    QPointer<CZunEdit> m_pEdit;
    int m_item = -1;
    int m_subItem = -1;
    bool m_bBusy = false;
    bool m_eatPress = false;  // the press that took the focus from the edit ended it
    QList<QIcon> m_images;
};
