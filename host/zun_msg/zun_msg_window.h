#pragma once

#include <QMainWindow>

class CZunMsgModel;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;
class QTextBrowser;

// zun-msg's window: a filter field over the table of keys and their texts
// in every language; the selected row is the selected key.
class CZunMsgWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit CZunMsgWindow(QWidget* parent = nullptr);

    // Opens and merges a file; a failure is shown in the status bar (and, when
    // the user asked through the menu, in a message box) and changes nothing.
    bool openFile(const QString& path, bool askedByUser = false);
    // Selects the row of key, clearing a filter that hides it.
    bool searchKey(const QString& key);
    QString selectedKey() const;
    QString text(const QString& key, const QString& country, bool escaped) const;
    QString country() const { return m_country; }
    void setCountry(const QString& country);
    // A permanent note in the status bar (the bus state).
    void setBusNote(const QString& note);

    CZunMsgModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    QLineEdit* filterField() const { return m_filter; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void openByDialog();
    void showStatus(const QString& text);
    // The selected key's texts in full, line breaks and all, below the table.
    void showDetails();
    void fitColumns();

    CZunMsgModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QTableView* m_table;
    QLineEdit* m_filter;
    QTextBrowser* m_details;
    QLabel* m_busNote;
    QString m_country = QStringLiteral("de");
};
