// The members of an SLTG type info: functions with their parameters,
// variables and constants, and the compact type words they all use.

#include <algorithm>
#include <set>

#include "formats/TypeLibSltgReader.h"

namespace korvane::formats::sltg {

namespace {

// Function records.
// Functions and variables are chained records: the magic byte's 0x20 bit
// says a flags word ends the record, the next one's offset is at 2.
constexpr std::uint8_t kFlagsPresent = 0x20;
constexpr std::size_t kNextAt = 0x02;
constexpr std::uint64_t kFlagsSize = 2;
constexpr std::uint8_t kFuncMagicVirtual = 0x4C;
constexpr std::uint8_t kFuncMagicDispatch = 0xCB;
constexpr std::uint8_t kFuncMagicStatic = 0x8B;
constexpr std::uint64_t kFuncSize = 0x16;  // + 2 with flags
constexpr std::size_t kFnInvokeAt = 0x01;   // invoke kind in the high nibble
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
constexpr std::uint64_t kVarSize = 0x12;  // + 2 with flags
constexpr std::size_t kVarKindFlagsAt = 0x01;
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

bool IsAsciiAlnum(std::uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// One record of a chain: its bytes, and whether it ends with a flags word.
struct ChainedRecord {
  const std::uint8_t* bytes = nullptr;
  bool hasFlags = false;
};

Expected<ChainedRecord> RecordAt(const TypeLibBytes& block, std::uint64_t at, std::uint64_t size,
                                 std::set<std::uint64_t>& seen, const std::string& noun) {
  if (!seen.insert(at).second) return Bad(noun + " chain loops");
  const std::string what = "SLTG " + noun;
  const auto magic = block.Bytes(at, 1, what.c_str());
  if (!magic) return magic.error();
  const bool hasFlags = ((*magic)[0] & kFlagsPresent) != 0;
  const auto record = block.Bytes(at, size + (hasFlags ? kFlagsSize : 0), what.c_str());
  if (!record) return record.error();
  return ChainedRecord{record->data(), hasFlags};
}

// Moves at to the next record of a chain of count, after record i.
Expected<void> ToNextRecord(const ChainedRecord& record, std::uint64_t members, std::size_t i, std::size_t count,
                            std::uint64_t& at, const std::string& noun) {
  if (i + 1 >= count) return {};
  const std::uint16_t next = LoadU16(record.bytes + kNextAt);
  if (next == kNone16) return Bad(noun + " chain ends before its count");
  at = members + next;
  return {};
}

}  // namespace

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

Expected<std::string> Reader::HelpString(const Block& b, std::uint16_t at) const {
  if (at == kNone16) return std::string();
  std::uint64_t pos = b.members + at;
  return sltg::ReadCounted(b.bytes, pos, "SLTG member help string");
}

Expected<void> Reader::ReadFunctions(const Block& b, std::uint64_t first, std::uint16_t count, TypeInfo& type) const {
  std::uint64_t at = first;
  std::set<std::uint64_t> seen;
  for (std::uint16_t i = 0; i < count; ++i) {
    const auto rec = RecordAt(b.bytes, at, kFuncSize, seen, "function");
    if (!rec) return rec.error();
    const std::uint8_t* r = rec->bytes;
    Function fn;
    switch (r[0] & ~kFlagsPresent) {
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
    if (rec->hasFlags) fn.flags = LoadU16(r + kFnFlagsAt);
    auto ret = (r[kFnReturnFormAt] & kReturnInline) ? ReadTypeAt(b, at + kFnReturnAt)
                                                     : ReadTypeAt(b, b.members + LoadU16(r + kFnReturnAt));
    if (!ret) return ret.error();
    fn.returnType = std::move(*ret);
    fn.params.resize(r[kFnCountsAt] >> kParamCountShift);
    if (auto params = ReadParams(b, b.members + LoadU16(r + kFnParamsAt), fn); !params) return params.error();
    type.functions.push_back(std::move(fn));

    if (auto moved = ToNextRecord(*rec, b.members, i, count, at, "function"); !moved) return moved.error();
  }
  return {};
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
    const auto rec = RecordAt(b.bytes, at, kVarSize, seen, "variable");
    if (!rec) return rec.error();
    const std::uint8_t* r = rec->bytes;
    if ((r[0] & ~kFlagsPresent) != kVarMagic) return Bad("variable has a wrong signature");
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
    if (rec->hasFlags) var.flags = LoadU16(r + kVarFlagsAt);
    if (kind & kVarReadOnly) var.flags |= kVarFlagReadOnly;
    previousName = var.name;
    type.variables.push_back(std::move(var));

    if (auto moved = ToNextRecord(*rec, b.members, i, count, at, "variable"); !moved) return moved.error();
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


}  // namespace korvane::formats::sltg
