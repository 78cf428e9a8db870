#include "formats/PeMachine.h"

#include <cstdio>

namespace korvane::formats {

namespace {
constexpr std::size_t kDosMagicOffset = 0;
constexpr std::size_t kNewHeaderPointerOffset = 0x3C;  // e_lfanew
constexpr std::size_t kMachineAfterSignature = 4;
constexpr std::uint8_t kSignature[4] = {'P', 'E', 0, 0};

bool Read16(std::span<const std::uint8_t> b, std::size_t at, std::uint16_t* out) {
  if (at > b.size() || b.size() - at < 2) return false;
  *out = static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
  return true;
}

bool Read32(std::span<const std::uint8_t> b, std::size_t at, std::uint32_t* out) {
  if (at > b.size() || b.size() - at < 4) return false;
  *out = static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
  return true;
}
}  // namespace

PeMachineResult PeMachineOf(std::span<const std::uint8_t> head) {
  PeMachineResult result;
  std::uint16_t magic = 0;
  std::uint32_t pe = 0;
  if (!Read16(head, kDosMagicOffset, &magic) || magic != 0x5A4D) return result;  // "MZ"
  if (!Read32(head, kNewHeaderPointerOffset, &pe) || pe > head.size() || head.size() - pe < 6) return result;
  for (std::size_t i = 0; i < sizeof kSignature; ++i) {
    if (head[pe + i] != kSignature[i]) return result;
  }
  result.isPe = Read16(head, pe + kMachineAfterSignature, &result.machine);
  return result;
}

std::string PeMachineName(std::uint16_t machine) {
  switch (machine) {
    case kPeMachineI386: return "x86 (i386)";
    case kPeMachineAmd64: return "x64 (AMD64)";
    case kPeMachineArmNt: return "ARM";
    case kPeMachineArm64: return "ARM64";
    case kPeMachineIa64: return "Itanium";
    default: break;
  }
  char text[24];
  std::snprintf(text, sizeof text, "machine 0x%04X", machine);
  return text;
}

}  // namespace korvane::formats
