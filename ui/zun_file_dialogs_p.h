#pragma once

// Internals of the folder, file and drag services shared with the tests.

#include "contracts/base/zun_string.h"

#include <Qt>

#include <functional>

class QDrag;
class QMimeData;

namespace ZUN {

// The folder dlgFolder starts in for path: backslashes become "/", a
// trailing separator goes unless a drive colon stands before it, and a
// bare drive ("C:") gets one.
CZunString folderStartPath(const CZunString& path);

// The data of a file drag: a "text/uri-list" holding the file's absolute
// path. The caller owns it.
QMimeData* fileDragData(const CZunString& file);

// Runs a prepared drag and gives the action the drop target chose
// (Qt::IgnoreAction when there was no drop). The default runs QDrag::exec;
// tests put in one that looks at the drag instead. A null runner restores
// the default; the previous runner is returned.
using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions effects)>;
DragRunner dragRunnerSet(DragRunner runner);

} // namespace ZUN
