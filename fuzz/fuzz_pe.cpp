// The PE resource reader on arbitrary bytes: open, list, read every resource.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  const auto image = PeImage::FromBytes(std::span<const std::uint8_t>(data, size));
  if (!image) return 0;
  for (const auto& listing : {image->Resources(), image->ResourcesOfType(ResourceId::Named("TYPELIB")),
                              image->ResourcesOfType(ResourceId::Number(kRtVersion))}) {
    if (!listing) continue;
    for (const auto& entry : listing->entries) {
      const auto bytes = image->ReadResource(entry);
      if (bytes && bytes->size() != entry.size) __builtin_trap();
    }
  }
  return 0;
}
