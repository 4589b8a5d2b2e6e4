#pragma once

// Shared by the sheet, bar and wall image tests: an open drawing of the
// test's own with known layers, data trees from typed JSON, and handles on
// parts whose local object the test fills.

#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_dta.h"
#include "gdx/zun_gdx.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

// CONTOUR green, FILL grey, AXIS red; STEEL shows its physical colour
// (blue) over its layer colour (red), as cut material does.
inline const char* const kImageTestLayers = R"({"zun": "drawing", "version": 1, "unit": 4, "layers": {
  "CONTOUR": {"COLOR": 3}, "FILL": {"COLOR": 8}, "AXIS": {"COLOR": 1}, "0": {"COLOR": 7},
  "STEEL": {"COLOR": 1, "PHYS": {"COLOR": 5}},
  "GASKET": {"COLOR": 6}, "INSULATION": {"COLOR": 2, "PHYS": {"COLOR": 40}}}, "parts": []})";

class CImageTestDrawing {
public:
    explicit CImageTestDrawing(const std::string& json = kImageTestLayers)
    {
        ZUN::drawingCurrent().swap(m_saved);
        ZUN::CDataFileError error;
        EXPECT_TRUE(ZUN::drawingCurrent().loadJson(json, L"mem", &error)) << error.toString().toUtf8();
    }
    ~CImageTestDrawing() { ZUN::drawingCurrent().swap(m_saved); }
    CImageTestDrawing(const CImageTestDrawing&) = delete;
    CImageTestDrawing& operator=(const CImageTestDrawing&) = delete;

private:
    ZUN::CZunDrawing m_saved;
};

inline CZunDataItem imageTestTree(const std::string& json)
{
    CZunDataItem root(true);
    ZUN::CDataFileError error;
    EXPECT_TRUE(ZUN::dataFromJson(json, L"mem", root, &error)) << error.toString().toUtf8();
    return root;
}

// A part in memory: its stored data and its local object, each from JSON.
struct CImageTestPart {
    explicit CImageTestPart(const std::string& lobjJson, const std::string& dataJson = "{}")
        : handle(ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, nullptr))
    {
        *handle->get() = imageTestTree(dataJson);
        *handle->lobjGet() = imageTestTree(lobjJson);
    }
    CZunDataItem* lobj() const { return handle->lobjGet(); }
    CZunDataItem* data() const { return handle->get(); }
    // Both trees as text, to see that drawing left them alone.
    std::string snapshot() const { return ZUN::dataToJson(*data()) + ZUN::dataToJson(*lobj()); }

    ZUN::CUniqPointer<ZUN::CDtaFilePointer> handle;
};

// Image options in a handle of their own.
inline ZUN::CUniqPointer<ZUN::CDtaFilePointer> imageTestOptions(const std::string& json)
{
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> opts =
        ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, nullptr);
    *opts->get() = imageTestTree(json);
    return opts;
}

// The sample drawing res/samples/sample_drawing.json as the open drawing.
class CImageTestSamples : public CImageTestDrawing {
public:
    CImageTestSamples() : CImageTestDrawing(json()) {}
    // The part's data opened as the host opens a part of the drawing.
    static ZUN::CUniqPointer<ZUN::CDtaFilePointer> open(const ZUN::CZunPart& part)
    {
        const ZUN::CAdsName name = ZUN::drawingCurrent().entityName(part);
        return ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead, &name, nullptr, nullptr);
    }

private:
    static std::string json()
    {
        std::ifstream in(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_FALSE(text.str().empty());
        return text.str();
    }
};
