#pragma once
// The reader of a whole SLTG library, shared by the files that read its
// type-info blocks and their members.

#include <optional>
#include <string>
#include <vector>

#include "formats/TypeLibModel.h"
#include "formats/TypeLibSltgLayout.h"

namespace korvane::formats::sltg {

inline constexpr std::uint16_t kNone16 = 0xFFFF;

// Records may share type words, so a small damaged file could otherwise
// describe far more types than it holds bytes; real ones stay well below.
inline constexpr std::uint64_t kTypeNodesPerByte = 8;

inline Error Bad(const std::string& what) { return MakeError(ErrorKind::kBadTypeLib, "SLTG " + what); }

// Reads one library: the layout plus what has been resolved across blocks.
// The type-info blocks are read in TypeLibSltgTypes.cpp, their members in
// TypeLibSltgMembers.cpp.
class Reader {
 public:
  Reader(std::span<const std::uint8_t> data, sltg::Layout layout)
      : data_(data), bytes_(data), layout_(std::move(layout)), typeNodesLeft_(data.size() * kTypeNodesPerByte) {}

  Expected<TypeLibrary> Read();

 private:
  // One block being read: bounded to its own bytes.
  struct Block {
    TypeLibBytes bytes;
    std::uint64_t members = 0;      // start of the member data
    std::uint64_t membersSize = 0;  // its length
    std::vector<TypeRef> refs;
  };

  Expected<TypeInfo> ReadTypeInfo(std::size_t index);
  Expected<std::vector<TypeRef>> ReadRefs(const TypeLibBytes& block, std::uint64_t at);
  Expected<TypeRef> ParseRef(const std::string& text);
  Expected<int> ImportAt(std::uint32_t nameOffset);
  Expected<TypeDesc> ReadType(const Block& b, std::uint64_t& pos) const;
  Expected<TypeDesc> ReadTypeAt(const Block& b, std::uint64_t at) const {
    return ReadType(b, at);
  }
  Expected<void> ReadImpls(const Block& b, TypeInfo& type) const;
  Expected<void> ReadFunctions(const Block& b, std::uint64_t first, std::uint16_t count, TypeInfo& type) const;
  Expected<void> ReadParams(const Block& b, std::uint64_t at, Function& fn) const;
  Expected<void> ReadVariables(const Block& b, std::uint64_t first, std::uint16_t count, TypeInfo& type) const;
  Expected<std::optional<Value>> ReadConstant(const Block& b, std::uint8_t kindFlags, std::uint16_t data,
                                              const TypeDesc& type) const;
  Expected<std::string> HelpString(const Block& b, std::uint16_t at) const;
  Expected<std::string> Name(std::uint64_t offset, const char* what) const {
    return sltg::ReadName(bytes_, layout_.nameTable, offset, what);
  }

  std::span<const std::uint8_t> data_;
  TypeLibBytes bytes_;
  sltg::Layout layout_;
  std::vector<std::string> typeNames_;
  std::vector<ImportedLibrary> imports_;
  std::vector<std::uint32_t> importOffsets_;  // name-table offset of each import's description
  mutable std::uint64_t typeNodesLeft_;
};

}  // namespace korvane::formats::sltg
