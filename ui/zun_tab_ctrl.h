#pragma once

#include <QPointer>
#include <QTabWidget>

#include <vector>

class CZunDlg;
class QKeyEvent;

// A tab control that hosts one dialog per tab.
//
// The pages are dialogs the caller constructs (usually CZunTabPage) and
// keeps alive for the life of the tab; the control never deletes them.
// A page's window life begins when its tab is first shown (CZunDlg::Create
// with the control as its parent, placed below the tabs) and ends when its
// tab is deleted or the control goes. Tabs can be disabled: they are
// greyed and cannot be chosen by mouse or keys.
//
// Keys, also when they arrive from a page (the base dialog forwards Ctrl+Tab
// and Enter): Ctrl+Tab and Ctrl+Shift+Tab go to the next or previous
// enabled tab, wrapping, visiting each tab at most once; Escape is
// swallowed, so that it neither closes a page nor the hosting dialog.
class CZunTabCtrl : public QTabWidget {
    Q_OBJECT

public:
    explicit CZunTabCtrl(QWidget* parent = nullptr);
    ~CZunTabCtrl() override;

    // Inserts a tab with a page at index (appended when index is negative
    // or beyond the last tab); returns the tab's index, or 0 for a null
    // page (nothing inserted). The first tab inserted is shown at once.
    virtual int InsertItem(int index, const wchar_t* label, CZunDlg* dlg, unsigned idd);
    // Shows tab i and gives its page the focus; returns the tab shown
    // before. A tab out of range, the shown one or a disabled one changes
    // nothing and returns the index of the shown tab.
    int SetCurSel(int i);
    int GetCurSel() const { return m_curSel; }
    int GetItemCount() const { return static_cast<int>(m_pages.size()); }
    // false for an index out of range.
    bool EnableTab(int i, bool enable);
    bool isTabEnabled(int i) const;
    bool GetDlgIDD(int i, unsigned& idd) const;
    // The page of tab i, or null.
    CZunDlg* GetDlg(int i) const;
    // Removes tab i and ends its page's window life (the dialog object
    // stays the caller's). A tab before the shown one keeps that page
    // shown; when the shown tab goes, the tab now at its place (or the new
    // last one) is shown. 0 out of range, else 1.
    virtual int DeleteItem(int i);
    // Removes every tab and ends every page's window life; returns 1.
    virtual int DeleteAllItems();
    // Takes the values of every page that has a window (UpdateData) and
    // closes it.
    void OnOk();

    // Keys for the tabs, from the control itself or forwarded by a page;
    // true when the key was used.
    Q_INVOKABLE bool PreTranslateMessage(QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void tabRemoved(int index) override;

private:
    struct Page {
        QPointer<CZunDlg> dlg;  // not owned
        QObject* object = nullptr;  // the same page, to know it while it is being deleted
        unsigned idd = 0xFFFFFFFF;
        unsigned flags = 0;     // bit 0: tab disabled
    };
    static constexpr unsigned kTabDisabled = 1;

    void onCurrentChanged(int index);
    void onPageDestroyed(QObject* page);
    void showPage(int i);
    void releasePage(Page& page);
    // Makes the widget's current tab i without our own reaction to it.
    void setCurrentQuietly(int i);
    bool validIndex(int i) const { return i >= 0 && i < GetItemCount(); }

    int m_curSel = -1;
    std::vector<Page> m_pages;
    bool m_quiet = false;
    int m_pendingRemovals = 0;  // tabs of deleted pages the widget has yet to remove
    bool m_shownGone = false;   // the shown page was one of them
};
