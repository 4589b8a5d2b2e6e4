// What the viewer shows: the user's changes laid over a display list, the
// overview of a drawing and the text sheet.

#include "contracts/data/zun_drawing.h"
#include "host/desktop/zun_host_scene.h"
#include "host/desktop/zun_host_highlight.h"
#include "host/zun_host_app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr unsigned long modeFlag(ZUN::GdxColorMode m)
{
    return gdxFlagOfColorMode(m);
}

// The colour modes of the items of a top-level group, in any order.
std::multiset<int> modesOf(const CZunGDX& gdx, int group)
{
    std::multiset<int> modes;
    for (const CZunDisplayItem& item : gdx.getDisplayList())
        if (!item.stack.isEmpty() && item.stack.get(0) == group)
            modes.insert(static_cast<int>((item.flag & gdxFlagColorModeMask) >> gdxFlagColorModeShift));
    return modes;
}

std::vector<ZUN::CHatchProp> hatchesOf(const CZunGDX& gdx, int group)
{
    std::vector<ZUN::CHatchProp> hatches;
    for (const CZunDisplayItem& item : gdx.getDisplayList())
        if (item.type == objReg && (item.flag & gdxFlagHatch) && item.stack.get(0) == group)
            hatches.push_back(item.hatch);
    return hatches;
}

CZunVertexArray square(double x, double y, double size)
{
    return CZunVertexArray::fromPoints({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}, true);
}

// Group 1: a line in its own colour and a point in the axis mode. Group 2:
// two hatched regions (one nested deeper, another scale) in the refer mode.
CZunGDX sampleList()
{
    CZunGDX gdx;
    gdx.imageVl({1}, 0, square(0, 0, 10), CZunColor(3), {}, {1.0}, 0.0, 1, {});
    gdx.imagePt({1, 1}, modeFlag(ZUN::cModeAxis), {5, 5}, CZunColor(1), {}, 0.0, 0, {});
    gdx.imageReg({2}, gdxFlagHatch | modeFlag(ZUN::cModeRefer), {square(20, 0, 10)}, CZunColor(1), {}, {1.0}, 0.0, 1,
                 CZunColor(1), ZUN::CHatchProp(L"ANSI31", 0.5, 2.0, false), {});
    gdx.imageReg({2, 4}, gdxFlagHatch | modeFlag(ZUN::cModeRefer), {square(22, 2, 4)}, CZunColor(1), {}, {1.0}, 0.0, 1,
                 CZunColor(1), ZUN::CHatchProp(L"ANSI32", 0.0, 0.5, false), {});
    return gdx;
}

} // namespace

TEST(HostScene, HighlightComesAndGoesWithoutChangingOtherItems)
{
    CZunHostScene scene;
    scene.show(sampleList(), {{1, QStringLiteral("Plate")}});
    const CZunGDX& shown = *scene.displayList();
    EXPECT_EQ(modesOf(shown, 1), (std::multiset<int>{0, 3}));

    scene.setHighlight(1);
    EXPECT_EQ(modesOf(shown, 1), (std::multiset<int>{1, 1}));
    EXPECT_EQ(modesOf(shown, 2), (std::multiset<int>{2, 2}));
    // The painter sorts the list in place; the next change must not care.
    scene.displayList()->displListSort();
    scene.setHighlight(2);
    EXPECT_EQ(modesOf(shown, 1), (std::multiset<int>{0, 3}));
    // Hatched areas keep their mode and get their outlines on top in the
    // pick's; their fill is of the highlight colour, so another one is taken.
    const int pick = kZunPickFallbackMode;
    EXPECT_EQ(modesOf(shown, 2), (std::multiset<int>{2, 2, pick, pick}));
    scene.setHighlight(-1);
    EXPECT_EQ(modesOf(shown, 2), (std::multiset<int>{2, 2}));

    EXPECT_EQ(scene.groupName(1), QStringLiteral("Plate"));
    EXPECT_TRUE(scene.groupName(2).isEmpty());
    EXPECT_EQ(scene.groups(), (std::vector<int>{1, 2}));
}

