// The Linux registry store through the platform registry functions: the
// Windows behaviour the registry class and the .reg tools rely on.

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "StoreFixture.h"
#include "support/KeyPath.h"
#include "formats/RegFile.h"
#include "registry/RegFileExport.h"
#include "registry/RegFileKeys.h"
#include "registry/RegFileQuery.h"

namespace korvane::test {
namespace {

using namespace korvane::platform;

using RegistryStore = FreshStore;

std::vector<std::string> SubKeys(HKey root, const std::string& path) {
  std::vector<std::string> names;
  HKey key = 0;
  if (RegOpenKeyEx(root, path, kKeyEnumerateSubKeys, &key) != 0) return names;
  std::string name;
  for (std::uint32_t i = 0; RegEnumKey(key, i, &name, 256) == kErrorSuccess; ++i) {
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

std::vector<std::string> ValueNames(HKey root, const std::string& path) {
  std::vector<std::string> names;
  HKey key = 0;
  if (RegOpenKeyEx(root, path, kKeyQueryValue, &key) != 0) return names;
  std::string name;
  for (std::uint32_t i = 0; RegEnumValue(key, i, &name, 16384) == kErrorSuccess; ++i) {
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

TEST_F(RegistryStore, NewStoreHasTheBaseClassKeys) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(Get(kHKeyClassesRoot, ".dll", "", &type, &data), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, Bytes(std::string("dllfile", 8)));
  ASSERT_EQ(Get(kHKeyClassesRoot, ".exe", "", &type, &data), kErrorSuccess);
  EXPECT_EQ(data, Bytes(std::string("exefile", 8)));
  ASSERT_EQ(Get(kHKeyClassesRoot, ".ocx", "", &type, &data), kErrorSuccess);
  EXPECT_EQ(data, Bytes(std::string("ocxfile", 8)));
  EXPECT_TRUE(Exists(kHKeyClassesRoot, "Folder"));
  EXPECT_TRUE(Exists(kHKeyClassesRoot, "dllfile"));
  EXPECT_TRUE(Exists(kHKeyLocalMachine, "Software\\Classes\\.ocx"));
  // The extension keys hold only their default value.
  EXPECT_EQ(ValueNames(kHKeyClassesRoot, ".dll"), std::vector<std::string>{""});
}

TEST_F(RegistryStore, FileIsCreatedWithItsFoldersAndForTheOwnerOnly) {
  const std::string nested = Dir().File("a/b/c/store.db");
  ScopedEnv env("KORVANE_REGISTRY", nested);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\T", "v", kRegSz, Bytes("x")), kErrorSuccess);
  // The journal files beside it, present while the store is open, are private too.
  for (const std::string& file : {nested, nested + "-wal", nested + "-shm"}) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
  }
  EXPECT_EQ(posix::RegistryStore::Instance().FilePath(), nested);
}

TEST_F(RegistryStore, WithoutTheVariableTheStoreLivesInTheDataFolder) {
  ScopedEnv unset("KORVANE_REGISTRY", "");
  ScopedEnv data("XDG_DATA_HOME", Dir().File("xdg"));
  EXPECT_TRUE(Exists(kHKeyClassesRoot, ".dll"));
  EXPECT_EQ(posix::RegistryStore::Instance().FilePath(), Dir().File("xdg") + "/korvane/registry.db");
  EXPECT_TRUE(std::filesystem::exists(Dir().File("xdg/korvane/registry.db")));
}

TEST_F(RegistryStore, ChangingTheVariableSwitchesToAnotherFile) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\First", "v", kRegDword, {1, 0, 0, 0}), 0);
  {
    ScopedEnv other("KORVANE_REGISTRY", Dir().File("other.db"));
    EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\First"));
    EXPECT_TRUE(Exists(kHKeyClassesRoot, ".dll"));
  }
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\First"));
}

// The one check of how names compare; the other tests spell names one way.
TEST_F(RegistryStore, NamesCompareIgnoringLetterCaseInEveryAlphabetAndKeepTheFirstSpelling) {
  struct Case {
    std::string written;
    std::string asked;
    bool same;
  };
  const std::vector<Case> cases = {
      {"Software", "SOFTWARE", true},
      {"\xC3\x84rger", "\xC3\xA4RGER", true},                          // Ärger, äRGER
      {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD0\xA0\xD0\x98", true},  // При, пРИ
      {"\xCE\xA9mega", "\xCF\x89MEGA", true},                          // Ωmega, ωMEGA
      {"stra\xC3\x9F" "e", "STRASSE", false},  // ß has no single upper-case form
      {"a\x80", "A\x80", true},                 // bytes that are no UTF-8 stay as they are
      {"\x80", "\x81", false},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string parent = "Software\\Fold" + std::to_string(i);
    ASSERT_EQ(Put(kHKeyCurrentUser, parent + "\\" + c.written, c.written, kRegSz, Bytes("1")), 0);
    EXPECT_EQ(Exists(kHKeyCurrentUser, parent + "\\" + c.asked), c.same) << i;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Get(kHKeyCurrentUser, parent + "\\" + c.written, c.asked, &type, &data) == 0, c.same)
        << i;
    // Writing through the other spelling changes the first one where they are
    // the same name, and the first spelling stays.
    ASSERT_EQ(Put(kHKeyCurrentUser, parent + "\\" + c.asked, c.asked, kRegSz, Bytes("2")), 0);
    std::vector<std::string> keys = SubKeys(kHKeyCurrentUser, parent);
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> expected = {c.written};
    if (!c.same) expected.push_back(c.asked);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected) << i;
    EXPECT_EQ(ValueNames(kHKeyCurrentUser, parent + "\\" + c.written),
              std::vector<std::string>{c.written})
        << i;
    ASSERT_EQ(Get(kHKeyCurrentUser, parent + "\\" + c.written, c.written, &type, &data), 0) << i;
    EXPECT_EQ(data, Bytes(c.same ? "2" : "1")) << i;
  }
}

TEST_F(RegistryStore, ClassesRootIsTheClassesKeyOfTheLocalMachine) {
  ASSERT_EQ(Put(kHKeyClassesRoot, "TestClass\\shell", "a", kRegSz, Bytes("through root")), 0);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(Get(kHKeyLocalMachine, "Software\\Classes\\TestClass\\shell", "a", &type, &data), 0);
  EXPECT_EQ(data, Bytes("through root"));
  ASSERT_EQ(Put(kHKeyLocalMachine, "Software\\Classes\\Other", "", kRegSz, Bytes("lm")), 0);
  EXPECT_EQ(Get(kHKeyClassesRoot, "Other", "", &type, &data), 0);
  EXPECT_EQ(data, Bytes("lm"));
  EXPECT_EQ(RegDeleteKey(kHKeyLocalMachine, "Software\\Classes\\Other"), kErrorSuccess);
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "Other"));
  // The alias itself and the roots cannot be deleted.
  EXPECT_EQ(RegDeleteKey(kHKeyClassesRoot, ""), kErrorAccessDenied);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, ""), kErrorAccessDenied);
}

