#pragma once

#include "contracts/base/zun_string.h"

class QWidget;

// Help for the module's callers and dialogs. A help location is either a
// web address, opened in the desktop's browser with every "<topic>"
// replaced by the topic, or a help file (.qch), opened in the module's help
// window at the topic, after which the topic is looked up as a keyword.
namespace ZUN {

// Opens help by spec: "topic" (help name "Zun") or "name\\topic"; the
// location comes from help_find. False when nothing was found.
bool help(const wchar_t* spec);

// Opens help at location for topic, owned by owner (may be null). False
// when nothing could be opened.
bool helpOpen(QWidget* owner, const CZunString& location, const CZunString& topic);

} // namespace ZUN
