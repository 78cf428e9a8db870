// Values (constants, default parameter values, custom data) of MSFT libraries.

#include <bit>

#include "formats/MsftParts.h"
#include "formats/TextCodec.h"

namespace korvane::formats::msft {

namespace {

constexpr std::uint32_t kInlineBit = 0x80000000u;
constexpr std::uint32_t kInlineTypeMask = 0x7C000000u;
constexpr int kInlineTypeShift = 26;
constexpr std::uint32_t kInlineValueMask = 0x03FFFFFFu;

constexpr std::uint64_t kTypeSize = 2;
constexpr std::uint64_t kBstrLengthSize = 4;
constexpr std::int32_t kNullBstr = -1;
// DECIMAL overlays the whole VARIANT: after the VARTYPE word come its scale,
// sign, high 32 and low 64 bits.
constexpr std::uint64_t kDecimalSize = 14;

// A custom-data chain entry: GUID offset, value, next entry.
constexpr std::uint64_t kChainEntrySize = 12;
constexpr std::size_t kChainGuidAt = 0;
constexpr std::size_t kChainValueAt = 4;
constexpr std::size_t kChainNextAt = 8;

std::vector<std::uint8_t> RawBytes(std::span<const std::uint8_t> bytes) {
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// A value held in 32 bits, narrowed the way its VARTYPE reads the word.
Value FromWord(std::uint16_t type, std::uint32_t word) {
  Value value;
  value.type = type;
  switch (type) {
    case vt::kEmpty:
    case vt::kNull:
      break;
    case vt::kI1:
      value.data = std::int64_t{static_cast<std::int8_t>(word & 0xFF)};
      break;
    case vt::kUi1:
      value.data = std::uint64_t{word & 0xFF};
      break;
    case vt::kI2:
    case vt::kBool:
      value.data = std::int64_t{static_cast<std::int16_t>(word & 0xFFFF)};
      break;
    case vt::kUi2:
      value.data = std::uint64_t{word & 0xFFFF};
      break;
    case vt::kI4:
    case vt::kInt:
    case vt::kError:
    case vt::kHresult:
      value.data = std::int64_t{static_cast<std::int32_t>(word)};
      break;
    case vt::kUi4:
    case vt::kUint:
      value.data = std::uint64_t{word};
      break;
    case vt::kR4:
      value.data = double{std::bit_cast<float>(word)};
      break;
    default: {
      const std::uint8_t raw[4] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                   static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
      value.data = RawBytes(raw);
      break;
    }
  }
  return value;
}

// How many bytes follow the VARTYPE for a fixed-size value (0: none stored).
std::uint64_t FixedSize(std::uint16_t type) {
  switch (type) {
    case vt::kR8:
    case vt::kCy:
    case vt::kDate:
    case vt::kI8:
    case vt::kUi8:
    case vt::kFiletime:
      return 8;
    case vt::kDecimal:
      return kDecimalSize;
    case vt::kEmpty:
    case vt::kNull:
    case vt::kI2:
    case vt::kI4:
    case vt::kR4:
    case vt::kError:
    case vt::kBool:
    case vt::kI1:
    case vt::kUi1:
    case vt::kUi2:
    case vt::kUi4:
    case vt::kInt:
    case vt::kUint:
    case vt::kVoid:
    case vt::kHresult:
      return 4;
    default:
      return 0;
  }
}

Expected<Value> ReadStored(const MsftFile& file, std::int32_t offset) {
  const auto head = file.In(Seg::kCustomData, offset, kTypeSize, "value");
  if (!head) return head.error();
  const std::uint16_t type = LoadU16(head->data());
  const std::int64_t at = std::int64_t{offset} + std::int64_t{kTypeSize};

  if (type == vt::kBstr) {
    const auto length = file.I32In(Seg::kCustomData, at, "string value length");
    if (!length) return length.error();
    Value value;
    value.type = type;
    if (*length == kNullBstr) {
      value.data = std::string();
      return value;
    }
    const auto chars = file.In(Seg::kCustomData, at + std::int64_t{kBstrLengthSize},
                               static_cast<std::uint32_t>(*length), "string value");
    if (!chars) return chars.error();
    value.data = Windows1252ToUtf8(*chars);
    return value;
  }

  const std::uint64_t size = FixedSize(type);
  const auto bytes = file.In(Seg::kCustomData, at, size, "value");
  if (!bytes) return bytes.error();
  if (size == 4) return FromWord(type, LoadU32(bytes->data()));
  Value value;
  value.type = type;
  switch (type) {
    case vt::kI8:
    case vt::kCy:
      value.data = static_cast<std::int64_t>(LoadU64(bytes->data()));
      break;
    case vt::kUi8:
      value.data = LoadU64(bytes->data());
      break;
    case vt::kR8:
    case vt::kDate:
      value.data = std::bit_cast<double>(LoadU64(bytes->data()));
      break;
    default:
      value.data = RawBytes(*bytes);
      break;
  }
  return value;
}

}  // namespace

Expected<Value> ReadValue(const MsftFile& file, std::int32_t encoded) {
  const auto word = static_cast<std::uint32_t>(encoded);
  if ((word & kInlineBit) != 0) {
    const auto type = static_cast<std::uint16_t>((word & kInlineTypeMask) >> kInlineTypeShift);
    return FromWord(type, word & kInlineValueMask);
  }
  return ReadStored(file, encoded);
}

Expected<std::vector<CustomData>> ReadCustomData(const MsftFile& file, std::int32_t head) {
  std::vector<CustomData> list;
  for (std::int32_t at = head; at != kAbsent;) {
    if (list.size() >= kMaxCustomDataPerItem) {
      return MakeError(ErrorKind::kBadTypeLib, "MSFT custom-data chain from " +
                                                   HexText(static_cast<std::uint32_t>(head)) +
                                                   " is longer than " + std::to_string(kMaxCustomDataPerItem));
    }
    const auto entry = file.In(Seg::kCustomGuids, at, kChainEntrySize, "custom-data entry");
    if (!entry) return entry.error();
    const auto field = [&entry](std::size_t off) { return static_cast<std::int32_t>(LoadU32(entry->data() + off)); };
    CustomData item;
    auto guid = file.GuidAt(field(kChainGuidAt));
    if (!guid) return guid.error();
    item.guid = *guid;
    auto value = ReadValue(file, field(kChainValueAt));
    if (!value) return value.error();
    item.value = std::move(*value);
    list.push_back(std::move(item));
    at = field(kChainNextAt);
  }
  return list;
}

}  // namespace korvane::formats::msft
