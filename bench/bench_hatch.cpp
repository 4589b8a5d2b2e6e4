// Hatch generation, the density test and dashing as the painter runs them
// on every paint. Each case is set against a baseline measured in the same
// run: the least the same result could cost done naively with the Base
// library, so that a regression shows as a ratio, not as a machine speed.

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_app.h"
#include "render/core/zun_dashing.h"
#include "render/core/zun_hatching.h"

#include "gdx/zun_gdx.h"
#include "render/core/zun_font.h"

#include <benchmark/benchmark.h>

#include <string>

#include <cmath>

namespace {

using Contours = CZunArrayTempl<CZunVertexArray>;

constexpr double kRadius = 50.0;

// A closed polygon of n points round (cx, cy), its radius wobbling so that
// hatch lines cross it at every angle.
CZunVertexArray wobblyRing(double cx, double cy, double radius, int n, double wobble)
{
    CZunArrayTempl<CZunPoint3d> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * ZUN::kPi * i / n;
        const double r = radius * (1.0 + wobble * std::sin(7.0 * a) + 0.5 * wobble * std::cos(23.0 * a));
        points.append(CZunPoint3d(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return CZunVertexArray::fromPoints(points, true);
}

// 1,000 vertices in all: the outline and two holes.
Contours region()
{
    return {wobblyRing(0.0, 0.0, kRadius, 900, 0.05), wobblyRing(-18.0, 5.0, 10.0, 50, 0.1),
            wobblyRing(20.0, -10.0, 12.0, 50, 0.1)};
}

// At this scale ANSI31 (3.175 apart) and ANSI36 (the same spacing, dashed
// with dots) give about 300 lines across the region.
constexpr double kScale = 0.105;

void installPatterns()
{
    static bool done = false;
    if (done)
        return;
    ZUN::CHatchPatternLib lib;
    lib.parse("*ANSI31, 45-degree lines\n45, 0, 0, 0, 3.175\n"
              "*ANSI36, Staggered dash-dot\n45, 0, 0, 5.55625, 3.175, 7.9375, -1.5875, 0, -1.5875\n",
              L"bench.pat");
    zunAppPtr()->setHatchPatterns(lib);
    done = true;
}

void reportLines(benchmark::State& state, int lines)
{
    state.counters["lines"] = lines;
}

void BM_HatchAnsi31(benchmark::State& state)
{
    installPatterns();
    const Contours contours = region();
    const ZUN::CHatchProp hatch(L"ANSI31", 0.0, kScale, false);
    int lines = 0;
    for (auto _ : state) {
        const Contours result = zun_gdx_image_reg_hatch2(contours, CZunMatrix3d(), hatch);
        lines = result.len();
        benchmark::DoNotOptimize(result.data());
    }
    reportLines(state, lines);
}
BENCHMARK(BM_HatchAnsi31)->Unit(benchmark::kMillisecond);

void BM_HatchDashedAnsi36(benchmark::State& state)
{
    installPatterns();
    const Contours contours = region();
    const ZUN::CHatchProp hatch(L"ANSI36", 0.0, kScale, false);
    int lines = 0;
    for (auto _ : state) {
        const Contours result = zun_gdx_image_reg_hatch2(contours, CZunMatrix3d(), hatch);
        lines = result.len();
        benchmark::DoNotOptimize(result.data());
    }
    reportLines(state, lines);
}
BENCHMARK(BM_HatchDashedAnsi36)->Unit(benchmark::kMillisecond);

// The same with the hatch turned, so that the lines run askew to the frame
// they are walked in.
void BM_HatchDashedAnsi36Turned(benchmark::State& state)
{
    installPatterns();
    const Contours contours = region();
    const ZUN::CHatchProp hatch(L"ANSI36", 0.4, kScale, false);
    int lines = 0;
    for (auto _ : state) {
        const Contours result = zun_gdx_image_reg_hatch2(contours, CZunMatrix3d(), hatch);
        lines = result.len();
        benchmark::DoNotOptimize(result.data());
    }
    reportLines(state, lines);
}
BENCHMARK(BM_HatchDashedAnsi36Turned)->Unit(benchmark::kMillisecond);

// Baseline: the same number of 45-degree lines, each only intersected with
// every contour, as the hatch does at least once per line.
void BM_BaselineIntersect300Lines(benchmark::State& state)
{
    const Contours contours = region();
    const double spacing = 3.175 * kScale;
    const int count = static_cast<int>(2.0 * kRadius * 1.1 / spacing);
    const CZunVector3d across = ZUN::polar(3.0 * ZUN::kPi / 4.0, spacing);
    const CZunVector3d along = ZUN::polar(ZUN::kPi / 4.0, 2.0 * kRadius);
    const CZunPoint3d first = CZunPoint3d::kOrigin - across * (count / 2.0);
    CZunVertexArray line;
    line.setLen(1);
    CZunPoint3dArray points;
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (int i = 0; i < count; ++i) {
            const CZunPoint3d mid = first + across * i;
            line[0] = CZunVertex(mid - along, mid + along);
            points.clear();
            for (const CZunVertexArray& contour : contours)
                found += contour.intersectWith(line, 3, points);
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["lines"] = count;
    state.counters["points"] = found;
}
BENCHMARK(BM_BaselineIntersect300Lines)->Unit(benchmark::kMillisecond);

void BM_DensityTest(benchmark::State& state)
{
    installPatterns();
    const Contours contours = region();
    const ZUN::CHatchProp hatch(L"ANSI36", 0.0, kScale, false);
    CZunMatrix3d toDevice;
    toDevice.setToScaling(8.0);
    bool drawable = false;
    for (auto _ : state) {
        drawable = zun_gdx_pattern_test(contours, hatch, toDevice);
        benchmark::DoNotOptimize(drawable);
    }
    state.counters["drawable"] = drawable;
}
BENCHMARK(BM_DensityTest)->Unit(benchmark::kMicrosecond);

// Baseline: one copy of the region and one pass over its outline for the
// extents, the least the test has to do.
void BM_BaselineCopyAndExtents(benchmark::State& state)
{
    const Contours contours = region();
    for (auto _ : state) {
        Contours copy = contours;
        CZunPoint3d c0, c1;
        ZUN::g_vl_extmax(copy[0], ZUN::kPi / 4.0, c0, c1);
        benchmark::DoNotOptimize(c1);
    }
}
BENCHMARK(BM_BaselineCopyAndExtents)->Unit(benchmark::kMicrosecond);

// 10,000 vertices, every tenth an arc, each vertex about 30 long: under
// (10, -4) every vertex takes two repetitions.
CZunVertexArray longPolyline()
{
    CZunVertexArray vl;
    vl.reserve(10000);
    CZunPoint3d at;
    for (int i = 0; i < 10000; ++i) {
        const double a = 0.3 * std::sin(0.01 * i) + (i % 2 ? 0.2 : -0.2);
        const CZunPoint3d next = ZUN::polar(at, a, 30.0);
        vl.append(at, next, i % 10 == 0 ? 0.2 : 0.0);
        at = next;
    }
    return vl;
}

const CZunArrayTempl<double> kLineType{10.0, -4.0};

void BM_DashMode1(benchmark::State& state)
{
    const CZunVertexArray source = longPolyline();
    int pieces = 0;
    for (auto _ : state) {
        CZunVertexArray vl = source;
        zun_gdx_image_vl_measure(vl, kLineType, 1);
        pieces = vl.len();
        benchmark::DoNotOptimize(vl.data());
    }
    state.counters["vertices"] = pieces;
}
BENCHMARK(BM_DashMode1)->Unit(benchmark::kMillisecond);

// Baselines: a plain copy of the polyline, and the Base library dashing it
// in one run without fitting the pattern to each vertex.
void BM_BaselineCopyPolyline(benchmark::State& state)
{
    const CZunVertexArray source = longPolyline();
    for (auto _ : state) {
        CZunVertexArray vl = source;
        benchmark::DoNotOptimize(vl.data());
    }
}
BENCHMARK(BM_BaselineCopyPolyline)->Unit(benchmark::kMillisecond);

void BM_BaselineMeasureWhole(benchmark::State& state)
{
    const CZunVertexArray source = longPolyline();
    const ZUN::CZunLineParm parm(kLineType);
    for (auto _ : state) {
        const Contours dashes = ZUN::g_vl_measure(source, 1.0, parm);
        benchmark::DoNotOptimize(dashes.data());
    }
}
BENCHMARK(BM_BaselineMeasureWhole)->Unit(benchmark::kMillisecond);

// ---- Text layout -----------------------------------------------------------
// 1,000 characters laid out glyph by glyph with the outline font into one
// text item, against copying the same glyph outlines out of the font.

const wchar_t* thousandCharacters()
{
    static const std::wstring text = [] {
        const std::wstring line = L"Blech 2,50 mm S235 \u00d8 22 \u00b1 0,5 Ma\u00dfe in mm; ";
        std::wstring out;
        while (out.size() < 1000)
            out += line;
        out.resize(1000);
        return out;
    }();
    return text.c_str();
}

void BM_TextLayout1000(benchmark::State& state)
{
    get_ascii_from_map(L'A');  // the glyph map fills once per process, not per layout
    for (auto _ : state) {
        CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
        gdx.imageTxt({1}, 0, thousandCharacters(), CZunColor(1), CZunMatrix3d(), L"CC", {}, {});
        benchmark::DoNotOptimize(gdx.getDisplayList().get(0).txtRegl.len());
    }
}
BENCHMARK(BM_TextLayout1000)->Unit(benchmark::kMillisecond);

void BM_BaselineGlyphCopies1000(benchmark::State& state)
{
    get_ascii_from_map(L'A');
    for (auto _ : state) {
        int regions = 0;
        for (const wchar_t* c = thousandCharacters(); *c; ++c)
            regions += get_ascii_from_map(*c).len();
        benchmark::DoNotOptimize(regions);
    }
}
BENCHMARK(BM_BaselineGlyphCopies1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
