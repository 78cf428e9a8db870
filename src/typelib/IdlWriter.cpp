#include "typelib/IdlWriter.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "typelib/IdlNames.h"
#include "typelib/TypeText.h"

namespace korvane::typelib {

using namespace formats;

namespace {

constexpr std::string_view kIndent = "    ";
constexpr std::string_view kMemberIndent = "        ";
constexpr std::string_view kParamIndent = "        ";  // after the member's indent

std::string Hex8(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  constexpr int kNibbles = 8;
  std::string text = "0x00000000";
  for (int i = kNibbles - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(2 + i)] = kDigits[value & 0xf];
  return text;
}

// "id(0x0000002a)", without a string made.
std::array<char, 16> IdAttribute(std::int32_t memberId) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::array<char, 16> text{'i', 'd', '(', '0', 'x'};
  constexpr std::size_t kFirstDigit = 5;
  constexpr std::size_t kNibbles = 8;
  auto value = static_cast<std::uint32_t>(memberId);
  for (std::size_t i = kNibbles; i-- > 0; value >>= 4) text[kFirstDigit + i] = kDigits[value & 0xf];
  text[kFirstDigit + kNibbles] = ')';
  return text;  // the rest is zero: a C string
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

std::string PlainHex(const Guid& guid) {
  std::string text;
  for (char c : GuidText(guid)) {
    if (c != '-') text += c;
  }
  return text;
}

struct FlagWord {
  std::uint32_t bit;
  const char* attribute;
};

template <typename Attributes>
void AddFlags(Attributes& attributes, std::uint32_t flags, std::initializer_list<FlagWord> words) {
  for (const auto& word : words) {
    if (flags & word.bit) attributes.emplace_back(word.attribute);
  }
}

// Attributes written as they come into the text: "[a, b]" and then the
// closing text, or nothing at all when none is added. Members are many; this
// spares a string per attribute and per list.
class InlineAttributes {
 public:
  InlineAttributes(std::string& out, std::string_view indent) : out_(out), indent_(indent) {}

  void emplace_back(std::string_view attribute) {
    if (empty_) {
      out_ += indent_;
      out_ += '[';
      empty_ = false;
    } else {
      out_ += ", ";
    }
    out_ += attribute;
  }
  void push_back(const std::string& attribute) { emplace_back(attribute); }
  // Closes the list with closing when it is not empty.
  void Close(std::string_view closing) {
    if (!empty_) {
      out_ += ']';
      out_ += closing;
    }
  }

