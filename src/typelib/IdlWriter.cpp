#include "typelib/IdlWriter.h"

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "typelib/TypeText.h"

namespace korvane::typelib {

using namespace formats;

namespace {

constexpr const char* kIndent = "    ";
constexpr const char* kMemberIndent = "        ";

std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

struct FlagWord {
  std::uint32_t bit;
  const char* attribute;
};

void AddFlags(std::vector<std::string>& attributes, std::uint32_t flags, std::initializer_list<FlagWord> words) {
  for (const auto& word : words) {
    if (flags & word.bit) attributes.emplace_back(word.attribute);
  }
}

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
    {vt::kVariant, "VARIANT",
     "typedef struct tagVARIANT { unsigned short vt; unsigned short r1; unsigned short r2; "
     "unsigned short r3; hyper data; void *record; } VARIANT;"},
};

constexpr const char* kUnknownDeclaration =
    "[object, uuid(00000000-0000-0000-c000-000000000046)]\n"
    "interface IUnknown {\n"
    "    HRESULT QueryInterface();\n"
    "    unsigned long AddRef();\n"
    "    unsigned long Release();\n"
    "}\n";
constexpr const char* kDispatchDeclaration =
    "[object, uuid(00020400-0000-0000-c000-000000000046)]\n"
    "interface IDispatch : IUnknown {\n"
    "    HRESULT GetTypeInfoCount();\n"
    "    HRESULT GetTypeInfo();\n"
    "    HRESULT GetIDsOfNames();\n"
    "    HRESULT Invoke();\n"
    "}\n";

bool IsInterfaceLike(TypeKind kind) {
  return kind == TypeKind::kInterface || kind == TypeKind::kDispatch || kind == TypeKind::kCoClass;
}

class Writer {
 public:
  Writer(const TypeLibrary& library, const IdlOptions& options) : lib_(library), options_(options) {
    for (std::size_t i = 0; i < lib_.types.size(); ++i) localNames_.insert(lib_.types[i].name);
  }

  std::string Run() {
    Header();
    Prelude();
    Library();
    return out_;
  }

 private:
  // ---- what the types use -------------------------------------------------

  void CollectUses(const TypeDesc& type, const std::function<void(const TypeDesc&)>& use) const {
    use(type);
    for (const auto& element : type.element) CollectUses(element, use);
  }

  void ForEachTypeDesc(const TypeInfo& type, const std::function<void(const TypeDesc&)>& use) const {
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
    if (!options_.fileName.empty()) out_ += "// typelib filename: " + options_.fileName + "\n";
    out_ += "\n";
  }

  void Prelude() {
    std::set<std::uint16_t> baseTypes;
    std::map<std::string, bool> imported;  // name -> used as an interface to derive from or implement
    bool usesUnknown = false;
    bool usesDispatch = false;
    for (const auto& type : lib_.types) {
      ForEachTypeDesc(type, [&](const TypeDesc& desc) {
        baseTypes.insert(desc.type);
        if (desc.type == vt::kUserDefined && !Local(desc.ref) && !localNames_.count(desc.ref.name)) {
          imported.emplace(desc.ref.name, false);
        }
      });
      for (const auto& impl : type.implemented) {
        if (!Local(impl.type) && !localNames_.count(impl.type.name)) imported[impl.type.name] = true;
      }
    }
    usesUnknown = baseTypes.count(vt::kUnknown) || imported.count("IUnknown");
    usesDispatch = baseTypes.count(vt::kDispatch) || imported.count("IDispatch");
    baseTypes.insert(vt::kHresult);  // IUnknown's own declaration needs it

    std::string declarations;
    for (const auto& base : kBaseDeclarations) {
      if (baseTypes.count(base.vt) && !localNames_.count(base.name)) declarations += std::string(base.declaration) + "\n";
    }
    if ((usesUnknown || usesDispatch) && !localNames_.count("IUnknown")) declarations += kUnknownDeclaration;
    if (usesDispatch && !localNames_.count("IDispatch")) declarations += kDispatchDeclaration;
    imported.erase("IUnknown");
    imported.erase("IDispatch");
    for (const auto& [name, isInterface] : imported) {
      if (name.empty()) continue;
      // Types of imported libraries: the compiler refers to the library that
      // holds a type of this name, so a declaration of the name is enough.
      if (isInterface) {
        declarations += "interface " + name + " : IUnknown {}\n";
      } else {
        declarations += "typedef [public] long " + name + ";\n";
      }
    }
    if (!declarations.empty()) out_ += declarations + "\n";
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
    AddCustom(attributes, lib_.custom);
    AttributeBlock("", attributes);
    out_ += "library " + a.name + "\n{\n";
    for (const auto& import : lib_.imports) {
      out_ += std::string(kIndent) + "// TLib : " + GuidToRegistryText(import.guid) + "\n";
      out_ += std::string(kIndent) + "importlib(" + QuotedString(import.fileName) + ");\n";
    }
    if (!lib_.imports.empty()) out_ += "\n";
    const std::vector<std::size_t> order = DefinitionOrder();
    ForwardDeclarations(order);
    for (std::size_t index : order) Type(lib_.types[index]);
    out_ += "};\n";
  }