TEST_F(RegistryStore, RootsAreSeparateTrees) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Only", "", kRegSz, Bytes("cu")), 0);
  EXPECT_FALSE(Exists(kHKeyLocalMachine, "Software\\Only"));
  EXPECT_FALSE(Exists(kHKeyUsers, "Software\\Only"));
  HKey key = 0;
  EXPECT_EQ(RegOpenKeyEx(0x80000005u, "", kKeyQueryValue, &key), kErrorInvalidHandle);
  EXPECT_EQ(RegOpenKeyEx(0, "Software", kKeyQueryValue, &key), kErrorInvalidHandle);
}

TEST_F(RegistryStore, DeleteKeyRefusesAKeyWithSubKeys) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\P\\Child", "v", kRegSz, Bytes("x")), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\P", "w", kRegSz, Bytes("y")), 0);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\P"), kErrorAccessDenied);
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\P\\Child"));
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\P\\Child"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\P"), kErrorSuccess);
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\P"));
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\P"), kErrorFileNotFound);
  // A key made again under the same name starts without the old values.
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\P", "other", kRegSz, Bytes("z")), 0);
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\P"), std::vector<std::string>{"other"});
}

TEST_F(RegistryStore, BadPathsAreRefusedAsWindowsRefusesThem) {
  HKey key = 0;
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "\\.dll", kKeyQueryValue, &key), kErrorBadPathname);
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "\\New", kKeyAllSpecific, &key), kErrorBadPathname);
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\\\New", kKeyAllSpecific, &key),
            kErrorBadPathname);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "\\Software"), kErrorBadPathname);
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\New"));
  // Trailing separators are ignored.
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\Trail\\\\", kKeyAllSpecific, &key), 0);
  RegCloseKey(key);
  EXPECT_EQ(SubKeys(kHKeyCurrentUser, "Software"), std::vector<std::string>{"Trail"});
  // Key names are at most 255 characters long (counted as Windows counts them).
  const std::string longest(255, 'k');
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\" + longest, kKeyAllSpecific, &key), 0);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\" + longest + "k", kKeyAllSpecific, &key),
            kErrorInvalidParameter);
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "ä";  // 400 bytes, 200 characters
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\" + wide, kKeyAllSpecific, &key), 0);
  RegCloseKey(key);
}

