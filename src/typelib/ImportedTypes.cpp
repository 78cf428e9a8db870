#include "typelib/ImportedTypes.h"

#include <functional>

#include "platform/UserFiles.h"
#include "formats/TypeLibImports.h"
#include "platform/Process.h"
#include "platform/TypeLibFile.h"
#include "platform/TypeLibFolders.h"
#include "typelib/StandardOle.h"

namespace korvane::typelib {

using namespace formats;

namespace {

struct WellKnown {
  Guid guid;
  const char* name;
};

// Every automation library imports these two; their GUIDs are fixed.
const WellKnown kWellKnown[] = {
    {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}, "IUnknown"},
    {{0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}, "IDispatch"},
};

void VisitTypeDesc(TypeDesc& type, const std::function<void(TypeRef&)>& visit) {
  if (type.type == vt::kUserDefined) visit(type.ref);
  for (auto& element : type.element) VisitTypeDesc(element, visit);
}

}  // namespace

void ForEachTypeRef(TypeLibrary& library, const std::function<void(TypeRef&)>& visit) {
  for (auto& type : library.types) {
    VisitTypeDesc(type.aliasOf, visit);
    for (auto& function : type.functions) {
      VisitTypeDesc(function.returnType, visit);
      for (auto& param : function.params) VisitTypeDesc(param.type, visit);
    }
    for (auto& variable : type.variables) VisitTypeDesc(variable.type, visit);
    for (auto& impl : type.implemented) visit(impl.type);
  }
}

namespace {

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const TypeInfo* FindImportedType(const TypeRef& ref, const ImportedLibraries& imported) {
  if (ref.importIndex < 0 || static_cast<std::size_t>(ref.importIndex) >= imported.size()) return nullptr;
  const TypeLibrary* library = imported[static_cast<std::size_t>(ref.importIndex)];
  if (!library) return nullptr;
  if (ref.importTypeIndex >= 0) {
    auto index = static_cast<std::size_t>(ref.importTypeIndex);
    return index < library->types.size() ? &library->types[index] : nullptr;
  }
  for (const auto& type : library->types) {
    if (ref.typeGuid != Guid{} && type.guid == ref.typeGuid) return &type;
  }
  for (const auto& type : library->types) {
    if (!ref.name.empty() && type.name == ref.name) return &type;
  }
  return nullptr;
}

void NameImportedTypes(TypeLibrary& library, const ImportedLibraries& imported,
                       const std::function<void(TypeRef&)>& unnamed) {
  ResolveImportedTypes(library, imported);
  ForEachTypeRef(library, [&unnamed](TypeRef& ref) {
    if (ref.importIndex < 0 || !ref.name.empty()) return;
    for (const auto& known : kWellKnown) {
      if (ref.typeGuid == known.guid) ref.name = known.name;
    }
    if (ref.name.empty() && unnamed) unnamed(ref);
  });
}

std::vector<std::optional<TypeLibrary>> ReadImportedLibraries(const TypeLibrary& library,
                                                              const std::vector<std::string>& folders) {
  std::vector<std::optional<TypeLibrary>> found;
  for (const auto& import : library.imports) {
    std::optional<TypeLibrary> read;
    const std::string name = BaseName(import.fileName);
    for (const auto& folder : folders) {
      if (name.empty() || folder.empty()) break;
      std::string path = folder;
      if (path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
      path += name;
      if (!platform::IsRegularFile(path)) continue;
      auto lib = platform::ReadTypeLibraryFile(path);
      if (lib && lib->attributes.guid == import.guid) {
        read = std::move(*lib);
        break;
      }
    }
    // The standard OLE library's types are fixed: known without the file.
    if (!read && import.guid == StandardOleGuid()) read = StandardOleLibrary(library.attributes.sysKind);
    found.push_back(std::move(read));
  }
  return found;
}

std::vector<std::optional<TypeLibrary>> ReadImportedLibrariesOf(const TypeLibrary& library, const std::string& path) {
  const std::string where = platform::LocateTypeLib(path).file;
  const std::size_t slash = where.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : where.substr(0, slash + 1);
  return ReadImportedLibraries(library,
                               platform::TypeLibImportFolders(folder, library.attributes.sysKind == kSysWin64));
}

ImportedLibraries ImportedPointers(const std::vector<std::optional<TypeLibrary>>& libraries) {
  ImportedLibraries pointers;
  for (const auto& library : libraries) pointers.push_back(library ? &*library : nullptr);
  return pointers;
}

}  // namespace korvane::typelib
