#pragma once
// The frame of an MSFT type library: its 0x54-byte header, the segment
// directory, and bounded access to the segments and to the name, string and
// GUID tables. Both the attribute reader and the full reader stand on it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "formats/Expected.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibBytes.h"

namespace korvane::formats::msft {

// "Absent" in every offset field of the format.
inline constexpr std::int32_t kAbsent = -1;

// Segment directory indexes.
enum class Seg : int {
  kTypeInfos = 0,    // 0x64-byte type-info records
  kImportInfos = 1,  // 12-byte references to types of imported libraries
  kImportFiles = 2,  // the imported libraries
  kRefTable = 3,     // 16-byte implemented-interface records of coclasses
  kGuidHash = 4,
  kGuidTable = 5,  // 24-byte GUID entries
  kNameHash = 6,
  kNameTable = 7,
  kStringTable = 8,
  kTypeDescs = 9,    // 8-byte type descriptions
  kArrayDescs = 10,  // C-array descriptions
  kCustomData = 11,  // values: a 16-bit VARTYPE, then the value
  kCustomGuids = 12, // 12-byte custom-data chain entries
};
inline constexpr int kSegmentCount = 15;

struct Segment {
  std::int32_t offset = kAbsent;
  std::int32_t length = 0;
};

// The header fields the readers use.
struct Header {
  std::int32_t posGuid = kAbsent;
  std::uint32_t lcid2 = 0;
  std::uint32_t varFlags = 0;
  std::uint32_t version = 0;
  std::uint32_t libFlags = 0;
  std::uint32_t typeInfoCount = 0;
  std::int32_t helpString = kAbsent;
  std::uint32_t helpStringContext = 0;
  std::uint32_t helpContext = 0;
  std::int32_t name = kAbsent;
  std::int32_t helpFile = kAbsent;
  std::int32_t customData = kAbsent;  // head of a chain in the custom-data GUID segment
  std::int32_t dispatchRef = kAbsent; // the type reference of IDispatch, for dispinterfaces
  std::int32_t helpStringDll = kAbsent;
  bool hasHelpFile = false;
};

class MsftFile {
 public:
  // kNotTypeLib without the signature; kBadTypeLib for a damaged frame.
  static Expected<MsftFile> Open(std::span<const std::uint8_t> data);

  const Header& header() const { return header_; }
  const TypeLibBytes& bytes() const { return bytes_; }
  const Segment& segment(Seg seg) const { return dir_[static_cast<std::size_t>(seg)]; }

  // The bytes [offset, offset + length) of a segment; a negative offset is
  // out of range like any other.
  Expected<std::span<const std::uint8_t>> In(Seg seg, std::int64_t offset, std::uint64_t length,
                                             const char* what) const;
  Expected<std::int32_t> I32In(Seg seg, std::int64_t offset, const char* what) const;

  Expected<std::string> Name(std::int32_t offset) const;
  Expected<std::string> String(std::int32_t offset) const;
  Expected<Guid> GuidAt(std::int32_t offset) const;
  // The same, empty (or zero) for kAbsent.
  Expected<std::string> OptionalName(std::int32_t offset) const;
  Expected<std::string> OptionalString(std::int32_t offset) const;
  Expected<Guid> OptionalGuid(std::int32_t offset) const;

  // The library attributes the header and tables describe.
  Expected<TypeLibAttributes> Attributes() const;

 private:
  MsftFile(std::span<const std::uint8_t> data) : bytes_(data) {}

  TypeLibBytes bytes_;
  Header header_;
  std::array<Segment, kSegmentCount> dir_{};
};

// "0x1F" for error messages.
std::string HexText(std::uint64_t value);

}  // namespace korvane::formats::msft
