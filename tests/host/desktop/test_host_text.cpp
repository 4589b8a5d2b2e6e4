// Texts of the data tree as regions of a real font: the host's
// "zun_text_to_regl" as the module calls it.

#include "contracts/data/zun_resbuf.h"
#include "gdx/zun_gdx.h"
#include "host/zun_host_app.h"
#include "render/core/zun_font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

struct Box {
    CZunPoint3d lo, hi;
};

Box boxOf(const CZunVertexArray& contour)
{
    Box b;
    EXPECT_TRUE(contour.extents(b.lo, b.hi));
    return b;
}

Box boxOf(const CZunRegionList& regions)
{
    Box all{{1e300, 1e300}, {-1e300, -1e300}};
    for (const CZunContourSet& region : regions) {
        const Box b = boxOf(region.get(0));
        all.lo = {std::min(all.lo.x, b.lo.x), std::min(all.lo.y, b.lo.y)};
        all.hi = {std::max(all.hi.x, b.hi.x), std::max(all.hi.y, b.hi.y)};
    }
    return all;
}

bool inside(const Box& inner, const Box& outer)
{
    return inner.lo.x > outer.lo.x && inner.lo.y > outer.lo.y && inner.hi.x < outer.hi.x && inner.hi.y < outer.hi.y;
}

QFont sans()
{
    return QFont(QString::fromLatin1(CZunHostApp::kDefaultFont));
}

class HostText : public ::testing::Test {
protected:
    void SetUp() override { m_previous = zunAppSet(&m_app); }
    void TearDown() override { zunAppSet(m_previous); }

    CZunDataItem text(const wchar_t* value) const
    {
        CZunDataItem item(true);
        item.set(value, L"TEXT");
        return item;
    }

    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
};

} // namespace

TEST_F(HostText, LetterAIsOneRegionWithItsCounterAsAHole)
{
    const CZunRegionList regions = CZunHostApp::textRegions(QStringLiteral("A"), sans(), 10.0);
    ASSERT_EQ(regions.len(), 1);
    ASSERT_EQ(regions[0].len(), 2);
    for (const CZunVertexArray& contour : regions[0]) {
        EXPECT_TRUE(contour.isClosed());
        EXPECT_GE(contour.len(), 3);
    }
    const Box outer = boxOf(regions[0][0]);
    const Box hole = boxOf(regions[0][1]);
    EXPECT_TRUE(inside(hole, outer));
    // Baseline at 0, cap height as asked, y upwards.
    EXPECT_NEAR(outer.lo.y, 0.0, 0.05);
    EXPECT_NEAR(outer.hi.y, 10.0, 0.1);
    EXPECT_GT(hole.lo.y, 2.0);
}

namespace {

struct EvenOddCase {
    const char* text;
    int regions;
    int holes;
};

std::ostream& operator<<(std::ostream& os, const EvenOddCase& c)
{
    return os << '"' << c.text << '"';
}

class HostTextEvenOdd : public HostText, public ::testing::WithParamInterface<EvenOddCase> {};

} // namespace

TEST_P(HostTextEvenOdd, HolesAndSeparateAreasFollowTheEvenOddRule)
{
    const EvenOddCase& c = GetParam();
    const CZunRegionList regions = CZunHostApp::textRegions(QString::fromLatin1(c.text), sans(), 5.0);
    int holes = 0;
    for (const CZunContourSet& region : regions) {
        holes += region.len() - 1;
        for (int k = 1; k < region.len(); ++k)
            EXPECT_TRUE(inside(boxOf(region[k]), boxOf(region[0])));
    }
    EXPECT_EQ(regions.len(), c.regions);
    EXPECT_EQ(holes, c.holes);
}

