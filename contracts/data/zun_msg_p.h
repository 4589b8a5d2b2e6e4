#pragma once

// Private to the Data library: reading a message catalogue from its text,
// for the loader and for checks that feed it text directly.

#include "contracts/base/zun_string.h"

#include <string>
#include <unordered_map>

namespace ZUN::msg_detail {

using CatalogueTexts = std::unordered_map<std::wstring, std::wstring>;

// Reads the catalogue text: one JSON object of texts by key. On any fault
// texts is left empty and error says what was wrong, after sourceName.
bool catalogueParse(const std::string& utf8, const CZunString& sourceName, CatalogueTexts& texts, CZunString& error);

} // namespace ZUN::msg_detail
