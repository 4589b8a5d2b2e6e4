#pragma once

#include "gdx/zun_gdx.h"

#include <QSize>
#include <QString>

// Pictures of the shown display list for files and the clipboard. Each
// works on a copy fitted to the size asked for, so the list the viewer
// shows keeps its view and zoom.

// Writes the list fitted to size into path, in the format of the file's
// extension (png, svg, pdf, emf; any case); false with the reason in error.
bool zunHostExport(const CZunGDX& list, const QString& path, const QSize& size, QString* error);

// The list on the clipboard: an enhanced metafile with PNG and SVG beside
// it; false when there is no clipboard.
bool zunHostCopy(const CZunGDX& list, const QSize& size);
