#pragma once

// Private to the Data library: the JSON conversions that the file formats
// (data trees, drawings, configuration, catalogues) share. The reading side
// lives in zun_data_file_reader.cpp, the writing side in
// zun_data_file_writer.cpp.

#include "contracts/data/zun_data_file.h"

#include <nlohmann/json.hpp>

#include <string>
#include <variant>
#include <vector>

namespace ZUN {
class CZunDrawing;
}

namespace ZUN::json_detail {

// Documents as read keep each object's members by name, so that a file
// with many members in one object reads in n log n time: an object that
// kept the file's order would search all its members at every insert.
using Json = nlohmann::json;
// Documents as written keep their members in the order they are put in.
using JsonOut = nlohmann::ordered_json;

// Where in a document a value stands: member names and array indices.
using JsonPathStep = std::variant<std::string, size_t>;
using JsonPath = std::vector<JsonPathStep>;

// A conversion failure: the path of the offending value and what was expected.
struct JsonProblem {
    JsonPath path;
    std::string expected;
};

// Reads a whole file for a loader; a file that cannot be read fills error
// with the file and the reason.
bool readFileForLoad(const CZunString& path, std::string& utf8, CDataFileError* error);

// The offset of the first '[' or '{' that opens more than maxNesting levels,
// or npos when the text nests no deeper (strings are skipped; the text need
// not be valid JSON).
size_t jsonTooDeepAt(const std::string& utf8, int maxNesting = kJsonMaxNesting);
// What a file nested deeper than kJsonMaxNesting is told.
std::string jsonTooDeepMessage();

// Parses UTF-8 text; a syntax error fills error with its line and column,
// as does nesting deeper than kJsonMaxNesting.
bool parseJson(const std::string& utf8, const CZunString& sourceName, Json& out, CDataFileError* error);
// Turns a problem found after parsing into a positioned error.
void reportProblem(const std::string& utf8, const CZunString& sourceName, const JsonProblem& problem,
                   CDataFileError* error);

// The typed form of a data tree. itemFromJson fills item (a fresh item) or
// reports the first problem below path.
bool itemFromJson(const Json& j, CZunDataItem& item, JsonPath& path, JsonProblem& problem);
JsonOut itemToJson(const CZunDataItem& item);

// The steps of reading a drawing, for a reader that takes the file a part
// at a time: the envelope (format, unit, layers, materials; parts only
// when the document holds them) and one part, added to into. They say
// only whether the value reads; where and why is the whole-file reader's
// to tell, as it is the one that positions problems in the text.
bool drawingEnvelopeFromJson(const Json& doc, CZunDrawing& into);
bool drawingPartFromJson(const Json& part, size_t index, CZunDrawing& into);

inline std::string utf8Of(const CZunString& s) { return s.toUtf8(); }
inline CZunString wideOf(const std::string& s) { return CZunString::fromUtf8(s); }

} // namespace ZUN::json_detail