 private:
  std::string& out_;
  std::string_view indent_;
  bool empty_ = true;
};

// Base types IDL only knows once they are declared. The compiler makes a base
// type of each by its name, so none of these is written into the library.
struct BaseDeclaration {
  std::uint16_t vt;
  const char* name;
  const char* declaration;
};

constexpr BaseDeclaration kBaseDeclarations[] = {
    {vt::kHresult, "HRESULT", "typedef long HRESULT;"},
    {vt::kError, "SCODE", "typedef long SCODE;"},
    {vt::kBstr, "BSTR", "typedef unsigned short *BSTR;"},
    {vt::kLpstr, "LPSTR", "typedef char *LPSTR;"},
    {vt::kLpwstr, "LPWSTR", "typedef unsigned short *LPWSTR;"},
    {vt::kBool, "VARIANT_BOOL", "typedef short VARIANT_BOOL;"},
    {vt::kDate, "DATE", "typedef double DATE;"},
    {vt::kCy, "CURRENCY", "typedef struct tagCY { hyper int64; } CURRENCY;"},
    {vt::kDecimal, "DECIMAL",
     "typedef struct tagDEC { unsigned short wReserved; unsigned char scale; unsigned char sign; "
     "unsigned long Hi32; unsigned hyper Lo64; } DECIMAL;"},
    // Sized as the real one, for the layout of structures holding it: 16
    // bytes on 32-bit platforms, 24 on 64-bit ones (a record's two pointers).
    {vt::kVariant, "VARIANT",
     "typedef struct tagVARIANT_RECORD { void *pvRecord; void *pRecInfo; } VARIANT_RECORD;\n"
     "typedef union tagVARIANT_DATA { hyper llVal; VARIANT_RECORD brecVal; } VARIANT_DATA;\n"
     "typedef struct tagVARIANT { unsigned short vt; unsigned short wReserved1; unsigned short wReserved2; "
     "unsigned short wReserved3; VARIANT_DATA data; } VARIANT;"},
};

constexpr int kUnknownMethods = 3;
constexpr std::size_t kVarTypes = 0x10000;  // every 16-bit VARTYPE
constexpr const char* kUnknownDeclaration =
    "[object, uuid(00000000-0000-0000-c000-000000000046)]\n"
    "interface IUnknown {\n"
    "    HRESULT QueryInterface();\n"
    "    unsigned long AddRef();\n"
    "    unsigned long Release();\n"
    "}\n";
// Without a base, so that it does not depend on the library's own IUnknown
// when it has one; its vtable has IUnknown's three functions and its own four.
constexpr const char* kDispatchDeclaration =
    "[object, uuid(00020400-0000-0000-c000-000000000046)]\n"
    "interface IDispatch {\n"
    "    HRESULT QueryInterface();\n"
    "    unsigned long AddRef();\n"
    "    unsigned long Release();\n"
    "    HRESULT GetTypeInfoCount();\n"
    "    HRESULT GetTypeInfo();\n"
    "    HRESULT GetIDsOfNames();\n"
    "    HRESULT Invoke();\n"
    "}\n";

// Custom data the IDL compilers put on every library they build (their
// version, the time, their own name): a compiler writes its own again.
bool IsCompilerStamp(const Guid& guid) {
  const std::string text = GuidText(guid);
  return text == "de77ba63-517c-11d1-a2da-0000f8773ce9" || text == "de77ba64-517c-11d1-a2da-0000f8773ce9" ||
         text == "de77ba65-517c-11d1-a2da-0000f8773ce9";
}

bool IsInterfaceLike(TypeKind kind) {
  return kind == TypeKind::kInterface || kind == TypeKind::kDispatch || kind == TypeKind::kCoClass;
}

class Writer {
 public:
  Writer(TypeLibrary library, const IdlOptions& options) : lib_(std::move(library)), options_(options) {
    // A type of a library that was not found still needs a name in IDL: one
    // made of where it lives, declared as a placeholder.
    NameImportedTypes(lib_, options_.imports, [](TypeRef& ref) {
      ref.name = "UnresolvedImport" + std::to_string(ref.importIndex) + "_" +
                 (ref.importTypeIndex >= 0 ? std::to_string(ref.importTypeIndex) : PlainHex(ref.typeGuid));
    });
    nameChanges_ = MakeIdlNames(lib_, options_.imports);
    for (std::size_t i = 0; i < lib_.types.size(); ++i) {
      localNames_.insert(lib_.types[i].name);
      localIndexes_.emplace(lib_.types[i].name, i);
    }
  }

  std::string Run() {
    out_.reserve(EstimatedSize());
    Header();
    Prelude();
    Library();
    NameChangesComment();
    return std::move(out_);
  }

 private:
  // About what the text takes: a member's lines come to about this much.
  std::size_t EstimatedSize() const {
    constexpr std::size_t kBytesPerMember = 128;
    std::size_t members = lib_.types.size();
    for (const auto& type : lib_.types) members += type.functions.size() + type.variables.size();
    return members * kBytesPerMember;
  }

  void NameChangesComment() {
    if (nameChanges_.empty()) return;
    std::string comment = "//\n// Names that are no IDL identifiers, written changed:\n";
    for (const auto& change : DistinctChanges(std::move(nameChanges_))) {
      comment += "//   \"" + CommentText(change.from) + "\" as " + change.to + "\n";
    }
    out_.insert(changesAt_, comment);
  }

  // ---- what the types use -------------------------------------------------

  template <typename Use>
  static void CollectUses(const TypeDesc& type, const Use& use) {
    use(type);
    for (const auto& element : type.element) CollectUses(element, use);
  }

  template <typename Use>
  static void ForEachTypeDesc(const TypeInfo& type, const Use& use) {
    if (type.kind == TypeKind::kAlias) CollectUses(type.aliasOf, use);
    for (const auto& function : type.functions) {
      CollectUses(function.returnType, use);
      for (const auto& param : function.params) CollectUses(param.type, use);
    }
    for (const auto& variable : type.variables) CollectUses(variable.type, use);
  }

  const TypeInfo* Local(const TypeRef& ref) const {
    if (ref.localIndex < 0 || static_cast<std::size_t>(ref.localIndex) >= lib_.types.size()) return nullptr;
    return &lib_.types[static_cast<std::size_t>(ref.localIndex)];
  }

  // ---- header and declarations outside the library ------------------------

  void Header() {
    out_ += "// Generated .IDL file (by Korvane)\n//\n";
    if (!options_.fileName.empty()) out_ += "// typelib filename: " + CommentText(options_.fileName) + "\n";
    changesAt_ = out_.size();  // the changed names are said here once all are known
    out_ += "\n";
  }

