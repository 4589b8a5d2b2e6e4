#pragma once

// Internals of the help service shared with its help window and the tests.

#include "contracts/base/zun_string.h"

#include <QString>
#include <QUrl>

class QHelpEngineCore;

namespace ZUN {

class CZunHelpWindow;

// The two parts of a help spec: the help name and the topic.
struct HelpSpec {
    CZunString name;
    CZunString topic;
};
HelpSpec helpSpecSplit(const wchar_t* spec);

// True for a location that names a web address rather than a help file.
bool helpIsWebAddress(const CZunString& location);
// The web address of location with every "<topic>" replaced by topic.
QUrl helpWebAddress(const CZunString& location, const CZunString& topic);

// The module's help engine: one per process, set up on first use. Its
// collection (the list of registered help files) lives in a private
// temporary folder, so that processes never share or leave one behind.
// Null once setting up failed; the failure is remembered.
QHelpEngineCore* helpEngine();
// Why the engine could not be set up (empty while it works).
QString helpEngineError();
// The help window, made on first use; null when there is no engine.
CZunHelpWindow* helpWindow(bool create);

// Closes the help window and drops the engine and the remembered failure.
// The module calls it when it is unloaded; tests call it between cases.
void helpReset();
// Places the engine's collection in folder instead of a temporary one
// (an empty folder restores the default). Takes effect at the next set-up.
void helpCollectionFolderSet(const QString& folder);

} // namespace ZUN
