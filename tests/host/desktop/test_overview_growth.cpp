// The overview of a large drawing grows by each part's items alone: appending
// a part neither copies nor measures the parts already there.

#include "contracts/data/zun_drawing.h"
#include "host/desktop/zun_host_scene.h"
#include "host/zun_drawing_repeat.h"
#include "host/zun_host_app.h"
#include "tests/host/desktop/square_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

CZunVertexArray box(double x, double size)
{
    return CZunVertexArray::fromPoints({{x, 0}, {x + size, 0}, {x + size, size}, {x, size}}, true);
}

// A small part: two outlines and a point.
CZunGDX smallPart()
{
    CZunGDX part;
    part.imageVl({}, 0, box(0, 10), CZunColor(1), {}, {1.0}, 0.0, 1, {});
    part.imageVl({2}, 0, box(2, 4), CZunColor(3), {}, {1.0}, 0.0, 1, {});
    part.imagePt({3}, 0, {5, 5}, CZunColor(1), {}, 0.0, 0, {});
    return part;
}

TEST(OverviewGrowth, AppendingMeasuresOnlyTheNewItemsAndMovesNoneOfTheOld)
{
    const CZunGDX part = smallPart();
    CZunGDX out;
    CZunMatrix3d place;
    zunAppendPlaced(out, part, 1, place);
    // The first item's vertices: a copy or rebuild of the list would put
    // them elsewhere; growing the list moves the items, not their vertices.
    const CZunVertex* firstVertices = out.getDisplayList()[0].vl.data();
    // The item storage grows by doubling: grown to the exact size for each
    // part, every append would move every earlier item.
    int regrown = 0;
    for (int group = 2; group <= 200; ++group) {
        const CZunDisplayItem* storage = out.getDisplayList().vector().data();
        place.setToTranslation({group * 20.0, 0, 0});
        zunAppendPlaced(out, part, group, place);
        regrown += out.getDisplayList().vector().data() != storage;
    }
    EXPECT_LE(regrown, 12) << "earlier items moved on most appends";
    ASSERT_EQ(out.lenGet(), 200 * part.lenGet());
    EXPECT_EQ(out.getDisplayList()[0].vl.data(), firstVertices) << "earlier items were copied";
    EXPECT_EQ(out.measuredItemCount(), static_cast<std::uint64_t>(out.lenGet())) << "earlier items measured again";
    // The extents still take in every part, first and last.
    CZunPoint3d lo, hi;
    ASSERT_TRUE(out.extmaxGet(lo, hi));
    EXPECT_EQ(lo, CZunPoint3d(0, 0, 0));
    EXPECT_EQ(hi, CZunPoint3d(200 * 20.0 + 10.0, 10, 0));
}

TEST(OverviewGrowth, GroupingLooseItemsMeasuresNothing)
{
    CZunGDX list = smallPart();
    const std::uint64_t before = list.measuredItemCount();
    const CZunVertex* firstVertices = list.getDisplayList()[0].vl.data();
    zunGroupLooseItems(list);
    EXPECT_EQ(list.measuredItemCount(), before);
    EXPECT_EQ(list.getDisplayList()[0].vl.data(), firstVertices);
    EXPECT_EQ(list.getDisplayList()[0].stack, (CZunGDX::Stack{4}));
}

// Overviews of the sample's parts repeated n times.
class OverviewOfRepeatedParts : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::CZunDrawing sample;
        ZUN::CDataFileError error;
        ASSERT_TRUE(sample.load(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json"), &error));
        ZUN::CZunDrawing repeated;
        ASSERT_TRUE(zunRepeatDrawing(sample, GetParam(), repeated));
        ZUN::drawingCurrent().swap(repeated);
    }
    void TearDown() override
    {
        ZUN::drawingCurrent().clear();
        zunAppSet(m_previous);
    }

    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
};

