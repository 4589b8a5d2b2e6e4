#pragma once

// Drillings: a bore with an optional countersink or counterbore and an
// optional metric thread, described by a part's "GEN" item (see
// docs/parts.md for its keys), its derived values, its solid model and its
// drawing seen from above.

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_solid.h"

namespace ZUN {

// A drilling with everything derived, lengths in the part's unit, angles in
// radians. Zero stands for "none" (no countersink, no thread, a through
// hole, an unknown plate thickness).
struct DrillData {
    double diam = 0.0;        // bored diameter; the tap drill size with a thread
    double depth = 0.0;       // depth of the full diameter from the top face; 0 through
    double thick = 0.0;       // thickness of the plate
    double sinkD = 0.0;       // countersink diameter at the top face
    double sinkAngle = 0.0;   // countersink's included angle
    double sinkT = 0.0;       // countersink depth
    double cboreD = 0.0;      // counterbore diameter
    double cboreT = 0.0;      // counterbore depth
    CZunString thread;        // designation as given ("M10", "M10x1.25")
    double threadD = 0.0;     // nominal diameter
    double pitch = 0.0;
    double coreD = 0.0;       // minor diameter of the internal thread
    double threadT = 0.0;     // thread length from the top face; 0 when unknown
    double tipAngle = 0.0;    // drill point's included angle (blind holes)
    double tipT = 0.0;        // height of the drill point below the depth
    double len = 0.0;         // length of the bore: the plate for a through hole, else the depth; 0 unknown
    double outD = 0.0;        // largest diameter seen from above

    bool through() const { return depth <= 0.0; }
};

// Nominal diameter and pitch of a metric thread: "M10" takes the coarse
// pitch of ISO 261, "M10x1.25" (also "x" as "×", a comma for the point, any
// case) the pitch given. False for anything else or a coarse size that the
// series does not have.
bool drillThreadGet(const CZunString& designation, double& nominal, double& pitch);

// Reads a drilling's design keys and derives the rest. False when the
// drilling cannot be made: no diameter, an unknown thread, a countersink or
// counterbore no wider than the bore or as deep as the hole, both of them,
// a blind hole reaching the plate's far face, a thread longer than the
// bore, negative sizes, angles outside (0, 180°).
bool drillRead(const CZunDataItem* gen, DrillData& data);

// objGen flags.
inline constexpr int kObjGenCheck = 1;  // only check; write nothing

// Regenerates a drilling's derived keys in its "GEN" item from the design
// keys: with "THREAD" the keys "THREAD_D", "PITCH", "CORE_D" and "DIAM"
// (the tap drill); "SINK_T" from "SINK_D" (or "SINK_D" from "SINK_T" when
// only the depth is given); "TIP_T" for blind holes; "LEN" when the bore's
// length is known; "OUT_D". Derived keys that no longer apply (a thread's
// after the thread is gone) are removed. False, with nothing changed, when
// the drilling cannot be made (drillRead) or gen is null.
bool objGen(CZunDataItem* gen, int flag);

// The solid of a drilling part: its "GEN" item (or the part item itself
// when it has none) read as by drillRead. With a plate thickness, a plate
// block with the hole cut into it, the drilling's axis along z through the
// origin and the top face at z = 0; the block is "PLATE_W" by "PLATE_L"
// (default three times the largest diameter). Without a thickness, a blind
// drilling is modelled as the body it removes; a through hole then has no
// length and gives false. The definition is set; call solid() to make it.
bool objModel(const CZunDataItem* part, CZun_Solid& solid);

// The drilling seen from above, about its axis: full circles from the
// largest (countersink or counterbore) to the bore, then for a thread the
// nominal diameter as an open three-quarter circle (the gap in the first
// quadrant), as threads are drawn. False, with circles emptied, when the
// drilling cannot be made.
bool drillImageTop(const CZunDataItem* gen, CZunContourSet& circles);

} // namespace ZUN
