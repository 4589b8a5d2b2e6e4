// Appending whole lists: the extents grow by the new items by the rule the
// whole list is measured by, and the items already there stay untouched.

#include "gdx/zun_gdx.h"

#include <gtest/gtest.h>

namespace {

CZunVertexArray box(double x, double y, double size)
{
    return CZunVertexArray::fromPoints({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}, true);
}

// Items of every kind that counts or does not count for the extents, made
// in a list of their own; flags chosen per row.
struct AppendCase {
    const char* name;
    unsigned long flag;
    const char* view;
};

class AppendMeasured : public ::testing::TestWithParam<AppendCase> {};

CZunGDX itemsFor(const AppendCase& c)
{
    CZunGDX src(CZunColor(), CZunMatrix3d(), 0.0, 0, {}, {});
    CZunMatrix3d turn;
    turn.setToRotation(0.5);
    CZunVertexArray arc;
    arc.append({100, 0, 0}, {100, 40, 0}, 1.0);
    src.imageVl({1}, c.flag, arc, CZunColor(1), turn, {1.0}, 0.0, 1, {1, 1, 0});
    src.imagePt({2}, c.flag, {-30, 7, 3}, CZunColor(1), {}, 0.0, 0, {2, 2, 0});
    src.imageReg({3}, c.flag, {box(5, -60, 20)}, CZunColor(1), turn, {1.0}, 0.0, 1, CZunColor(2), {}, {3, 3, 0});
    src.imageTxt({4}, c.flag, L"AB", CZunColor(1), CZunMatrix3d(), L"BL", {0, 200, 0}, {4, 4, 0});
    return src;
}

TEST_P(AppendMeasured, ExtentsAreThoseOfMeasuringTheWholeList)
{
    const AppendCase& c = GetParam();
    CZunGDX out(CZunColor(), CZunMatrix3d(), 0.0, 0, {}, {});
    ASSERT_TRUE(out.viewDirectionSet(CZunString::fromUtf8(c.view)));
    out.imageVl({9}, 0, box(0, 0, 10), CZunColor(1), {}, {1.0}, 0.0, 1, {});
    const CZunVertex* first = out.getDisplayList()[0].vl.data();

    const CZunGDX src = itemsFor(c);
    CZunArrayTempl<CZunDisplayItem> items = src.getDisplayList();
    const std::uint64_t before = out.measuredItemCount();
    ASSERT_TRUE(out.appendDisplayList(std::move(items)));
    EXPECT_TRUE(items.isEmpty());
    ASSERT_EQ(out.lenGet(), 1 + src.lenGet());
    EXPECT_EQ(out.getDisplayList()[0].vl.data(), first);
    // Only the counted new items were measured.
    const std::uint64_t counted = (c.flag & gdxFlagExtMask) ? 0u : static_cast<std::uint64_t>(src.lenGet());
    EXPECT_EQ(out.measuredItemCount() - before, counted);

    CZunPoint3d lo, hi, wlo, whi;
    ASSERT_TRUE(out.extmaxGet(lo, hi));
    CZunGDX whole = out;
    whole.viewDirectionMtxSet(whole.viewDirectionMtxGet());
    ASSERT_TRUE(whole.extmaxGet(wlo, whi));
    EXPECT_TRUE(lo.isEqualTo(wlo, 1e-9)) << c.name;
    EXPECT_TRUE(hi.isEqualTo(whi, 1e-9)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, AppendMeasured,
                         ::testing::Values(AppendCase{"counted", 0, "P"}, AppendCase{"counted from a corner", 0, "NO"},
                                           AppendCase{"out of the extents", gdxFlagNoExt, "P"},
                                           AppendCase{"anchored", gdxFlagAnchored, "SW"}));

TEST(AppendMeasured, RefusesNothingAndTheListItself)
{
    CZunGDX out(CZunColor(), CZunMatrix3d(), 0.0, 0, {}, {});
    CZunArrayTempl<CZunDisplayItem> none;
    EXPECT_FALSE(out.appendDisplayList(std::move(none)));
    out.imagePt({1}, 0, {1, 2, 0}, CZunColor(1), {}, 0.0, 0, {});
    CZunArrayTempl<CZunDisplayItem>& own = const_cast<CZunArrayTempl<CZunDisplayItem>&>(out.getDisplayList());
    EXPECT_FALSE(out.appendDisplayList(std::move(own)));
    EXPECT_EQ(out.lenGet(), 1);
}

TEST(ItemStack, SetKeepsTheExtentsAndRefusesMissingItems)
{
    CZunGDX list(CZunColor(), CZunMatrix3d(), 0.0, 0, {}, {});
    list.imageVl({}, 0, box(0, 0, 10), CZunColor(1), {}, {1.0}, 0.0, 1, {});
    const std::uint64_t measured = list.measuredItemCount();
    ASSERT_TRUE(list.itemStackSet(0, {7, 2}));
    EXPECT_EQ(list.getDisplayList()[0].stack, (CZunGDX::Stack{7, 2}));
    EXPECT_EQ(list.StackToItemNr({7}), CZunGDX::Stack{0});
    EXPECT_EQ(list.measuredItemCount(), measured);
    EXPECT_FALSE(list.itemStackSet(3, {1}));
}

} // namespace