TEST(HostScene, ChangesKeepTheViewAndZoomOfTheShownList)
{
    CZunHostScene scene;
    scene.show(sampleList(), {});
    CZunMatrix3d zoom, view;
    zoom.setToScaling(3.0, {100, 50, 0});
    view.setToTranslation({7, 8, 0});
    scene.displayList()->zoomMtxSet(zoom);
    scene.displayList()->viewMtxSet(view);
    scene.setHighlight(1);
    scene.setColorMode(2, ZUN::cModeAux);
    EXPECT_EQ(scene.displayList()->zoomMtxGet(), zoom);
    EXPECT_EQ(scene.displayList()->viewMtxGet(), view);
}

TEST(HostScene, ViewDirectionTurnsTheListAndStaysForTheNextOne)
{
    CZunHostScene scene;
    scene.show(sampleList(), {});
    EXPECT_EQ(scene.displayList()->viewDirectionMtxGet(), CZunMatrix3d());
    EXPECT_FALSE(scene.setViewDirection(QStringLiteral("X")));
    EXPECT_EQ(scene.viewDirection(), QStringLiteral("P"));

    ASSERT_TRUE(scene.setViewDirection(QStringLiteral("SW")));
    const CZunMatrix3d turned = scene.displayList()->viewDirectionMtxGet();
    EXPECT_NE(turned, CZunMatrix3d());
    ASSERT_TRUE(scene.setViewDirection(QStringLiteral("NO")));
    EXPECT_NE(scene.displayList()->viewDirectionMtxGet(), turned);

    scene.show(sampleList(), {});
    EXPECT_EQ(scene.viewDirection(), QStringLiteral("NO"));
    EXPECT_NE(scene.displayList()->viewDirectionMtxGet(), CZunMatrix3d());
}

TEST(HostScene, ColourModesByGroupOrForAll)
{
    CZunHostScene scene;
    scene.show(sampleList(), {});
    EXPECT_FALSE(scene.setColorMode(9, ZUN::cModeBase));
    ASSERT_TRUE(scene.setColorMode(2, ZUN::cModeBase));
    EXPECT_EQ(modesOf(*scene.displayList(), 1), (std::multiset<int>{0, 3}));
    EXPECT_EQ(modesOf(*scene.displayList(), 2), (std::multiset<int>{4, 4}));

    // A highlight lies over the changes and gives them back when it goes
    // (the hatched areas keep theirs, with their outlines in the pick's).
    scene.setHighlight(2);
    const int pick = kZunPickFallbackMode;
    EXPECT_EQ(modesOf(*scene.displayList(), 2), (std::multiset<int>{4, 4, pick, pick}));
    scene.setHighlight(-1);
    EXPECT_EQ(modesOf(*scene.displayList(), 2), (std::multiset<int>{4, 4}));

    ASSERT_TRUE(scene.setColorMode(-1, ZUN::cModeContrast));
    EXPECT_EQ(modesOf(*scene.displayList(), 1), (std::multiset<int>{15, 15}));
    scene.resetStyles();
    EXPECT_EQ(modesOf(*scene.displayList(), 2), (std::multiset<int>{2, 2}));
}

TEST(HostScene, HatchPatternChangesKeepEachRegionsAngleAndScale)
{
    CZunHostScene scene;
    scene.show(sampleList(), {});
    EXPECT_FALSE(scene.setHatchPattern(1, L"NET"));  // group 1 has no hatch
    ASSERT_TRUE(scene.setHatchPattern(2, L"NET"));
    std::vector<ZUN::CHatchProp> hatches = hatchesOf(*scene.displayList(), 2);
    ASSERT_EQ(hatches.size(), 2u);
    std::sort(hatches.begin(), hatches.end(), [](const auto& a, const auto& b) { return a.scale() < b.scale(); });
    EXPECT_EQ(hatches[0], ZUN::CHatchProp(L"NET", 0.0, 0.5, false));
    EXPECT_EQ(hatches[1], ZUN::CHatchProp(L"NET", 0.5, 2.0, false));
    // The base is untouched: a new picture of it has the old patterns.
    EXPECT_EQ(hatchesOf(scene.base(), 2)[0].name(), CZunString(L"ANSI31"));
}

class HostDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::CDataFileError error;
        ASSERT_TRUE(ZUN::drawingOpen(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json"), &error))
            << error.toString().toUtf8();
    }
    void TearDown() override { zunAppSet(m_previous); }

    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
};

TEST_F(HostDrawing, OverviewPutsEveryPartInItsOwnNamedGroup)
{
    CZunGDX overview;
    const std::vector<CZunOverviewEntry> entries =
        zunDrawingOverview(ZUN::drawingCurrent(), QStringLiteral("sample_drawing"), overview);
    ASSERT_EQ(static_cast<int>(entries.size()), ZUN::drawingCurrent().partCount());
    CZunPoint3d lo, hi;
    std::vector<std::pair<CZunPoint3d, CZunPoint3d>> cells;
    for (const CZunOverviewEntry& e : entries) {
        EXPECT_FALSE(e.name.isEmpty());
        CZunPoint3d glo(1e300, 1e300, 1e300), ghi(-1e300, -1e300, -1e300);
        ASSERT_TRUE(overview.extmaxGet({e.group}, glo, ghi)) << e.name.toStdString();
        // Each part is scaled into its own cell of the grid: no two overlap.
        for (const auto& [olo, ohi] : cells)
            EXPECT_TRUE(ghi.x < olo.x || glo.x > ohi.x || ghi.y < olo.y || glo.y > ohi.y) << e.name.toStdString();
        cells.emplace_back(glo, ghi);
    }
    EXPECT_EQ(entries.front().group, 1);
    EXPECT_EQ(entries.front().handle, QStringLiteral("4D"));
    // The title: a text of a real font, one group after the parts.
    const int title = static_cast<int>(entries.size()) + 1;
    const CZunGDX::Stack titleItems = overview.StackToItemNr({title});
    ASSERT_EQ(titleItems.len(), 1);
    EXPECT_EQ(overview.typeGet(titleItems[0]), objTxt);
    ASSERT_TRUE(overview.extmaxGet(lo, hi));
    EXPECT_GT(hi.x - lo.x, 1000.0);
}

TEST_F(HostDrawing, TextSheetHoldsOutlineAndRealFontTexts)
{
    CZunGDX sheet;
    std::map<int, QString> names;
    zunTextSheet(sheet, names);
    EXPECT_EQ(names.size(), 5u);
    for (const auto& [group, name] : names) {
        const CZunGDX::Stack items = sheet.StackToItemNr({group});
        ASSERT_FALSE(items.isEmpty()) << name.toStdString();
        int glyphs = 0;
        for (int i : items) {
            CZunGDX::Regions regl;
            sheet.geomGet(regl, i);
            glyphs += regl.len();
        }
        EXPECT_GT(glyphs, 5) << name.toStdString();
    }
}

