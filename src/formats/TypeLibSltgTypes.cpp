// The whole content of SLTG data: every type-info block of the chain with its
// reference table, member records and tail, read into the shared model.
//
// A type-info block is a fixed header, an optional reference table, a member
// header followed by the member data (implemented types, functions,
// variables and the type words, texts and values they point to) and a tail of
// counts and sizes. Offsets inside the member data count from its start.

#include <algorithm>
#include <set>
#include <string_view>

#include "formats/TypeLibModel.h"
#include "formats/TypeLibSltgLayout.h"

namespace korvane::formats {

namespace {

using sltg::Layout;

constexpr std::uint16_t kNone16 = 0xFFFF;
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

// Function records.
constexpr std::uint8_t kFuncFlagsPresent = 0x20;
constexpr std::uint8_t kFuncMagicVirtual = 0x4C;
constexpr std::uint8_t kFuncMagicDispatch = 0xCB;
constexpr std::uint8_t kFuncMagicStatic = 0x8B;
constexpr std::uint64_t kFuncSize = 0x16;  // + 2 with flags
constexpr std::size_t kFnInvokeAt = 0x01;   // invoke kind in the high nibble
constexpr std::size_t kFnNextAt = 0x02;
constexpr std::size_t kFnNameAt = 0x04;
constexpr std::size_t kFnDispIdAt = 0x06;
constexpr std::size_t kFnHelpContextAt = 0x0A;
constexpr std::size_t kFnHelpStringAt = 0x0C;
constexpr std::size_t kFnParamsAt = 0x0E;
constexpr std::size_t kFnCountsAt = 0x10;  // call convention in 3 bits, parameter count above
constexpr std::size_t kFnReturnFormAt = 0x11;  // 0x80: word inline; optional count in bits 1-6
constexpr std::size_t kFnReturnAt = 0x12;
constexpr std::size_t kFnVtableAt = 0x14;
constexpr std::size_t kFnFlagsAt = 0x16;
constexpr std::uint8_t kReturnInline = 0x80;
constexpr std::uint8_t kCallConvMask = 0x07;
constexpr unsigned kParamCountShift = 3;
constexpr std::uint8_t kOptionalMask = 0x7E;

// Parameter list: a name word, then the type words or a word pointing at them.
constexpr std::uint16_t kUnnamedInline = 0xFFFF;
constexpr std::uint16_t kUnnamedOffset = 0xFFFE;

// Variable records.
constexpr std::uint8_t kVarMagic = 0x0A;
constexpr std::uint8_t kVarMagicWithFlags = 0x2A;
constexpr std::uint64_t kVarSize = 0x12;  // + 2 with flags
constexpr std::size_t kVarKindFlagsAt = 0x01;
constexpr std::size_t kVarNextAt = 0x02;
constexpr std::size_t kVarNameAt = 0x04;
constexpr std::size_t kVarDataAt = 0x06;  // instance offset, inline value or where the value lies
constexpr std::size_t kVarTypeAt = 0x08;
constexpr std::size_t kVarMemberIdAt = 0x0A;
constexpr std::size_t kVarHelpContextAt = 0x0E;
constexpr std::size_t kVarHelpStringAt = 0x10;
constexpr std::size_t kVarFlagsAt = 0x12;
constexpr std::uint8_t kVarTypeInline = 0x02;
constexpr std::uint8_t kVarValueInline = 0x08;
constexpr std::uint8_t kVarConst = 0x10;
constexpr std::uint8_t kVarDispatch = 0x40;
constexpr std::uint8_t kVarReadOnly = 0x80;
constexpr std::uint16_t kSameNameAsPrevious = 0xFFFE;

// Type words: the VARENUM in the low six bits; three bits that add a pointer
// level; in/out/lcid/retval bits on the first word of a parameter.
constexpr std::uint16_t kVtMask = 0x3F;
constexpr std::uint16_t kPointerBits = 0x0E00;
constexpr std::uint16_t kDirectionBits = 0xC000;
constexpr std::uint16_t kInOut = 0x8000;
constexpr std::uint16_t kOutOnly = 0x4000;
constexpr std::uint16_t kLcidBit = 0x2000;
constexpr std::uint16_t kRetvalBit = 0x0080;
constexpr std::uint32_t kRefIndexScale = 4;
// C-array bounds: a SAFEARRAY header (16 bytes) then {elements, lower bound}.
constexpr std::uint64_t kArrayBoundsAt = 16;
constexpr std::uint64_t kArrayBoundSize = 8;

// Records may share type words, so a small damaged file could otherwise
// describe far more types than it holds bytes; real ones stay well below.
constexpr std::uint64_t kTypeNodesPerByte = 8;

Error Bad(const std::string& what) { return MakeError(ErrorKind::kBadTypeLib, "SLTG " + what); }

// Reads one library: the layout plus what has been resolved across blocks.
class Reader {
 public:
  Reader(std::span<const std::uint8_t> data, Layout layout)
      : data_(data), bytes_(data), layout_(std::move(layout)), typeNodesLeft_(data.size() * kTypeNodesPerByte) {}

