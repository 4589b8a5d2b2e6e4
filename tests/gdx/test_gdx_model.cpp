#include "gdx_test_util.h"

#include "contracts/data/zun_app.h"

using namespace gdxtest;

// ---- stacks -----------------------------------------------------------------------

TEST(GdxStack, SubtreeSelectionAndLargestEntries)
{
    OpenGdx g;
    for (const Stack& s : {Stack{1}, Stack{1, 2}, Stack{1, 2, 5}, Stack{2}})
        addPt(g, s, {});
    EXPECT_EQ(g.stackGet(), 2);
    EXPECT_EQ(g.StackToItemNr({1}), Stack({0, 1, 2}));
    EXPECT_EQ(g.StackToItemNr({1, 2}), Stack({1, 2}));
    EXPECT_TRUE(g.StackToItemNr({}).isEmpty());
    EXPECT_EQ(g.stackGet({1}), 2);
    EXPECT_EQ(g.stackGet({1, 2}), 5);
    EXPECT_EQ(g.stackGet({3}), -1);
    EXPECT_EQ(g.stackGet({2}), 0);
    EXPECT_EQ(g.typeGet(-1), objPt);  // the arrays' index rules
    EXPECT_EQ(g.typeGet(4), 0);

    OpenGdx h;  // an item of exactly the stack after deeper ones resets the result
    EXPECT_EQ(h.stackGet(), 0);
    EXPECT_EQ(h.stackGet({1}), -1);
    addPt(h, {1, 5}, {});
    addPt(h, {1}, {});
    EXPECT_EQ(h.stackGet({1}), 0);
    addPt(h, {1, 3}, {});
    EXPECT_EQ(h.stackGet({1}), 3);
}

TEST(GdxStack, RemovalAndPointStyleByStack)
{
    OpenGdx g;
    addPt(g, {1}, {100, 100});
    addPt(g, {3}, {-1, -1});
    addPt(g, {1, 2}, {50, 0});
    addPt(g, {2}, {0, 0});
    EXPECT_FALSE(g.clear({5}));
    EXPECT_TRUE(g.removeItemStack({1}));
    EXPECT_EQ(firstEntries(g), (std::vector<int>{3, 2}));
    CZunPoint3d lo, hi;
    ASSERT_TRUE(g.extmaxGet(lo, hi));
    expectPoint(hi, 0, 0, 0);  // recomputed without the removed items

    g.pdModeSet(33);
    addPt(g, {2, 1}, {});
    EXPECT_TRUE(g.pdModeSet({2}, 3));  // the exact stack, not the subtree
    EXPECT_FALSE(g.pdSizeSet({7}, 1.0));
    EXPECT_EQ(g.pdModeGet(1), 3u);
    EXPECT_EQ(g.pdModeGet(2), 33u);
    g.imagePt({8}, 0, {}, CZunColor(), CZunMatrix3d(), 0.0, ~0ul, {});  // a wide ~0 means the default too
    EXPECT_EQ(g.pdModeGet(-1), 33u);
}

// ---- flags and colour modes ----------------------------------------------------------

TEST(GdxFlags, PropertyCodesSetAndClearTheirBits)
{
    const unsigned long cases[][3] = {
        {propShow, 0xFF, 0xFB},   {propHide, 0, 0x04},          {propExtIn, 0xFF, 0xF7},  {propExtOut, 0, 0x08},
        {propOutlineOn, 0, 0x10}, {propOutlineOff, 0xFF, 0xEF}, {propWindowOn, 0, 0x20}, {propWindowOff, 0xFF, 0xDF},
        {propPicOptOn, 0, 0x40},  {propPicOptOff, 0xFF, 0xBF},  {11, 0x15, 0x15},        {0, 0x15, 0x15},
    };
    for (const auto& c : cases) {
        OpenGdx g;
        addVl(g, {1}, segment({0, 0}, {1, 1}), withMode(c[1], 3));
        addVl(g, {2}, segment({0, 0}, {1, 1}), withMode(c[1], 3));
        g.flagSet(0, c[0]);
        EXPECT_TRUE(g.propSet({2}, c[0]));
        EXPECT_EQ(g.flagGet(0), withMode(c[2], 3)) << "code " << c[0];
        EXPECT_EQ(g.flagGet(1), withMode(c[2], 3)) << "code " << c[0];
    }
}

TEST(GdxFlags, ColourModeKeepsPropertyBitsAndRedrawSelectsAll)
{
    OpenGdx g;
    EXPECT_FALSE(g.redraw({}, propHide));
    addVl(g, {1}, segment({0, 0}, {1, 0}), 0xF0F3);
    addPt(g, {2, 1}, {});
    g.cFlagSet(0, static_cast<ZUN::GdxColorMode>(17));
    EXPECT_EQ(g.flagGet(0), 0x1F3u);
    EXPECT_TRUE(g.cModeSet({1}, ZUN::cModeContrast));
    EXPECT_EQ(g.flagGet(0), 0xFF3u);
    EXPECT_TRUE(g.redraw({}, propHide));
    EXPECT_EQ(g.flagGet(1), gdxFlagHidden);
    EXPECT_TRUE(g.redraw({9}, propShow));  // nothing selected is still a success
    EXPECT_FALSE(g.propSet({9}, propShow));
}

// The public helpers for the colour mode inside the flag word: the mode
// sits in bits 8..11 and is taken modulo 16; the other bits are left alone.
struct FlagModeCase {
    unsigned long flag;
    int mode;
    unsigned long withMode;
};

class GdxFlagColorMode : public ::testing::TestWithParam<FlagModeCase> {};

