#pragma once

#include "contracts/data/zun_drawing.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ZUN {

// Reads a drawing file a part at a time, so that a program can hold one
// part where the whole file would not fit, or read a large drawing in
// slices between other work. open() goes through the file once without
// keeping it: it reads the envelope (format, unit, layers, materials) and
// notes where each part's text stands; readPart() then reads one part from
// the file. What the file holds and every message about a bad file are the
// same as CZunDrawing::load()'s: a problem is told by reading the file
// whole, and a file whose layout this reader does not follow (the same
// member twice, escaped member names) is read whole, so that it opens as
// before, only without the memory bound.
class CZunDrawingReader {
public:
    CZunDrawingReader();
    ~CZunDrawingReader();
    CZunDrawingReader(const CZunDrawingReader&) = delete;
    CZunDrawingReader& operator=(const CZunDrawingReader&) = delete;

    // False, with the whole-file reader's message in error, when the file
    // cannot be read or is no drawing; parts are checked as they are read.
    bool open(const CZunString& path, CDataFileError* error = nullptr);
    void close();

    const CZunString& path() const { return m_path; }
    int partCount() const { return static_cast<int>(m_parts.size()); }
    // True when the file is read a part at a time (false when read whole).
    bool streamed() const { return m_file != nullptr; }

    // Makes drawing the file's drawing without its parts: its path, unit,
    // layers and materials.
    void startDrawing(CZunDrawing& drawing) const;
    // Reads part index into drawing, after its other parts. False, with the
    // message the whole file gets, when the part is malformed or its handle
    // is one the drawing has already.
    bool readPart(int index, CZunDrawing& drawing, CDataFileError* error = nullptr);
    // Reads the parts one after another into drawing (started afresh) and
    // hands each to each, dropping it before the next is read: memory for
    // one part, whatever their number. Stops early when each returns
    // false. False, with the whole-file message, on a malformed part or a
    // handle used twice; the parts before it have been handed out.
    bool forEachPart(const std::function<bool(CZunDrawing&, const CZunPart&)>& each, CZunDrawing& drawing,
                     CDataFileError* error = nullptr);
    // The largest part text read at once, in bytes: what reading a part
    // holds of the file.
    size_t largestPartBytes() const { return m_largestPart; }

private:
    struct Span {
        std::uint64_t begin = 0;
        std::uint64_t end = 0;
    };

    bool scan(std::FILE* file, std::string& envelope);
    bool readWhole(CDataFileError* error);
    bool wholeFileProblem(CDataFileError* error);

    CZunString m_path;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
    std::vector<Span> m_parts;
    // The envelope as a drawing without parts.
    CZunDrawing m_envelope;
    // A file read whole: its parts are copied out of it.
    std::unique_ptr<CZunDrawing> m_whole;
    std::string m_text;
    size_t m_largestPart = 0;
};

} // namespace ZUN
