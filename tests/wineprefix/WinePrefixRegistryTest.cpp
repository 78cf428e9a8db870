#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formats/WineRegistryFile.h"
#include "platform/Registry.h"
#include "platform/RegistryChoice.h"
#include "platform/WineRunner.h"
#include "platform/posix/WinePrefixRegistry.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

using posix::WinePrefixRegistry;

const char kSystem[] =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Classes\\\\.dll] 1\n@=\"dllfile\"\n"
    "[Software\\\\Classes\\\\Shared] 1\n@=\"machine\"\n\"OnlyMachine\"=dword:00000007\n"
    "[Software\\\\Classes\\\\Shared\\\\FromMachine] 1\n"
    "[Software\\\\Classes\\\\Shared\\\\Both] 1\n"
    "[Software\\\\Classes\\\\CLSID\\\\{64}] 1\n@=\"sixty-four\"\n"
    "[Software\\\\Classes\\\\Typelib\\\\{LIB}\\\\1.0\\\\0\\\\win32] 1\n@=\"C:\\\\lib.tlb\"\n"
    "[Software\\\\Classes\\\\Wow6432Node\\\\CLSID\\\\{32}] 1\n@=\"thirty-two\"\n"
    "[Software\\\\Classes\\\\Wow6432Node\\\\TypeLib] 1\n#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,45,00,47,00,49,00,53,00,54,00,52,00,59,00,5c,00,4d,\\\n"
    "  00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,74,00,77,00,61,\\\n"
    "  00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,00,5c,00,54,00,79,\\\n"
    "  00,70,00,65,00,4c,00,69,00,62,00\n"
    "[Software\\\\Loop] 1\n#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,00,5c,00,4d,\\\n"
    "  00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,74,00,77,00,61,\\\n"
    "  00,72,00,65,00,5c,00,4c,00,6f,00,6f,00,70,00\n"
    "[Software\\\\Vendor] 1\n\"Bits\"=dword:00000040\n"
    "[Software\\\\Wow6432Node\\\\Vendor] 1\n\"Bits\"=dword:00000020\n"
    "[Software\\\\Values] 1\n\"Z\"=\"last\"\n\"a\"=\"first\"\n@=\"default\"\n";

const char kUser[] =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
    "#arch=win64\n\n"
    "[Software\\\\Classes\\\\shared] 1\n@=\"user\"\n"
    "[Software\\\\Classes\\\\Shared\\\\FromUser] 1\n"
    "[Software\\\\Classes\\\\Shared\\\\both] 1\n"
    "[Software\\\\Classes\\\\UserOnly] 1\n@=\"mine\"\n"
    "[Software\\\\Vendor] 1\n\"Bits\"=dword:00000040\n"
    "[Software\\\\Wow6432Node\\\\Vendor] 1\n\"Bits\"=dword:00000020\n"
    "[Environment] 1\n\"TEMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n";

const char kUserDefault[] =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n#arch=win64\n\n"
    "[Control Panel\\\\Desktop] 1\n\"Wallpaper\"=\"\"\n";

class PrefixRegistry : public ::testing::Test {
 protected:
  PrefixRegistry() {
    dir_.Write("system.reg", kSystem);
    dir_.Write("user.reg", kUser);
    dir_.Write("userdef.reg", kUserDefault);
  }
  ~PrefixRegistry() override {
    SetWinePrefixView(64);
    WinePrefixRegistry::Instance().Reset();
  }

