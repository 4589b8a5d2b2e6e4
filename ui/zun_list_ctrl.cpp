#include "ui/zun_list_ctrl.h"

#include "render/qt/zun_qstring.h"
#include "ui/zun_dlg.h"
#include "ui/zun_dlg_item.h"
#include "ui/zun_edit.h"
#include "ui/zun_tree_ctrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <functional>
#include <utility>

namespace {

constexpr int kEditId = 1025;
constexpr int kImageRole = Qt::UserRole + 1;
// Room between a cell's image and its text, as the item view draws it.
constexpr int kImageGap = 4;

Qt::Alignment alignmentOf(int format)
{
    switch (format) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Escape in the in-place edit gives up what was typed and ends the edit
// alone: left to the dialog, it would cancel the whole dialog and every
// cell edited before with it.
class EscapeCancelsEdit : public QObject {
public:
    EscapeCancelsEdit(QObject* edit, std::function<void()> cancel) : QObject(edit), m_cancel(std::move(cancel)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return false;
        m_cancel();
        return true;
    }

private:
    std::function<void()> m_cancel;
};

} // namespace

CZunListCtrl::CZunListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    // A report list: flat rows, whole rows selected, one at a time, and
    // no editing but our own.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CZunListCtrl::onScrolled);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &CZunListCtrl::onScrolled);
}

CZunListCtrl::~CZunListCtrl()
{
    if (m_pEdit)
        disconnect(m_pEdit, nullptr, this, nullptr);
}

// ---- building the list ------------------------------------------------------------

int CZunListCtrl::InsertColumn(int col, const wchar_t* heading, int format, int width)
{
    const int count = columnCount();
    const int at = col >= 0 && col < count ? col : count;
    setColumnCount(count + 1);
    // The tree widget appends columns only: the cells right of the new
    // column move over by hand, with their images and alignment.
    auto shift = [&](QTreeWidgetItem* item) {
        for (int c = count; c > at; --c) {
            item->setText(c, item->text(c - 1));
            item->setTextAlignment(c, Qt::Alignment(item->textAlignment(c - 1)));
            item->setIcon(c, item->icon(c - 1));
            item->setData(c, kImageRole, item->data(c - 1, kImageRole));
        }
        item->setText(at, QString());
        item->setIcon(at, QIcon());
        item->setData(at, kImageRole, QVariant());
        item->setTextAlignment(at, alignmentOf(format));
    };
    shift(headerItem());
    for (int row = 0; row < topLevelItemCount(); ++row)
        shift(topLevelItem(row));
    for (int c = count; c > at; --c)
        setColumnWidth(c, columnWidth(c - 1));
    headerItem()->setText(at, fromZun(CZunString(heading)));
    if (width >= 0)
        setColumnWidth(at, width);
    return at;
}

int CZunListCtrl::InsertItem(int row, const wchar_t* text, int image)
{
    const int at = row >= 0 && row < topLevelItemCount() ? row : topLevelItemCount();
    auto* item = new QTreeWidgetItem;
    for (int col = 0; col < columnCount(); ++col)
        item->setTextAlignment(col, Qt::Alignment(headerItem()->textAlignment(col)));
    item->setText(0, fromZun(CZunString(text)));
    insertTopLevelItem(at, item);
    SetItemImage(at, 0, image);
    return at;
}

bool CZunListCtrl::SetItemText(int row, int subItem, const wchar_t* text)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || subItem < 0 || subItem >= columnCount())
        return false;
    item->setText(subItem, fromZun(CZunString(text)));
    return true;
}

CZunString CZunListCtrl::GetItemText(int row, int subItem) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && subItem >= 0 && subItem < columnCount() ? toZun(item->text(subItem)) : CZunString();
}

bool CZunListCtrl::DeleteItem(int row)
{
    if (row < 0 || row >= topLevelItemCount())
        return false;
    if (m_pEdit && row == m_item)
        EndItemEdit();
    delete takeTopLevelItem(row);
    return true;
}

