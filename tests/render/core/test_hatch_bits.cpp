// The hatch lines bit for bit. Hatch generation is made faster from time to
// time; the painter's pictures must not move by a pixel when it is, so every
// vertex the generator hands out is digested here over groups of regions
// and patterns, and each group's digest is held against the one recorded
// from the generator as it stood. A digest that changes means changed
// lines: look at why before recording a new value.

#include "render/core/zun_hatching.h"

#include "contracts/base/zun_math.h"
#include "contracts/data/zun_hatch.h"
#include "contracts/data/zun_units.h"
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

using Contours = CZunArrayTempl<CZunVertexArray>;

const ZunUnitLengths kMillimetres = ZunUnitLengths::inUnit(kUnitMillimeter);

using zun_test::BitsCase;
using Digest = zun_test::BitsDigest;

CZunVertexArray ring(std::mt19937& rng, double cx, double cy, double radius, int n)
{
    std::uniform_real_distribution<double> amp(0.0, 0.15), phase(0.0, 2.0 * kPi);
    std::uniform_int_distribution<int> harmonic(2, 17);
    const double a1 = amp(rng), a2 = amp(rng), p1 = phase(rng), p2 = phase(rng);
    const int h1 = harmonic(rng), h2 = harmonic(rng);
    return zun_test::wobblyRing(cx, cy, radius, n, [&](double a) {
        return 1.0 + a1 * std::sin(h1 * a + p1) + a2 * std::cos(h2 * a + p2);
    });
}

CZunVertexArray box(double x, double y, double w, double h)
{
    return CZunVertexArray::fromPoints({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true);
}

CPatternLine randomLine(std::mt19937& rng, bool dashed, bool dots)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto within = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    CPatternLine line;
    line.angle = within(-180.0, 180.0);
    line.originX = within(-2.0, 2.0);
    line.originY = within(-2.0, 2.0);
    line.shift = within(-1.0, 1.0);
    line.spacing = within(0.3, 1.5) * (unit(rng) < 0.2 ? -1.0 : 1.0);
    if (dashed) {
        const int entries = 2 + static_cast<int>(within(0.0, 4.0));
        for (int e = 0; e < entries; ++e)
            line.dashes.push_back(e % 2 == 0 ? (dots && unit(rng) < 0.4 ? 0.0 : within(0.1, 2.0))
                                             : -within(0.1, 0.8));
    }
    return line;
}

// A group of hatches, all digested into one value.
using Group = std::function<void(Digest&)>;

void hatchInto(Digest& d, const Contours& region, const CHatchProp& hatch, const CPatternLines& definition,
               const CZunMatrix3d& mtx = CZunMatrix3d())
{
    d.add(zun_hatch_region(region, mtx, hatch, definition, kMillimetres));
}

// Wobbly rings with holes under plain and dashed random patterns, some
// turned, some through a turning or mirroring matrix.
void randomRegions(Digest& d, unsigned first, bool dashed, bool holes)
{
    for (unsigned seed = first; seed < first + 12; ++seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const double radius = 6.0 + 6.0 * unit(rng);
        Contours region{ring(rng, 3.0 * unit(rng), -3.0 * unit(rng), radius, 12 + static_cast<int>(300 * unit(rng)))};
        if (holes) {
            region.append(ring(rng, -0.4 * radius, 0.1 * radius, 0.2 * radius, 7 + static_cast<int>(50 * unit(rng))));
            region.append(ring(rng, 0.4 * radius, -0.2 * radius, 0.25 * radius, 5 + static_cast<int>(40 * unit(rng))));
        }
        CPatternLines definition{randomLine(rng, dashed, seed % 3 == 0)};
        if (unit(rng) < 0.5)
            definition.push_back(randomLine(rng, dashed, false));
        const double angle = unit(rng) < 0.3 ? 0.0 : (unit(rng) - 0.5) * 2.0 * kPi;
        const double scale = 0.5 + unit(rng);
        hatchInto(d, region, CHatchProp(L"RANDOM", angle, scale, false), definition);
        const CZunMatrix3d turn = CZunMatrix3d().setToRotation(0.7, CZunVector3d::kZAxis, {1.0, 2.0, 0.0});
        hatchInto(d, region, CHatchProp(L"RANDOM", angle, scale * 1.3, false), definition, turn);
        const CZunMatrix3d mirror = CZunMatrix3d().setToScaling(CZunVector3d(-1.0, 1.0, 1.0));
        hatchInto(d, region, CHatchProp(L"RANDOM", -angle, scale * 0.8, false), definition, mirror);
    }
}

