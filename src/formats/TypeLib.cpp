#include "formats/TypeLib.h"

#include <algorithm>

namespace korvane::formats {

namespace {
constexpr std::uint8_t kMsftMagic[4] = {'M', 'S', 'F', 'T'};
constexpr std::uint8_t kSltgMagic[4] = {'S', 'L', 'T', 'G'};

bool StartsWith(std::span<const std::uint8_t> data, const std::uint8_t (&magic)[4]) {
  return data.size() >= 4 && std::equal(magic, magic + 4, data.begin());
}

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}
}  // namespace

bool IsTypeLibData(std::span<const std::uint8_t> data) {
  return StartsWith(data, kMsftMagic) || StartsWith(data, kSltgMagic);
}

Expected<TypeLibAttributes> ReadTypeLib(std::span<const std::uint8_t> data) {
  if (StartsWith(data, kMsftMagic)) return ReadMsftTypeLib(data);
  if (StartsWith(data, kSltgMagic)) return ReadSltgTypeLib(data);
  return MakeError(ErrorKind::kNotTypeLib, "no MSFT or SLTG signature");
}

Guid GuidFromBytes(std::span<const std::uint8_t, 16> bytes) {
  Guid guid{};
  std::copy(bytes.begin(), bytes.end(), guid.begin());
  return guid;
}

std::string GuidToRegistryText(const Guid& g) {
  const std::uint32_t data1 = g[0] | (g[1] << 8) | (g[2] << 16) | (static_cast<std::uint32_t>(g[3]) << 24);
  const std::uint32_t data2 = g[4] | (g[5] << 8);
  const std::uint32_t data3 = g[6] | (g[7] << 8);
  std::string text = "{";
  AppendHex(text, data1, 8);
  text += '-';
  AppendHex(text, data2, 4);
  text += '-';
  AppendHex(text, data3, 4);
  text += '-';
  AppendHex(text, g[8], 2);
  AppendHex(text, g[9], 2);
  text += '-';
  for (int i = 10; i < 16; ++i) AppendHex(text, g[static_cast<std::size_t>(i)], 2);
  text += '}';
  return text;
}

}  // namespace korvane::formats
