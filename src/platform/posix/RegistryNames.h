#pragma once
// How the registry store compares key and value names: letter case ignored,
// in every alphabet. (Their lengths: formats::RegNameLength.)

#include <string>
#include <string_view>

namespace korvane::platform::posix {

// The form a name is compared and sorted by: every letter in upper case.
// Bytes that are not valid UTF-8 are kept as they are.
std::string FoldName(std::string_view name);

}  // namespace korvane::platform::posix
