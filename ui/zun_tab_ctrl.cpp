#include "ui/zun_tab_ctrl.h"

#include "render/qt/zun_qstring.h"
#include "ui/zun_dlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>

#include <algorithm>

CZunTabCtrl::CZunTabCtrl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &CZunTabCtrl::onCurrentChanged);
}

CZunTabCtrl::~CZunTabCtrl()
{
    // The pages are the caller's: end their window life and take them out
    // of the widget tree before Qt would delete them with their parent.
    m_quiet = true;
    disconnect(this, &QTabWidget::currentChanged, this, &CZunTabCtrl::onCurrentChanged);
    std::vector<Page> pages;
    pages.swap(m_pages);
    for (Page& page : pages)
        releasePage(page);
}

int CZunTabCtrl::InsertItem(int index, const wchar_t* label, CZunDlg* dlg, unsigned idd)
{
    if (!dlg)
        return 0;
    const int pos = validIndex(index) ? index : GetItemCount();
    Page page;
    page.dlg = dlg;
    page.object = dlg;
    page.idd = idd;
    m_pages.insert(m_pages.begin() + pos, page);
    dlg->installEventFilter(this);
    connect(dlg, &QObject::destroyed, this, &CZunTabCtrl::onPageDestroyed);

    m_quiet = true;
    const int at = insertTab(pos, dlg, fromZun(CZunString(label)));
    m_quiet = false;
    // The shown page keeps being shown; its index moves with the insertion.
    if (m_curSel >= pos)
        ++m_curSel;
    if (m_curSel >= 0)
        setCurrentQuietly(m_curSel);
    else
        SetCurSel(at);
    return at;
}

int CZunTabCtrl::SetCurSel(int i)
{
    if (i == m_curSel || !validIndex(i))
        return m_curSel;
    if (m_pages[static_cast<size_t>(i)].flags & kTabDisabled)
        return m_curSel;
    const int previous = m_curSel;
    showPage(i);
    return previous;
}

bool CZunTabCtrl::EnableTab(int i, bool enable)
{
    if (!validIndex(i))
        return false;
    unsigned& flags = m_pages[static_cast<size_t>(i)].flags;
    flags = enable ? flags & ~kTabDisabled : flags | kTabDisabled;
    // Only the tab greys: the page of a shown tab stays shown and usable,
    // and the bar must not move the selection on its own.
    QWidget* focus = QApplication::focusWidget();
    m_quiet = true;
    tabBar()->setTabEnabled(i, enable);
    m_quiet = false;
    if (m_curSel >= 0 && currentIndex() != m_curSel) {
        setCurrentQuietly(m_curSel);
        if (focus && isAncestorOf(focus))
            focus->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

bool CZunTabCtrl::isTabEnabled(int i) const
{
    return validIndex(i) && !(m_pages[static_cast<size_t>(i)].flags & kTabDisabled);
}

bool CZunTabCtrl::GetDlgIDD(int i, unsigned& idd) const
{
    if (!validIndex(i))
        return false;
    idd = m_pages[static_cast<size_t>(i)].idd;
    return true;
}

CZunDlg* CZunTabCtrl::GetDlg(int i) const
{
    return validIndex(i) ? m_pages[static_cast<size_t>(i)].dlg.data() : nullptr;
}

int CZunTabCtrl::DeleteItem(int i)
{
    if (!validIndex(i))
        return 0;
    Page page = m_pages[static_cast<size_t>(i)];
    m_pages.erase(m_pages.begin() + i);
    m_quiet = true;
    removeTab(i);
    m_quiet = false;
    releasePage(page);

    if (i < m_curSel) {
        --m_curSel;
        setCurrentQuietly(m_curSel);
    } else if (i == m_curSel) {
        // The tab now at the place of the deleted one, or the new last tab.
        m_curSel = std::min(m_curSel, GetItemCount() - 1);
        if (m_curSel >= 0)
            showPage(m_curSel);
    } else {
        setCurrentQuietly(m_curSel);
    }
    return 1;
}

int CZunTabCtrl::DeleteAllItems()
{
    m_curSel = -1;
    std::vector<Page> pages;
    pages.swap(m_pages);
    m_quiet = true;
    clear();
    m_quiet = false;
    for (Page& page : pages)
        releasePage(page);
    return 1;
}

void CZunTabCtrl::OnOk()
{
    for (const Page& page : m_pages) {
        if (page.dlg && page.dlg->hasWindow()) {
            page.dlg->UpdateData(true);
            page.dlg->close();
        }
    }
}

bool CZunTabCtrl::PreTranslateMessage(QKeyEvent* event)
{
    if (!event || event->type() != QEvent::KeyPress)
        return false;
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
        const int count = GetItemCount();
        const bool back = key == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        int cur = m_curSel >= 0 ? m_curSel : (back ? 0 : count - 1);
        // Each tab once at most: with every other tab disabled the walk
        // comes back to where it started and nothing changes.
        for (int n = 0; n < count; ++n) {
            cur = back ? (count + cur - 1) % count : (cur + 1) % count;
            if (isTabEnabled(cur)) {
                SetCurSel(cur);
                break;
            }
        }
        return true;
    }
    return key == Qt::Key_Escape;
}

void CZunTabCtrl::keyPressEvent(QKeyEvent* event)
{
    if (PreTranslateMessage(event)) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

bool CZunTabCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // Escape reaching a page (from the page or a control on it) ends here
    // instead of closing the page like a dialog.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        for (const Page& page : m_pages) {
            if (page.dlg == watched)
                return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

void CZunTabCtrl::onPageDestroyed(QObject* page)
{
    // A page deleted by its owner takes its tab with it; the widget removes
    // the tab after this, and its own moves of the selection are not ours.
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].object != page)
            continue;
        const int index = static_cast<int>(i);
        m_pages.erase(m_pages.begin() + index);
        m_shownGone = index == m_curSel;
        if (index < m_curSel)
            --m_curSel;
        else if (index == m_curSel)
            m_curSel = std::min(m_curSel, GetItemCount() - 1);
        ++m_pendingRemovals;
        return;
    }
}