  std::string Default(HKey root, const std::string& path) {
    HKey key = 0;
    if (RegOpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return "<no key>";
    std::uint8_t buffer[256];
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    long rc = RegQueryValueEx(key, "", &type, buffer, &size);
    RegCloseKey(key);
    if (rc != kErrorSuccess) return "<no value>";
    return std::string(reinterpret_cast<char*>(buffer), size > 0 ? size - 1 : 0);
  }

  std::vector<std::string> SubKeys(HKey root, const std::string& path) {
    std::vector<std::string> names;
    HKey key = 0;
    if (RegOpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return names;
    std::string name;
    for (std::uint32_t i = 0; RegEnumKey(key, i, &name, 256) == kErrorSuccess; ++i) names.push_back(name);
    RegCloseKey(key);
    return names;
  }

  test::TempDir dir_;
  test::ScopedEnv store_{"KORVANE_REGISTRY", ""};
  test::ScopedEnv prefix_{"WINEPREFIX", dir_.path().string()};
};

TEST_F(PrefixRegistry, TheRootsReadTheirFilesIgnoringCase) {
  EXPECT_EQ(Default(kHKeyLocalMachine, "SOFTWARE\\classes\\.DLL"), "dllfile");
  EXPECT_EQ(Default(kHKeyClassesRoot, ".dll"), "dllfile");
  EXPECT_EQ(Default(kHKeyClassesRoot, "TypeLib\\{lib}\\1.0\\0\\WIN32"), "C:\\lib.tlb");
  EXPECT_EQ(Default(kHKeyUsers, "S-1-5-21-0-0-0-1000\\Software\\Classes\\UserOnly"), "mine");
  EXPECT_EQ(SubKeys(kHKeyUsers, ""), (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "environment", kKeyRead, &key), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "temp", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_EQ(size, std::string("%USERPROFILE%\\Temp").size() + 1);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyEx(kHKeyUsers, ".DEFAULT\\Control Panel\\Desktop", kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(RegQueryValueEx(key, "Wallpaper", &type, nullptr, &size), kErrorSuccess);
  RegCloseKey(key);
}

TEST_F(PrefixRegistry, ClassesRootMergesTheUsersClassesOverTheMachines) {
  EXPECT_EQ(Default(kHKeyClassesRoot, "Shared"), "user");
  EXPECT_EQ(Default(kHKeyClassesRoot, "UserOnly"), "mine");
  EXPECT_EQ(Default(kHKeyLocalMachine, "Software\\Classes\\Shared"), "machine");
  // Sub-keys of both, once each, in order ignoring case; the user's spelling.
  EXPECT_EQ(SubKeys(kHKeyClassesRoot, "Shared"),
            (std::vector<std::string>{"both", "FromMachine", "FromUser"}));
  // Values come from the user's key only.
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "Shared", kKeyRead, &key), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "OnlyMachine", nullptr, nullptr, &size), kErrorFileNotFound);
  // Opening below a merged handle still sees both sides.
  HKey child = 0;
  EXPECT_EQ(RegOpenKeyEx(key, "FromUser", kKeyRead, &child), kErrorSuccess);
  RegCloseKey(child);
  EXPECT_EQ(RegOpenKeyEx(key, "FromMachine", kKeyRead, &child), kErrorSuccess);
  RegCloseKey(child);
  RegKeyInfo info;
  EXPECT_EQ(RegQueryInfoKey(key, &info), kErrorSuccess);
  EXPECT_EQ(info.subKeys, 3u);
  EXPECT_EQ(info.maxSubKeyLen, 11u);
  RegCloseKey(key);
}

TEST_F(PrefixRegistry, LinksAreFollowedAndLoopsEnd) {
  EXPECT_EQ(Default(kHKeyClassesRoot, "Wow6432Node\\TypeLib\\{LIB}\\1.0\\0\\win32"), "C:\\lib.tlb");
  HKey key = 0;
  EXPECT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Software\\Loop", kKeyRead, &key), kErrorFileNotFound);
}

TEST_F(PrefixRegistry, TheThirtyTwoBitViewReadsTheRedirectedBranches) {
  EXPECT_EQ(Default(kHKeyClassesRoot, "CLSID\\{64}"), "sixty-four");
  EXPECT_EQ(Default(kHKeyClassesRoot, "CLSID\\{32}"), "<no key>");
  SetWinePrefixView(32);
  EXPECT_EQ(Default(kHKeyClassesRoot, "CLSID\\{32}"), "thirty-two");
  EXPECT_EQ(Default(kHKeyClassesRoot, "CLSID\\{64}"), "<no key>");
  EXPECT_EQ(Default(kHKeyLocalMachine, "Software\\Classes\\CLSID\\{32}"), "thirty-two");
  // Shared class keys stay shared.
  EXPECT_EQ(Default(kHKeyClassesRoot, "TypeLib\\{LIB}\\1.0\\0\\win32"), "C:\\lib.tlb");
  EXPECT_EQ(Default(kHKeyClassesRoot, ".dll"), "dllfile");
  // HKLM\Software is redirected; the user's Software is shared by both views.
  const auto bits = [](HKey root) {
    HKey key = 0;
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    if (RegOpenKeyEx(root, "Software\\Vendor", kKeyRead, &key) != kErrorSuccess) return -1;
    const long rc = RegQueryValueEx(key, "Bits", nullptr, data, &size);
    RegCloseKey(key);
    return rc == kErrorSuccess ? int{data[0]} : -1;
  };
  EXPECT_EQ(bits(kHKeyLocalMachine), 0x20);
  EXPECT_EQ(bits(kHKeyCurrentUser), 0x40);
  SetWinePrefixView(64);
  EXPECT_EQ(bits(kHKeyLocalMachine), 0x40);
  EXPECT_EQ(bits(kHKeyCurrentUser), 0x40);
}

// Each key is held by its whole path: a key 512 names deep (the reader's
// limit) is found and enumerated like any other, names that sort around the
// separator ("A!" between "A" and "A\\X") keep every key's sub-keys together,
// and a key written twice is one key with the values of both.
TEST_F(PrefixRegistry, WholePathsKeepTheTreeAndItsOrder) {
  std::string deep = "Deep";
  std::string deepFolded = "DEEP";
  for (std::size_t i = 1; i < formats::kWineRegMaxDepth; ++i) {
    deep += "\\\\n" + std::to_string(i % 7);
    deepFolded += "\\N" + std::to_string(i % 7);
  }
  dir_.Write("system.reg", std::string(kSystem) + "[" + deep + "] 1\n@=\"bottom\"\n" +
                               "[Sort\\\\A\\\\X] 1\n[Sort\\\\A!] 1\n[Sort\\\\ab] 1\n[Sort\\\\A] 1\n" +
                               "\"V\"=\"one\"\n\"W\"=\"two\"\n[Sort\\\\a] 1\n\"v\"=\"three\"\n\"U\"=\"four\"\n");
  EXPECT_EQ(Default(kHKeyLocalMachine, deepFolded), "bottom");
  EXPECT_EQ(SubKeys(kHKeyLocalMachine, deepFolded.substr(0, deepFolded.rfind('\\'))),
            (std::vector<std::string>{"n" + std::to_string((formats::kWineRegMaxDepth - 1) % 7)}));
  EXPECT_EQ(SubKeys(kHKeyLocalMachine, "sort"), (std::vector<std::string>{"A", "A!", "ab"}));
  EXPECT_EQ(SubKeys(kHKeyLocalMachine, "sort\\a"), (std::vector<std::string>{"X"}));
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Sort\\a", kKeyRead, &key), kErrorSuccess);
  std::vector<std::string> values;
  std::string name;
  for (std::uint32_t i = 0; RegEnumValue(key, i, &name, 256) == kErrorSuccess; ++i) values.push_back(name);
  EXPECT_EQ(values, (std::vector<std::string>{"V", "W", "U"}));
  std::uint8_t data[16] = {};
  std::uint32_t size = sizeof data;
  EXPECT_EQ(RegQueryValueEx(key, "V", nullptr, data, &size), kErrorSuccess);
  EXPECT_STREQ(reinterpret_cast<const char*>(data), "three");
  RegCloseKey(key);
  // Enumerating out of order gives the same names as in order.
  ASSERT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Sort", kKeyRead, &key), kErrorSuccess);
  for (const std::uint32_t i : {2u, 0u, 1u, 3u, 1u}) {
    const long rc = RegEnumKey(key, i, &name, 256);
    if (i == 3) {
      EXPECT_EQ(rc, kErrorNoMoreItems);
      continue;
    }
    EXPECT_EQ(rc, kErrorSuccess);
    EXPECT_EQ(name, (std::vector<std::string>{"A", "A!", "ab"})[i]) << i;
  }
  RegCloseKey(key);
}

// The result codes the registry class relies on, as the store gives them.
TEST_F(PrefixRegistry, ResultCodesMatchTheStore) {
  HKey key = 0;
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "NoSuchKey", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "\\.dll", kKeyRead, &key), kErrorBadPathname);
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, ".dll\\\\x", kKeyRead, &key), kErrorBadPathname);
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, std::string(256, 'k'), kKeyRead, &key), kErrorInvalidParameter);
  EXPECT_EQ(RegOpenKeyEx(0x1234, "", kKeyRead, &key), kErrorInvalidHandle);
  ASSERT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Software\\Values\\", kKeyRead, &key), kErrorSuccess);
  std::string name;
  EXPECT_EQ(RegEnumValue(key, 0, &name, 256), kErrorSuccess);
  EXPECT_EQ(name, "Z");  // file order
  EXPECT_EQ(RegEnumValue(key, 2, &name, 256), kErrorSuccess);
  EXPECT_EQ(name, "");
  EXPECT_EQ(RegEnumValue(key, 3, &name, 256), kErrorNoMoreItems);
  std::uint8_t small[2];
  std::uint32_t size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(key, "z", nullptr, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 5u);
  RegCloseKey(key);
  EXPECT_EQ(RegEnumKey(kHKeyClassesRoot, 0, &name, 2), kErrorMoreData);  // ".dll" needs 5
  EXPECT_EQ(RegEnumKey(kHKeyClassesRoot, 99, &name, 256), kErrorNoMoreItems);
}

