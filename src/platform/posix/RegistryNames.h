#pragma once
// How the registry store compares key and value names: letter case ignored,
// in every alphabet. (Their lengths: formats::RegNameLength.)

#include <string>
#include <string_view>
#include <vector>

namespace korvane::platform::posix {

// The form a name is compared and sorted by: every letter in upper case.
// Bytes that are not valid UTF-8 are kept as they are.
std::string FoldName(std::string_view name);

// Splits a key path into its names as Windows reads it: a leading backslash
// or an empty name between two backslashes is a bad path (ERROR_BAD_PATHNAME);
// trailing backslashes are ignored; a name longer than the registry allows is
// an invalid parameter. Returns one of those codes or ERROR_SUCCESS.
long SplitKeyPath(const std::string& path, std::vector<std::string>* names);

}  // namespace korvane::platform::posix
