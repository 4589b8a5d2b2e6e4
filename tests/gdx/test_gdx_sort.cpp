#include "gdx_test_util.h"

using namespace gdxtest;

TEST(GdxSort, SixGroupsInDrawingOrder)
{
    OpenGdx g;
    addPicture(g, {1});
    addVl(g, {2}, segment({0, 0}, {1, 0}));
    addReg(g, {3}, {square(0, 0, 1)}, withMode(gdxFlagFill, 1));
    addReg(g, {4}, {square(0, 0, 1)}, gdxFlagFill);
    addPt(g, {5}, {}, withMode(0, 2));
    g.displListSort();
    EXPECT_EQ(firstEntries(g), (std::vector<int>{4, 2, 5, 3, 1}));
    const CZunDisplayItem* before = &g.getDisplayList().first();
    g.displListSort();
    EXPECT_EQ(&g.getDisplayList().first(), before);  // already in order: not rebuilt
}

TEST(GdxSort, StableWithinEachGroupOverManyItems)
{
    // Enough items of all six groups (modes 7, 15 and 3 sort like 0) that an
    // unstable sort would mix them up.
    OpenGdx g;
    std::vector<std::vector<int>> byGroup(6);
    for (int i = 0; i < 200; ++i) {
        const int group = (i * 7 + i / 5) % 6;
        byGroup[static_cast<size_t>(group)].push_back(i);
        switch (group) {
        case 0: addReg(g, {i}, {square(0, 0, 1)}, withMode(0, i % 2 ? 7 : 0)); break;
        case 1: addVl(g, {i}, segment({0, 0}, {1, 0}), withMode(0, i % 2 ? 15 : 3)); break;
        case 2: addReg(g, {i}, {square(0, 0, 1)}, withMode(0, 2)); break;
        case 3: addReg(g, {i}, {square(0, 0, 1)}, withMode(0, 1)); break;
        case 4: addPt(g, {i}, {}, withMode(0, 1)); break;
        default: addPicture(g, {i}, withMode(0, 1)); break;
        }
    }
    std::vector<int> expected;
    for (const auto& ids : byGroup)
        expected.insert(expected.end(), ids.begin(), ids.end());
    g.displListSort();
    EXPECT_EQ(firstEntries(g), expected);
}
