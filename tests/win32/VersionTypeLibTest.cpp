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
  const auto read = GetFileVersionInfo(kernel);
  ASSERT_TRUE(read);
  const std::vector<std::uint8_t>& block = *read;
  const auto root = QueryFixedFileInfo(block);
  ASSERT_TRUE(root);
  const std::size_t offset = root->offset, length = root->length;
  ASSERT_GE(length, 52u);
  ASSERT_LE(offset + length, block.size());
  std::uint32_t signature = 0;
  std::memcpy(&signature, block.data() + offset, 4);
  EXPECT_EQ(signature, 0xFEEF04BDu);
}

TEST(Win32VersionInfo, FilesWithoutAVersionResourceGiveNothing) {
  test::TempDir dir;
  EXPECT_EQ(GetFileVersionInfoSize(KORVANE_COMP_PLAIN), 0u);
  EXPECT_FALSE(GetFileVersionInfo(KORVANE_COMP_PLAIN));
  EXPECT_FALSE(GetFileVersionInfo(dir.Write("notes.txt", "plain text")));
  EXPECT_FALSE(GetFileVersionInfo(dir.File("absent.dll")));
  EXPECT_FALSE(QueryFixedFileInfo({}));
}

TEST(Win32TypeLib, TheSystemsOleAutomationLibraryReadsWithItsAttributes) {
  const TypeLibrary lib = TypeLibInfoFromFile(SystemFile("stdole2.tlb")).value();
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
  const TypeLibrary first = TypeLibInfoFromFile(vbscript).value();
  const TypeLibrary one = TypeLibInfoFromFile(vbscript + "\\1").value();
  const TypeLibrary two = TypeLibInfoFromFile(vbscript + "\\2").value();
  EXPECT_TRUE(first.IsSameLibrary(one));
  EXPECT_FALSE(one.IsSameLibrary(two));
  EXPECT_FALSE(TypeLibInfoFromFile(vbscript + "\\99"));
}

TEST(Win32TypeLib, AFileWithoutALibraryThrowsWithTheLoadersFailure) {
  test::TempDir dir;
  for (const std::string& path : {std::string(KORVANE_COMP_PLAIN), dir.File("absent.tlb"),
                                  dir.Write("notes.tlb", "plain text, no library")}) {
    // (No truncated MSFT header here: Wine's loader reads past its end and
    // stops the process at a breakpoint, where Windows reports a failure.)
    const TypeLibResult read = TypeLibInfoFromFile(path);
    ASSERT_FALSE(read) << path << " read as a type library";
    EXPECT_LT(read.failure().number, 0) << path;  // a failing HRESULT
    EXPECT_NE(read.failure().description.find(path), std::string::npos) << read.failure().description;
  }
}

}  // namespace
}  // namespace korvane::platform
