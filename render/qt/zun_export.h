#pragma once

#include "gdx/zun_gdx.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QMimeData;
class QPaintDevice;

// Pictures of a whole display list for other documents, all fitted alike:
// the list's view extents into a picture of width x height pixels with a
// margin of 0.05 (the list keeps the fitted view matrix). The metafile is
// drawn by the painter's metafile target. The PNG, SVG and PDF pictures are
// the viewer's drawing on white paper: against white the painter draws
// white as black, as the metafile does, and fills regions as polygons with
// their holes cut out, which stay crisp at any zoom where the metafile's
// fill lines could show seams in smoothing viewers. Every format assumes
// 96 pixels per inch.

// Paints the list with its own matrices on white paper, as the pictures
// below are painted, on a device the caller set up; the drawing area is size
// in device units, or the device's own size when size is empty. False when
// the device could not be opened for painting.
bool zunPaintOnPaper(QPaintDevice& device, const CZunGDX& gdx, QSize size = {});

// With a file name, writes the list as an enhanced metafile there; without
// one (null), puts it on the clipboard (see zunExportMimeData). False for a
// null list, a size below 1, a file that cannot be written or no clipboard.
bool refresh(CZunGDX* gdx, const wchar_t* file, int height, int width);

// The clipboard's contents: the metafile as "image/x-emf", with the PNG
// picture ("image/png") and the SVG drawing ("image/svg+xml") beside it for
// programs that take no metafiles. Null for a null list or a size below 1.
// The caller owns it.
QMimeData* zunExportMimeData(CZunGDX* gdx, int height, int width);

// The picture on white paper, as pixels; null for a null list or a size
// below 1.
QImage zunExportImage(CZunGDX* gdx, int height, int width);

// The picture as an SVG document; empty for a null list or a size below 1.
QByteArray zunExportSvg(CZunGDX* gdx, int height, int width);

// The picture written as an SVG or a one-page PDF file of the picture's
// size; false when nothing could be written.
bool zunExportSvgFile(CZunGDX* gdx, const QString& path, int height, int width);
bool zunExportPdfFile(CZunGDX* gdx, const QString& path, int height, int width);