bool CZunListCtrl::DeleteAllItems()
{
    EndItemEdit();
    clear();
    return true;
}

void CZunListCtrl::SetImageList(const QList<QIcon>& images)
{
    m_images = images;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        for (int col = 0; col < columnCount(); ++col)
            SetItemImage(row, col, GetItemImage(row, col));
    }
}

int CZunListCtrl::SetItemImage(int row, int subItem, int image)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || subItem < 0 || subItem >= std::max(1, columnCount()))
        return 0;
    item->setData(subItem, kImageRole, image);
    item->setIcon(subItem, image >= 0 && image < m_images.size() ? m_images[image] : QIcon());
    return 1;
}

int CZunListCtrl::GetItemImage(int row, int subItem) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return -1;
    const QVariant image = item->data(subItem, kImageRole);
    return image.isValid() ? image.toInt() : -1;
}

// ---- selection ---------------------------------------------------------------------------

int CZunListCtrl::SetCurSel(int i)
{
    QTreeWidgetItem* item = topLevelItem(i);
    if (!item || i < 0)
        return 0;
    scrollToItem(item);
    setCurrentItem(item);
    item->setSelected(true);
    return 1;
}

int CZunListCtrl::GetCurSel() const
{
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected())
            return row;
    }
    return -1;
}

