// Type descriptions and type references of MSFT libraries.

#include <algorithm>

#include "formats/MsftParts.h"

namespace korvane::formats::msft {

namespace {

constexpr std::uint32_t kTypeInfoRecordSize = 0x64;
constexpr std::uint32_t kImportRefBit = 0x1;
constexpr std::uint32_t kImportRefMask = ~std::uint32_t{0x3};

// An import info: flags (bit 16: the third field is a GUID offset, not the
// type's index in the imported library), the import file's offset, the GUID.
constexpr std::uint64_t kImportInfoSize = 12;
constexpr std::size_t kImportFlagsAt = 0;
constexpr std::size_t kImportFileAt = 4;
constexpr std::size_t kImportGuidAt = 8;
constexpr std::uint32_t kImportByGuid = 0x10000;

// A type description: four 16-bit words. The first is the VARTYPE; for
// pointers and safe arrays the last two hold the element (a plain VARTYPE in
// the third when the fourth has its high bit set, else an offset in this
// segment); for C arrays an offset in the array segment; for user-defined
// types the hreftype.
constexpr std::uint64_t kTypeDescSize = 8;
constexpr std::size_t kTdTypeAt = 0;
constexpr std::size_t kTdLowAt = 4;
constexpr std::size_t kTdHighAt = 6;
constexpr std::uint16_t kTdPlainElement = 0x8000;

// An array description: the element type (encoded as a field's type), a
// 16-bit dimension count, a 16-bit total, then per dimension the element
// count and the lower bound.
constexpr std::uint64_t kArrayHeadSize = 8;
constexpr std::size_t kArrayElementAt = 0;
constexpr std::size_t kArrayDimsAt = 4;
constexpr std::uint64_t kArrayBoundSize = 8;

constexpr std::uint32_t kPlainTypeBit = 0x80000000u;
constexpr std::uint16_t kTypeMask = 0x0FFF;

std::int32_t I32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(LoadU32(bytes.data() + at));
}

class TypeDescReader {
 public:
  explicit TypeDescReader(const RefContext& refs) : refs_(refs) {}

