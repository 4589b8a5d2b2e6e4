// A picked group is always seen as picked, and a picked area keeps its
// fill and its openings.

#include "tests/host/desktop/host_window_fixture.h"
#include "host/desktop/zun_host_highlight.h"
#include "render/qt/zun_dplist_image.h"

#include <QImage>

#include <map>

namespace {

std::map<QRgb, int> colorCounts(const QImage& image)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    return counts;
}

QRgb asQRgb(std::uint32_t ole)
{
    CZunColor c;
    c.setColor(ole);
    return qRgb(c.red(), c.green(), c.blue());
}

// The group with the largest filled or hatched area, else the first one.
int mainGroup(const CZunGDX& list)
{
    int best = -1;
    double bestArea = 0.0;
    for (const CZunDisplayItem& it : list.getDisplayList()) {
        if (it.type != objReg || !(it.flag & (gdxFlagFill | gdxFlagHatch)) || it.stack.isEmpty())
            continue;
        CZunPoint3d lo(1e300, 1e300, 0), hi(-1e300, -1e300, 0);
        for (const CZunVertex& v : it.reg.first()) {
            const CZunPoint3d p = it.mtx * v.start();
            lo = CZunPoint3d(std::min(lo.x, p.x), std::min(lo.y, p.y), 0);
            hi = CZunPoint3d(std::max(hi.x, p.x), std::max(hi.y, p.y), 0);
        }
        const double area = (hi.x - lo.x) * (hi.y - lo.y);
        if (area > bestArea) {
            bestArea = area;
            best = it.stack.get(0);
        }
    }
    if (best < 0 && !list.getDisplayList().isEmpty())
        best = list.getDisplayList().get(0).stack.get(0);
    return best;
}

struct HighlightCase {
    const char* name;
    const char* handle;
};

class HostHighlight : public HostWindowFixture, public ::testing::WithParamInterface<HighlightCase> {};

} // namespace

TEST_P(HostHighlight, ThePickedGroupShowsInThePickColourAndKeepsItsFill)
{
    m_window->showNode(m_window->partNode(QString::fromLatin1(GetParam().handle)));
    CZunDplistImage* viewer = m_window->viewer();
    const int group = mainGroup(*viewer->get_dpList());
    ASSERT_GE(group, 0);
    const QImage plain = viewer->renderImage();
    const QRgb pickColor = asQRgb(zunPickColor(*viewer->get_dpList(), group));
    ASSERT_TRUE(m_window->pickGroup(group));
    const QImage picked = viewer->renderImage();

    const std::map<QRgb, int> before = colorCounts(plain);
    const std::map<QRgb, int> after = colorCounts(picked);
    const auto count = [](const std::map<QRgb, int>& counts, QRgb c) {
        const auto it = counts.find(c);
        return it == counts.end() ? 0 : it->second;
    };
    // Seen as picked: many more pixels of the pick's colour than before.
    EXPECT_GT(count(after, pickColor), count(before, pickColor) + 150)
        << "pick colour #" << std::hex << pickColor << " hardly shows";
    // Nothing hidden under a solid block: the colours that covered large
    // parts of the picture (background, fills) still do.
    const int total = plain.width() * plain.height();
    for (const auto& [color, n] : before) {
        if (n > total / 50)
            EXPECT_GT(count(after, color), n * 9 / 10) << "colour #" << std::hex << color << " was covered";
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, HostHighlight,
                         ::testing::Values(HighlightCase{"DrillingOnTheHighlightLayer", "D1"},
                                           HighlightCase{"FilledBasePlate", "D4"},
                                           HighlightCase{"HatchedWall", "4D"},
                                           HighlightCase{"FilledRoofSheet", "5E"}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct PickColorCase {
    const char* name;
    std::uint32_t lineColor;   // 0x00BBGGRR
    bool highlightMode;        // the highlight mode's own colour is used
};

class HostPickColor : public ::testing::TestWithParam<PickColorCase> {};

} // namespace

TEST_P(HostPickColor, ThePickColourDiffersFromTheGroupsOwn)
{
    const PickColorCase& c = GetParam();
    CZunGDX list;
    CZunColor red;
    red.setOleColor(0x0000FF);
    list.ColorTabSet(ZUN::cModeHighlight, red);
    CZunColor white;
    white.setOleColor(0xFFFFFF);
    list.backColorSet(white);
    CZunColor line;
    line.setOleColor(c.lineColor);
    CZunVertexArray vl;
    vl.append(CZunVertex({0, 0, 0}, {100, 0, 0}));
    list.imageVl({3}, 0, vl, line, CZunMatrix3d(), {1.0}, 1.0, 0, CZunPoint3d());

    const std::uint32_t chosen = zunPickColor(list, 3);
    ASSERT_TRUE(zunHighlightGroup(list, 3));
    const int mode = gdxColorModeOfFlag(list.flagGet(0));
    EXPECT_EQ(mode == ZUN::cModeHighlight, c.highlightMode);
    EXPECT_EQ(list.colorTabGet(static_cast<ZUN::GdxColorMode>(mode)).oleColor(), chosen);
    EXPECT_NE(chosen, c.lineColor);
    EXPECT_NE(chosen, 0xFFFFFFu);
    EXPECT_FALSE(zunHighlightGroup(list, 4)) << "no such group";
}

INSTANTIATE_TEST_SUITE_P(Colours, HostPickColor,
                         ::testing::Values(PickColorCase{"Black", 0x000000, true},
                                           PickColorCase{"Red", 0x0000FF, false},
                                           PickColorCase{"NearlyRed", 0x1010F0, false},
                                           PickColorCase{"Orange", 0x0080FF, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostPickOutline, AFilledAreaKeepsItsModeAndGetsItsOutlineOnTop)
{
    CZunGDX list;
    CZunColor black;
    black.setOleColor(0);
    CZunVertexArray square = CZunVertexArray::fromPoints({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true);
    list.imageReg({2, 1}, gdxFlagFill, {square}, black, CZunMatrix3d(), {1.0}, 1.0, 0, black, ZUN::CHatchProp(),
                  CZunPoint3d());
    list.imageVl({2, 1}, 0, square, black, CZunMatrix3d(), {1.0}, 1.0, 0, CZunPoint3d());
    CZunPoint3d lo, hi;
    list.extmaxGet(lo, hi);
    ASSERT_TRUE(zunHighlightGroup(list, 2));
    ASSERT_EQ(list.lenGet(), 3);
    EXPECT_EQ(gdxColorModeOfFlag(list.flagGet(0)), ZUN::cModeOwn) << "the fill keeps its colour";
    EXPECT_EQ(gdxColorModeOfFlag(list.flagGet(1)), ZUN::cModeHighlight);
    EXPECT_EQ(list.typeGet(2), objVl);
    EXPECT_EQ(gdxColorModeOfFlag(list.flagGet(2)), ZUN::cModeHighlight);
    EXPECT_EQ(list.getDisplayList().get(2).stack.get(0), 2) << "the outline belongs to the group";
    CZunPoint3d lo2, hi2;
    list.extmaxGet(lo2, hi2);
    EXPECT_EQ(lo2, lo);
    EXPECT_EQ(hi2, hi);
}
