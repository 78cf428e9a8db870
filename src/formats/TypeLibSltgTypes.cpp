// The whole content of SLTG data: every type-info block of the chain with its
// reference table, member records and tail, read into the shared model.
//
// A type-info block is a fixed header, an optional reference table, a member
// header followed by the member data (implemented types, functions,
// variables and the type words, texts and values they point to) and a tail of
// counts and sizes. Offsets inside the member data count from its start.

#include <set>

#include "formats/TypeLibSltgReader.h"
#include "formats/TypeLibSltgText.h"

namespace korvane::formats::sltg {

namespace {

constexpr std::uint32_t kNone32 = 0xFFFFFFFF;

// Type-info header.
constexpr std::uint16_t kTypeInfoMagic = 0x0501;
constexpr std::uint64_t kTypeInfoHeaderSize = 0x22;
constexpr std::size_t kTiRefTableAt = 0x02;
constexpr std::size_t kTiMembersAt = 0x0A;
constexpr std::size_t kTiMajorAt = 0x12;
constexpr std::size_t kTiMinorAt = 0x14;
constexpr std::size_t kTiFlagsLowAt = 0x1A;   // flag bits 0-4 in its top five bits
constexpr std::size_t kTiFlagsHighAt = 0x1B;  // flag bits 5 and up
constexpr std::size_t kTiKindAt = 0x1D;
constexpr unsigned kFlagsLowShift = 3;
constexpr unsigned kFlagsHighShift = 5;

// Member header: the length of the member data at 5, the data after it.
constexpr std::uint64_t kMemberHeaderSize = 9;
constexpr std::uint64_t kMemberLengthAt = 5;

// Tail behind the member data.
constexpr std::uint64_t kTailSize = 0x36;
constexpr std::size_t kTailFuncCountAt = 0x00;
constexpr std::size_t kTailVarCountAt = 0x02;
constexpr std::size_t kTailFuncsAt = 0x08;
constexpr std::size_t kTailVarsAt = 0x0A;
constexpr std::size_t kTailAliasAt = 0x14;        // the type word, or where it lies
constexpr std::size_t kTailSimpleAliasAt = 0x1C;  // non-zero: the word itself
constexpr std::size_t kTailInstanceSizeAt = 0x20;
constexpr std::size_t kTailAlignmentAt = 0x22;
constexpr std::size_t kTailVtableSizeAt = 0x28;

// Reference table: names of the form *\R<library>*#<index>, both hex; the
// library is 0xFFFF for a type of this library, else the name-table offset of
// an *\G{guid}#major.minor#lcid#file# description.
constexpr std::uint8_t kRefTableMagic = 0xDF;
constexpr std::size_t kRefSizeAt = 0x44;        // 8 bytes per reference
constexpr std::uint64_t kRefNamesAt = 0x4F;     // plus the size
constexpr std::uint32_t kRefEntrySize = 8;
constexpr std::uint32_t kLocalLibrary = 0xFFFF;

// Implemented-type records, chained by their next field.
constexpr std::uint16_t kImplMagic = 0x004A;
constexpr std::uint64_t kImplSize = 0x16;
constexpr std::size_t kImplNextAt = 0x02;
constexpr std::size_t kImplFlagsAt = 0x06;
constexpr std::size_t kImplRefAt = 0x0A;

}  // namespace

Expected<TypeLibrary> Reader::Read() {
  if (layout_.typeBlocks.size() != layout_.records.size()) return Bad("block chain and type records disagree");
  if (layout_.records.size() > kMaxTypeInfos) return Bad("library has too many type infos");
  // Names first: references resolve to a local type by position.
  for (const auto& record : layout_.records) {
    auto name = Name(record.nameOffset, "SLTG type name");
    if (!name) return name.error();
    typeNames_.push_back(std::move(*name));
  }
  TypeLibrary lib;
  lib.attributes = layout_.attributes;
  lib.helpContext = layout_.helpContext;
  for (std::size_t i = 0; i < layout_.records.size(); ++i) {
    auto type = ReadTypeInfo(i);
    if (!type) return type.error();
    lib.types.push_back(std::move(*type));
  }
  lib.imports = std::move(imports_);
  return lib;
}

Expected<TypeInfo> Reader::ReadTypeInfo(std::size_t index) {
  const auto& record = layout_.records[index];
  const auto& place = layout_.typeBlocks[index];
  const auto span = bytes_.Bytes(place.offset, place.length, "SLTG type-info block");
  if (!span) return span.error();
  Block b{TypeLibBytes(*span), 0, 0, {}};

  const auto header = b.bytes.Bytes(0, kTypeInfoHeaderSize, "SLTG type-info header");
  if (!header) return header.error();
  const std::uint8_t* h = header->data();
  if (LoadU16(h) != kTypeInfoMagic) return Bad("type-info block has a wrong signature");
  const std::uint8_t kind = h[kTiKindAt];
  if (kind > static_cast<std::uint8_t>(TypeKind::kUnion)) return Bad("type info has an unknown kind");

  TypeInfo type;
  type.kind = static_cast<TypeKind>(kind);
  type.name = typeNames_[index];
  type.guid = record.guid;
  type.helpString = record.helpString;
  type.helpContext = record.helpContext;
  type.majorVersion = LoadU16(h + kTiMajorAt);
  type.minorVersion = LoadU16(h + kTiMinorAt);
  type.flags = static_cast<std::uint32_t>(h[kTiFlagsLowAt] >> kFlagsLowShift) |
               (static_cast<std::uint32_t>(h[kTiFlagsHighAt]) << kFlagsHighShift);

  if (const std::uint32_t refTable = LoadU32(h + kTiRefTableAt); refTable != kNone32) {
    auto refs = ReadRefs(b.bytes, refTable);
    if (!refs) return refs.error();
    b.refs = std::move(*refs);
  }

  const std::uint64_t memberHeader = LoadU32(h + kTiMembersAt);
  const auto length = b.bytes.U32(memberHeader + kMemberLengthAt, "SLTG member header");
  if (!length) return length.error();
  b.members = memberHeader + kMemberHeaderSize;
  b.membersSize = *length;
  const auto tailBytes = b.bytes.Bytes(b.members + *length, kTailSize, "SLTG type-info tail");
  if (!tailBytes) return tailBytes.error();
  const std::uint8_t* tail = tailBytes->data();
  type.instanceSize = LoadU16(tail + kTailInstanceSizeAt);
  type.alignment = LoadU16(tail + kTailAlignmentAt);
  type.vtableSize = LoadU16(tail + kTailVtableSizeAt);

  const std::uint16_t funcCount = LoadU16(tail + kTailFuncCountAt);
  const std::uint16_t varCount = LoadU16(tail + kTailVarCountAt);
  const std::uint16_t funcs = LoadU16(tail + kTailFuncsAt);
  const std::uint16_t vars = LoadU16(tail + kTailVarsAt);

  if (type.kind == TypeKind::kAlias) {
    const std::uint16_t alias = LoadU16(tail + kTailAliasAt);
    if (LoadU16(tail + kTailSimpleAliasAt) != 0) {
      type.aliasOf.type = alias;
    } else {
      auto desc = ReadTypeAt(b, b.members + alias);
      if (!desc) return desc.error();
      type.aliasOf = std::move(*desc);
    }
  }
  if (type.kind == TypeKind::kInterface || type.kind == TypeKind::kDispatch || type.kind == TypeKind::kCoClass) {
    if (auto impls = ReadImpls(b, type); !impls) return impls.error();
  }
  if (funcs != kNone16 && funcCount > 0) {
    if (auto read = ReadFunctions(b, b.members + funcs, funcCount, type); !read) return read.error();
  }
  if (vars != kNone16 && varCount > 0) {
    if (auto read = ReadVariables(b, b.members + vars, varCount, type); !read) return read.error();
  }
  return type;
}

Expected<std::vector<TypeRef>> Reader::ReadRefs(const TypeLibBytes& block, std::uint64_t at) {
  const auto magic = block.Bytes(at, 1, "SLTG reference table");
  if (!magic) return magic.error();
  if ((*magic)[0] != kRefTableMagic) return Bad("reference table has a wrong signature");
  const auto size = block.U32(at + kRefSizeAt, "SLTG reference table");
  if (!size) return size.error();
  const std::uint32_t count = *size / kRefEntrySize;
  if (count > kMaxMembersPerType) return Bad("reference table is too long");
  std::vector<TypeRef> refs;
  std::uint64_t pos = at + kRefNamesAt + *size;
  for (std::uint32_t i = 0; i < count; ++i) {
    auto text = sltg::ReadCounted(block, pos, "SLTG reference name");
    if (!text) return text.error();
    auto ref = ParseRef(*text);
    if (!ref) return ref.error();
    refs.push_back(std::move(*ref));
  }
  return refs;
}

Expected<TypeRef> Reader::ParseRef(const std::string& text) {
  const auto parsed = sltg::ParseRefName(text);
  if (!parsed) return Bad("reference name is malformed: " + text);
  TypeRef ref;
  if (parsed->library == kLocalLibrary) {
    if (parsed->index >= typeNames_.size()) return Bad("reference names a missing type");
    ref.localIndex = static_cast<int>(parsed->index);
    ref.name = typeNames_[parsed->index];
    ref.typeGuid = layout_.records[parsed->index].guid;
    return ref;
  }
  auto import = ImportAt(parsed->library);
  if (!import) return import.error();
  ref.importIndex = *import;
  ref.importTypeIndex = static_cast<int>(parsed->index);
  return ref;
}

// The import described at a name-table offset, added on first use.
Expected<int> Reader::ImportAt(std::uint32_t nameOffset) {
  for (std::size_t i = 0; i < importOffsets_.size(); ++i) {
    if (importOffsets_[i] == nameOffset) return static_cast<int>(i);
  }
  if (imports_.size() >= kMaxImports) return Bad("library has too many imports");
  auto text = Name(nameOffset, "SLTG imported library");
  if (!text) return text.error();
  auto import = sltg::ParseImport(*text);
  if (!import) return Bad("imported library is malformed: " + *text);
  imports_.push_back(std::move(*import));
  importOffsets_.push_back(nameOffset);
  return static_cast<int>(imports_.size() - 1);
}

Expected<void> Reader::ReadImpls(const Block& b, TypeInfo& type) const {
  // The implemented types come first in the member data, when there are any.
  if (b.membersSize < kImplSize) return {};
  const auto first = b.bytes.U16(b.members, "SLTG member data");
  if (!first) return first.error();
  if (*first != kImplMagic) return {};
  std::set<std::uint64_t> seen;
  for (std::uint64_t at = b.members;;) {
    if (!seen.insert(at).second) return Bad("implemented-type chain loops");
    const auto impl = b.bytes.Bytes(at, kImplSize, "SLTG implemented type");
    if (!impl) return impl.error();
    const std::uint16_t ref = LoadU16(impl->data() + kImplRefAt);
    if (ref >= b.refs.size()) return Bad("implemented type names a missing reference");
    type.implemented.push_back({b.refs[ref], (*impl)[kImplFlagsAt], {}});
    const std::uint16_t next = LoadU16(impl->data() + kImplNextAt);
    if (next == kNone16) return {};
    at = b.members + next;
  }
}

}  // namespace korvane::formats::sltg

namespace korvane::formats {

Expected<TypeLibrary> ReadSltgTypeLibrary(std::span<const std::uint8_t> data) {
  auto layout = sltg::ReadLayout(data);
  if (!layout) return layout.error();
  return sltg::Reader(data, std::move(*layout)).Read();
}

}  // namespace korvane::formats
