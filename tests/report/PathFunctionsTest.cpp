// Path text rules and date conversions: pure functions, checked on Windows
// style paths and on the Linux forms the report meets.

#include <gtest/gtest.h>

#include "report/basFile_Tamo.h"
#include "report/clsFile_Tamo.h"
#include "report/colFiles_Tamo.h"

namespace korvane {
namespace {

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

TEST(GetPathPart, SplitsFolderNameAndExtensionBySelector) {
  const struct {
    PathStyle style;
    const char* path;
    int parts;
    const char* expected;
  } cases[] = {
      {kWin, "C:\\dir\\file.dll", 1, "file"},
      {kWin, "C:\\dir\\file.dll", 2, "dll"},
      {kWin, "C:\\dir\\file.dll", 3, "file.dll"},
      {kWin, "C:\\dir\\file.dll", 4, "C:\\dir\\"},
      {kWin, "C:\\dir\\file.dll", 7, "C:\\dir\\file.dll"},
      {kWin, "C:\\dir\\file.dll", 6, "C:\\dir\\.dll"},
      {kWin, "C:\\dir\\file.dll", 0, ""},
      // The dot only counts in the last component.
      {kWin, "C:\\dir\\README", 3, "README."},
      {kWin, "C:\\dir\\README", 2, ""},
      {kWin, "C:\\my.dir\\file", 3, "file."},
      {kWin, "C:\\my.dir\\file", 1, "file"},
      {kWin, "C:\\dir\\*.*", 3, "*.*"},
      {kWin, "C:\\dir\\a.b.c", 1, "a.b"},
      // Nothing precedes the extension of a name that starts with its only dot.
      {kWin, "C:\\dir\\.hidden", 3, "hidden"},
      {kWin, "C:\\dir\\.hidden", 1, ""},
      {kWin, "C:\\dir\\", 3, ""},
      {kWin, "C:\\dir\\", 7, "C:\\dir\\."},
      // Windows takes '/' as a separator too.
      {kWin, "C:/dir/file.dll", 3, "file.dll"},
      {kWin, "C:\\dir/sub\\x.dll", 4, "C:\\dir/sub\\"},
      // Without a separator there is no folder.
      {kWin, "file.dll", 4, ""},
      {kWin, "file.dll", 3, "file.dll"},
      {kWin, "", 3, ""},
      {kWin, "", 2, ""},
      // On Linux only '/' separates; '\' is a character of the name.
      {kPosix, "/usr/lib/x.so.1", 4, "/usr/lib/"},
      {kPosix, "/usr/lib/x.so.1", 3, "x.so.1"},
      {kPosix, "/usr/lib.d/x", 2, ""},
      {kPosix, "/tmp/my\\lib.dll", 3, "my\\lib.dll"},
      {kPosix, "/tmp/my\\lib.dll", 4, "/tmp/"},
      {kPosix, "/tmp/my.d\\lib", 2, "d\\lib"},
      {kPosix, "C:\\dir\\file.dll", 4, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPathPart(c.path, c.parts, c.style), c.expected)
        << c.path << " " << c.parts << (c.style == kWin ? " windows" : " posix");
  }
}

TEST(PathRoot, DrivesSharesAndRelativePaths) {
  const struct {
    PathStyle style;
    const char* path;
    const char* root;  // "" when the path has none
  } cases[] = {
      {kWin, "C:\\dir\\f.dll", "C:\\"},
      {kWin, "C:/dir/f.dll", "C:/"},
      {kWin, "\\\\server\\share\\dir\\f.dll", "\\\\server\\share"},
      {kWin, "\\\\server\\share", "\\\\server\\share"},
      {kWin, "\\\\server", "\\\\server"},
      {kWin, "\\\\?\\UNC\\server\\share\\x", "\\\\server\\share"},
      {kWin, "\\\\?\\D:\\x", "D:\\"},
      {kWin, "\\dir\\x", "\\"},
      {kWin, "d:", "d:"},
      {kWin, "dir\\x.dll", ""},
      {kWin, "", ""},
      {kPosix, "/home/x/f.dll", "/"},
      {kPosix, "\\\\server\\share\\x.dll", ""},  // a relative name on Linux
      {kPosix, "C:\\dir\\f.dll", ""},
      {kPosix, "\\dir\\x", ""},
      {kPosix, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPathRoot(c.path, c.style), c.root) << c.path;
    std::string stripped = c.path;
    EXPECT_EQ(PathStripToRoot(stripped, c.style), *c.root != '\0') << c.path;
    EXPECT_EQ(stripped, *c.root != '\0' ? c.root : c.path) << c.path;  // unchanged without a root
  }
}

TEST(PathRoot, DriveNumbers) {
  const struct {
    PathStyle style;
    const char* path;
    int drive;
  } cases[] = {
      {kWin, "C:\\x", 2},          {kWin, "a:", 0},           {kWin, "z:\\", 25},
      {kWin, "\\\\?\\D:\\x", 3},    {kWin, "\\\\server\\share", -1}, {kWin, "1:\\x", -1},
      {kWin, "/usr", -1},          {kWin, "", -1},            {kPosix, "C:\\x", -1},
      {kPosix, "a:", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(PathGetDriveNumber(c.path, c.style), c.drive) << c.path;
}

TEST(PathRoot, UncForms) {
  const struct {
    PathStyle style;
    const char* path;
    bool unc, server, serverShare;
  } cases[] = {
      {kWin, "\\\\server\\share\\x.dll", true, false, false},
      {kWin, "\\\\server", true, true, false},
      {kWin, "\\\\server\\share", true, false, true},
      {kWin, "\\\\server\\", true, false, false},
      {kWin, "\\\\?\\UNC\\server\\share", true, false, false},
      {kWin, "\\\\?\\C:\\x", false, false, false},
      {kWin, "C:\\x", false, false, false},
      {kWin, "\\x", false, false, false},
      {kWin, "/mnt/x.dll", false, false, false},
      // Linux has no network forms: these are names in the current folder.
      {kPosix, "\\\\server\\share\\x.dll", false, false, false},
      {kPosix, "\\\\server", false, false, false},
      {kPosix, "\\\\server\\share", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathIsUNC(c.path, c.style), c.unc) << c.path;
    EXPECT_EQ(PathIsNetworkPath(c.path, c.style), c.unc) << c.path;
    EXPECT_EQ(PathIsUNCServer(c.path, c.style), c.server) << c.path;
    EXPECT_EQ(PathIsUNCServerShare(c.path, c.style), c.serverShare) << c.path;
  }
}

// The file class spells paths as the system does.
TEST(FileClassPaths, PropertiesOfThePathText) {
  const struct {
    PathStyle style;
    const char* path;
    const char* name;
    const char* extension;
    const char* nameAndExtension;
    const char* folder;
    const char* drive;
    const char* root;
    bool unc;
  } cases[] = {
      {kWin, "C:\\dir\\file.dll", "file", "dll", "file.dll", "C:\\dir\\", "C:", "C:\\", false},
      {kWin, "\\\\server\\share\\x.dll", "x", "dll", "x.dll", "\\\\server\\share\\", "",
       "\\\\server\\share\\", true},
      {kWin, "C:\\dir\\README", "README", "", "README.", "C:\\dir\\", "C:", "C:\\", false},
      {kPosix, "/dir/file.dll", "file", "dll", "file.dll", "/dir/", "", "/", false},
      {kPosix, "/tmp/my\\lib.dll", "my\\lib", "dll", "my\\lib.dll", "/tmp/", "", "/", false},
      {kPosix, "C:\\dir\\file.dll", "C:\\dir\\file", "dll", "C:\\dir\\file.dll", "", "", "", false},
      {kPosix, "\\\\server\\share\\x.dll", "\\\\server\\share\\x", "dll",
       "\\\\server\\share\\x.dll", "", "", "", false},
      {kPosix, "/dir/README", "README", "", "README.", "/dir/", "", "/", false},
  };
  for (const auto& c : cases) {
    if (c.style != platform::NativePathStyle()) continue;
    clsFile_Tamo f(c.path);
    EXPECT_EQ(f.sName(), c.name) << c.path;
    EXPECT_EQ(f.sExtension(), c.extension) << c.path;
    EXPECT_EQ(f.sNameAndExtension(), c.nameAndExtension) << c.path;
    EXPECT_EQ(f.sPath(), c.folder) << c.path;
    EXPECT_EQ(f.sDriveLetter(), c.drive) << c.path;
    EXPECT_EQ(f.sPathRoot(), c.root) << c.path;
    EXPECT_EQ(f.bUNC(), c.unc) << c.path;
    EXPECT_EQ(f.bNetworkPath(), c.unc) << c.path;
  }
  clsFile_Tamo bare("file.dll");
  EXPECT_EQ(bare.sPath(), "");
  EXPECT_EQ(bare.sNameAndExtension(), "file.dll");
  EXPECT_EQ(bare.sPathRoot(), "");

  clsFile_Tamo f;
  EXPECT_EQ(f.sFileName(), "");
  f.sFileName("/a/b.ocx");
  EXPECT_EQ(f.sFileName(), "/a/b.ocx");
  EXPECT_EQ(f.sNameAndExtension(), "b.ocx");
}

TEST(TextHelpers, TrimNullAndEnsureSuffix) {
  EXPECT_EQ(TrimNull("abc"), "abc");
  EXPECT_EQ(TrimNull(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(TrimNull(std::string("\0x", 2)), "");
  EXPECT_EQ(TrimNull(std::string("C:\\W\0\0\0\0", 8)), "C:\\W");

  EXPECT_EQ(EnsureSuffix("C:\\dir", "\\"), "C:\\dir\\");
  EXPECT_EQ(EnsureSuffix("C:\\dir\\", "\\"), "C:\\dir\\");
  EXPECT_EQ(EnsureSuffix("", "\\"), "\\");
  EXPECT_EQ(EnsureSuffix("abc", "bc"), "abc");
  EXPECT_EQ(EnsureSuffix("c", "bc"), "cbc");  // shorter than the suffix
}

// File times: 100 ns ticks since 1601-01-01 UTC.
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;
constexpr std::uint64_t kUnixEpoch = 11644473600ULL * kTicksPerSecond;

TEST(FileTimes, ZeroIsFirstJanuary1601) {
  SystemTime st = FileTimeToSystemTime(0);
  EXPECT_EQ(st.wYear, 1601);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wDayOfWeek, 1);  // a Monday
  EXPECT_EQ(FileTimeToDate(0), (FileDate{1601, 1, 1, 0, 0, 0}));
  EXPECT_EQ(FileTimeToDate(0).Text(), "01/01/1601 00:00:00");
}

TEST(FileTimes, CalendarAcrossLeapRules) {
  EXPECT_EQ(FileTimeToDate(kUnixEpoch), (FileDate{1970, 1, 1, 0, 0, 0}));
  // 2000-02-29 12:34:56 (a 400-year leap day), Unix time 951827696.
  EXPECT_EQ(FileTimeToDate(kUnixEpoch + 951827696ULL * kTicksPerSecond),
            (FileDate{2000, 2, 29, 12, 34, 56}));
  // 2100-03-01 00:00:00: 2100 has no 29 February. Unix time 4107542400.
  EXPECT_EQ(FileTimeToDate(kUnixEpoch + 4107542400ULL * kTicksPerSecond),
            (FileDate{2100, 3, 1, 0, 0, 0}));
  // 2004-03-07 09:05:00, Unix time 1078650300.
  FileDate d = FileTimeToDate(kUnixEpoch + 1078650300ULL * kTicksPerSecond);
  EXPECT_EQ(d.Text(), "03/07/2004 09:05:00");
  // The last day of 2000 and the first of 2001, across the 400-year boundary.
  EXPECT_EQ(FileTimeToDate(kUnixEpoch + 978220800ULL * kTicksPerSecond),
            (FileDate{2000, 12, 31, 0, 0, 0}));
  EXPECT_EQ(FileTimeToDate(kUnixEpoch + 978307200ULL * kTicksPerSecond),
            (FileDate{2001, 1, 1, 0, 0, 0}));
}

TEST(FileTimes, MillisecondsAreDroppedNotRounded) {
  // 2004-03-07 23:59:59.999.
  std::uint64_t t = kUnixEpoch + 1078703999ULL * kTicksPerSecond + 9990000ULL;
  EXPECT_EQ(FileTimeToSystemTime(t).wMilliseconds, 999);
  EXPECT_EQ(FileTimeToDate(t), (FileDate{2004, 3, 7, 23, 59, 59}));
}

TEST(FileTimes, FieldsThatMakeNoDateGiveTheZeroDate) {
  SystemTime bad;
  bad.wYear = 2004;
  bad.wMonth = 2;
  bad.wDay = 30;
  EXPECT_EQ(SystemTimeToDate(bad), FileDate{});
  bad.wDay = 1;
  bad.wMonth = 13;
  EXPECT_EQ(SystemTimeToDate(bad), FileDate{});
  SystemTime far = FileTimeToSystemTime(~0ULL);  // year 60056
  EXPECT_GT(far.wYear, 9999);
  EXPECT_EQ(SystemTimeToDate(far), FileDate{});
  EXPECT_EQ(FileDate{}.Text(), "12/30/1899 00:00:00");
}

}  // namespace
}  // namespace korvane