  void Prelude() {
    std::bitset<kVarTypes> baseTypes;
    std::map<std::string, ImportUse> imported;
    auto useImport = [&](const TypeRef& ref, bool derived) {
      if (Local(ref) || ref.name.empty() || localNames_.count(ref.name)) return;
      auto [at, added] = imported.try_emplace(ref.name);
      if (added) at->second.ref = ref;
      at->second.derived = at->second.derived || derived;
    };
    for (const auto& type : lib_.types) {
      ForEachTypeDesc(type, [&](const TypeDesc& desc) {
        baseTypes.set(desc.type);
        if (desc.type == vt::kUserDefined) useImport(desc.ref, false);
      });
      for (const auto& impl : type.implemented) useImport(impl.type, true);
    }
    // The compiler bases every dispinterface on IDispatch, also one declared
    // through an interface.
    bool usesDispatch = baseTypes.test(vt::kDispatch) || imported.count("IDispatch") ||
                        std::any_of(lib_.types.begin(), lib_.types.end(),
                                    [](const TypeInfo& type) { return type.kind == TypeKind::kDispatch; });
    for (const auto& entry : imported) {
      const TypeInfo* target = FindImportedType(entry.second.ref, options_.imports);
      if (target && target->kind == TypeKind::kDispatch) usesDispatch = true;
    }
    const bool unknownUsed = baseTypes.test(vt::kUnknown) || imported.count("IUnknown");
    imported.erase("IUnknown");
    imported.erase("IDispatch");
    std::string importedDeclarations;
    for (const auto& [name, use] : imported) importedDeclarations += ImportedDeclaration(name, use);
    const bool usesUnknown = unknownUsed || importedDeclarations.find(" : IUnknown") != std::string::npos;
    baseTypes.set(vt::kHresult);  // IUnknown's own declaration needs it

    std::string declarations;
    for (const auto& base : kBaseDeclarations) {
      if (baseTypes.test(base.vt) && !localNames_.count(base.name)) declarations += std::string(base.declaration) + "\n";
    }
    if (usesUnknown && !localNames_.count("IUnknown")) declarations += kUnknownDeclaration;
    if (usesDispatch && !localNames_.count("IDispatch")) declarations += kDispatchDeclaration;
    declarations += importedDeclarations;
    if (!declarations.empty()) out_ += declarations + "\n";
  }

  struct ImportUse {
    TypeRef ref;
    bool derived = false;  // a base interface or a coclass member: must be an interface
  };

  // A declaration of a type of an imported library: the compiler refers to
  // the imported library's type of that name, so only the name and, for an
  // interface, the size of its vtable (for the offsets of derived functions)
  // matter.
  std::string ImportedDeclaration(const std::string& name, const ImportUse& use) const {
    const TypeInfo* target = FindImportedType(use.ref, options_.imports);
    const std::string uuid = target && !IsZeroGuid(target->guid) ? "uuid(" + GuidText(target->guid) + ")" : "";
    if (target && target->kind == TypeKind::kDispatch) {
      return "[" + uuid + "]\ndispinterface " + name + " { properties: methods: }\n";
    }
    if (target && target->kind == TypeKind::kCoClass) {
      return "[" + uuid + "]\ncoclass " + name + " { interface IUnknown; }\n";
    }
    if (use.derived || (target && target->kind == TypeKind::kInterface)) {
      std::string text = "[object" + (uuid.empty() ? "" : ", " + uuid) + "]\ninterface " + name + " : IUnknown {";
      if (target) {
        const int pointer = target->vtableSize != 0 ? PointerSize(options_, use.ref) : 0;
        const int methods = pointer ? target->vtableSize / pointer - kUnknownMethods : 0;
        for (int i = 1; i <= methods; ++i) text += " HRESULT m" + std::to_string(i) + "();";
      }
      return text + " }\n";
    }
    return "typedef [public] long " + name + ";\n";
  }

  static int PointerSize(const IdlOptions& options, const TypeRef& ref) {
    const TypeLibrary* library = options.imports[static_cast<std::size_t>(ref.importIndex)];
    return library->attributes.sysKind == kSysWin64 ? 8 : 4;
  }

  // ---- the library --------------------------------------------------------

