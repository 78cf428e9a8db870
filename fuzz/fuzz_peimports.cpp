// The import and export reader on arbitrary bytes: headers only, then everything.

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/PeImports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  auto image = PeImage::FromBytes(std::span<const std::uint8_t>(data, size));
  if (!image) return 0;
  if (!ReadPeModule(*image, PeModuleParts::kHeadersOnly)) return 0;
  // Once the headers read, the directories never fail the whole read: their
  // damage is kept in the result.
  if (!ReadPeModule(*image, PeModuleParts::kAll)) __builtin_trap();
  return 0;
}
