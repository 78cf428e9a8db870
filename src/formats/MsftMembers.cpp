// The member records of an MSFT type info: functions with their parameters,
// then variables. The block holds a 32-bit length, the records one after the
// other, then three arrays with one entry per member: member ids, name
// offsets, record offsets.

#include "formats/MsftParts.h"

namespace korvane::formats::msft {

namespace {

constexpr std::uint64_t kBlockLengthSize = 4;
constexpr std::uint64_t kArrayEntrySize = 4;
constexpr std::uint32_t kRecordSizeMask = 0xFFFF;

// A function record: fixed fields, optional 32-bit attributes (as many as
// the record's size leaves room for), default values (one per parameter when
// flagged), then the parameters.
constexpr std::size_t kFuncTypeAt = 4;
constexpr std::size_t kFuncFlagsAt = 8;
constexpr std::size_t kFuncVtableAt = 12;
constexpr std::size_t kFuncKindsAt = 16;
constexpr std::size_t kFuncParamCountAt = 20;
constexpr std::size_t kFuncOptionalCountAt = 22;
constexpr std::uint64_t kFuncFixedSize = 24;
// The kinds word: FUNCKIND, INVOKEKIND, CALLCONV and flags.
constexpr std::uint32_t kFuncKindMask = 0x7;
constexpr int kInvokeKindShift = 3;
constexpr std::uint32_t kInvokeKindMask = 0xF;
constexpr int kCallConvShift = 8;
constexpr std::uint32_t kCallConvMask = 0xF;
constexpr std::uint32_t kFuncHasCustomData = 0x80;
constexpr std::uint32_t kFuncHasDefaults = 0x1000;
constexpr std::uint32_t kFuncEntryIsOrdinal = 0x2000;
// Optional attributes, by index.
constexpr std::size_t kOptHelpContext = 0;
constexpr std::size_t kOptHelpString = 1;
constexpr std::size_t kOptEntry = 2;
constexpr std::size_t kOptHelpStringContext = 5;
constexpr std::size_t kOptCustomData = 6;
constexpr std::size_t kOptParamCustomData = 7;  // one per parameter

// A parameter: type, name offset, PARAMFLAGS.
constexpr std::uint64_t kParamSize = 12;
constexpr std::size_t kParamTypeAt = 0;
constexpr std::size_t kParamNameAt = 4;
constexpr std::size_t kParamFlagsAt = 8;
constexpr std::uint64_t kDefaultSize = 4;

// A variable record: fixed fields, then optional attributes.
constexpr std::size_t kVarTypeAt = 4;
constexpr std::size_t kVarFlagsAt = 8;
constexpr std::size_t kVarKindAt = 12;
constexpr std::size_t kVarValueAt = 16;
constexpr std::uint64_t kVarFixedSize = 20;
constexpr std::size_t kVarOptHelpContext = 0;
constexpr std::size_t kVarOptHelpString = 1;
constexpr std::size_t kVarOptCustomData = 3;
constexpr std::size_t kVarOptHelpStringContext = 4;

constexpr std::uint64_t kAttrSize = 4;

std::int32_t I32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(LoadU32(bytes.data() + at));
}

Error Bad(const std::string& what) { return MakeError(ErrorKind::kBadTypeLib, "MSFT " + what); }

// The optional 32-bit attributes of a record that lie in [start, end).
class Attributes {
 public:
  Attributes(std::span<const std::uint8_t> record, std::uint64_t start, std::uint64_t end)
      : bytes_(record.subspan(start, end - start)) {}
  bool Has(std::size_t index) const { return (index + 1) * kAttrSize <= bytes_.size(); }
  std::int32_t Get(std::size_t index, std::int32_t absent) const {
    return Has(index) ? I32(bytes_, index * kAttrSize) : absent;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

class MemberReader {
 public:
  MemberReader(const RefContext& refs, std::span<const std::uint8_t> records, std::span<const std::uint8_t> ids,
               std::span<const std::uint8_t> names, bool module)
      : refs_(refs), file_(refs.file), records_(records), ids_(ids), names_(names), module_(module) {}

  // The next record, its size taken from its first word.
  Expected<std::span<const std::uint8_t>> NextRecord(std::uint64_t minimum, std::size_t index) {
    const std::string where = "member record " + std::to_string(index);
    if (minimum > records_.size() - at_) return Bad(where + " ends after its block");
    const std::uint64_t size = LoadU32(records_.data() + at_) & kRecordSizeMask;
    if (size < minimum || size > records_.size() - at_) {
      return Bad(where + " has the size " + std::to_string(size));
    }
    const auto record = records_.subspan(at_, size);
    at_ += size;
    return record;
  }

  Expected<Function> ReadFunction(std::size_t index) {
    const auto record = NextRecord(kFuncFixedSize, index);
    if (!record) return record.error();
    const std::span<const std::uint8_t> r = *record;
    const std::string where = "function " + std::to_string(index);
    Function f;
    auto named = ReadNameAndId(index, f.name, f.memberId);
    if (!named) return named.error();

    const std::uint32_t kinds = LoadU32(r.data() + kFuncKindsAt);
    const std::uint32_t funcKind = kinds & kFuncKindMask;
    const std::uint32_t invokeKind = (kinds >> kInvokeKindShift) & kInvokeKindMask;
    const std::uint32_t callConv = (kinds >> kCallConvShift) & kCallConvMask;
    if (funcKind > static_cast<std::uint32_t>(FuncKind::kDispatch) ||
        (invokeKind != 1 && invokeKind != 2 && invokeKind != 4 && invokeKind != 8) ||
        callConv > static_cast<std::uint32_t>(CallConv::kMpwPascal)) {
      return Bad(where + " has the kinds word " + HexText(kinds));
    }
    f.funcKind = static_cast<FuncKind>(funcKind);
    f.invokeKind = static_cast<InvokeKind>(invokeKind);
    f.callConv = static_cast<CallConv>(callConv);
    f.flags = LoadU16(r.data() + kFuncFlagsAt);
    f.vtableOffset = static_cast<std::int16_t>(LoadU16(r.data() + kFuncVtableAt));
    f.optionalParams = static_cast<std::int16_t>(LoadU16(r.data() + kFuncOptionalCountAt));
    auto returns = ReadTypeDesc(refs_, I32(r, kFuncTypeAt));
    if (!returns) return returns.error();
    f.returnType = std::move(*returns);

    // From the end: parameters, then default values, then the attributes.
    const std::uint32_t params = LoadU16(r.data() + kFuncParamCountAt);
    if (params > kMaxParamsPerFunction) return Bad(where + " has " + std::to_string(params) + " parameters");
    const bool hasDefaults = (kinds & kFuncHasDefaults) != 0;
    const std::uint64_t tail = params * kParamSize + (hasDefaults ? params * kDefaultSize : 0);
    if (tail > r.size() - kFuncFixedSize) return Bad(where + ": its parameters do not fit its record");
    const std::uint64_t paramsAt = r.size() - params * kParamSize;
    const std::uint64_t defaultsAt = r.size() - tail;
    const Attributes opt(r, kFuncFixedSize, defaultsAt);

    f.helpContext = static_cast<std::uint32_t>(opt.Get(kOptHelpContext, 0));
    auto help = file_.OptionalString(opt.Get(kOptHelpString, kAbsent));
    if (!help) return help.error();
    f.helpString = std::move(*help);
    f.helpStringContext = static_cast<std::uint32_t>(opt.Get(kOptHelpStringContext, 0));
    // Only module functions have a DLL entry point; other records hold -1
    // or leftovers there.
    if (module_ && opt.Has(kOptEntry)) {
      const std::int32_t entry = opt.Get(kOptEntry, kAbsent);
      if ((kinds & kFuncEntryIsOrdinal) != 0) {
        f.entryOrdinal = static_cast<std::uint16_t>(entry & 0xFFFF);
      } else {
        auto name = file_.OptionalString(entry);
        if (!name) return name.error();
        f.entryName = std::move(*name);
      }
    }
    const bool hasCustom = (kinds & kFuncHasCustomData) != 0;
    if (hasCustom) {
      auto custom = ReadCustomData(file_, opt.Get(kOptCustomData, kAbsent));
      if (!custom) return custom.error();
      f.custom = std::move(*custom);
    }

    for (std::uint32_t i = 0; i < params; ++i) {
      const auto p = r.subspan(paramsAt + i * kParamSize, kParamSize);
      Param param;
      auto name = file_.OptionalName(I32(p, kParamNameAt));
      if (!name) return name.error();
      param.name = std::move(*name);
      auto type = ReadTypeDesc(refs_, I32(p, kParamTypeAt));
      if (!type) return type.error();
      param.type = std::move(*type);
      param.flags = static_cast<std::uint16_t>(LoadU32(p.data() + kParamFlagsAt));
      if (hasDefaults && (param.flags & kParamFlagHasDefault) != 0) {
        auto value = ReadValue(file_, I32(r, defaultsAt + i * kDefaultSize));
        if (!value) return value.error();
        param.defaultValue = std::move(*value);
      }
      if (hasCustom) {
        auto custom = ReadCustomData(file_, opt.Get(kOptParamCustomData + i, kAbsent));
        if (!custom) return custom.error();
        param.custom = std::move(*custom);
      }
      f.params.push_back(std::move(param));
    }
    return f;
  }

  Expected<Variable> ReadVariable(std::size_t index) {
    const auto record = NextRecord(kVarFixedSize, index);
    if (!record) return record.error();
    const std::span<const std::uint8_t> r = *record;
    Variable v;
    auto named = ReadNameAndId(index, v.name, v.memberId);
    if (!named) return named.error();
    const std::uint16_t kind = LoadU16(r.data() + kVarKindAt);
    if (kind > static_cast<std::uint16_t>(VarKind::kDispatch)) {
      return Bad("variable " + std::to_string(index) + " has the kind " + std::to_string(kind));
    }
    v.varKind = static_cast<VarKind>(kind);
    v.flags = LoadU16(r.data() + kVarFlagsAt);
    auto type = ReadTypeDesc(refs_, I32(r, kVarTypeAt));
    if (!type) return type.error();
    v.type = std::move(*type);
    if (v.varKind == VarKind::kConst) {
      auto value = ReadValue(file_, I32(r, kVarValueAt));
      if (!value) return value.error();
      v.value = std::move(*value);
    } else {
      v.offset = LoadU32(r.data() + kVarValueAt);
    }
    const Attributes opt(r, kVarFixedSize, r.size());
    v.helpContext = static_cast<std::uint32_t>(opt.Get(kVarOptHelpContext, 0));
    auto help = file_.OptionalString(opt.Get(kVarOptHelpString, kAbsent));
    if (!help) return help.error();
    v.helpString = std::move(*help);
    auto custom = ReadCustomData(file_, opt.Get(kVarOptCustomData, kAbsent));
    if (!custom) return custom.error();
    v.custom = std::move(*custom);
    v.helpStringContext = static_cast<std::uint32_t>(opt.Get(kVarOptHelpStringContext, 0));
    return v;
  }

 private:
  Expected<void> ReadNameAndId(std::size_t index, std::string& name, std::int32_t& id) {
    id = I32(ids_, index * kArrayEntrySize);
    auto text = file_.OptionalName(I32(names_, index * kArrayEntrySize));
    if (!text) return text.error();
    name = std::move(*text);
    return {};
  }

  const RefContext& refs_;
  const MsftFile& file_;
  std::span<const std::uint8_t> records_;
  std::span<const std::uint8_t> ids_;
  std::span<const std::uint8_t> names_;
  bool module_;
  std::uint64_t at_ = 0;
};

}  // namespace

Expected<void> ReadMembers(const RefContext& refs, const MemberBlock& block, TypeInfo& into) {
  const std::uint64_t count = std::uint64_t{block.functions} + block.variables;
  if (count == 0) return {};
  if (count > kMaxMembersPerType) return Bad("type info has " + std::to_string(count) + " members");
  const TypeLibBytes& bytes = refs.file.bytes();
  const auto length = bytes.U32(static_cast<std::uint32_t>(block.offset), "MSFT member block");
  if (block.offset < 0 || !length) return Bad("member block at " + HexText(static_cast<std::uint32_t>(block.offset)) +
                                              " lies outside the data");
  const std::uint64_t arrays = count * kArrayEntrySize;
  const auto whole = bytes.Bytes(static_cast<std::uint32_t>(block.offset), kBlockLengthSize + *length + 3 * arrays,
                                 "MSFT member block");
  if (!whole) return whole.error();
  const auto records = whole->subspan(kBlockLengthSize, *length);
  const auto ids = whole->subspan(kBlockLengthSize + *length, arrays);
  const auto names = whole->subspan(kBlockLengthSize + *length + arrays, arrays);

  MemberReader reader(refs, records, ids, names, into.kind == TypeKind::kModule);
  for (std::size_t i = 0; i < block.functions; ++i) {
    auto f = reader.ReadFunction(i);
    if (!f) return f.error();
    into.functions.push_back(std::move(*f));
  }
  for (std::size_t i = block.functions; i < count; ++i) {
    auto v = reader.ReadVariable(i);
    if (!v) return v.error();
    into.variables.push_back(std::move(*v));
  }
  return {};
}

}  // namespace korvane::formats::msft
