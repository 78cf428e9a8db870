// The folder search, file status and output file over the W file functions.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/win32/WinApi.h"
// WinApi.h first: it removes the macros that clash with the interface names.
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

std::string Utf8(const std::filesystem::path& p) { return win32::Narrow(p.wstring()); }

std::vector<std::string> Search(const std::string& fileSpec) {
  std::vector<std::string> names;
  FileSearch search(fileSpec);
  FindData entry;
  while (search.Next(entry)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Win32FileSearch, MatchesIgnoreCaseAndReportAttributes) {
  test::TempDir dir;
  dir.Write("a.dll", "x");
  dir.Write("B.DLL", "x");
  dir.Write("c.ocx", "x");
  std::filesystem::create_directory(dir.path() / "sub.dll");
  const std::string folder = Utf8(dir.path());

  EXPECT_EQ(Search(folder + "\\*.dll"), (std::vector<std::string>{"B.DLL", "a.dll", "sub.dll"}));
  EXPECT_EQ(Search(folder + "\\*.*"),
            (std::vector<std::string>{".", "..", "B.DLL", "a.dll", "c.ocx", "sub.dll"}));

  FileSearch search(folder + "\\sub.*");
  FindData entry;
  ASSERT_TRUE(search.Next(entry));
  EXPECT_EQ(entry.name, "sub.dll");
  EXPECT_NE(entry.attributes & kAttrDirectory, 0);
  EXPECT_FALSE(search.Next(entry));
  EXPECT_FALSE(search.Next(entry));  // stays exhausted
}

TEST(Win32FileSearch, AnEmptyResultIsValidButAMissingFolderIsNot) {
  test::TempDir dir;
  const std::string folder = Utf8(dir.path());
  FileSearch none(folder + "\\*.exe");
  EXPECT_TRUE(none.Valid());
  FindData entry;
  EXPECT_FALSE(none.Next(entry));
  EXPECT_FALSE(FileSearch(folder + "\\missing\\*.*").Valid());
  EXPECT_FALSE(FileSearch(folder + "\\").Valid());
}

TEST(Win32FileSearch, NamesBeyondAsciiComeBackAsUtf8) {
  test::TempDir dir;
  std::ofstream(dir.path() / std::filesystem::path(L"\u00DCbung \u20AC.dll")) << "x";
  EXPECT_EQ(Search(Utf8(dir.path()) + "\\*.dll"),
            (std::vector<std::string>{"\xC3\x9C" "bung \xE2\x82\xAC.dll"}));
}

TEST(Win32Wildcard, FollowsTheRulesOfAWindowsSearch) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "README", true},       {"*.*", "a.b.c", true},       {"*.", "README", true},
      {"*.", "a.txt", false},        {"*.dll", "X.DLL", true},     {"*.dll", "x.dll.bak", false},
      {"a?c", "abc", true},          {"a?c", "ac", false},         {"a?", "a", true},
      {"a??.txt", "a.txt", true},    {"a??.txt", "abc.txt", true}, {"a??.txt", "abcd.txt", false},
      {"*", "", true},               {"", "", true},               {"", "a", false},
      {"x*.d?l", "xyz.dll", true},   {"x*.d?l", "xyz.dl", false},  {"*a*b", "zzazzb", true},
      {"\xC3\xA4*", "\xC3\x84rger", true},  // letter case beyond ASCII
      {"abc.*", "abc", true},        {"abc.?", "abc", true},       {"abc.", "abc", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

TEST(Win32FileStatus, SizesTimesAndAttributesOfAFile) {
  test::TempDir dir;
  const std::string file = dir.Write("data.bin", std::string(12345, 'z'));
  FileInformation info;
  ASSERT_TRUE(GetFileInformation(file, info));
  EXPECT_EQ(info.size, 12345u);
  EXPECT_GT(info.lastWriteTime, 116444736000000000ull);  // after 1970
  std::uint64_t size = 0;
  EXPECT_TRUE(GetFileSize(file, size));
  EXPECT_EQ(size, 12345u);
  bool fixed = false;
  EXPECT_TRUE(OpenFileInfo(file, fixed));

  EXPECT_TRUE(SetFileAttributes(file, kAttrReadOnly));
  EXPECT_NE(GetFileAttributes(file) & kAttrReadOnly, 0);
  EXPECT_TRUE(SetFileAttributes(file, kAttrNormal));
  EXPECT_EQ(GetFileAttributes(file) & kAttrReadOnly, 0);

  // A folder is no file for these calls.
  EXPECT_FALSE(GetFileInformation(Utf8(dir.path()), info));
  EXPECT_FALSE(GetFileSize(Utf8(dir.path()), size));
  EXPECT_NE(GetFileAttributes(Utf8(dir.path())) & kAttrDirectory, 0);
  EXPECT_EQ(GetFileAttributes(dir.File("absent")), kInvalidAttributes);
  EXPECT_EQ(GetFileAttributes(""), kInvalidAttributes);
  EXPECT_FALSE(OpenFileInfo(dir.File("absent"), fixed));
}

TEST(Win32FileStatus, PathsLongerThanTheOldLimitWork) {
  test::TempDir dir;
  std::string path = Utf8(dir.path());
  while (path.size() < 400) {
    path += "\\" + std::string(40, 'd');
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + win32::Wide(path)).c_str(), nullptr)) << path;
  }
  const std::string file = path + "\\long.txt";
  OutputFile out;
  ASSERT_EQ(out.Open(file), FileError::None);
  EXPECT_EQ(out.Write("hello"), FileError::None);
  out.Close();
  std::uint64_t size = 0;
  EXPECT_TRUE(GetFileSize(file, size));
  EXPECT_EQ(size, 5u);
  FileInformation info;
  EXPECT_TRUE(GetFileInformation(file, info));
  EXPECT_EQ(Search(path + "\\*.txt"), (std::vector<std::string>{"long.txt"}));
  std::string shortPath;
  EXPECT_TRUE(GetShortPathName(Utf8(dir.path()), shortPath));
  // Cleared here: the temporary folder's own removal stops at the old limit.
  EXPECT_TRUE(::DeleteFileW((L"\\\\?\\" + win32::Wide(file)).c_str()));
  for (std::string folder = path; folder.size() > Utf8(dir.path()).size();
       folder.resize(folder.rfind('\\'))) {
    EXPECT_TRUE(::RemoveDirectoryW((L"\\\\?\\" + win32::Wide(folder)).c_str())) << folder;
  }
}

