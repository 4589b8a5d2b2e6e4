#include "images/zun_image_drill.h"

#include "contracts/data/zun_drill.h"
#include "drill_test_util.h"

#include <cmath>
#include <numbers>

namespace {

using Stack = CZunArrayTempl<int>;

// An integer-keyed child (never drawn), a square placed by its own matrix,
// a 200 x 120 plate outline placed by "POS", and a sub-part of a type
// without contours under a 5020 key.
const char* const kChildren = R"("BT": {
  "#1": {"TYPE": "", "GEN": {"$": "contours", "v": [{"pts": [[0, 0], [5, 0], [5, 5]], "closed": true}]}},
  "P1": {"TYPE": "", "MTX": {"$": "matrix", "v": [[1, 0, 0, 100], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]]},
         "GEN": {"$": "contours", "v": [{"pts": [[0, 0], [10, 0], [10, 10], [0, 10]], "closed": true},
                                        {"pts": [[5, 3], [5, 7, 0, 1]], "closed": true}]}},
  "P2": {"TYPE": "OUTLINE", "POS": {"$": "point", "v": [30, 40]}, "GEN": {"OUTLINE": 1, "PARM": [200.0, 120.0]}},
  "#X:P3": {"TYPE": "BOLT", "GEN": {"DIAM": 12.0}}})";

std::string holePart(const std::string& drawKeys)
{
    return "{" + drawKeys + (drawKeys.empty() ? "" : ", ") + kChildren + "}";
}

const char* const kShifted =
    R"("MTX": {"$": "matrix", "v": [[1, 0, 0, 50], [0, 1, 0, 20], [0, 0, 1, 0], [0, 0, 0, 1]]})";

void expectMarker(const CZunDisplayItem& item, unsigned long flag, const CZunPoint3d& at, const CZunColor& color)
{
    EXPECT_EQ(item.type, objPt);
    EXPECT_EQ(item.flag, flag);
    EXPECT_TRUE(item.stack.isEmpty());
    EXPECT_TRUE(item.point.isEqualTo(at)) << item.point.x << ", " << item.point.y;
    EXPECT_EQ(item.color, color);
    EXPECT_EQ(item.mtx, CZunMatrix3d());
    expectListPointStyle(item);
}

} // namespace

TEST(HoleImage, ContoursArePlacedAndFilledOrHatchedOneByOne)
{
    CTestDrawing drawing;
    // A quarter turn as the placement: the square at x = 100 comes to y = 100.
    CTestData opts(R"({"MTX": {"$": "matrix", "v": [[0, -1, 0, 0], [1, 0, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]]}})");
    const ZUN::CHatchProp hatch(L"ANSI31", 0.5, 2.0, false);
    struct Case {
        const char* keys;
        unsigned long regionFlag;  // 0: no regions
        ZUN::CHatchProp hatch;
    } cases[] = {
        {R"("PART_CON": "CONTOUR", "PART_FILL": "FILL")", 0, {}},
        {R"("DRAW": 1, "PART_CON": "CONTOUR", "PART_FILL": "FILL")", 0, {}},
        {R"("DRAW": "F", "PART_CON": "CONTOUR", "PART_FILL": "FILL", "HPNAME": "ANSI31")", 0x11, {}},
        {R"("DRAW": "S", "PART_CON": "CONTOUR", "PART_FILL": "FILL", "HPNAME": "ANSI31", "HPANG": 0.5,
            "HPSCALE": 2.0)", 0x12, hatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        CTestData part(holePart(c.keys));
        CZunGDX gdx;
        ASSERT_TRUE(zun_gdx_image_hole(&gdx, part.handle.get(), opts.handle.get()));
        const int per = c.regionFlag ? 2 : 1;
        ASSERT_EQ(gdx.lenGet(), 3 * per) << "two contours of P1, the outline of P2";
        for (int i = 0; i < gdx.lenGet(); ++i) {
            const CZunDisplayItem& item = gdx.getDisplayList()[i];
            EXPECT_TRUE(item.stack.isEmpty());
            EXPECT_EQ(item.mtx, CZunMatrix3d());
            EXPECT_EQ(item.color, CZunColor(3));
            EXPECT_EQ(item.linetype, CZunArrayTempl<double>{1.0});
            EXPECT_EQ(item.ltscale, 1.0);
            EXPECT_EQ(item.thickn, 0u);
            if (i % per == 0) {
                EXPECT_EQ(item.type, objVl);
                EXPECT_EQ(item.flag, 0u);
            } else {
                EXPECT_EQ(item.type, objReg);
                EXPECT_EQ(item.flag, c.regionFlag);
                ASSERT_EQ(item.reg.len(), 1) << "inner contours are not cut out";
                EXPECT_EQ(item.reg[0], gdx.getDisplayList()[i - 1].vl);
                EXPECT_EQ(item.fcolor, CZunColor(8));
                EXPECT_EQ(item.hatch, c.hatch);
            }
        }
        const CZunVertexArray& square = gdx.getDisplayList()[0].vl;
        EXPECT_TRUE(square[0].start().isEqualTo(CZunPoint3d(0, 100)));
        EXPECT_TRUE(square[1].start().isEqualTo(CZunPoint3d(0, 110)));
        CZunPoint3d lo, hi;
        ASSERT_TRUE(gdx.getDisplayList()[2 * per].vl.extents(lo, hi));
        EXPECT_TRUE(lo.isEqualTo(CZunPoint3d(-100, -70))) << "P2 at POS (30, 40), turned";
        EXPECT_TRUE(hi.isEqualTo(CZunPoint3d(20, 130)));
    }
}

