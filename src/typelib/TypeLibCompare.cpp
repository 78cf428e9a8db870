#include "typelib/TypeLibCompare.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>

#include "typelib/TypeText.h"

namespace korvane::typelib {

using namespace formats;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string VersionText(std::uint16_t major, std::uint16_t minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

std::string FuncKindText(FuncKind kind) {
  static const char* const kNames[] = {"virtual", "purevirtual", "nonvirtual", "static", "dispatch"};
  auto index = static_cast<std::size_t>(kind);
  return index < std::size(kNames) ? kNames[index] : std::to_string(index);
}

std::string VarKindText(VarKind kind) {
  static const char* const kNames[] = {"perinstance", "static", "const", "dispatch"};
  auto index = static_cast<std::size_t>(kind);
  return index < std::size(kNames) ? kNames[index] : std::to_string(index);
}

std::string CallConvText(CallConv conv) {
  static const char* const kNames[] = {"fastcall", "cdecl",   "pascal",   "macpascal", "stdcall",
                                       "fpfastcall", "syscall", "mpwcdecl", "mpwpascal"};
  auto index = static_cast<std::size_t>(conv);
  return index < std::size(kNames) ? kNames[index] : std::to_string(index);
}

std::string OptionalText(const std::optional<Value>& value) {
  return value ? ValueDescription(*value) : std::string("none");
}

// Pairs the items of two lists that have the same key, each item at most
// once, in the first list's order; items without a partner pair with -1.
std::vector<std::pair<int, int>> PairByKey(const std::vector<std::string>& first,
                                          const std::vector<std::string>& second) {
  std::vector<std::pair<int, int>> pairs;
  std::vector<bool> used(second.size(), false);
  for (std::size_t i = 0; i < first.size(); ++i) {
    int partner = -1;
    for (std::size_t j = 0; j < second.size(); ++j) {
      if (!used[j] && second[j] == first[i]) {
        partner = static_cast<int>(j);
        used[j] = true;
        break;
      }
    }
    pairs.emplace_back(static_cast<int>(i), partner);
  }
  for (std::size_t j = 0; j < second.size(); ++j) {
    if (!used[j]) pairs.emplace_back(-1, static_cast<int>(j));
  }
  return pairs;
}

class Comparer {
 public:
  Comparer(const TypeLibrary& a, const TypeLibrary& b, const CompareOptions& options)
      : a_(a), b_(b), options_(options) {}

  std::vector<Difference> Run() {
    Library();
    Types();
    return std::move(differences_);
  }

 private:
  void Add(const std::string& path, const std::string& field, std::string first, std::string second) {
    differences_.push_back(Difference{path, field, std::move(first), std::move(second)});
  }

  void Missing(const std::string& path, bool inFirst) {
    Add(path, {}, inFirst ? "present" : "", inFirst ? "" : "present");
  }

  template <typename T, typename Format>
  void Field(const std::string& path, const char* field, const T& x, const T& y, Format format) {
    if (!(x == y)) Add(path, field, format(x), format(y));
  }

  void Text(const std::string& path, const char* field, const std::string& x, const std::string& y) {
    if (x != y) Add(path, field, DisplayString(x), DisplayString(y));
  }

  void Name(const std::string& path, const std::string& x, const std::string& y) {
    if (options_.ignoreNameCase ? Lower(x) != Lower(y) : x != y) Text(path, "name", x, y);
  }

  void Number(const std::string& path, const char* field, std::int64_t x, std::int64_t y) {
    if (x != y) Add(path, field, std::to_string(x), std::to_string(y));
  }

  void Hex(const std::string& path, const char* field, std::uint64_t x, std::uint64_t y) {
    if (x != y) Add(path, field, HexText(x), HexText(y));
  }

  // Pairs the items of two lists by key. An item on one side only is
  // reported at missingPath(item); each pair goes to compare(x, y, i, j).
  template <typename T, typename Key, typename MissingPath, typename Compare>
  void Paired(const std::vector<T>& a, const std::vector<T>& b, Key key, MissingPath missingPath, Compare compare) {
    auto keys = [&](const std::vector<T>& list) {
      std::vector<std::string> out;
      for (const auto& item : list) out.push_back(key(item));
      return out;
    };
    for (auto [i, j] : PairByKey(keys(a), keys(b))) {
      if (i < 0 || j < 0) {
        Missing(missingPath(i >= 0 ? a[static_cast<std::size_t>(i)] : b[static_cast<std::size_t>(j)]), i >= 0);
        continue;
      }
      compare(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(j)], i, j);
    }
  }

  // The help string and contexts of a type, function or variable.
  template <typename T>
  void Help(const std::string& path, const T& x, const T& y) {
    Text(path, "help string", x.helpString, y.helpString);
    Number(path, "help context", x.helpContext, y.helpContext);
    Number(path, "help string context", x.helpStringContext, y.helpStringContext);
  }

  void Versions(const std::string& path, std::uint16_t majorX, std::uint16_t minorX, std::uint16_t majorY,
                std::uint16_t minorY) {
    if (majorX != majorY || minorX != minorY) Add(path, "version", VersionText(majorX, minorX), VersionText(majorY, minorY));
  }

  void Library() {
    const std::string path = "library";
    const auto& x = a_.attributes;
    const auto& y = b_.attributes;
    if (!options_.ignoreFormat) {
      Field(path, "format", x.format, y.format,
            [](TypeLibFormat f) { return std::string(f == TypeLibFormat::Msft ? "MSFT" : "SLTG"); });
    }
    Name(path, x.name, y.name);
    Text(path, "help string", x.helpString, y.helpString);
    Text(path, "help file", x.helpFile, y.helpFile);
    Field(path, "uuid", x.guid, y.guid, GuidText);
    Versions(path, x.majorVersion, x.minorVersion, y.majorVersion, y.minorVersion);
    Hex(path, "lcid", x.lcid, y.lcid);
    Number(path, "platform", x.sysKind, y.sysKind);
    Hex(path, "flags", x.libFlags, y.libFlags);
    Number(path, "help context", a_.helpContext, b_.helpContext);
    Number(path, "help string context", a_.helpStringContext, b_.helpStringContext);
    Text(path, "help string dll", a_.helpStringDll, b_.helpStringDll);
    Imports();
    if (!options_.ignoreLibraryCustomData) Custom(path, a_.custom, b_.custom);
  }

  void Imports() {
    auto path = [](const ImportedLibrary& import) {
      return "library: import " + GuidText(import.guid) + " (" + import.fileName + ")";
    };
    Paired(
        a_.imports, b_.imports, [](const ImportedLibrary& import) { return GuidText(import.guid); }, path,
        [&](const ImportedLibrary& x, const ImportedLibrary& y, int, int) {
          Versions(path(x), x.majorVersion, x.minorVersion, y.majorVersion, y.minorVersion);
          Hex(path(x), "lcid", x.lcid, y.lcid);
          Text(path(x), "file name", x.fileName, y.fileName);
        });
  }

  void Custom(const std::string& path, const std::vector<CustomData>& x, const std::vector<CustomData>& y) {
    auto where = [&](const CustomData& item) { return path + ": custom " + GuidText(item.guid); };
    Paired(
        x, y, [](const CustomData& item) { return GuidText(item.guid); }, where,
        [&](const CustomData& first, const CustomData& second, int, int) {
          Field(where(first), "value", first.value, second.value, ValueDescription);
        });
  }

  // Where a referenced type lives: this library, or an imported one by GUID.
  std::string RefOrigin(const TypeLibrary& lib, const TypeRef& ref) const {
    if (ref.localIndex >= 0) return "local";
    if (ref.importIndex >= 0 && static_cast<std::size_t>(ref.importIndex) < lib.imports.size()) {
      return "imported from " + GuidText(lib.imports[static_cast<std::size_t>(ref.importIndex)].guid);
    }
    return "unresolved";
  }

  std::string RefDescription(const TypeLibrary& lib, const TypeRef& ref) const {
    std::string text = RefOrigin(lib, ref);
    if (!IsZeroGuid(ref.typeGuid)) text += ", " + GuidText(ref.typeGuid);
    if (ref.importTypeIndex >= 0) text += ", type " + std::to_string(ref.importTypeIndex);
    return text;
  }

  bool SameRef(const TypeRef& x, const TypeRef& y) const {
    if (options_.ignoreNameCase ? Lower(x.name) != Lower(y.name) : x.name != y.name) return false;
    if (!IsZeroGuid(x.typeGuid) && !IsZeroGuid(y.typeGuid) && x.typeGuid != y.typeGuid) return false;
    if (x.importTypeIndex >= 0 && y.importTypeIndex >= 0 && x.importTypeIndex != y.importTypeIndex) return false;
    return RefOrigin(a_, x) == RefOrigin(b_, y);
  }

  bool SameTypeDesc(const TypeDesc& x, const TypeDesc& y) const {
    if (x.type != y.type || x.bounds != y.bounds || x.element.size() != y.element.size()) return false;
    for (std::size_t i = 0; i < x.element.size(); ++i) {
      if (!SameTypeDesc(x.element[i], y.element[i])) return false;
    }
    return x.type != vt::kUserDefined || SameRef(x.ref, y.ref);
  }

  static const TypeRef* InnermostRef(const TypeDesc& type) {
    const TypeDesc* current = &type;
    while (current->element.size() == 1) current = &current->element.front();
    return current->type == vt::kUserDefined ? &current->ref : nullptr;
  }

  void Type(const std::string& path, const char* field, const TypeDesc& x, const TypeDesc& y) {
    if (SameTypeDesc(x, y)) return;
    std::string first = TypeDescText(x);
    std::string second = TypeDescText(y);
    if (first == second) {
      // Same spelling, different target: say where each one points.
      const TypeRef* refX = InnermostRef(x);
      const TypeRef* refY = InnermostRef(y);
      if (refX) first += " (" + RefDescription(a_, *refX) + ")";
      if (refY) second += " (" + RefDescription(b_, *refY) + ")";
    }
    Add(path, field, first, second);
  }

  void Types() {
    Paired(
        a_.types, b_.types, [](const TypeInfo& type) { return TypeKindName(type.kind) + " " + Lower(type.name); },
        [](const TypeInfo& type) { return "type " + type.name + " (" + TypeKindName(type.kind) + ")"; },
        [&](const TypeInfo& x, const TypeInfo& y, int i, int j) {
          const std::string path = "type " + x.name;
          if (!options_.ignoreTypeOrder) Number(path, "index", i, j);
          TypeAttributes(path, x, y);
          Functions(path, x, y);
          Variables(path, x, y);
          Implemented(path, x, y);
        });
  }

  void TypeAttributes(const std::string& path, const TypeInfo& x, const TypeInfo& y) {
    Name(path, x.name, y.name);
    Field(path, "uuid", x.guid, y.guid, GuidText);
    Hex(path, "flags", x.flags, y.flags);
    Versions(path, x.majorVersion, x.minorVersion, y.majorVersion, y.minorVersion);
    Help(path, x, y);
    if (!options_.ignoreLayout) {
      Number(path, "instance size", x.instanceSize, y.instanceSize);
      Number(path, "vtable size", x.vtableSize, y.vtableSize);
      Number(path, "alignment", x.alignment, y.alignment);
    }
    Type(path, "alias of", x.aliasOf, y.aliasOf);
    Text(path, "dll name", x.dllName, y.dllName);
    Custom(path, x.custom, y.custom);
  }

  static std::string FunctionPath(const std::string& typePath, const Function& function) {
    std::string path = typePath + ": function " + function.name;
    if (function.invokeKind != InvokeKind::kFunc) path += " (" + InvokeKindName(function.invokeKind) + ")";
    return path;
  }

  void Functions(const std::string& typePath, const TypeInfo& a, const TypeInfo& b) {
    Paired(
        a.functions, b.functions, [](const Function& f) { return Lower(f.name) + " " + InvokeKindName(f.invokeKind); },
        [&](const Function& f) { return FunctionPath(typePath, f); },
        [&](const Function& x, const Function& y, int i, int j) {
          const std::string path = FunctionPath(typePath, x);
          if (!options_.ignoreMemberOrder) Number(path, "position", i, j);
          Name(path, x.name, y.name);
          Hex(path, "id", static_cast<std::uint32_t>(x.memberId), static_cast<std::uint32_t>(y.memberId));
          Field(path, "function kind", x.funcKind, y.funcKind, FuncKindText);
          Field(path, "calling convention", x.callConv, y.callConv, CallConvText);
          if (!options_.ignoreLayout) Number(path, "vtable offset", x.vtableOffset, y.vtableOffset);
          Hex(path, "flags", x.flags, y.flags);
          Number(path, "optional params", x.optionalParams, y.optionalParams);
          Type(path, "return type", x.returnType, y.returnType);
          Help(path, x, y);
          Text(path, "entry", x.entryName, y.entryName);
          Field(path, "entry ordinal", x.entryOrdinal, y.entryOrdinal, [](const std::optional<std::uint16_t>& o) {
            return o ? std::to_string(*o) : std::string("none");
          });
          Custom(path, x.custom, y.custom);
          Params(path, x.params, y.params);
        });
  }

  void Params(const std::string& functionPath, const std::vector<Param>& a, const std::vector<Param>& b) {
    Number(functionPath, "param count", static_cast<std::int64_t>(a.size()), static_cast<std::int64_t>(b.size()));
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
      const auto& x = a[i];
      const auto& y = b[i];
      const std::string path = functionPath + ": param " + std::to_string(i + 1) + " (" + x.name + ")";
      Name(path, x.name, y.name);
      Type(path, "type", x.type, y.type);
      Hex(path, "flags", x.flags, y.flags);
      Field(path, "default value", x.defaultValue, y.defaultValue, OptionalText);
      Custom(path, x.custom, y.custom);
    }
  }