TEST_P(OverviewOfRepeatedParts, EveryItemIsMeasuredOnceAndEveryPartHasItsCell)
{
    const int n = GetParam();
    CZunGDX overview;
    const std::vector<CZunOverviewEntry> entries = zunDrawingOverview(ZUN::drawingCurrent(), QStringLiteral("big"), overview);
    ASSERT_EQ(static_cast<int>(entries.size()), n);
    EXPECT_LE(overview.measuredItemCount(), static_cast<std::uint64_t>(overview.lenGet()));

    // Part k sits in column k % c, row k / c of a grid of c columns.
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    std::set<std::pair<int, int>> cells;
    for (size_t k = 0; k < entries.size(); ++k) {
        ASSERT_EQ(entries[k].group, static_cast<int>(k) + 1);
        CZunPoint3d lo(1e300, 1e300, 1e300), hi(-1e300, -1e300, -1e300);
        ASSERT_TRUE(overview.extmaxGet({entries[k].group}, lo, hi)) << entries[k].name.toStdString();
        const int column = static_cast<int>(std::lround((lo.x + hi.x) / 2.0 / 1080.0));
        const int row = static_cast<int>(std::lround(-(lo.y + hi.y) / 2.0 / 1250.0));
        EXPECT_EQ(column, static_cast<int>(k) % columns) << entries[k].name.toStdString();
        EXPECT_EQ(row, static_cast<int>(k) / columns) << entries[k].name.toStdString();
        cells.emplace(column, row);
    }
    EXPECT_EQ(static_cast<int>(cells.size()), n);
}

TEST_P(OverviewOfRepeatedParts, BuildingStepByStepGivesTheSameOverview)
{
    CZunGDX whole;
    const std::vector<CZunOverviewEntry> expected = zunDrawingOverview(ZUN::drawingCurrent(), QStringLiteral("big"), whole);
    CZunOverviewBuilder builder(ZUN::drawingCurrent(), QStringLiteral("big"));
    int steps = 0;
    while (builder.next()) {
        ++steps;
        EXPECT_EQ(builder.partsDone(), std::min(steps, builder.partCount()));
    }
    EXPECT_TRUE(builder.finished());
    EXPECT_EQ(steps, GetParam() + 1) << "one step per part, one for the title";
    ASSERT_EQ(builder.list().lenGet(), whole.lenGet());
    ASSERT_EQ(builder.entries().size(), expected.size());
    CZunPoint3d lo1, hi1, lo2, hi2;
    ASSERT_TRUE(whole.extmaxGet(lo1, hi1));
    ASSERT_TRUE(builder.list().extmaxGet(lo2, hi2));
    EXPECT_EQ(lo1, lo2);
    EXPECT_EQ(hi1, hi2);
}

INSTANTIATE_TEST_SUITE_P(PartCounts, OverviewOfRepeatedParts, ::testing::Values(1, 10, 23, 60));

// Where a window first looks at an overview of n parts: the whole grid
// while its cells stay readable, else the top left cells.
struct ReadableCase {
    int parts;
    int width;
    int height;
    bool whole;
};

class ReadableStart : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(ReadableStart, WholeGridOrItsTopLeftCells)
{
    const ReadableCase& c = GetParam();
    // Frames of the overview's cells: a square grid of n cells.
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(c.parts))));
    CZunGDX overview;
    addSquareGrid(overview, c.parts, columns, 1000.0, {-500, -500, 0}, {1080, 0, 0}, {0, -1250, 0});
    CZunPoint3d lo, hi, elo, ehi;
    ASSERT_TRUE(overview.extmaxGet(elo, ehi));
    ASSERT_EQ(zunOverviewReadableWindow(overview, c.width, c.height, lo, hi), !c.whole);
    if (c.whole)
        return;
    EXPECT_EQ(lo.x, elo.x);
    EXPECT_EQ(hi.y, ehi.y);
    // At least 160 pixels a cell, and the window's shape.
    EXPECT_LE((hi.x - lo.x) / 1080.0 * 160.0, c.width + 1e-9);
    EXPECT_NEAR((hi.x - lo.x) / (hi.y - lo.y), static_cast<double>(c.width) / c.height, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadableStart,
                         ::testing::Values(ReadableCase{10, 900, 600, true}, ReadableCase{25, 900, 600, true},
                                           ReadableCase{100, 900, 600, false}, ReadableCase{1000, 900, 600, false},
                                           ReadableCase{1000, 6000, 4000, true}));

} // namespace
