#pragma once

#include <QString>

class QWidget;

// Controls by id. Every control of a dialog template carries its integer id
// as the dynamic property "dlgId"; these helpers read it and set or read a
// control's text whatever kind of control it is.
namespace ZUN {

inline constexpr char kDlgIdProperty[] = "dlgId";

// The control id of a widget; 0 when it has none.
int dlgIdOf(const QWidget* widget);
void dlgIdSet(QWidget* widget, int id);

// Sets the text a control shows: a label's or button's text, a group box's
// title, a line edit's or text edit's contents, an editable combo box's
// edit text. False for a control that shows no text of its own (a list, a
// drop-down list, a slider).
bool widgetTextSet(QWidget* widget, const QString& text);
// The text a control shows; empty for one without text.
QString widgetText(const QWidget* widget);

} // namespace ZUN
