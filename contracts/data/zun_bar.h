#pragma once

// Bars: profile members of a construction group. Their cross-sections come
// from stored regions, from raw contours or from a referenced profile
// ("XREF"); the keys are described in docs/parts-sheet-bar.md.

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_dta.h"

namespace ZUN {

// Configuration directory whose children are bar profiles that an "XREF"
// can name by its "STACK".
inline constexpr const wchar_t* kBarCfgDir = L"*BAR*";

// The cross-section regions of the profile the handle's root describes (a
// bar's "XREF" item), transformed by the profile's own "MTX" and then by
// mtx. The first of these that gives regions is taken:
//  - "STACK": the data address of another profile item (looked up below
//    the root and its parents, then in kBarCfgDir), read by these rules;
//  - "REGL": stored regions;
//  - "OUTLINE" with "PARM" (and "BASEPT", "BASE"): an outline of the
//    outline library, read as g_outline_contours reads a part's "GEN";
//  - "VL": closed contours, grouped with g_vll_regions (mode 5).
// "COAT_T" above 0 adds, after each region, the coating around its outer
// contour as a region of its own. regl is replaced; false when it is empty.
bool bar_regl(CDtaFilePointer* dta, const CZunMatrix3d& mtx, CZunRegionList& regl);

// The keys, inside the group, of the bars attached to bar bt of group grp,
// read from the part's root item: first the bar's "SUBS" (texts, in their
// order), then every other bar of the group whose "ON" names bt (key
// order); each key once, bt itself never. subs is replaced; returns the
// count.
int bar_bt_subs(const CZunDataItem* root, const CZunString& grp, const CZunString& bt,
                CZunArrayTempl<CZunDataKey>& subs);

// Closed contours from raw ones: each polyline is split into its continuous
// pieces, pieces that meet end to end (within 1e-6, either way round) are
// joined, a chain that stays open is closed by a straight line, and loops
// without area are dropped.
CZunContourSet g_vll_regions_prepare(const CZunContourSet& contours);

// Regions (outer contour first, then its holes) from closed contours, by
// how deep each lies inside the others. mode bit 4: nesting by depth, even
// depths are outer contours, each odd-depth contour a hole of the contour
// that directly holds it, so an island in a hole is a region of its own;
// without bit 4 every contour that no other holds is an outer contour and
// all contours inside it follow it (drawn by the even-odd rule they give
// the same picture). mode bit 1: outer contours are turned
// counter-clockwise and holes clockwise; otherwise each keeps its direction.
// Regions follow the order of their outer contours in the input.
CZunRegionList g_vll_regions(const CZunContourSet& contours, int mode);

} // namespace ZUN
