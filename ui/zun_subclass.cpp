#include "ui/zun_subclass.h"

#include "ui/zun_dlg.h"
#include "ui/zun_dlg_item.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>

namespace ZUN {

namespace {

// The layout under top that holds widget, searching nested layouts.
QLayout* layoutHolding(QLayout* top, QWidget* widget)
{
    if (!top)
        return nullptr;
    for (int i = 0; i < top->count(); ++i) {
        QLayoutItem* item = top->itemAt(i);
        if (item->widget() == widget)
            return top;
        if (QLayout* found = layoutHolding(item->layout(), widget))
            return found;
    }
    return nullptr;
}

void copyContents(QWidget* from, QWidget* to)
{
    auto* fromCombo = qobject_cast<QComboBox*>(from);
    auto* toCombo = qobject_cast<QComboBox*>(to);
    if (fromCombo && toCombo) {
        for (int i = 0; i < fromCombo->count(); ++i)
            toCombo->addItem(fromCombo->itemIcon(i), fromCombo->itemText(i), fromCombo->itemData(i));
        if (toCombo->isEditable())
            toCombo->setEditText(fromCombo->currentText());
        else
            toCombo->setCurrentIndex(fromCombo->currentIndex());
        return;
    }
    auto* fromEdit = qobject_cast<QLineEdit*>(from);
    auto* toEdit = qobject_cast<QLineEdit*>(to);
    if (fromEdit && toEdit) {
        toEdit->setAlignment(fromEdit->alignment());
        toEdit->setReadOnly(fromEdit->isReadOnly());
        toEdit->setMaxLength(fromEdit->maxLength());
        toEdit->setPlaceholderText(fromEdit->placeholderText());
    }
    widgetTextSet(to, widgetText(from));
}

} // namespace

QWidget* dlgItemFind(QWidget* root, int id)
{
    if (!root)
        return nullptr;
    if (auto* dlg = qobject_cast<CZunDlg*>(root))
        return dlg->GetDlgItem(id);
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (dlgIdOf(w) == id && w->property(kDlgIdProperty).isValid())
            return w;
    }
    return nullptr;
}

bool dlgItemReplace(QWidget* root, int id, QWidget* replacement)
{
    QWidget* old = dlgItemFind(root, id);
    if (!old || !replacement || old == replacement)
        return false;
    QWidget* parent = old->parentWidget();
    replacement->setParent(parent);
    replacement->setObjectName(old->objectName());
    dlgIdSet(replacement, id);
    replacement->setGeometry(old->geometry());
    replacement->setSizePolicy(old->sizePolicy());
    replacement->setMinimumSize(old->minimumSize());
    replacement->setMaximumSize(old->maximumSize());
    replacement->setFont(old->font());
    replacement->setToolTip(old->toolTip());
    replacement->setWhatsThis(old->whatsThis());
    replacement->setEnabled(old->isEnabled());
    replacement->setFocusPolicy(old->focusPolicy());
    copyContents(old, replacement);

    if (QLayout* layout = layoutHolding(parent ? parent->layout() : nullptr, old))
        delete layout->replaceWidget(old, replacement, Qt::FindDirectChildrenOnly);
    // The new control takes the old one's place in the tab order: it goes
    // right after the old one, which then leaves the chain.
    QWidget::setTabOrder(old, replacement);
    const bool hadFocus = old->hasFocus();
    replacement->setVisible(!old->isHidden());
    delete old;
    if (hadFocus)
        replacement->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace ZUN
