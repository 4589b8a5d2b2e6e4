#pragma once

#include "contracts/data/zun_color.h"

#include <QStringList>

#include <cstdint>
#include <set>
#include <vector>

class CZunGDX;

// The colours of a picture and the drawing's layers of each colour: the
// generators colour each element by its layer, so a colour stands for its
// layers. A colour is its palette index with its exact RGB value.
struct CZunLegendRow {
    std::uint64_t key = 0;  // index and RGB, see zunLegendKey
    CZunColor color;
    QStringList layers;     // the drawing's layers of this colour, in name order
    int items = 0;          // elements of the picture in it
    bool hidden = false;    // every one of them is hidden
};

std::uint64_t zunLegendKey(const CZunColor& color);

// The rows of the list's colours in order of their first element.
std::vector<CZunLegendRow> zunLegendRows(const CZunGDX& list);

// Hides the elements of the hidden colours and shows all others; the list
// is changed (and its change count renewed) only when a flag changes.
// Returns whether anything changed.
bool zunLegendApply(CZunGDX& list, const std::set<std::uint64_t>& hidden);
