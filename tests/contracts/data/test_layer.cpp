#include "contracts/data/zun_layer.h"

#include "tests/contracts/data/test_current_drawing.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace ZUN;

namespace {

const char* const kLayers = R"({"zun": "drawing", "layers": {
 "BY-INDEX": {"COLOR": 3, "LTYPE": "HIDDEN"},
 "BY-SHORT": {"COLOR": {"$": "short", "v": 5}},
 "BY-VALUE": {"COLOR": {"$": "color", "index": 1, "rgb": "#123456", "book": "RAL", "name": "RAL 5002"}},
 "OUT-OF-RANGE": {"COLOR": 999},
 "TEXT-COLOR": {"COLOR": "red", "LTYPE": "CONTINUOUS"},
 "NO-COLOR": {"LTYPE": "DASHED"},
 "WALL": {"COLOR": 8, "LTYPE": "CONTINUOUS",
          "PHYS": {"HPNAME": "BRICK", "HPSCALE": 2.5, "HPANG": 90, "THICK": 240.0, "LTYPE": "PHANTOM"}},
 "SEAL": {"COLOR": 250, "PHYS": {"COLOR": 6, "HPNAME": "ANSI34", "HPSCALE": 0, "HPANG": -45.0, "THICK": 3}},
 "NEGATIVE-SCALE": {"PHYS": {"HPNAME": "SOLID", "HPSCALE": -2.0}},
 "FLAT-PHYS": {"COLOR": 4, "PHYS": "INSULATION"},
 "Mixed": {"COLOR": 9},
 "mixed": {"COLOR": 10},
 "A": {"B": {"COLOR": 1}},
 "VALUE-ONLY": 7
}})";

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(drawing.load(kLayers)); }

    CTestCurrentDrawing drawing;
    CZunLayerMgr mgr;
};

} // namespace

TEST_F(LayerTest, ColourByIndexOrByColourValue)
{
    EXPECT_EQ(layer_color(L"BY-INDEX"), CZunColor(3));
    EXPECT_EQ(layer_color(L"BY-SHORT"), CZunColor(5));

    const CZunColor value = layer_color(L"BY-VALUE");
    EXPECT_EQ(value.colorIndex(), 1);
    EXPECT_EQ(value.red(), 0x12);
    EXPECT_EQ(value.green(), 0x34);
    EXPECT_EQ(value.blue(), 0x56);
    EXPECT_EQ(value.bookName(), L"RAL");
    EXPECT_EQ(value.colorName(), L"RAL 5002");

    // What cannot name a colour gives none, as a missing layer does.
    EXPECT_EQ(layer_color(L"OUT-OF-RANGE").colorIndex(), CZunColor::kNone);
    // A layer name is no path: "A\\B" names nothing.
    for (const wchar_t* name : {L"TEXT-COLOR", L"NO-COLOR", L"MISSING", L"", L"VALUE-ONLY", L"A\\B"})
        EXPECT_EQ(layer_color(name), CZunColor()) << CZunString(name).toUtf8();
}

TEST_F(LayerTest, NamesMatchExactlyFirstThenWithoutCase)
{
    EXPECT_EQ(layer_color(L"Mixed"), CZunColor(9));
    EXPECT_EQ(layer_color(L"mixed"), CZunColor(10));
    EXPECT_EQ(layer_color(L"by-index"), CZunColor(3));
    CPhysLayerProp prop;
    ASSERT_TRUE(mgr.physLayerPropGet(L"Wall", prop));
    EXPECT_EQ(prop.hatch.name(), L"BRICK");
}

TEST_F(LayerTest, SampleDrawingLayers)
{
    ASSERT_NO_FATAL_FAILURE(drawing.openSample());
    EXPECT_EQ(layer_color(L"CONTOUR"), CZunColor(7));
    EXPECT_EQ(layer_color(L"AXIS"), CZunColor(1));
    EXPECT_EQ(layer_color(L"BY-INDEX"), CZunColor()) << "the drawing opened last counts";

    CPhysLayerProp prop;
    ASSERT_TRUE(mgr.physLayerPropGet(L"INSULATION", prop));
    EXPECT_EQ(prop.color.colorIndex(), 2);
    EXPECT_EQ(prop.color.oleColor(), CZunColor::rgb(255, 255, 0));
    EXPECT_EQ(prop.hatch, CHatchProp(L"INSUL", 0.0, 1.0, false));
    EXPECT_EQ(prop.lineType, L"CONTINUOUS");
    EXPECT_EQ(prop.thickness, 0.0);

    ASSERT_TRUE(mgr.physLayerPropGet(L"AXIS", prop));
    EXPECT_EQ(prop.color, CZunColor(1));
    EXPECT_EQ(prop.lineType, L"DASHDOT");
    EXPECT_EQ(prop.hatch, CHatchProp());
}

