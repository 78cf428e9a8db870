// The reader of Wine's registry files on arbitrary bytes: it never crashes,
// refuses as a whole with a line number, and what it accepts keeps its limits.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/WineRegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  const Expected<WineRegistryFile> r = ParseWineRegistryFile(std::span<const std::uint8_t>(data, size));
  if (!r) {
    if (r.error().line < 1 || r.error().message.empty()) std::abort();
    return 0;
  }
  if (r->keys.size() > kWineRegMaxKeys) std::abort();
  for (const WineRegKey& key : r->keys) {
    if (key.path.empty() || key.path.size() > kWineRegMaxDepth) std::abort();
    for (const auto& name : key.path) {
      if (name.empty()) std::abort();
    }
    for (const WineRegValue& value : key.values) {
      if (value.data.size() > kWineRegMaxValueBytes) std::abort();
    }
  }
  return 0;
}
