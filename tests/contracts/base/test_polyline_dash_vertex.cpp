// Dashing one straight vertex with its length given must give, bit for bit,
// what dashing the polyline of that vertex alone gives: callers that dash
// vertex by vertex take the short way, and their pictures must not change.

#include "contracts/base/zun_polyline.h"
#include "contracts/base/zun_polyline_dash.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

using namespace ZUN;

namespace {

struct VertexCase {
    const char* name;
    unsigned seed;
    double minLength, maxLength;  // of the vertices
    double minDash, maxDash;      // of the pattern entries
    bool dots;
    friend void PrintTo(const VertexCase& c, std::ostream* os) { *os << c.name; }
};

bool sameBits(const CZunVertexArray& a, const CZunVertexArray& b)
{
    if (a.len() != b.len())
        return false;
    const auto same = [](double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); };
    for (int i = 0; i < a.len(); ++i) {
        const CZunVertex& u = a.get(i);
        const CZunVertex& v = b.get(i);
        if (!same(u.start().x, v.start().x) || !same(u.start().y, v.start().y) || !same(u.start().z, v.start().z)
            || !same(u.end().x, v.end().x) || !same(u.end().y, v.end().y) || !same(u.end().z, v.end().z)
            || !same(u.bulge(), v.bulge()))
            return false;
    }
    return true;
}

class DashOneVertex : public ::testing::TestWithParam<VertexCase> {};

TEST_P(DashOneVertex, GivesWhatThePolylineOfItAloneGives)
{
    const VertexCase& c = GetParam();
    std::mt19937 rng(c.seed);
    std::uniform_real_distribution<double> length(c.minLength, c.maxLength), angle(0.0, 6.283), pos(-1e3, 1e3),
        dash(c.minDash, c.maxDash), z(-2.0, 2.0);
    std::uniform_int_distribution<int> entries(1, 6), roll(0, 4);
    CZunMeasureWork work;
    CZunVertexArray ours, theirs;
    long long pieces = 0;
    for (int i = 0; i < 5000; ++i) {
        const double l = length(rng), a = angle(rng);
        const CZunPoint3d from(pos(rng), pos(rng), roll(rng) == 0 ? z(rng) : 0.0);
        const CZunVertex v(from, CZunPoint3d(from.x + l * std::cos(a), from.y + l * std::sin(a), from.z));
        CZunArrayTempl<double> dashes;
        const int n = entries(rng);
        for (int j = 0; j < n; ++j)
            dashes.append(c.dots && roll(rng) == 0 ? 0.0 : (j % 2 == 0 ? dash(rng) : -dash(rng)));
        ours.clear();
        theirs.clear();
        ours.append(CZunVertex({1, 2}, {3, 4}));  // both append to what is there
        theirs.append(CZunVertex({1, 2}, {3, 4}));
        g_vx_measure_append(v, v.bulgLen(), dashes, ours, work);
        g_vl_measure_append(CZunVertexArray{v}, 1.0, dashes, theirs, work);
        ASSERT_TRUE(sameBits(ours, theirs)) << "vertex " << i;
        pieces += ours.len();
    }
    EXPECT_GT(pieces, 5000 * 2);
}

INSTANTIATE_TEST_SUITE_P(Random, DashOneVertex,
                         ::testing::Values(VertexCase{"ManyDashes", 31, 5.0, 200.0, 0.5, 5.0, false},
                                           VertexCase{"DotsAndDashes", 32, 1.0, 80.0, 0.2, 6.0, true},
                                           VertexCase{"ShorterThanAPeriod", 33, 0.01, 3.0, 1.0, 4.0, true},
                                           VertexCase{"Long", 34, 1e3, 5e3, 10.0, 40.0, false}),
                         [](const ::testing::TestParamInfo<VertexCase>& info) { return info.param.name; });

} // namespace
