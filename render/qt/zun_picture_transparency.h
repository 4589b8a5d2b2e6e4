#pragma once

#include "render/paint/zun_cdc.h"

#include <QImage>

// Pictures drawn with their background colour left out, for icons and
// small pictures laid over a drawing or a dialog's background.
//
// The background is guessed from five sample pixels: the four corners and
// the centre. Colours are compared as 0x00BBGGRR values, the form pens and
// brushes take; that is also the form of the result.

// The colour most of the five samples share; among colours shared by equally
// many samples the smallest colour value. An empty bitmap gives 0.
unsigned long zun_gdx_picture_bkcolor_get(const ZunBitmap& bitmap);
unsigned long zun_gdx_picture_bkcolor_get(const QImage& image);

// Draws the bitmap into dc with its top-left corner at (x, y), leaving out
// every pixel of its guessed background colour, so that the target shows
// through there. The fourth and fifth arguments are not used; they keep the
// call shape callers already have. A null dc or an empty bitmap draws nothing.
void zun_gdx_picture_transparent(CDC* dc, int x, int y, int, int, const ZunBitmap& bitmap);
void zun_gdx_picture_transparent(CDC* dc, int x, int y, int, int, const QImage& image);
