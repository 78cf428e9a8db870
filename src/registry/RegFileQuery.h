#pragma once
// The text side of the `reg` command: value-type names, the data column of
// `reg query`, the data argument of `reg add`, and the whole query listing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/RegFile.h"
#include "registry/RegFileKeys.h"

namespace korvane {

// "REG_SZ", ...; unknown codes as "REG_UNKNOWN".
std::string RegTypeName(std::uint32_t type);
// The types `reg add /t` accepts, any letter case.
std::optional<std::uint32_t> ParseRegAddType(const std::string& name);

// One listing line: four blanks, name ("(Default)"), four blanks, type, four blanks, data.
std::string RegQueryLine(const RegFileValue& value);
// REG_BINARY as hex digits, REG_DWORD as 0x hex, REG_MULTI_SZ items joined by \0,
// strings as stored (unexpanded).
std::string RegQueryData(std::uint32_t type, const std::vector<std::uint8_t>& data);

// The data of `reg add /d` in the registry's form; nullopt with *error set when
// it does not fit the type.
std::optional<std::vector<std::uint8_t>> ParseRegAddData(std::uint32_t type, const std::string& text,
                                                          std::string* error);

struct RegQueryRequest {
  formats::RegKeyName key;
  std::optional<std::string> valueName;  // /v NAME, or "" for /ve
  bool recursive = false;                // /s
};

enum class RegQueryStatus { Ok, KeyMissing, ValueMissing, Failed };

// The listing in the layout of the Windows `reg query` command. *failure, when
// given, receives the registry's result behind KeyMissing and Failed.
RegQueryStatus RunRegQuery(const RegQueryRequest& request, std::string* output,
                           long* failure = nullptr);

}  // namespace korvane