TEST_F(RegistryStore, SubKeysEnumerateAlphabeticallyIgnoringCase) {
  for (const char* name : {"b", "ä", "_x", "C", "A", "a2"}) {
    HKey key = 0;
    ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, std::string("Software\\Order\\") + name,
                             kKeyAllSpecific, &key),
              0);
    RegCloseKey(key);
  }
  EXPECT_EQ(SubKeys(kHKeyCurrentUser, "Software\\Order"),
            (std::vector<std::string>{"A", "a2", "b", "C", "_x", "ä"}));
}

TEST_F(RegistryStore, ValuesEnumerateInTheOrderFirstWritten) {
  for (const char* name : {"zeta", "alpha", "", "Mid"}) {
    ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Vals", name, kRegSz, Bytes("1")), 0);
  }
  // Rewriting keeps the place.
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Vals", "alpha", kRegDword, {7, 0, 0, 0}), 0);
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Vals"),
            (std::vector<std::string>{"zeta", "alpha", "", "Mid"}));
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Vals", kKeyAllSpecific, &key), 0);
  EXPECT_EQ(RegDeleteValue(key, "zeta"), kErrorSuccess);
  EXPECT_EQ(RegDeleteValue(key, "zeta"), kErrorFileNotFound);
  RegCloseKey(key);
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Vals"),
            (std::vector<std::string>{"alpha", "", "Mid"}));
}

TEST_F(RegistryStore, EnumerationFollowsChangesMadeDuringTheWalk) {
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_EQ(Put(kHKeyCurrentUser, std::string("Software\\Walk\\") + name, "", kRegSz, {}), 0);
  }
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Walk", kKeyEnumerateSubKeys, &key), 0);
  std::string name;
  ASSERT_EQ(RegEnumKey(key, 0, &name, 256), 0);
  EXPECT_EQ(name, "a");
  ASSERT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Walk\\b"), 0);
  ASSERT_EQ(RegEnumKey(key, 1, &name, 256), 0);
  EXPECT_EQ(name, "c");
  EXPECT_EQ(RegEnumKey(key, 2, &name, 256), kErrorNoMoreItems);
  RegCloseKey(key);
}

