#include "render/core/zun_dashing.h"

#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/base/zun_polyline_dash.h"
#include "render/core/zun_unit_lengths.h"

#include <algorithm>
#include <cmath>

namespace {

// Arcs up to this length get the fine deviation: small arcs are drillings
// and fillets, where a coarse polygon is seen as one.
constexpr double kShortArc = 4.0;
constexpr double kFineDeviation = 0.01;
constexpr double kCoarseDeviation = 0.05;
// Arcs inside a dashed line: the dashes hide the chords, so coarser will do.
constexpr double kDashArcDeviation = 0.1;
// A dash shorter than this cannot be halved visibly, so a line type is not
// turned to start with it.
constexpr double kMinHalvedDash = 0.21;
constexpr double kMaxReserve = 1 << 18;

void appendFlattened(CZunVertexArray& out, const CZunVertexArray& vl)
{
    // Arcs are split in their own plane, so that a contour lying in a wall
    // face is flattened as finely as one lying in the floor plan.
    ZUN::g_vl_expl_append(
        vl,
        [](const CZunVertex& flat) {
            const double deviation = flat.bulgLen() < kShortArc ? kFineDeviation : kCoarseDeviation;
            return ZUN::g_vx_split_dif(flat, deviation);
        },
        out);
}

// Turns the line type so that it opens with a dash followed by a gap, then
// splits that dash between the start and the end. A type without such a
// pair comes back as it was (turned once all the way round).
void startWithHalfDash(CZunArrayTempl<double>& lineType)
{
    const int n = lineType.len();
    for (int i = 0; i < n; ++i) {
        // After i turns the entries i and i + 1 of the given type are the
        // first two; the pair that wraps round the end does not count.
        if (lineType[0] > kMinHalvedDash && i + 1 < n && lineType[1] < 0.0) {
            lineType[0] *= 0.5;
            lineType.append(lineType[0]);
            return;
        }
        std::rotate(lineType.begin(), lineType.begin() + 1, lineType.end());
    }
}

void appendPieces(CZunVertexArray& out, const CZunArrayTempl<CZunVertexArray>& pieces)
{
    for (const CZunVertexArray& piece : pieces)
        out.append(piece);
}

} // namespace

// Memory running out on a huge polyline ends in the empty result.
CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_split(const CZunArrayTempl<CZunVertexArray>& contours)
{
    try {
        CZunArrayTempl<CZunVertexArray> result;
        result.setLen(contours.len());
        for (int i = 0; i < contours.len(); ++i)
            appendFlattened(result[i], contours[i]);
        return result;
    } catch (...) {
        return {};
    }
}

CZunVertexArray zun_gdx_image_vl_split(const CZunVertexArray& vl)
{
    try {
        CZunVertexArray result;
        appendFlattened(result, vl);
        return result;
    } catch (...) {
        return {};
    }
}

void zun_gdx_image_vl_split(const CZunVertexArray& vl, CZunVertexArray& out)
{
    out.clear();
    try {
        appendFlattened(out, vl);
    } catch (...) {
        out.clear();
    }
}

bool zun_gdx_image_vl_measure(CZunVertexArray& vl, CZunArrayTempl<double> lineType, int mode)
{
    // Dashed into a copy, so that memory running out on a huge polyline
    // leaves the caller's polyline as it was.
    try {
        CZunDashWork work;
        CZunVertexArray dashed = vl;
        if (!zun_gdx_image_vl_measure(dashed, lineType, mode, ZunUnitLengths::ofDrawing().dot, work))
            return false;
        vl = std::move(dashed);
        return true;
    } catch (...) {
        return false;
    }
}

