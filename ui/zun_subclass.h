#pragma once

#include <QWidget>

// Controls of our own in dialogs built from templates.
//
// A template names a control class of ours directly when its .ui file
// promotes the Qt control (a QLineEdit promoted to CZunEdit, header
// ui/zun_edit.h). A template that holds the plain Qt control can still get
// ours: subclassDlgItem puts a new control of the class in the place of the
// template's, keeping what the dialog knows of it.
namespace ZUN {

// Puts replacement where the control with that id is (found as
// CZunDlg::GetDlgItem finds it when root is a dialog, else among root's
// descendants): same parent, place in its layout, geometry, id, object
// name, tab order, size policy, enabled and visible state, tool tip, font
// and text (a combo box's items and edit text too). The old control is
// deleted. False, and nothing changed, when no control has the id.
bool dlgItemReplace(QWidget* root, int id, QWidget* replacement);

// The control with that id under root (see dlgItemReplace); null if none.
QWidget* dlgItemFind(QWidget* root, int id);

// The control with that id as a W: the control itself when the template
// already made it one (promoted), else a new W put in its place. Null when
// no control has the id. The dialog owns the control, as it owned the
// template's.
template <class W>
W* subclassDlgItem(QWidget* root, int id)
{
    QWidget* existing = dlgItemFind(root, id);
    if (!existing)
        return nullptr;
    if (W* ours = qobject_cast<W*>(existing))
        return ours;
    W* made = new W;
    if (!dlgItemReplace(root, id, made)) {
        delete made;
        return nullptr;
    }
    return made;
}

} // namespace ZUN
