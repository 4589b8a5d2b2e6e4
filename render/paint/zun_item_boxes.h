#pragma once

// Where each item of a display list can draw, kept between paints so that a
// paint deep inside a large drawing skips the items that cannot show at a
// cost in proportion to the list's length, not to its geometry.

#include "gdx/zun_gdx.h"
#include "render/paint/zun_cdc.h"

#include <cstdint>
#include <vector>

// An item's geometry in the space the painter maps to the screen with the
// item's screen matrix: every vertex end of the item, carried by the item
// matrix and the list's view direction in the order the painter carries
// them, lies in [lo, hi]; an arc strays at most slack further from the box
// of its ends. An item of unknown extent (pictures, items without
// geometry) is always drawn.
struct ZunItemBox {
    CZunPoint3d lo;
    CZunPoint3d hi;
    double slack = 0.0;
    bool known = false;
};

class CZunItemBoxes {
public:
    // Brings the boxes in line with the list: recomputed only when the list
    // is another one or its content changed since (its content change count;
    // zoom and view matrices do not move these boxes). Call after the list
    // has been sorted into drawing order, since boxes go by index.
    void update(const CZunGDX& gdx);
    // Whether the boxes are those of gdx as it is: nothing changed since
    // they were made, so the list is still in the drawing order it was
    // sorted into then (sorting counts as a change).
    bool current(const CZunGDX& gdx) const
    {
        return m_list == &gdx && m_count == gdx.contentChangeCountGet() && size() == gdx.lenGet();
    }
    // The box of item i of the list last updated.
    const ZunItemBox& box(int i) const { return m_boxes[static_cast<std::size_t>(i)]; }
    int size() const { return static_cast<int>(m_boxes.size()); }
    // How many times update() had to recompute (for tests and statistics).
    int rebuilds() const { return m_rebuilds; }
    // The painter's record of what its last hatch preparation for this
    // list was made for; it compares and renews it, nothing else reads it.
    std::vector<std::uint64_t>& hatchStamp() { return m_hatchStamp; }

private:
    ZunItemBox boxOf(const CZunGDX& gdx, const CZunDisplayItem& item);
    void addLine(const CZunVertexArray& line, const CZunMatrix3d* first, const CZunMatrix3d* second,
                 ZunItemBox& box);

    const CZunGDX* m_list = nullptr;
    std::uint64_t m_count = 0;
    int m_rebuilds = 0;
    std::vector<ZunItemBox> m_boxes;
    std::vector<std::uint64_t> m_hatchStamp;
    CZunVertexArray m_work;  // reused, so that a rebuild allocates once
};

// The rectangle of device pixels that geometry in box can touch when drawn
// through the affine matrix m with a pen of the given width, or false when
// it cannot be told (a box not known, a matrix that is not affine or not
// finite). Generous by a pixel or two: coordinates are truncated, and
// wide pens reach past the line.
bool zunDeviceBoxOf(const ZunItemBox& box, const CZunMatrix3d& m, int penWidth, ZunIRect& out);
