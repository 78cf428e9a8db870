#pragma once
// A reader of the resources of PE images (PE32 and PE32+).
//
// Opening an image reads only its headers and section table; the resource
// directory is walked when resources are asked for, and a resource's bytes are
// read only when ReadResource is called. Nothing read from the file is trusted:
// every offset, size and count is checked against the file and against fixed
// limits, and every malformed structure gives an Error instead of a crash.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ByteSource.h"
#include "formats/Expected.h"

namespace korvane::formats {

// A resource type, name or other directory identifier: a 16-bit number or a
// name (UTF-8). Names are matched ignoring letter case, as Windows does.
struct ResourceId {
  bool isName = false;
  std::uint16_t id = 0;
  std::string name;

  static ResourceId Number(std::uint16_t value);
  static ResourceId Named(std::string_view value);
  bool Matches(const ResourceId& other) const;
  // "#16" for a number, the name itself otherwise.
  std::string ToString() const;
};

// Well-known numbered resource types.
inline constexpr std::uint16_t kRtVersion = 16;

// One leaf of the resource tree.
struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::uint32_t dataRva = 0;
  std::uint32_t size = 0;
  std::uint32_t codePage = 0;
};

// The largest resource ReadResource returns (version blocks and type libraries
// are far smaller; this only guards memory against absurd sizes).
inline constexpr std::uint32_t kMaxResourceSize = 64u * 1024u * 1024u;

// The leaves met by a walk of the resource directory. A damaged directory
// still lists its well-formed entries; damage then holds the first fault met.
struct ResourceListing {
  std::vector<ResourceEntry> entries;
  std::optional<Error> damage;
};

// One section header: where its bytes lie in memory and in the file.
struct PeSection {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

// One data directory entry.
struct PeDataDirectory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

// Indexes of the data directories the readers use.
inline constexpr std::size_t kPeDirectoryExport = 0;
inline constexpr std::size_t kPeDirectoryImport = 1;
inline constexpr std::size_t kPeDirectoryResource = 2;
inline constexpr std::size_t kPeDirectoryDelayImport = 13;
inline constexpr std::size_t kPeDirectorySlots = 16;

// What the one walk of the headers found. Directories the header does not
// declare or has no room for stay empty.
struct PeHeaders {
  std::uint16_t machine = 0;
  std::uint16_t characteristics = 0;
  std::uint16_t optionalSize = 0;
  bool is64 = false;  // PE32+
  // The optional header reaches its Windows fields (image base up to the
  // subsystem); when false those three stay zero.
  bool hasWindowsFields = false;
  std::uint64_t imageBase = 0;
  std::uint32_t sizeOfHeaders = 0;
  std::uint16_t subsystem = 0;
  std::array<PeDataDirectory, kPeDirectorySlots> directories{};
  std::vector<PeSection> sections;
};

// The machine field of an image's file header: the first step of the header
// walk alone, for callers that need nothing else (kNotPe or kBadHeaders).
Expected<std::uint16_t> PeMachine(const ByteSource& source);

class PeImage {
 public:
  ~PeImage();
  PeImage(PeImage&&) noexcept;
  PeImage& operator=(PeImage&&) noexcept;
  PeImage(const PeImage&) = delete;
  PeImage& operator=(const PeImage&) = delete;

  // Reads the headers and section table of the image held by source, which
  // stays in use (for the resources) as long as the image.
  static Expected<PeImage> Open(std::shared_ptr<const ByteSource> source);
  // The same from bytes in memory; the bytes are copied.
  static Expected<PeImage> FromBytes(std::span<const std::uint8_t> bytes);

  bool Is64Bit() const;
  const PeHeaders& Headers() const;
  const ByteSource& Source() const;
  // The file offset of [rva, rva + length) inside one section; nullopt when
  // file bytes do not back all of it.
  std::optional<std::uint64_t> MapRva(std::uint32_t rva, std::uint64_t length) const;

  // Every resource, in directory order (types, then names, then languages).
  // kNoResources when the image has no resource directory.
  Expected<ResourceListing> Resources() const;
  // Only the resources of one type (walks only that type's subtree).
  Expected<ResourceListing> ResourcesOfType(const ResourceId& type) const;
  // The bytes of one resource as listed by Resources().
  Expected<std::vector<std::uint8_t>> ReadResource(const ResourceEntry& entry) const;

  struct State;

 private:
  explicit PeImage(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace korvane::formats
