#include "host/desktop/zun_hole_dialog.h"

#include "contracts/data/zun_drill.h"
#include "contracts/data/zun_dta.h"
#include "gdx/zun_gdx.h"
#include "images/zun_image.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace T = ZunHostTexts;

namespace {

const CZunDataKey kMachinings(L"BT");

// A length typed with a decimal comma or a decimal point alike, as the
// module's own fields take it: in the C locale a comma is a group
// separator, and "12,5" would silently become 125.
class CLengthSpinBox : public QDoubleSpinBox {
public:
    explicit CLengthSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
    {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        setLocale(c);
    }

    QValidator::State validate(QString& text, int& pos) const override
    {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        return QDoubleSpinBox::validate(text, pos);
    }
    double valueFromText(const QString& text) const override
    {
        return QDoubleSpinBox::valueFromText(QString(text).replace(QLatin1Char(','), QLatin1Char('.')));
    }
};

// Lengths are typed into a spin box wide enough for any plate; sizes
// cannot be negative, positions can.
class CLengthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* box = new CLengthSpinBox(parent);
        const bool position = index.column() == CZunHoleDialog::kX || index.column() == CZunHoleDialog::kY;
        box->setRange(position ? -1.0e6 : 0.0, 1.0e6);
        box->setDecimals(3);
        box->setFrame(false);
        // Typed, not stepped: the arrows would take half of a narrow cell.
        box->setButtonSymbols(QAbstractSpinBox::NoButtons);
        return box;
    }

    // A narrow column (X, Y) gets an editor as wide as its longest number,
    // over the next cell while it is open, so that what is typed is seen.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        QRect rect = option.rect;
        rect.setWidth(std::max(rect.width(), editor->sizeHint().width()));
        editor->setGeometry(rect);
    }
};

