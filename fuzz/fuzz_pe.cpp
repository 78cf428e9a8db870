// The PE resource reader on arbitrary bytes: open, list, read every resource.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  PeImage image;
  if (image.OpenBytes(std::span<const std::uint8_t>(data, size)) != PeError::kOk) return 0;
  std::vector<ResourceEntry> entries;
  image.Resources(entries);
  std::vector<std::uint8_t> bytes;
  for (const auto& entry : entries) image.ReadResource(entry, bytes);
  image.ResourcesOfType(ResourceId::Named("TYPELIB"), entries);
  image.ResourcesOfType(ResourceId::Number(kRtVersion), entries);
  for (const auto& entry : entries) image.ReadResource(entry, bytes);
  return 0;
}
