// Cutting, intersecting and inside tests bit for bit. These routines are
// sped up now and then (hatching runs them line after line); callers such
// as the painter must not see a single bit change when they are. Each group
// below digests every result over random contours, arcs among them, and
// over pieces made to meet the contours in the awkward ways: starting on an
// edge, through a vertex, along an edge, from a vertex. The digests are held
// against the values the routines gave before they were sped up.

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "tests/common/bits_digest.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <random>
#include <string>

using namespace ZUN;

namespace {

using zun_test::BitsCase;
using Digest = zun_test::BitsDigest;

// A ring of n vertices round (cx, cy), its radius wobbling; every fifth
// vertex an arc when arcs is set.
CZunVertexArray ring(std::mt19937& rng, double cx, double cy, double radius, int n, bool arcs)
{
    std::uniform_real_distribution<double> amp(0.0, 0.2), phase(0.0, 2.0 * kPi), bulge(-0.4, 0.4);
    const double a1 = amp(rng), p1 = phase(rng);
    CZunVertexArray vl =
        zun_test::wobblyRing(cx, cy, radius, n, [&](double a) { return 1.0 + a1 * std::sin(5.0 * a + p1); });
    if (arcs)
        for (int i = 0; i < vl.len(); i += 5)
            vl[i] = CZunVertex(vl[i].start(), vl[i].end(), bulge(rng));
    return vl;
}

// Pieces against contour: random chords, pieces from an edge's point,
// through a vertex, along an edge and from a vertex, and short dashes laid
// along a long line, as a hatch has them.
CZunVertexArray pieces(std::mt19937& rng, const CZunVertexArray& contour, double reach)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> pick(0, contour.len() - 1);
    const auto anywhere = [&]() { return CZunPoint3d((unit(rng) - 0.5) * reach, (unit(rng) - 0.5) * reach); };
    CZunVertexArray out;
    for (int i = 0; i < 40; ++i)
        out.append(anywhere(), anywhere());
    for (int i = 0; i < 20; ++i) {
        const CZunVertex& e = contour.get(pick(rng));
        out.append(e.pointAt(unit(rng)), anywhere());                // from a point of an edge
        out.append(e.start(), anywhere());                           // from a vertex
        out.append(e.start() - (e.end() - e.start()), e.end());     // along an edge, beyond it
        const CZunPoint3d through = e.end();
        const CZunVector3d d = (anywhere() - through) * 0.5;
        out.append(through - d, through + d);                        // through a vertex
    }
    // Dashes 0.8 long with 0.2 gaps along a slanted line across it all,
    // end to end in places.
    const double a = unit(rng) * kPi;
    const CZunVector3d along(std::cos(a), std::sin(a), 0.0);
    const CZunPoint3d from = CZunPoint3d::kOrigin - along * reach;
    for (double s = 0.0; s < 2.0 * reach; s += 1.0) {
        out.append(from + along * s, from + along * (s + 0.8));
        if (static_cast<int>(s) % 7 == 0)
            out.append(from + along * (s + 0.8), from + along * (s + 0.9));
    }
    return out;
}

void punches(Digest& d, unsigned first, bool arcs)
{
    for (unsigned seed = first; seed < first + 8; ++seed) {
        std::mt19937 rng(seed);
        const int n = 5 + static_cast<int>(seed * 37 % 400);
        const CZunVertexArray contour = ring(rng, 0.3, -0.2, 10.0, n, arcs);
        const CZunVertexArray vl = pieces(rng, contour, 30.0);
        for (const bool inside : {true, false}) {
            const CZunArrayTempl<CZunVertexArray> cut = g_vl_punch(vl, contour, inside);
            d.add(cut);
        }
        CZunVertexArray flat;
        std::vector<int> starts;
        g_vl_punch_split(vl, contour, true, flat, starts);
        d.add(flat);
        for (const int s : starts)
            d.add(static_cast<std::uint64_t>(s));
        const CZunArrayTempl<CZunVertexArray> region{contour, ring(rng, 2.0, 1.0, 3.0, 3 + n / 10, arcs)};
        for (const CZunVertexArray& piece : g_vl_punch_reg(vl, region, true))
            d.add(piece);
    }
}

void intersections(Digest& d, unsigned first, bool arcs)
{
    for (unsigned seed = first; seed < first + 8; ++seed) {
        std::mt19937 rng(seed);
        const int n = 5 + static_cast<int>(seed * 53 % 300);
        const CZunVertexArray contour = ring(rng, -0.1, 0.4, 8.0, n, arcs);
        const CZunVertexArray vl = pieces(rng, contour, 24.0);
        for (const int mode : {0, 3}) {
            CZunPoint3dArray points;
            for (const CZunVertex& v : vl)
                contour.intersectWith(CZunVertexArray{v}, mode, points);
            contour.intersectWith(ring(rng, 1.0, 0.0, 7.0, 3 + n / 3, arcs), mode, points);
            d.add(static_cast<std::uint64_t>(points.len()));
            for (const CZunPoint3d& p : points)
                d.add(p);
        }
    }
}

void insideTests(Digest& d, unsigned first, bool arcs)
{
    for (unsigned seed = first; seed < first + 8; ++seed) {
        std::mt19937 rng(seed);
        const int n = 5 + static_cast<int>(seed * 29 % 300);
        const CZunArrayTempl<CZunVertexArray> region{ring(rng, 0.0, 0.0, 9.0, n, arcs),
                                                     ring(rng, 1.0, -1.0, 2.5, 4 + n / 7, arcs)};
        const CZunVertexArray vl = pieces(rng, region.get(0), 24.0);
        for (const CZunVertex& v : vl) {
            for (const CZunPoint3d& p : {v.start(), v.end(), v.mid()}) {
                d.add(static_cast<std::uint64_t>(g_vll_pt_inside(region, p) + 1));
                ++d.points;
            }
        }
    }
}

class PolylineBits : public ::testing::TestWithParam<BitsCase> {};

TEST_P(PolylineBits, SameAsRecorded)
{
    const BitsCase& c = GetParam();
    Digest d;
    c.group(d);
    EXPECT_GT(d.points, 500) << c.name;  // a group that found next to nothing guards nothing
    EXPECT_EQ(zun_test::digestHex(d.value), zun_test::digestHex(c.recorded)) << c.name;
}

const BitsCase kCases[] = {
    {"punch", [](Digest& d) { punches(d, 1, false); }, 0xb33f5c008ab2ef1dull},
    {"punch_arcs", [](Digest& d) { punches(d, 11, true); }, 0x7e8f976259772dbcull},
    {"intersect", [](Digest& d) { intersections(d, 21, false); }, 0x9193e9e8c7067d2aull},
    {"intersect_arcs", [](Digest& d) { intersections(d, 31, true); }, 0x1dae057dca5c5d73ull},
    {"inside", [](Digest& d) { insideTests(d, 41, false); }, 0x92eb687c485a4c06ull},
    {"inside_arcs", [](Digest& d) { insideTests(d, 51, true); }, 0x76aec6af412d3185ull},
};

INSTANTIATE_TEST_SUITE_P(Groups, PolylineBits, ::testing::ValuesIn(kCases), zun_test::BitsCaseName);

} // namespace
