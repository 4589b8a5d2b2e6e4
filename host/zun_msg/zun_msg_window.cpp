#include "host/zun_msg/zun_msg_window.h"

#include "host/zun_msg/zun_msg_model.h"

#include "contracts/data/zun_msg_file.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QSplitter>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QString qt(const CZunString& s) { return QString::fromStdWString(s.str()); }
CZunString wide(const QString& s) { return CZunString(s.toStdWString()); }

} // namespace

CZunMsgWindow::CZunMsgWindow(QWidget* parent)
    : QMainWindow(parent), m_model(new CZunMsgModel(this)), m_proxy(new QSortFilterProxyModel(this)),
      m_table(new QTableView), m_filter(new QLineEdit), m_details(new QTextBrowser), m_busNote(new QLabel)
{
    setWindowTitle(QStringLiteral("zun-msg"));
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);  // a key or a text in any language
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);

    m_filter->setPlaceholderText(QStringLiteral("Filter keys and texts"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterFixedString);

    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(0, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] {
                showStatus(selectedKey().isEmpty() ? QString() : QStringLiteral("Selected: ") + selectedKey());
                showDetails();
            });

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(m_table);
    split->addWidget(m_details);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_filter);
    layout->addWidget(split);
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, &CZunMsgWindow::openByDialog);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, qApp, &QApplication::quit);

    statusBar()->addPermanentWidget(m_busNote);
    resize(900, 560);
}

void CZunMsgWindow::openByDialog()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open message file"), QString(),
                                                      QStringLiteral("Message files (*.json);;All files (*)"));
    if (!path.isEmpty())
        openFile(path, true);
}

bool CZunMsgWindow::openFile(const QString& path, bool askedByUser)
{
    const QString selected = selectedKey();
    QString error;
    if (!m_model->open(path, &error)) {
        showStatus(error);
        if (askedByUser)
            QMessageBox::warning(this, QStringLiteral("zun-msg"), error);
        return false;
    }
    fitColumns();
    if (!selected.isEmpty())
        searchKey(selected);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" \u2013 zun-msg"));
    QStringList codes;
    for (const CZunString& code : m_model->texts().languages())
        codes << qt(code);
    showStatus(QStringLiteral("%1: %2 keys in %3")
                   .arg(QFileInfo(path).fileName())
                   .arg(m_model->rowCount())
                   .arg(codes.join(QStringLiteral(", "))));
    return true;
}

bool CZunMsgWindow::searchKey(const QString& key)
{
    long row = m_model->texts().indexOf(wide(key));
    if (row < 0)
        row = m_model->texts().indexOf(wide(key.toUpper()));
    if (row < 0)
        return false;
    QModelIndex index = m_proxy->mapFromSource(m_model->index(static_cast<int>(row), 0));
    if (!index.isValid()) {
        m_filter->clear();
        index = m_proxy->mapFromSource(m_model->index(static_cast<int>(row), 0));
    }
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(index);
    return true;
}

QString CZunMsgWindow::selectedKey() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QString() : rows.front().data().toString();
}

QString CZunMsgWindow::text(const QString& key, const QString& country, bool escaped) const
{
    const ZUN::CZunMsgFile& texts = m_model->texts();
    return qt(escaped ? texts.escapedText(wide(key), wide(country)) : texts.text(wide(key), wide(country)));
}

void CZunMsgWindow::setCountry(const QString& country)
{
    m_country = country.toLower();
    const QString selected = selectedKey();
    m_model->setFirstLanguage(m_country);
    if (!selected.isEmpty())
        searchKey(selected);
}

void CZunMsgWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    fitColumns();  // files opened before the window showed saw no width yet
}

void CZunMsgWindow::fitColumns()
{
    // The key column as wide as its keys, the languages share the rest.
    m_table->resizeColumnToContents(0);
    const int languages = m_model->columnCount() - 1;
    if (languages < 2)
        return;
    const int rest = m_table->viewport()->width() - m_table->columnWidth(0);
    for (int column = 1; column < languages; ++column)
        m_table->setColumnWidth(column, qMax(160, rest / languages));
}

void CZunMsgWindow::showDetails()
{
    const QString key = selectedKey();
    QString html;
    if (!key.isEmpty()) {
        html = QStringLiteral("<b>%1</b>").arg(key.toHtmlEscaped());
        for (const CZunString& code : m_model->texts().languages()) {
            const QString text = qt(m_model->texts().text(wide(key), code));
            if (text.isEmpty())
                continue;
            html += QStringLiteral("<p><b>%1</b><br>%2</p>")
                        .arg(qt(code), text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")));
        }
    }
    m_details->setHtml(html);
}

void CZunMsgWindow::setBusNote(const QString& note) { m_busNote->setText(note); }

void CZunMsgWindow::showStatus(const QString& text) { statusBar()->showMessage(text); }
