#include "registry/RegFileCommandLine.h"

#include <cstring>

#include "formats/TextCodec.h"

namespace korvane {

namespace {

struct ActionRule {
  const char* name;
  const char* switches;  // the switches this action takes, blank-separated
  std::size_t operands;
  const char* operandNames;
};

constexpr ActionRule kRules[] = {
    {"query", " /v /ve /s ", 1, "KEY"},
    {"add", " /v /ve /t /d /f ", 1, "KEY"},
    {"delete", " /v /ve /va /f ", 1, "KEY"},
    {"export", " /y ", 2, "KEY FILE"},
    {"import", " ", 1, "FILE"},
};

bool IsSwitchName(const std::string& lower) {
  static const char* const kAll[] = {"/v", "/ve", "/va", "/s", "/t", "/d", "/f", "/y"};
  for (const char* s : kAll) {
    if (lower == s) return true;
  }
  return false;
}

}  // namespace

std::optional<RegCommandLine> ParseRegCommandLine(const std::vector<std::string>& args, std::string* error) {
  auto fail = [&](const std::string& message) -> std::optional<RegCommandLine> {
    if (error != nullptr) *error = message;
    return std::nullopt;
  };
  if (args.empty()) return fail("reg needs an action: query, add, delete, export or import");
  RegCommandLine line;
  line.action = formats::ToLowerAscii(args[0]);
  const ActionRule* rule = nullptr;
  for (const ActionRule& r : kRules) {
    if (line.action == r.name) rule = &r;
  }
  if (rule == nullptr) return fail("unknown reg action '" + args[0] + "'");

  std::vector<std::string> seen;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string lower = formats::ToLowerAscii(args[i]);
    if (!IsSwitchName(lower)) {
      line.operands.push_back(args[i]);
      continue;
    }
    if (std::strstr(rule->switches, (" " + lower + " ").c_str()) == nullptr) {
      return fail("reg " + line.action + " does not take " + args[i]);
    }
    for (const std::string& s : seen) {
      if (s == lower) return fail(args[i] + " is given twice");
    }
    seen.push_back(lower);
    auto argument = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (lower == "/v" || lower == "/t" || lower == "/d") {
      std::optional<std::string> value = argument();
      if (!value) return fail(args[i] + " needs a value");
      if (lower == "/v") line.valueName = *value;
      if (lower == "/t") line.type = *value;
      if (lower == "/d") line.data = *value;
    } else if (lower == "/ve") {
      line.valueName = std::string();
    } else if (lower == "/va") {
      line.allValues = true;
    } else if (lower == "/s") {
      line.recursive = true;
    } else if (lower == "/f") {
      line.force = true;
    } else if (lower == "/y") {
      line.overwrite = true;
    }
  }
  int valueSwitches = 0;
  for (const std::string& s : seen) {
    if (s == "/v" || s == "/ve" || s == "/va") ++valueSwitches;
  }
  if (valueSwitches > 1) return fail("give only one of /v, /ve and /va");
  if (line.operands.size() != rule->operands) {
    return fail(std::string("usage: reg ") + line.action + " " + rule->operandNames + " ...");
  }
  return line;
}

}  // namespace korvane
