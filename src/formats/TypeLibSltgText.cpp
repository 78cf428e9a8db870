#include "formats/TypeLibSltgText.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace korvane::formats::sltg {

namespace {

constexpr std::size_t kMaxHexDigits = 8;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Each Take... reads at text[pos] and moves pos past what it read.
std::optional<std::uint32_t> TakeHex(const std::string& text, std::size_t& pos) {
  std::uint32_t value = 0;
  const std::size_t start = pos;
  while (pos < text.size() && pos - start < kMaxHexDigits && HexDigit(text[pos]) >= 0) {
    value = value * 16 + static_cast<std::uint32_t>(HexDigit(text[pos]));
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

std::optional<std::uint16_t> TakeDecimal(const std::string& text, std::size_t& pos) {
  std::uint32_t value = 0;
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value <= 0xFFFF) {
    value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (pos == start || value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool Take(const std::string& text, std::size_t& pos, std::string_view expected) {
  if (text.compare(pos, expected.size(), expected) != 0) return false;
  pos += expected.size();
  return true;
}

// xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx, into the GUID's stored byte order.
std::optional<Guid> TakeGuid(const std::string& text, std::size_t& pos) {
  constexpr int kGroupDigits[] = {8, 4, 4, 4, 12};
  constexpr int kLittleEndianGroups = 3;
  Guid guid{};
  std::size_t out = 0;
  for (int group = 0; group < 5; ++group) {
    if (group > 0 && !Take(text, pos, "-")) return std::nullopt;
    std::vector<std::uint8_t> groupBytes;
    for (int d = 0; d < kGroupDigits[group]; d += 2, pos += 2) {
      if (pos + 1 >= text.size()) return std::nullopt;
      const int high = HexDigit(text[pos]);
      const int low = HexDigit(text[pos + 1]);
      if (high < 0 || low < 0) return std::nullopt;
      groupBytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    if (group < kLittleEndianGroups) std::reverse(groupBytes.begin(), groupBytes.end());
    for (auto byte : groupBytes) guid[out++] = byte;
  }
  return guid;
}

}  // namespace

std::optional<RefName> ParseRefName(const std::string& text) {
  std::size_t pos = 0;
  std::optional<std::uint32_t> library;
  std::optional<std::uint32_t> index;
  if (Take(text, pos, "*\\R")) library = TakeHex(text, pos);
  if (library && Take(text, pos, "*#")) index = TakeHex(text, pos);
  if (!index || pos != text.size()) return std::nullopt;
  return RefName{*library, *index};
}

std::optional<ImportedLibrary> ParseImport(const std::string& text) {
  std::size_t pos = 0;
  std::optional<Guid> guid;
  std::optional<std::uint16_t> major, minor;
  std::optional<std::uint32_t> lcid;
  if (Take(text, pos, "*\\G{")) guid = TakeGuid(text, pos);
  if (guid && Take(text, pos, "}#")) major = TakeDecimal(text, pos);
  if (major && Take(text, pos, ".")) minor = TakeDecimal(text, pos);
  if (minor && Take(text, pos, "#")) lcid = TakeHex(text, pos);
  // The file name runs to the closing '#', the last character.
  if (!lcid || !Take(text, pos, "#") || text.size() <= pos || text.back() != '#') return std::nullopt;
  ImportedLibrary import;
  import.guid = *guid;
  import.majorVersion = *major;
  import.minorVersion = *minor;
  import.lcid = *lcid;
  import.fileName = text.substr(pos, text.size() - 1 - pos);
  return import;
}

}  // namespace korvane::formats::sltg
