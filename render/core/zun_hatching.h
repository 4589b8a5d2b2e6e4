#pragma once

// Hatching of regions by pattern definitions and the test whether a pattern
// is fine enough to be worth drawing. A region is a contour set: contour 0
// the outer boundary, further contours holes.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_string.h"
#include "contracts/base/zun_vertex.h"
#include "contracts/data/zun_hatch.h"
#include "render/core/zun_unit_lengths.h"

#include <vector>

// The contract functions below throw nothing: memory that runs out on a
// huge region gives their failure result (false, an empty list).

// Reverses every closed contour that does not run counter-clockwise about
// axis; open contours stay as they are.
void zun_gdx_reg_orient(CZunArrayTempl<CZunVertexArray>& contours, const CZunVector3d& axis);

// True when the hatch is coarse enough to draw at the scale of mtx: its
// finest spacing maps to more than 2.3 device units and fewer than 95
// spacings span the region. A pattern the application does not know passes.
bool zun_gdx_pattern_test(CZunArrayTempl<CZunVertexArray> contours, const ZUN::CHatchProp& hatch,
                          const CZunMatrix3d& mtx);

// The hatch lines of the region, one vertex array per line holding that
// line's drawn pieces, in the space of mtx (mtx maps pattern space, where
// the definition's lengths and origins hold, to the contours' space).
// "_USER" and "_U" are plain lines 1 x scale apart, with the double flag
// crossed by a second set that comes first. Lines come pattern line by
// pattern line, each set from its lowest line upward.
//
// The construction lines reach about 15 region diagonals from the pattern
// origin, so the region must lie within that reach of it; callers with a
// region far from the origin pass an mtx that moves the origin near it.
CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_hatch2(CZunArrayTempl<CZunVertexArray> contours,
                                                         const CZunMatrix3d& mtx, const ZUN::CHatchProp& hatch);

// Plain parallel lines spacing apart at angle (radians) clipped to the
// region, or for "DOTS" a grid of dots spacing apart; in the space of mtx.
CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_hatch(CZunArrayTempl<CZunVertexArray> contours,
                                                        const CZunMatrix3d& mtx, const CZunString& name,
                                                        double spacing, double angle);

// The same with the inputs given, which the functions above look up: the
// pattern definition of hatch.name(), its lines read once into their named
// form (ZUN::patternLinesOf; a "_USER" or "_U" hatch needs none and
// ignores it), and the lengths in the drawing's unit. Callers that hatch
// region after region, such as the painter, look them up once and pass
// them; tests pass definitions of their own.
bool zun_hatch_pattern_test(CZunArrayTempl<CZunVertexArray> contours, const ZUN::CHatchProp& hatch,
                            const ZUN::CPatternLines& definition, const CZunMatrix3d& mtx);
CZunArrayTempl<CZunVertexArray> zun_hatch_region(CZunArrayTempl<CZunVertexArray> contours, const CZunMatrix3d& mtx,
                                                 const ZUN::CHatchProp& hatch, const ZUN::CPatternLines& definition,
                                                 const ZunUnitLengths& lengths);
// The lines of zun_hatch_region laid end to end, for callers that hatch
// region after region and want no array per line: line i is the vertices
// from starts[i] to starts[i + 1]; starts ends with the vertex count.
struct ZunHatchLines {
    CZunVertexArray vertices;
    std::vector<int> starts;
    int count() const { return starts.empty() ? 0 : static_cast<int>(starts.size()) - 1; }
    void clear()
    {
        vertices.clear();
        starts.clear();
    }
};
// zun_hatch_region into out, the same lines with the same vertices bit for
// bit (their arc normals aside, which straight lines do not use). Reusing
// out from region to region allocates nothing once it has grown.
void zun_hatch_region_lines(CZunArrayTempl<CZunVertexArray> contours, const CZunMatrix3d& mtx,
                            const ZUN::CHatchProp& hatch, const ZUN::CPatternLines& definition,
                            const ZunUnitLengths& lengths, ZunHatchLines& out);
// True for the plain user hatch ("_USER", "_U"), which has no definition.
bool zun_hatch_is_user(const ZUN::CHatchProp& hatch);
