#pragma once
// The parts of a PE image's headers that locate its data directories: the
// section table, the image base and the directory entries, with bounded
// reading of fields and names at relative virtual addresses. Internal to the
// import and export readers.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/PeImports.h"

namespace korvane::formats::pe {

// Offsets from the start of the file.
inline constexpr std::uint64_t kDosMagicOffset = 0;
inline constexpr std::uint64_t kDosPeOffsetField = 0x3C;
inline constexpr std::uint16_t kDosMagic = 0x5A4D;          // "MZ"
inline constexpr std::uint32_t kPeSignature = 0x00004550;   // "PE\0\0"

// Offsets inside the COFF file header (it follows the 4-byte signature).
inline constexpr std::uint64_t kCoffMachine = 0;
inline constexpr std::uint64_t kCoffSectionCount = 2;
inline constexpr std::uint64_t kCoffOptionalSize = 16;
inline constexpr std::uint64_t kCoffCharacteristics = 18;
inline constexpr std::uint64_t kCoffHeaderSize = 20;
inline constexpr std::uint16_t kCharacteristicDll = 0x2000;

// Offsets inside the optional header.
inline constexpr std::uint64_t kOptMagic = 0;
inline constexpr std::uint16_t kMagicPe32 = 0x10B;
inline constexpr std::uint16_t kMagicPe32Plus = 0x20B;
inline constexpr std::uint64_t kOptImageBase32 = 28;
inline constexpr std::uint64_t kOptImageBase64 = 24;
inline constexpr std::uint64_t kOptSizeOfHeaders = 60;
inline constexpr std::uint64_t kOptSubsystem = 68;
inline constexpr std::uint64_t kOptDirectoryCount32 = 92;
inline constexpr std::uint64_t kOptDirectoryCount64 = 108;
inline constexpr std::uint64_t kOptDirectories32 = 96;
inline constexpr std::uint64_t kOptDirectories64 = 112;
inline constexpr std::uint64_t kDirectoryEntrySize = 8;

// Offsets inside one section header.
inline constexpr std::uint64_t kSectionVirtualSize = 8;
inline constexpr std::uint64_t kSectionVirtualAddress = 12;
inline constexpr std::uint64_t kSectionRawSize = 16;
inline constexpr std::uint64_t kSectionRawOffset = 20;
inline constexpr std::uint64_t kSectionHeaderSize = 40;
inline constexpr std::uint32_t kMaxSections = 1024;

// Data directory indexes.
inline constexpr std::size_t kDirExport = 0;
inline constexpr std::size_t kDirImport = 1;
inline constexpr std::size_t kDirDelayImport = 13;
inline constexpr std::size_t kDirectorySlots = 16;

struct Directory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

class Layout {
 public:
  explicit Layout(const PeByteSource& bytes) : bytes_(bytes) {}

  // Reads the headers into info and keeps what the directory readers need.
  PeModuleError ReadHeaders(PeModuleInfo& info);

  const Directory& Dir(std::size_t index) const { return directories_[index]; }
  std::uint64_t ImageBase() const { return imageBase_; }
  bool Is64() const { return is64_; }

  // Little-endian fields at a relative virtual address.
  bool U16At(std::uint32_t rva, std::uint16_t& value) const;
  bool U32At(std::uint32_t rva, std::uint32_t& value) const;
  bool U64At(std::uint32_t rva, std::uint64_t& value) const;
  // A NUL-terminated name at rva, at most kMaxImportNameLength bytes; false
  // when it runs out of the image or past that length.
  bool NameAt(std::uint32_t rva, std::string& name) const;

 private:
  struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
  };
  // The file offset of [rva, rva + length), when file bytes back all of it.
  bool Map(std::uint32_t rva, std::uint64_t length, std::uint64_t& offset) const;
  bool ReadAt(std::uint32_t rva, void* dst, std::size_t length) const;
  template <typename T>
  bool ValueAt(std::uint32_t rva, T& value) const;

  const PeByteSource& bytes_;
  std::vector<Section> sections_;
  std::array<Directory, kDirectorySlots> directories_{};
  std::uint32_t sizeOfHeaders_ = 0;
  std::uint64_t imageBase_ = 0;
  bool is64_ = false;
};

// Little-endian fields at a file offset.
bool FileU16(const PeByteSource& bytes, std::uint64_t offset, std::uint16_t& value);
bool FileU32(const PeByteSource& bytes, std::uint64_t offset, std::uint32_t& value);

// The directory readers, each appending to info.
PeModuleError ReadImports(const Layout& layout, PeModuleInfo& info);
PeModuleError ReadDelayImports(const Layout& layout, PeModuleInfo& info);
PeModuleError ReadExports(const Layout& layout, PeModuleInfo& info);

}  // namespace korvane::formats::pe