  void Variables(const std::string& typePath, const TypeInfo& a, const TypeInfo& b) {
    Paired(
        a.variables, b.variables, [](const Variable& v) { return Lower(v.name); },
        [&](const Variable& v) { return typePath + ": variable " + v.name; },
        [&](const Variable& x, const Variable& y, int i, int j) {
          const std::string path = typePath + ": variable " + x.name;
          if (!options_.ignoreMemberOrder) Number(path, "position", i, j);
          Name(path, x.name, y.name);
          Hex(path, "id", static_cast<std::uint32_t>(x.memberId), static_cast<std::uint32_t>(y.memberId));
          Field(path, "variable kind", x.varKind, y.varKind, VarKindText);
          Hex(path, "flags", x.flags, y.flags);
          Type(path, "type", x.type, y.type);
          Field(path, "value", x.value, y.value, OptionalText);
          if (!options_.ignoreLayout) Number(path, "offset", x.offset, y.offset);
          Help(path, x, y);
          Custom(path, x.custom, y.custom);
        });
  }

  void Implemented(const std::string& typePath, const TypeInfo& a, const TypeInfo& b) {
    Number(typePath, "implemented count", static_cast<std::int64_t>(a.implemented.size()),
           static_cast<std::int64_t>(b.implemented.size()));
    for (std::size_t i = 0; i < std::min(a.implemented.size(), b.implemented.size()); ++i) {
      const auto& x = a.implemented[i];
      const auto& y = b.implemented[i];
      const std::string path = typePath + ": implemented " + std::to_string(i + 1) + " (" + x.type.name + ")";
      TypeDesc refX{vt::kUserDefined, {}, {}, x.type};
      TypeDesc refY{vt::kUserDefined, {}, {}, y.type};
      Type(path, "type", refX, refY);
      Hex(path, "flags", x.flags, y.flags);
      Custom(path, x.custom, y.custom);
    }
  }

  const TypeLibrary& a_;
  const TypeLibrary& b_;
  const CompareOptions& options_;
  std::vector<Difference> differences_;
};

}  // namespace

std::string Difference::Text() const {
  if (field.empty()) return path + (second.empty() ? ": only in the first library" : ": only in the second library");
  return path + ": " + field + " " + first + " vs " + second;
}

std::vector<Difference> FindDifferences(const TypeLibrary& a, const TypeLibrary& b, const CompareOptions& options) {
  return Comparer(a, b, options).Run();
}

std::vector<std::string> CompareTypeLibraries(const TypeLibrary& a, const TypeLibrary& b,
                                              const CompareOptions& options) {
  std::vector<std::string> lines;
  for (const auto& difference : FindDifferences(a, b, options)) lines.push_back(difference.Text());
  return lines;
}

}  // namespace korvane::typelib
