#include "ui/zun_mat_tree_ctrl.h"

#include "ui/zun_dial_app.h"

#include <QEvent>
#include <QShowEvent>

#include <algorithm>

namespace {

constexpr int kFirstImageIcon = 2001;

// A node of the tree: it knows its place in the layout, so that key and
// image need no item data of their own.
class CMatTreeItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 20;
    explicit CMatTreeItem(int node) : QTreeWidgetItem(kType), m_node(node) {}
    CMatTreeItem(QTreeWidgetItem* parent, int node) : QTreeWidgetItem(parent, kType), m_node(node) {}
    int node() const { return m_node; }

private:
    int m_node;
};

// The tree's texts as Qt text. Labels rarely hold a character beyond the
// basic plane, and those go over one to one; Qt's general conversion from
// wide text costs a decoding pass and a second buffer per text.
QString qtText(const CZunString& text)
{
    const std::wstring& wide = text.str();
    if (std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return static_cast<char32_t>(c) > 0xFFFF; }))
        return QString::fromWCharArray(wide.data(), static_cast<qsizetype>(wide.size()));
    QString out(static_cast<qsizetype>(wide.size()), Qt::Uninitialized);
    std::transform(wide.begin(), wide.end(), out.data(), [](wchar_t c) { return QChar(static_cast<char16_t>(c)); });
    return out;
}

int nodeOf(const QTreeWidgetItem* item)
{
    return item && item->type() == CMatTreeItem::kType ? static_cast<const CMatTreeItem*>(item)->node() : -1;
}

} // namespace

CZunMatTreeCtrl::CZunMatTreeCtrl(QWidget* parent) : CZunTreeCtrl(parent)
{
    for (int i = 0; i < 3; ++i)
        m_images[i] = ZUN::moduleIcon(kFirstImageIcon + i);
    setIconSize(QSize(16, 16));
    setUniformRowHeights(true);
}

bool CZunMatTreeCtrl::init(unsigned flags, const wchar_t* selMat, const CZunArrayTempl<CZunString>& physTypes)
{
    clear();
    m_created.clear();
    m_hSelect = nullptr;
    m_scrollPending = false;
    if (flags & ZUN::kMatTreePhys)
        m_physTypes = physTypes;
    m_reqMat = m_selMat = CZunString(selMat);

    ZUN::MatTreeInput input;
    input.flags = flags;
    input.selMat = m_selMat;
    input.physTypes = m_physTypes;
    input.country = CZunString(country());
    input.libraryText = CZunString(GetMsg(L"ZUN_LIB_027", L"Bibliothek", nullptr));
    if (flags & ZUN::kMatTreeDrawing)
        input.drawingText = CZunString(GetMsg(L"DLG_SG018", L"Zeichnung", nullptr));
    m_layout.build(m_matMgr, input);

    // Items are made below their roots before the roots join the tree:
    // the view then takes each subtree in one step.
    const std::vector<ZUN::MatTreeNode>& nodes = m_layout.nodes();
    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    m_created.assign(nodes.size(), nullptr);
    QList<QTreeWidgetItem*> roots;
    // One text per material, shared by all its nodes.
    std::vector<QString> texts(static_cast<size_t>(m_layout.materialsRead()));
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ZUN::MatTreeNode& node = nodes[i];
        const int n = static_cast<int>(i);
        QTreeWidgetItem* item = node.parent < 0 ? new CMatTreeItem(n)
                                                : new CMatTreeItem(items[static_cast<size_t>(node.parent)], n);
        if (node.mat >= 0) {
            QString& text = texts[static_cast<size_t>(node.mat)];
            if (text.isNull())
                text = qtText(m_layout.matText(node.mat));
            item->setText(0, text);
        } else {
            item->setText(0, qtText(m_layout.text(n)));
        }
        item->setIcon(0, m_images[node.image]);
        if (node.parent < 0)
            roots.append(item);
        else
            m_created[static_cast<size_t>(node.created)] = item;
        items[i] = item;
    }
    std::erase(m_created, nullptr);
    addTopLevelItems(roots);

    if (m_layout.selected() >= 0) {
        m_hSelect = items[static_cast<size_t>(m_layout.selected())];
        setCurrentItem(m_hSelect);
        showSelected(m_hSelect);
    }
    return true;
}

void CZunMatTreeCtrl::showSelected(QTreeWidgetItem* item)
{
    // Opening the branches to the node lays the whole tree out: a tree
    // filled before its dialog shows does that once, when it shows.
    if (isVisible()) {
        scrollToItem(item);
        m_scrollPending = false;
    } else {
        m_scrollPending = true;
    }
}

void CZunMatTreeCtrl::showEvent(QShowEvent* event)
{
    CZunTreeCtrl::showEvent(event);
    if (m_scrollPending && currentItem())
        showSelected(currentItem());
}

bool CZunMatTreeCtrl::selectMat(const wchar_t* key)
{
    const CZunString wanted(key);
    for (QTreeWidgetItem* item : m_created) {
        if (m_layout.key(nodeOf(item)) == wanted) {
            setCurrentItem(item);
            showSelected(item);
            return true;
        }
    }
    return false;
}

bool CZunMatTreeCtrl::getSelMat(CZunString& key) const
{
    const QTreeWidgetItem* item = currentItem();
    if (!item || !item->isSelected() || !item->parent())
        return false;
    key = itemKey(item);
    return true;
}

CZunString CZunMatTreeCtrl::itemKey(const QTreeWidgetItem* item) const
{
    return m_layout.key(nodeOf(item));
}

int CZunMatTreeCtrl::itemImage(const QTreeWidgetItem* item) const
{
    const int node = nodeOf(item);
    return node >= 0 && node < static_cast<int>(m_layout.nodes().size()) ? m_layout.nodes()[static_cast<size_t>(node)].image
                                                                          : -1;
}

bool CZunMatTreeCtrl::viewportEvent(QEvent* event)
{
    // No tool tips: a cut-off name is read by widening the tree.
    if (event->type() == QEvent::ToolTip)
        return true;
    return CZunTreeCtrl::viewportEvent(event);
}
