#pragma once

// Parametric outlines: plate shapes, profile cross-sections and machinings
// built from an outline key and a short list of parameters, and the default
// catalogue that the outline dialog offers.

#include "contracts/data/zun_data_item.h"

namespace ZUN {

// Keys of the outlines this library builds. The catalogue written by
// zunOutlineInit lists them under the same keys; parameters in the order of
// the catalogue's "PARM1", "PARM2", ... entries. Lengths unless marked.
enum OutlineKey : int {
    kOutlRect = 1,            // width, height
    kOutlCircle = 2,          // diameter
    kOutlSlot = 3,            // overall length, width (length >= width)
    kOutlRoundRect = 4,       // width, height, corner radius (0 allowed)
    kOutlSquare = 5,          // side
    kOutlTriangle = 6,        // base, height, apex offset from the left base corner (signed, default base/2)
    kOutlTrapezoid = 7,       // bottom width, top width, height, offset of the top's middle (signed, default 0)
    kOutlPolygon = 8,         // number of sides (count, 3..1000), circumscribed diameter
    kOutlHexagon = 9,         // width across flats
    kOutlEllipse = 10,        // width, height
    kOutlHalfCircle = 11,     // diameter
    kOutlSector = 12,         // radius, opening angle (radians, below a full turn)
    kOutlChamferRect = 13,    // width, height, chamfer (up to half the smaller side)
    kOutlCross = 14,          // width, height, bar width
    kOutlAngle = 15,          // L: leg height, leg width, thickness
    kOutlChannel = 16,        // U: height, flange width, web thickness, flange thickness
    kOutlTee = 17,            // T: flange width, height, web thickness, flange thickness
    kOutlBeam = 18,           // I: height, flange width, web thickness, flange thickness, root radius (default 0)
    kOutlZed = 19,            // Z: height, flange width (web included), thickness
    kOutlLipped = 20,         // C: height, flange width, lip length, thickness
    kOutlParallelogram = 21,  // base, height, angle between base and side in degrees (0 < a < 180)
    kOutlPipe = 22,           // outer diameter, wall thickness (hole as a second contour)
    kOutlHollowRect = 23,     // width, height, wall thickness, outer corner radius (default 0)
    kOutlKeyhole = 24,        // head diameter, slot width, distance from head centre to slot end centre
};

// Where an outline is placed: the chosen point of it comes to the origin.
// Points 0 to 8 refer to the box around the outer contour, counted
// counter-clockwise from the bottom left corner; 9 is the outline's own
// reference point (the centre for symmetric shapes, the heel of an L, the
// bottom left corner of a triangle or parallelogram, the middle of the
// bottom edge of a trapezoid or half circle, the apex of a sector, the head
// centre of a keyhole).
enum OutlineBasePoint : int {
    kOutlBaseCenter = 0,
    kOutlBaseBottomLeft = 1,
    kOutlBaseBottom = 2,
    kOutlBaseBottomRight = 3,
    kOutlBaseRight = 4,
    kOutlBaseTopRight = 5,
    kOutlBaseTop = 6,
    kOutlBaseTopLeft = 7,
    kOutlBaseLeft = 8,
    kOutlBaseOrigin = 9,
};

// Category bits of the catalogue's "CODE", one per entry of the dialog's filter.
inline constexpr int kOutlCodeBasic = 0x1;      // basic shapes
inline constexpr int kOutlCodeExtended = 0x2;   // profiles and hollow sections
inline constexpr int kOutlCodeSpecial = 0x4;    // special shapes
inline constexpr int kOutlCodeMachining = 0x8;  // cut-outs made by machining

// The contours of an outline: contour 0 the outer boundary, counter-clockwise,
// arcs as bulges; pipes and hollow sections add their hole, clockwise.
// Lengths are given in `unit` and come back in the drawing's unit
// (acadUnitCv; -1 takes them as they are); counts and angles are never
// converted. Unknown keys, an unknown base point, a missing required
// parameter, a length that is zero or negative (where it has no sign) or
// parameters that do not make a shape (an L thicker than its legs) give an
// empty set. Parameters beyond those of the outline are ignored.
CZunContourSet g_outline_contours(int key, int basePoint, const CZunArrayTempl<double>& parms, int unit = -1);
// The same with the reference point (9) at the origin and then moved by
// base, as the outline dialog keeps it; base is in `unit` as well.
CZunContourSet g_outline_contours(int key, const CZunVector3d& base, const CZunArrayTempl<double>& parms,
                                  int unit = -1);
// The outer contour alone (contour 0 of the above).
CZunVertexArray g_outline(int key, int basePoint, const CZunArrayTempl<double>& parms, int unit = -1);
CZunVertexArray g_outline(int key, const CZunVector3d& base, const CZunArrayTempl<double>& parms, int unit = -1);

// An outline described by a part's "GEN" item: "OUTLINE" (integer, the key),
// "PARM" (real array, the parameters), "BASEPT" (integer, base point,
// default 9) and "BASE" (point, a move applied after the base point,
// default none). Lengths in the item are in `unit`.
CZunContourSet g_outline_contours(const CZunDataItem* gen, int unit = -1);
CZunVertexArray g_outline(const CZunDataItem* gen, int unit = -1);

// The keys of every outline this library builds, ascending.
CZunArrayTempl<int> g_outline_keys();
// Number of parameters of an outline, -1 for an unknown key.
int g_outline_parm_count(int key);

// The description of an outline with its values, in a language (empty: the
// current one), as the catalogue's "TXTGEN" asks for: 0 nothing, 1 the name,
// 2 the profile's symbol (the name for shapes without one) and the values
// joined by "x" ("I 200x100x5.6x8.5x12", "Pipe 50x5"), 3 the
// name and each value with its symbol ("Rectangle b=200 h=100"). Angles are
// written in degrees. Empty for an unknown key.
CZunString g_outline_text(int key, const CZunArrayTempl<double>& parms, int txtGen, const CZunString& language);

// Writes the default catalogue into a directory item: one child per outline
// under its integer key, holding "CODE" (category bits), "LABEL" (a
// composite German/English label), "TXTGEN", "PARMS" (parameter count) and
// "PARM1".."PARMn" directories with "LABEL", "MINUSP" (only for signed
// parameters: the name shown for a negative value), "VALID" (1), "TYPE"
// ("L" length, "A" angle, "N" count), "KWORD" (named values, when there are
// any; angles in radians) and "VAL1".."VAL4", the defaults for the ranges
// 1, 10, 100 and 1000 (lengths grow tenfold from range to range, counts and
// angles stay; the parallelogram's angle is in degrees). Children under
// other keys are left alone; an outline's own child is replaced. False when
// dir is null or not a directory.
bool zunOutlineInit(CZunDataItem* dir);

} // namespace ZUN
