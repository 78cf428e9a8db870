// The folder search and file status on real files: wildcard rules of a
// Windows search, attribute bits, times, sizes and missing files.

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <map>

#include "TreeHelpers.h"
#include "platform/FileSystem.h"
#include "report/clsFile_Tamo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using platform::WildcardMatch;

TEST(Wildcard, StarAndQuestionMarkIgnoreLetterCase) {
  EXPECT_TRUE(WildcardMatch("*.dll", "a.DLL"));
  EXPECT_TRUE(WildcardMatch("*.DLL", "x.dll"));
  EXPECT_FALSE(WildcardMatch("*.dll", "x.dll.bak"));
  EXPECT_TRUE(WildcardMatch("*.dll", "x.bak.dll"));
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "abbc"));
  EXPECT_TRUE(WildcardMatch("*b*", "abc"));
  EXPECT_FALSE(WildcardMatch("abc", "abd"));
  EXPECT_TRUE(WildcardMatch("ÄRGER.TXT", "ärger.txt"));
  EXPECT_TRUE(WildcardMatch("*.txt", "Grüße mit Leerzeichen.TXT"));
}

TEST(Wildcard, EveryNamePatterns) {
  for (const char* name : {"README", "a.b.c", ".", "..", ".hidden", "x.dll"}) {
    EXPECT_TRUE(WildcardMatch("*.*", name)) << name;
    EXPECT_TRUE(WildcardMatch("*", name)) << name;
  }
}

TEST(Wildcard, DotRulesOfTheWindowsSearch) {
  // A dot before a wildcard or at the end also matches a missing extension.
  EXPECT_TRUE(WildcardMatch("README.*", "README"));
  EXPECT_TRUE(WildcardMatch("README.*", "readme.txt"));
  EXPECT_TRUE(WildcardMatch("*.", "README"));
  EXPECT_FALSE(WildcardMatch("*.", "README.txt"));
  // '?' takes nothing at a dot or at the end of the name.
  EXPECT_TRUE(WildcardMatch("a?.txt", "a.txt"));
  EXPECT_TRUE(WildcardMatch("a?.txt", "ab.txt"));
  EXPECT_TRUE(WildcardMatch("a??", "a"));
  EXPECT_FALSE(WildcardMatch("???", "abcd"));
  EXPECT_FALSE(WildcardMatch("*.dll", "."));
}

TEST(Wildcard, BytesThatAreNotUtf8MatchOnlyThemselves) {
  EXPECT_TRUE(WildcardMatch("*.dll", std::string("\xff\xfe.dll")));
  EXPECT_TRUE(WildcardMatch(std::string("\xff?.dll"), std::string("\xff\xfe.dll")));
  EXPECT_FALSE(WildcardMatch(std::string("\xfe*"), std::string("\xff.dll")));
}

std::vector<std::string> SearchNames(const std::string& fileSpec) {
  std::vector<std::string> names;
  platform::FileSearch search(fileSpec);
  platform::FindData e;
  while (search.Next(e)) names.push_back(e.name);
  return names;
}

TEST(FolderSearch, ReturnsReaddirOrderWithDotEntries) {
  test::TempDir dir;
  const std::string root = dir.path().string() + "/";
  for (const char* n : {"b.dll", "A.DLL", "c.txt", "zz", "Ünïcode ß.dll"}) {
    test::MakeFile(root + n);
  }
  test::MakeFolder(root + "sub.dll");
  std::vector<std::string> expected = test::ReaddirNames(root);
  EXPECT_EQ(SearchNames(root + "*.*"), expected);
  EXPECT_NE(std::find(expected.begin(), expected.end(), "."), expected.end());

  std::vector<std::string> dlls;
  for (const auto& n : expected) {
    if (n.size() > 4 && (n.ends_with(".dll") || n.ends_with(".DLL"))) dlls.push_back(n);
  }
  EXPECT_EQ(SearchNames(root + "*.dll"), dlls);  // the folder sub.dll matches too
  EXPECT_EQ(SearchNames(root + "zz"), std::vector<std::string>{"zz"});
}

TEST(FolderSearch, InvalidSearchesYieldNothing) {
  test::TempDir dir;
  const std::string root = dir.path().string() + "/";
  platform::FileSearch missing(root + "nope/*.*");
  EXPECT_FALSE(missing.Valid());
  platform::FindData e;
  EXPECT_FALSE(missing.Next(e));
  platform::FileSearch empty(root);  // no pattern
  EXPECT_FALSE(empty.Valid());
  EXPECT_TRUE(SearchNames(root + "*.dll").empty());
}