  void Library() {
    const auto& a = lib_.attributes;
    std::vector<std::string> attributes;
    attributes.push_back("uuid(" + GuidText(a.guid) + ")");
    attributes.push_back("version(" + std::to_string(a.majorVersion) + "." + std::to_string(a.minorVersion) + ")");
    if (!a.helpString.empty()) attributes.push_back("helpstring(" + QuotedString(a.helpString) + ")");
    if (!a.helpFile.empty()) attributes.push_back("helpfile(" + QuotedString(a.helpFile) + ")");
    if (lib_.helpContext != 0) attributes.push_back("helpcontext(" + Hex8(lib_.helpContext) + ")");
    if (!lib_.helpStringDll.empty()) attributes.push_back("helpstringdll(" + QuotedString(lib_.helpStringDll) + ")");
    if (lib_.helpStringContext != 0) attributes.push_back("helpstringcontext(" + Hex8(lib_.helpStringContext) + ")");
    if (a.lcid != 0) attributes.push_back("lcid(" + Hex8(a.lcid) + ")");
    AddFlags(attributes, a.libFlags,
             {{kLibFlagRestricted, "restricted"}, {kLibFlagControl, "control"}, {kLibFlagHidden, "hidden"}});
    std::vector<CustomData> custom;
    for (const auto& item : lib_.custom) {
      if (!IsCompilerStamp(item.guid)) custom.push_back(item);
    }
    AddCustom(attributes, custom);
    AttributeBlock("", attributes);
    out_ += "library " + a.name + "\n{\n";
    for (const auto& import : lib_.imports) {
      out_ += std::string(kIndent) + "// TLib : " + GuidToRegistryText(import.guid) + "\n";
      out_ += std::string(kIndent) + "importlib(" + QuotedString(import.fileName) + ");\n";
    }
    if (!lib_.imports.empty()) out_ += "\n";
    const std::vector<std::size_t> order = DefinitionOrder();
    ForwardDeclarations(order);
    std::set<std::string> written;
    for (std::size_t index : order) {
      TypeInfo& type = lib_.types[index];
      // IDL cannot define one name twice; a library may hold a name twice.
      if (written.insert(TypeKindName(type.kind) + " " + type.name).second) {
        MakeIdlMemberNames(type, nameChanges_);
        Type(type);
      }
      defined_.insert(index);
    }
    out_ += "};\n";
  }

  // ---- order of definitions -----------------------------------------------

  // The local types a type needs defined before it: what it holds by value or
  // derives from. Interfaces it only points to need a forward declaration.
  std::vector<std::size_t> NeededFirst(const TypeInfo& type) const {
    std::vector<std::size_t> needed;
    auto add = [&](const TypeRef& ref, bool definition) {
      // An imported type with the name of one of the library's own stands
      // in IDL for that one, which must come first too.
      int index = ref.localIndex;
      if (!Local(ref)) {
        auto named = localIndexes_.find(ref.name);
        if (named == localIndexes_.end()) return;
        index = static_cast<int>(named->second);
      }
      const TypeInfo& target = lib_.types[static_cast<std::size_t>(index)];
      if (IsInterfaceLike(target.kind) && !definition) return;
      needed.push_back(static_cast<std::size_t>(index));
    };
    ForEachTypeDesc(type, [&](const TypeDesc& desc) {
      if (desc.type == vt::kUserDefined) add(desc.ref, false);
    });
    if (type.kind == TypeKind::kInterface || type.kind == TypeKind::kDispatch) {
      if (!type.implemented.empty()) add(type.implemented.front().type, true);
    }
    return needed;
  }

  // Each type after the ones it needs first, else in the file's order. The
  // walk keeps its own stack: a library may chain tens of thousands of types,
  // each needing the next, deeper than the call stack goes.
  std::vector<std::size_t> DefinitionOrder() const {
    enum class State { kNew, kVisiting, kDone };
    struct Visit {
      std::size_t index;
      std::vector<std::size_t> needed;
      std::size_t next = 0;  // the first entry of needed not yet visited
    };
    std::vector<State> state(lib_.types.size(), State::kNew);
    std::vector<std::size_t> order;
    std::vector<Visit> path;
    auto enter = [&](std::size_t index) {
      if (state[index] != State::kNew) return;  // done, or a cycle: keep the file's order
      state[index] = State::kVisiting;
      path.push_back({index, NeededFirst(lib_.types[index])});
    };
    for (std::size_t i = 0; i < lib_.types.size(); ++i) {
      enter(i);
      while (!path.empty()) {
        Visit& top = path.back();
        if (top.next < top.needed.size()) {
          enter(top.needed[top.next++]);
          continue;
        }
        state[top.index] = State::kDone;
        order.push_back(top.index);
        path.pop_back();
      }
    }
    return order;
  }