TEST(Win32OutputFile, WritesReplacesAndCutsBack) {
  test::TempDir dir;
  const std::string file = dir.Write("out.txt", "old content that is longer");
  OutputFile out;
  EXPECT_FALSE(out.IsOpen());
  EXPECT_EQ(out.Write("x"), FileError::IoError);
  ASSERT_EQ(out.Open(file), FileError::None);
  EXPECT_TRUE(out.IsOpen());
  EXPECT_EQ(out.Write("line 1\r\nline 2\r\n"), FileError::None);
  EXPECT_EQ(out.Truncate(8), FileError::None);
  EXPECT_EQ(out.Write("end"), FileError::None);
  out.Close();
  EXPECT_EQ(test::ReadFile(file), "line 1\r\nend");
  EXPECT_EQ(out.Open(dir.File("missing\\out.txt")), FileError::PathNotFound);
}

TEST(Win32Volume, TheSystemDriveIsAFixedDiskWithAFileSystem) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  const std::string root = win32::Narrow(std::wstring(windows, 3));  // "C:\"
  EXPECT_EQ(GetDriveType(root), kDriveFixed);
  VolumeInformation info;
  ASSERT_TRUE(GetVolumeInformation(root, info));
  EXPECT_FALSE(info.fileSystemName.empty());
  EXPECT_GT(info.maximumComponentLength, 0u);
  EXPECT_EQ(GetDriveType("Q:\\no\\such\\root\\"), kDriveNoRootDir);
  EXPECT_FALSE(GetVolumeInformation("Q:\\no\\such\\root\\", info));
}

}  // namespace
}  // namespace korvane::platform