  Expected<TypeLibrary> Read();

 private:
  // One block being read: bounded to its own bytes.
  struct Block {
    TypeLibBytes bytes;
    std::uint64_t members = 0;  // start of the member data
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
  Layout layout_;
  std::vector<std::string> typeNames_;
  std::vector<ImportedLibrary> imports_;
  std::vector<std::uint32_t> importOffsets_;  // name-table offset of each import's description
  mutable std::uint64_t typeNodesLeft_;
};

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
  Block b{TypeLibBytes(*span), 0, {}};

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hexadecimal number of at most eight digits at text[pos]; pos moves past it.
std::optional<std::uint32_t> TakeHex(const std::string& text, std::size_t& pos) {
  std::uint32_t value = 0;
  const std::size_t start = pos;
  while (pos < text.size() && pos - start < 8 && HexDigit(text[pos]) >= 0) {
    value = value * 16 + static_cast<std::uint32_t>(HexDigit(text[pos]));
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

std::optional<std::uint16_t> TakeDecimal(const std::string& text, std::size_t& pos) {
  std::uint32_t value = 0;
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value <= 0xFFFF) {
    value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (pos == start || value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool Take(const std::string& text, std::size_t& pos, std::string_view expected) {
  if (text.compare(pos, expected.size(), expected) != 0) return false;
  pos += expected.size();
  return true;
}

// A GUID written xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx, in its stored byte order.
std::optional<Guid> TakeGuid(const std::string& text, std::size_t& pos) {
  constexpr int kGroupDigits[] = {8, 4, 4, 4, 12};
  Guid guid{};
  std::size_t out = 0;
  for (int group = 0; group < 5; ++group) {
    if (group > 0 && !Take(text, pos, "-")) return std::nullopt;
    std::vector<std::uint8_t> groupBytes;
    for (int d = 0; d < kGroupDigits[group]; d += 2, pos += 2) {
      if (pos + 1 >= text.size()) return std::nullopt;
      const int high = HexDigit(text[pos]);
      const int low = HexDigit(text[pos + 1]);
      if (high < 0 || low < 0) return std::nullopt;
      groupBytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    // The first three groups are little-endian numbers.
    if (group < 3) std::reverse(groupBytes.begin(), groupBytes.end());
    for (auto byte : groupBytes) guid[out++] = byte;
  }
  return guid;
}

Expected<TypeRef> Reader::ParseRef(const std::string& text) {
  std::size_t pos = 0;
  std::optional<std::uint32_t> library;
  std::optional<std::uint32_t> index;
  if (Take(text, pos, "*\\R")) library = TakeHex(text, pos);
  if (library && Take(text, pos, "*#")) index = TakeHex(text, pos);
  if (!index || pos != text.size()) return Bad("reference name is malformed: " + text);
  TypeRef ref;
  if (*library == kLocalLibrary) {
    if (*index >= typeNames_.size()) return Bad("reference names a missing type");
    ref.localIndex = static_cast<int>(*index);
    ref.name = typeNames_[*index];
    ref.typeGuid = layout_.records[*index].guid;
    return ref;
  }
  auto import = ImportAt(*library);
  if (!import) return import.error();
  ref.importIndex = *import;
  ref.importTypeIndex = static_cast<int>(*index);
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
  ImportedLibrary import;
  std::size_t pos = 0;
  std::optional<Guid> guid;
  std::optional<std::uint16_t> major, minor;
  std::optional<std::uint32_t> lcid;
  if (Take(*text, pos, "*\\G{")) guid = TakeGuid(*text, pos);
  if (guid && Take(*text, pos, "}#")) major = TakeDecimal(*text, pos);
  if (major && Take(*text, pos, ".")) minor = TakeDecimal(*text, pos);
  if (minor && Take(*text, pos, "#")) lcid = TakeHex(*text, pos);
  const std::size_t fileEnd = text->rfind('#');
  if (!lcid || !Take(*text, pos, "#") || fileEnd == std::string::npos || fileEnd < pos || fileEnd + 1 != text->size()) {
    return Bad("imported library is malformed: " + *text);
  }
  import.guid = *guid;
  import.majorVersion = *major;
  import.minorVersion = *minor;
  import.lcid = *lcid;
  import.fileName = text->substr(pos, fileEnd - pos);
  imports_.push_back(std::move(import));
  importOffsets_.push_back(nameOffset);
  return static_cast<int>(imports_.size() - 1);
}

Expected<TypeDesc> Reader::ReadType(const Block& b, std::uint64_t& pos) const {
  // The wrappers from the outside in, then the innermost type.
  std::vector<TypeDesc> outer;
  TypeDesc inner;
  for (;;) {
    if (outer.size() > static_cast<std::size_t>(kMaxTypeDescDepth)) return Bad("type nests too deeply");
    if (typeNodesLeft_ == 0) return Bad("library describes more types than its size allows");
    --typeNodesLeft_;
    const auto word = b.bytes.U16(pos, "SLTG type");
    if (!word) return word.error();
    pos += 2;
    if ((*word & kPointerBits) == kPointerBits) outer.push_back(TypeDesc{vt::kPtr, {}, {}, {}});
    const std::uint16_t v = *word & kVtMask;
    if (v == vt::kPtr) {
      outer.push_back(TypeDesc{vt::kPtr, {}, {}, {}});
      continue;
    }
    if (v != vt::kSafeArray && v != vt::kCArray && v != vt::kUserDefined) {
      inner.type = v;
      break;
    }
    const auto operand = b.bytes.U16(pos, "SLTG type");
    if (!operand) return operand.error();
    pos += 2;
    if (v == vt::kSafeArray) {
      outer.push_back(TypeDesc{vt::kSafeArray, {}, {}, {}});
      continue;
    }
    if (v == vt::kCArray) {
      const std::uint64_t array = b.members + *operand;
      const auto dims = b.bytes.U16(array, "SLTG array description");
      if (!dims) return dims.error();
      if (*dims == 0 || *dims > kMaxArrayDims) return Bad("array has a bad number of dimensions");
      const auto bounds = b.bytes.Bytes(array + kArrayBoundsAt, *dims * kArrayBoundSize, "SLTG array bounds");
      if (!bounds) return bounds.error();
      TypeDesc carray{vt::kCArray, {}, {}, {}};
      for (std::size_t d = 0; d < *dims; ++d) {
        const std::uint8_t* bound = bounds->data() + d * kArrayBoundSize;
        carray.bounds.push_back({LoadU32(bound), static_cast<std::int32_t>(LoadU32(bound + 4))});
      }
      outer.push_back(std::move(carray));
      continue;
    }
    const std::uint32_t ref = *operand / kRefIndexScale;
    if (ref >= b.refs.size()) return Bad("type names a missing reference");
    inner.type = vt::kUserDefined;
    inner.ref = b.refs[ref];
    break;
  }
  for (auto it = outer.rbegin(); it != outer.rend(); ++it) {
    it->element.push_back(std::move(inner));
    inner = std::move(*it);
  }
  return inner;
}

std::uint16_t ParamFlagsOf(std::uint16_t word) {
  std::uint16_t flags = 0;
  if ((word & kDirectionBits) == kDirectionBits) {
    flags = 0;
  } else if (word & kInOut) {
    flags = kParamFlagIn | kParamFlagOut;
  } else if (word & kOutOnly) {
    flags = kParamFlagOut;
  } else {
    flags = kParamFlagIn;
  }
  if (word & kLcidBit) flags |= kParamFlagLcid;
  if (word & kRetvalBit) flags |= kParamFlagRetval;
  return flags;
}

Expected<std::string> Reader::HelpString(const Block& b, std::uint16_t at) const {
  if (at == kNone16) return std::string();
  std::uint64_t pos = b.members + at;
  return sltg::ReadCounted(b.bytes, pos, "SLTG member help string");
}

Expected<void> Reader::ReadImpls(const Block& b, TypeInfo& type) const {
  const auto first = b.bytes.U16(b.members, "SLTG member data");
  if (!first || *first != kImplMagic) return {};
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

Expected<void> Reader::ReadFunctions(const Block& b, std::uint64_t first, std::uint16_t count, TypeInfo& type) const {
  std::uint64_t at = first;
  std::set<std::uint64_t> seen;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!seen.insert(at).second) return Bad("function chain loops");
    const auto magic = b.bytes.Bytes(at, 1, "SLTG function");
    if (!magic) return magic.error();
    const bool hasFlags = ((*magic)[0] & kFuncFlagsPresent) != 0;
    const auto rec = b.bytes.Bytes(at, kFuncSize + (hasFlags ? 2 : 0), "SLTG function");
    if (!rec) return rec.error();
    const std::uint8_t* r = rec->data();
    Function fn;
    switch (r[0] & ~kFuncFlagsPresent) {
      case kFuncMagicVirtual: fn.funcKind = FuncKind::kPureVirtual; break;
      case kFuncMagicDispatch: fn.funcKind = FuncKind::kDispatch; break;
      case kFuncMagicStatic: fn.funcKind = FuncKind::kStatic; break;
      default: return Bad("function has a wrong signature");
    }
    const unsigned invoke = r[kFnInvokeAt] >> 4;
    if (invoke != 1 && invoke != 2 && invoke != 4 && invoke != 8) return Bad("function has an unknown invoke kind");
    fn.invokeKind = static_cast<InvokeKind>(invoke);
    auto name = Name(LoadU16(r + kFnNameAt), "SLTG function name");
    if (!name) return name.error();
    fn.name = std::move(*name);
    fn.memberId = static_cast<std::int32_t>(LoadU32(r + kFnDispIdAt));
    fn.helpContext = LoadU16(r + kFnHelpContextAt);
    auto help = HelpString(b, LoadU16(r + kFnHelpStringAt));
    if (!help) return help.error();
    fn.helpString = std::move(*help);
    fn.callConv = static_cast<CallConv>(r[kFnCountsAt] & kCallConvMask);
    fn.optionalParams = static_cast<std::int16_t>((r[kFnReturnFormAt] & kOptionalMask) >> 1);
    fn.vtableOffset = static_cast<std::int16_t>(LoadU16(r + kFnVtableAt) & ~1u);
    if (hasFlags) fn.flags = LoadU16(r + kFnFlagsAt);
    auto ret = (r[kFnReturnFormAt] & kReturnInline) ? ReadTypeAt(b, at + kFnReturnAt)
                                                     : ReadTypeAt(b, b.members + LoadU16(r + kFnReturnAt));
    if (!ret) return ret.error();
    fn.returnType = std::move(*ret);
    fn.params.resize(r[kFnCountsAt] >> kParamCountShift);
    if (auto params = ReadParams(b, b.members + LoadU16(r + kFnParamsAt), fn); !params) return params.error();
    type.functions.push_back(std::move(fn));

    const std::uint16_t next = LoadU16(r + kFnNextAt);
    if (i + 1u < count) {
      if (next == kNone16) return Bad("function chain ends before its count");
      at = b.members + next;
    }
  }
  return {};
}

bool IsAsciiAlnum(std::uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

Expected<void> Reader::ReadParams(const Block& b, std::uint64_t at, Function& fn) const {
  const std::size_t optionalFrom =
      fn.params.size() - std::min<std::size_t>(fn.params.size(), static_cast<std::size_t>(fn.optionalParams));
  for (std::size_t i = 0; i < fn.params.size(); ++i) {
    Param& param = fn.params[i];
    const auto word = b.bytes.U16(at, "SLTG parameter");
    if (!word) return word.error();
    at += 2;
    // A name offset with the type behind it points one past the name's first
    // letter; with a word pointing at the type it points at the name, which
    // follows a non-alphanumeric byte.
    bool typeInline = true;
    std::optional<std::uint64_t> nameAt;
    if (*word == kUnnamedOffset) {
      typeInline = false;
    } else if (*word != kUnnamedInline) {
      const std::uint64_t base = *word & ~1u;
      if (base == 0) return Bad("parameter name lies before the name table");
      const auto before = bytes_.Bytes(layout_.nameTable + base - 1, 1, "SLTG parameter name");
      if (!before) return before.error();
      const std::uint8_t c = (*before)[0];
      typeInline = c == 0 || IsAsciiAlnum(c);
      nameAt = typeInline ? base - 1 : base;
    }
    if (nameAt) {
      auto name = Name(*nameAt, "SLTG parameter name");
      if (!name) return name.error();
      param.name = std::move(*name);
    }
    std::uint64_t typeAt = at;
    if (!typeInline) {
      const auto offset = b.bytes.U16(at, "SLTG parameter");
      if (!offset) return offset.error();
      typeAt = b.members + *offset;
      at += 2;
    }
    const auto first = b.bytes.U16(typeAt, "SLTG parameter type");
    if (!first) return first.error();
    auto type = ReadType(b, typeAt);
    if (!type) return type.error();
    if (typeInline) at = typeAt;
    param.type = std::move(*type);
    param.flags = ParamFlagsOf(*first);
    if (i >= optionalFrom) param.flags |= kParamFlagOptional;
  }
  return {};
}

Expected<void> Reader::ReadVariables(const Block& b, std::uint64_t first, std::uint16_t count, TypeInfo& type) const {
  std::uint64_t at = first;
  std::string previousName;
  std::set<std::uint64_t> seen;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!seen.insert(at).second) return Bad("variable chain loops");
    const auto magic = b.bytes.Bytes(at, 1, "SLTG variable");
    if (!magic) return magic.error();
    if ((*magic)[0] != kVarMagic && (*magic)[0] != kVarMagicWithFlags) return Bad("variable has a wrong signature");
    const bool hasFlags = (*magic)[0] == kVarMagicWithFlags;
    const auto rec = b.bytes.Bytes(at, kVarSize + (hasFlags ? 2 : 0), "SLTG variable");
    if (!rec) return rec.error();
    const std::uint8_t* r = rec->data();
    const std::uint8_t kind = r[kVarKindFlagsAt];
    Variable var;
    if (const std::uint16_t nameOffset = LoadU16(r + kVarNameAt); nameOffset == kSameNameAsPrevious) {
      var.name = previousName;
    } else {
      auto name = Name(nameOffset, "SLTG variable name");
      if (!name) return name.error();
      var.name = std::move(*name);
    }
    var.memberId = static_cast<std::int32_t>(LoadU32(r + kVarMemberIdAt));
    var.helpContext = LoadU16(r + kVarHelpContextAt);
    auto help = HelpString(b, LoadU16(r + kVarHelpStringAt));
    if (!help) return help.error();
    var.helpString = std::move(*help);
    auto desc = (kind & kVarTypeInline) ? ReadTypeAt(b, at + kVarTypeAt)
                                        : ReadTypeAt(b, b.members + LoadU16(r + kVarTypeAt));
    if (!desc) return desc.error();
    var.type = std::move(*desc);
    const std::uint16_t data = LoadU16(r + kVarDataAt);
    if (kind & kVarDispatch) {
      var.varKind = VarKind::kDispatch;
    } else if (kind & kVarConst) {
      var.varKind = VarKind::kConst;
      auto value = ReadConstant(b, kind, data, var.type);
      if (!value) return value.error();
      var.value = std::move(*value);
    } else {
      var.varKind = VarKind::kPerInstance;
      var.offset = data;
    }
    if (hasFlags) var.flags = LoadU16(r + kVarFlagsAt);
    if (kind & kVarReadOnly) var.flags |= kVarFlagReadOnly;
    previousName = var.name;
    type.variables.push_back(std::move(var));

    const std::uint16_t next = LoadU16(r + kVarNextAt);
    if (i + 1u < count) {
      if (next == kNone16) return Bad("variable chain ends before its count");
      at = b.members + next;
    }
  }
  return {};
}

// A constant's value: small integers lie in the record itself, texts and
// other integers in the member data as a counted text or a 32-bit number.
// The loader gives integers as VT_INT whatever the declared type.
Expected<std::optional<Value>> Reader::ReadConstant(const Block& b, std::uint8_t kindFlags, std::uint16_t data,
                                                    const TypeDesc& type) const {
  if (kindFlags & kVarValueInline) return std::optional<Value>(Value{vt::kInt, std::int64_t{data}});
  const std::uint64_t at = b.members + data;
  switch (type.type) {
    case vt::kBstr:
    case vt::kLpstr:
    case vt::kLpwstr: {
      std::uint64_t pos = at;
      auto text = sltg::ReadCounted(b.bytes, pos, "SLTG constant text");
      if (!text) return text.error();
      return std::optional<Value>(Value{vt::kBstr, std::move(*text)});
    }
    case vt::kI2:
    case vt::kUi2:
    case vt::kI4:
    case vt::kUi4:
    case vt::kInt:
    case vt::kUint: {
      const auto number = b.bytes.U32(at, "SLTG constant");
      if (!number) return number.error();
      return std::optional<Value>(Value{vt::kInt, std::int64_t{static_cast<std::int32_t>(*number)}});
    }
    default:
      // How other types are stored is not known: the value stays absent.
      return std::optional<Value>();
  }
}

}  // namespace

Expected<TypeLibrary> ReadSltgTypeLibrary(std::span<const std::uint8_t> data) {
  auto layout = sltg::ReadLayout(data);
  if (!layout) return layout.error();
  return Reader(data, std::move(*layout)).Read();
}

}  // namespace korvane::formats
