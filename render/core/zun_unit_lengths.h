#pragma once

// Lengths that are fixed on paper, in millimetres, and that the drawing
// algorithms need in the drawing's unit. They are worked out in one place:
// the contract entry points (and the painter, once per paint) look up the
// drawing's unit and hand the result to the algorithms, which read no
// global themselves.

#include "contracts/data/zun_units.h"

// A dot of a hatch pattern or a line type is drawn as a tiny dash.
inline constexpr double kDotLengthMm = 0.2;
// The painter dashes a dot of an item's line type a little longer, still
// below the short piece, so that it always lands on one pixel while taking
// its own length in the pattern's period. (Screen pictures and metafiles
// depend on this very value: dash positions follow from it.)
inline constexpr double kLineTypeDotLengthMm = 0.21;
// Pieces of broken lines shorter than this are drawn as a single pixel.
inline constexpr double kShortPieceMm = 0.22;

struct ZunUnitLengths {
    int unit = ZUN::kUnitMillimeter;     // the unit the lengths below are in
    double dot = kDotLengthMm;           // a dot of a pattern line or of a line type
    double lineTypeDot = kLineTypeDotLengthMm;  // a dot of an item's line type as painted
    double shortPiece = kShortPieceMm;   // shorter pieces are painted as a pixel

    // The lengths in unit (a unit 0..20; the drawing unit is resolved).
    static ZunUnitLengths inUnit(int unit)
    {
        const int resolved = unit == ZUN::kUnitDrawing ? ZUN::acad_unit_get() : unit;
        ZunUnitLengths lengths;
        lengths.unit = resolved;
        lengths.dot = ZUN::acadUnitCv(kDotLengthMm, ZUN::kUnitMillimeter, resolved);
        lengths.lineTypeDot = ZUN::acadUnitCv(kLineTypeDotLengthMm, ZUN::kUnitMillimeter, resolved);
        lengths.shortPiece = ZUN::acadUnitCv(kShortPieceMm, ZUN::kUnitMillimeter, resolved);
        return lengths;
    }
    // The lengths in the drawing's unit as set now.
    static ZunUnitLengths ofDrawing() { return inUnit(ZUN::kUnitDrawing); }
};
