#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// A search field for a tree: the nodes below the top level (the parts of a
// drawing, the slides, the pictures) stay visible only when every word
// typed is found, letter case aside, in their name or their type (the
// first two columns). Top-level nodes always stay. The filter follows the
// typing after a short pause, so that a tree of thousands of parts is gone
// through once per pause rather than once per key.
class CZunTreeFilter : public QObject {
    Q_OBJECT
public:
    CZunTreeFilter(QTreeWidget* tree, QLineEdit* field, QObject* parent = nullptr);

    // Filters at once by the field's text; for nodes just added as well.
    void apply();
    // Nodes below the top level now shown.
    int shownCount() const { return m_shown; }

    // Whether a node of this name and type passes the words of text.
    static bool matches(const QString& text, const QString& name, const QString& type);

private:
    QTreeWidget* m_tree;
    QLineEdit* m_field;
    QTimer m_pause;
    int m_shown = 0;
};
