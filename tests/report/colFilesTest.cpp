// The file collection on real trees: order against an independent readdir
// walk, recursion, patterns, links, depth, names, and the list operations.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <map>

#include "TreeHelpers.h"
#include "common/VbError.h"
#include "report/colFiles_Tamo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

std::vector<std::string> Paths(const colFiles_Tamo& files) {
  std::vector<std::string> out;
  for (const auto& f : files) out.push_back(f->sFileName());
  return out;
}

class Collection : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string root = dir.path().string() + "/";

  // A tree with files at every level, blanks and non-ASCII letters included.
  void MakeMixedTree() {
    test::MakeFolder(root + "sub/inner");
    test::MakeFolder(root + "Zweig mit Ä/tiefer");
    test::MakeFolder(root + "empty");
    test::MakeFolder(root + "x.dll");  // a folder whose name matches *.dll
    for (const char* f : {"a.dll", "b.OCX", "c.txt", "README", ".hidden.dll", "sub/s1.dll",
                          "sub/s2.txt", "sub/inner/i1.exe", "sub/inner/i2.DLL",
                          "Zweig mit Ä/Grüße.dll", "Zweig mit Ä/tiefer/n o.dll",
                          "x.dll/inside.dll"}) {
      test::MakeFile(root + f);
    }
  }
};

TEST_F(Collection, SubfolderFilesComeFirst) {
  test::MakeFolder(root + "R/sub");
  test::MakeFile(root + "R/a.dll");
  test::MakeFile(root + "R/sub/b.dll");
  colFiles_Tamo files;
  EXPECT_EQ(files.LoadFiles(root + "R/*.*", true), 2);
  EXPECT_EQ(files.Item(1)->sFileName(), root + "R/sub/b.dll");
  EXPECT_EQ(files.Item(2)->sFileName(), root + "R/a.dll");
}

TEST_F(Collection, RecursiveOrderIsTheFileSystemsOwn) {
  MakeMixedTree();
  colFiles_Tamo files;
  std::vector<std::string> expected = test::ReaddirOrder(root, true);
  EXPECT_EQ(files.LoadFiles(root + "*.*", true), static_cast<int>(expected.size()));
  EXPECT_EQ(Paths(files), expected);
  EXPECT_EQ(expected.size(), 12u);  // hidden files included, folders never
}

TEST_F(Collection, WithoutRecursionOnlyTheFolderItself) {
  MakeMixedTree();
  colFiles_Tamo files;
  files.LoadFiles(root + "*.*", false);
  EXPECT_EQ(Paths(files), test::ReaddirOrder(root, false));
  EXPECT_EQ(files.Count(), 5);
}

TEST_F(Collection, PatternFiltersFilesButEverySubfolderIsVisited) {
  MakeMixedTree();
  colFiles_Tamo files;
  files.LoadFiles(root + "*.dll", true);
  std::vector<std::string> expected;
  for (const auto& p : test::ReaddirOrder(root, true)) {
    std::string lower = p;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.ends_with(".dll")) expected.push_back(p);
  }
  EXPECT_EQ(Paths(files), expected);
  EXPECT_EQ(files.Count(), 7);  // x.dll (a folder) is not an item
}

TEST_F(Collection, SecondLoadStartsFromAnEmptyList) {
  MakeMixedTree();
  colFiles_Tamo files;
  files.LoadFiles(root + "*.*", true);
  EXPECT_EQ(files.LoadFiles(root + "sub/*.txt", false), 1);
  EXPECT_EQ(files.Item(1)->sFileName(), root + "sub/s2.txt");
}

TEST_F(Collection, EmptyAndMissingFolders) {
  test::MakeFolder(root + "empty");
  colFiles_Tamo files;
  EXPECT_EQ(files.LoadFiles(root + "empty/*.*", true), 0);
  EXPECT_EQ(files.LoadFiles(root + "missing/*.*", true), 0);
  EXPECT_EQ(files.LoadFiles(root + "missing/*.*", false), 0);
  EXPECT_EQ(files.Item(1), nullptr);
}

