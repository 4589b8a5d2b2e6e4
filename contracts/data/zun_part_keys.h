#pragma once

#include "contracts/data/zun_drawing.h"

#include <vector>

// The keys each part type reads, with the kind of value it reads them as
// (docs/data-files.md, "Keys of the part types"). A key that is missing
// takes its default without a word; a key that holds a value of another
// kind also takes its default, as every read is forgiving, but the user is
// told: a typing slip in a drawing should not pass for a design decision.

namespace ZUN {

struct CPartKeyWarning {
    CZunString file;      // the drawing file
    CZunString handle;    // the part
    CZunString partName;  // its display name, may be empty
    CZunString key;       // the key's path below the part's data, "SN\#1\THICK"
    CZunString expected;  // what its part type reads there, "a number"
    // "file: part HANDLE (name): key KEY is not EXPECTED; drawn with its default"
    CZunString toString() const;
};

// The warnings for one part, in the order of the part type's keys.
std::vector<CPartKeyWarning> partKeyWarnings(const CZunPart& part, const CZunString& file);
// The warnings for every part of a drawing, part after part.
std::vector<CPartKeyWarning> drawingKeyWarnings(const CZunDrawing& drawing);

} // namespace ZUN
