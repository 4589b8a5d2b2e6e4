#pragma once

#include "contracts/data/zun_data_item.h"

// The built-in outline font and the conversion of data-tree text objects to
// filled regions.
//
// A glyph is a list of regions, each a list of closed straight contours:
// contour 0 the outer boundary, the others its holes. Font units: baseline
// y = 0, cap height y = 1; descenders reach about y = -0.34 and marks about
// y = 1.05. Every glyph starts at the same x (the left edge of "!"), so that
// text laid out with a fixed gap after each glyph's width is evenly spaced.

// A copy of the glyph of c (callers may transform it freely), or an empty
// list when c has none. The font covers 108 characters: printable ASCII
// without the space, and ± ² ³ º ¼ ½ ¾ Ä Ö Ü ä ö ü ß.
CZunRegionList get_ascii_from_map(wchar_t c);

// Asks the running application's function "zun_text_to_regl" for the placed
// glyph regions of the text object txt at height; regl is emptied first.
// True when at least one region came back; false, with regl empty, when the
// function fails, answers with something other than a list, or returns no
// regions.
bool zun_text_to_regl(const CZunDataItem* txt, CZunRegionList& regl, double height);
