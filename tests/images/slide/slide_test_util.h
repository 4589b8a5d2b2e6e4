#pragma once

// Decoded records as short texts ("V 0 0 10 10", "C 7", "F 0 0 10 0 0 0"),
// so that record lists compare in one expectation and print readably.

#include "images/slide/zun_slide.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class SlideRecordLog : public ZUN::CSlideSink {
public:
    std::vector<std::string> records;
    ZUN::SlideHeader header;
    int vectors = 0;
    int fills = 0;
    int colors = 0;

    bool slideBegin(const ZUN::SlideHeader& h) override
    {
        header = h;
        return true;
    }
    void slideVector(const ZUN::SlidePoint& a, const ZUN::SlidePoint& b) override
    {
        ++vectors;
        records.push_back("V " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " +
                          std::to_string(b.y));
    }
    void slideSolidFill(const ZUN::SlidePoint* p, int n) override
    {
        ++fills;
        std::string text = "F";
        for (int i = 0; i < n; ++i)
            text += " " + std::to_string(p[i].x) + " " + std::to_string(p[i].y);
        records.push_back(text);
    }
    void slideColor(int index) override
    {
        ++colors;
        records.push_back("C " + std::to_string(index));
    }
};

struct DecodedSlide {
    ZUN::SlideDecodeResult result;
    SlideRecordLog log;
};

inline DecodedSlide decodeSlide(const std::vector<std::uint8_t>& bytes, std::uint16_t byteOrder = 0x1234)
{
    DecodedSlide d;
    d.result = ZUN::slideDecode(bytes.data(), bytes.size(), byteOrder, d.log);
    return d;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The folder of real slides kept beside these tests.
inline std::filesystem::path slideDataDir()
{
    return std::filesystem::path(ZUN_SOURCE_RES_DIR).parent_path() / "tests" / "images" / "slide" / "data";
}
