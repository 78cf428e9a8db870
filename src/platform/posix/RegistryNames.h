#pragma once
// Name rules of the registry store: how key and value names compare (letter
// case ignored for every alphabet) and how long they are in Windows terms.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::platform::posix {

// The form a name is compared and sorted by: every letter in upper case.
// Bytes that are not valid UTF-8 are kept as they are.
std::string FoldName(std::string_view name);

// The name's length in UTF-16 code units, the unit Windows counts name
// lengths and buffer sizes in (an invalid byte counts as one).
std::uint32_t Utf16Length(std::string_view name);

// Splits a key path into its names as Windows reads it: a leading backslash
// or an empty name between two backslashes is a bad path (ERROR_BAD_PATHNAME,
// as Windows answers a leading backslash); trailing backslashes are ignored,
// as Windows ignores them; a name longer than 255 characters is an invalid
// parameter. Returns one of those codes or ERROR_SUCCESS.
long SplitKeyPath(const std::string& path, std::vector<std::string>* names);

}  // namespace korvane::platform::posix