TEST_F(Collection, LinkedFoldersAreNotEntered) {
  test::MakeFolder(root + "loop/inner");
  test::MakeFile(root + "loop/inner/f.dll");
  ASSERT_EQ(::symlink("..", (root + "loop/inner/up").c_str()), 0);
  ASSERT_EQ(::symlink(root.c_str(), (root + "loop/top").c_str()), 0);
  ASSERT_EQ(::symlink("inner/f.dll", (root + "loop/filelink.dll").c_str()), 0);
  colFiles_Tamo files;
  files.LoadFiles(root + "*.*", true);
  EXPECT_EQ(Paths(files), test::ReaddirOrder(root, true));
  // A link to a file is a file like any other.
  EXPECT_EQ(files.Count(), 2);
}

TEST_F(Collection, SpecWithoutTrailingSeparatorInFolderNames) {
  test::MakeFolder(root + "a b/c");
  test::MakeFile(root + "a b/c/ü.dll");
  colFiles_Tamo files;
  files.LoadFiles(root + "a b/*.*", true);
  ASSERT_EQ(files.Count(), 1);
  EXPECT_EQ(files.Item(1)->sFileName(), root + "a b/c/ü.dll");
  EXPECT_EQ(files.Item(1)->sNameAndExtension(), "ü.dll");
}

// A fresh folder in memory when the machine has one (10,000 folders on a
// busy disk take tens of seconds to make and remove), else under TMPDIR.
class ScratchFolder {
 public:
  ScratchFolder() {
    char shm[] = "/dev/shm/korvane-report-XXXXXX";
    if (::mkdtemp(shm) != nullptr) {
      path_ = shm;
    } else {
      path_ = fallback_.path().string();
    }
  }
  ~ScratchFolder() { test::RemoveTree(path_); }
  const std::string& path() const { return path_; }

 private:
  test::TempDir fallback_;
  std::string path_;
};

TEST(CollectionDepth, TenThousandLevelsDeep) {
  // Built with *at calls: the full path is far beyond what one call takes.
  const int kDepth = 10000;
  ScratchFolder dir;
  const std::string root = dir.path() + "/";
  int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::mkdirat(fd, "deep", 0755), 0);
  int next = ::openat(fd, "deep", O_RDONLY | O_DIRECTORY);
  ::close(fd);
  fd = next;
  for (int i = 0; i < kDepth; ++i) {
    int file = ::openat(fd, "f.dll", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ::close(file);
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << i;
    next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    ASSERT_GE(fd, 0);
  }
  ::close(fd);

  colFiles_Tamo files;
  EXPECT_EQ(files.LoadFiles(root + "deep/*.*", true), kDepth);
  // The deepest file first, the top one last.
  std::string deepest = root + "deep/";
  for (int i = 0; i < kDepth - 1; ++i) deepest += "d/";
  EXPECT_EQ(files.Item(1)->sFileName(), deepest + "f.dll");
  EXPECT_EQ(files.Item(kDepth)->sFileName(), root + "deep/f.dll");
  EXPECT_EQ(files.Item(1)->lSize(), 0);
  EXPECT_EQ(files.Item(1)->eAttributes(), 32);
}

TEST(CollectionList, LookupByPositionAndKey) {
  colFiles_Tamo files;
  auto a = files.Add("C:\\a.dll", "First");
  auto b = files.Add("C:\\b.dll");
  auto c = files.Add("C:\\c.dll", "third");
  EXPECT_EQ(files.Count(), 3);
  EXPECT_EQ(files.Item(1), a);  // the stored object itself
  EXPECT_EQ(files.Item(2), b);
  EXPECT_EQ(files.Item("FIRST"), a);
  EXPECT_EQ(files.Item("Third"), c);
  EXPECT_EQ(files.Item("c:\\B.DLL"), b);  // a path is its own key when none is given
  EXPECT_EQ(files.Item(0), nullptr);
  EXPECT_EQ(files.Item(4), nullptr);
  EXPECT_EQ(files.Item(-1), nullptr);
  EXPECT_EQ(files.Item("unknown"), nullptr);
  a->sFileName("C:\\renamed.dll");
  EXPECT_EQ(files.Item(1)->sFileName(), "C:\\renamed.dll");
}

