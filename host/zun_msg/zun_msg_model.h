#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>

namespace ZUN {
class CZunMsgFile;
}

// The open message texts as a table: the key, then one column per language.
// The model owns the texts; the window and the bus service read them here.
class CZunMsgModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CZunMsgModel(QObject* parent = nullptr);
    ~CZunMsgModel() override;

    // Opens a file and merges it into the table; on failure the table is
    // unchanged and error says file, line and what was wrong.
    bool open(const QString& path, QString* error);
    const ZUN::CZunMsgFile& texts() const { return *m_texts; }
    // The language shown first after the key.
    void setFirstLanguage(const QString& code);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void orderColumns();

    // Behind a pointer: the meta-object compiler reads this header and
    // stumbles over the standard library's concepts that the store pulls in.
    std::unique_ptr<ZUN::CZunMsgFile> m_texts;
    QStringList m_columns;  // language codes after the key column
    QString m_first;
};