  Expected<TypeDesc> Read(std::int32_t encoded) {
    if ((static_cast<std::uint32_t>(encoded) & kPlainTypeBit) != 0) {
      return Plain(static_cast<std::uint16_t>(static_cast<std::uint32_t>(encoded) & kTypeMask));
    }
    if (path_.size() >= static_cast<std::size_t>(kMaxTypeDescDepth)) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT type description nests deeper than " +
                                                   std::to_string(kMaxTypeDescDepth) + " levels");
    }
    if (std::find(path_.begin(), path_.end(), encoded) != path_.end()) {
      return MakeError(ErrorKind::kBadTypeLib,
                       "MSFT type description at " + HexText(static_cast<std::uint32_t>(encoded)) +
                           " contains itself");
    }
    path_.push_back(encoded);
    auto desc = ReadEntry(encoded);
    path_.pop_back();
    return desc;
  }

 private:
  // A VARTYPE stored on its own, without the entry that would hold a type
  // reference: a user-defined type written so names no type at all.
  static Expected<TypeDesc> Plain(std::uint16_t type) {
    if (type == vt::kUserDefined) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT user-defined type is stored without its type reference");
    }
    TypeDesc plain;
    plain.type = type;
    return plain;
  }

  Expected<TypeDesc> ReadEntry(std::int32_t offset) {
    const auto entry = refs_.file.In(Seg::kTypeDescs, offset, kTypeDescSize, "type description");
    if (!entry) return entry.error();
    const std::uint16_t low = LoadU16(entry->data() + kTdLowAt);
    const std::uint16_t high = LoadU16(entry->data() + kTdHighAt);
    const auto target = static_cast<std::int32_t>(low | (static_cast<std::uint32_t>(high) << 16));

    TypeDesc desc;
    desc.type = static_cast<std::uint16_t>(LoadU16(entry->data() + kTdTypeAt) & kTypeMask);
    switch (desc.type) {
      case vt::kPtr:
      case vt::kSafeArray: {
        if ((high & kTdPlainElement) != 0) {
          auto element = Plain(static_cast<std::uint16_t>(low & kTypeMask));
          if (!element) return element.error();
          desc.element.push_back(std::move(*element));
          break;
        }
        auto element = Read(target);
        if (!element) return element.error();
        desc.element.push_back(std::move(*element));
        break;
      }
      case vt::kCArray: {
        if (auto array = ReadArray(desc, target); !array) return array.error();
        break;
      }
      case vt::kUserDefined: {
        auto ref = ReadTypeRef(refs_, target);
        if (!ref) return ref.error();
        desc.ref = std::move(*ref);
        break;
      }
      default:
        break;
    }
    return desc;
  }

  Expected<void> ReadArray(TypeDesc& desc, std::int32_t offset) {
    const auto head = refs_.file.In(Seg::kArrayDescs, offset, kArrayHeadSize, "array description");
    if (!head) return head.error();
    const std::uint16_t dims = LoadU16(head->data() + kArrayDimsAt);
    if (dims > kMaxArrayDims) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT array description at " +
                                                   HexText(static_cast<std::uint32_t>(offset)) + " has " +
                                                   std::to_string(dims) + " dimensions");
    }
    const auto bounds = refs_.file.In(Seg::kArrayDescs, std::int64_t{offset} + std::int64_t{kArrayHeadSize},
                                      dims * kArrayBoundSize, "array bounds");
    if (!bounds) return bounds.error();
    auto element = Read(I32(*head, kArrayElementAt));
    if (!element) return element.error();
    desc.element.push_back(std::move(*element));
    for (std::size_t i = 0; i < dims; ++i) {
      const std::size_t at = i * kArrayBoundSize;
      desc.bounds.push_back(ArrayBound{LoadU32(bounds->data() + at), I32(*bounds, at + 4)});
    }
    return {};
  }

  const RefContext& refs_;
  std::vector<std::int32_t> path_;  // the entries being read, outermost first
};

}  // namespace

Expected<TypeRef> ReadTypeRef(const RefContext& refs, std::int32_t hreftype) {
  const auto href = static_cast<std::uint32_t>(hreftype);
  TypeRef ref;
  if ((href & kImportRefBit) == 0) {
    const std::uint32_t index = href / kTypeInfoRecordSize;
    if (hreftype < 0 || index >= refs.typeNames.size()) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT type reference " + HexText(href) + " names no type info");
    }
    ref.localIndex = static_cast<int>(index);
    ref.name = refs.typeNames[index];
    return ref;
  }
  const auto info = refs.file.In(Seg::kImportInfos, href & kImportRefMask, kImportInfoSize, "import info");
  if (!info) return info.error();
  const std::int32_t fileOffset = I32(*info, kImportFileAt);
  const auto found = std::find(refs.importOffsets.begin(), refs.importOffsets.end(), fileOffset);
  if (found == refs.importOffsets.end()) {
    return MakeError(ErrorKind::kBadTypeLib, "MSFT import info " + HexText(href) + " names no imported library");
  }
  ref.importIndex = static_cast<int>(found - refs.importOffsets.begin());
  const std::int32_t target = I32(*info, kImportGuidAt);
  if ((LoadU32(info->data() + kImportFlagsAt) & kImportByGuid) == 0) {
    if (target < 0) return MakeError(ErrorKind::kBadTypeLib, "MSFT import info " + HexText(href) + " has a negative index");
    ref.importTypeIndex = target;
    return ref;
  }
  auto guid = refs.file.OptionalGuid(target);
  if (!guid) return guid.error();
  ref.typeGuid = *guid;
  return ref;
}

Expected<TypeDesc> ReadTypeDesc(const RefContext& refs, std::int32_t encoded) {
  return TypeDescReader(refs).Read(encoded);
}

}  // namespace korvane::formats::msft