  // Interfaces, dispinterfaces and coclasses used before their definition.
  void ForwardDeclarations(const std::vector<std::size_t>& order) {
    std::set<std::size_t> defined;
    std::vector<std::size_t> forward;
    auto use = [&](const TypeRef& ref) {
      const TypeInfo* target = Local(ref);
      if (!target || !IsInterfaceLike(target->kind)) return;
      auto index = static_cast<std::size_t>(ref.localIndex);
      if (defined.count(index)) return;
      for (std::size_t f : forward) {
        if (f == index) return;
      }
      forward.push_back(index);
    };
    for (std::size_t index : order) {
      const TypeInfo& type = lib_.types[index];
      ForEachTypeDesc(type, [&](const TypeDesc& desc) {
        if (desc.type == vt::kUserDefined && desc.ref.localIndex != static_cast<int>(index)) use(desc.ref);
      });
      if (type.kind == TypeKind::kCoClass) {
        for (const auto& impl : type.implemented) use(impl.type);
      }
      defined.insert(index);
    }
    if (forward.empty()) return;
    out_ += std::string(kIndent) + "// Forward declare the types used before their definition\n";
    for (std::size_t index : forward) {
      const TypeInfo& type = lib_.types[index];
      out_ += std::string(kIndent) + TypeKindName(type.kind) + " " + type.name + ";\n";
    }
    out_ += "\n";
  }

  // ---- pieces -------------------------------------------------------------

  void AttributeBlock(std::string_view indentText, const std::vector<std::string>& attributes) {
    const std::string indent(indentText);
    if (attributes.empty()) return;
    out_ += indent + "[\n";
    for (std::size_t i = 0; i < attributes.size(); ++i) {
      out_ += indent + "  " + attributes[i] + (i + 1 < attributes.size() ? ",\n" : "\n");
    }
    out_ += indent + "]\n";
  }

  template <typename Attributes>
  static void AddCustom(Attributes& attributes, const std::vector<CustomData>& custom) {
    for (const auto& item : custom) {
      std::string value = ValueLiteral(item.value);
      if (value.empty()) continue;  // IDL has no way to write this value
      attributes.push_back("custom(" + GuidText(item.guid) + ", " + value + ")");
    }
  }

  template <typename Attributes>
  static void AddHelp(Attributes& attributes, const std::string& helpString, std::uint32_t helpContext,
               std::uint32_t helpStringContext) {
    if (!helpString.empty()) attributes.push_back("helpstring(" + QuotedString(helpString) + ")");
    if (helpContext != 0) attributes.push_back("helpcontext(" + Hex8(helpContext) + ")");
    if (helpStringContext != 0) attributes.push_back("helpstringcontext(" + Hex8(helpStringContext) + ")");
  }

  std::vector<std::string> TypeAttributes(const TypeInfo& type) {
    std::vector<std::string> attributes;
    if (type.kind == TypeKind::kInterface) attributes.emplace_back("odl");
    if (!IsZeroGuid(type.guid)) attributes.push_back("uuid(" + GuidText(type.guid) + ")");
    if (type.majorVersion != 0 || type.minorVersion != 0) {
      attributes.push_back("version(" + std::to_string(type.majorVersion) + "." + std::to_string(type.minorVersion) +
                           ")");
    }
    AddHelp(attributes, type.helpString, type.helpContext, type.helpStringContext);
    if (type.kind == TypeKind::kModule && !type.dllName.empty()) {
      attributes.push_back("dllname(" + QuotedString(type.dllName) + ")");
    }
    AddFlags(attributes, type.flags,
             {{kTypeFlagAppObject, "appobject"},
              {kTypeFlagLicensed, "licensed"},
              {kTypeFlagPredeclId, "predeclid"},
              {kTypeFlagHidden, "hidden"},
              {kTypeFlagControl, "control"},
              {kTypeFlagDual, "dual"},
              {kTypeFlagNonExtensible, "nonextensible"},
              {kTypeFlagOleAutomation, "oleautomation"},
              {kTypeFlagRestricted, "restricted"},
              {kTypeFlagAggregatable, "aggregatable"},
              {kTypeFlagReplaceable, "replaceable"},
              {kTypeFlagReverseBind, "reversebind"},
              {kTypeFlagProxy, "proxy"}});
    if (type.kind == TypeKind::kCoClass && !(type.flags & kTypeFlagCanCreate)) attributes.emplace_back("noncreatable");
    AddCustom(attributes, type.custom);
    return attributes;
  }