TEST(HostScene, PlacingAListMovesItsGeometryAndKeepsItsLooks)
{
    // A hatched square and its outline as a polyline, the outline with an
    // item matrix of its own (moved by 10 in x).
    CZunGDX part;
    CZunMatrix3d own;
    own.setToTranslation({10, 0, 0});
    part.imageReg({}, gdxFlagHatch, {square(10, 0, 10)}, CZunColor(1), {}, {1.0}, 0.0, 1, CZunColor(1),
                  ZUN::CHatchProp(L"ANSI31", 0.25, 2.0, false), {});
    part.imageVl({2}, 0, square(0, 0, 10), CZunColor(3), own, {1.0, 1.0, 0.0}, 1.5, 1, {});
    part.imagePt({3}, 0, {15, 5}, CZunColor(1), {}, 4.0, 2, {});

    CZunGDX out;
    CZunMatrix3d place, scale, turn;
    place.setToTranslation({1000, 500, 0});
    scale.setToScaling(3.0);
    turn.setToRotation(M_PI / 2.0);
    zunAppendPlaced(out, part, 7, place * scale * turn);
    ASSERT_EQ(out.lenGet(), 3);

    // Every item carries the identity now and sits where the placement put it.
    const CZunArrayTempl<CZunDisplayItem>& items = out.getDisplayList();
    for (const CZunDisplayItem& item : items) {
        EXPECT_EQ(item.mtx, CZunMatrix3d());
        EXPECT_EQ(item.stack.get(0), 7);
    }
    EXPECT_EQ(items[1].stack, (CZunGDX::Stack{7, 2}));
    // The region and the moved outline cover the same square: corner (10, 0)
    // turned a quarter, tripled and moved is (1000, 530).
    EXPECT_TRUE(items[0].reg[0][0].start().isEqualTo({1000, 530, 0}, 1e-9));
    EXPECT_TRUE(items[1].vl[0].start().isEqualTo({1000, 530, 0}, 1e-9));
    EXPECT_TRUE(items[2].point.isEqualTo({985, 545, 0}, 1e-9));
    // Sizes in drawing units grow with the placement, the hatch turns with it.
    EXPECT_NEAR(items[0].hatch.scale(), 6.0, 1e-12);
    EXPECT_NEAR(items[0].hatch.angle(), 0.25 + M_PI / 2.0, 1e-12);
    EXPECT_NEAR(items[1].ltscale, 4.5, 1e-12);
    EXPECT_NEAR(items[2].pdSize, 12.0, 1e-12);

    // Seen from a corner, lines and areas still lie on each other: the
    // extents of the outline's group equal those of the region's.
    ASSERT_TRUE(out.viewDirectionSet(L"NO"));
    CZunPoint3d rlo(1e300, 1e300, 1e300), rhi(-1e300, -1e300, -1e300);
    CZunPoint3d llo = rlo, lhi = rhi;
    ASSERT_TRUE(out.extmaxGet({7, 2}, llo, lhi));
    CZunGDX regionOnly;
    zunAppendPlaced(regionOnly, part, 7, place * scale * turn);
    ASSERT_TRUE(regionOnly.viewDirectionSet(L"NO"));
    ASSERT_TRUE(regionOnly.removeItemStack({7, 2}));
    ASSERT_TRUE(regionOnly.removeItemStack({7, 3}));
    ASSERT_TRUE(regionOnly.extmaxGet(rlo, rhi));
    EXPECT_TRUE(llo.isEqualTo(rlo, 1e-6));
    EXPECT_TRUE(lhi.isEqualTo(rhi, 1e-6));
}

TEST(HostScene, LooseItemsGetGroupsOfTheirOwn)
{
    CZunGDX list;
    list.imageVl({}, 0, square(0, 0, 1), CZunColor(1), {}, {1.0}, 0.0, 1, {});
    list.imageVl({4, 1}, 0, square(2, 0, 1), CZunColor(1), {}, {1.0}, 0.0, 1, {});
    list.imagePt({}, 0, {9, 9}, CZunColor(1), {}, 0.0, 0, {});
    zunGroupLooseItems(list);
    ASSERT_EQ(list.lenGet(), 3);
    EXPECT_EQ(list.getDisplayList()[0].stack, (CZunGDX::Stack{5}));
    EXPECT_EQ(list.getDisplayList()[1].stack, (CZunGDX::Stack{4, 1}));
    EXPECT_EQ(list.getDisplayList()[2].stack, (CZunGDX::Stack{6}));
    CZunPoint3d lo, hi;
    ASSERT_TRUE(list.extmaxGet(lo, hi));
    EXPECT_EQ(hi, CZunPoint3d(9, 9, 0));

    CZunHostScene scene;
    scene.show(list, {});
    EXPECT_EQ(scene.groupType(5), objVl);
    EXPECT_EQ(scene.groupType(6), objPt);
    EXPECT_EQ(scene.groupType(8), static_cast<ZunDisplayObj>(0));
}