int CZunListCtrl::rowOf(const QTreeWidgetItem* item) const
{
    return item ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

// ---- hit test and cell rectangle -----------------------------------------------------------

int CZunListCtrl::imageWidth() const
{
    // Without an icon size of its own the view draws the style's small icons.
    return iconSize().isValid() ? iconSize().width() : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
}

QRect CZunListCtrl::editRect(int row, int subItem) const
{
    QTreeWidgetItem* cell = topLevelItem(row);
    if (!cell)
        return {};
    QRect rect = visualRect(indexFromItem(cell, subItem));
    // The text part only: a cell's image stays visible left of the edit.
    if (GetItemImage(row, subItem) >= 0)
        rect.setLeft(rect.left() + imageWidth() + kImageGap);
    rect.setRight(rect.right() - 2);
    return rect;
}

LVHITTESTINFO CZunListCtrl::SubItemHitTest(const QPoint& pt) const
{
    LVHITTESTINFO hit;
    hit.pt = pt;
    const QTreeWidgetItem* item = itemAt(pt);
    const int col = columnAt(pt.x());
    if (!item || col < 0) {
        hit.flags = LVHT_NOWHERE;
        hit.iItem = item ? rowOf(item) : -1;
        return hit;
    }
    hit.iItem = rowOf(item);
    hit.iSubItem = col;
    const QRect cell = visualRect(indexFromItem(const_cast<QTreeWidgetItem*>(item), col));
    const bool onImage = GetItemImage(hit.iItem, col) >= 0 && pt.x() < cell.left() + imageWidth() + kImageGap;
    hit.flags = onImage ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
    return hit;
}

// ---- editing ----------------------------------------------------------------------------------

int CZunListCtrl::BeginItemEdit(LVHITTESTINFO* hit)
{
    m_item = hit->iItem;
    m_subItem = hit->iSubItem;
    const QRect rect = editRect(m_item, m_subItem);

    if (CZunEdit* old = m_pEdit) {
        disconnect(old, nullptr, this, nullptr);
        old->hide();
        old->deleteLater();
    }
    auto* edit = new CZunEdit(viewport());
    ZUN::dlgIdSet(edit, kEditId);
    edit->setFrame(false);
    edit->setGeometry(rect);
    edit->setFont(font());
    edit->setAlignment(Qt::Alignment(headerItem()->textAlignment(m_subItem)));
    edit->setText(fromZun(GetItemText(m_item, m_subItem)));
    m_pEdit = edit;
    connect(edit, &CZunEdit::killFocus, this, &CZunListCtrl::OnKillfocusEdit);
    edit->installEventFilter(new EscapeCancelsEdit(edit, [this, edit] {
        // The cell's own text back first: an unchanged edit is left
        // without its checks and writes nothing.
        if (edit == m_pEdit) {
            edit->setText(fromZun(GetItemText(m_item, m_subItem)));
            leaveEdit();
        }
    }));
    OnInitEditCtrl(hit, edit);
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return 1;
}

void CZunListCtrl::OnKillfocusEdit(bool refused)
{
    // The edit's own checks have run; a refused entry keeps it open.
    if (refused || m_bBusy || !m_pEdit || sender() != m_pEdit)
        return;
    takeEditText();
    EndItemEdit();
    // A press on the list that took the focus from the edit ends the edit
    // and does nothing else; it arrives right after this.
    if (QApplication::focusWidget() == this && (QApplication::mouseButtons() & Qt::LeftButton)) {
        m_eatPress = true;
        QTimer::singleShot(0, this, [this] { m_eatPress = false; });
    }
}

void CZunListCtrl::takeEditText()
{
    CZunEdit* edit = m_pEdit;
    if (!edit || !edit->isModified())
        return;
    const CZunString text = toZun(edit->text());
    if (OnEndItemEdit(edit))
        SetItemText(m_item, m_subItem, text);
}

bool CZunListCtrl::leaveEdit()
{
    if (!m_pEdit)
        return true;
    if (m_pEdit->hasFocus()) {
        // Leaving it as the user does runs its checks and, through
        // OnKillfocusEdit, takes the text over.
        setFocus(Qt::OtherFocusReason);
        return !m_pEdit;
    }
    takeEditText();
    EndItemEdit();
    return true;
}

bool CZunListCtrl::EndItemEdit()
{
    if (!m_pEdit || m_bBusy)
        return false;
    m_bBusy = true;
    CZunEdit* edit = m_pEdit;
    disconnect(edit, nullptr, this, nullptr);
    edit->hide();
    OnDestroyEditCtrl(edit);
    m_bBusy = false;
    m_pEdit = nullptr;
    // Deleted later: this may run inside the edit's own focus handling.
    edit->deleteLater();
    return true;
}

void CZunListCtrl::onScrolled()
{
    if (m_pEdit && !m_bBusy)
        leaveEdit();
}

void CZunListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    if (m_pEdit || m_eatPress) {
        m_eatPress = false;
        leaveEdit();
        event->accept();
        return;
    }
    m_ptClick = event->position().toPoint();
    const int before = GetCurSel();
    LVHITTESTINFO hit = SubItemHitTest(m_ptClick);
    if (hit.iItem >= 0 && hit.iItem == before && (hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)) &&
        OnAllowEdit(&hit)) {
        m_bBusy = true;
        QTreeWidget::mousePressEvent(event);
        viewport()->update();
        scrollToItem(topLevelItem(hit.iItem));
        m_bBusy = false;
        BeginItemEdit(&hit);
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CZunListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click on the selected row is the one
    // that started an edit; it must not end or restart it.
    if (m_pEdit)
        return;
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CZunListCtrl::focusOutEvent(QFocusEvent* event)
{
    QTreeWidget::focusOutEvent(event);
    // A message box of the edit's own checks takes the window's focus for
    // a while: that is no leaving of the list.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (m_pEdit && !m_bBusy && QApplication::focusWidget() != m_pEdit)
        EndItemEdit();
}

// ---- hooks and texts ----------------------------------------------------------------------------

void CZunListCtrl::OnInitEditCtrl(LVHITTESTINFO*, CZunEdit*) {}

int CZunListCtrl::OnAllowEdit(LVHITTESTINFO*)
{
    return 0;
}

int CZunListCtrl::OnEndItemEdit(CZunEdit*)
{
    return 0;
}

void CZunListCtrl::OnDestroyEditCtrl(CZunEdit*) {}

const wchar_t* CZunListCtrl::GetMsg(const wchar_t* key, const wchar_t* def, const wchar_t* country) const
{
    CZunDlg* dlg = ZUN::ctrlDlg(this);
    return dlg ? dlg->GetMsg(key, def, country) : def;
}