TEST(CollectionList, DuplicateKeysAndPaths) {
  colFiles_Tamo files;
  files.Add("C:\\a.dll", "k");
  try {
    files.Add("C:\\b.dll", "K");
    FAIL() << "a duplicate key must be refused";
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), 457);
  }
  auto first = files.Add("C:\\x.dll");
  auto second = files.Add("c:\\X.DLL");
  ASSERT_NE(second, nullptr);  // returned although not stored
  EXPECT_NE(first, second);
  EXPECT_EQ(files.Count(), 2);
}

TEST(CollectionList, RemoveByPositionAndKey) {
  colFiles_Tamo files;
  files.Add("1.dll", "one");
  files.Add("2.dll", "two");
  files.Add("3.dll", "three");
  files.Remove("TWO");
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Item(2)->sFileName(), "3.dll");
  EXPECT_EQ(files.Item("two"), nullptr);
  files.Remove("two");  // unknown now: ignored
  files.Remove(0);
  files.Remove(3);
  EXPECT_EQ(files.Count(), 2);
  files.Remove(1);
  EXPECT_EQ(files.Item(1)->sFileName(), "3.dll");
  EXPECT_EQ(files.Item("one"), nullptr);
  EXPECT_EQ(files.Item("three")->sFileName(), "3.dll");
  files.Add("1.dll", "one");  // its key is free again
  files.Clear();
  EXPECT_EQ(files.Count(), 0);
  EXPECT_EQ(files.Item("three"), nullptr);
}

// Records what LoadFiles does with a progress control; can be told to fail.
class RecordingBar : public LoadProgress {
 public:
  void SetMin(int v) override {
    if (failing) throw std::runtime_error("no Min");
    log.push_back("min " + std::to_string(v));
  }
  void SetMax(int v) override { log.push_back("max " + std::to_string(v)); }
  int Value() const override { return value; }
  void SetValue(int v) override {
    value = v;
    log.push_back("value " + std::to_string(v));
  }
  void Refresh() override {
    ++refreshes;
    if (failing) throw std::runtime_error("no Refresh");
  }
  std::vector<std::string> log;
  int value = -1;
  int refreshes = 0;
  bool failing = false;
};

// Every call, the recursive ones included, sets the bar up for its own
// folder (Min 0, Value 0, Max its matches plus one); each entry of a file
// search then adds one to the value, without a reset after a subfolder.
TEST_F(Collection, EveryCallSetsTheBarUpForItsFolder) {
  test::MakeFolder(root + "sub/empty");
  test::MakeFile(root + "a.dll");
  test::MakeFile(root + "b.txt");
  test::MakeFile(root + "sub/c.dll");
  auto setUp = [](int matches) {
    return std::vector<std::string>{"min 0", "value 0", "max " + std::to_string(matches + 1)};
  };
  auto values = [](int from, int to) {
    std::vector<std::string> v;
    for (int i = from; i <= to; ++i) v.push_back("value " + std::to_string(i));
    return v;
  };
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const struct {
    const char* pattern;
    std::vector<std::string> log;
  } cases[] = {
      // root: . .. a.dll b.txt sub; sub: . .. c.dll empty; empty: . ..
      {"*.*", join({setUp(5), setUp(4), setUp(2), values(1, 2), values(3, 6), values(7, 11)})},
      // root: a.dll; sub: c.dll; empty: nothing
      {"*.dll", join({setUp(1), setUp(1), setUp(0), values(1, 1), values(2, 2)})},
  };
  for (const auto& c : cases) {
    RecordingBar bar;
    colFiles_Tamo files;
    files.LoadFiles(root + c.pattern, true, &bar);
    EXPECT_EQ(bar.log, c.log) << c.pattern;
    EXPECT_EQ(bar.refreshes, bar.value) << c.pattern;
  }

  RecordingBar broken;
  broken.failing = true;
  colFiles_Tamo files;
  EXPECT_EQ(files.LoadFiles(root + "*.*", true, &broken), 3);
  EXPECT_EQ(broken.value, 11);  // the other steps went on
}

}  // namespace
}  // namespace korvane