TEST(HoleImage, ActiveSubPartIsHighlightedAndEveryDrawnChildGetsAMarker)
{
    CTestDrawing drawing;
    CTestData part(holePart(R"("DRAW": "F", "PART_CON": "CONTOUR")"));
    CTestData opts(std::string(R"({"ACT": "P2", "CMODE": 2, "COORD": true, )") + kShifted + "}");
    CZunGDX gdx;
    ASSERT_TRUE(zun_gdx_image_hole(&gdx, part.handle.get(), opts.handle.get()));
    // P1: two contours with regions, marker; P2: active marker, outline with
    // region, marker; P3: marker. "#1" is left out, marker included.
    ASSERT_EQ(gdx.lenGet(), 4 + 1 + 1 + 2 + 1 + 1);
    const CZunPoint3d base(50, 20);
    EXPECT_EQ(gdx.flagGet(0), 0x200u);
    EXPECT_EQ(gdx.flagGet(1), 0x11u);
    EXPECT_EQ(gdx.flagGet(2), 0x200u);
    expectMarker(gdx.getDisplayList()[4], 0x400, base, CZunColor());
    expectMarker(gdx.getDisplayList()[5], 0x100, CZunPoint3d(80, 60), CZunColor(7));
    EXPECT_EQ(gdx.flagGet(6), 0x100u);
    EXPECT_EQ(gdx.flagGet(7), 0x11u) << "regions keep their own flag word";
    expectMarker(gdx.getDisplayList()[8], 0x400, base, CZunColor());
    expectMarker(gdx.getDisplayList()[9], 0x400, base, CZunColor());

    // Without "COORD" no marker at all, the highlight stays.
    CTestData quiet(R"({"ACT": "P2", "CMODE": 2})");
    CZunGDX plain;
    ASSERT_TRUE(zun_gdx_image_hole(&plain, part.handle.get(), quiet.handle.get()));
    ASSERT_EQ(plain.lenGet(), 6);
    for (int i = 0; i < plain.lenGet(); ++i)
        EXPECT_NE(plain.typeGet(i), objPt);
    EXPECT_EQ(plain.flagGet(4), 0x100u);
}

