// The whole content of an MSFT type library: the library's own fields, the
// libraries it imports, and every type info with its members.

#include "formats/MsftParts.h"
#include "formats/TextCodec.h"
#include "formats/TypeLibModel.h"

namespace korvane::formats {

namespace {

using msft::kAbsent;
using msft::MsftFile;
using msft::RefContext;
using msft::Seg;

// A type-info record.
constexpr std::uint64_t kTypeInfoSize = 0x64;
constexpr std::size_t kTiKindAt = 0x00;
constexpr std::size_t kTiMembersAt = 0x04;
constexpr std::size_t kTiMemberCountsAt = 0x18;  // functions low, variables high
constexpr std::size_t kTiGuidAt = 0x2C;
constexpr std::size_t kTiFlagsAt = 0x30;
constexpr std::size_t kTiNameAt = 0x34;
constexpr std::size_t kTiVersionAt = 0x38;
constexpr std::size_t kTiHelpStringAt = 0x3C;
constexpr std::size_t kTiHelpStringContextAt = 0x40;
constexpr std::size_t kTiHelpContextAt = 0x44;
constexpr std::size_t kTiCustomDataAt = 0x48;
constexpr std::size_t kTiImplCountAt = 0x4C;
constexpr std::size_t kTiVtableSizeAt = 0x4E;
constexpr std::size_t kTiInstanceSizeAt = 0x50;
// Alias: the aliased type. Module: the DLL name (string table). Coclass: the
// first implemented-interface record. Interface, dispinterface: the base.
constexpr std::size_t kTiDataType1At = 0x54;
constexpr std::uint32_t kTiKindMask = 0xF;
constexpr int kTiAlignmentShift = 11;
constexpr std::uint32_t kTiAlignmentMask = 0x1F;

// An implemented-interface record: hreftype, IMPLTYPEFLAGS, custom data, next.
constexpr std::uint64_t kRefRecordSize = 16;
constexpr std::size_t kRefTypeAt = 0;
constexpr std::size_t kRefFlagsAt = 4;
constexpr std::size_t kRefCustomDataAt = 8;
constexpr std::size_t kRefNextAt = 12;

// An import file: GUID offset, LCID, version, a 16-bit word holding the name
// length above two flag bits, the name; entries aligned to 4 bytes.
constexpr std::uint64_t kImportFileHead = 14;
constexpr std::size_t kImportGuidAt = 0;
constexpr std::size_t kImportLcidAt = 4;
constexpr std::size_t kImportVersionAt = 8;
constexpr std::size_t kImportNameLengthAt = 12;
constexpr int kImportNameLengthShift = 2;

std::int32_t I32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(LoadU32(bytes.data() + at));
}

Error In(const Error& error, const std::string& where) {
  return Error{error.kind, error.message + " (in " + where + ")"};
}

Expected<void> ReadImports(const MsftFile& file, TypeLibrary& lib, std::vector<std::int32_t>& offsets) {
  const msft::Segment& seg = file.segment(Seg::kImportFiles);
  if (seg.offset == kAbsent) return {};
  for (std::int64_t at = 0; at < seg.length;) {
    if (lib.imports.size() >= kMaxImports) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT library imports more than " + std::to_string(kMaxImports));
    }
    const auto head = file.In(Seg::kImportFiles, at, kImportFileHead, "import file");
    if (!head) return head.error();
    const std::uint32_t length = LoadU16(head->data() + kImportNameLengthAt) >> kImportNameLengthShift;
    const auto name = file.In(Seg::kImportFiles, at + std::int64_t{kImportFileHead}, length, "import file name");
    if (!name) return name.error();
    ImportedLibrary import;
    // A library that imports itself may be written with no GUID entry for
    // the import (widl does so): read as no GUID, as the loader does.
    auto guid = file.OptionalGuid(I32(*head, kImportGuidAt));
    if (!guid) return guid.error();
    import.guid = *guid;
    import.lcid = LoadU32(head->data() + kImportLcidAt);
    const std::uint32_t version = LoadU32(head->data() + kImportVersionAt);
    import.majorVersion = static_cast<std::uint16_t>(version & 0xFFFF);
    import.minorVersion = static_cast<std::uint16_t>(version >> 16);
    import.fileName = Windows1252ToUtf8(*name);
    lib.imports.push_back(std::move(import));
    offsets.push_back(static_cast<std::int32_t>(at));
    at += (kImportFileHead + length + 3) & ~std::uint64_t{3};
  }
  return {};
}

Expected<void> ReadCoClassInterfaces(const RefContext& refs, std::int32_t first, TypeInfo& type) {
  for (std::int32_t at = first; at != kAbsent;) {
    if (type.implemented.size() >= kMaxMembersPerType) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT implemented-interface chain does not end");
    }
    const auto record = refs.file.In(Seg::kRefTable, at, kRefRecordSize, "implemented-interface record");
    if (!record) return record.error();
    ImplementedType impl;
    auto ref = msft::ReadTypeRef(refs, I32(*record, kRefTypeAt));
    if (!ref) return ref.error();
    impl.type = std::move(*ref);
    impl.flags = LoadU32(record->data() + kRefFlagsAt);
    auto custom = msft::ReadCustomData(refs.file, I32(*record, kRefCustomDataAt));
    if (!custom) return custom.error();
    impl.custom = std::move(*custom);
    type.implemented.push_back(std::move(impl));
    at = I32(*record, kRefNextAt);
  }
  return {};
}

// One base type (interfaces, dispinterfaces); a dispinterface that names none
// implements IDispatch, which the header refers to.
Expected<void> ReadBase(const RefContext& refs, std::int32_t base, bool dispatch, TypeInfo& type) {
  if (base == kAbsent && dispatch) base = refs.file.header().dispatchRef;
  if (base == kAbsent) return {};
  auto ref = msft::ReadTypeRef(refs, base);
  if (!ref) return ref.error();
  type.implemented.push_back(ImplementedType{std::move(*ref), 0, {}});
  return {};
}

