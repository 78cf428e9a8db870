// The import and export reader on arbitrary bytes: headers only, then everything.

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/PeImports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  PeMemoryBytes bytes(std::span<const std::uint8_t>(data, size));
  PeModuleInfo info;
  if (ReadPeModule(bytes, info, PeModuleParts::kHeadersOnly) != PeModuleError::kOk) return 0;
  ReadPeModule(bytes, info, PeModuleParts::kAll);
  return 0;
}