  // A structure, union or enum not yet defined (the one being defined, or one
  // of a cycle) is named by its tag, which C lets stand for an incomplete type.
  std::string TypeName(const TypeDesc& type) const {
    return TypeDescText(WithoutArray(type), [this](const TypeRef& ref) {
      const TypeInfo* target = Local(ref);
      if (target && !defined_.count(static_cast<std::size_t>(ref.localIndex))) {
        if (target->kind == TypeKind::kRecord) return "struct " + ref.name;
        if (target->kind == TypeKind::kUnion) return "union " + ref.name;
        if (target->kind == TypeKind::kEnum) return "enum " + ref.name;
      }
      return ref.name.empty() ? std::string("?") : ref.name;
    });
  }

  std::string Declaration(const TypeDesc& type, const std::string& name) const {
    return TypeName(type) + " " + name + ArrayBoundsText(type);
  }

  // The type's name: a base type's straight from its table, others built.
  void AppendTypeName(const TypeDesc& type) {
    if (type.type != vt::kPtr && type.type != vt::kSafeArray && type.type != vt::kCArray &&
        type.type != vt::kUserDefined) {
      if (const char* name = BaseTypeKeyword(type.type)) {
        out_ += name;
        return;
      }
    }
    out_ += TypeName(type);
  }

  void AppendDeclaration(const TypeDesc& type, const std::string& name) {
    AppendTypeName(WithoutArray(type));
    out_ += ' ';
    out_ += name;
    if (type.type == vt::kCArray) out_ += ArrayBoundsText(type);
  }

  void Type(const TypeInfo& type) {
    switch (type.kind) {
      case TypeKind::kEnum: Enum(type); break;
      case TypeKind::kRecord:
      case TypeKind::kUnion: Record(type); break;
      case TypeKind::kAlias: Alias(type); break;
      case TypeKind::kInterface: Interface(type); break;
      case TypeKind::kDispatch: Dispinterface(type); break;
      case TypeKind::kCoClass: CoClass(type); break;
      case TypeKind::kModule: Module(type); break;
    }
    out_ += "\n";
  }

  void TypedefHead(const TypeInfo& type, std::vector<std::string> attributes) {
    out_ += std::string(kIndent) + "typedef ";
    if (!attributes.empty()) {
      out_ += "[" + Join(attributes, ", ") + "]\n";
      out_ += kIndent;
    }
  }

  void Enum(const TypeInfo& type) {
    TypedefHead(type, TypeAttributes(type));
    // The tag and the typedef share the name: the compiler then makes one
    // type of that name, where an anonymous one would become a generated
    // name and an alias.
    out_ += "enum " + type.name + " {\n";
    for (std::size_t i = 0; i < type.variables.size(); ++i) {
      const auto& v = type.variables[i];
      out_ += std::string(kMemberIndent) + v.name;
      if (v.value) out_ += " = " + ValueLiteral(*v.value);
      out_ += i + 1 < type.variables.size() ? ",\n" : "\n";
    }
    out_ += std::string(kIndent) + "} " + type.name + ";\n";
  }

  void Record(const TypeInfo& type) {
    TypedefHead(type, TypeAttributes(type));
    out_ += (type.kind == TypeKind::kUnion ? "union " : "struct ") + type.name + " {\n";
    for (const auto& v : type.variables) {
      std::vector<std::string> attributes;
      AddCustom(attributes, v.custom);
      out_ += kMemberIndent;
      if (!attributes.empty()) out_ += "[" + Join(attributes, ", ") + "] ";
      out_ += Declaration(v.type, v.name) + ";\n";
    }
    out_ += std::string(kIndent) + "} " + type.name + ";\n";
  }

  void Alias(const TypeInfo& type) {
    std::vector<std::string> attributes = TypeAttributes(type);
    attributes.insert(attributes.begin(), "public");
    // A pointer alias without a pointer attribute is written twice by the compiler.
    if (type.aliasOf.type == vt::kPtr) attributes.insert(attributes.begin() + 1, "unique");
    TypedefHead(type, attributes);
    out_ += Declaration(type.aliasOf, type.name) + ";\n";
  }

  std::string ImplementedKeyword(const TypeRef& ref) const {
    const TypeInfo* target = Local(ref);
    return target && target->kind == TypeKind::kDispatch ? "dispinterface" : "interface";
  }

  void Interface(const TypeInfo& type) {
    AttributeBlock(kIndent, TypeAttributes(type));
    out_ += std::string(kIndent) + "interface " + type.name;
    if (!type.implemented.empty()) out_ += " : " + type.implemented.front().type.name;
    out_ += " {\n";
    for (const auto& function : type.functions) Method(function, false);
    out_ += std::string(kIndent) + "};\n";
  }

