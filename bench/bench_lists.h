#pragma once

// Display lists the drawing benchmarks share, so that programs timing
// different outputs time the very same geometry. The list's model units are
// the pixels of a full-HD picture.

#include "gdx/zun_gdx.h"

#include <random>

namespace zun_bench {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// An empty list with model extents of the whole picture.
inline CZunGDX freshList()
{
    return CZunGDX(CZunColor(7), CZunMatrix3d(), 0.0, 0, {0, 0, 0}, {kWidth, kHeight, 0});
}

// 100,000 polylines of two pieces (every seventh with an arc), in six
// colours, a third each solid, dashed and dash-dotted.
inline CZunGDX polylines()
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> pos(0, kWidth), len(5, 60);
    const CZunArrayTempl<double> types[] = {{1.0}, {1.0, 1.0, 0.0}, {1.0, 1.0, 1.0}};
    CZunGDX gdx = freshList();
    for (int i = 0; i < 100000; ++i) {
        const double x = pos(rng), y = pos(rng) * kHeight / kWidth;
        CZunVertexArray vl;
        vl.append({x, y}, {x + len(rng), y + len(rng) / 2});
        vl.append(vl.get(0).end(), {x + len(rng), y + len(rng)}, i % 7 == 0 ? 0.3 : 0.0);
        gdx.imageVl({i}, 0, vl, CZunColor(1 + i % 6), {}, types[i % 3], 0.5, 0, {});
    }
    return gdx;
}

} // namespace zun_bench
