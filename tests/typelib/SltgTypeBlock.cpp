#include "SltgTypeBlock.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace korvane::test::sltg {

namespace {

namespace f = formats;

constexpr std::size_t kHeaderSize = 0x22;
constexpr std::size_t kImplSize = 0x16;
constexpr std::size_t kFuncSize = 0x18;  // with the flags word
constexpr std::size_t kVarSize = 0x14;   // with the flags word
constexpr std::uint16_t kNone = 0xFFFF;
constexpr std::uint16_t kPointerBits = 0x0E00;

std::string Hex(unsigned v) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", v);
  return text;
}

// Writes the member data of one type: records first, then a heap of type
// words, texts, values and array descriptions that the records point to.
class Members {
 public:
  Members(const f::TypeInfo& type, NameTable& names, const std::vector<std::uint16_t>& importNames)
      : type_(type), names_(names), importNames_(importNames) {
    heapBase_ = kImplSize * type.implemented.size() + kFuncSize * type.functions.size() +
                kVarSize * type.variables.size();
  }

  void Write() {
    for (std::size_t i = 0; i < type_.implemented.size(); ++i) Impl(i);
    for (std::size_t i = 0; i < type_.functions.size(); ++i) Function(i);
    for (std::size_t i = 0; i < type_.variables.size(); ++i) Variable(i);
    if (records_.size() != heapBase_) throw std::logic_error("SLTG builder: record sizes disagree");
    if (type_.kind == f::TypeKind::kAlias) {
      const auto words = Words(type_.aliasOf, 0);
      simpleAlias_ = words.size() == 1;
      alias_ = simpleAlias_ ? words[0] : Heap(words);
    }
  }

  std::vector<std::uint8_t> Data() const {
    Writer all = records_;
    all.Append(heap_.bytes);
    return all.bytes;
  }
  const std::vector<std::string>& RefNames() const { return refNames_; }
  std::uint16_t alias() const { return alias_; }
  bool simpleAlias() const { return simpleAlias_; }
  std::uint16_t FuncsAt() const { return Offset(kImplSize * type_.implemented.size()); }
  std::uint16_t VarsAt() const {
    return Offset(kImplSize * type_.implemented.size() + kFuncSize * type_.functions.size());
  }

 private:
  static std::uint16_t Offset(std::size_t at) { return static_cast<std::uint16_t>(at); }
  std::uint16_t HeapAt() const { return Offset(heapBase_ + heap_.size()); }

  std::uint16_t Heap(const std::vector<std::uint16_t>& words) {
    const auto at = HeapAt();
    for (auto w : words) heap_.U16(w);
    return at;
  }
  std::uint16_t HeapText(const std::string& text) {
    const auto at = HeapAt();
    heap_.Counted(true, text);
    return at;
  }
  std::uint16_t Help(const std::string& text) { return text.empty() ? kNone : HeapText(text); }

  std::uint16_t RefIndex(const f::TypeRef& ref) {
    const std::string name = ref.localIndex >= 0
                                 ? "*\\Rffff*#" + Hex(static_cast<unsigned>(ref.localIndex))
                                 : "*\\R" + Hex(importNames_.at(static_cast<std::size_t>(ref.importIndex))) + "*#" +
                                       Hex(static_cast<unsigned>(ref.importTypeIndex));
    for (std::size_t i = 0; i < refNames_.size(); ++i) {
      if (refNames_[i] == name) return Offset(i);
    }
    refNames_.push_back(name);
    return Offset(refNames_.size() - 1);
  }

  // The type words of t; firstBits go into the first word.
  std::vector<std::uint16_t> Words(const f::TypeDesc& t, std::uint16_t firstBits) {
    std::vector<std::uint16_t> out;
    AppendWords(t, out);
    out[0] |= firstBits;
    return out;
  }
  void AppendWords(const f::TypeDesc& t, std::vector<std::uint16_t>& out) {
    switch (t.type) {
      case f::vt::kPtr: {
        const auto& e = t.element.at(0);
        if (e.type == f::vt::kPtr || e.type == f::vt::kSafeArray || e.type == f::vt::kCArray) {
          out.push_back(f::vt::kPtr);
          AppendWords(e, out);
        } else {
          // One pointer level folds into the pointee's first word.
          const std::size_t first = out.size();
          AppendWords(e, out);
          out[first] |= kPointerBits;
        }
        return;
      }
      case f::vt::kSafeArray:
        out.push_back(f::vt::kSafeArray);
        out.push_back(0);
        AppendWords(t.element.at(0), out);
        return;
      case f::vt::kCArray: {
        const auto at = HeapAt();
        heap_.U16(static_cast<std::uint16_t>(t.bounds.size()));
        heap_.Zeros(14);
        for (const auto& b : t.bounds) {
          heap_.U32(b.elements);
          heap_.U32(static_cast<std::uint32_t>(b.lowerBound));
        }
        out.push_back(f::vt::kCArray);
        out.push_back(at);
        AppendWords(t.element.at(0), out);
        return;
      }
      case f::vt::kUserDefined:
        out.push_back(f::vt::kUserDefined);
        out.push_back(static_cast<std::uint16_t>(RefIndex(t.ref) * 4));
        return;
      default:
        out.push_back(t.type);
    }
  }

