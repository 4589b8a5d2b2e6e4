// Display list operations on a part-image sized list of 100,000 mixed items,
// each next to a plain std::vector pass over the same data as its baseline.

#include "gdx/zun_gdx.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kItems = 100000;
constexpr int kGroups = 10;  // top-level groups: one of them is 10% of the list

struct Source {
    enum Kind { Polyline, Point, Region };
    Kind kind;
    CZunArrayTempl<int> stack;
    unsigned long flag;
    CZunVertexArray vl;
    CZunPoint3d pt;
    CZunArrayTempl<CZunVertexArray> reg;
    CZunMatrix3d mtx;
};

// 60% polylines of eight vertices (one an arc), 25% points, 15% regions with a
// hole; colour modes 0, 1 and 2 mixed so that sorting has work to do.
const std::vector<Source>& sources()
{
    static const std::vector<Source> data = [] {
        std::vector<Source> out;
        out.reserve(kItems);
        for (int i = 0; i < kItems; ++i) {
            Source s;
            const int r = i % 20;
            s.kind = r < 12 ? Source::Polyline : r < 17 ? Source::Point : Source::Region;
            s.stack = {i % kGroups + 1, i / kGroups};
            s.flag = static_cast<unsigned long>((i / 3) % 3) << 8;
            const double x = (i % 317) * 10.0, y = (i / 317) * 10.0;
            if (i % 7 == 0)
                s.mtx.setToTranslation(CZunVector3d(5.0, -5.0, 0.0));
            switch (s.kind) {
            case Source::Polyline:
                for (int k = 0; k < 8; ++k)
                    s.vl.append(CZunPoint3d(x + k, y + (k % 2)), CZunPoint3d(x + k + 1, y + ((k + 1) % 2)),
                                k == 3 ? 0.4 : 0.0);
                break;
            case Source::Point:
                s.pt = CZunPoint3d(x, y, 0.0);
                break;
            case Source::Region:
                s.reg.append(CZunVertexArray::fromPoints({{x, y}, {x + 8, y}, {x + 8, y + 8}, {x, y + 8}}, true));
                s.reg.append(CZunVertexArray::fromPoints({{x + 2, y + 2}, {x + 4, y + 2}, {x + 4, y + 4}}, true));
                break;
            }
            out.push_back(std::move(s));
        }
        return out;
    }();
    return data;
}

CZunGDX emptyList()
{
    return CZunGDX(CZunColor(7), CZunMatrix3d(), 1.0, 0, CZunPoint3d(), CZunPoint3d());
}

void fill(CZunGDX& g)
{
    const CZunColor color(1), fcolor(3);
    const ZUN::CHatchProp hatch(L"ANSI31", 0.0, 1.0, false);
    for (const Source& s : sources()) {
        switch (s.kind) {
        case Source::Polyline:
            g.imageVl(s.stack, s.flag, s.vl, color, s.mtx, {}, 1.0, 1, CZunPoint3d());
            break;
        case Source::Point:
            g.imagePt(s.stack, s.flag, s.pt, color, s.mtx, 0.0, 0xFFFFFFFFul, CZunPoint3d());
            break;
        case Source::Region:
            g.imageReg(s.stack, s.flag | gdxFlagFill, s.reg, color, s.mtx, {}, 1.0, 1, fcolor, hatch,
                       CZunPoint3d());
            break;
        }
    }
}

const CZunGDX& filledList()
{
    static const CZunGDX list = [] {
        CZunGDX g = emptyList();
        fill(g);
        return g;
    }();
    return list;
}

// The same items as a plain vector, for the baselines.
const std::vector<CZunDisplayItem>& plainItems()
{
    static const std::vector<CZunDisplayItem> items = filledList().getDisplayList().vector();
    return items;
}

// The geometry each item contributes to the extents, as plain polylines.
const std::vector<CZunVertexArray>& plainGeometry()
{
    static const std::vector<CZunVertexArray> geometry = [] {
        std::vector<CZunVertexArray> out;
        out.reserve(kItems);
        for (const Source& s : sources()) {
            if (s.kind == Source::Point)
                out.push_back(CZunVertexArray{CZunVertex(s.pt, s.pt)});
            else
                out.push_back(s.kind == Source::Polyline ? s.vl : s.reg.get(0));
        }
        return out;
    }();
    return geometry;
}

