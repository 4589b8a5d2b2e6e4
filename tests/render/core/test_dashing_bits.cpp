// The painter's dashing bit for bit. It runs for every dashed line of every
// paint and is sped up now and then; the pieces it gives decide pixels, so
// each group below digests every result over random polylines (straight,
// with arcs, with jumps, with pieces shorter than a period) and line types
// (dashes, gaps, dots, leading gaps), and holds it against the value the
// dashing gave before it was last sped up.

#include "render/core/zun_dashing.h"
#include "tests/common/bits_digest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <random>

namespace {

struct DashGroup {
    const char* name;
    unsigned seed;
    bool arcs;
    bool jumps;
    int mode;
    std::uint64_t digest;  // 0: print it (to set it)
    friend void PrintTo(const DashGroup& g, std::ostream* os) { *os << g.name; }
};

CZunArrayTempl<double> randomLineType(std::mt19937& rng)
{
    std::uniform_real_distribution<double> len(0.05, 12.0);
    std::uniform_int_distribution<int> entries(2, 6), kind(0, 5);
    CZunArrayTempl<double> lt;
    const int n = entries(rng);
    for (int j = 0; j < n; ++j) {
        const int k = kind(rng);
        lt.append(k == 0 ? 0.0 : (k % 2 == 0 ? -len(rng) : len(rng)));
    }
    return lt;
}

CZunVertexArray randomPolyline(std::mt19937& rng, const DashGroup& g)
{
    std::uniform_real_distribution<double> pos(-500.0, 500.0), step(-60.0, 60.0), bulge(-1.2, 1.2), z(-3.0, 3.0);
    std::uniform_int_distribution<int> count(1, 6), roll(0, 9);
    CZunVertexArray vl;
    CZunPoint3d at(pos(rng), pos(rng), roll(rng) == 0 ? z(rng) : 0.0);
    const int n = count(rng);
    for (int k = 0; k < n; ++k) {
        if (g.jumps && roll(rng) < 2)
            at = CZunPoint3d(at.x + step(rng), at.y + step(rng), at.z);
        const double scale = roll(rng) < 3 ? 0.05 : 1.0;  // some shorter than a period
        const CZunPoint3d next(at.x + step(rng) * scale, at.y + step(rng) * scale, at.z);
        vl.append(at, next, g.arcs && roll(rng) < 4 ? bulge(rng) : 0.0);
        at = next;
    }
    return vl;
}

class DashingBits : public ::testing::TestWithParam<DashGroup> {};

TEST_P(DashingBits, DigestStaysTheSame)
{
    const DashGroup& g = GetParam();
    std::mt19937 rng(g.seed);
    CZunDashWork work;
    zun_test::BitsDigest digest;
    int dashed = 0;
    for (int i = 0; i < 3000; ++i) {
        CZunVertexArray vl = randomPolyline(rng, g);
        const CZunArrayTempl<double> lt = randomLineType(rng);
        std::uniform_real_distribution<double> dot(0.1, 0.3);
        dashed += zun_gdx_image_vl_measure(vl, lt, g.mode, dot(rng), work) ? 1 : 0;
        digest.add(vl);
    }
    EXPECT_EQ(dashed, 3000);
    EXPECT_GT(digest.points, 2 * 20000);  // two ends a piece
    if (g.digest == 0)
        std::printf("%s: %s\n", g.name, zun_test::digestHex(digest.value).c_str());
    EXPECT_EQ(digest.value, g.digest);
}

INSTANTIATE_TEST_SUITE_P(Groups, DashingBits,
                         ::testing::Values(DashGroup{"StraightByVertex", 21, false, false, 1, 0x85342f7511e2c919ull},
                                           DashGroup{"StraightWithJumpsByVertex", 22, false, true, 1, 0xd9536bf0ea7ec8efull},
                                           DashGroup{"ArcsByVertex", 23, true, true, 1, 0x330e17bec1c190cdull},
                                           DashGroup{"StraightRunningOn", 24, false, true, 0, 0xf121ee81e1145470ull},
                                           DashGroup{"ArcsRunningOn", 25, true, false, 0, 0x7c037f6c8ace7fe7ull}),
                         [](const ::testing::TestParamInfo<DashGroup>& info) { return info.param.name; });

} // namespace
