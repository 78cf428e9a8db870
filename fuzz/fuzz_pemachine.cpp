// The PE machine probe on arbitrary bytes: never reads outside them, and a
// probe that finds an image finds the same machine in any longer head.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "formats/PeMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  const std::span<const std::uint8_t> bytes(data, size);
  const PeMachineResult r = PeMachineOf(bytes);
  std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
  longer.resize(size + 16, 0);
  const PeMachineResult again = PeMachineOf(longer);
  if (r.isPe && (!again.isPe || again.machine != r.machine)) std::abort();
  return 0;
}
