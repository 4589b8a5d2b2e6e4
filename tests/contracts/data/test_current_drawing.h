#pragma once

// Gives a test an empty open drawing of its own and puts the previous one
// back afterwards, so tests that open drawings do not leak into each other.

#include "contracts/data/zun_drawing.h"

#include <gtest/gtest.h>

#include <string>

class CTestCurrentDrawing {
public:
    CTestCurrentDrawing() { ZUN::drawingCurrent().swap(m_saved); }
    ~CTestCurrentDrawing() { ZUN::drawingCurrent().swap(m_saved); }
    CTestCurrentDrawing(const CTestCurrentDrawing&) = delete;
    CTestCurrentDrawing& operator=(const CTestCurrentDrawing&) = delete;

    // Loads drawing JSON text as the open drawing; the test fails at once when it does not load.
    static void load(const std::string& json)
    {
        ZUN::CDataFileError error;
        ASSERT_TRUE(ZUN::drawingCurrent().loadJson(json, L"mem", &error)) << error.toString().toUtf8();
    }
    static void openSample()
    {
        ZUN::CDataFileError error;
        ASSERT_TRUE(ZUN::drawingOpen(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json"), &error))
            << error.toString().toUtf8();
    }

private:
    ZUN::CZunDrawing m_saved;
};
