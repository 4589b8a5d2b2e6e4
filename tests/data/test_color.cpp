#include "contracts/data/zun_color.h"

#include <gtest/gtest.h>

#include <map>

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
    for (int index : {CZunColor::kNone, CZunColor::kByBlock, CZunColor::kByLayer, -7, 257}) {
        c.setColorIndex(index);
        EXPECT_EQ(c.colorIndex(), index == -7 || index == 257 ? CZunColor::kNone : index);
        EXPECT_EQ(c.oleColor(), rgb(1, 2, 3)) << index;
    }

    c.setNames(L"Book", L"Sky");
    c.setOleColor(0xAB000000u | rgb(10, 130, 250));
    EXPECT_EQ(c.oleColor(), rgb(10, 130, 250));
    EXPECT_EQ(c.colorIndex(), 150);  // (0, 127, 255)
    EXPECT_EQ(c.colorName(), L"Sky");
    EXPECT_EQ(c.red(), 10);
    EXPECT_EQ(c.blue(), 250);
}