  static std::uint16_t ParamBits(std::uint16_t flags) {
    std::uint16_t bits = 0;
    const bool in = flags & f::kParamFlagIn;
    const bool out = flags & f::kParamFlagOut;
    if (in && out) bits = 0x8000;
    if (!in && out) bits = 0x4000;
    if (!in && !out) bits = 0xC000;
    if (flags & f::kParamFlagLcid) bits |= 0x2000;
    if (flags & f::kParamFlagRetval) bits |= 0x0080;
    return bits;
  }

  void Impl(std::size_t i) {
    const auto& impl = type_.implemented[i];
    records_.U16(0x004A);
    records_.U16(i + 1 < type_.implemented.size() ? Offset(kImplSize * (i + 1)) : kNone);
    records_.U16(kNone);
    records_.U8(static_cast<std::uint8_t>(impl.flags));
    records_.U8(0x80);
    records_.U16(0x0012);
    records_.U16(RefIndex(impl.type));
    records_.U16(0x4000);
    records_.U16(0xFFFE);
    records_.U16(kNone);
    records_.U16(0x001D);
    records_.U16(0);
  }

  std::uint8_t FunctionMagic(f::FuncKind kind) {
    switch (kind) {
      case f::FuncKind::kPureVirtual: return 0x4C;
      case f::FuncKind::kDispatch: return 0xCB;
      case f::FuncKind::kStatic: return 0x8B;
      default: throw std::logic_error("SLTG builder: this function kind has no record");
    }
  }

  void Function(std::size_t i) {
    const auto& fn = type_.functions[i];
    // Parameters: odd ones point at their type, even ones carry it inline.
    std::vector<std::uint16_t> args;
    for (std::size_t p = 0; p < fn.params.size(); ++p) {
      const auto& param = fn.params[p];
      const bool inlineType = p % 2 == 0;
      const auto words = Words(param.type, ParamBits(param.flags));
      if (param.name.empty()) {
        args.push_back(inlineType ? 0xFFFF : 0xFFFE);
      } else {
        args.push_back(names_.AddParam(param.name, inlineType));
      }
      if (inlineType) {
        args.insert(args.end(), words.begin(), words.end());
      } else {
        args.push_back(Heap(words));
      }
    }
    const auto ret = Words(fn.returnType, 0);
    const bool retInline = ret.size() == 1;
    const std::uint16_t retWord = retInline ? ret[0] : Heap(ret);
    const std::uint16_t argsAt = Heap(args);
    const std::uint16_t help = Help(fn.helpString);

    records_.U8(FunctionMagic(fn.funcKind) | 0x20);
    records_.U8(static_cast<std::uint8_t>(static_cast<unsigned>(fn.invokeKind) << 4 | 2));
    records_.U16(i + 1 < type_.functions.size() ? Offset(FuncsAt() + kFuncSize * (i + 1)) : kNone);
    records_.U16(names_.Add(fn.name));
    records_.U32(static_cast<std::uint32_t>(fn.memberId));
    records_.U16(static_cast<std::uint16_t>(fn.helpContext));
    records_.U16(help);
    records_.U16(argsAt);
    records_.U8(static_cast<std::uint8_t>(fn.params.size() << 3 | static_cast<unsigned>(fn.callConv)));
    records_.U8(static_cast<std::uint8_t>((retInline ? 0x80 : 0) | (fn.optionalParams << 1)));
    records_.U16(retWord);
    records_.U16(static_cast<std::uint16_t>(fn.vtableOffset));
    records_.U16(fn.flags);
  }

