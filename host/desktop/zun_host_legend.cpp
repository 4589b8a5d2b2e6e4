#include "host/desktop/zun_host_legend.h"
#include "host/desktop/zun_host_legend_rows.h"

#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_layer.h"
#include "gdx/zun_gdx.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <map>

namespace T = ZunHostTexts;

namespace {

enum Column { kColour, kLayers, kItems };

QColor qColor(const CZunColor& c)
{
    return QColor(c.red(), c.green(), c.blue());
}

// Without a colour of its own an element is drawn in the contrast colour
// of the background: its swatch is crossed.
QIcon swatch(const CZunColor& c)
{
    QPixmap pixmap(14, 14);
    const bool own = c.colorIndex() >= 1 && c.colorIndex() <= 255;
    pixmap.fill(own ? qColor(c) : QColor(Qt::white));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    if (!own)
        painter.drawLine(0, 13, 13, 0);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QString colourName(const CZunColor& c)
{
    switch (c.colorIndex()) {
    case CZunColor::kNone:
        return zunHostText(T::kLegendNoColour);
    case CZunColor::kByBlock:
        return zunHostText(T::kLegendByBlock);
    case CZunColor::kByLayer:
        return zunHostText(T::kLegendByLayer);
    default:
        break;
    }
    const bool palette = CZunColor::paletteRgb(c.colorIndex()) == c.oleColor();
    return palette ? QString::number(c.colorIndex()) : qColor(c).name().toUpper();
}

// The drawing's layers by the colour they give.
std::map<std::uint64_t, QStringList> layersByColour()
{
    std::map<std::uint64_t, QStringList> byColour;
    const CZunDataItem& layers = ZUN::drawingCurrent().layers();
    for (int i = 0; i < layers.childCount(); ++i) {
        const CZunString& name = layers.childAt(i)->getKey().text();
        byColour[zunLegendKey(ZUN::layer_color(name))].append(fromZun(name));
    }
    return byColour;
}

// Measures a row for the width of its Layers column. The tree asks its
// delegate without a width, which makes wrapped text one long line and the
// row one line high.
class CZunLegendRowHeights : public QStyledItemDelegate {
public:
    explicit CZunLegendRowHeights(QTreeWidget* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != kLayers)
            return QStyledItemDelegate::sizeHint(option, index);  // sized to contents
        QStyleOptionViewItem sized(option);
        // Wrapping is measured only in a valid rectangle; its height is not read.
        sized.rect = QRect(0, 0, m_tree->header()->sectionSize(index.column()), option.fontMetrics.height());
        return QStyledItemDelegate::sizeHint(sized, index);
    }

private:
    QTreeWidget* m_tree;
};

} // namespace

std::uint64_t zunLegendKey(const CZunColor& color)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(color.colorIndex())) << 32) | color.oleColor();
}

std::vector<CZunLegendRow> zunLegendRows(const CZunGDX& list)
{
    std::vector<CZunLegendRow> rows;
    std::map<std::uint64_t, std::size_t> rowOf;
    for (const CZunDisplayItem& item : list.getDisplayList()) {
        const std::uint64_t key = zunLegendKey(item.color);
        auto [at, added] = rowOf.emplace(key, rows.size());
        if (added)
            rows.push_back({key, item.color, {}, 0, true});
        CZunLegendRow& row = rows[at->second];
        ++row.items;
        row.hidden = row.hidden && (item.flag & gdxFlagHidden);
    }
    const auto layers = layersByColour();
    for (CZunLegendRow& row : rows)
        if (auto found = layers.find(row.key); found != layers.end()) {
            row.layers = found->second;
            row.layers.sort(Qt::CaseInsensitive);
        }
    return rows;
}

bool zunLegendApply(CZunGDX& list, const std::set<std::uint64_t>& hidden)
{
    const auto wanted = [&hidden](const CZunDisplayItem& item) {
        return hidden.count(zunLegendKey(item.color)) ? item.flag | gdxFlagHidden : item.flag & ~gdxFlagHidden;
    };
    bool differs = false;
    for (const CZunDisplayItem& item : list.getDisplayList())
        differs = differs || wanted(item) != item.flag;
    if (!differs)
        return false;
    // One pass over a copy and one measuring of the extents, where setting
    // the flags one by one would measure the whole list for each.
    // The view extents stay what they were, so that switching a colour
    // off neither moves the picture nor changes what a fit shows.
    CZunPoint3d lo, hi;
    list.extMaxViewGet(lo, hi);
    CZunArrayTempl<CZunDisplayItem> items = list.getDisplayList();
    for (CZunDisplayItem& item : items)
        item.flag = static_cast<std::uint32_t>(wanted(item));
    list.clear();
    list.appendDisplayList(std::move(items));
    list.extMaxViewSet(lo, hi);
    return true;
}

