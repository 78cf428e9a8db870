#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/PeMachine.h"

namespace korvane::formats {
namespace {

// An MZ header whose e_lfanew points at a PE signature followed by machine.
std::vector<std::uint8_t> Image(std::uint16_t machine, std::uint32_t peOffset = 0x80, std::size_t size = 0x100) {
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

TEST(PeMachine, ReadsTheMachineOfEachKindAndRefusesWhatIsNoImage) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool isPe;
    std::uint16_t machine;
  };
  std::vector<std::uint8_t> badSignature = Image(kPeMachineI386);
  badSignature[0x81] = 'X';
  std::vector<std::uint8_t> notMz = Image(kPeMachineI386);
  notMz[0] = 'Z';
  const Case cases[] = {
      {Image(kPeMachineI386), true, kPeMachineI386},
      {Image(kPeMachineAmd64), true, kPeMachineAmd64},
      {Image(kPeMachineArm64), true, kPeMachineArm64},
      {Image(kPeMachineAmd64, 0xFA, 0x100), true, kPeMachineAmd64},  // machine in the last bytes
      {Image(kPeMachineAmd64, 0xFB, 0x100), false, 0},               // one byte short
      {Image(kPeMachineAmd64, 0xFFFFFFF0u), false, 0},               // offset past the end
      {badSignature, false, 0},
      {notMz, false, 0},
      {{'M', 'Z'}, false, 0},
      {{}, false, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const PeMachineResult r = PeMachineOf(cases[i].bytes);
    EXPECT_EQ(r.isPe, cases[i].isPe) << "case " << i;
    if (cases[i].isPe) {
      EXPECT_EQ(r.machine, cases[i].machine) << "case " << i;
    }
  }
  EXPECT_EQ(PeMachineName(kPeMachineI386), "x86 (i386)");
  EXPECT_EQ(PeMachineName(0x1234), "machine 0x1234");
}

}  // namespace
}  // namespace korvane::formats
