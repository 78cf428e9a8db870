#pragma once
// --json output: one JSON document on one line of standard output.

#include <cstdio>
#include <string>

#include "common/Json.h"

namespace korvane::cli {

inline void PrintJson(const Json& document) {
  const std::string line = JsonText(document) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace korvane::cli
