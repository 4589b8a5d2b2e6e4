#pragma once

#include "contracts/base/zun_string.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_cdc.h"

// The bitmap of a picture item. With a file name: when the data folders'
// search finds it and the found name ends in ".ico" or ".bmp" (in any case),
// the file of the name as given, loaded at width x height. Without one: the system icon of that id (32512
// application, 32513 error, 32514 question, 32515 warning, 32516
// information), else the module's icon of that id (icons/<id>.png in the
// data folders). An icon is laid onto the background colour (0x00BBGGRR)
// through its transparency, and flag is then set to false. A null bitmap
// when nothing could be loaded.
ZunBitmap zun_gdx_image_get_bitmap(const CZunString& file, int id, int width, int height, bool& flag,
                                   unsigned long background);

// The painter's picture source backed by zun_gdx_image_get_bitmap.
CZunPainter::BitmapSource zunPictureBitmaps();
