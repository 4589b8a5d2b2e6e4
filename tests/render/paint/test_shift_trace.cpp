// What a scrolled picture paints again: pieces inside or apart from the kept
// part mark nothing, pieces crossing its edge mark the tiles along them.

#include "render/paint/zun_shift_trace.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kTile = CZunTileMask::kTile;

// A pan 20 pixels to the right: the left strip is new, the rest is kept.
constexpr ZunIRect kClient = {0, 0, kWidth, kHeight};
constexpr ZunIRect kKept = {20, 0, kWidth, kHeight};

struct Piece {
    const char* name;
    ZunIPoint from, to;
    int penWidth;
    bool marks;          // whether the piece marks anything
    double maxShare;     // of its box (cut to the device) the marked tiles may cover
    ZunIPoint mustMark;  // a pixel that must be marked when it marks
};

class ShiftTraceLines : public ::testing::TestWithParam<Piece> {};

TEST_P(ShiftTraceLines, MarkOnlyTheTilesAlongCrossingPieces)
{
    const Piece& p = GetParam();
    CZunTileMask mask;
    mask.reset(kWidth, kHeight);
    CZunShiftTraceDC trace(kClient, kKept, mask);
    trace.selectPen(p.penWidth, 0);
    trace.moveTo(p.from.x, p.from.y);
    trace.lineTo(p.to.x, p.to.y);
    mask.seal();
    EXPECT_EQ(trace.piecesSeen(), 1);
    EXPECT_EQ(trace.piecesMarked(), p.marks ? 1 : 0);
    if (!p.marks) {
        EXPECT_EQ(mask.markedPixels(), 0);
        return;
    }
    EXPECT_TRUE(mask.touches({p.mustMark.x, p.mustMark.y, p.mustMark.x + 1, p.mustMark.y + 1}));
    const ZunIRect box = {std::max(0, std::min(p.from.x, p.to.x)), std::max(0, std::min(p.from.y, p.to.y)),
                          std::min(kWidth, std::max(p.from.x, p.to.x) + 1),
                          std::min(kHeight, std::max(p.from.y, p.to.y) + 1)};
    const double boxArea = static_cast<double>(box.width() + 2 * kTile) * (box.height() + 2 * kTile);
    EXPECT_LE(mask.markedPixels(), p.maxShare * boxArea) << "marked " << mask.markedPixels();
    // Every pixel of the piece on the device lies in a marked tile.
    const int steps = std::max(std::abs(p.to.x - p.from.x), std::abs(p.to.y - p.from.y));
    for (int k = 0; k <= steps; ++k) {
        const int x = p.from.x + (p.to.x - p.from.x) * k / std::max(steps, 1);
        const int y = p.from.y + (p.to.y - p.from.y) * k / std::max(steps, 1);
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) {
            ASSERT_TRUE(mask.touches({x, y, x + 1, y + 1})) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, ShiftTraceLines,
    ::testing::Values(
        Piece{"inside", {100, 100}, {300, 200}, 0, false, 0.0, {}},
        Piece{"apartAboveTheDevice", {100, -300}, {500, -20}, 0, false, 0.0, {}},
        Piece{"inTheNewStripOnly", {2, 10}, {14, 400}, 0, false, 0.0, {}},
        // Crossing the kept part's left edge: a long diagonal marks a corridor,
        // far less than its box.
        Piece{"diagonalAcrossTheLeftEdge", {-2000, -1500}, {600, 470}, 0, true, 0.2, {300, 243}},
        Piece{"shortAcrossTheLeftEdge", {10, 50}, {40, 60}, 0, true, 4.0, {30, 56}},
        // Truncation turns coordinates just left of zero into zero.
        Piece{"touchingTheLeftEdgeAfterTruncation", {21, 30}, {200, 30}, 0, true, 1.0, {21, 30}},
        Piece{"leavingAtTheBottom", {300, 400}, {310, 9000}, 0, true, 0.5, {300, 470}},
        Piece{"widePenNearTheRightEdge", {600, 100}, {636, 100}, 9, true, 2.0, {630, 100}},
        Piece{"widePenInside", {100, 100}, {200, 100}, 9, false, 0.0, {}}),
    [](const ::testing::TestParamInfo<Piece>& info) { return info.param.name; });

// Boxes: fills, ellipses and pixels mark their box when they cross, nothing
// otherwise; the mask answers for rectangles anywhere on the device.
TEST(ShiftTrace, FillsMarkTheirBoxWhenTheyCross)
{
    CZunTileMask mask;
    mask.reset(kWidth, kHeight);
    CZunShiftTraceDC trace(kClient, kKept, mask);
    const ZunIPoint inside[] = {{100, 100}, {200, 100}, {150, 200}};
    trace.polygon(inside, 3);
    trace.ellipse({300, 300, 310, 310});
    trace.setPixel(400, 50, 0);
    EXPECT_EQ(trace.piecesMarked(), 0);
    const ZunIPoint across[] = {{-50, 100}, {90, 100}, {90, 140}};
    trace.polygon(across, 3);
    trace.setPixel(20, 50, 0);
    mask.seal();
    EXPECT_EQ(trace.piecesMarked(), 2);
    EXPECT_TRUE(mask.touches({85, 135, 86, 136}));
    EXPECT_TRUE(mask.touches({20, 50, 21, 51}));
    EXPECT_FALSE(mask.touches({200, 300, 260, 400}));
    EXPECT_FALSE(mask.touches({-100, -100, -1, -1}));
    // The rectangles cover what is marked, cut to the device.
    long long area = 0;
    for (const ZunIRect& r : mask.rects()) {
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= kWidth && r.bottom <= kHeight);
        area += static_cast<long long>(r.width()) * r.height();
    }
    EXPECT_EQ(area, mask.markedPixels());
}

