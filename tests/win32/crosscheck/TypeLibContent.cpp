#include "crosscheck/TypeLibContent.h"

#include <cstdio>

#include "formats/TypeLibModel.h"
#include "platform/TypeLibFile.h"
#include "platform/win32/TypeLibLoader.h"
#include "typelib/TypeLibCompare.h"
#include "typelib/TypeText.h"

namespace korvane::crosscheck {

namespace {

using formats::TypeInfo;
using formats::TypeLibrary;

// The type a difference's path starts with ("type NAME: ..."), in our model.
const TypeInfo* TypeOf(const typelib::Difference& d, const TypeLibrary& ours) {
  const std::string head = "type ";
  if (d.path.compare(0, head.size(), head) != 0) return nullptr;
  const std::size_t end = d.path.find(':', head.size());
  const std::string name = d.path.substr(head.size(), end == std::string::npos ? std::string::npos : end - head.size());
  for (const TypeInfo& t : ours.types) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

bool OfDispinterface(const typelib::Difference& d, const TypeLibrary& ours) {
  const TypeInfo* type = TypeOf(d, ours);
  return type != nullptr && type->kind == formats::TypeKind::kDispatch;
}

// A difference that comes from the loader, not from the file: Wine's loader
// is an implementation with gaps of its own. Each entry says why; the first
// library of a difference is the loader's, the second ours.
struct Context {
  const TypeLibrary& ours;
  int unresolvedByLoader;  // references the loader could not follow, not yet matched with a difference
};

struct KnownGap {
  const char* reason;
  bool (*matches)(const typelib::Difference&, Context&);
};

const KnownGap kKnownGaps[] = {
    {"the loader adds LIBFLAG_FHASDISKIMAGE (0x8) to the library flags of a library it read from a file",
     [](const typelib::Difference& d, Context& c) {
       return d.path == "library" && d.field == "flags" &&
              d.first == typelib::HexText(c.ours.attributes.libFlags | 0x8u);
     }},
    {"Wine's loader gives every function of a dispinterface vtable offset 0, whatever the file stores",
     [](const typelib::Difference& d, Context& c) {
       return d.field == "vtable offset" && d.first == "0" && OfDispinterface(d, c.ours);
     }},
    {"Wine's loader gives a dispinterface the vtable size of IDispatch (7 methods), whatever the file stores",
     [](const typelib::Difference& d, Context& c) {
       return d.field == "vtable size" && d.first == std::to_string(7 * sizeof(void*)) && OfDispinterface(d, c.ours);
     }},
    {"Wine's GetRefTypeInfo fails on a reference the file resolves to a type of its own",
     [](const typelib::Difference& d, Context& c) {
       // The loader's side shows an unresolved name ("?"), ours a real one;
       // at most one such difference per reference the loader left unresolved.
       const bool matches = (d.field == "type" || d.field == "return type" || d.field == "alias of") &&
                            d.first.find('?') != std::string::npos && d.second.find('?') == std::string::npos;
       if (!matches || c.unresolvedByLoader == 0) return false;
       --c.unresolvedByLoader;
       return true;
     }},
    {"the library imports itself: the file reaches some of its own types through its import table, the loader "
     "finds them in the library",
     [](const typelib::Difference& d, Context& c) {
       bool importsItself = false;
       for (const formats::ImportedLibrary& import : c.ours.imports) {
         importsItself = importsItself || import.guid == c.ours.attributes.guid;
       }
       return importsItself && d.field == "type" && d.second.find('?') != std::string::npos &&
              d.first.find('?') == std::string::npos;
     }},
};

const TypeInfo* Partner(const TypeLibrary& lib, const TypeInfo& type) {
  for (const TypeInfo& t : lib.types) {
    if (t.kind == type.kind && t.name == type.name) return &t;
  }
  return nullptr;
}

// Calls visit on every type reference of a library: in type descriptions
// (at any depth) and in implemented types.
template <typename Desc, typename Visit>
void ForEachRefIn(Desc& desc, Visit& visit) {
  if (desc.type == formats::vt::kUserDefined) visit(desc.ref);
  for (auto& element : desc.element) ForEachRefIn(element, visit);
}

template <typename Library, typename Visit>
void ForEachRef(Library& lib, Visit visit) {
  for (auto& type : lib.types) {
    ForEachRefIn(type.aliasOf, visit);
    for (auto& fn : type.functions) {
      ForEachRefIn(fn.returnType, visit);
      for (auto& param : fn.params) ForEachRefIn(param.type, visit);
    }
    for (auto& var : type.variables) ForEachRefIn(var.type, visit);
    for (auto& impl : type.implemented) visit(impl.type);
  }
}

// References the loader could not follow (GetRefTypeInfo failing): neither
// local nor imported.
int CountUnresolved(const TypeLibrary& lib) {
  int n = 0;
  ForEachRef(lib, [&n](const formats::TypeRef& ref) { n += ref.localIndex < 0 && ref.importIndex < 0 ? 1 : 0; });
  return n;
}

// Imported types are stored by GUID (or position) only; their names come
// from opening the other library, which the loader does and our reader does
// not. Such references compare by library and GUID.
int ForgetImportedNames(TypeLibrary& lib) {
  int forgotten = 0;
  ForEachRef(lib, [&forgotten](formats::TypeRef& ref) {
    if (ref.importIndex < 0 || ref.name.empty()) return;
    ref.name.clear();
    ++forgotten;
  });
  return forgotten;
}

// What the loader has no way to show is taken from our side, counted:
// - the import table as stored: the loader only leads to the libraries that
//   references reach, and never names their files;
// - a function sharing its member id with an earlier one (a property's put
//   after its get): names and help are asked for by member id, so the loader
//   answers with the earlier function's.
int TakeUnobservable(TypeLibrary& windows, const TypeLibrary& ours) {
  int taken = 0;
  for (const formats::ImportedLibrary& stored : ours.imports) {
    bool found = false;
    for (formats::ImportedLibrary& reached : windows.imports) {
      if (reached.guid != stored.guid) continue;
      found = true;
      if (reached.fileName != stored.fileName) {
        reached.fileName = stored.fileName;
        ++taken;
      }
    }
    if (!found) {
      windows.imports.push_back(stored);
      ++taken;
    }
  }
  for (TypeInfo& type : windows.types) {
    const TypeInfo* partner = Partner(ours, type);
    if (partner == nullptr) continue;
    for (std::size_t f = 1; f < type.functions.size() && f < partner->functions.size(); ++f) {
      formats::Function& fn = type.functions[f];
      bool shared = false;
      for (std::size_t e = 0; e < f; ++e) shared = shared || type.functions[e].memberId == fn.memberId;
      if (!shared) continue;
      const formats::Function& read = partner->functions[f];
      for (std::size_t p = 0; p < fn.params.size() && p < read.params.size(); ++p) {
        fn.params[p].name = read.params[p].name;
      }
      fn.helpString = read.helpString;
      fn.helpContext = read.helpContext;
      fn.helpStringContext = read.helpStringContext;
      ++taken;
    }
  }
  return taken + ForgetImportedNames(windows);
}

// Members the loader would not describe: Wine's GetFuncDesc fails with
// DISP_E_BADVARTYPE on functions whose default values it cannot copy. They
// stand as placeholders in the loader's result; ours take their place and
// each is counted as a known gap.
void TakeRefused(ContentTally& tally, const std::string& path, const std::vector<platform::RefusedMember>& refused,
                 TypeLibrary& windows, const TypeLibrary& ours) {
  for (const platform::RefusedMember& m : refused) {
    char reason[96];
    std::snprintf(reason, sizeof reason, "the loader refuses to describe a %s (%s failed with 0x%08lX)",
                  m.isFunction ? "function" : "variable", m.isFunction ? "GetFuncDesc" : "GetVarDesc",
                  static_cast<unsigned long>(m.hresult));
    ++tally.known[reason];
    if (m.typeIndex >= windows.types.size() || m.typeIndex >= ours.types.size()) continue;
    TypeInfo& w = windows.types[m.typeIndex];
    const TypeInfo& o = ours.types[m.typeIndex];
    std::string member = "?";
    if (m.isFunction && m.memberIndex < w.functions.size() && m.memberIndex < o.functions.size()) {
      w.functions[m.memberIndex] = o.functions[m.memberIndex];
      member = o.functions[m.memberIndex].name;
    } else if (!m.isFunction && m.memberIndex < w.variables.size() && m.memberIndex < o.variables.size()) {
      w.variables[m.memberIndex] = o.variables[m.memberIndex];
      member = o.variables[m.memberIndex].name;
    }
    std::printf("KNOWN\t%s\t%s\ttype %s: %s %s\n", path.c_str(), reason, o.name.c_str(),
                m.isFunction ? "function" : "variable", member.c_str());
  }
}

const char* KnownReason(const typelib::Difference& d, Context& context) {
  for (const KnownGap& gap : kKnownGaps) {
    if (gap.matches(d, context)) return gap.reason;
  }
  return nullptr;
}

bool Concerns(const typelib::Difference& d, const std::string& typeName) {
  const std::string head = "type " + typeName;
  return d.path.compare(0, head.size(), head) == 0 &&
         (d.path.size() == head.size() || d.path[head.size()] == ':' || d.path[head.size()] == ' ');
}

}  // namespace

void CompareTypeLibraryContent(ContentTally& tally, const std::string& pathUtf8, bool verbose) {
  ++tally.libraries;
  std::vector<platform::RefusedMember> refused;
  auto windows = platform::LoadTypeLibraryWithWindows(pathUtf8, &refused);
  auto ours = platform::ReadTypeLibraryFile(pathUtf8, '\\');
  if (!windows || !ours) {
    ++tally.differences;
    std::printf("DIFF\t%s\tcontent loads\twindows=[%s]\tours=[%s]\n", pathUtf8.c_str(),
                windows ? "yes" : windows.error().message.c_str(), ours ? "yes" : ours.error().message.c_str());
    return;
  }
  TakeRefused(tally, pathUtf8, refused, *windows, *ours);
  Context context{*ours, CountUnresolved(*windows)};
  tally.unobservable += TakeUnobservable(*windows, *ours);

  for (const TypeInfo& type : ours->types) {
    tally.functions += static_cast<long>(type.functions.size());
    tally.variables += static_cast<long>(type.variables.size());
    for (const formats::Function& fn : type.functions) tally.params += static_cast<long>(fn.params.size());
  }
  tally.types += static_cast<long>(ours->types.size());

  typelib::CompareOptions options;
  options.ignoreFormat = true;  // the loader does not say which format it read
  const auto differences = typelib::FindDifferences(*windows, *ours, options);
  int unexplained = 0;
  for (const typelib::Difference& d : differences) {
    if (const char* reason = KnownReason(d, context)) {
      ++tally.known[reason];
      std::printf("KNOWN\t%s\t%s\t%s\n", pathUtf8.c_str(), reason, d.Text().c_str());
    } else {
      ++unexplained;
      std::printf("DIFF\t%s\tcontent\t%s\n", pathUtf8.c_str(), d.Text().c_str());
    }
  }
  tally.differences += unexplained;
  if (unexplained == 0) ++tally.librariesExplained;
  if (differences.empty()) {
    ++tally.librariesAgreeing;
    if (verbose) std::printf("SAME\t%s\tcontent\t%zu types\n", pathUtf8.c_str(), ours->types.size());
  }
  for (const TypeInfo& type : ours->types) {
    bool agrees = true;
    for (const typelib::Difference& d : differences) agrees = agrees && !Concerns(d, type.name);
    if (agrees) ++tally.typesAgreeing;
  }
}

}  // namespace korvane::crosscheck
