#pragma once
// Minimal JSON text building for korvane-cli's --json output.

#include <string>
#include <string_view>

namespace korvane {

// The string as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view text);

}  // namespace korvane
