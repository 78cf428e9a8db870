#pragma once
// A reader of the resources of PE images (PE32 and PE32+).
//
// Opening an image reads only its headers and section table; the resource
// directory is walked when resources are asked for, and a resource's bytes are
// read only when ReadResource is called. Nothing read from the file is trusted:
// every offset, size and count is checked against the file and against fixed
// limits, and every malformed structure gives an Error instead of a crash.

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