// Nothing to set (empty, blanks only) gives no regions.
INSTANTIATE_TEST_SUITE_P(Texts, HostTextEvenOdd,
                         ::testing::Values(EvenOddCase{"O", 1, 1}, EvenOddCase{"B", 1, 2}, EvenOddCase{"8", 1, 2},
                                           EvenOddCase{"i", 2, 0}, EvenOddCase{"l", 1, 0}, EvenOddCase{"AO", 2, 2},
                                           EvenOddCase{"%", 3, 2}, EvenOddCase{"", 0, 0},
                                           EvenOddCase{"   ", 0, 0}));

TEST_F(HostText, TheModuleGetsPlacedRegionsThroughTheNamedFunction)
{
    CZunDataItem item = text(L"AB");
    item.set(CZunDataItem::Value(CZunPoint3d(100, 50, 0)), L"POS");
    CZunRegionList regions;
    ASSERT_TRUE(zun_text_to_regl(&item, regions, 4.0));
    EXPECT_EQ(regions.len(), 2);
    const Box plain = boxOf(regions);
    EXPECT_NEAR(plain.lo.y, 50.0, 0.05);
    EXPECT_NEAR(plain.hi.y, 54.0, 0.1);
    EXPECT_GT(plain.lo.x, 100.0);
    EXPECT_LT(plain.lo.x, 101.0);

    // Right-aligned at the top: the text ends at the point and hangs below it.
    item.set(L"TR", L"ALIGN");
    ASSERT_TRUE(zun_text_to_regl(&item, regions, 4.0));
    const Box aligned = boxOf(regions);
    EXPECT_NEAR(aligned.hi.y, 50.0, 0.1);
    EXPECT_LT(aligned.hi.x, 100.0);
    EXPECT_GT(aligned.hi.x, 99.0);
    EXPECT_NEAR(aligned.hi.x - aligned.lo.x, plain.hi.x - plain.lo.x, 1e-6);

    // A quarter turn: the baseline runs upwards, the text lies left of it.
    item.set(L"BL", L"ALIGN");
    item.set(M_PI / 2.0, L"ANGLE");
    ASSERT_TRUE(zun_text_to_regl(&item, regions, 4.0));
    const Box turned = boxOf(regions);
    EXPECT_NEAR(turned.hi.x, 100.0, 0.05);
    EXPECT_NEAR(turned.lo.x, 96.0, 0.1);
    EXPECT_NEAR(turned.hi.y - turned.lo.y, plain.hi.x - plain.lo.x, 1e-6);
}

TEST_F(HostText, TextObjectsItCannotSetAreRefused)
{
    CZunRegionList regions;
    CZunDataItem noText(true);
    noText.set(L"DejaVu Sans", L"FONT");
    EXPECT_FALSE(zun_text_to_regl(&noText, regions, 4.0));
    EXPECT_TRUE(regions.isEmpty());
    CZunDataItem item = text(L"M12");
    EXPECT_FALSE(zun_text_to_regl(&item, regions, 0.0));
    EXPECT_FALSE(zun_text_to_regl(&item, regions, -2.0));
    EXPECT_FALSE(zun_text_to_regl(nullptr, regions, 2.0));

    ZUN::CZunRbList result;
    EXPECT_EQ(CZunHostApp::textToRegions({}, result), kRtError);
    EXPECT_EQ(CZunHostApp::textToRegions({ZUN::CRbValue::makeReal(2.0)}, result), kRtError);
}

TEST_F(HostText, TextItemsOfTheDisplayListUseIt)
{
    CZunGDX gdx;
    CZunDataItem item = text(L"Wand 240");
    ASSERT_TRUE(gdx.imageTxt({1}, 0, &item, CZunColor(1), CZunMatrix3d(), 10.0, {}));
    ASSERT_EQ(gdx.lenGet(), 1);
    CZunGDX::Regions regl;
    gdx.geomGet(regl, 0);
    // W, a, n, d, 2, 4, 0 - the space is advance only; a, d, 4, 0 have holes.
    EXPECT_EQ(regl.len(), 7);
    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    // The ascender of "d" rises a little above the cap height.
    EXPECT_GT(hi.y, 9.9);
    EXPECT_LT(hi.y, 11.0);
    EXPECT_GT(hi.x, 50.0);
}
