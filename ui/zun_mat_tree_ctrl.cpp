#include "ui/zun_mat_tree_ctrl.h"

#include "render/qt/zun_qstring.h"
#include "ui/zun_dial_app.h"

#include <QEvent>

#include <algorithm>

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kFirstImageIcon = 2001;

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
    std::vector<std::pair<int, QTreeWidgetItem*>> made;
    made.reserve(nodes.size());
    QList<QTreeWidgetItem*> roots;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ZUN::MatTreeNode& node = nodes[i];
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem() : new QTreeWidgetItem(items[static_cast<size_t>(node.parent)]);
        item->setText(0, fromZun(node.text));
        item->setIcon(0, m_images[node.image]);
        item->setData(0, kImageRole, node.image);
        if (node.parent < 0) {
            roots.append(item);
        } else {
            item->setData(0, kKeyRole, fromZun(node.key));
            made.emplace_back(node.created, item);
        }
        items[i] = item;
    }
    std::sort(made.begin(), made.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    m_created.reserve(made.size());
    for (const auto& entry : made)
        m_created.push_back(entry.second);
    addTopLevelItems(roots);

    if (m_layout.selected() >= 0) {
        m_hSelect = items[static_cast<size_t>(m_layout.selected())];
        setCurrentItem(m_hSelect);
        scrollToItem(m_hSelect);
    }
    return true;
}

bool CZunMatTreeCtrl::selectMat(const wchar_t* key)
{
    const QString wanted = fromZun(CZunString(key));
    for (QTreeWidgetItem* item : m_created) {
        if (item->data(0, kKeyRole).toString() == wanted) {
            setCurrentItem(item);
            scrollToItem(item);
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

CZunString CZunMatTreeCtrl::itemKey(const QTreeWidgetItem* item)
{
    return item ? toZun(item->data(0, kKeyRole).toString()) : CZunString();
}

int CZunMatTreeCtrl::itemImage(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kImageRole).toInt() : -1;
}

bool CZunMatTreeCtrl::viewportEvent(QEvent* event)
{
    // No tool tips: a cut-off name is read by widening the tree.
    if (event->type() == QEvent::ToolTip)
        return true;
    return CZunTreeCtrl::viewportEvent(event);
}