TEST_F(RegistryStore, TooSmallBuffersAnswerMoreDataWithTheSizeNeeded) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Size", "v", kRegSz, Bytes(std::string("hello", 6))),
            0);
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Size", kKeyQueryValue, &key), 0);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "v", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 6u);
  std::uint8_t buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  size = 5;
  type = 0;
  EXPECT_EQ(RegQueryValueEx(key, "v", &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, kRegSz);
  size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "v", &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  size = 8;
  EXPECT_EQ(RegQueryValueEx(key, "v", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), std::string("hello", 6));
  EXPECT_EQ(buffer[6], 0xAA);  // nothing written past the value
  EXPECT_EQ(RegQueryValueEx(key, "v", &type, buffer, nullptr), kErrorInvalidParameter);
  EXPECT_EQ(RegQueryValueEx(key, "missing", &type, nullptr, &size), kErrorFileNotFound);
  RegCloseKey(key);

  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Size\\Änder", "näme", kRegSz, {}), 0);
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Size", kKeyAllSpecific, &key), 0);
  std::string name = "untouched";
  EXPECT_EQ(RegEnumKey(key, 0, &name, 5), kErrorMoreData);  // 5 characters + NUL needed
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(RegEnumKey(key, 0, &name, 6), kErrorSuccess);
  EXPECT_EQ(name, "Änder");
  EXPECT_EQ(RegEnumValue(key, 0, &name, 1), kErrorMoreData);
  EXPECT_EQ(RegEnumValue(key, 0, &name, 2), kErrorSuccess);
  EXPECT_EQ(name, "v");
  RegCloseKey(key);
}

TEST_F(RegistryStore, ValueBytesAndTypesComeBackExactly) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  const std::vector<Case> cases = {
      {"sz without NUL", kRegSz, Bytes("abc")},
      {"empty", kRegSz, {}},
      {"expand", kRegExpandSz, Bytes(std::string("%TEMP%\\x", 9))},
      {"binary", kRegBinary, {0, 1, 0, 0xFF, 0}},
      {"dword", kRegDword, {1, 2, 3, 4}},
      {"big endian", kRegDwordBigEndian, {1, 2, 3, 4}},
      {"multi", kRegMultiSz, Bytes(std::string("a\0b\0\0", 5))},
      {"qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"unknown type", 0x12345678u, {9}},
      {"none", kRegNone, {}},
      {"utf8 text", kRegSz, Bytes(std::string("Grüße\0", 8))},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Types", c.name, c.type, c.data), 0) << c.name;
  }
  for (const Case& c : cases) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Get(kHKeyCurrentUser, "Software\\Types", c.name, &type, &data), 0) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Types", kKeyAllSpecific, &key), 0);
  EXPECT_EQ(RegSetValueEx(key, "bad", kRegBinary, nullptr, 4), kErrorInvalidParameter);
  EXPECT_EQ(RegSetValueEx(key, std::string(16384, 'n'), kRegSz, nullptr, 0),
            kErrorInvalidParameter);
  EXPECT_EQ(RegSetValueEx(key, std::string(16383, 'n'), kRegSz, nullptr, 0), kErrorSuccess);
  RegCloseKey(key);
}

TEST_F(RegistryStore, DefaultValueIsTheValueWithTheEmptyName) {
  HKey key = 0;
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\Def", kKeyAllSpecific, &key), 0);
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "", nullptr, nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Def"), std::vector<std::string>{});
  const std::string text("default", 8);
  ASSERT_EQ(RegSetValueEx(key, "", kRegSz, reinterpret_cast<const std::uint8_t*>(text.data()), 8),
            0);
  EXPECT_EQ(RegQueryValueEx(key, "", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegDeleteValue(key, ""), kErrorSuccess);
  EXPECT_EQ(RegQueryValueEx(key, "", nullptr, nullptr, &size), kErrorFileNotFound);
  RegCloseKey(key);
}

TEST_F(RegistryStore, HandlesAreSmallNumbersOfTheirOwn) {
  HKey first = 0;
  HKey second = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "", kKeyQueryValue, &first), 0);
  ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, ".dll", kKeyQueryValue, &second), 0);
  EXPECT_NE(first, 0u);
  EXPECT_NE(first, second);
  EXPECT_LT(first, 0x10000u);
  EXPECT_LT(second, 0x10000u);
  // A handle to the root reads the same key as the root constant.
  std::uint32_t size = 0;
  HKey dll = 0;
  ASSERT_EQ(RegOpenKeyEx(first, ".dll", kKeyQueryValue, &dll), 0);
  EXPECT_EQ(RegQueryValueEx(dll, "", nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegCloseKey(dll), kErrorSuccess);
  EXPECT_EQ(RegCloseKey(first), kErrorSuccess);
  EXPECT_EQ(RegCloseKey(first), kErrorInvalidHandle);
  EXPECT_EQ(RegQueryValueEx(first, "", nullptr, nullptr, &size), kErrorInvalidHandle);
  EXPECT_EQ(RegCloseKey(second), kErrorSuccess);
  EXPECT_EQ(RegCloseKey(kHKeyClassesRoot), kErrorSuccess);  // roots stay usable
  EXPECT_TRUE(Exists(kHKeyClassesRoot, ".dll"));
  EXPECT_EQ(RegCloseKey(12345), kErrorInvalidHandle);
}