QTableWidgetItem* numberItem(double value)
{
    auto* item = new QTableWidgetItem;
    item->setData(Qt::EditRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

double numberIn(const QTableWidget& table, int row, int column)
{
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->data(Qt::EditRole).toDouble() : 0.0;
}

} // namespace

CZunHoleDialog::CZunHoleDialog(const CZunDataItem& entityData, QWidget* parent)
    : QDialog(parent), m_data(entityData), m_gdx(std::make_unique<CZunGDX>())
{
    buildWidgets();
    const CZunDataItem* machinings = m_data.getItem(kMachinings);
    fillTable(machinings ? zunHoleRowsRead(*machinings) : QVector<CZunHoleRow>());
    m_texts.apply();
    takeValues();
}

CZunHoleDialog::~CZunHoleDialog() = default;

void CZunHoleDialog::buildWidgets()
{
    m_texts.bind(this, T::kHoleTitle, [this](const QString& s) { setWindowTitle(s); });
    m_table = new QTableWidget(0, kColumns);
    m_table->setItemDelegate(new CLengthDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const CZunHostText* headers[kColumns] = {&T::kTreeName,  &T::kHoleX,    &T::kHoleY,     &T::kHoleDiameter,
                                             &T::kHoleDepth, &T::kHoleSink, &T::kHoleThread};
    for (int c = 0; c < kColumns; ++c)
        m_texts.bind(m_table, *headers[c], [this, c](const QString& s) {
            m_table->setHorizontalHeaderItem(c, new QTableWidgetItem(s));
        });
    connect(m_table, &QTableWidget::itemChanged, this, [this] { takeValues(); });

    auto* add = new QPushButton;
    auto* remove = new QPushButton;
    m_texts.bind(add, T::kHoleAdd, [add](const QString& s) { add->setText(s); });
    m_texts.bind(remove, T::kHoleRemove, [remove](const QString& s) { remove->setText(s); });
    connect(add, &QPushButton::clicked, this, &CZunHoleDialog::addRow);
    connect(remove, &QPushButton::clicked, this, &CZunHoleDialog::removeSelectedRows);

    m_preview = new CZunDplistImage(this);
    m_preview->setMinimumSize(260, 260);
    m_problem = new QLabel;
    m_problem->setWordWrap(true);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(m_table, 1);
    left->addLayout(rowButtons);
    left->addWidget(m_problem);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addWidget(m_preview, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(m_buttons);
    resize(900, 420);
}

void CZunHoleDialog::fillTable(const QVector<CZunHoleRow>& rows)
{
    m_filling = true;
    m_table->setRowCount(0);
    for (const CZunHoleRow& row : rows)
        appendRow(row);
    m_filling = false;
}

void CZunHoleDialog::appendRow(const CZunHoleRow& row)
{
    const bool filling = m_filling;
    m_filling = true;
    const int r = m_table->rowCount();
    m_table->insertRow(r);
    auto* name = new QTableWidgetItem(row.key);
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    m_table->setItem(r, kName, name);
    m_table->setItem(r, kX, numberItem(row.x));
    m_table->setItem(r, kY, numberItem(row.y));
    m_table->setItem(r, kDiameter, numberItem(row.diameter));
    m_table->setItem(r, kDepth, numberItem(row.depth));
    m_table->setItem(r, kSink, numberItem(row.sinkDiameter));
    m_table->setItem(r, kThread, new QTableWidgetItem(row.thread));
    m_filling = filling;
}

QVector<CZunHoleRow> CZunHoleDialog::rows() const
{
    QVector<CZunHoleRow> rows;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        CZunHoleRow row;
        row.key = m_table->item(r, kName) ? m_table->item(r, kName)->text() : QString();
        row.x = numberIn(*m_table, r, kX);
        row.y = numberIn(*m_table, r, kY);
        row.diameter = numberIn(*m_table, r, kDiameter);
        row.depth = numberIn(*m_table, r, kDepth);
        row.sinkDiameter = numberIn(*m_table, r, kSink);
        row.thread = m_table->item(r, kThread) ? m_table->item(r, kThread)->text().trimmed() : QString();
        rows.push_back(row);
    }
    return rows;
}

void CZunHoleDialog::addRow()
{
    // A new drilling starts as a copy of the selected one (or the last),
    // moved aside so that it does not hide the one it came from.
    const QVector<CZunHoleRow> current = rows();
    CZunHoleRow row;
    row.diameter = 10.0;
    const int from = m_table->currentRow() >= 0 ? m_table->currentRow() : static_cast<int>(current.size()) - 1;
    if (from >= 0) {
        row = current[from];
        row.key.clear();
        row.x += 2.0 * std::max(row.diameter, row.sinkDiameter);
    }
    appendRow(row);
    m_table->selectRow(m_table->rowCount() - 1);
    takeValues();
}

void CZunHoleDialog::removeSelectedRows()
{
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    QList<int> doomed;
    for (const QModelIndex& index : selected)
        doomed.push_back(index.row());
    std::sort(doomed.begin(), doomed.end(), std::greater<int>());
    for (int r : doomed)
        m_table->removeRow(r);
    takeValues();
}

void CZunHoleDialog::showTapDrills()
{
    // With a thread the bore is the tap drill: shown, not typed.
    m_filling = true;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        QTableWidgetItem* diameter = m_table->item(r, kDiameter);
        const QString thread = m_table->item(r, kThread) ? m_table->item(r, kThread)->text().trimmed() : QString();
        double nominal = 0.0, pitch = 0.0;
        const bool threaded = !thread.isEmpty() && ZUN::drillThreadGet(toZun(thread), nominal, pitch);
        if (threaded)
            diameter->setData(Qt::EditRole, nominal - pitch);
        diameter->setFlags(threaded ? diameter->flags() & ~Qt::ItemIsEditable : diameter->flags() | Qt::ItemIsEditable);
        diameter->setForeground(threaded ? palette().brush(QPalette::Disabled, QPalette::Text)
                                         : palette().brush(QPalette::Active, QPalette::Text));
    }
    m_filling = false;
}

void CZunHoleDialog::takeValues()
{
    if (m_filling)
        return;
    CZunDataItem candidate(m_data);
    CZunDataItem* machinings = candidate.mkDir(kMachinings);
    int badRow = -1;
    const bool valid = machinings && zunHoleRowsWrite(rows(), *machinings, &badRow);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(valid);
    m_problem->setText(valid ? QString()
                             : zunHostText(T::kHoleBadRow).arg(badRow + 1).arg(
                                   m_table->item(badRow, kName) ? m_table->item(badRow, kName)->text() : QString()));
    if (!valid)
        return;
    showTapDrills();
    m_data = candidate;
    // The preview: the entity as the module's generator draws it.
    auto gdx = std::make_unique<CZunGDX>();
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> data =
        ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead, nullptr, nullptr, &candidate);
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> options =
        ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, nullptr);
    zun_gdx_image(L"HOLE", gdx.get(), data.get(), options.get());
    m_preview->set_dpList(gdx.get());
    m_gdx = std::move(gdx);
    m_preview->zoomExtents();
    m_preview->update();
}