Expected<void> ReadTypeInfo(const RefContext& refs, std::span<const std::uint8_t> r, TypeInfo& type) {
  const MsftFile& file = refs.file;
  const std::uint32_t kindWord = LoadU32(r.data() + kTiKindAt);
  const std::uint32_t kind = kindWord & kTiKindMask;
  if (kind > static_cast<std::uint32_t>(TypeKind::kUnion)) {
    return MakeError(ErrorKind::kBadTypeLib, "MSFT type kind " + std::to_string(kind) + " is unknown");
  }
  type.kind = static_cast<TypeKind>(kind);
  type.alignment = static_cast<std::uint16_t>((kindWord >> kTiAlignmentShift) & kTiAlignmentMask);
  auto guid = file.OptionalGuid(I32(r, kTiGuidAt));
  if (!guid) return guid.error();
  type.guid = *guid;
  type.flags = LoadU32(r.data() + kTiFlagsAt);
  const std::uint32_t version = LoadU32(r.data() + kTiVersionAt);
  type.majorVersion = static_cast<std::uint16_t>(version & 0xFFFF);
  type.minorVersion = static_cast<std::uint16_t>(version >> 16);
  auto help = file.OptionalString(I32(r, kTiHelpStringAt));
  if (!help) return help.error();
  type.helpString = std::move(*help);
  type.helpStringContext = LoadU32(r.data() + kTiHelpStringContextAt);
  type.helpContext = LoadU32(r.data() + kTiHelpContextAt);
  type.instanceSize = LoadU32(r.data() + kTiInstanceSizeAt);
  type.vtableSize = LoadU16(r.data() + kTiVtableSizeAt);
  auto custom = msft::ReadCustomData(file, I32(r, kTiCustomDataAt));
  if (!custom) return custom.error();
  type.custom = std::move(*custom);

  // A dual interface is stored as a dispinterface with the dual flag; its
  // records are the vtable functions, so it is one interface here.
  const bool dual = type.kind == TypeKind::kDispatch && (type.flags & kTypeFlagDual) != 0;
  if (dual) type.kind = TypeKind::kInterface;

  const std::int32_t dataType1 = I32(r, kTiDataType1At);
  const bool hasImpl = static_cast<std::int16_t>(LoadU16(r.data() + kTiImplCountAt)) > 0;
  Expected<void> done;
  switch (type.kind) {
    case TypeKind::kAlias: {
      auto alias = msft::ReadTypeDesc(refs, dataType1);
      if (!alias) return alias.error();
      type.aliasOf = std::move(*alias);
      break;
    }
    case TypeKind::kModule: {
      auto dll = file.OptionalString(dataType1);
      if (!dll) return dll.error();
      type.dllName = std::move(*dll);
      break;
    }
    case TypeKind::kCoClass:
      done = ReadCoClassInterfaces(refs, dataType1, type);
      break;
    case TypeKind::kInterface:
      done = ReadBase(refs, dataType1, false, type);
      break;
    case TypeKind::kDispatch:
      done = ReadBase(refs, dataType1, hasImpl, type);
      break;
    default:
      break;
  }
  if (!done) return done.error();

  const std::uint32_t counts = LoadU32(r.data() + kTiMemberCountsAt);
  const msft::MemberBlock block{I32(r, kTiMembersAt), counts & 0xFFFF, counts >> 16};
  return msft::ReadMembers(refs, block, type);
}

}  // namespace

Expected<TypeLibrary> ReadMsftTypeLibrary(std::span<const std::uint8_t> data) {
  const auto file = MsftFile::Open(data);
  if (!file) return file.error();
  TypeLibrary lib;
  auto attr = file->Attributes();
  if (!attr) return attr.error();
  lib.attributes = std::move(*attr);
  const msft::Header& h = file->header();
  lib.helpContext = h.helpContext;
  lib.helpStringContext = h.helpStringContext;
  auto dll = file->OptionalString(h.helpStringDll);
  if (!dll) return dll.error();
  lib.helpStringDll = std::move(*dll);
  auto custom = msft::ReadCustomData(*file, h.customData);
  if (!custom) return In(custom.error(), "the library's custom data");
  lib.custom = std::move(*custom);

  RefContext refs{*file, {}, {}};
  if (auto imports = ReadImports(*file, lib, refs.importOffsets); !imports) return imports.error();

  if (h.typeInfoCount > kMaxTypeInfos) {
    return MakeError(ErrorKind::kBadTypeLib, "MSFT library has " + std::to_string(h.typeInfoCount) + " type infos");
  }
  const auto table = file->In(Seg::kTypeInfos, 0, h.typeInfoCount * kTypeInfoSize, "type-info table");
  if (!table) return table.error();
  const auto record = [&table](std::size_t i) { return table->subspan(i * kTypeInfoSize, kTypeInfoSize); };
  lib.types.resize(h.typeInfoCount);
  // Names first: references between the types resolve to them.
  for (std::size_t i = 0; i < lib.types.size(); ++i) {
    auto name = file->Name(I32(record(i), kTiNameAt));
    if (!name) return In(name.error(), "type info " + std::to_string(i));
    lib.types[i].name = std::move(*name);
    refs.typeNames.push_back(lib.types[i].name);
  }
  for (std::size_t i = 0; i < lib.types.size(); ++i) {
    auto read = ReadTypeInfo(refs, record(i), lib.types[i]);
    if (!read) return In(read.error(), lib.types[i].name);
  }
  return lib;
}

}  // namespace korvane::formats