TEST_F(LayerTest, PhysicalPropertiesFromThePhysDirectory)
{
    CPhysLayerProp wall;
    ASSERT_TRUE(mgr.physLayerPropGet(L"WALL", wall));
    EXPECT_EQ(wall.color, CZunColor(8)) << "no colour of its own: the layer's";
    EXPECT_EQ(wall.lineType, L"PHANTOM");
    EXPECT_EQ(wall.hatch.name(), L"BRICK");
    EXPECT_EQ(wall.hatch.scale(), 2.5);
    EXPECT_DOUBLE_EQ(wall.hatch.angle(), std::numbers::pi / 2);
    EXPECT_FALSE(wall.hatch.isDouble());
    EXPECT_EQ(wall.thickness, 240.0);

    CPhysLayerProp seal;
    ASSERT_TRUE(mgr.physLayerPropGet(L"SEAL", seal));
    EXPECT_EQ(seal.color, CZunColor(6));
    EXPECT_TRUE(seal.lineType.isEmpty());
    EXPECT_EQ(seal.hatch.scale(), 1.0) << "a zero scale counts as 1";
    EXPECT_DOUBLE_EQ(seal.hatch.angle(), -std::numbers::pi / 4);
    EXPECT_EQ(seal.thickness, 3.0) << "an integer thickness reads as well";

    CPhysLayerProp negative;
    ASSERT_TRUE(mgr.physLayerPropGet(L"NEGATIVE-SCALE", negative));
    EXPECT_EQ(negative.hatch.scale(), 1.0);
    EXPECT_EQ(negative.color, CZunColor());
}

TEST_F(LayerTest, WithoutPhysTheLayerItselfCounts)
{
    // A fresh result each time: nothing from the call before stays behind.
    CPhysLayerProp prop;
    ASSERT_TRUE(mgr.physLayerPropGet(L"WALL", prop));
    ASSERT_TRUE(mgr.physLayerPropGet(L"BY-INDEX", prop));
    EXPECT_EQ(prop.color, CZunColor(3));
    EXPECT_EQ(prop.lineType, L"HIDDEN");
    EXPECT_EQ(prop.hatch, CHatchProp());
    EXPECT_EQ(prop.thickness, 0.0);

    ASSERT_TRUE(mgr.physLayerPropGet(L"FLAT-PHYS", prop));
    EXPECT_EQ(prop.color, CZunColor(4));
    EXPECT_TRUE(prop.hatch.name().isEmpty()) << "a PHYS that is no directory holds no hatch";

    ASSERT_TRUE(mgr.physLayerPropGet(L"NO-COLOR", prop));
    EXPECT_EQ(prop.color, CZunColor());
    EXPECT_EQ(prop.lineType, L"DASHED");
}

TEST_F(LayerTest, MissingLayerLeavesThePropAlone)
{
    CPhysLayerProp prop;
    prop.color = CZunColor(5);
    prop.hatch = CHatchProp(L"NET", 1.0, 3.0, true);
    prop.lineType = L"KEEP";
    prop.thickness = 12.5;
    for (const wchar_t* name : {L"MISSING", L"", L"VALUE-ONLY", L"A\\B"}) {
        EXPECT_FALSE(mgr.physLayerPropGet(name, prop)) << CZunString(name);
        EXPECT_EQ(prop.color, CZunColor(5));
        EXPECT_EQ(prop.hatch, CHatchProp(L"NET", 1.0, 3.0, true));
        EXPECT_EQ(prop.lineType, L"KEEP");
        EXPECT_EQ(prop.thickness, 12.5);
    }
}
