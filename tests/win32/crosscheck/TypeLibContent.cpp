#include "crosscheck/TypeLibContent.h"

#include <cstdio>
#include <string>
#include <utility>

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

// What a known gap may look at besides the difference itself.
struct Context {
  const TypeLibrary& ours;
  int unresolvedByLoader;  // references the loader could not follow, not yet matched with a difference
};

// Pointer sizes of the library's platform and of this process, when they
// differ (a library of the other processor type); 0 and 0 otherwise.
std::pair<unsigned, unsigned> ForeignPointers(const TypeLibrary& ours) {
  const unsigned library = ours.attributes.sysKind == formats::kSysWin64 ? 8 : 4;
  const unsigned process = sizeof(void*);
  return library == process ? std::pair(0u, 0u) : std::pair(library, process);
}

// A difference that comes from the loader, not from the file: Wine's loader
// is an implementation with gaps of its own. Each entry says why; the first
// library of a difference is the loader's, the second ours.
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
    {"a library of the other processor type: the loader gives vtable offsets in this process's pointer size",
     [](const typelib::Difference& d, Context& c) {
       const auto [library, process] = ForeignPointers(c.ours);
       return library != 0 && d.field == "vtable offset" &&
              std::stoll(d.first) * library == std::stoll(d.second) * process;
     }},
    {"a 32-bit library in a 64-bit process: Wine's loader gives pointer-sized types its own pointer size and "
     "alignment",
     [](const typelib::Difference& d, Context& c) {
       const auto [library, process] = ForeignPointers(c.ours);
       return library == 4 && process == 8 && (d.field == "instance size" || d.field == "alignment") &&
              d.first == "8" && d.second == "4";
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
       const std::string self = "imported from " + typelib::GuidText(c.ours.attributes.guid);
       return d.field == "type" && d.first.find("(local") != std::string::npos &&
              d.second.find(self) != std::string::npos;
     }},
};

const TypeInfo* Partner(const TypeLibrary& lib, const TypeInfo& type) {
  for (const TypeInfo& t : lib.types) {
    if (t.kind == type.kind && t.name == type.name) return &t;
  }
  return nullptr;
}

// Calls visit(loader's, ours) on the type references that stand at the same
// place of both libraries (types, members and parameters by position, type
// descriptions at any depth, implemented types).
template <typename Visit>
void PairRefsIn(formats::TypeDesc& windows, const formats::TypeDesc& ours, Visit& visit) {
  if (windows.type == formats::vt::kUserDefined && ours.type == formats::vt::kUserDefined) {
    visit(windows.ref, ours.ref);
  }
  for (std::size_t i = 0; i < windows.element.size() && i < ours.element.size(); ++i) {
    PairRefsIn(windows.element[i], ours.element[i], visit);
  }
}

template <typename Visit>
void PairRefs(TypeLibrary& windows, const TypeLibrary& ours, Visit visit) {
  for (std::size_t t = 0; t < windows.types.size() && t < ours.types.size(); ++t) {
    TypeInfo& w = windows.types[t];
    const TypeInfo& o = ours.types[t];
    PairRefsIn(w.aliasOf, o.aliasOf, visit);
    for (std::size_t f = 0; f < w.functions.size() && f < o.functions.size(); ++f) {
      PairRefsIn(w.functions[f].returnType, o.functions[f].returnType, visit);
      const auto& params = o.functions[f].params;
      for (std::size_t p = 0; p < w.functions[f].params.size() && p < params.size(); ++p) {
        PairRefsIn(w.functions[f].params[p].type, params[p].type, visit);
      }
    }
    for (std::size_t v = 0; v < w.variables.size() && v < o.variables.size(); ++v) {
      PairRefsIn(w.variables[v].type, o.variables[v].type, visit);
    }
    for (std::size_t i = 0; i < w.implemented.size() && i < o.implemented.size(); ++i) {
      visit(w.implemented[i].type, o.implemented[i].type);
    }
  }
}

struct References {
  int unresolvedByLoader = 0;  // GetRefTypeInfo failed: neither local nor imported
  int namesForgotten = 0;
};