TEST_P(GdxFlagColorMode, ReadAndWrittenByName)
{
    const FlagModeCase& c = GetParam();
    EXPECT_EQ(gdxFlagWithColorMode(c.flag, c.mode), c.withMode);
    EXPECT_EQ(gdxColorModeOfFlag(c.withMode), c.mode & 15);
    EXPECT_EQ(gdxFlagOfColorMode(c.mode), c.withMode & gdxFlagColorModeMask);
    EXPECT_EQ(gdxFlagWithColorMode(c.withMode, c.mode), c.withMode);
}

INSTANTIATE_TEST_SUITE_P(Flags, GdxFlagColorMode,
                         ::testing::Values(FlagModeCase{0x00, ZUN::cModeOwn, 0x000},
                                           FlagModeCase{gdxFlagHatch | gdxFlagOutline, ZUN::cModeBase, 0x412},
                                           FlagModeCase{0xF0F3, ZUN::cModeHighlight, 0xF1F3},
                                           FlagModeCase{0x2FF, ZUN::cModeContrast, 0xFFF},
                                           FlagModeCase{0x1, 17, 0x101}));

TEST(GdxFlags, ColourTableAndDefaultConstruction)
{
    OpenGdx g;
    EXPECT_EQ(g.ColorTabLenGet(), 0);
    EXPECT_TRUE(g.ColorTabSet(static_cast<ZUN::GdxColorMode>(14), CZunColor(140)));
    EXPECT_EQ(g.ColorTabLenGet(), 14);
    EXPECT_EQ(g.colorTabGet(static_cast<ZUN::GdxColorMode>(6)), CZunColor());
    EXPECT_EQ(g.colorTabGet(ZUN::cModeOwn).colorIndex(), 140);  // entry -1: the last one
    EXPECT_FALSE(g.ColorTabSet(ZUN::cModeContrast, CZunColor(1)));
    EXPECT_FALSE(g.ColorTabSet(ZUN::cModeOwn, CZunColor(1)));

    ZUN::CCfgBackup backup;
    const std::uint32_t savedBackground = zunAppPtr()->bkColorGet();
    zunAppPtr()->bkColorSet(0x203040);
    CZunDataItem* cfg = freshColorConfig();
    cfg->set(2.5, L"PDSIZE");
    cfg->set(34, L"PDMODE");
    const CZunColor refer(5);
    cfg->set(CZunDataItem::Value(refer), L"REFER");
    cfg->set(3, L"AXIS");  // a bare index is read as that colour index
    const CZunGDX d;
    zunAppPtr()->bkColorSet(savedBackground);
    EXPECT_EQ(d.backColorGet().oleColor(), 0x203040u);
    EXPECT_EQ(d.pdSizeGet(), 2.5);
    EXPECT_EQ(d.pdModeGet(), 34u);
    EXPECT_EQ(d.ColorTabLenGet(), 5);
    EXPECT_EQ(d.colorTabGet(ZUN::cModeRefer), refer);
    EXPECT_EQ(d.colorTabGet(ZUN::cModeAxis), CZunColor(3));
}

// ---- adding items ---------------------------------------------------------------------------

TEST(GdxItems, FillColourLineTypeAndPictures)
{
    OpenGdx g;
    const CZunColor line(1), fill(4);
    const ZUN::CHatchProp hatch;
    g.imageReg({3}, gdxFlagOutline, {square(0, 0, 1)}, line, CZunMatrix3d(), {}, 1, 1, fill, hatch, {});
    g.imageReg({3}, 0x11, {square(0, 0, 1)}, line, CZunMatrix3d(), {}, 1, 1, CZunColor(), hatch, {});
    g.imageReg({3}, gdxFlagHatch, {square(0, 0, 1)}, line, CZunMatrix3d(), {0.5, -0.5}, 1, 1, fill, hatch, {});
    EXPECT_EQ(g.fcolorGet(0), CZunColor());
    EXPECT_EQ(g.fcolorGet(1), line);
    EXPECT_EQ(g.fcolorGet(2), fill);
    EXPECT_EQ(g.linetypeGet(0), CZunArrayTempl<double>({1.0}));
    EXPECT_EQ(g.linetypeGet(2), CZunArrayTempl<double>({0.5, -0.5}));

    g.imagePicture({4}, 0, L"", 0x7FFFFFFF, {3, 3}, {3, 3});  // equal corners: no rectangle
    g.imagePicture({4}, 0, L"", 12, {0, 0}, {5, 5});
    CZunString name;
    int id = 0;
    EXPECT_TRUE(g.getDisplayList().get(3).vl.isEmpty());
    EXPECT_FALSE(g.pictureGet(3, name, id));
    EXPECT_TRUE(g.pictureGet(4, name, id));
    EXPECT_TRUE(g.addDisplayList(g.getDisplayList()));  // appending the list to itself
    EXPECT_EQ(g.lenGet(), 10);
}

TEST(GdxItems, ArgumentsTakenFromTheListItselfSurviveItsGrowth)
{
    OpenGdx g;
    const CZunVertexArray first = square(0, 0, 3);
    g.imageVl({1, 2}, 0, first, CZunColor(4), translation(1, 1), {0.5, -0.5}, 2.0, 3, {6, 6});
    for (int i = 0; i < 40; ++i) {
        // Every argument is a part of item 0, which each growth of the list moves.
        const CZunDisplayItem& src = g.getDisplayList().get(0);
        g.imageVl(src.stack, 0, src.vl, src.color, src.mtx, src.linetype, src.ltscale, src.thickn, src.point);
    }
    ASSERT_EQ(g.StackToItemNr({1, 2}).len(), 41);
    for (const CZunDisplayItem& it : g.getDisplayList())
        EXPECT_TRUE(it.vl == first && it.linetype == CZunArrayTempl<double>({0.5, -0.5}));
}