// Writes are checked against the files as Windows checks them and planned;
// the plan reaches the prefix only through Wine, and without Wine the files
// stay as they were and the failure is reported.
TEST_F(PrefixRegistry, WritesArePlannedAndNeverTouchTheFiles) {
  const std::string before = test::ReadFile(dir_.File("system.reg"));
  test::ScopedEnv noWine("PATH", dir_.File("no-programs"));
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyLocalMachine, "Software\\Values", kKeyRead, &key), kErrorSuccess);
  const std::uint8_t data[] = {'x', 0};
  EXPECT_EQ(RegSetValueEx(key, "z", kRegSz, data, 2), kErrorSuccess);
  EXPECT_EQ(RegDeleteValue(key, "missing"), kErrorFileNotFound);
  EXPECT_EQ(RegDeleteValue(key, "a"), kErrorSuccess);
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKey(kHKeyClassesRoot, "Shared"), kErrorAccessDenied);  // has sub-keys
  EXPECT_EQ(RegDeleteKey(kHKeyClassesRoot, "Missing"), kErrorFileNotFound);
  HKey created = 0;
  bool wasCreated = false;
  EXPECT_EQ(RegCreateKeyEx(kHKeyClassesRoot, "New\\Deeper", kKeyAllAccess, &created, &wasCreated), kErrorSuccess);
  EXPECT_TRUE(wasCreated);
  EXPECT_EQ(RegSetValueEx(created, "", kRegSz, data, 2), kErrorSuccess);
  RegCloseKey(created);
  EXPECT_EQ(RegCreateKeyEx(kHKeyClassesRoot, ".dll", kKeyAllAccess, &created, &wasCreated), kErrorSuccess);
  EXPECT_FALSE(wasCreated);
  RegCloseKey(created);
  // Reading a planned key carries the plan out first: here it cannot be.
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "new", kKeyRead, &created), kErrorFileNotFound);
  EXPECT_FALSE(FlushWinePrefixWrites().empty());
  EXPECT_EQ(test::ReadFile(dir_.File("system.reg")), before);
}

