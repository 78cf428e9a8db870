#pragma once
// Paths for the W file functions without the 260-character limit.

#include <string>

namespace korvane::platform::win32 {

// The UTF-16 form of path; a path too long for the plain form is made absolute
// and given the \\?\ (or \\?\UNC\) prefix that lifts the limit.
std::wstring LongPath(const std::string& path);

}  // namespace korvane::platform::win32
