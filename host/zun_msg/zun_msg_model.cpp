#include "host/zun_msg/zun_msg_model.h"

#include "contracts/data/zun_msg_file.h"

namespace {

QString qt(const CZunString& s) { return QString::fromStdWString(s.str()); }
CZunString wide(const QString& s) { return CZunString(s.toStdWString()); }

} // namespace

CZunMsgModel::CZunMsgModel(QObject* parent) : QAbstractTableModel(parent), m_texts(std::make_unique<ZUN::CZunMsgFile>()) {}

CZunMsgModel::~CZunMsgModel() = default;

bool CZunMsgModel::open(const QString& path, QString* error)
{
    // Read aside first: a file that fails leaves the table, its selection and
    // its scroll position exactly as they were.
    ZUN::CZunMsgFile incoming;
    ZUN::CDataFileError fault;
    if (!incoming.open(wide(path), &fault)) {
        if (error)
            *error = qt(fault.toString());
        return false;
    }
    beginResetModel();
    m_texts->merge(std::move(incoming));
    orderColumns();
    endResetModel();
    return true;
}

void CZunMsgModel::setFirstLanguage(const QString& code)
{
    beginResetModel();
    m_first = code.toLower();
    orderColumns();
    endResetModel();
}

void CZunMsgModel::orderColumns()
{
    m_columns.clear();
    for (const CZunString& code : m_texts->languages())
        m_columns << qt(code);
    if (m_columns.removeOne(m_first))
        m_columns.prepend(m_first);
}

int CZunMsgModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_texts->keyCount());
}

int CZunMsgModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(m_columns.size());
}

QVariant CZunMsgModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CZunString& key = m_texts->keyAt(static_cast<size_t>(index.row()));
    if (index.column() == 0)
        return role == Qt::DisplayRole || role == Qt::ToolTipRole ? QVariant(qt(key)) : QVariant();
    const QString text = qt(m_texts->text(key, wide(m_columns.at(index.column() - 1))));
    switch (role) {
    case Qt::DisplayRole: {
        // One line per row: breaks show as a return sign, the tool tip has them.
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QStringLiteral(" \u21B5 ")).replace(u'\n', QStringLiteral(" \u21B5 "));
        return shown;
    }
    case Qt::ToolTipRole: return text.isEmpty() ? QVariant() : QVariant(text);
    case Qt::UserRole: return text;
    default: return {};
    }
}

QVariant CZunMsgModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("Key");
    if (section - 1 >= m_columns.size())
        return {};
    return m_columns.at(section - 1);
}
