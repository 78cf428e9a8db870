// Type-library reader and info grid: the bytes are read as MSFT/SLTG data, and
// as a whole file (a PE image with TYPELIB resources, or a stand-alone
// library) that the inspector shows in its grid.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>

#include <unistd.h>

#include "formats/TypeLib.h"
#include "inspection/FlexGrid.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"

namespace {

std::string g_file;

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
  try {
    const auto attr = korvane::formats::ReadTypeLib(std::span<const std::uint8_t>(data, size));
    if (korvane::formats::GuidToRegistryText(attr.guid).size() != 38) std::abort();
  } catch (const korvane::formats::TypeLibError&) {
  }

  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static Inspector* shared = new Inspector;
  shared->inspector.SetFileName(g_file);
  shared->inspector.DisplayInfo();
  // The grid always ends with the file-information part.
  if (shared->grid.Rows() < 18) std::abort();
  shared->inspector.SetFirstFilename(g_file);
  shared->inspector.SetSecondFilename(g_file);
  shared->inspector.DoComparison();
  return 0;
}
