#pragma once
// Name rules of the registry store: how key and value names compare (letter
// case ignored for every alphabet) and how long they are in Windows terms.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane::platform::posix {

// The form a name is compared and sorted by: every letter in upper case.
// Bytes that are not valid UTF-8 are kept as they are.
std::string FoldName(std::string_view name);

// The name's length in UTF-16 code units, the unit Windows counts name
// lengths and buffer sizes in (an invalid byte counts as one).
std::uint32_t Utf16Length(std::string_view name);

}  // namespace korvane::platform::posix
