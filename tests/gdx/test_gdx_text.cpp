#include "gdx/zun_gdx.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_resbuf.h"
#include "render/core/zun_font.h"

#include <gtest/gtest.h>

namespace {

CZunGDX plainList()
{
    return CZunGDX(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
}

// Width of a glyph of the built-in font, as the layout measures it.
double glyphWidth(wchar_t c)
{
    CZunPoint3d lo, hi;
    const CZunRegionList glyph = get_ascii_from_map(c);
    bool first = true;
    for (const auto& region : glyph) {
        CZunPoint3d a, b;
        if (region.get(0).extents(a, b)) {
            lo = first ? a : CZunPoint3d(std::min(lo.x, a.x), std::min(lo.y, a.y));
            hi = first ? b : CZunPoint3d(std::max(hi.x, b.x), std::max(hi.y, b.y));
            first = false;
        }
    }
    return hi.x - lo.x;
}

// Leftmost x of all outlines of item i.
double leftOf(const CZunGDX& gdx, int i)
{
    double left = 1e300;
    for (const auto& region : gdx.getDisplayList().get(i).txtRegl)
        for (const auto& contour : region)
            for (const CZunVertex& v : contour)
                left = std::min(left, v.start().x);
    return left;
}

double topOf(const CZunGDX& gdx, int i)
{
    double top = -1e300;
    for (const auto& region : gdx.getDisplayList().get(i).txtRegl)
        for (const auto& contour : region)
            for (const CZunVertex& v : contour)
                top = std::max(top, v.start().y);
    return top;
}

} // namespace

TEST(GdxText, GlyphsAdvanceByTheirWidthPlusHalfAUnit)
{
    CZunGDX gdx = plainList();
    gdx.imageTxt({1}, 0, L"H", CZunColor(1), {}, L"", {0, 0, 0}, {});
    gdx.imageTxt({2}, 0, L"HH", CZunColor(1), {}, L"", {0, 0, 0}, {});
    const double w = glyphWidth(L'H');
    const auto& two = gdx.getDisplayList().get(1).txtRegl;
    const auto& one = gdx.getDisplayList().get(0).txtRegl;
    ASSERT_EQ(two.len(), 2 * one.len());
    // The second H starts w + 0.5 after the first.
    const double shift = two.get(one.len()).get(0).get(0).start().x - two.get(0).get(0).get(0).start().x;
    EXPECT_NEAR(shift, w + 0.5, 1e-9);
    EXPECT_EQ(gdx.typeGet(0), objTxt);
    EXPECT_EQ(gdx.linetypeGet(0), (CZunArrayTempl<double>{1.0, 0.0, 0.0}));
}

TEST(GdxText, CharactersWithoutOutlineLeaveNoGap)
{
    CZunGDX gdx = plainList();
    gdx.imageTxt({1}, 0, L"HH", CZunColor(1), {}, L"", {}, {});
    gdx.imageTxt({2}, 0, L"H\tH", CZunColor(1), {}, L"", {}, {});
    EXPECT_EQ(gdx.getDisplayList().get(0).txtRegl, gdx.getDisplayList().get(1).txtRegl);
}

TEST(GdxText, AlignmentShiftsByWidthAndTopHeight)
{
    CZunGDX gdx = plainList();
    const double w = glyphWidth(L'H');
    gdx.imageTxt({1}, 0, L"H", CZunColor(1), {}, L"BL", {0, 0, 0}, {});
    gdx.imageTxt({2}, 0, L"H", CZunColor(1), {}, L"BR", {0, 0, 0}, {});
    gdx.imageTxt({3}, 0, L"H", CZunColor(1), {}, L"TL", {0, 10, 0}, {});
    gdx.imageTxt({4}, 0, L"", CZunColor(1), {}, L"CC", {0, 0, 0}, {});
    // BR moves left by W = w + 0.5 - 0.3.
    EXPECT_NEAR(leftOf(gdx, 0) - leftOf(gdx, 1), w + 0.2, 1e-9);
    // TL moves down by H, the top reached including the point's y: the top lands on 0.
    EXPECT_NEAR(topOf(gdx, 2), 0.0, 1e-9);
    EXPECT_TRUE(gdx.getDisplayList().get(3).txtRegl.isEmpty());
}

TEST(GdxText, SettersRebuildTheOutlinesOfTheSubtree)
{
    CZunGDX gdx = plainList();
    gdx.imageTxt({1, 1}, 0, L"A", CZunColor(1), {}, L"", {}, {});
    gdx.imageTxt({1, 2}, 0, L"A", CZunColor(1), {}, L"", {}, {});
    gdx.imageTxt({2}, 0, L"A", CZunColor(1), {}, L"", {}, {});
    EXPECT_FALSE(gdx.txtSet({1}, nullptr));
    EXPECT_TRUE(gdx.txtSet({1}, L"AB"));
    EXPECT_STREQ(gdx.txtGet(0), L"AB");
    EXPECT_STREQ(gdx.txtGet(1), L"AB");
    EXPECT_STREQ(gdx.txtGet(2), L"A");
    EXPECT_GT(gdx.getDisplayList().get(0).txtRegl.len(), gdx.getDisplayList().get(2).txtRegl.len());
    gdx.txtPointSet({2}, {100, 0, 0});
    EXPECT_NEAR(leftOf(gdx, 2), 100 + leftOf(gdx, 0), 1e-9);
    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    EXPECT_GT(hi.x, 100.0);  // the extents follow the moved text
    EXPECT_TRUE(gdx.txtSet({9}, L"none"));  // nothing matched: still true
}

TEST(GdxText, TextObjectsComeFromTheApplicationFunction)
{
    CZunApp app;
    CZunApp* previous = zunAppSet(&app);
    CZunDataItem text(true);
    text.set(L"Hallo", L"TEXT");
    CZunGDX gdx = plainList();
    EXPECT_FALSE(gdx.imageTxt({1}, 0, &text, CZunColor(1), {}, 2.5, {}));  // no function registered
    double height = 0;
    app.registerFunction(L"zun_text_to_regl", [&](const ZUN::CZunRbList& args, ZUN::CZunRbList& out) {
        height = args.get(-1).real;
        CZunVertexArray square = CZunVertexArray::fromPoints(CZunPoint3dArray{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, true);
        out = ZUN::regionsToList({CZunArrayTempl<CZunVertexArray>{square}});
        return static_cast<int>(kRtNorm);
    });
    EXPECT_FALSE(gdx.imageTxt({1}, 0, nullptr, CZunColor(1), {}, 2.5, {}));
    EXPECT_TRUE(gdx.imageTxt({1}, 0, &text, CZunColor(1), {}, 2.5, {}));
    EXPECT_EQ(height, 2.5);
    EXPECT_EQ(gdx.lenGet(), 1);
    EXPECT_EQ(gdx.getDisplayList().get(0).txtRegl.len(), 1);
    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    EXPECT_EQ(hi, CZunPoint3d(4, 4, 0));
    zunAppSet(previous);
}