// Imported types are stored by GUID or position only; their names come from
// opening the other library. Where our reader found no such library to name
// one, the loader's name is set aside and the reference compares by library
// and GUID.
References ComparableReferences(TypeLibrary& windows, const TypeLibrary& ours) {
  References r;
  PairRefs(windows, ours, [&r](formats::TypeRef& w, const formats::TypeRef& o) {
    if (w.localIndex < 0 && w.importIndex < 0) ++r.unresolvedByLoader;
    if (w.importIndex >= 0 && o.name.empty() && !w.name.empty()) {
      w.name.clear();
      ++r.namesForgotten;
    }
  });
  return r;
}

// True when the loader's names and help for a function are those of the
// earlier function with the same member id (earlier: as our reader read it).
bool EchoesEarlier(const formats::Function& loaders, const formats::Function& earlier) {
  for (std::size_t p = 0; p < loaders.params.size(); ++p) {
    const std::string expected = p < earlier.params.size() ? earlier.params[p].name : std::string();
    if (loaders.params[p].name != expected) return false;
  }
  return loaders.helpString == earlier.helpString && loaders.helpContext == earlier.helpContext &&
         loaders.helpStringContext == earlier.helpStringContext;
}

// What the loader has no way to show is taken from our side, counted:
// - the import table as stored: the loader only leads to the libraries that
//   references reach, and never names their files;
// - a function sharing its member id with an earlier one (a property's put
//   after its get): names and help are asked for by member id, so the loader
//   answers with the earlier function's (checked before it is set aside).
void TakeUnobservable(ContentTally& tally, TypeLibrary& windows, const TypeLibrary& ours) {
  int& imports = tally.unobservable["imports: stored file names, imports no reference reaches"];
  int& sharedIds = tally.unobservable["functions sharing a member id with an earlier one: names and help"];
  for (const formats::ImportedLibrary& stored : ours.imports) {
    bool found = false;
    for (formats::ImportedLibrary& reached : windows.imports) {
      if (reached.guid != stored.guid) continue;
      found = true;
      if (reached.fileName != stored.fileName) {
        reached.fileName = stored.fileName;
        ++imports;
      }
    }
    if (!found) {
      windows.imports.push_back(stored);
      ++imports;
    }
  }
  for (TypeInfo& type : windows.types) {
    const TypeInfo* partner = Partner(ours, type);
    if (partner == nullptr) continue;
    for (std::size_t f = 1; f < type.functions.size() && f < partner->functions.size(); ++f) {
      std::size_t first = 0;
      while (first < f && type.functions[first].memberId != type.functions[f].memberId) ++first;
      if (first == f) continue;
      // Only where the loader's answer is the earlier function's, as we
      // read that one: anything else stays a difference.
      formats::Function& fn = type.functions[f];
      if (!EchoesEarlier(fn, partner->functions[first])) continue;
      const formats::Function& read = partner->functions[f];
      for (std::size_t p = 0; p < fn.params.size() && p < read.params.size(); ++p) {
        fn.params[p].name = read.params[p].name;
      }
      fn.helpString = read.helpString;
      fn.helpContext = read.helpContext;
      fn.helpStringContext = read.helpStringContext;
      ++sharedIds;
    }
  }
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
  // Imported types named from their own libraries, as the loader does.
  if (ours) platform::ResolveImportedTypes(*ours, pathUtf8, '\\');
  if (!windows || !ours) {
    ++tally.differences;
    std::printf("DIFF\t%s\tcontent loads\twindows=[%s]\tours=[%s]\n", pathUtf8.c_str(),
                windows ? "yes" : windows.error().message.c_str(), ours ? "yes" : ours.error().message.c_str());
    return;
  }
  TakeRefused(tally, pathUtf8, refused, *windows, *ours);
  const References references = ComparableReferences(*windows, *ours);
  Context context{*ours, references.unresolvedByLoader};
  TakeUnobservable(tally, *windows, *ours);
  tally.unobservable["names of imported types our reader found no library for"] += references.namesForgotten;

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
