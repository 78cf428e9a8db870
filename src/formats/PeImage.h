#pragma once
// A reader of the resources of PE images (PE32 and PE32+).
//
// Opening a file reads only its headers and section table; the resource
// directory is walked when resources are asked for, and a resource's bytes are
// read only when ReadResource is called. Nothing read from the file is trusted:
// every offset, size and count is checked against the file and against fixed
// limits, and every malformed structure gives a PeError instead of a crash.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::formats {

enum class PeError {
  kOk = 0,
  kCannotOpen,          // the file could not be opened or read
  kNotPe,               // no MZ header, no PE signature, or an offset outside the file
  kBadHeaders,          // the optional header or the section table is truncated or malformed
  kNoResources,         // the image has no resource directory
  kBadResourceDirectory,// a directory, entry or name lies outside the resource section
  kResourceLoop,        // a directory refers to itself or to one already walked
  kTooManyEntries,      // more directory entries than any real image holds
  kResourceOutOfFile,   // a resource's bytes do not lie inside the file
  kResourceTooLarge,    // a resource larger than the reader accepts
  kNotFound,            // no resource matches the request
};

// A short English description of the error ("" for kOk).
const char* PeErrorText(PeError error);

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

class PeImage {
 public:
  PeImage();
  ~PeImage();
  PeImage(PeImage&&) noexcept;
  PeImage& operator=(PeImage&&) noexcept;
  PeImage(const PeImage&) = delete;
  PeImage& operator=(const PeImage&) = delete;

  // Opens a file and reads its headers and section table. The file stays open
  // (for ReadResource) until the object is destroyed or opened again.
  PeError Open(const std::string& path);
  // The same from bytes in memory; the bytes are copied.
  PeError OpenBytes(std::span<const std::uint8_t> bytes);

  // The error of the last Open/OpenBytes.
  PeError OpenError() const;
  bool Is64Bit() const;

  // Every resource, in directory order (types, then names, then languages).
  // On a malformed directory the well-formed entries are still listed in out
  // and the first fault met is returned.
  PeError Resources(std::vector<ResourceEntry>& out) const;
  // Only the resources of one type (walks only that type's subtree).
  PeError ResourcesOfType(const ResourceId& type, std::vector<ResourceEntry>& out) const;
  // The bytes of one resource as listed by Resources().
  PeError ReadResource(const ResourceEntry& entry, std::vector<std::uint8_t>& out) const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace korvane::formats