  // The interface a dispinterface was declared through ("dispinterface D {
  // interface I; }"): the library then stores I as what D implements, in
  // place of IDispatch, and no members of D's own.
  const TypeRef* DeclaringInterface(const TypeInfo& type) const {
    if (type.implemented.empty()) return nullptr;
    const TypeRef& ref = type.implemented.front().type;
    if (ref.name.empty() || ref.name == "IDispatch") return nullptr;
    const TypeInfo* target = Local(ref);
    if (!target) target = FindImportedType(ref, options_.imports);
    return target && target->kind == TypeKind::kInterface ? &ref : nullptr;
  }

  void Dispinterface(const TypeInfo& type) {
    AttributeBlock(kIndent, TypeAttributes(type));
    out_ += std::string(kIndent) + "dispinterface " + type.name + " {\n";
    if (const TypeRef* through = DeclaringInterface(type)) {
      out_ += std::string(kMemberIndent) + "interface " + through->name + ";\n";
    } else {
      out_ += std::string(kIndent) + "properties:\n";
      for (const auto& v : type.variables) Property(v);
      out_ += std::string(kIndent) + "methods:\n";
      for (const auto& function : type.functions) Method(function, false);
    }
    out_ += std::string(kIndent) + "};\n";
  }

  void CoClass(const TypeInfo& type) {
    AttributeBlock(kIndent, TypeAttributes(type));
    out_ += std::string(kIndent) + "coclass " + type.name + " {\n";
    for (const auto& impl : type.implemented) {
      std::vector<std::string> attributes;
      AddFlags(attributes, impl.flags,
               {{kImplTypeFlagDefault, "default"},
                {kImplTypeFlagSource, "source"},
                {kImplTypeFlagRestricted, "restricted"},
                {kImplTypeFlagDefaultVTable, "defaultvtable"}});
      AddCustom(attributes, impl.custom);
      out_ += kMemberIndent;
      if (!attributes.empty()) out_ += "[" + Join(attributes, ", ") + "] ";
      out_ += ImplementedKeyword(impl.type) + " " + impl.type.name + ";\n";
    }
    out_ += std::string(kIndent) + "};\n";
  }

  void Module(const TypeInfo& type) {
    AttributeBlock(kIndent, TypeAttributes(type));
    out_ += std::string(kIndent) + "module " + type.name + " {\n";
    for (const auto& v : type.variables) {
      std::vector<std::string> attributes;
      AddHelp(attributes, v.helpString, v.helpContext, v.helpStringContext);
      AddCustom(attributes, v.custom);
      out_ += kMemberIndent;
      if (!attributes.empty()) out_ += "[" + Join(attributes, ", ") + "] ";
      out_ += "const " + Declaration(v.type, v.name);
      if (v.value) out_ += " = " + ValueLiteral(*v.value);
      out_ += ";\n";
    }
    for (const auto& function : type.functions) Method(function, true);
    out_ += std::string(kIndent) + "};\n";
  }

  void Property(const Variable& v) {
    InlineAttributes attributes(out_, kMemberIndent);
    attributes.emplace_back(IdAttribute(v.memberId).data());
    AddFlags(attributes, v.flags,
             {{kVarFlagReadOnly, "readonly"},
              {kVarFlagSource, "source"},
              {kVarFlagBindable, "bindable"},
              {kVarFlagRequestEdit, "requestedit"},
              {kVarFlagDisplayBind, "displaybind"},
              {kVarFlagDefaultBind, "defaultbind"},
              {kVarFlagHidden, "hidden"},
              {kVarFlagRestricted, "restricted"},
              {kVarFlagDefaultCollElem, "defaultcollelem"},
              {kVarFlagUiDefault, "uidefault"},
              {kVarFlagNonBrowsable, "nonbrowsable"},
              {kVarFlagReplaceable, "replaceable"},
              {kVarFlagImmediateBind, "immediatebind"}});
    AddHelp(attributes, v.helpString, v.helpContext, v.helpStringContext);
    AddCustom(attributes, v.custom);
    attributes.Close("\n");
    out_ += kMemberIndent;
    AppendDeclaration(v.type, v.name);
    out_ += ";\n";
  }

  static const char* CallConvKeyword(CallConv conv) {
    switch (conv) {
      case CallConv::kCDecl: return "__cdecl";
      case CallConv::kPascal: return "__pascal";
      case CallConv::kFastCall: return "__fastcall";
      default: return nullptr;  // stdcall, the default
    }
  }

