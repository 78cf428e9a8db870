#pragma once
// JSON documents for korvane-cli's --json output, built with nlohmann-json.

#include <nlohmann/json.hpp>
#include <string>

namespace korvane {

// A JSON value whose object members keep the order they were added in.
using Json = nlohmann::ordered_json;

// The document as one line of JSON text. A string that is not valid UTF-8 (a
// file name on Linux may hold any bytes) has each bad sequence written as
// U+FFFD, so the text is always valid UTF-8. Other characters are written as
// they are, not as \u escapes.
std::string JsonText(const Json& document);

}  // namespace korvane
