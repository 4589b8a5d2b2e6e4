#include "gdx_test_util.h"

#include <functional>
#include <string>
#include <utility>

using namespace gdxtest;

namespace {

// A small list of every kind, out of drawing order (a highlighted line
// before plain items), so that sorting has work to do.
OpenGdx mixedList()
{
    OpenGdx g;
    addVl(g, {1}, segment({0, 0}, {10, 5}), gdxFlagOfColorMode(ZUN::cModeHighlight));
    addPt(g, {2}, {3, 4});
    addReg(g, {3, 1}, {square(0, 0, 4)}, gdxFlagHatch);
    g.imageTxt({4}, 0, L"AB", CZunColor(1), CZunMatrix3d(), L"BL", {1, 1}, {});
    addPicture(g, {5});
    return g;
}

struct ChangeCase {
    std::string name;
    std::function<void(OpenGdx&)> change;
    // Whether the change is of the picture's content, not only its place in
    // the window (zoom and view matrix).
    bool content = true;
};

class GdxChangeCount : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(GdxChangeCount, EveryEditAndSetterRenewsIt)
{
    OpenGdx g = mixedList();
    const std::uint64_t all = g.changeCountGet();
    const std::uint64_t content = g.contentChangeCountGet();
    GetParam().change(g);
    EXPECT_NE(g.changeCountGet(), all);
    if (GetParam().content)
        EXPECT_NE(g.contentChangeCountGet(), content);
    else
        EXPECT_EQ(g.contentChangeCountGet(), content);
}

const CZunMatrix3d kMoved = translation(5, 7);

INSTANTIATE_TEST_SUITE_P(
    Gdx, GdxChangeCount,
    ::testing::Values(
        ChangeCase{"imageVl", [](OpenGdx& g) { addVl(g, {9}, segment({0, 0}, {1, 1})); }},
        ChangeCase{"imagePt", [](OpenGdx& g) { addPt(g, {9}, {1, 1}); }},
        ChangeCase{"imageReg", [](OpenGdx& g) { addReg(g, {9}, {square(1, 1, 2)}); }},
        ChangeCase{"imagePicture", [](OpenGdx& g) { addPicture(g, {9}); }},
        ChangeCase{"imageTxt", [](OpenGdx& g) { g.imageTxt({9}, 0, L"C", CZunColor(2), {}, L"CC", {}, {}); }},
        ChangeCase{"addDisplayList", [](OpenGdx& g) { g.addDisplayList(mixedList().getDisplayList()); }},
        ChangeCase{"txtSet", [](OpenGdx& g) { g.txtSet({4}, L"XY"); }},
        ChangeCase{"txtAlignSet", [](OpenGdx& g) { g.txtAlignSet({4}, L"TR"); }},
        ChangeCase{"txtPointSet", [](OpenGdx& g) { g.txtPointSet({4}, {8, 8}); }},
        ChangeCase{"clear", [](OpenGdx& g) { g.clear(); }},
        ChangeCase{"clearStack", [](OpenGdx& g) { g.clear({2}); }},
        ChangeCase{"removeItemStack", [](OpenGdx& g) { g.removeItemStack({3}); }},
        ChangeCase{"removeItem", [](OpenGdx& g) { g.removeItem(0); }},
        ChangeCase{"propSet", [](OpenGdx& g) { g.propSet({1}, propHide); }},
        ChangeCase{"redraw", [](OpenGdx& g) { g.redraw({}, propOutlineOn); }},
        ChangeCase{"cModeSet", [](OpenGdx& g) { g.cModeSet({2}, ZUN::cModeRefer); }},
        ChangeCase{"hatchSet", [](OpenGdx& g) { g.hatchSet({3}, ZUN::CHatchProp(L"ANSI31", 0.5, 2.0, false)); }},
        ChangeCase{"mtxSet", [](OpenGdx& g) { g.mtxSet({3}, kMoved); }},
        ChangeCase{"pdModeSetStack", [](OpenGdx& g) { g.pdModeSet({2}, pdModeCross); }},
        ChangeCase{"pdSizeSetStack", [](OpenGdx& g) { g.pdSizeSet({2}, 3.0); }},
        ChangeCase{"flagSet", [](OpenGdx& g) { g.flagSet(1, propOutlineOn); }},
        ChangeCase{"cFlagSet", [](OpenGdx& g) { g.cFlagSet(1, ZUN::cModeAux); }},
        ChangeCase{"displListSort", [](OpenGdx& g) { g.displListSort(); }},
        ChangeCase{"imageItemGet", [](OpenGdx& g) { g.imageItemGet({0, 0, 0}); }},
        ChangeCase{"ColorTabSet", [](OpenGdx& g) { g.ColorTabSet(ZUN::cModeAux, CZunColor(4)); }},
        ChangeCase{"backColorSet", [](OpenGdx& g) { g.backColorSet(CZunColor(5)); }},
        ChangeCase{"pdModeSet", [](OpenGdx& g) { g.pdModeSet(pdModePlus); }},
        ChangeCase{"pdSizeSet", [](OpenGdx& g) { g.pdSizeSet(2.5); }},
        ChangeCase{"projMtxSet", [](OpenGdx& g) { g.projMtxSet(scaling(2, 2, 1)); }},
        ChangeCase{"viewDirectionMtxSet", [](OpenGdx& g) { g.viewDirectionMtxSet(rotationZ(0.3)); }},
        ChangeCase{"viewDirectionHvcSet", [](OpenGdx& g) { g.viewDirectionHvcSet({1, 1, 1}); }},
        ChangeCase{"viewDirectionSet", [](OpenGdx& g) { g.viewDirectionSet(L"SW"); }},
        ChangeCase{"extMaxViewSetCorners", [](OpenGdx& g) { g.extMaxViewSet({0, 0}, {5, 5}); }},
        ChangeCase{"extMaxViewSet", [](OpenGdx& g) { g.extMaxViewSet(); }},
        ChangeCase{"assignedFromAnother", [](OpenGdx& g) { g = mixedList(); }},
        ChangeCase{"zoomMtxSet", [](OpenGdx& g) { g.zoomMtxSet(kMoved); }, false},
        ChangeCase{"viewMtxSet", [](OpenGdx& g) { g.viewMtxSet(kMoved); }, false}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return info.param.name; });

// Operations that find nothing to change leave the counts, so that a viewer
// does not paint again for them.
TEST(GdxChangeCount, OperationsThatChangeNothingKeepIt)
{
    OpenGdx g = mixedList();
    g.displListSort();
    const std::uint64_t all = g.changeCountGet();
    EXPECT_FALSE(g.propSet({42}, propHide));
    EXPECT_FALSE(g.cModeSet({42}, ZUN::cModeRefer));
    EXPECT_FALSE(g.removeItemStack({42}));
    EXPECT_FALSE(g.ColorTabSet(static_cast<ZUN::GdxColorMode>(20), CZunColor(1)));
    g.displListSort();  // in order already
    g.reserve(100);
    EXPECT_EQ(g.changeCountGet(), all);
}

TEST(GdxChangeCount, CopiesShareItAndMovedFromListsTakeANewOne)
{
    OpenGdx a = mixedList();
    OpenGdx b = mixedList();
    EXPECT_NE(a.changeCountGet(), b.changeCountGet());  // one sequence for all lists
    const OpenGdx copy = a;
    EXPECT_EQ(copy.changeCountGet(), a.changeCountGet());
    EXPECT_EQ(copy.contentChangeCountGet(), a.contentChangeCountGet());
    const std::uint64_t before = a.changeCountGet();
    const OpenGdx moved = std::move(a);
    EXPECT_EQ(moved.changeCountGet(), before);
    EXPECT_NE(a.changeCountGet(), before);  // NOLINT(bugprone-use-after-move): its count is what is checked
}

} // namespace
