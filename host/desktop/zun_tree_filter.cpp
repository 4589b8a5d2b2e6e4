#include "host/desktop/zun_tree_filter.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

constexpr int kPauseMs = 150;

} // namespace

CZunTreeFilter::CZunTreeFilter(QTreeWidget* tree, QLineEdit* field, QObject* parent)
    : QObject(parent), m_tree(tree), m_field(field)
{
    m_field->setClearButtonEnabled(true);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &CZunTreeFilter::apply);
    connect(m_field, &QLineEdit::textChanged, &m_pause, qOverload<>(&QTimer::start));
}

bool CZunTreeFilter::matches(const QString& text, const QString& name, const QString& type)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words)
        if (!name.contains(word, Qt::CaseInsensitive) && !type.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

void CZunTreeFilter::apply()
{
    m_pause.stop();
    const QString text = m_field->text();
    // Hiding rows one by one makes the view lay itself out for each; with
    // its updates held back it does so once.
    m_tree->setUpdatesEnabled(false);
    m_shown = 0;
    for (int t = 0; t < m_tree->topLevelItemCount(); ++t) {
        QTreeWidgetItem* top = m_tree->topLevelItem(t);
        for (int i = 0; i < top->childCount(); ++i) {
            QTreeWidgetItem* node = top->child(i);
            const bool show = matches(text, node->text(0), node->text(1));
            if (node->isHidden() == show)
                node->setHidden(!show);
            m_shown += show;
        }
    }
    m_tree->setUpdatesEnabled(true);
}
