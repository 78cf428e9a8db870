// Path text rules and date conversions: pure functions, checked on Windows
// style paths and on the Linux forms the report meets.

#include <gtest/gtest.h>

#include "report/basFile_Tamo.h"
#include "report/clsFile_Tamo.h"
#include "report/colFiles_Tamo.h"

namespace korvane {
namespace {

TEST(GetPathPart, SplitsFolderNameAndExtensionBySelector) {
  const std::string p = "C:\\dir\\file.dll";
  EXPECT_EQ(GetPathPart(p, 1), "file");
  EXPECT_EQ(GetPathPart(p, 2), "dll");
  EXPECT_EQ(GetPathPart(p, 3), "file.dll");
  EXPECT_EQ(GetPathPart(p, 4), "C:\\dir\\");
  EXPECT_EQ(GetPathPart(p, 7), "C:\\dir\\file.dll");
  EXPECT_EQ(GetPathPart(p, 6), "C:\\dir\\.dll");
  EXPECT_EQ(GetPathPart(p, 0), "");
}

TEST(GetPathPart, DotOnlyCountsInTheLastComponent) {
  EXPECT_EQ(GetPathPart("C:\\dir\\README", 3), "README.");
  EXPECT_EQ(GetPathPart("C:\\dir\\README", 2), "");
  EXPECT_EQ(GetPathPart("C:\\my.dir\\file", 3), "file.");
  EXPECT_EQ(GetPathPart("C:\\my.dir\\file", 1), "file");
  EXPECT_EQ(GetPathPart("C:\\dir\\*.*", 3), "*.*");
  EXPECT_EQ(GetPathPart("C:\\dir\\a.b.c", 1), "a.b");
  // Nothing precedes the extension of a name that starts with its only dot.
  EXPECT_EQ(GetPathPart("C:\\dir\\.hidden", 3), "hidden");
  EXPECT_EQ(GetPathPart("C:\\dir\\.hidden", 1), "");
  EXPECT_EQ(GetPathPart("C:\\dir\\", 3), "");
  EXPECT_EQ(GetPathPart("C:\\dir\\", 7), "C:\\dir\\.");
}

TEST(GetPathPart, PathWithoutSeparatorHasNoFolder) {
  EXPECT_EQ(GetPathPart("file.dll", 4), "");
  EXPECT_EQ(GetPathPart("file.dll", 3), "file.dll");
  EXPECT_EQ(GetPathPart("", 3), "");
  EXPECT_EQ(GetPathPart("", 2), "");
}

#ifndef _WIN32
TEST(GetPathPart, LinuxPathsSplitAtSlashToo) {
  EXPECT_EQ(GetPathPart("/usr/lib/x.so.1", 4), "/usr/lib/");
  EXPECT_EQ(GetPathPart("/usr/lib/x.so.1", 3), "x.so.1");
  EXPECT_EQ(GetPathPart("/usr/lib.d/x", 2), "");
  EXPECT_EQ(GetPathPart("/tmp/a\\b.dll", 3), "b.dll");  // the later separator wins
}
#endif

TEST(PathRoot, DrivesSharesAndRelativePaths) {
  EXPECT_EQ(GetPathRoot("C:\\dir\\f.dll"), "C:\\");
  EXPECT_EQ(GetPathRoot("\\\\server\\share\\dir\\f.dll"), "\\\\server\\share");
  EXPECT_EQ(GetPathRoot("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(GetPathRoot("\\\\server"), "\\\\server");
  EXPECT_EQ(GetPathRoot("\\dir\\x"), "\\");
  EXPECT_EQ(GetPathRoot("d:"), "d:");
  EXPECT_EQ(GetPathRoot("dir\\x.dll"), "");
  EXPECT_EQ(GetPathRoot(""), "");
#ifndef _WIN32
  EXPECT_EQ(GetPathRoot("/home/x/f.dll"), "/");
#endif
  std::string unchanged = "relative\\path";
  EXPECT_FALSE(PathStripToRoot(unchanged));
  EXPECT_EQ(unchanged, "relative\\path");
}

TEST(PathRoot, DriveNumbers) {
  EXPECT_EQ(PathGetDriveNumber("C:\\x"), 2);
  EXPECT_EQ(PathGetDriveNumber("a:"), 0);
  EXPECT_EQ(PathGetDriveNumber("z:\\"), 25);
  EXPECT_EQ(PathGetDriveNumber("\\\\?\\D:\\x"), 3);
  EXPECT_EQ(PathGetDriveNumber("\\\\server\\share"), -1);
  EXPECT_EQ(PathGetDriveNumber("1:\\x"), -1);
  EXPECT_EQ(PathGetDriveNumber("/usr"), -1);
  EXPECT_EQ(PathGetDriveNumber(""), -1);
}

TEST(PathRoot, UncForms) {
  EXPECT_TRUE(PathIsUNC("\\\\server\\share\\x.dll"));
  EXPECT_TRUE(PathIsUNC("\\\\server"));
  EXPECT_TRUE(PathIsUNC("\\\\?\\UNC\\server\\share"));
  EXPECT_FALSE(PathIsUNC("\\\\?\\C:\\x"));
  EXPECT_FALSE(PathIsUNC("C:\\x"));
  EXPECT_FALSE(PathIsUNC("\\x"));

  EXPECT_TRUE(PathIsUNCServer("\\\\server"));
  EXPECT_FALSE(PathIsUNCServer("\\\\server\\share"));
  EXPECT_FALSE(PathIsUNCServer("C:\\"));

  EXPECT_TRUE(PathIsUNCServerShare("\\\\server\\share"));
  EXPECT_FALSE(PathIsUNCServerShare("\\\\server\\share\\x"));
  EXPECT_FALSE(PathIsUNCServerShare("\\\\server"));
  EXPECT_FALSE(PathIsUNCServerShare("\\\\server\\"));

  EXPECT_TRUE(PathIsNetworkPath("\\\\server\\share\\x.dll"));
  EXPECT_FALSE(PathIsNetworkPath("C:\\x.dll"));
  EXPECT_FALSE(PathIsNetworkPath("/mnt/x.dll"));
}

TEST(FileClassPaths, DrivePathProperties) {
  clsFile_Tamo f("C:\\dir\\file.dll");
  EXPECT_EQ(f.sName(), "file");
  EXPECT_EQ(f.sExtension(), "dll");
  EXPECT_EQ(f.sNameAndExtension(), "file.dll");
  EXPECT_EQ(f.sPath(), "C:\\dir\\");
  EXPECT_EQ(f.sDriveLetter(), "C:");
  EXPECT_EQ(f.sPathRoot(), "C:\\");
  EXPECT_FALSE(f.bUNC());
  EXPECT_FALSE(f.bNetworkPath());
}

TEST(FileClassPaths, ShareAndBarePaths) {
  clsFile_Tamo share("\\\\server\\share\\x.dll");
  EXPECT_EQ(share.sDriveLetter(), "");
  EXPECT_EQ(share.sPathRoot(), "\\\\server\\share\\");
  EXPECT_TRUE(share.bUNC());
  EXPECT_TRUE(share.bNetworkPath());
  EXPECT_FALSE(share.bUNCServer());
  EXPECT_FALSE(share.bUNCServerShare());

  clsFile_Tamo bare("file.dll");
  EXPECT_EQ(bare.sPath(), "");
  EXPECT_EQ(bare.sNameAndExtension(), "file.dll");
  EXPECT_EQ(bare.sPathRoot(), "");

  clsFile_Tamo readme("C:\\dir\\README");
  EXPECT_EQ(readme.sNameAndExtension(), "README.");
  EXPECT_EQ(readme.sExtension(), "");

  clsFile_Tamo f;
  EXPECT_EQ(f.sFileName(), "");
  f.sFileName("D:\\a\\b.ocx");
  EXPECT_EQ(f.sFileName(), "D:\\a\\b.ocx");
  EXPECT_EQ(f.sDriveLetter(), "D:");
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
