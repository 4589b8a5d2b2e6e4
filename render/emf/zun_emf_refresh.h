#pragma once

#include "gdx/zun_gdx.h"
#include "render/paint/zun_painter.h"

#include <cstdint>
#include <vector>

// Pictures of a whole display list for documents: fitted to the list's view
// extents and drawn for paper (the painter's metafile target).

// Fits the list to dc's size and draws it there for paper: sorted, clipped
// to the picture, no background. bitmaps supplies picture items (none drawn
// without it).
void zunPaintForExport(CZunGDX& gdx, CDC& dc, const CZunPainter::BitmapSource& bitmaps = {});

// The list as an enhanced metafile of width x height pixels; empty for a
// null list or a size below 1.
std::vector<std::uint8_t> zunEmfRefreshBytes(CZunGDX* gdx, int height, int width,
                                             const CZunPainter::BitmapSource& bitmaps = {});

// The same written to file; false for a null list or file name, a size below
// 1, or a file that cannot be written.
bool zunEmfRefreshFile(CZunGDX* gdx, const wchar_t* file, int height, int width,
                       const CZunPainter::BitmapSource& bitmaps = {});
