#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/PeMachine.h"
#include "wineprefix/PeBytes.h"

namespace korvane::formats {
namespace {

using test::PeBytes;

TEST(PeMachine, ReadsTheMachineOfEachKindAndRefusesWhatIsNoImage) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool isPe;
    std::uint16_t machine;
  };
  std::vector<std::uint8_t> badSignature = PeBytes(kPeMachineI386);
  badSignature[0x81] = 'X';
  std::vector<std::uint8_t> notMz = PeBytes(kPeMachineI386);
  notMz[0] = 'Z';
  const Case cases[] = {
      {PeBytes(kPeMachineI386), true, kPeMachineI386},
      {PeBytes(kPeMachineAmd64), true, kPeMachineAmd64},
      {PeBytes(kPeMachineArm64), true, kPeMachineArm64},
      {PeBytes(kPeMachineAmd64, 0xFA, 0x100), true, kPeMachineAmd64},  // machine in the last bytes
      {PeBytes(kPeMachineAmd64, 0xFB, 0x100), false, 0},               // one byte short
      {PeBytes(kPeMachineAmd64, 0xFFFFFFF0u), false, 0},               // offset past the end
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
