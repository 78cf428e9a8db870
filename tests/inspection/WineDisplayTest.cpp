// DisplayInfo over Wine's own PE files: every file with a type library shows
// the library part, every other file only the file information.

#include <gtest/gtest.h>

#include <filesystem>

#include "GridRows.h"
#include "RegistryFixture.h"
#include "platform/TypeLibFile.h"
#include "inspection/clsActiveX.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

TEST(WineDisplay, LibraryRowsExactlyForFilesWithTypeLibraries) {
  const fs::path folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "Wine is not installed";
  test::FreshRegistry registry;
  FlexGrid grid, compGrid;
  clsGrid info, comparison;
  info.Init(&grid);
  comparison.Init(&compGrid);
  clsActiveX inspector;
  inspector.Init(&info, &comparison);

  int withLibrary = 0;
  for (const char* name : {"vbscript.dll", "mshtml.tlb", "msxml3.dll", "stdole2.tlb", "atl100.dll",
                           "kernel32.dll", "notepad.exe", "oleaut32.dll", "scrrun.dll", "wshom.ocx"}) {
    const fs::path file = folder / name;
    if (!fs::exists(file)) continue;
    const auto resources = platform::ListTypeLibResources(file.string());
    const bool hasLibrary = resources && !resources->empty();
    inspector.SetFileName(file.string());
    inspector.DisplayInfo();
    const auto rows = test::RowsOf(grid);
    ASSERT_GE(rows.size(), 18u) << name;
    EXPECT_EQ(rows[rows.size() - 18], (test::GridRow{"File Info", "", true})) << name;
    EXPECT_EQ(rows[rows.size() - 8], (test::GridRow{"Extended File Info", "", true})) << name;
    if (hasLibrary) {
      ++withLibrary;
      ASSERT_EQ(rows.size(), 23u) << name;  // nothing registered in a fresh store
      EXPECT_EQ(rows[0], (test::GridRow{"TypeLib Info", "", true})) << name;
      EXPECT_EQ(rows[4], (test::GridRow{"Registered", "No", false})) << name;
    } else {
      EXPECT_EQ(rows.size(), 18u) << name;
    }
  }
  EXPECT_GE(withLibrary, 5);
}

}  // namespace
}  // namespace korvane