CZunHostLegend::CZunHostLegend(CZunDplistImage* viewer, QWidget* parent)
    : QDockWidget(parent), m_viewer(viewer), m_watched(viewer)
{
    setObjectName(QStringLiteral("legend"));
    m_texts.bind(this, T::kLegend, [this](const QString& s) { setWindowTitle(s); });
    m_tree = new QTreeWidget;
    m_tree->setColumnCount(3);
    m_tree->setRootIsDecorated(false);
    // A colour given by many layers lists them all: the Layers column
    // wraps at the commas and the row grows, where a single line would
    // cut the list short and leave the rest to the tooltip.
    m_tree->setWordWrap(true);
    m_tree->setUniformRowHeights(false);
    m_tree->setTextElideMode(Qt::ElideNone);
    m_tree->setItemDelegate(new CZunLegendRowHeights(m_tree));
    m_tree->header()->setSectionResizeMode(kColour, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(kItems, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(kLayers, QHeaderView::Stretch);
    const CZunHostText* headers[] = {&T::kLegendColour, &T::kLegendLayers, &T::kLegendItems};
    for (int c = 0; c < 3; ++c)
        m_texts.bind(m_tree, *headers[c], [this, c](const QString& s) { m_tree->headerItem()->setText(c, s); });
    // The rows' names are texts of the language too; a closed panel
    // names them when it opens.
    m_texts.bind(m_tree, T::kLegendNoColour, [this](const QString&) {
        if (isVisible())
            fill();
        else
            m_listed = nullptr;
    });
    m_tree->setMinimumWidth(340);
    // Rows are measured for the column's width: measured again when the
    // panel is made wider or narrower.
    connect(m_tree->header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == kLayers)
            m_tree->doItemsLayout();
    });
    connect(m_tree, &QTreeWidget::itemChanged, this, &CZunHostLegend::onItemChanged);
    setWidget(m_tree);
    m_texts.apply();
    viewer->installEventFilter(this);
}

CZunHostLegend::~CZunHostLegend() = default;

bool CZunHostLegend::eventFilter(QObject* watched, QEvent* event)
{
    // Before the viewer paints: what it is about to show is listed, with
    // the colours switched off hidden in it. A closed panel only hides them.
    if (watched == m_watched && event->type() == QEvent::Paint) {
        if (isVisible())
            listShown();
        else
            keepSwitchedOff();
    }
    return false;
}

void CZunHostLegend::retranslate()
{
    m_texts.apply();
}

void CZunHostLegend::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    listShown();
}

CZunGDX* CZunHostLegend::shownList() const
{
    return m_viewer ? m_viewer->get_dpList() : nullptr;
}

void CZunHostLegend::keepSwitchedOff()
{
    CZunGDX* list = shownList();
    if (!list || (list == m_applied && list->contentChangeCountGet() == m_appliedContent))
        return;
    zunLegendApply(*list, m_hidden);
    m_applied = list;
    m_appliedContent = list->contentChangeCountGet();
}

void CZunHostLegend::listShown()
{
    keepSwitchedOff();
    CZunGDX* list = shownList();
    if (!list || (list == m_listed && list->contentChangeCountGet() == m_listedContent))
        return;
    m_rows = zunLegendRows(*list);
    m_listed = list;
    m_listedContent = list->contentChangeCountGet();
    ++m_listings;
    fill();
}

void CZunHostLegend::fill()
{
    m_filling = true;
    m_tree->clear();
    for (const CZunLegendRow& row : m_rows) {
        auto* item = new QTreeWidgetItem(m_tree);
        item->setIcon(kColour, swatch(row.color));
        item->setText(kColour, colourName(row.color));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(kColour, row.hidden ? Qt::Unchecked : Qt::Checked);
        item->setData(kColour, Qt::UserRole, QVariant::fromValue<qulonglong>(row.key));
        item->setText(kLayers, row.layers.join(QStringLiteral(", ")));
        item->setToolTip(kLayers, row.layers.join(QLatin1Char('\n')));
        item->setText(kItems, QString::number(row.items));
        item->setTextAlignment(kItems, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_filling = false;
}

void CZunHostLegend::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_filling || column != kColour)
        return;
    setColorHidden(item->data(kColour, Qt::UserRole).toULongLong(), item->checkState(kColour) == Qt::Unchecked);
}

void CZunHostLegend::setColorHidden(std::uint64_t key, bool hidden)
{
    if (hidden)
        m_hidden.insert(key);
    else
        m_hidden.erase(key);
    // Apply again, and list again when the panel shows the rows.
    m_applied = nullptr;
    m_listed = nullptr;
    if (isVisible())
        listShown();
    else
        keepSwitchedOff();
    if (m_viewer)
        m_viewer->update();
}