  void Method(const Function& f, bool inModule) {
    InlineAttributes attributes(out_, kMemberIndent);
    if (inModule) {
      if (f.entryOrdinal) {
        attributes.push_back("entry(" + std::to_string(*f.entryOrdinal) + ")");
      } else if (!f.entryName.empty()) {
        attributes.push_back("entry(" + QuotedString(f.entryName) + ")");
      }
    } else {
      attributes.emplace_back(IdAttribute(f.memberId).data());
    }
    switch (f.invokeKind) {
      case InvokeKind::kPropertyGet: attributes.emplace_back("propget"); break;
      case InvokeKind::kPropertyPut: attributes.emplace_back("propput"); break;
      case InvokeKind::kPropertyPutRef: attributes.emplace_back("propputref"); break;
      case InvokeKind::kFunc: break;
    }
    AddFlags(attributes, f.flags,
             {{kFuncFlagRestricted, "restricted"},
              {kFuncFlagSource, "source"},
              {kFuncFlagBindable, "bindable"},
              {kFuncFlagRequestEdit, "requestedit"},
              {kFuncFlagDisplayBind, "displaybind"},
              {kFuncFlagDefaultBind, "defaultbind"},
              {kFuncFlagHidden, "hidden"},
              {kFuncFlagUsesGetLastError, "usesgetlasterror"},
              {kFuncFlagDefaultCollElem, "defaultcollelem"},
              {kFuncFlagUiDefault, "uidefault"},
              {kFuncFlagNonBrowsable, "nonbrowsable"},
              {kFuncFlagReplaceable, "replaceable"},
              {kFuncFlagImmediateBind, "immediatebind"}});
    if (f.optionalParams == -1) attributes.emplace_back("vararg");
    AddHelp(attributes, f.helpString, f.helpContext, f.helpStringContext);
    AddCustom(attributes, f.custom);
    attributes.Close("\n");
    out_ += kMemberIndent;
    AppendTypeName(f.returnType);
    out_ += ' ';
    if (const char* keyword = CallConvKeyword(f.callConv)) {
      out_ += keyword;
      out_ += ' ';
    }
    out_ += f.name;
    out_ += '(';
    // The compiler marks a parameter with a default value optional by itself
    // and counts only those written [optional]: write as many as the count says.
    int optionalLeft = f.optionalParams;
    for (const auto& p : f.params) {
      if ((p.flags & kParamFlagOptional) && !(p.flags & kParamFlagHasDefault)) --optionalLeft;
    }
    std::vector<bool> writeOptional(f.params.size(), false);
    for (std::size_t i = f.params.size(); i-- > 0;) {
      const auto flags = f.params[i].flags;
      if (!(flags & kParamFlagOptional)) continue;
      if (!(flags & kParamFlagHasDefault)) {
        writeOptional[i] = true;
      } else if (optionalLeft > 0) {
        writeOptional[i] = true;
        --optionalLeft;
      }
    }
    // One parameter on the function's line, several each on a line of its own.
    const bool ownLines = f.params.size() > 1;
    for (std::size_t i = 0; i < f.params.size(); ++i) {
      if (ownLines) {
        out_ += i == 0 ? "\n" : ",\n";
        out_ += kMemberIndent;
        out_ += kParamIndent;
      }
      Parameter(f.params[i], i, writeOptional[i]);
    }
    out_ += ");\n";
  }

  void Parameter(const Param& p, std::size_t index, bool optional) {
    InlineAttributes attributes(out_, "");
    AddFlags(attributes, p.flags,
             {{kParamFlagIn, "in"}, {kParamFlagOut, "out"}, {kParamFlagLcid, "lcid"}, {kParamFlagRetval, "retval"}});
    if (optional) attributes.emplace_back("optional");
    if ((p.flags & kParamFlagHasDefault) && p.defaultValue) {
      std::string value = ValueLiteral(*p.defaultValue);
      if (!value.empty()) attributes.push_back("defaultvalue(" + value + ")");
    }
    AddCustom(attributes, p.custom);
    attributes.Close(" ");
    if (p.name.empty()) {
      AppendDeclaration(p.type, "p" + std::to_string(index + 1));
    } else {
      AppendDeclaration(p.type, p.name);
    }
  }

  TypeLibrary lib_;  // the writer's own, with the names of imported types filled in
  const IdlOptions& options_;
  std::vector<NameChange> nameChanges_;
  std::size_t changesAt_ = 0;
  std::set<std::string> localNames_;
  std::map<std::string, std::size_t> localIndexes_;  // the first type of each name
  std::set<std::size_t> defined_;  // types written so far
  std::string out_;
};

}  // namespace

std::string WriteIdl(const TypeLibrary& library, const IdlOptions& options) {
  return Writer(library, options).Run();
}

std::string WriteIdl(TypeLibrary&& library, const IdlOptions& options) {
  return Writer(std::move(library), options).Run();
}

}  // namespace korvane::typelib
