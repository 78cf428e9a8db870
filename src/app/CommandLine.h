#pragma once
// Splitting the argument text into the switch and its path, as the shell verbs
// and scripts pass it: -r "FILE", -u "FILE", -f "FOLDER", -s, or "FILE".

#include <string>
#include <vector>

namespace korvane {

struct ParsedCommandLine {
  std::vector<std::string> pieces;  // after the quoted path has been placed
  std::string switchText;           // piece 0
  std::string path;                 // piece 1 for -r/-u/-f (empty when absent)
};

// Splits the argument text at every single blank and places the quoted path.
ParsedCommandLine SplitCommandLine(const std::string& argumentText);

// True for a path that is used as it is; any other path is taken relative to
// the program folder. A drive path, a path holding ":\", a UNC path and, on
// Linux, a path starting with '/' are not relative.
bool IsAbsoluteCommandPath(const std::string& path);

// The path as the dispatcher uses it: appPath in front of a relative path.
std::string ResolveCommandPath(const std::string& path, const std::string& appPath);

}  // namespace korvane