TEST_F(RegistryStore, AHandleToADeletedKeyAnswersKeyDeleted) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Gone", "v", kRegSz, Bytes("x")), 0);
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Gone", kKeyAllSpecific, &key), 0);
  ASSERT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Gone"), kErrorSuccess);
  std::uint32_t size = 0;
  std::string name;
  RegKeyInfo info;
  HKey child = 0;
  EXPECT_EQ(RegQueryValueEx(key, "v", nullptr, nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(RegSetValueEx(key, "w", kRegNone, nullptr, 0), kErrorKeyDeleted);
  EXPECT_EQ(RegDeleteValue(key, "v"), kErrorKeyDeleted);
  EXPECT_EQ(RegEnumKey(key, 0, &name, 256), kErrorKeyDeleted);
  EXPECT_EQ(RegEnumValue(key, 0, &name, 256), kErrorKeyDeleted);
  EXPECT_EQ(RegQueryInfoKey(key, &info), kErrorKeyDeleted);
  EXPECT_EQ(RegOpenKeyEx(key, "", kKeyQueryValue, &child), kErrorKeyDeleted);
  EXPECT_EQ(RegOpenKeyEx(key, "sub", kKeyQueryValue, &child), kErrorKeyDeleted);
  EXPECT_EQ(RegCreateKeyEx(key, "sub", kKeyAllSpecific, &child), kErrorKeyDeleted);
  // Re-creating the name makes a new key; the old handle stays dead.
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Gone", "v", kRegSz, Bytes("y")), 0);
  EXPECT_EQ(RegQueryValueEx(key, "v", nullptr, nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(RegCloseKey(key), kErrorSuccess);
}

TEST_F(RegistryStore, CreateReportsWhetherTheKeyIsNew) {
  HKey key = 0;
  bool created = false;
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\A\\B\\C", kKeyAllSpecific, &key, &created),
            0);
  EXPECT_TRUE(created);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\A\\B\\C", kKeyAllSpecific, &key, &created),
            0);
  EXPECT_FALSE(created);
  RegCloseKey(key);
  EXPECT_EQ(SubKeys(kHKeyCurrentUser, "Software\\A\\B"), std::vector<std::string>{"C"});
  // Opening never creates.
  EXPECT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\A\\X", kKeyQueryValue, &key),
            kErrorFileNotFound);
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\A\\X"));
}

TEST_F(RegistryStore, QueryInfoCountsNamesInWindowsCharacters) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Info\\ä", "", kRegSz, {}), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Info\\abcd", "", kRegSz, {}), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Info", "ÄÖÜÄÖ", kRegBinary, {1, 2, 3}), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Info", "x", kRegBinary, std::vector<std::uint8_t>(40)),
            0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Info", "😀", kRegNone, {}), 0);
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Info", kKeyQueryValue, &key), 0);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(key, &info), 0);
  EXPECT_EQ(info.subKeys, 2u);
  EXPECT_EQ(info.maxSubKeyLen, 4u);
  EXPECT_EQ(info.values, 3u);
  EXPECT_EQ(info.maxValueNameLen, 5u);
  EXPECT_EQ(info.maxValueLen, 40u);
  RegCloseKey(key);
  std::string name;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Info", kKeyQueryValue, &key), 0);
  EXPECT_EQ(RegEnumValue(key, 2, &name, 2), kErrorMoreData);  // a surrogate pair is 2 units
  EXPECT_EQ(RegEnumValue(key, 2, &name, 3), kErrorSuccess);
  RegCloseKey(key);
}

