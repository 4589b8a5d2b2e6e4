#include "contracts/data/zun_color.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <utility>
#include <ostream>

namespace {
std::uint32_t rgb(int r, int g, int b) { return CZunColor::rgb(r, g, b); }
} // namespace

TEST(ColorPalette, KnownEntries)
{
    // 10 + 10 * hue + shade; hues 15 degrees apart; shade pairs at 100, 65,
    // 50, 30 and 15 % brightness, the odd one of a pair half saturated.
    // Red sits in the low byte: index 1 is 0x0000FF, index 5 is 0xFF0000.
    const std::pair<int, std::uint32_t> entries[] = {
        {1, 0x0000FFu}, {2, rgb(255, 255, 0)}, {5, 0xFF0000u}, {7, 0xFFFFFFu},
        {8, rgb(128, 128, 128)}, {9, rgb(192, 192, 192)}, {11, rgb(255, 127, 127)}, {29, rgb(38, 23, 19)},
        {43, rgb(165, 145, 82)}, {60, rgb(191, 255, 0)}, {96, rgb(0, 76, 0)}, {141, rgb(127, 223, 255)},
        {175, rgb(63, 63, 127)}, {212, rgb(165, 0, 165)}, {249, rgb(38, 19, 23)}, {250, rgb(51, 51, 51)},
        {254, rgb(190, 190, 190)}, {255, rgb(255, 255, 255)}, {-1, 0u}, {0, 0u}, {256, 0u}};
    for (const auto& [index, expected] : entries)
        EXPECT_EQ(CZunColor::paletteRgb(index), expected) << index;
}

TEST(ColorNearest, EntriesFindThemselvesAndTiesTakeTheLowerIndex)
{
    std::map<std::uint32_t, int> firstIndex;
    for (int i = 255; i >= 1; --i)
        firstIndex[CZunColor::paletteRgb(i)] = i;
    EXPECT_EQ(firstIndex.size(), 248u);  // 1..7 come again in 10..249 and 255
    for (int i = 1; i <= 255; ++i)
        EXPECT_EQ(CZunColor::nearestIndex(CZunColor::paletteRgb(i)), firstIndex[CZunColor::paletteRgb(i)]) << i;

    EXPECT_EQ(CZunColor::nearestIndex(rgb(250, 4, 6)), 1);
    EXPECT_EQ(CZunColor::nearestIndex(rgb(120, 120, 120)), 8);
    EXPECT_EQ(CZunColor::nearestIndex(rgb(60, 60, 60)), 250);
    EXPECT_EQ(CZunColor::nearestIndex(0), 18);  // as far from 98 and 178
    EXPECT_EQ(CZunColor::nearestIndex(0xFF0000FFu), 1);  // the top byte is no colour
}

TEST(ColorValue, IndexAndRgbSetters)
{
    CZunColor c(5);
    EXPECT_EQ(c.oleColor(), 0xFF0000u);
    c.setColor(rgb(1, 2, 3));
    EXPECT_EQ(c.colorIndex(), 5);

    c.setNames(L"Book", L"Sky");
    c.setOleColor(0xAB000000u | rgb(10, 130, 250));
    EXPECT_EQ(c.oleColor(), rgb(10, 130, 250));
    EXPECT_EQ(c.colorIndex(), 150);  // (0, 127, 255)
    EXPECT_EQ(c.colorName(), L"Sky");
    EXPECT_EQ(c.red(), 10);
    EXPECT_EQ(c.blue(), 250);
}

// Setting an index gives that index's own colour, whatever the colour held
// before: a slide's colour 0 after colour 2 must not stay yellow.
struct IndexCase {
    int index;
    int storedIndex;
    std::uint32_t rgb;
};

std::ostream& operator<<(std::ostream& os, const IndexCase& k)
{
    return os << "index " << k.index;
}

class ColorIndexSet : public ::testing::TestWithParam<IndexCase> {};

TEST_P(ColorIndexSet, GivesTheIndexItsOwnColourWhateverCameBefore)
{
    const IndexCase& k = GetParam();
    CZunColor fromPalette(2);
    CZunColor fromRgb;
    fromRgb.setOleColor(rgb(10, 130, 250));
    CZunColor exact(5);
    exact.setColor(rgb(1, 2, 3));
    for (CZunColor* c : {&fromPalette, &fromRgb, &exact}) {
        c->setColorIndex(k.index);
        EXPECT_EQ(c->colorIndex(), k.storedIndex) << k.index;
        EXPECT_EQ(c->oleColor(), k.rgb) << k.index;
    }
    EXPECT_EQ(CZunColor(k.index), fromPalette);
}

INSTANTIATE_TEST_SUITE_P(
    Indices, ColorIndexSet,
    ::testing::Values(IndexCase{0, CZunColor::kByBlock, 0u},              // by block: black
                      IndexCase{-1, CZunColor::kNone, 0u},                // no colour: black, as constructed
                      IndexCase{256, CZunColor::kByLayer, 0u},            // by layer: black
                      IndexCase{-2, CZunColor::kNone, 0u},                // anything else is no colour
                      IndexCase{-7, CZunColor::kNone, 0u}, IndexCase{257, CZunColor::kNone, 0u},
                      IndexCase{INT_MIN, CZunColor::kNone, 0u}, IndexCase{INT_MAX, CZunColor::kNone, 0u},
                      IndexCase{1, 1, 0x0000FFu}, IndexCase{7, 7, 0xFFFFFFu}, IndexCase{255, 255, 0xFFFFFFu}));