TEST(FolderSearch, EntryAttributes) {
  test::TempDir dir;
  const std::string root = dir.path().string() + "/";
  test::MakeFile(root + "plain.txt");
  test::MakeFile(root + ".hidden");
  test::MakeFile(root + "locked.txt");
  ::chmod((root + "locked.txt").c_str(), 0444);
  test::MakeFolder(root + "folder");
  ASSERT_EQ(::symlink("folder", (root + "link").c_str()), 0);
  ASSERT_EQ(::symlink("missing-target", (root + "dangling").c_str()), 0);

  platform::FileSearch search(root + "*");
  platform::FindData e;
  std::map<std::string, int> attrs;
  while (search.Next(e)) attrs[e.name] = e.attributes;
  EXPECT_EQ(attrs["plain.txt"], platform::kAttrArchive);
  EXPECT_EQ(attrs[".hidden"], platform::kAttrArchive | platform::kAttrHidden);
  EXPECT_EQ(attrs["locked.txt"], platform::kAttrArchive | platform::kAttrReadOnly);
  EXPECT_EQ(attrs["folder"], platform::kAttrDirectory);
  EXPECT_EQ(attrs["link"], platform::kAttrDirectory | platform::kAttrReparsePoint);
  EXPECT_EQ(attrs["dangling"], platform::kAttrArchive | platform::kAttrReparsePoint);
  EXPECT_EQ(attrs["."], platform::kAttrDirectory);  // dot entries are not hidden
  EXPECT_EQ(attrs[".."], platform::kAttrDirectory);

  // The kinds alone: the same bits, but no read-only bit.
  platform::FileSearch kinds(root + "*", nullptr, true);
  std::map<std::string, int> kindAttrs;
  while (kinds.Next(e)) kindAttrs[e.name] = e.attributes;
  attrs["locked.txt"] &= ~platform::kAttrReadOnly;
  EXPECT_EQ(kindAttrs, attrs);
}

