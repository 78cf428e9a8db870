// Type-library reader and info grid. Raw bytes are read as MSFT/SLTG data,
// written as IDL and JSON, and shown in a grid; a PE image is written to a file that the inspector shows
// (its first TYPELIB resource) and compares with its resource 2.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>

#include <unistd.h>

#include "formats/TypeLib.h"
#include "formats/TypeLibModel.h"
#include "inspection/FlexGrid.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "typelib/IdlWriter.h"
#include "typelib/TypeLibJson.h"

namespace {

std::string g_file;

// A reference must name a type of the library or one of its imports.
bool RefInRange(const korvane::formats::TypeRef& ref, const korvane::formats::TypeLibrary& lib) {
  return ref.localIndex < static_cast<int>(lib.types.size()) && ref.importIndex < static_cast<int>(lib.imports.size()) &&
         (ref.localIndex >= 0) != (ref.importIndex >= 0);
}

bool TypeInRange(const korvane::formats::TypeDesc& desc, const korvane::formats::TypeLibrary& lib) {
  if (desc.type == korvane::formats::vt::kUserDefined && !RefInRange(desc.ref, lib)) return false;
  for (const auto& element : desc.element) {
    if (!TypeInRange(element, lib)) return false;
  }
  return desc.element.size() <= 1;
}

// The whole library: what it holds refers only to what it has, and its
// attributes are those the header reader finds.
void CheckWholeLibrary(std::span<const std::uint8_t> data) {
  const auto lib = korvane::formats::ReadTypeLibrary(data);
  if (!lib) {
    if (lib.error().message.empty()) std::abort();
    return;
  }
  const auto attr = korvane::formats::ReadTypeLib(data);
  if (!attr || !(*attr == lib->attributes)) std::abort();
  for (const auto& type : lib->types) {
    if (!TypeInRange(type.aliasOf, *lib)) std::abort();
    for (const auto& impl : type.implemented) {
      if (!RefInRange(impl.type, *lib)) std::abort();
    }
    for (const auto& f : type.functions) {
      if (!TypeInRange(f.returnType, *lib) || f.params.size() > korvane::formats::kMaxParamsPerFunction) std::abort();
      for (const auto& p : f.params) {
        if (!TypeInRange(p.type, *lib)) std::abort();
      }
    }
    for (const auto& v : type.variables) {
      if (!TypeInRange(v.type, *lib)) std::abort();
    }
  }
  // Both follow the types' contents: whatever the reader returns, they end.
  if (korvane::typelib::WriteIdl(*lib).empty()) std::abort();
  if (korvane::JsonText(korvane::typelib::TypeLibraryJson(*lib)).empty()) std::abort();
}

struct Inspector {
  Inspector() {
    info.Init(&grid);
    comparison.Init(&compGrid);
    inspector.Init(&info, &comparison);
  }
  korvane::FlexGrid grid, compGrid;
  korvane::clsGrid info, comparison;
  korvane::clsActiveX inspector;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string base = "/tmp/korvane_fuzz_typelib_" + std::to_string(::getpid());
  g_file = base + ".bin";
  ::setenv("KORVANE_REGISTRY", (base + ".db").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Inspector* shared = new Inspector;
  const bool pe = size >= 2 && data[0] == 'M' && data[1] == 'Z';
  if (!pe) {
    CheckWholeLibrary(std::span<const std::uint8_t>(data, size));
    // Raw library data: read it and show it the way the inspector does.
    shared->info.Clear();
    const auto attr = korvane::formats::ReadTypeLib(std::span<const std::uint8_t>(data, size));
    if (!attr) {
      if (attr.error().message.empty()) std::abort();
      shared->info.ShowMsg("not a type library");
      return 0;
    }
    const std::string guid = korvane::formats::GuidToRegistryText(attr->guid);
    if (guid.size() != 38) std::abort();
    shared->info.AddRow("TypeLib Info", "", true);
    shared->info.AddRow("TypeLib Name:", attr->name + " (" + attr->helpString + ")", false);
    shared->info.AddRow("GUID:", guid, false);
    shared->info.AddRow("Version:", std::to_string(attr->majorVersion) + "." + std::to_string(attr->minorVersion),
                        false);
    if (shared->grid.Rows() != 4) std::abort();
    return 0;
  }

  // A PE image: the whole path of the window, from the file to the grid.
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  shared->inspector.SetFileName(g_file);
  shared->inspector.DisplayInfo();
  // The grid always ends with the file-information part.
  if (shared->grid.Rows() < 18) std::abort();
  shared->inspector.SetFirstFilename(g_file);
  shared->inspector.SetSecondFilename(g_file + "/2");
  shared->inspector.DoComparison();
  return 0;
}
