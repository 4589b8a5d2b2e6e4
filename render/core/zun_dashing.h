#pragma once

// Arc flattening and dashing by line type: what the painter needs before it
// hands polylines to a device that knows only straight lines. The functions
// without a work area throw nothing: memory that runs out on a huge
// polyline gives the failure result (false, an empty list) and leaves the
// caller's polyline as it was.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/base/zun_vertex.h"

// The contours with every arc replaced by straight vertices; contour i of
// the result stands for contour i of the input. Arcs shorter than 4 drawing
// units are split finer (deviation 0.01) than longer ones (0.05): on small
// parts a coarse chord is visible at any zoom that shows them.
CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_split(const CZunArrayTempl<CZunVertexArray>& contours);
// The same for one polyline.
CZunVertexArray zun_gdx_image_vl_split(const CZunVertexArray& vl);
// The same into out, which is emptied first and must not be vl.
void zun_gdx_image_vl_split(const CZunVertexArray& vl, CZunVertexArray& out);

// Replaces vl by its dashes under lineType (positive dash, negative gap,
// 0 dot). Mode 0 runs the pattern on along each continuous piece. Any other
// mode restarts it on every vertex and stretches the gaps so that a whole
// number of repetitions fills the vertex, after turning the line type so
// that it starts and ends with half of the same dash: corners then always
// show a dash. A vertex shorter than one repetition stays solid. The result
// is in the xy plane. A line type of fewer than two entries is no pattern:
// false, and vl is left as it was.
bool zun_gdx_image_vl_measure(CZunVertexArray& vl, CZunArrayTempl<double> lineType, int mode);

// Working memory of the dashing, for callers that dash line after line (the
// painter): with it, lines of the sizes seen before allocate nothing.
struct CZunDashWork {
    CZunArrayTempl<double> lineType;
    CZunArrayTempl<double> stretched;
    CZunVertexArray source;
    CZunVertexArray single;
    ZUN::CZunMeasureWork measure;
};
// The same dashing, working in work, with a dot (0 in the line type) drawn
// dotLength long instead of the drawing unit's dot, which the form above
// looks up.
bool zun_gdx_image_vl_measure(CZunVertexArray& vl, const CZunArrayTempl<double>& lineType, int mode,
                              double dotLength, CZunDashWork& work);

// Whether the piece's ends lie less than length apart: the answer of
// comparing their distance, with the square root taken only where the
// squares lie too close to tell (a margin far above their rounding). The
// painter asks this of every piece of a dashed line, to draw the ones too
// short to see as a dot.
inline bool zun_piece_shorter_than(const CZunVertex& v, double length)
{
    if (length > 1e-100 && length < 1e100) {
        const CZunVector3d d = v.end() - v.start();
        const double squared = d.x * d.x + d.y * d.y + d.z * d.z;
        const double limit = length * length;
        if (squared > limit * (1.0 + 1e-9))
            return false;
        if (squared < limit * (1.0 - 1e-9))
            return true;
    }
    return v.start().distanceTo(v.end()) < length;
}
