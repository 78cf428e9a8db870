// The VS_VERSIONINFO walk on arbitrary bytes, and the fixed block it locates.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/VersionBlock.h"
#include "formats/VersionLanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  const std::span<const std::uint8_t> block(data, size);
  const VersionBlock tree(block);
  const VersionStrings strings = tree.Strings();
  LookupVersionString(strings, "OriginalFileName");
  if (const auto root = tree.RootValue()) {
    if (root->offset + root->length > size) __builtin_trap();
    const auto info = DecodeFixedFileInfo(block.subspan(root->offset, root->length));
    if (info.has_value() != (root->length >= kFixedFileInfoSize)) __builtin_trap();
  }
  LanguageIdFromLocale(std::string(reinterpret_cast<const char*>(data), size < 32 ? size : 32));
  return 0;
}
