#pragma once
// Registry key paths for tests of the depth limit.

#include <cstddef>
#include <string>

namespace korvane::test {

// A path of the given number of names below a root ("k\k\...\k").
inline std::string NestedKeyPath(std::size_t levels) {
  std::string path = levels > 0 ? "k" : "";
  for (std::size_t i = 1; i < levels; ++i) path += "\\k";
  return path;
}

}  // namespace korvane::test
