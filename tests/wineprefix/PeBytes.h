#pragma once
// The first bytes of a PE image for a given machine: an MZ header whose
// e_lfanew points at "PE\0\0" and the file header's Machine field.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane::test {

inline std::vector<std::uint8_t> PeBytes(std::uint16_t machine, std::uint32_t peOffset = 0x80,
                                         std::size_t size = 0x100) {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = 'M';
  b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[0x3C + i] = static_cast<std::uint8_t>(peOffset >> (8 * i));
  if (peOffset + 6 <= size) {
    b[peOffset] = 'P';
    b[peOffset + 1] = 'E';
    b[peOffset + 4] = static_cast<std::uint8_t>(machine);
    b[peOffset + 5] = static_cast<std::uint8_t>(machine >> 8);
  }
  return b;
}

}  // namespace korvane::test
