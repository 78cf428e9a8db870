// The version-information services from the file's own resource section: the
// version resource (type 16, id 1) in the language a neutral lookup on Windows
// picks, with the user's language taken from LANG.

#include "platform/VersionInfo.h"

#include <cstdlib>
#include <optional>

#include "formats/PeImage.h"
#include "formats/VersionBlock.h"
#include "formats/VersionLanguage.h"
#include "platform/FileReader.h"

namespace korvane::platform {

namespace {

constexpr std::uint16_t kVersionInfoId = 1;

std::uint16_t UserLanguage() {
  const char* lang = std::getenv("LANG");
  return formats::LanguageIdFromLocale(lang != nullptr ? lang : "");
}

// The file's image and its version resource; nullopt when the file cannot be
// read as an image or has no version resource.
struct VersionResource {
  formats::PeImage image;
  formats::ResourceEntry entry;
};

std::optional<VersionResource> FindVersionResource(const std::string& path) {
  auto file = OpenFileReader(path);
  if (!file) return std::nullopt;
  auto image = formats::PeImage::Open(std::move(*file));
  if (!image) return std::nullopt;
  // A fault elsewhere in the directory does not hide a well-formed version resource.
  auto listing = image->ResourcesOfType(formats::ResourceId::Number(formats::kRtVersion));
  if (!listing) return std::nullopt;
  std::vector<formats::ResourceEntry> named;
  const auto wanted = formats::ResourceId::Number(kVersionInfoId);
  for (auto& entry : listing->entries) {
    if (entry.name.Matches(wanted)) named.push_back(std::move(entry));
  }
  const formats::ResourceEntry* pick = formats::PickVersionResource(named, UserLanguage());
  if (pick == nullptr) return std::nullopt;
  return VersionResource{std::move(*image), *pick};
}

}  // namespace

std::uint32_t GetFileVersionInfoSize(const std::string& path) {
  const auto found = FindVersionResource(path);
  if (!found) return 0;
  return found->entry.size <= formats::kMaxResourceSize ? found->entry.size : 0;
}

std::optional<std::vector<std::uint8_t>> GetFileVersionInfo(const std::string& path) {
  const auto found = FindVersionResource(path);
  if (!found) return std::nullopt;
  auto bytes = found->image.ReadResource(found->entry);
  if (!bytes || bytes->empty()) return std::nullopt;
  return std::move(*bytes);
}

std::optional<BlockRange> QueryFixedFileInfo(std::span<const std::uint8_t> block) {
  const auto root = formats::VersionBlock(block).RootValue();
  if (!root) return std::nullopt;
  return BlockRange{root->offset, root->length};
}

}  // namespace korvane::platform
