#include "gdx_test_util.h"

#include "gdx/zun_gdx_registry.h"

#include "contracts/data/zun_data_item.h"

using namespace gdxtest;

namespace {

// The registry is process-wide: every test starts and ends with it empty.
class GdxRegistry : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        for (int key = -5; key <= 100; ++key)
            gdxMapRemoveAt(key);
    }
    ZUN::CCfgBackup m_backup;
};

} // namespace

TEST_F(GdxRegistry, SmallestFreeKeyAndStableEntries)
{
    EXPECT_EQ(gdxMapKeyNew(), 1);
    OpenGdx a, b;
    addPt(b, {1}, {});
    for (int key : {1, 2, 4, -3, 0})
        gdxMapSetAt(key, a);
    EXPECT_EQ(gdxMapKeyNew(), 3);
    EXPECT_TRUE(gdxMapRemoveAt(1));
    EXPECT_FALSE(gdxMapRemoveAt(1));
    EXPECT_EQ(gdxMapKeyNew(), 1);

    CZunGDX* stored = getGdxFromMap(4);
    gdxMapSetAt(4, b);  // an existing entry is assigned in place
    for (int key = 5; key < 60; ++key)
        gdxMapSetAt(key, a);
    EXPECT_EQ(getGdxFromMap(4), stored);
    EXPECT_EQ(stored->lenGet(), 1);
    EXPECT_EQ(getGdxFromMap(70), nullptr);
}

TEST_F(GdxRegistry, CreateFromItemAndConfiguration)
{
    CZunDataItem* cfg = freshColorConfig();
    cfg->set(2, L"PDSIZE");
    cfg->set(1, L"HIGHLIGHT");
    const CZunColor base(4);
    cfg->set(CZunDataItem::Value(base), L"BASE");  // a whole colour as well as bare indices
    cfg->set(250, L"BACKGROUND");

    CZunDataItem item(true);
    item.set(3, L"PDSIZE");
    item.set(34, L"PDMODE");
    item.set(CZunDataItem::Value(CZunPoint3dArray{CZunPoint3d(1, 2, 3)}), L"EXTVIEW");
    item.set(CZunDataItem::Value(translation(5, 6)), L"MTX");
    const CZunGDX* g = getGdxFromMap(createGdxInMap(&item));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->pdSizeGet(), 3.0);
    EXPECT_EQ(g->pdModeGet(), 34u);
    EXPECT_TRUE(g->projMtxGet().isEqualTo(translation(5, 6)));
    CZunPoint3d lo, hi;
    g->extMaxViewGet(lo, hi);
    expectPoint(lo, 1, 2, 3);
    expectPoint(hi, 0, 0, 0);
    ASSERT_EQ(g->ColorTabLenGet(), 5);
    EXPECT_EQ(g->colorTabGet(ZUN::cModeHighlight).colorIndex(), 1);
    EXPECT_EQ(g->colorTabGet(ZUN::cModeBase), base);
    EXPECT_EQ(g->colorTabGet(ZUN::cModeRefer), CZunColor());
    EXPECT_EQ(g->backColorGet().colorIndex(), 250);

    CZunDataItem plain(true);  // without keys the configuration's point size applies
    plain.set(L"255", L"RGB");  // and "RGB" without "COLOR" is not read
    const CZunGDX* h = getGdxFromMap(createGdxInMap(&plain));
    EXPECT_EQ(h->pdSizeGet(), 2.0);
    EXPECT_EQ(h->backColorGet().colorIndex(), 250);

    item.set(0, L"COLOR");
    item.set(L"16711680", L"RGB");
    item.set(L"RAL", L"TBL");
    const CZunColor bg = getGdxFromMap(createGdxInMap(&item))->backColorGet();
    EXPECT_EQ(bg.oleColor(), 16711680u);
    EXPECT_EQ(bg.colorIndex(), 0);
    EXPECT_EQ(bg.colorName(), L"RAL");
}

TEST_F(GdxRegistry, NullOrValueItemWithoutConfiguration)
{
    ZUN::CZunCfgMgr::instance().getCfgRoot()->remove(L"ORV_MENU");
    CZunDataItem value;  // a value item, not a directory
    value.set(5);
    for (CZunDataItem* source : {static_cast<CZunDataItem*>(nullptr), &value}) {
        const CZunGDX* h = getGdxFromMap(createGdxInMap(source));
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->pdSizeGet(), 0.0);
        EXPECT_EQ(h->ColorTabLenGet(), 5);
        EXPECT_EQ(h->colorTabGet(ZUN::cModeAux), CZunColor());
        EXPECT_EQ(h->backColorGet(), CZunColor());
    }
}