TEST(HoleImage, DrillingsAreDrawnByTheApplicationAndThePartStaysAsStored)
{
    CRecordingDrawer drawer;
    CTestData part(std::string(R"({"BT": {
      "D1": {"TYPE": "DRILL", "GEN": {"DIAM": 18.0, "THICK": 20.0}},
      "D2": {"TYPE": "DRILL", "GEN": {"THREAD": "M16", "THICK": 20.0}, )") + kShifted + "}}}");
    CZunDataItem* current = part.root.getItem(L"BT\\D2\\GEN");
    ASSERT_TRUE(ZUN::objGen(current, 0));
    const std::string before = part.json();
    CTestData opts(R"({"ACT": "D2", "CMODE": 4, "MTX": {"$": "matrix",
      "v": [[1, 0, 0, 0], [0, 1, 0, -30], [0, 0, 1, 0], [0, 0, 0, 1]]}})");
    CZunGDX gdx;
    ASSERT_TRUE(zun_gdx_image_hole(&gdx, part.handle.get(), opts.handle.get()));
    EXPECT_EQ(part.json(), before);
    ASSERT_EQ(drawer.calls.size(), 2u);
    EXPECT_EQ(gdx.lenGet(), 2) << "only what the application drew";

    // D1 was stored without its derived keys: the application sees them.
    const CRecordingDrawer::Call& stale = drawer.calls[0];
    ASSERT_NE(stale.partCopy, nullptr);
    double outD = 0.0, len = 0.0;
    EXPECT_TRUE(stale.partCopy->get(outD, L"OUT_D") && stale.partCopy->get(len, L"LEN"));
    EXPECT_EQ(outD, 18.0);
    EXPECT_EQ(len, 20.0);
    EXPECT_EQ(drawer.calls[1].part, current) << "a current drilling is handed over as stored";

    const CZunMatrix3d placements[] = {translation(0, -30), translation(50, -10)};
    const int modes[] = {4, 1};
    for (int i = 0; i < 2; ++i) {
        const CRecordingDrawer::Call& call = drawer.calls[i];
        EXPECT_TRUE(call.paramsDir && call.hasMtx);
        EXPECT_EQ(call.mode, modes[i]);
        EXPECT_TRUE(call.mtx.isEqualTo(placements[i]));
        EXPECT_FALSE(call.hasStack);
    }
}

TEST(HoleImage, WithoutAPartTheUserPicksOne)
{
    CTestDrawing drawing(std::string(R"({"zun": "drawing", "version": 1, "layers": {"CONTOUR": {"COLOR": 3}},
      "parts": [{"handle": "2B", "type": "SHEET", "data": {}},
                {"handle": "1A", "type": "HOLE", "data": )") + holePart(R"("PART_CON": "CONTOUR")") + "}]}");
    CZunString askedType;
    bool askedFlag = false;
    bool pick = true;
    // Cleared before the locals it refers to go, whatever fails.
    struct PickerReset {
        ~PickerReset() { zunAppPtr()->setEntityPicker(nullptr); }
    } reset;
    zunAppPtr()->setEntityPicker([&](ZUN::CAdsName& entity, const CZunString& type, bool flag) {
        askedType = type;
        askedFlag = flag;
        entity = ZUN::drawingCurrent().entityName(*ZUN::drawingCurrent().partByHandle(L"1A"));
        return pick;
    });
    CZunGDX gdx;
    EXPECT_TRUE(zun_gdx_image_hole(&gdx, nullptr, nullptr));
    EXPECT_EQ(askedType, CZunString(L"HOLE"));
    EXPECT_TRUE(askedFlag);
    EXPECT_EQ(gdx.lenGet(), 3);
    EXPECT_EQ(gdx.colorGet(0), CZunColor(3));

    pick = false;
    CZunGDX none;
    EXPECT_TRUE(zun_gdx_image_hole(&none, nullptr, nullptr)) << "nothing picked is no failure";
    EXPECT_EQ(none.lenGet(), 0);
}

TEST(HoleImage, NothingToDrawIsStillASuccess)
{
    CTestData noChildren(R"({"DRAW": "F"})");
    CTestData valueBt(R"({"BT": "P1"})");
    CZunGDX gdx;
    EXPECT_TRUE(zun_gdx_image_hole(&gdx, noChildren.handle.get(), nullptr));
    EXPECT_TRUE(zun_gdx_image_hole(&gdx, valueBt.handle.get(), nullptr));
    EXPECT_EQ(gdx.lenGet(), 0);
    EXPECT_FALSE(zun_gdx_image_hole(nullptr, noChildren.handle.get(), nullptr));
}