TEST_F(PrefixRegistry, PathsMapThroughTheDriveLinks) {
  namespace fs = std::filesystem;
  const fs::path prefix = dir_.path();
  fs::create_directories(prefix / "dosdevices");
  fs::create_directories(prefix / "drive_c" / "windows" / "system32");
  dir_.Write("drive_c/windows/system32/x.dll", "");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
  fs::create_directory_symlink("/", prefix / "dosdevices" / "z:");
  const std::string p = prefix.string();
  EXPECT_EQ(ToWindowsPath(p, p + "/drive_c/windows/system32/x.dll"), "C:\\windows\\system32\\x.dll");
  EXPECT_EQ(ToWindowsPath(p, p + "/drive_c"), "C:\\");
  EXPECT_EQ(ToWindowsPath(p, "/usr/lib/../lib/x.dll"), "Z:\\usr\\lib\\x.dll");
  EXPECT_EQ(FromWindowsPath(p, "c:\\WINDOWS\\System32\\X.dll"),
            fs::weakly_canonical(prefix / "drive_c/windows/system32/x.dll").string());
  EXPECT_EQ(FromWindowsPath(p, "Z:\\usr\\lib"), "/usr/lib");
  EXPECT_EQ(FromWindowsPath(p, "\\\\?\\Z:\\usr\\lib"), "/usr/lib");
  EXPECT_EQ(FromWindowsPath(p, "Q:\\x.dll"), "");
  EXPECT_EQ(FromWindowsPath(p, "x.dll"), "");
  EXPECT_EQ(ProgramPathForRegistry("/opt/k/korvane"), "C:\\windows\\command\\start.exe /unix \"/opt/k/korvane\"");
  EXPECT_EQ(ProgramPathForRegistry("korvane"), "korvane");
  EXPECT_EQ(FileFromRegistryPath("Z:\\usr\\lib"), "/usr/lib");
  EXPECT_EQ(FileFromRegistryPath("/usr/lib"), "/usr/lib");
}

