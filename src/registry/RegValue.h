#pragma once
// A registry value as the registry class hands it out: Empty, a string, a 16-
// or 32-bit signed integer, or a byte array.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace korvane {

using RegValue = std::variant<std::monostate, std::string, std::int16_t, std::int32_t,
                              std::vector<std::uint8_t>>;

// The value as text: Empty reads as "", integers in decimal, bytes as their
// characters (what a caller gets by taking the value "as a string").
std::string RegValueToString(const RegValue& value);
inline bool IsEmpty(const RegValue& value) { return std::holds_alternative<std::monostate>(value); }

}  // namespace korvane
