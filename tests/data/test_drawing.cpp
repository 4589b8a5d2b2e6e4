#include "contracts/data/zun_dta.h"

#include <gtest/gtest.h>

namespace {

const CZunString kSample = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

} // namespace

TEST(Drawing, SampleLoadsWithPartsLayersAndMaterials)
{
    ZUN::CZunDrawing drawing;
    ZUN::CDataFileError error;
    ASSERT_TRUE(drawing.load(kSample, &error)) << error.toString().toUtf8();
    ASSERT_EQ(drawing.partCount(), 10);
    const ZUN::CZunPart* hole = drawing.partByHandle(L"D4");
    ASSERT_NE(hole, nullptr);
    EXPECT_EQ(hole->type, L"HOLE");
    CZunContourSet contours;
    ASSERT_TRUE(hole->data.get(contours, L"BT\\SLOTS\\GEN"));
    ASSERT_EQ(contours.len(), 2);
    EXPECT_EQ(contours[0].len(), 4);
    EXPECT_TRUE(contours[0].isClosed());
    EXPECT_EQ(contours[0][1].bulge(), 1.0);
    CZunString mode;
    EXPECT_TRUE(drawing.partByHandle(L"4D")->data.get(mode, {L"CORNER", L"MODE"}));
    EXPECT_EQ(mode, L"SHELL");
    EXPECT_EQ(drawing.partByHandle(L"4D")->data.getDir(L"SN").get(0), CZunItemKey(1));
    int color = 0;
    EXPECT_TRUE(drawing.layers().get(color, L"INSULATION\\COLOR"));
    EXPECT_EQ(color, 2);
    EXPECT_NE(drawing.materials().getItem(L"S235"), nullptr);
}

TEST(Drawing, SaveAndLoadGiveTheSameText)
{
    ZUN::CZunDrawing drawing;
    ASSERT_TRUE(drawing.load(kSample));
    const std::string text = drawing.toJson();
    ZUN::CZunDrawing again;
    ASSERT_TRUE(again.loadJson(text, L"again"));
    EXPECT_EQ(again.toJson(), text);
}

TEST(Drawing, MalformedDrawingLeavesTheOpenOneUnchanged)
{
    ZUN::CZunDrawing drawing;
    ASSERT_TRUE(drawing.load(kSample));
    const std::string before = drawing.toJson();
    ZUN::CDataFileError error;
    EXPECT_FALSE(drawing.loadJson(R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE"},
 {"handle": "A", "type": "BAR"}]})", L"dup.json", &error));
    EXPECT_EQ(error.toString(), L"dup.json:2:13: expected a handle not used by another part at /parts/1/handle");
    EXPECT_FALSE(drawing.loadJson(R"({"zun": "drawing", "parts": [{"type": "HOLE"}]})", L"nohandle.json", &error));
    EXPECT_EQ(error.toString(), L"nohandle.json:1:30: expected a non-empty text \"handle\" at /parts/0");
    EXPECT_FALSE(drawing.loadJson(R"({"zun": "data"})", L"wrong.json", &error));
    EXPECT_FALSE(drawing.loadJson(R"({"zun": "drawing", "parts": [{"handle": "A", "type": "HOLE",
 "data": {"VL": {"$": "vl"}}}]})", L"vl.json", &error));
    EXPECT_EQ(error.toString(), L"vl.json:2:17: expected member \"pts\" at /parts/0/data/VL");
    EXPECT_FALSE(drawing.load(L"/no/such/drawing.json", &error));
    EXPECT_EQ(drawing.toJson(), before);
    EXPECT_EQ(drawing.partCount(), 10);
}

TEST(DtaOpen, EntityDataIsThePartsOwnData)
{
    ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    ASSERT_TRUE(ZUN::drawingOpen(kSample));
    const ZUN::CAdsName sheet = drawing.entityName(*drawing.partByHandle(L"5E"));
    auto handle = ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead | ZUN::kDtaWrite, &sheet, nullptr, nullptr);
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->get(), &drawing.partByHandle(L"5E")->data);
    CZunString label0;
    EXPECT_TRUE(handle->get()->get(label0, L"LABEL"));
    EXPECT_NE(handle->lobjGet(L"STACK"), nullptr);  // a sheet keeps its profile in the local object
    EXPECT_EQ(handle->get(L"NEW\\ITEM"), nullptr);
    EXPECT_NE(handle->get(L"NEW\\ITEM", true), nullptr);
    CZunDataItem label;
    label.set(L"x");
    EXPECT_TRUE(handle->set(L"ORDER", label));
    CZunString order;
    EXPECT_TRUE(drawing.partByHandle(L"5E")->data.get(order, L"ORDER"));

    // A read-only handle creates and stores nothing.
    auto readOnly = ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead, &sheet, nullptr, nullptr);
    EXPECT_EQ(readOnly->get(L"OTHER", true), nullptr);
    EXPECT_FALSE(readOnly->set(L"OTHER", label));

    // Names of an earlier drawing no longer open anything.
    ASSERT_TRUE(ZUN::drawingOpen(kSample));
    EXPECT_FALSE(ZUN::dtaOpen(ZUN::kDtaEntity, 3, &sheet, nullptr, nullptr));
    EXPECT_FALSE(ZUN::dtaOpen(ZUN::kDtaEntity, 3, nullptr, nullptr, nullptr));
    EXPECT_FALSE(ZUN::dtaOpen(4, 3, nullptr, nullptr, nullptr));
}

TEST(DtaOpen, MemoryHandlesOwnAFreshRootOrWorkOnAGivenItem)
{
    auto fresh = ZUN::dtaOpen(ZUN::kDtaMemory, 3, nullptr, nullptr, nullptr);
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->get()->isDir());
    CZunDataItem value;
    value.set(1);
    EXPECT_TRUE(fresh->set(L"COORD", value));
    EXPECT_EQ(fresh->dir().len(), 1);
    EXPECT_NE(fresh->lobjGet(L"X", true), nullptr);

    CZunDataItem working(true);
    working.set(2.5, L"SID\\T");
    const CZunDataKey sid(L"SID");
    auto on = ZUN::dtaOpen(ZUN::kDtaMemory, 3, nullptr, &sid, &working);
    ASSERT_TRUE(on);
    double t = 0;
    EXPECT_TRUE(on->get()->get(t, L"T"));
    EXPECT_TRUE(on->set(L"U", value));
    EXPECT_NE(working.getItem(L"SID\\U"), nullptr);
}

TEST(Drawing, AnEnvelopeOfTheWrongKindIsRefusedNotThrown)
{
    // A "zun" that is no text made the loader throw out of the program.
    ZUN::CZunDrawing drawing;
    for (const char* text : {R"({"zun": []})", R"({"zun": 1, "parts": []})", R"({"zun": null})", R"({"zun": {}})"}) {
        ZUN::CDataFileError error;
        EXPECT_FALSE(drawing.loadJson(text, L"kind.json", &error)) << text;
        EXPECT_EQ(error.toString(), L"kind.json:1:1: expected a drawing object {\"zun\": \"drawing\", ...} at /") << text;
    }
}
