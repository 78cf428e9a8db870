// The version-information services from the file's own resource section: the
// version resource (type 16, id 1) in the language a neutral lookup on Windows
// picks, with the user's language taken from LANG.

#include "platform/VersionInfo.h"

#include <cstdlib>

#include "formats/PeImage.h"
#include "formats/VersionBlock.h"
#include "formats/VersionLanguage.h"

namespace korvane::platform {

namespace {

constexpr std::uint16_t kVersionInfoId = 1;

std::uint16_t UserLanguage() {
  const char* lang = std::getenv("LANG");
  return formats::LanguageIdFromLocale(lang != nullptr ? lang : "");
}

// Finds the version resource; false when the file has none.
bool FindVersionResource(const formats::PeImage& image, formats::ResourceEntry& found) {
  std::vector<formats::ResourceEntry> entries;
  // A fault elsewhere in the directory does not hide a well-formed version resource.
  image.ResourcesOfType(formats::ResourceId::Number(formats::kRtVersion), entries);
  std::vector<formats::ResourceEntry> named;
  const auto wanted = formats::ResourceId::Number(kVersionInfoId);
  for (auto& entry : entries) {
    if (entry.name.Matches(wanted)) named.push_back(std::move(entry));
  }
  const formats::ResourceEntry* pick = formats::PickVersionResource(named, UserLanguage());
  if (pick == nullptr) return false;
  found = *pick;
  return true;
}

}  // namespace

std::uint32_t GetFileVersionInfoSize(const std::string& path) {
  formats::PeImage image;
  formats::ResourceEntry entry;
  if (image.Open(path) != formats::PeError::kOk || !FindVersionResource(image, entry)) return 0;
  return entry.size <= formats::kMaxResourceSize ? entry.size : 0;
}

bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& block) {
  block.clear();
  formats::PeImage image;
  formats::ResourceEntry entry;
  if (image.Open(path) != formats::PeError::kOk || !FindVersionResource(image, entry)) return false;
  return image.ReadResource(entry, block) == formats::PeError::kOk && !block.empty();
}

bool QueryFixedFileInfo(std::span<const std::uint8_t> block, std::size_t& offset, std::size_t& length) {
  return formats::VersionBlock(block).RootValue(offset, length);
}

}  // namespace korvane::platform
