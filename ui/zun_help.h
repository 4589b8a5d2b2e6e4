#pragma once

#include "contracts/base/zun_string.h"
#include "ui/zun_hwnd.h"

// Help for the module's dialogs and the add-on's commands. A help location
// is either a web address, opened in the desktop's browser, or a help file
// (.qch, Qt Help), shown in the module's help window.
namespace ZUN {

// Opens help for a spec "name\topic" (the help name, a backslash, the
// topic); a spec without two parts uses the help name "Zun" and takes the
// whole spec as the topic. The help name is looked up with help_find. True
// when the help was shown; false when the name has no help file or web
// address, or when it could not be opened.
bool help(const wchar_t* spec);

// Opens the help at location for topic:
//  - a location starting with "http" (any case) is a web address: every
//    "<topic>" in it becomes the topic and the address goes to the
//    desktop's browser;
//  - anything else is a help file: the help window shows its start page and
//    then the page of the topic's keyword (the start page stays when no
//    keyword matches).
// The owner places the help window near it; it may be null. False when
// nothing could be opened: an empty location, a file that is not a help
// file, a browser that refused the address, or a help engine that could not
// be started (that failure is remembered: later calls return at once).
bool helpOpen(QWidget* owner, const CZunString& location, const CZunString& topic);

} // namespace ZUN
