#pragma once

#include <QListWidget>
#include <QTreeWidget>

class CZunDlg;

// A tree that speaks its dialog's language: texts by message key through
// the dialog that holds it.
class CZunTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CZunTreeCtrl(QWidget* parent = nullptr);

    // The language of the dialog that holds the tree; null outside a dialog.
    virtual const wchar_t* country() const;
    // The text of key through the dialog that holds the tree; def outside
    // a dialog.
    virtual const wchar_t* GetMsg(const wchar_t* key, const wchar_t* def = nullptr,
                                  const wchar_t* country = nullptr) const;
};

// A list box with no behaviour of its own: keys and clicks as the list
// widget has them.
class CZunListBox : public QListWidget {
    Q_OBJECT

public:
    explicit CZunListBox(QWidget* parent = nullptr) : QListWidget(parent) {}
};

namespace ZUN {

// The dialog a control sits in (through frames and group boxes), or null.
CZunDlg* ctrlDlg(const QWidget* control);

} // namespace ZUN