// Corners of every polyline taken through a matrix, straight vertices only:
// the least an extents pass has to do.
void plainExtents(const std::vector<CZunVertexArray>& geometry, const CZunMatrix3d& m, CZunPoint3d& lo,
                  CZunPoint3d& hi)
{
    lo = CZunPoint3d(1e300, 1e300, 1e300);
    hi = CZunPoint3d(-1e300, -1e300, -1e300);
    for (const CZunVertexArray& vl : geometry)
        for (const CZunVertex& v : vl) {
            const CZunPoint3d a = v.start() * m, b = v.end() * m;
            lo = ZUN::p_min(lo, ZUN::p_min(a, b));
            hi = ZUN::p_max(hi, ZUN::p_max(a, b));
        }
}

int groupOf(const CZunDisplayItem& it)
{
    const int m = static_cast<int>((it.flag >> 8) & 15);
    if (it.type == objPicture)
        return 5;
    if (m == 0 || m >= 3)
        return it.type == objReg ? 0 : 1;
    if (m == 2)
        return 2;
    return it.type == objReg ? 3 : 4;
}

// ---- build --------------------------------------------------------------------------

void BM_Build(benchmark::State& state)
{
    for (auto _ : state) {
        CZunGDX g = emptyList();
        fill(g);
        benchmark::DoNotOptimize(g.lenGet());
    }
}

