#pragma once
// One Wine prefix per test program, made by `wineboot -i` on first use in a
// temporary folder, headless, and taken down (wineserver -k, folder removed)
// when the program ends.

#include <string>

namespace korvane::test {

// The prefix folder; empty when Wine is not installed or wineboot failed
// (*why says which).
const std::string& FreshPrefix(std::string* why = nullptr);

// Runs a shell command line with the prefix's Wine environment; its exit status.
int RunInPrefix(const std::string& prefix, const std::string& command);

}  // namespace korvane::test