// The strips a pan uncovers count toward the limit in tiles' worth, so a
// pan uncovering too much is given up before any item is traced; once past
// the limit the trace looks at no more pieces.
TEST(ShiftTrace, StripsCountTowardTheLimitAndTheTraceStopsPastIt)
{
    CZunTileMask mask;
    mask.reset(kWidth, kHeight);
    // A strip 9 pixels wide: 9 x 480 pixels, 67.5 tiles' worth, rounded up.
    mask.setLimit(68);
    mask.add({0, 0, kTile + 1, kHeight});
    EXPECT_EQ(mask.markedTiles(), 0);
    EXPECT_FALSE(mask.overLimit());
    mask.add({kWidth - 1, 0, kWidth, 1});  // one pixel: a tile's worth
    EXPECT_TRUE(mask.overLimit());
    CZunShiftTraceDC trace(kClient, kKept, mask);
    trace.moveTo(10, 100);
    trace.lineTo(300, 100);  // crosses the kept part's edge
    trace.fillSolidRect({10, 10, 40, 40}, 0);
    EXPECT_EQ(trace.piecesSeen(), 0);
    EXPECT_EQ(mask.markedTiles(), 0);
    mask.reset(kWidth, kHeight);
    EXPECT_FALSE(mask.overLimit());
}

TEST(ShiftTrace, MaskCountsTilesAndStopsAtItsLimit)
{
    CZunTileMask mask;
    mask.reset(100, 50);  // the last column and row of tiles cut to 4 x 2 pixels
    mask.setLimit(5);
    mask.mark({0, 0, kTile, kTile});
    mask.mark({0, 0, kTile, kTile});
    EXPECT_EQ(mask.markedTiles(), 1);
    EXPECT_FALSE(mask.overLimit());
    mask.mark({96, 48, 200, 200});  // the cut corner tile, 4 x 2 pixels
    EXPECT_EQ(mask.markedTiles(), 2);
    mask.seal();
    EXPECT_EQ(mask.markedPixels(), kTile * kTile + 4 * 2);
    mask.mark({0, 0, 100, kTile});
    EXPECT_TRUE(mask.overLimit());
    mask.reset(100, 50);
    EXPECT_EQ(mask.markedTiles(), 0);
    EXPECT_FALSE(mask.overLimit());
    // A strip added as it is: a neighbour in the same tile is not in it.
    mask.add({0, 0, 3, 50});
    mask.seal();
    EXPECT_TRUE(mask.touches({2, 20, 3, 21}));
    EXPECT_FALSE(mask.touches({3, 20, 4, 21}));
    EXPECT_EQ(mask.markedTiles(), 0);
    EXPECT_EQ(mask.markedPixels(), 3 * 50);
    ASSERT_EQ(mask.rects().size(), 1u);
    EXPECT_EQ(mask.rects()[0], (ZunIRect{0, 0, 3, 50}));
}

} // namespace
