#include "contracts/data/zun_dta.h"
#include "contracts/data/zun_part_keys.h"

#include <ostream>
#include <string>
#include <vector>

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

// ---- format version -------------------------------------------------------------

struct VersionCase {
    const char* version;  // JSON text of the member, or null for none
    bool loads;
    const char* message;  // part of the error message
};

std::ostream& operator<<(std::ostream& os, const VersionCase& c)
{
    return os << "version " << (c.version ? c.version : "(none)");
}

class DrawingVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DrawingVersion, NewerAndMistypedVersionsAreRefused)
{
    const VersionCase& c = GetParam();
    std::string text = R"({"zun": "drawing", )";
    if (c.version)
        text += std::string(R"("version": )") + c.version + ", ";
    text += R"("parts": [{"handle": "A", "type": "WALL"}]})";
    ZUN::CZunDrawing drawing;
    ZUN::CDataFileError error;
    EXPECT_EQ(drawing.loadJson(text, L"plan.json", &error), c.loads) << text;
    if (!c.loads) {
        const std::string message = error.toString().toUtf8();
        EXPECT_NE(message.find("plan.json:1:"), std::string::npos) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(drawing.partCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DrawingVersion,
    ::testing::Values(VersionCase{nullptr, true, ""}, VersionCase{"1", true, ""},
                      VersionCase{"2", false, "drawing format version 2 is newer than this program reads (up to 1)"},
                      VersionCase{"99", false, "version 99 is newer"},
                      VersionCase{R"("1")", false, "expected a format version number from 1 to 1 at /version"},
                      VersionCase{"1.5", false, "expected a format version number"},
                      VersionCase{"0", false, "expected a format version number"},
                      VersionCase{"-3", false, "expected a format version number"},
                      VersionCase{"null", false, "expected a format version number"}));

// ---- values of the wrong kind ---------------------------------------------------

struct KeyCase {
    const char* type;
    const char* data;  // the part's data
    const char* key;   // the key named, or empty for no warning
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const KeyCase& c)
{
    return os << c.type << " " << c.data;
}

class PartKeyKinds : public ::testing::TestWithParam<KeyCase> {};

TEST_P(PartKeyKinds, WrongKindsAreNamedMissingKeysAreNot)
{
    const KeyCase& c = GetParam();
    const std::string text = std::string(R"({"zun": "drawing", "version": 1, "parts": [{"handle": "P7", "type": ")") +
                             c.type + R"(", "name": "Test part", "data": )" + c.data + "}]}";
    ZUN::CZunDrawing drawing;
    ZUN::CDataFileError error;
    ASSERT_TRUE(drawing.loadJson(text, L"plan.json", &error)) << error.toString().toUtf8();
    const std::vector<ZUN::CPartKeyWarning> warnings = ZUN::drawingKeyWarnings(drawing);
    if (!*c.key) {
        EXPECT_TRUE(warnings.empty()) << warnings.front().toString().toUtf8();
        return;
    }
    ASSERT_EQ(warnings.size(), 1u) << text;
    const ZUN::CPartKeyWarning& w = warnings.front();
    EXPECT_EQ(w.file, L"plan.json");
    EXPECT_EQ(w.handle, L"P7");
    EXPECT_EQ(w.key, CZunString::fromUtf8(c.key));
    EXPECT_EQ(w.expected, CZunString::fromUtf8(c.expected));
    EXPECT_EQ(w.toString(), CZunString::fromUtf8(std::string("plan.json: part P7 (Test part): key ") + c.key +
                                                 " is not " + c.expected + "; drawn with its default"));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PartKeyKinds,
    ::testing::Values(
        KeyCase{"WALL", R"({"SN": {"#1": {"THICK": "two hundred"}}})", "SN\\1\\THICK", "a number"},
        KeyCase{"WALL", R"({"SN": {"#1": {"THICK": 240}}})", "", ""},  // an integer is a number
        KeyCase{"WALL", R"({"SN": {"#1": {"HPNAME": "BRICK"}}})", "", ""},  // THICK missing: its default
        KeyCase{"WALL", R"({"VL": [1, 2, 3]})", "VL", "a polyline"},
        KeyCase{"WALL", R"({"SN": 5})", "SN", "a directory"},
        KeyCase{"DRILL", R"({"GEN": {"DIAM": "12"}})", "GEN\\DIAM", "a number"},
        KeyCase{"DRILL", R"({"GEN": {"THREAD": 10}})", "GEN\\THREAD", "a text"},
        KeyCase{"DRILL", R"({"VIEW": 1.5})", "VIEW", "a whole number"},
        KeyCase{"HOLE", R"({"HPSCALE": true})", "HPSCALE", "a number"},
        KeyCase{"HOLE", R"({"BT": {"P1": {"MTX": "identity"}}})", "BT\\P1\\MTX", "a 4x4 matrix"},
        KeyCase{"SHEET", R"({"S": "thin"})", "S", "a number"},
        KeyCase{"SHEET", R"({"STACK": "T85"})", "", ""},  // one text is an address too
        KeyCase{"SHEET", R"({"AXIS": "yes"})", "AXIS", "true or false"},
        KeyCase{"BAR", R"({"GRP": 3})", "GRP", "a text"},
        KeyCase{"ROOF", R"({"THICK": "two hundred"})", "", ""}));  // no keys known for the type

TEST(PartKeyKinds, TheSampleDrawingHasNoWarnings)
{
    ZUN::CZunDrawing drawing;
    ASSERT_TRUE(drawing.load(kSample));
    for (const ZUN::CPartKeyWarning& w : ZUN::drawingKeyWarnings(drawing))
        ADD_FAILURE() << w.toString().toUtf8();
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

TEST(Drawing, ClearForgetsThePathAsWellAsTheContents)
{
    ZUN::CZunDrawing drawing;
    ASSERT_TRUE(drawing.load(kSample));
    ASSERT_FALSE(drawing.path().isEmpty());
    drawing.setUnit(2);
    drawing.clear();
    EXPECT_TRUE(drawing.path().isEmpty()) << drawing.path().toUtf8();
    EXPECT_EQ(drawing.unit(), 4);
    EXPECT_EQ(drawing.partCount(), 0);
    EXPECT_EQ(drawing.partByHandle(L"D4"), nullptr);
    EXPECT_EQ(drawing.layers().childCount(), 0);
    EXPECT_EQ(drawing.materials().childCount(), 0);
    // A part of the same handle can be added again.
    EXPECT_NE(drawing.addPart(L"D4", L"HOLE", CZunDataItem(true)), nullptr);
}
