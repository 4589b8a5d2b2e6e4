#include "contracts/data/zun_color.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <ostream>

namespace {
std::uint32_t rgb(int r, int g, int b) { return CZunColor::rgb(r, g, b); }
} // namespace

TEST(ColorPalette, KnownEntries)
{
    EXPECT_EQ(CZunColor::paletteRgb(1), 0x0000FFu);  // pure red: red in the low byte
    EXPECT_EQ(CZunColor::paletteRgb(2), rgb(255, 255, 0));
    EXPECT_EQ(CZunColor::paletteRgb(5), 0xFF0000u);
    EXPECT_EQ(CZunColor::paletteRgb(7), 0xFFFFFFu);
    EXPECT_EQ(CZunColor::paletteRgb(8), rgb(128, 128, 128));
    EXPECT_EQ(CZunColor::paletteRgb(9), rgb(192, 192, 192));
    // 10 + 10 * hue + shade; hues 15 degrees apart; shade pairs at 100, 65,
    // 50, 30 and 15 % brightness, the odd one of a pair half saturated.
    EXPECT_EQ(CZunColor::paletteRgb(11), rgb(255, 127, 127));
    EXPECT_EQ(CZunColor::paletteRgb(29), rgb(38, 23, 19));
    EXPECT_EQ(CZunColor::paletteRgb(43), rgb(165, 145, 82));
    EXPECT_EQ(CZunColor::paletteRgb(60), rgb(191, 255, 0));
    EXPECT_EQ(CZunColor::paletteRgb(96), rgb(0, 76, 0));
    EXPECT_EQ(CZunColor::paletteRgb(141), rgb(127, 223, 255));
    EXPECT_EQ(CZunColor::paletteRgb(175), rgb(63, 63, 127));
    EXPECT_EQ(CZunColor::paletteRgb(212), rgb(165, 0, 165));
    EXPECT_EQ(CZunColor::paletteRgb(249), rgb(38, 19, 23));
    EXPECT_EQ(CZunColor::paletteRgb(250), rgb(51, 51, 51));
    EXPECT_EQ(CZunColor::paletteRgb(254), rgb(190, 190, 190));
    EXPECT_EQ(CZunColor::paletteRgb(255), rgb(255, 255, 255));
    for (int index : {-1, 0, 256})
        EXPECT_EQ(CZunColor::paletteRgb(index), 0u) << index;
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
