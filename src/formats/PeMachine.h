#pragma once
// The processor a PE image is built for: the Machine field of its file header,
// read with every offset checked. Enough to choose which Windows program can
// load a component.

#include <cstdint>
#include <span>
#include <string>

namespace korvane::formats {

inline constexpr std::uint16_t kPeMachineI386 = 0x014C;
inline constexpr std::uint16_t kPeMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kPeMachineArmNt = 0x01C4;
inline constexpr std::uint16_t kPeMachineArm64 = 0xAA64;
inline constexpr std::uint16_t kPeMachineIa64 = 0x0200;

// How many bytes of the start of a file PeMachineOf needs at most.
inline constexpr std::size_t kPeMachineProbeBytes = 4096;

struct PeMachineResult {
  bool isPe = false;          // an MZ header leading to a PE signature
  std::uint16_t machine = 0;  // the file header's Machine field
};

// Reads the machine from the first bytes of a file (up to kPeMachineProbeBytes).
PeMachineResult PeMachineOf(std::span<const std::uint8_t> head);

// "x86 (i386)", "x64 (AMD64)", "ARM64", ... or "machine 0x1234".
std::string PeMachineName(std::uint16_t machine);

}  // namespace korvane::formats