void CZunTabCtrl::tabRemoved(int index)
{
    QTabWidget::tabRemoved(index);
    if (m_pendingRemovals == 0)
        return;
    --m_pendingRemovals;
    if (m_curSel < 0)
        return;
    if (m_shownGone)
        showPage(m_curSel);
    else
        setCurrentQuietly(m_curSel);
}

void CZunTabCtrl::onCurrentChanged(int index)
{
    if (m_quiet || m_pendingRemovals > 0 || index < 0 || index == m_curSel)
        return;
    // The bar does not offer disabled tabs; anything else that got there
    // goes back.
    if (!isTabEnabled(index)) {
        setCurrentQuietly(m_curSel);
        return;
    }
    showPage(index);
}

void CZunTabCtrl::showPage(int i)
{
    m_curSel = i;
    setCurrentQuietly(i);
    CZunDlg* dlg = m_pages[static_cast<size_t>(i)].dlg;
    if (!dlg)
        return;
    if (!dlg->hasWindow())
        dlg->Create();
    // The page's first control that takes the focus, else the page.
    QWidget* target = dlg;
    for (QWidget* w = dlg->nextInFocusChain(); w && w != dlg; w = w->nextInFocusChain()) {
        if (dlg->isAncestorOf(w) && w->isVisibleTo(dlg) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            target = w;
            break;
        }
    }
    target->setFocus(Qt::TabFocusReason);
}

void CZunTabCtrl::releasePage(Page& page)
{
    CZunDlg* dlg = page.dlg;
    if (!dlg)
        return;
    dlg->removeEventFilter(this);
    disconnect(dlg, &QObject::destroyed, this, &CZunTabCtrl::onPageDestroyed);
    if (dlg->hasWindow())
        dlg->DestroyWindow();
    if (isAncestorOf(dlg))
        dlg->setParent(nullptr);
}

void CZunTabCtrl::setCurrentQuietly(int i)
{
    if (i < 0 || i == currentIndex())
        return;
    m_quiet = true;
    setCurrentIndex(i);
    m_quiet = false;
}
