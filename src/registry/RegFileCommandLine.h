#pragma once
// The arguments of `korvane-cli reg ACTION ...`. Only the switches
// /v /ve /va /s /t /d /f /y (any letter case) are switches, and only those the
// action knows; every other argument is an operand, so a path such as /tmp/x.reg
// is a FILE.

#include <optional>
#include <string>
#include <vector>

namespace korvane {

struct RegCommandLine {
  std::string action;                    // query, add, delete, export, import (lower case)
  std::vector<std::string> operands;     // KEY, FILE
  std::optional<std::string> valueName;  // /v NAME; "" for /ve
  bool allValues = false;                // /va
  bool recursive = false;                // /s
  std::optional<std::string> type;       // /t TYPE
  std::optional<std::string> data;       // /d DATA
  bool force = false;                    // /f
  bool overwrite = false;                // /y
};

// nullopt with *error set for a usage error.
std::optional<RegCommandLine> ParseRegCommandLine(const std::vector<std::string>& args, std::string* error);

}  // namespace korvane