  // ---- order of definitions -----------------------------------------------

  // The local types a type needs defined before it: what it holds by value or
  // derives from. Interfaces it only points to need a forward declaration.
  std::vector<std::size_t> NeededFirst(const TypeInfo& type) const {
    std::vector<std::size_t> needed;
    auto add = [&](const TypeRef& ref, bool definition) {
      const TypeInfo* target = Local(ref);
      if (!target) return;
      if (IsInterfaceLike(target->kind) && !definition) return;
      needed.push_back(static_cast<std::size_t>(ref.localIndex));
    };
    ForEachTypeDesc(type, [&](const TypeDesc& desc) {
      if (desc.type == vt::kUserDefined) add(desc.ref, false);
    });
    if (type.kind == TypeKind::kInterface || type.kind == TypeKind::kDispatch) {
      if (!type.implemented.empty()) add(type.implemented.front().type, true);
    }
    return needed;
  }

  std::vector<std::size_t> DefinitionOrder() const {
    enum class State { kNew, kVisiting, kDone };
    std::vector<State> state(lib_.types.size(), State::kNew);
    std::vector<std::size_t> order;
    std::function<void(std::size_t)> visit = [&](std::size_t index) {
      if (state[index] != State::kNew) return;  // done, or a cycle: keep the file's order
      state[index] = State::kVisiting;
      for (std::size_t first : NeededFirst(lib_.types[index])) visit(first);
      state[index] = State::kDone;
      order.push_back(index);
    };
    for (std::size_t i = 0; i < lib_.types.size(); ++i) visit(i);
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

  void AttributeBlock(const std::string& indent, const std::vector<std::string>& attributes) {
    if (attributes.empty()) return;
    out_ += indent + "[\n";
    for (std::size_t i = 0; i < attributes.size(); ++i) {
      out_ += indent + "  " + attributes[i] + (i + 1 < attributes.size() ? ",\n" : "\n");
    }
    out_ += indent + "]\n";
  }

  void AddCustom(std::vector<std::string>& attributes, const std::vector<CustomData>& custom) {
    for (const auto& item : custom) {
      std::string value = ValueLiteral(item.value);
      if (value.empty()) continue;  // IDL has no way to write this value
      attributes.push_back("custom(" + GuidText(item.guid) + ", " + value + ")");
    }
  }

  void AddHelp(std::vector<std::string>& attributes, const std::string& helpString, std::uint32_t helpContext,
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

  std::string TypeName(const TypeDesc& type) const { return TypeDescText(WithoutArray(type)); }

  std::string Declaration(const TypeDesc& type, const std::string& name) const {
    return TypeName(type) + " " + name + ArrayBoundsText(type);
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
    if (!attributes.empty()) out_ += "[" + Join(attributes, ", ") + "]\n" + kIndent;
  }

  void Enum(const TypeInfo& type) {
    TypedefHead(type, TypeAttributes(type));
    out_ += "enum {\n";
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
    out_ += type.kind == TypeKind::kUnion ? "union {\n" : "struct {\n";
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

  void Dispinterface(const TypeInfo& type) {
    AttributeBlock(kIndent, TypeAttributes(type));
    out_ += std::string(kIndent) + "dispinterface " + type.name + " {\n";
    out_ += std::string(kIndent) + "properties:\n";
    for (const auto& v : type.variables) Property(v);
    out_ += std::string(kIndent) + "methods:\n";
    for (const auto& function : type.functions) Method(function, false);
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
    std::vector<std::string> attributes;
    attributes.push_back("id(" + Hex8(static_cast<std::uint32_t>(v.memberId)) + ")");
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
    out_ += std::string(kMemberIndent) + "[" + Join(attributes, ", ") + "]\n";
    out_ += std::string(kMemberIndent) + Declaration(v.type, v.name) + ";\n";
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
    std::vector<std::string> attributes;
    if (inModule) {
      if (f.entryOrdinal) {
        attributes.push_back("entry(" + std::to_string(*f.entryOrdinal) + ")");
      } else if (!f.entryName.empty()) {
        attributes.push_back("entry(" + QuotedString(f.entryName) + ")");
      }
    } else {
      attributes.push_back("id(" + Hex8(static_cast<std::uint32_t>(f.memberId)) + ")");
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
    if (!attributes.empty()) out_ += std::string(kMemberIndent) + "[" + Join(attributes, ", ") + "]\n";
    out_ += std::string(kMemberIndent) + TypeName(f.returnType) + " ";
    if (const char* keyword = CallConvKeyword(f.callConv)) out_ += std::string(keyword) + " ";
    out_ += f.name + "(";
    std::vector<std::string> params;
    for (std::size_t i = 0; i < f.params.size(); ++i) params.push_back(Parameter(f.params[i], i));
    if (params.empty()) {
      out_ += ");\n";
    } else if (params.size() == 1) {
      out_ += params.front() + ");\n";
    } else {
      std::string separator = std::string(",\n") + kMemberIndent + "        ";
      out_ += "\n" + std::string(kMemberIndent) + "        " + Join(params, separator.c_str()) + ");\n";
    }
  }

  std::string Parameter(const Param& p, std::size_t index) const {
    std::vector<std::string> attributes;
    AddFlags(attributes, p.flags,
             {{kParamFlagIn, "in"},
              {kParamFlagOut, "out"},
              {kParamFlagLcid, "lcid"},
              {kParamFlagRetval, "retval"},
              {kParamFlagOptional, "optional"}});
    if ((p.flags & kParamFlagHasDefault) && p.defaultValue) {
      std::string value = ValueLiteral(*p.defaultValue);
      if (!value.empty()) attributes.push_back("defaultvalue(" + value + ")");
    }
    for (const auto& item : p.custom) {
      std::string value = ValueLiteral(item.value);
      if (!value.empty()) attributes.push_back("custom(" + GuidText(item.guid) + ", " + value + ")");
    }
    std::string name = p.name.empty() ? "p" + std::to_string(index + 1) : p.name;
    std::string text = attributes.empty() ? std::string() : "[" + Join(attributes, ", ") + "] ";
    return text + Declaration(p.type, name);
  }

  const TypeLibrary& lib_;
  const IdlOptions& options_;
  std::set<std::string> localNames_;
  std::string out_;
};

}  // namespace

std::string WriteIdl(const TypeLibrary& library, const IdlOptions& options) {
  return Writer(library, options).Run();
}

}  // namespace korvane::typelib
