#pragma once

// Process-wide registry of display lists under integer keys, for callers in
// other modules that hold keys rather than display lists.

#include "gdx/zun_gdx.h"

class CZunDataItem;

// Smallest key >= 1 not in use. Not reserved: a second call without a store
// in between returns the same key.
int gdxMapKeyNew();
// Stores a copy of gdx under key, replacing an existing entry in place so that
// pointers to it stay valid.
void gdxMapSetAt(int key, CZunGDX& gdx);
// The stored display list, or null. The pointer stays valid until its own key
// is removed; other keys coming and going do not move it.
CZunGDX* getGdxFromMap(int key);
bool gdxMapRemoveAt(int key);
// Creates and registers a display list from its description in the data tree
// ("PDSIZE", "PDMODE", "EXTVIEW", "MTX", "COLOR", "RGB", "TBL") and the colour
// configuration; returns its key, or -1. A null or non-directory item gives a
// display list from the configuration alone.
int createGdxInMap(CZunDataItem* item);
