#include "host/zun_drawing_repeat.h"

#include <string>

bool zunRepeatDrawing(const ZUN::CZunDrawing& sample, int count, ZUN::CZunDrawing& out)
{
    out.clear();
    const int n = sample.partCount();
    if (n == 0 || count <= 0)
        return false;
    out.setUnit(sample.unit());
    out.layers() = sample.layers();
    out.materials() = sample.materials();
    for (int k = 0; k < count; ++k) {
        const ZUN::CZunPart& part = *sample.part(k % n);
        const int copy = k / n;
        CZunString handle = part.handle;
        CZunString name = part.name;
        if (copy > 0) {
            handle = CZunString::fromUtf8(part.handle.toUtf8() + "_" + std::to_string(copy));
            name = CZunString::fromUtf8(part.name.toUtf8() + " #" + std::to_string(copy));
        }
        ZUN::CZunPart* added = out.addPart(handle, part.type, part.data);
        if (!added) {
            // A sample handle that already ends in "_<c>" of another part.
            out.clear();
            return false;
        }
        added->name = name;
        added->lobj = part.lobj;
    }
    return true;
}

bool zunRepeatDrawingFile(const CZunString& samplePath, int count, const CZunString& outPath, CZunString* error)
{
    ZUN::CZunDrawing sample;
    ZUN::CDataFileError readError;
    if (!sample.load(samplePath, &readError)) {
        if (error)
            *error = readError.toString();
        return false;
    }
    ZUN::CZunDrawing repeated;
    if (!zunRepeatDrawing(sample, count, repeated)) {
        if (error)
            *error = CZunString(L"the sample has no parts, parts clash, or the count is not positive");
        return false;
    }
    return repeated.save(outPath, error);
}
