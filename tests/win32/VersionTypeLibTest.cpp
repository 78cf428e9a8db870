// The version-information and type-library ports over the system's own
// functions, on files every Windows (and Wine) installation has.

#include <gtest/gtest.h>

#include <cstring>

#include "common/VbError.h"
#include "platform/Process.h"
#include "platform/TypeLib.h"
#include "platform/VersionInfo.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

std::string SystemFile(const char* name) { return SystemDirectory() + "\\" + name; }

TEST(Win32VersionInfo, TheRootValueIsTheFixedFileInfoInsideTheBlock) {
  const std::string kernel = SystemFile("kernel32.dll");
  EXPECT_GT(GetFileVersionInfoSize(kernel), 0u);
  std::vector<std::uint8_t> block;
  ASSERT_TRUE(GetFileVersionInfo(kernel, block));
  std::size_t offset = 0, length = 0;
  ASSERT_TRUE(QueryFixedFileInfo(block, offset, length));
  ASSERT_GE(length, 52u);
  ASSERT_LE(offset + length, block.size());
  std::uint32_t signature = 0;
  std::memcpy(&signature, block.data() + offset, 4);
  EXPECT_EQ(signature, 0xFEEF04BDu);
}

TEST(Win32VersionInfo, FilesWithoutAVersionResourceGiveNothing) {
  test::TempDir dir;
  std::vector<std::uint8_t> block{1, 2, 3};
  EXPECT_EQ(GetFileVersionInfoSize(KORVANE_COMP_PLAIN), 0u);
  EXPECT_FALSE(GetFileVersionInfo(KORVANE_COMP_PLAIN, block));
  EXPECT_TRUE(block.empty());
  EXPECT_FALSE(GetFileVersionInfo(dir.Write("notes.txt", "plain text"), block));
  EXPECT_FALSE(GetFileVersionInfo(dir.File("absent.dll"), block));
  std::size_t offset = 0, length = 0;
  EXPECT_FALSE(QueryFixedFileInfo({}, offset, length));
}

TEST(Win32TypeLib, TheSystemsOleAutomationLibraryReadsWithItsAttributes) {
  const TypeLibrary lib = TypeLibInfoFromFile(SystemFile("stdole2.tlb"));
  EXPECT_EQ(lib.Name(), "stdole");
  EXPECT_EQ(lib.GUID(), "{00020430-0000-0000-C000-000000000046}");
  EXPECT_EQ(lib.MajorVersion(), 2);
  EXPECT_EQ(lib.MinorVersion(), 0);
  EXPECT_EQ(lib.LCID(), 0u);
  EXPECT_FALSE(lib.HelpString().empty());
}

TEST(Win32TypeLib, TheResourceNumberFormSelectsOneOfSeveralLibraries) {
  // vbscript.dll holds more than one TYPELIB resource.
  const std::string vbscript = SystemFile("vbscript.dll");
  const TypeLibrary first = TypeLibInfoFromFile(vbscript);
  const TypeLibrary one = TypeLibInfoFromFile(vbscript + "\\1");
  const TypeLibrary two = TypeLibInfoFromFile(vbscript + "\\2");
  EXPECT_TRUE(first.IsSameLibrary(one));
  EXPECT_FALSE(one.IsSameLibrary(two));
  EXPECT_THROW(TypeLibInfoFromFile(vbscript + "\\99"), VbError);
}

TEST(Win32TypeLib, AFileWithoutALibraryThrowsWithTheLoadersFailure) {
  test::TempDir dir;
  for (const std::string& path : {std::string(KORVANE_COMP_PLAIN), dir.File("absent.tlb"),
                                  dir.Write("notes.tlb", "plain text, no library")}) {
    // (No truncated MSFT header here: Wine's loader reads past its end and
    // stops the process at a breakpoint, where Windows reports a failure.)
    try {
      TypeLibInfoFromFile(path);
      ADD_FAILURE() << path << " read as a type library";
    } catch (const VbError& e) {
      EXPECT_LT(e.Number(), 0) << path;  // a failing HRESULT
      EXPECT_EQ(e.Source(), "TypeLibInfoFromFile");
      EXPECT_NE(e.Description().find(path), std::string::npos) << e.Description();
    }
  }
}

}  // namespace
}  // namespace korvane::platform