TEST(FileProperties, ExistingFile) {
  test::TempDir dir;
  const std::string path = dir.Write("data.bin", std::string(1234, 'x'));
  // A known modification time: 2004-03-07 09:05:00 UTC.
  struct timespec times[2] = {{1078650300, 0}, {1078650300, 500000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  clsFile_Tamo f(path);
  EXPECT_EQ(f.lSize(), 1234);
  EXPECT_EQ(f.eAttributes(), platform::kAttrArchive);
  EXPECT_EQ(f.dLastModified(), (FileDate{2004, 3, 7, 9, 5, 0}));
  EXPECT_EQ(f.dLastAccessed(), (FileDate{2004, 3, 7, 9, 5, 0}));
  // Created just now (or, without a birth time, at the last write).
  FileDate created = f.dCreated();
  EXPECT_TRUE(created.year >= 2020 || created == (FileDate{2004, 3, 7, 9, 5, 0}))
      << created.Text();
  EXPECT_EQ(f.sShortName(), path);
  EXPECT_EQ(f.sExpandedName(), path);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_NE(f.lVolumeSerialNo(), 0);
  EXPECT_EQ(f.eVolumeType() >= platform::kDriveRemovable, true);
  EXPECT_FALSE(f.sVolumeName().empty());
  EXPECT_EQ(f.sPathRoot(), "/");
  EXPECT_EQ(f.sDriveLetter(), "");
}

TEST(FileProperties, MissingFile) {
  test::TempDir dir;
  clsFile_Tamo f(dir.File("not-there.dll"));
  const FileDate zero{1601, 1, 1, 0, 0, 0};
  EXPECT_EQ(f.lSize(), 0);
  EXPECT_EQ(f.eAttributes(), -1);
  EXPECT_EQ(f.dCreated(), zero);
  EXPECT_EQ(f.dLastAccessed(), zero);
  EXPECT_EQ(f.dLastModified(), zero);
  EXPECT_EQ(f.lVolumeSerialNo(), 0);
  EXPECT_FALSE(f.bFixedDisk());
  EXPECT_EQ(f.sShortName(), "");
  EXPECT_EQ(f.sExpandedName(), "");
}

// Opening such a file could wait (a FIFO) or act (a device): none is opened.
TEST(FileProperties, FifosDevicesAndSocketsHaveNoProperties) {
  test::TempDir dir;
  const std::string fifo = dir.File("pipe.dll");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir.File("socket.dll");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const FileDate zero{1601, 1, 1, 0, 0, 0};
  for (const std::string& path : {fifo, socketPath, std::string("/dev/null")}) {
    clsFile_Tamo f(path);
    EXPECT_EQ(f.dCreated(), zero) << path;
    EXPECT_EQ(f.dLastAccessed(), zero) << path;
    EXPECT_EQ(f.dLastModified(), zero) << path;
    EXPECT_EQ(f.lVolumeSerialNo(), 0) << path;
    EXPECT_EQ(f.lSize(), 0) << path;
    EXPECT_FALSE(f.bFixedDisk()) << path;
    EXPECT_EQ(f.sExpandedName(), "") << path;
    EXPECT_EQ(f.eAttributes(), platform::kAttrNormal) << path;  // read without opening
  }
  ::close(sock);
}

TEST(FileProperties, FoldersAreNotOpenedAsFiles) {
  test::TempDir dir;
  clsFile_Tamo f(dir.path().string());
  EXPECT_EQ(f.eAttributes(), platform::kAttrDirectory);
  EXPECT_EQ(f.lSize(), 0);
  EXPECT_EQ(f.dCreated(), (FileDate{1601, 1, 1, 0, 0, 0}));
}

TEST(FileProperties, WritingAttributesTogglesReadOnly) {
  test::TempDir dir;
  clsFile_Tamo f(dir.Write("rw.txt", "abc"));
  f.eAttributes(platform::kAttrReadOnly);
  EXPECT_EQ(f.eAttributes(), platform::kAttrArchive | platform::kAttrReadOnly);
  f.eAttributes(platform::kAttrNormal);
  EXPECT_EQ(f.eAttributes(), platform::kAttrArchive);
  clsFile_Tamo missing(dir.File("gone"));
  missing.eAttributes(platform::kAttrReadOnly);  // ignored, no throw
  EXPECT_EQ(missing.eAttributes(), -1);
}

TEST(FileProperties, SizesBeyondFourGigabytes) {
  test::TempDir dir;
  const std::string path = dir.Write("sparse.bin", "");
  ASSERT_EQ(::truncate(path.c_str(), 5LL * 1024 * 1024 * 1024), 0);  // sparse: no disk used
  EXPECT_EQ(clsFile_Tamo(path).lSize(), 5LL * 1024 * 1024 * 1024);
}

TEST(FileProperties, PathsLongerThanTheKernelLimit) {
  test::TempDir dir;
  std::string path = dir.path().string();
  std::string name(200, 'n');
  for (int i = 0; i < 30; ++i) path += "/" + name;  // about 6000 characters
  // Built with *at calls, since the path is too long for the plain ones.
  int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
    int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  int file = ::openat(fd, "deep.dll", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::write(file, "12345", 5), 5);
  ::close(file);
  ::close(fd);

  clsFile_Tamo f(path + "/deep.dll");
  EXPECT_EQ(f.lSize(), 5);
  EXPECT_EQ(f.eAttributes(), platform::kAttrArchive);
  EXPECT_GT(f.dLastModified().year, 2000);
  EXPECT_EQ(SearchNames(path + "/*.dll"), std::vector<std::string>{"deep.dll"});
  test::RemoveTree(dir.path().string() + "/" + name);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(Volumes, DriveTypesAndVolumeFacts) {
  EXPECT_EQ(platform::GetDriveType(""), platform::kDriveNoRootDir);
  EXPECT_EQ(platform::GetDriveType("/no/such/folder"), platform::kDriveNoRootDir);
  test::TempDir dir;
  EXPECT_EQ(platform::GetDriveType(dir.Write("f.txt", "x")), platform::kDriveNoRootDir);

  platform::VolumeInformation proc;
  ASSERT_TRUE(platform::GetVolumeInformation("/proc", proc));
  EXPECT_EQ(proc.fileSystemName, "proc");
  EXPECT_EQ(proc.volumeName, "proc");
  struct stat st {};
  ASSERT_EQ(::stat("/proc", &st), 0);
  EXPECT_NE(proc.serialNumber, 0u);
  EXPECT_FALSE(platform::GetVolumeInformation("/no/such/folder", proc));

  struct statfs fs {};
  if (::statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC) {
    EXPECT_EQ(platform::GetDriveType("/dev/shm"), platform::kDriveRamDisk);
    platform::VolumeInformation shm;
    ASSERT_TRUE(platform::GetVolumeInformation("/dev/shm", shm));
    EXPECT_EQ(shm.fileSystemName, "tmpfs");
    EXPECT_GT(shm.maximumComponentLength, 0u);
  }
}

}  // namespace
}  // namespace korvane