  void Variable(std::size_t i) {
    const auto& var = type_.variables[i];
    const auto words = Words(var.type, 0);
    std::uint8_t kind = words.size() == 1 ? 0x02 : 0;
    const std::uint16_t typeWord = words.size() == 1 ? words[0] : Heap(words);
    std::uint16_t data = static_cast<std::uint16_t>(var.offset);
    if (var.varKind == f::VarKind::kDispatch) kind |= 0x40;
    if (var.varKind == f::VarKind::kConst) {
      kind |= 0x10;
      const auto& value = var.value.value();
      if (const auto* text = std::get_if<std::string>(&value.data)) {
        data = HeapText(*text);
      } else {
        const auto number = std::get<std::int64_t>(value.data);
        if (number >= 0 && number <= 0xFFFF) {
          kind |= 0x08;
          data = static_cast<std::uint16_t>(number);
        } else {
          data = HeapAt();
          heap_.U32(static_cast<std::uint32_t>(number));
        }
      }
    }
    if (var.flags & f::kVarFlagReadOnly) kind |= 0x80;
    const std::uint16_t help = Help(var.helpString);
    const bool sameName = i > 0 && type_.variables[i - 1].name == var.name;

    records_.U8(0x2A);
    records_.U8(kind);
    records_.U16(i + 1 < type_.variables.size() ? Offset(VarsAt() + kVarSize * (i + 1)) : kNone);
    records_.U16(sameName ? 0xFFFE : names_.Add(var.name));
    records_.U16(data);
    records_.U16(typeWord);
    records_.U32(static_cast<std::uint32_t>(var.memberId));
    records_.U16(static_cast<std::uint16_t>(var.helpContext));
    records_.U16(help);
    records_.U16(var.flags);
  }

  const f::TypeInfo& type_;
  NameTable& names_;
  const std::vector<std::uint16_t>& importNames_;
  std::size_t heapBase_ = 0;
  Writer records_;
  Writer heap_;
  std::vector<std::string> refNames_;
  std::uint16_t alias_ = 0;
  bool simpleAlias_ = false;
};

void RefTable(Writer& w, const std::vector<std::string>& refNames) {
  w.U8(0xDF);
  w.U8(0);
  w.Fill(0x42, 0xFF);
  w.U32(static_cast<std::uint32_t>(8 * refNames.size()));
  for (std::size_t i = 0; i < refNames.size(); ++i) {
    w.U16(0x0001);
    w.U8(0x02);
    w.U8(0x40);
    w.U16(0xFFFF);
    w.U16(0);
  }
  w.U16(0xFFFF);
  w.U8(0x01);
  w.U32(0);
  for (const auto& name : refNames) w.Counted(true, name);
  w.U8(0xDF);
}

}  // namespace

std::vector<std::uint8_t> TypeInfoBlock(const formats::TypeInfo& type, NameTable& names,
                                        const std::vector<std::uint16_t>& importNames) {
  Members members(type, names, importNames);
  members.Write();
  const auto data = members.Data();
  const auto& refs = members.RefNames();

  Writer refTable;
  if (!refs.empty()) RefTable(refTable, refs);

  Writer w;
  w.U16(0x0501);
  w.U32(refs.empty() ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kHeaderSize));
  w.U32(0xFFFFFFFFu);
  w.U32(static_cast<std::uint32_t>(kHeaderSize + refTable.size()));
  w.U32(0xFFFFFFFFu);
  w.U16(type.majorVersion);
  w.U16(type.minorVersion);
  w.U32(0xFFFE0000u);
  w.U8(static_cast<std::uint8_t>(0x02 | (type.flags & 0x1F) << 3));
  w.U8(static_cast<std::uint8_t>(type.flags >> 5));
  w.U8(0x02);
  w.U8(static_cast<std::uint8_t>(type.kind));
  w.U32(0);
  w.Append(refTable.bytes);
  // Member header: its length word at 5.
  w.U16(0x0001);
  w.U16(0xFFFF);
  w.U8(0x01);
  w.U32(static_cast<std::uint32_t>(data.size()));
  w.Append(data);
  // Tail.
  const auto count = [](std::size_t n) { return static_cast<std::uint16_t>(n); };
  w.U16(count(type.functions.size()));
  w.U16(count(type.variables.size()));
  w.U16(count(type.implemented.size()));
  w.U16(0);
  w.U16(type.functions.empty() ? kNone : members.FuncsAt());
  w.U16(type.variables.empty() ? kNone : members.VarsAt());
  w.U16(type.implemented.empty() ? kNone : 0);
  w.U16(count(kFuncSize * type.functions.size()));
  w.U16(count(kVarSize * type.variables.size()));
  w.U16(count(kImplSize * type.implemented.size()));
  w.U16(members.alias());
  w.U16(0xFFFF);
  w.U16(0);
  w.U16(0);
  w.U16(members.simpleAlias() ? 1 : 0);
  w.U16(0);
  w.U16(static_cast<std::uint16_t>(type.instanceSize));
  w.U16(type.alignment);
  w.U16(0);
  w.U16(0);
  w.U16(type.vtableSize);
  for (int i = 0; i < 4; ++i) w.U16(0xFFFF);
  w.U16(0);
  w.U16(0);
  return w.bytes;
}

}  // namespace korvane::test::sltg