void BM_Build_BaselineVectorOfItems(benchmark::State& state)
{
    // Copying the finished items into a plain vector: the allocations and
    // copies any build needs, without extents.
    for (auto _ : state) {
        std::vector<CZunDisplayItem> items;
        for (const CZunDisplayItem& it : plainItems())
            items.push_back(it);
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_Build_Refill(benchmark::State& state)
{
    // A list cleared and filled again keeps its capacity, as a viewer's list
    // does when its part is drawn anew.
    CZunGDX g = emptyList();
    fill(g);
    for (auto _ : state) {
        g.clear();
        fill(g);
        benchmark::DoNotOptimize(g.lenGet());
    }
}

void BM_Build_Refill_BaselineVectorOfItems(benchmark::State& state)
{
    std::vector<CZunDisplayItem> items = plainItems();
    for (auto _ : state) {
        items.clear();
        for (const CZunDisplayItem& it : plainItems())
            items.push_back(it);
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_Baseline_TouchFreshMemoryOfTheItems(benchmark::State& state)
{
    // What the memory of a new list alone costs on this machine: fresh pages
    // for the items, one write per page.
    const size_t bytes = sizeof(CZunDisplayItem) * kItems;
    for (auto _ : state) {
        std::vector<char> block(bytes, 0);
        benchmark::DoNotOptimize(block.data());
    }
}

// ---- extents -------------------------------------------------------------------------

void BM_RefreshExt(benchmark::State& state)
{
    CZunGDX g = filledList();
    const CZunMatrix3d proj = g.projMtxGet();
    for (auto _ : state) {
        g.projMtxSet(proj);  // recomputes the extents of every item
        CZunPoint3d lo, hi;
        benchmark::DoNotOptimize(g.extmaxGet(lo, hi));
    }
}

void BM_RefreshExt_BaselinePlainLoop(benchmark::State& state)
{
    const auto& geometry = plainGeometry();
    for (auto _ : state) {
        CZunPoint3d lo, hi;
        plainExtents(geometry, CZunMatrix3d(), lo, hi);
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
    }
}

// ---- sort ---------------------------------------------------------------------------------

void BM_DisplListSort(benchmark::State& state)
{
    CZunGDX g = emptyList();
    for (auto _ : state) {
        state.PauseTiming();
        g = filledList();
        state.ResumeTiming();
        g.displListSort();
        benchmark::DoNotOptimize(g.getDisplayList().data());
    }
}

void BM_DisplListSort_AlreadySorted(benchmark::State& state)
{
    CZunGDX g = filledList();
    g.displListSort();
    for (auto _ : state) {
        g.displListSort();
        benchmark::DoNotOptimize(g.getDisplayList().data());
    }
}

void BM_DisplListSort_BaselineStableSort(benchmark::State& state)
{
    std::vector<CZunDisplayItem> items;
    for (auto _ : state) {
        state.PauseTiming();
        items = plainItems();
        state.ResumeTiming();
        std::stable_sort(items.begin(), items.end(),
                         [](const CZunDisplayItem& a, const CZunDisplayItem& b) { return groupOf(a) < groupOf(b); });
        benchmark::DoNotOptimize(items.data());
    }
}

// ---- picking ------------------------------------------------------------------------------

void BM_ImageItemGet(benchmark::State& state)
{
    // A point far from everything: every item is tried.
    CZunGDX g = filledList();
    const CZunPoint3d far(-1e6, -1e6, 0.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.imageItemGet(far));
}

void BM_ImageItemGet_BaselineReverseAndScan(benchmark::State& state)
{
    std::vector<CZunDisplayItem> items = plainItems();
    const CZunPoint3d far(-1e6, -1e6, 0.0);
    for (auto _ : state) {
        std::reverse(items.begin(), items.end());
        int found = -1;
        for (const CZunDisplayItem& it : items) {
            const CZunVertexArray& vl = it.type == objReg ? it.reg.get(0) : it.vl;
            if (it.type == objPt && (it.point * it.mtx).distanceTo(far) <= 5.0)
                found = it.stack.get(0);
            for (const CZunVertex& v : vl)
                if (ZUN::lotp(v, far).distanceTo(far) <= 5.0)
                    found = it.stack.get(0);
        }
        benchmark::DoNotOptimize(found);
    }
}

// ---- removal ------------------------------------------------------------------------------

void BM_RemoveItemStack10Percent(benchmark::State& state)
{
    CZunGDX g = emptyList();
    const CZunArrayTempl<int> group{3};
    for (auto _ : state) {
        state.PauseTiming();
        g = filledList();
        state.ResumeTiming();
        benchmark::DoNotOptimize(g.removeItemStack(group));
    }
    state.counters["left"] = g.lenGet();
}

void BM_RemoveItemStack_BaselineEraseIfAndExtents(benchmark::State& state)
{
    std::vector<CZunDisplayItem> items;
    for (auto _ : state) {
        state.PauseTiming();
        items = plainItems();
        state.ResumeTiming();
        std::erase_if(items, [](const CZunDisplayItem& it) { return it.stack.get(0) == 3; });
        CZunPoint3d lo, hi;
        plainExtents(plainGeometry(), CZunMatrix3d(), lo, hi);
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(items.data());
    }
}

// ---- properties by stack ----------------------------------------------------------------------

void BM_PropSet10Percent(benchmark::State& state)
{
    CZunGDX g = filledList();
    const CZunArrayTempl<int> group{3};
    bool hide = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(g.propSet(group, hide ? propExtOut : propExtIn));
        hide = !hide;
    }
}

void BM_PropSet_BaselineFlagLoopAndExtents(benchmark::State& state)
{
    std::vector<CZunDisplayItem> items = plainItems();
    const auto& geometry = plainGeometry();
    for (auto _ : state) {
        for (CZunDisplayItem& it : items)
            if (it.stack.len() >= 1 && it.stack.get(0) == 3)
                it.flag ^= gdxFlagNoExt;
        CZunPoint3d lo, hi;
        plainExtents(geometry, CZunMatrix3d(), lo, hi);
        benchmark::DoNotOptimize(lo);
    }
}

#define GDX_CASE(fn) BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true)

GDX_CASE(BM_Build)->Iterations(10);
GDX_CASE(BM_Build_BaselineVectorOfItems)->Iterations(10);
GDX_CASE(BM_Build_Refill)->Iterations(10);
GDX_CASE(BM_Build_Refill_BaselineVectorOfItems)->Iterations(10);
GDX_CASE(BM_Baseline_TouchFreshMemoryOfTheItems)->Iterations(10);
GDX_CASE(BM_RefreshExt)->Iterations(20);
GDX_CASE(BM_RefreshExt_BaselinePlainLoop)->Iterations(20);
GDX_CASE(BM_DisplListSort)->Iterations(10);
GDX_CASE(BM_DisplListSort_AlreadySorted)->Iterations(50);
GDX_CASE(BM_DisplListSort_BaselineStableSort)->Iterations(10);
GDX_CASE(BM_ImageItemGet)->Iterations(10);
GDX_CASE(BM_ImageItemGet_BaselineReverseAndScan)->Iterations(10);
GDX_CASE(BM_RemoveItemStack10Percent)->Iterations(10);
GDX_CASE(BM_RemoveItemStack_BaselineEraseIfAndExtents)->Iterations(10);
GDX_CASE(BM_PropSet10Percent)->Iterations(20);
GDX_CASE(BM_PropSet_BaselineFlagLoopAndExtents)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