bool zun_gdx_image_vl_measure(CZunVertexArray& vl, const CZunArrayTempl<double>& givenType, int mode,
                              double dotLength, CZunDashWork& work)
{
    if (givenType.len() < 2)
        return false;
    CZunArrayTempl<double>& lineType = work.lineType;
    lineType = givenType;
    if (mode == 1)
        startWithHalfDash(lineType);

    // A dot takes 1 in the period whatever it is drawn with: the period only
    // decides how many repetitions a vertex gets.
    const double dot = dotLength;
    double period = 0.0;
    int gaps = 0, dashes = 0;
    for (double& entry : lineType) {
        if (entry == 0.0) {
            entry = dot;
            period += 1.0;
        } else {
            period += std::abs(entry);
        }
        if (entry < 0.0)
            ++gaps;
        else
            ++dashes;
    }

    // Dashes are cut in xy. Arcs standing in another plane become chords in
    // their own plane first: read as xy arcs they would leave their place.
    if (vl.hasArc() && vl.arcPlane().axis(2) != CZunVector3d::kZAxis) {
        work.source.clear();
        appendFlattened(work.source, vl);
        vl = work.source;
    }

    // The polyline is read from its own buffer while it receives the dashes;
    // the two buffers change roles, so neither is allocated again.
    std::swap(work.source, vl);
    vl.clear();
    // Every arc left is an arc of the floor plan: a dash holding a lone arc
    // must stay in it, whatever plane its ends alone would leave open.
    vl.setArcNormal(CZunVector3d::kZAxis);
    const CZunVertexArray& source = work.source;
    if (mode == 0) {
        const ZUN::CZunLineParm parm(lineType);
        for (const CZunVertexArray& piece : ZUN::g_vl_to_vll(source))
            appendPieces(vl, ZUN::g_vl_measure(ZUN::g_vx_xy(piece), 1.0, parm));
        return true;
    }

    // Every vertex is dashed on its own, so continuous pieces need not be
    // told apart here. The result is sized once: grown dash by dash, a long
    // polyline would be copied a dozen times on every paint. Beyond the cap
    // (16 MB) a misjudged estimate would cost more than growing does. Short
    // lines skip the estimate: the buffers they swap keep what earlier lines
    // grew them to, and most of a drawing's lines are a few vertices long.
    constexpr int kEstimateFrom = 16;
    if (period > 0.0 && source.len() >= kEstimateFrom) {
        double expected = 0.0;
        for (const CZunVertex& v : source)
            expected += std::trunc(v.bulgLen() / period) * dashes + 2.0;
        vl.reserve(static_cast<int>(std::min(expected, kMaxReserve)));
    }
    CZunArrayTempl<double>& stretched = work.stretched;
    CZunVertexArray& single = work.single;
    for (const CZunVertex& vertex : source) {
        const CZunVertex v = ZUN::g_vx_xy(vertex);
        const CZunArrayTempl<double>* use = &lineType;
        if (period > 0.0) {
            const double length = v.bulgLen();
            if (length - period <= 0.0) {
                vl.append(v);
                continue;
            }
            const double repeats = std::trunc(length / period);
            // Whatever does not fill a whole repetition goes into the gaps,
            // so that the vertex ends with the dash it began with.
            const double rest = gaps > 0 ? (length - repeats * period) / (gaps * repeats) : 0.0;
            std::vector<double>& entries = stretched.vector();
            entries.resize(static_cast<size_t>(lineType.len()));
            for (int j = 0; j < lineType.len(); ++j) {
                const double entry = lineType[j];
                entries[static_cast<size_t>(j)] = entry < 0.0 ? entry - std::abs(rest) : entry;
            }
            if (!v.isArc()) {
                // The length is known: the dashing need not work it out again.
                ZUN::g_vx_measure_append(v, length, stretched, vl, work.measure);
                continue;
            }
            use = &stretched;
        }
        if (v.isArc()) {
            single = ZUN::g_vl_expl(v, ZUN::g_vx_split_dif(v, kDashArcDeviation));
        } else {
            single.clear();
            single.append(v);
        }
        ZUN::g_vl_measure_append(single, 1.0, *use, vl, work.measure);
    }
    return true;
}
