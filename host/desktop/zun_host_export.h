#pragma once

#include "gdx/zun_gdx.h"

#include <QSize>
#include <QString>

// Pictures of the shown display list for files and the clipboard. Each
// works on a copy fitted to the size asked for, so the list the viewer
// shows keeps its view and zoom.

// Writes the whole list fitted to size into path, whatever the zoom it is
// shown at, in the format of the file's extension (png, svg, pdf, emf; any
// case); false with the reason in error.
bool zunHostExport(const CZunGDX& list, const QString& path, const QSize& size, QString* error);

// Writes the list as a window of viewSize pixels shows it now (its zoom and
// pan), scaled up to fit size with the window's aspect ratio.
bool zunHostExportShown(const CZunGDX& list, const QSize& viewSize, const QString& path, const QSize& size,
                        QString* error);
// The size zunHostExportShown writes: viewSize scaled to fit size.
QSize zunHostShownExportSize(const QSize& viewSize, const QSize& size);

// The list on the clipboard: an enhanced metafile with PNG and SVG beside
// it; false when there is no clipboard.
bool zunHostCopy(const CZunGDX& list, const QSize& size);
