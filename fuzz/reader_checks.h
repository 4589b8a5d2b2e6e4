#pragma once

// What the readers of our text files promise, checked on any input: the
// fuzz targets call these on every input the fuzzer makes, and the data
// tests call them on every kept corpus file, so that both check the same.
//
// Each check reads the bytes as a file of its kind and returns an empty
// text when every promise holds, else what broke. Failing to load is no
// fault; loading wrongly, changing what was there before a refusal, or not
// reading back what was written is.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zun_fuzz {

// A data-tree file, read as a data tree, as a configuration layer and as a
// material library.
std::string checkDataTree(const std::uint8_t* data, std::size_t size);
// A drawing file: read, written and read again; its parts drawn by the
// part-image generators and its materials looked up.
std::string checkDrawing(const std::uint8_t* data, std::size_t size);
// A hatch pattern (.pat) file.
std::string checkHatchPatterns(const std::uint8_t* data, std::size_t size);
// A message catalogue, and its texts as parts of labels.
std::string checkMessageCatalogue(const std::uint8_t* data, std::size_t size);

// Puts back what the checks change for the whole process (the material
// library, the data folders, the catalogues read) and removes their
// scratch files.
void resetReaderChecks();

} // namespace zun_fuzz
