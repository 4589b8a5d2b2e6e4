#pragma once

#include "contracts/data/zun_data_item.h"

#include <string>

// Data trees as JSON files. The typed form (see docs/data-files.md):
//  - a directory is a JSON object; member names are text keys, "#5" a short
//    integer key, "#L5" a long one, "#X:NAME" a text-like (5020) key; a text
//    key that starts with '#' or '$' is written with one more '#' in front;
//  - text, long integers, reals and booleans are JSON strings, integers,
//    numbers with a fraction or exponent, and true/false; null is an item
//    without a value;
//  - every other value is an object with a "$" member naming its kind:
//    {"$": "short", "v": 3}, {"$": "point", "v": [x, y, z]},
//    {"$": "vl", "pts": [[x, y, z, bulge], ...], "closed": true}
//    (or "segs": [[x1, y1, z1, x2, y2, z2, bulge], ...] for a polyline in
//    pieces), "ints", "reals", "texts", "points", "matrix" (four rows of
//    four), "color" ({"index", "rgb" as "#RRGGBB", "book", "name"}),
//    "contours" (a list of vl objects) and "regions" (a list of such lists).

namespace ZUN {

// Objects and arrays nest at most this deep in any JSON file the library
// reads (data trees, drawings, configuration, materials, message
// catalogues). Real files stay below 20 levels; the readers and writers
// recurse once per level, so a deeper file is refused with its position
// instead of running the stack out.
inline constexpr int kJsonMaxNesting = 256;

struct CDataFileError {
    CZunString file;
    int line = 0;    // 1-based; 0 when the file could not be read at all
    int column = 0;  // 1-based, in characters
    CZunString message;
    // "file:line:column: message", or "file: message" without a position.
    CZunString toString() const;
};

// Parses text into root. On failure root is unchanged and error says where
// and what was expected.
bool dataFromJson(const std::string& utf8, const CZunString& sourceName, CZunDataItem& root,
                  CDataFileError* error = nullptr);
// The typed JSON text of a tree.
std::string dataToJson(const CZunDataItem& root, int indent = 1);

bool dataFileLoad(const CZunString& path, CZunDataItem& root, CDataFileError* error = nullptr);
// Writes through a temporary file and a rename, so that a failed save never
// leaves a half-written file behind.
bool dataFileSave(const CZunString& path, const CZunDataItem& root, CZunString* error = nullptr);

// Whole-file helpers shared by the file formats of this library.
bool readTextFile(const CZunString& path, std::string& utf8, CZunString* error);
bool writeTextFileAtomic(const CZunString& path, const std::string& utf8, CZunString* error);

} // namespace ZUN
