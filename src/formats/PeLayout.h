#pragma once
// Bounded reading of fields and names at relative virtual addresses of an
// opened image, for the import and export readers. The headers, sections and
// data directories come from the image's own header walk.

#include <cstdint>
#include <optional>
#include <string>

#include "formats/PeImage.h"
#include "formats/PeImports.h"

namespace korvane::formats::pe {

inline constexpr std::uint16_t kCharacteristicDll = 0x2000;

class Layout {
 public:
  Layout(const PeImage& image, NamePool& names) : image_(image), names_(names) {}

  const PeDataDirectory& Dir(std::size_t index) const { return image_.Headers().directories[index]; }
  std::uint64_t ImageBase() const { return image_.Headers().imageBase; }
  bool Is64() const { return image_.Headers().is64; }

  // Little-endian fields at a relative virtual address.
  std::optional<std::uint16_t> U16At(std::uint32_t rva) const;
  std::optional<std::uint32_t> U32At(std::uint32_t rva) const;
  std::optional<std::uint64_t> U64At(std::uint32_t rva) const;
  // A NUL-terminated name at rva, at most kMaxImportNameLength bytes; nullopt
  // when it runs out of the image or past that length.
  std::optional<std::string> NameAt(std::uint32_t rva) const;
  // The same kept in the module's pool, read only the first time an address
  // is asked for: kOutOfRange when unreadable, kTooManyNames when the pool
  // is full.
  Expected<std::string_view> PooledNameAt(std::uint32_t rva) const;

 private:
  // The file offset of [rva, rva + length), when file bytes back all of it.
  std::optional<std::uint64_t> Map(std::uint32_t rva, std::uint64_t length) const;
  bool ReadAt(std::uint32_t rva, std::span<std::uint8_t> out) const;

  const PeImage& image_;
  NamePool& names_;
};

// The directory readers, each appending to info.
Expected<void> ReadImports(const Layout& layout, PeModuleInfo& info);
Expected<void> ReadDelayImports(const Layout& layout, PeModuleInfo& info);
Expected<void> ReadExports(const Layout& layout, PeModuleInfo& info);

}  // namespace korvane::formats::pe