TEST_F(RegistryStore, ThreadsOfOneProcessShareTheStoreSafely) {
  constexpr int kThreads = 4;
  constexpr int kValues = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kValues; ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(i);
        Put(kHKeyCurrentUser, "Software\\Threads\\T" + std::to_string(t), "v" + std::to_string(i),
            kRegBinary, {byte});
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Threads\\T" + std::to_string(t)).size(),
              static_cast<std::size_t>(kValues));
  }
}

// A registry that cannot be read answers with the registry's own failures,
// never as if the key were missing or protected.
TEST_F(RegistryStore, AStoreThatCannotBeOpenedIsAFailureNotAMissingKey) {
  const std::string junk = Dir().Write("junk.db", std::string(4096, 'x'));
  const std::string blocker = Dir().Write("a-file", "");
  struct Case {
    const char* what;
    std::string store;
    long expected;
  };
  const Case cases[] = {
      {"a file that is no store", junk, kErrorRegistryCorrupt},
      {"a folder where the file should be", Dir().path().string(), kErrorRegistryIoFailed},
      {"below a file", blocker + "/registry.db", kErrorRegistryIoFailed},
      // sysfs refuses new files even to root, as a read-only folder refuses others.
      {"in a folder nobody may write to", "/sys/korvane-registry.db", kErrorRegistryIoFailed},
  };
  for (const Case& c : cases) {
    ScopedEnv env("KORVANE_REGISTRY", c.store);
    HKey key = 0;
    EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, ".dll", kKeyQueryValue, &key), c.expected) << c.what;
    EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software", kKeyAllSpecific, &key), c.expected)
        << c.what;
    EXPECT_EQ(RegDeleteTree(kHKeyCurrentUser, "Software"), c.expected) << c.what;
  }
  EXPECT_EQ(ReadFile(junk), std::string(4096, 'x'));
}

// Every key below root\path, as full paths, parents first.
std::vector<std::string> AllKeys(HKey root, const std::string& path) {
  std::vector<std::string> keys;
  for (const std::string& name : SubKeys(root, path)) {
    const std::string child = path.empty() ? name : path + "\\" + name;
    keys.push_back(child);
    for (std::string& below : AllKeys(root, child)) keys.push_back(std::move(below));
  }
  return keys;
}

TEST_F(RegistryStore, ATreeDeleteThatWouldTakeAProtectedKeyDeletesNothing) {
  ASSERT_EQ(Put(kHKeyClassesRoot, "korvane.test\\shell", "", kRegSz, Bytes("x")), 0);
  ASSERT_EQ(Put(kHKeyLocalMachine, "Software\\Other\\deep", "v", kRegSz, Bytes("y")), 0);
  const std::vector<std::string> before = AllKeys(kHKeyLocalMachine, "");
  HKey software = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Software", kKeyAllSpecific, &software), 0);
  struct Case {
    HKey key;
    const char* subKey;
  };
  const Case refused[] = {
      {kHKeyLocalMachine, "Software\\Classes"},  // HKEY_CLASSES_ROOT itself
      {kHKeyLocalMachine, "Software"},            // a tree holding it
      {kHKeyLocalMachine, ""},                    // everything below a root
      {software, ""},                             // the same through a handle
  };
  for (const Case& c : refused) {
    EXPECT_EQ(RegDeleteTree(c.key, c.subKey), kErrorAccessDenied) << c.subKey;
    EXPECT_EQ(AllKeys(kHKeyLocalMachine, ""), before) << c.subKey;
  }
  RegCloseKey(software);
  // What holds no protected key goes at once, values and all.
  EXPECT_EQ(RegDeleteTree(kHKeyLocalMachine, "Software\\Other"), kErrorSuccess);
  EXPECT_FALSE(Exists(kHKeyLocalMachine, "Software\\Other"));
  EXPECT_EQ(RegDeleteTree(kHKeyClassesRoot, "korvane.test"), kErrorSuccess);
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "korvane.test"));
  // An empty path empties the key and keeps it.
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Kept\\sub", "v", kRegSz, Bytes("z")), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Kept", "w", kRegSz, Bytes("z")), 0);
  HKey kept = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Kept", kKeyAllSpecific, &kept), 0);
  EXPECT_EQ(RegDeleteTree(kept, ""), kErrorSuccess);
  RegCloseKey(kept);
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\Kept"));
  EXPECT_EQ(SubKeys(kHKeyCurrentUser, "Software\\Kept"), std::vector<std::string>{});
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Kept"), std::vector<std::string>{});
}

