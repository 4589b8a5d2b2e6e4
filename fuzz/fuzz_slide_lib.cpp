// Slide libraries from anywhere: reading the directory and looking names up
// must stay inside the bytes and agree with each other. The name looked up
// comes from the library's own 32-byte header, which readers otherwise skip,
// so that the fuzzer steers it without a second input format.

#include "images/slide/zun_slide.h"
#include "images/slide/zun_slide_lib.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class CCount : public ZUN::CSlideSink {
public:
    int records = 0;
    bool slideBegin(const ZUN::SlideHeader&) override { return true; }
    void slideVector(const ZUN::SlidePoint&, const ZUN::SlidePoint&) override { ++records; }
    void slideSolidFill(const ZUN::SlidePoint*, int) override { ++records; }
    void slideColor(int) override { ++records; }
};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<ZUN::SlideLibEntry> dir = ZUN::slideLibDirectory(data, size);
    require(dir.size() <= size / ZUN::kSlideLibEntry);
    for (const ZUN::SlideLibEntry& e : dir) {
        require(!e.name.empty() && e.name.size() <= ZUN::kSlideLibNameLen);
        require(e.length == 0 || std::uint64_t(e.offset) + e.length <= size);

        // Each listed name finds the first entry of that name, in any case.
        std::string upper = e.name;
        for (char& c : upper)
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        ZUN::SlideLibEntry found;
        const bool ok = ZUN::slideLibFind(data, size, upper, found);
        const auto first = std::find_if(dir.begin(), dir.end(),
                                        [&](const ZUN::SlideLibEntry& x) { return ZUN::slideNameEqual(x.name, e.name); });
        require(ok == (first->length > 0));
        require(!ok || (found.offset == first->offset && found.length == first->length));

        // Names survive the trip through wide text.
        std::string back;
        require(ZUN::slideNameToCp1252(ZUN::slideNameFromCp1252(e.name), back) && back == e.name);
    }

    const std::size_t headLen = std::min<std::size_t>(size, ZUN::kSlideLibHeader);
    const std::string name(reinterpret_cast<const char*>(data),
                           std::find(data, data + headLen, std::uint8_t(0)) - data);
    ZUN::SlideLibEntry entry;
    if (ZUN::slideLibFind(data, size, name, entry)) {
        require(ZUN::slideNameEqual(entry.name, name) && entry.length > 0);
        require(std::uint64_t(entry.offset) + entry.length <= size);
        std::uint16_t order = ZUN::kSlideLittleEndian;
        CCount count;
        ZUN::slideDecode(data + entry.offset, entry.length, order, count);
    }
    return 0;
}
