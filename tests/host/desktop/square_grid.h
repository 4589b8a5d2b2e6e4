#pragma once

// Lists of many groups laid out in a grid, for the tests of what the host
// does with large pictures (culling by group, the overview's start).

#include "gdx/zun_gdx.h"

// count closed squares of side in colour 1, square k (group k + 1) with its
// lower left corner at origin + (k % columns) * across + (k / columns) * down.
inline void addSquareGrid(CZunGDX& list, int count, int columns, double side, CZunPoint3d origin,
                          CZunVector3d across, CZunVector3d down)
{
    for (int k = 0; k < count; ++k) {
        const CZunPoint3d p = origin + across * (k % columns) + down * (k / columns);
        list.imageVl({k + 1}, 0,
                     CZunVertexArray::fromPoints(
                         {{p.x, p.y}, {p.x + side, p.y}, {p.x + side, p.y + side}, {p.x, p.y + side}}, true),
                     CZunColor(1), {}, {1.0}, 0.0, 1, {});
    }
}