TEST_F(RegistryStore, KeysNestAtMostAsDeepAsAWindowsTree) {
  constexpr std::size_t kLimit = formats::kRegMaxKeyDepth;
  struct Case {
    HKey root;
    std::size_t levels;
    long expected;
  };
  const Case cases[] = {
      {kHKeyCurrentUser, kLimit, kErrorSuccess},
      {kHKeyUsers, kLimit + 1, kErrorInvalidParameter},
      // HKEY_CLASSES_ROOT lies two levels below HKEY_LOCAL_MACHINE.
      {kHKeyClassesRoot, kLimit - 2, kErrorSuccess},
      {kHKeyLocalMachine, kLimit + 1, kErrorInvalidParameter},
      {kHKeyClassesRoot, kLimit - 1, kErrorInvalidParameter},
  };
  for (const Case& c : cases) {
    HKey key = 0;
    EXPECT_EQ(RegCreateKeyEx(c.root, NestedKeyPath(c.levels), kKeyAllSpecific, &key), c.expected)
        << c.levels;
    if (key != 0) RegCloseKey(key);
  }
  // A refused path leaves none of its levels behind.
  EXPECT_FALSE(Exists(kHKeyUsers, "k"));
  // Counted from the root, also through a handle deep down.
  HKey deep = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, NestedKeyPath(kLimit - 2), kKeyAllSpecific, &deep), 0);
  HKey key = 0;
  EXPECT_EQ(RegCreateKeyEx(deep, "k\\k\\k", kKeyAllSpecific, &key), kErrorInvalidParameter);
  ASSERT_EQ(RegCreateKeyEx(deep, "k\\other", kKeyAllSpecific, &key), kErrorSuccess);
  RegCloseKey(key);
  EXPECT_EQ(RegSetValueEx(deep, "v", kRegNone, nullptr, 0), kErrorSuccess);
  RegCloseKey(deep);
}

// The .reg reader and the store measure names alike: a name one takes, the
// other takes, whatever bytes it holds.
TEST_F(RegistryStore, KeyNamesTheRegFileReaderTakesAreTheOnesTheStoreTakes) {
  auto repeat = [](const std::string& piece, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += piece;
    return out;
  };
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  struct Case {
    std::string name;
    bool fits;
  };
  const std::vector<Case> cases = {
      {std::string(255, 'k'), true},
      {std::string(256, 'k'), false},
      {repeat(emoji, 127) + "k", true},
      {repeat(emoji, 128), false},
      {std::string(255, '\x80'), true},  // each stray byte becomes one U+FFFD
      {std::string(256, '\x80'), false},
      {std::string(300, '\x80'), false},
      {repeat("\xE2\x82", 255), true},  // a cut sequence is one U+FFFD too
      {repeat("\xE2\x82", 256), false},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = "Software\\Names" + std::to_string(i) + "\\" + cases[i].name;
    const bool parsed = formats::ParseRegKeyName("HKCU\\" + path).has_value();
    HKey key = 0;
    const bool stored = RegCreateKeyEx(kHKeyCurrentUser, path, kKeyAllSpecific, &key) == 0;
    if (stored) RegCloseKey(key);
    EXPECT_EQ(parsed, cases[i].fits) << i;
    EXPECT_EQ(stored, cases[i].fits) << i;
  }
}

