#pragma once

// Profiled sheets: trapezoidal and corrugated sheets, flat sheets, sheets
// from explicit profile points, and compound (sandwich) panels made of
// layers. The keys of a sheet item are described in docs/parts-sheet-bar.md.
//
// Every function lays the profile along the working item's "VL" (the first
// point to the last: x along that line, y to its left) and then applies the
// working item's "MTX" when it has one. The profile's segments start on a
// rib axis, so segment boundaries fall on the rib axes at 0, SEG, 2 SEG, ...

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_dta.h"

namespace ZUN {

// Configuration directory whose children are sheet items; a user's
// configuration can add profiles there or replace shipped ones.
inline constexpr const wchar_t* kFsheetCfgDir = L"*FSHEET*";
// The shipped profile catalogue, found on the data path.
inline constexpr const wchar_t* kFsheetCatalogue = L"data/fsheets.json";
// The most segments a sheet is drawn with: 76 m of the finest shipped
// profile, far beyond any sheet that is built. A longer sheet is refused,
// as is one whose segments together hold more than kFsheetMaxVertices
// vertices (a profile of many points).
inline constexpr int kFsheetMaxSegments = 1000;
inline constexpr int kFsheetMaxVertices = 100000;
// The most times a panel layer's parametric region (a gasket cord, a
// strip) repeats along the panel: each repeat is cut out of the panel's
// filling, which costs as much as the filling has vertices. Panels hold a
// few inserts per metre.
inline constexpr int kFsheetMaxRepeats = 100;

// The item a data address names. Each component of stack is a key or a
// path; together they form one path, looked up below item, then below each
// of its parents (nearest first), then in the configuration directory
// kFsheetCfgDir and last in the shipped catalogue. Null when the address is
// empty or names nothing.
CZunDataItem* fsheet_get(const CZunDataItem* item, const CZunArrayTempl<CZunString>& stack);
// The same for the item's own "STACK".
CZunDataItem* fsheet_get(const CZunDataItem* item);

// The identifier of the sheet variant a part uses, under which a panel's
// "THICK" table lists the layer thicknesses: the part's "SID" text, else
// its thickness "S" written as a number ("0.75"), else empty.
CZunString fsheet_sid(CDtaFilePointer* dta);
CZunString fsheet_sid(const CZunDataItem* item);

// The cross-section of the sheet that item's "STACK" names, over the length
// of item's "VL" (one segment when it has none), with sharp bends: one
// closed counter-clockwise contour of the sheet's thickness (item's "S"
// when above 0, else the sheet's "S"). surface1 receives the coating line
// of the upper face, surface2 that of the lower face, each at the sheet's
// "COAT_GAP" (default: the thickness) outside the face. False, with empty
// results, when the sheet is missing or is not a single sheet, and when its
// length needs more than kFsheetMaxSegments segments or kFsheetMaxVertices
// vertices (error, when given, then says how many).
bool fsheet_vll_fnc(const CZunDataItem* item, CZunContourSet& contours, CZunVertexArray& surface1,
                    CZunVertexArray& surface2, CZunString* error = nullptr);
// The same with the bends rounded by the sheet's "FILLET_P" (inner bend
// radii by profile point; without it bends are sharp inside and rounded
// by the thickness outside).
bool fsheet_vll_fillet(const CZunDataItem* item, CZunContourSet& contours, CZunVertexArray& surface1,
                       CZunVertexArray& surface2, CZunString* error = nullptr);

// The region that the "REGION" of the layer item (named by item's "STACK")
// describes: given contours, or a parametric strip or round cord repeated
// along the length. False when the layer has no usable "REGION", and when
// the region would repeat more than kFsheetMaxRepeats times (error, when
// given, then says how often).
bool fsheet_vll_region(const CZunDataItem* item, CZunContourSet& contours, CZunString* error = nullptr);

// The filling between two sheets: the area from the upper face of the
// bottom sheet (bot, a closed sheet contour) to the lower face of the top
// sheet (top), closed at both ends, less the given regions (gaskets and
// other inserts). The first contour is the filling's outline, further ones
// are its holes or its other pieces; all are oriented with the filling on
// their left. False when either sheet contour is empty or the top sheet
// does not lie above the bottom one.
bool fsheet_vll_outline(const CZunVertexArray& top, const CZunVertexArray& bot, const CZunRegionList& regions,
                        CZunContourSet& contours);

// One rib axis of the profile: the line across the first contour, normal to
// the profile's run, through its first point, standing out beyond the
// sheet by a tenth of the profile height plus the thickness s (so it stays
// visible on a flat sheet). Copies every SEG mark the other ribs. False
// when there is no contour.
bool fsheet_axis_vl(const CZunContourSet& contours, double s, CZunVertexArray& axis);

} // namespace ZUN
