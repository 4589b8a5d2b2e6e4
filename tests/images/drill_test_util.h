#pragma once

// Shared by the drill and hole image tests: an open drawing of the test's
// own, parts from JSON text, and a stand-in for the application's drawing
// of drillings that records what it was asked to draw.

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "gdx/zun_gdx.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Layers the test parts use: contours green, fill grey, the solid's
// physical colour blue over a red layer colour.
inline const char* const kTestLayers = R"({"zun": "drawing", "version": 1, "unit": 4, "layers": {
  "CONTOUR": {"COLOR": 3}, "FILL": {"COLOR": 8}, "0": {"COLOR": 1},
  "STEEL": {"COLOR": 1, "PHYS": {"COLOR": 5}}}, "parts": []})";

class CTestDrawing {
public:
    explicit CTestDrawing(const std::string& json = kTestLayers)
    {
        ZUN::drawingCurrent().swap(m_saved);
        ZUN::CDataFileError error;
        EXPECT_TRUE(ZUN::drawingCurrent().loadJson(json, L"mem", &error)) << error.toString().toUtf8();
    }
    ~CTestDrawing() { ZUN::drawingCurrent().swap(m_saved); }
    CTestDrawing(const CTestDrawing&) = delete;
    CTestDrawing& operator=(const CTestDrawing&) = delete;

private:
    ZUN::CZunDrawing m_saved;
};

// A data tree from typed JSON and a memory handle on it.
struct CTestData {
    explicit CTestData(const std::string& json)
    {
        ZUN::CDataFileError error;
        EXPECT_TRUE(ZUN::dataFromJson(json, L"mem", root, &error)) << error.toString().toUtf8();
        handle = ZUN::dtaOpen(ZUN::kDtaMemory, 3, nullptr, nullptr, &root);
    }
    std::string json() const { return ZUN::dataToJson(root); }
    CZunDataItem root{true};
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> handle;
};

// Records every partImageDraw call and marks it in the display list with a
// point under the stack it was given, so that order can be checked.
class CRecordingDrawer {
public:
    struct Call {
        CZunDataItem* part = nullptr;
        std::unique_ptr<CZunDataItem> partCopy;
        bool paramsDir = false;
        int mode = -1;  // "CMODE"; -1 when missing
        bool hasMtx = false;
        CZunMatrix3d mtx;
        bool hasStack = false;
        CZunArrayTempl<int> stack;
    };
    CRecordingDrawer()
    {
        zunAppPtr()->setPartDrawer([this](CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params) {
            Call& call = calls.emplace_back();
            call.part = part;
            if (part)
                call.partCopy = std::make_unique<CZunDataItem>(*part);
            call.paramsDir = params->isDir();
            params->get(call.mode, L"CMODE");
            call.hasMtx = params->get(call.mtx, L"MTX");
            call.hasStack = params->get(call.stack, L"STACK");
            gdx->imagePt(call.stack, 0, CZunPoint3d(-1, -1), CZunColor(), {}, 0.0, 0, {});
            return true;
        });
    }
    ~CRecordingDrawer() { zunAppPtr()->setPartDrawer(nullptr); }
    CRecordingDrawer(const CRecordingDrawer&) = delete;
    CRecordingDrawer& operator=(const CRecordingDrawer&) = delete;

    std::vector<Call> calls;
};

inline bool isRecordedCall(const CZunDisplayItem& item)
{
    return item.type == objPt && item.point == CZunPoint3d(-1, -1) && item.flag == 0;
}

inline CZunMatrix3d translation(double x, double y)
{
    return CZunMatrix3d().setToTranslation(CZunVector3d(x, y, 0));
}

// The point style items take when they follow the display list's.
inline void expectListPointStyle(const CZunDisplayItem& item)
{
    EXPECT_EQ(item.pdSize, 0.0);
    EXPECT_EQ(item.pdMode, 0xFFFFFFFFu);
}