TEST_F(RegistryStore, ChangesRunAsOneChangeStayTogetherOrNotAtAll) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Old", "v", kRegSz, Bytes("1")), 0);
  auto changes = [](long outcome) {
    return [outcome] {
      long r = Put(kHKeyCurrentUser, "Software\\New\\a", "v", kRegSz, Bytes("2"));
      if (r == 0) r = RegDeleteTree(kHKeyCurrentUser, "Software\\Old");
      // A refused call inside undoes only itself.
      if (r == 0 && RegDeleteKey(kHKeyCurrentUser, "Software\\New") != kErrorAccessDenied) r = -1;
      return r == 0 ? outcome : r;
    };
  };
  EXPECT_EQ(RegRunAsOneChange(changes(kErrorInvalidData)), kErrorInvalidData);
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\New"));
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\Old"));
  EXPECT_EQ(ValueNames(kHKeyCurrentUser, "Software\\Old"), std::vector<std::string>{"v"});

  EXPECT_EQ(RegRunAsOneChange(changes(kErrorSuccess)), kErrorSuccess);
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\New\\a"));
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\Old"));
  EXPECT_TRUE(RegGroupsChanges());
}

// A store written before keys had a depth limit may hold deeper trees; the
// tools that walk trees take them whole.
TEST_F(RegistryStore, QueryExportAndDeleteWalkTreesDeeperThanTheLimit) {
  constexpr int kLevels = 600;
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Deep", "", kRegSz, Bytes("top")), 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(StoreFile().c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  std::string sql = "BEGIN;";
  sql += "INSERT INTO keys(parent, name, fold) SELECT id, 'd', 'D' FROM keys WHERE fold = 'DEEP';";
  for (int i = 1; i < kLevels; ++i) {
    sql += "INSERT INTO keys(parent, name, fold) VALUES(last_insert_rowid(), 'd', 'D');";
  }
  sql += "INSERT INTO vals(key, name, fold, type, data) VALUES(last_insert_rowid(), 'v', 'V', 4, x'2a000000');";
  sql += "COMMIT;";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);

  const formats::RegKeyName top{formats::RegRoot::CurrentUser, "Software\\Deep"};
  RegQueryRequest request;
  request.key = top;
  request.recursive = true;
  std::string listing;
  ASSERT_EQ(RunRegQuery(request, &listing), RegQueryStatus::Ok);
  EXPECT_NE(listing.find("\\d\n    v    REG_DWORD    0x2a\n"), std::string::npos);
  std::vector<formats::RegOperation> tree;
  ASSERT_EQ(CollectRegTree(top, &tree), kErrorSuccess);
  EXPECT_EQ(tree.size(), 1u + 1 + kLevels + 1);  // the top, its value, the levels, the last value
  EXPECT_EQ(RegDeleteTree(top), kErrorSuccess);
  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\Deep"));
}

TEST(ExpandEnvironmentStrings, ReplacesKnownNamesAndKeepsTheRest) {
  ScopedEnv root("KORVANE_TEST_ROOT", "/opt/windows");
  std::string out;
  EXPECT_EQ(ExpandEnvironmentStrings("%KORVANE_TEST_ROOT%\\system32", &out), 22u);
  EXPECT_EQ(out, "/opt/windows\\system32");
  EXPECT_EQ(ExpandEnvironmentStrings("%korvane_test_root%", &out), 13u);
  EXPECT_EQ(out, "/opt/windows");
  EXPECT_EQ(ExpandEnvironmentStrings("a%KORVANE_UNSET_NAME%b", &out), 23u);
  EXPECT_EQ(out, "a%KORVANE_UNSET_NAME%b");
  ExpandEnvironmentStrings("100%% %KORVANE_TEST_ROOT", &out);
  EXPECT_EQ(out, "100%% %KORVANE_TEST_ROOT");
  ExpandEnvironmentStrings("%1 and %KORVANE_TEST_ROOT%", &out);
  EXPECT_EQ(out, "%1 and %KORVANE_TEST_ROOT%");  // "1 and " is no variable
  EXPECT_EQ(ExpandEnvironmentStrings("", &out), 1u);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ExpandEnvironmentStrings(std::string("ab\0cd", 5), nullptr), 3u);
}

}  // namespace
}  // namespace korvane::test
