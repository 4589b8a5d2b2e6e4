#pragma once

// Slide libraries and slide files. A library is a 32-byte header, then a
// directory of 36-byte entries (a 32-byte name, NUL-terminated unless it
// fills all 32 bytes, and the slide's 32-bit little-endian offset), ended by
// an entry whose name is empty or by the end of the file. A slide's length
// is the next entry's offset, or the library's length after the last entry,
// minus its own offset. Names are 8-bit (code page 1252) and compared
// without regard to case.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ZUN {

inline constexpr std::size_t kSlideLibHeader = 32;
inline constexpr std::size_t kSlideLibEntry = 36;
inline constexpr std::size_t kSlideLibNameLen = 32;

struct SlideLibEntry {
    std::string name;          // as stored, code page 1252
    std::uint32_t offset = 0;  // from the start of the library
    std::uint32_t length = 0;  // 0 when the next offset lies before this one
    friend bool operator==(const SlideLibEntry&, const SlideLibEntry&) = default;
};

// The directory of a library held in memory, in file order. Entries whose
// offset lies past the end keep length 0.
std::vector<SlideLibEntry> slideLibDirectory(const std::uint8_t* data, std::size_t size);

// Looks a name up (code page 1252 bytes) in a library held in memory; the
// first entry of that name wins. False when absent or when its slide has no
// bytes inside the library. The slide is data[offset, offset + length).
bool slideLibFind(const std::uint8_t* data, std::size_t size, std::string_view name, SlideLibEntry& entry);

// Case-insensitive equality of two code page 1252 names.
bool slideNameEqual(std::string_view a, std::string_view b);

// A slide name in the libraries' code page: characters it lacks become '?'.
// False for a null name or one longer than 32 bytes, which no entry can hold.
bool slideNameToCp1252(const wchar_t* name, std::string& out);
CZunString slideNameFromCp1252(std::string_view name);

// ---- files ----------------------------------------------------------------

// Reads a whole file; false when it cannot be opened or read, or is empty.
bool slideReadFile(const wchar_t* path, std::vector<std::uint8_t>& bytes);
// Reads the named slide of a library file; false when the library cannot
// be opened, the name is not in it or its slide has no bytes.
bool slideReadFromLibrary(const wchar_t* library, const wchar_t* name, std::vector<std::uint8_t>& bytes);
// The slide names of a library file, in directory order; false when it
// cannot be read.
bool slideLibNames(const wchar_t* library, CZunArrayTempl<CZunString>& names);

// Splits a command-line slide reference: "LIB.slb:NAME" names a slide of a
// library (the last ':' after a name ending in ".slb", any case), anything
// else is a slide file. library comes back empty for a file.
void slideSplitReference(const CZunString& reference, CZunString& library, CZunString& name);

} // namespace ZUN