TEST_F(PrefixRegistry, AChangedFileIsReadAgainAndOpenHandlesFollowIt) {
  HKey kept = 0;
  HKey gone = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "UserOnly", kKeyRead, &kept), kErrorSuccess);
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Environment", kKeyRead, &gone), kErrorSuccess);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::string user = kUser;
  user.replace(user.find("@=\"mine\""), 8, "@=\"changed\"");
  user.erase(user.find("[Environment]"));
  dir_.Write("user.reg", user + "[Software\\\\Classes\\\\Later] 2\n@=\"new\"\n");
  EXPECT_EQ(Default(kHKeyClassesRoot, "Later"), "new");
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(kept, "", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 8u);  // "changed"
  EXPECT_EQ(RegQueryValueEx(gone, "TEMP", nullptr, nullptr, &size), kErrorKeyDeleted);
  RegCloseKey(kept);
  RegCloseKey(gone);
}

TEST_F(PrefixRegistry, TheChoiceAndItsChecks) {
  RegistryChoice choice = ChosenRegistry();
  EXPECT_TRUE(choice.ok());
  EXPECT_EQ(choice.kind, RegistryKind::WinePrefix);
  EXPECT_EQ(RegistryDescription(choice), "Wine prefix " + dir_.path().string());
  EXPECT_EQ(CheckWinePrefix(dir_.path().string()), "");
  {
    test::ScopedEnv store("KORVANE_REGISTRY", dir_.File("r.db"));
    EXPECT_FALSE(ChosenRegistry().ok());
    EXPECT_EQ(ChosenWinePrefix(), "");  // the store named explicitly is read
  }
  EXPECT_NE(CheckWinePrefix(dir_.File("missing")).find("does not exist"), std::string::npos);
  test::TempDir empty;
  EXPECT_NE(CheckWinePrefix(empty.path().string()).find("not a Wine prefix"), std::string::npos);
  dir_.Write("user.reg", "WINE REGISTRY Version 2\n[K]\n\"A\"=dword:xyz\n");
  const std::string why = CheckWinePrefix(dir_.path().string());
  EXPECT_NE(why.find("user.reg: line 3"), std::string::npos) << why;
  HKey key = 0;
  EXPECT_EQ(RegOpenKeyEx(kHKeyClassesRoot, ".dll", kKeyRead, &key), kErrorRegistryCorrupt);
}

}  // namespace
}  // namespace korvane::platform
