#include "recording_dc.h"

#include "render/core/zun_dashing.h"
#include "render/core/zun_unit_lengths.h"
#include "render/paint/zun_painter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

// The painter maps line pieces onto the device with its own short cuts
// (only x and y of each end, straight into the device). Over random
// polylines, line types and item matrices, every line and dot it hands to
// the device must be the one the plain path gives: dash the line, split
// its arcs, map each piece end by the full matrix product and truncate.

namespace {

struct LineCase {
    const char* name;
    unsigned seed;
    bool arcs;          // some vertices are arcs
    bool tilted;        // item matrices with z terms and turns
    bool jumps;         // polylines with gaps between their vertices
    int lineTypes;      // how many of {solid, dashed, dash-dot} to draw with
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

int truncated(double v)
{
    return static_cast<int>(v);
}

CZunMatrix3d randomMatrix(std::mt19937& rng, bool tilted)
{
    std::uniform_real_distribution<double> unit(-1.0, 1.0), scale(0.3, 3.0), shift(-50.0, 250.0);
    CZunMatrix3d m;
    const double s = scale(rng);
    m.setToScaling(s);
    CZunMatrix3d turn;
    turn.setToRotation(unit(rng) * 3.1);
    m = turn * m;
    if (tilted) {
        m.m[0][2] = unit(rng) * 0.7;
        m.m[1][2] = unit(rng) * 0.7;
        m.m[2][0] = unit(rng) * 0.2;
    }
    m.m[0][3] = shift(rng);
    m.m[1][3] = shift(rng);
    return m;
}

CZunVertexArray randomLine(std::mt19937& rng, const LineCase& c)
{
    std::uniform_real_distribution<double> pos(0.0, 200.0), step(-40.0, 40.0), height(-5.0, 5.0), bulge(-0.8, 0.8);
    std::uniform_int_distribution<int> pieces(1, 5), roll(0, 9);
    CZunVertexArray vl;
    CZunPoint3d at(pos(rng), pos(rng), c.tilted ? height(rng) : 0.0);
    const int n = pieces(rng);
    for (int k = 0; k < n; ++k) {
        if (c.jumps && roll(rng) < 3)
            at = CZunPoint3d(at.x + step(rng) * 0.01, at.y + step(rng), at.z);  // a jump, sometimes tiny
        CZunPoint3d next(at.x + step(rng), at.y + step(rng), c.tilted ? height(rng) : 0.0);
        if (roll(rng) == 0)
            next = CZunPoint3d(at.x + step(rng) * 0.001, at.y, at.z);  // a piece too short to see
        vl.append(at, next, c.arcs && roll(rng) < 4 ? bulge(rng) : 0.0);
        at = next;
    }
    return vl;
}

struct Expected {
    std::vector<RecordedCall> calls;
    void line(const CZunPoint3d& a, const CZunPoint3d& b, ZunRgb color)
    {
        calls.push_back({"line", {truncated(a.x), truncated(a.y), truncated(b.x), truncated(b.y)}, color});
    }
    void pixel(const CZunPoint3d& p, ZunRgb color) { calls.push_back({"pixel", {truncated(p.x), truncated(p.y)}, color}); }
};

// The plain path for one polyline with the prepared line type lt, mapped by m.
void expectLine(const CZunVertexArray& line, const CZunArrayTempl<double>& lt, const CZunMatrix3d& m, ZunRgb color,
                Expected& out)
{
    const ZunUnitLengths lengths = ZunUnitLengths::ofDrawing();
    CZunVertexArray dashed = line;
    CZunDashWork work;
    zun_gdx_image_vl_measure(dashed, lt, 1, lengths.dot, work);
    CZunVertexArray flat;
    zun_gdx_image_vl_split(dashed, flat);
    const bool continuous = dashed.isContinuous();
    for (const CZunVertex& v : flat) {
        if (!continuous && v.start().distanceTo(v.end()) < lengths.shortPiece)
            out.pixel(m * v.start(), color);
        else
            out.line(m * v.start(), m * v.end(), color);
    }
}

class PainterLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(PainterLines, PiecesAreMappedAsByTheFullMatrix)
{
    const LineCase& c = GetParam();
    std::mt19937 rng(c.seed);
    // Stored line types the painter takes as given (times the scale).
    const CZunArrayTempl<double> types[] = {{1.0}, {6.0, -2.5}, {7.0, -2.0, 0.4, -2.0}};
    CZunColor white;
    white.setColorIndex(7);
    CZunGDX gdx(white, CZunMatrix3d(), 0.0, 0, {}, {});
    Expected expected;
    int lines = 0;
    for (int i = 0; i < 300; ++i) {
        const CZunVertexArray vl = randomLine(rng, c);
        const CZunMatrix3d mtx = randomMatrix(rng, c.tilted);
        const int type = i % c.lineTypes;
        const double scale = 0.5 + (i % 4) * 0.25;
        gdx.imageVl({i}, 0, vl, CZunColor(1 + i % 6), mtx, types[type], scale, 0, {});
        CZunArrayTempl<double> lt;
        if (type > 0)
            for (double d : types[type])
                lt.append(d * scale);
        const ZunRgb color = CZunColor(1 + i % 6).oleColor();
        if (type == 0 && !vl.hasArc()) {
            // Solid straight lines are drawn as stored, z and all.
            const bool continuous = vl.isContinuous();
            for (const CZunVertex& v : vl) {
                if (!continuous && v.start().distanceTo(v.end()) < ZunUnitLengths::ofDrawing().shortPiece)
                    expected.pixel(mtx * v.start(), color);
                else
                    expected.line(mtx * v.start(), mtx * v.end(), color);
            }
        } else {
            expectLine(vl, lt, mtx, color, expected);
        }
        lines += vl.len();
    }
    RecordingDC dc(400, 400);
    CZunPainter painter(dc);
    painter.paint(&gdx);
    std::vector<RecordedCall> drawn;
    for (const RecordedCall& call : dc.calls)
        if (call.op == "line" || call.op == "pixel")
            drawn.push_back(call);
    ASSERT_EQ(drawn.size(), expected.calls.size());
    ASSERT_GT(lines, 300);
    int differ = 0;
    for (size_t k = 0; k < drawn.size(); ++k) {
        differ += drawn[k].op != expected.calls[k].op || drawn[k].args != expected.calls[k].args
                  || drawn[k].color != expected.calls[k].color;
        if (differ == 1 && (drawn[k].op != expected.calls[k].op || drawn[k].args != expected.calls[k].args))
            ADD_FAILURE() << "first difference at call " << k << ": " << drawn[k].op;
    }
    EXPECT_EQ(differ, 0);
}

INSTANTIATE_TEST_SUITE_P(Random, PainterLines,
                         ::testing::Values(LineCase{"SolidStraight", 11, false, false, false, 1},
                                           LineCase{"SolidTiltedWithJumps", 12, false, true, true, 1},
                                           LineCase{"DashedStraight", 13, false, false, false, 3},
                                           LineCase{"DashedTiltedWithJumps", 14, false, true, true, 3},
                                           LineCase{"ArcsAllTypes", 15, true, false, true, 3},
                                           LineCase{"ArcsTilted", 16, true, true, false, 3}),
                         [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

} // namespace