// Boxes with a box hole as a drawing's sheets have them, at pixel scale,
// under patterns like the shipped ones, straight and turned.
void boxes(Digest& d)
{
    CPatternLine diagonal;
    diagonal.angle = 45.0;
    diagonal.spacing = 3.175;
    CPatternLine across = diagonal;
    across.angle = 135.0;
    CPatternLine brickRows;
    brickRows.spacing = 6.35;
    CPatternLine brickJoints;
    brickJoints.angle = 90.0;
    brickJoints.shift = 6.35;
    brickJoints.spacing = 6.35;
    brickJoints.dashes = {6.35, -6.35};
    CPatternLine dashDot = diagonal;
    dashDot.originX = 0.0;
    dashDot.shift = 5.55625;
    dashDot.dashes = {7.9375, -1.5875, 0.0, -1.5875};
    const CPatternLines patterns[] = {{diagonal}, {diagonal, across}, {brickRows, brickJoints}, {dashDot}};
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> pos(0.0, 1.0);
    for (int i = 0; i < 40; ++i) {
        const double x = pos(rng) * 1800.0, y = pos(rng) * 980.0;
        const Contours region{box(x, y, 110, 90), box(x + 40, y + 30, 30, 25)};
        hatchInto(d, region, CHatchProp(L"BOX", i % 3 == 0 ? 0.3 : 0.0, 2.0, false), patterns[i % 4]);
    }
}

// The user hatch single and double, and a region with arcs.
void userAndArcs(Digest& d)
{
    CZunVertexArray round;
    round.append({0, 0}, {10, 0}, 1.0);
    round.append({10, 0}, {0, 0}, 1.0);
    CZunVertexArray slot;
    slot.append({2, -2}, {8, -2}, 0.0);
    slot.append({8, -2}, {8, 2}, 0.6);
    slot.append({8, 2}, {2, 2}, 0.0);
    slot.append({2, 2}, {2, -2}, 0.6);
    for (double angle : {0.0, 0.3, 1.2, -2.0}) {
        hatchInto(d, {round}, CHatchProp(L"_USER", angle, 0.7, false), {});
        hatchInto(d, {slot, round}, CHatchProp(L"_U", angle, 0.45, true), {});
    }
    CPatternLine dashed;
    dashed.angle = 30.0;
    dashed.spacing = 0.8;
    dashed.dashes = {1.0, -0.3, 0.0, -0.3};
    hatchInto(d, {round, slot}, CHatchProp(L"ARCS", 0.2, 1.0, false), {dashed});
}

// The regions of the hatch benchmark: a 900-vertex ring with two holes,
// dashed with dots, straight and turned.
void benchmarkRegion(Digest& d)
{
    std::mt19937 rng(7);
    const Contours region{ring(rng, 0.0, 0.0, 50.0, 900), ring(rng, -18.0, 5.0, 10.0, 50),
                          ring(rng, 20.0, -10.0, 12.0, 50)};
    CPatternLine line;
    line.angle = 45.0;
    line.shift = 5.55625;
    line.spacing = 3.175;
    line.dashes = {7.9375, -1.5875, 0.0, -1.5875};
    for (double angle : {0.0, 0.4, -1.1})
        hatchInto(d, region, CHatchProp(L"ANSI36", angle, 0.105, false), {line});
}

class HatchBits : public ::testing::TestWithParam<BitsCase> {};

TEST_P(HatchBits, SameAsRecorded)
{
    const BitsCase& c = GetParam();
    Digest d;
    c.group(d);
    // A group that hatched next to nothing guards nothing: 100 vertices.
    EXPECT_GT(d.points, 200) << c.name;
    EXPECT_EQ(zun_test::digestHex(d.value), zun_test::digestHex(c.recorded)) << c.name;
}

const BitsCase kCases[] = {
    {"plain", [](Digest& d) { randomRegions(d, 1, false, false); }, 0x6bbcde92f28e6627ull},
    {"plain_holes", [](Digest& d) { randomRegions(d, 101, false, true); }, 0x846af3157db590a2ull},
    {"dashed", [](Digest& d) { randomRegions(d, 201, true, false); }, 0x9dcbd0b8aa4b5151ull},
    {"dashed_holes", [](Digest& d) { randomRegions(d, 301, true, true); }, 0x8ea9abb21f7f8e74ull},
    {"boxes", boxes, 0x600a86c171ff290cull},
    {"user_and_arcs", userAndArcs, 0x005381de865d987bull},
    {"benchmark_region", benchmarkRegion, 0x7aed2012021da65eull},
};

INSTANTIATE_TEST_SUITE_P(Groups, HatchBits, ::testing::ValuesIn(kCases), zun_test::BitsCaseName);

} // namespace
