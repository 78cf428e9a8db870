// RunWindowsCli and the writes of a prefix's registry, with stand-ins for
// wine and wineserver (shell scripts first in PATH) that record what Wine was
// given and play the parts the tests need: a server another program keeps
// running, a save of the registry files on the server's schedule, Wine's own
// failures.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/RegFileParser.h"
#include "platform/Registry.h"
#include "platform/RegistryChoice.h"
#include "platform/WineRunner.h"
#include "platform/posix/WinePrefixRegistry.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

namespace fs = std::filesystem;

const char kSystem[] = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
                       "[Software\\\\Classes\\\\.dll] 1\n@=\"dllfile\"\n";
const char kUser[] = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                     "#arch=win64\n\n[Software] 1\n";

// Records its environment's prefix and its arguments, one a line; refuses a
// relative prefix; when asked, writes a line to standard error and ends with
// a code (as Wine does when it fails, or the program when it fails);
// keeps the .reg file of a `reg import`; replaces user.reg a moment after it
// ends when asked (the server's save), and leaves a process holding its
// outputs, as the services Wine starts with a session's first program do.
const char kFakeWine[] = R"sh(#!/bin/sh
printf '%s\n' "$WINEPREFIX" "$@" >>"$FAKE_WINE_LOG"
case "$WINEPREFIX" in
  /*) ;;
  *) echo "wine: invalid directory $WINEPREFIX in WINEPREFIX: not an absolute path" >&2; exit 1 ;;
esac
if [ -n "$FAKE_WINE_EXIT" ]; then printf "%s\n" "$FAKE_WINE_SAYS" >&2; exit "$FAKE_WINE_EXIT"; fi
if [ "$2" = reg ] && [ "$3" = import ]; then
  cp "$(printf '%s' "$4" | sed -e 's/^[Zz]://' -e 's/\\/\//g')" "$FAKE_WINE_LOG.reg"
fi
if [ -n "$FAKE_WINE_SERVICE" ]; then sleep 20 & fi
if [ -n "$FAKE_WINE_SAVE_AFTER" ]; then
  (sleep "$FAKE_WINE_SAVE_AFTER"; cp "$WINEPREFIX/user.reg" "$WINEPREFIX/user.new" &&
    mv "$WINEPREFIX/user.new" "$WINEPREFIX/user.reg") </dev/null >/dev/null 2>&1 &
fi
exit 0
)sh";
// `wineserver -w` returns at once, or never while another program keeps the
// server running.
const char kFakeWineServer[] = R"(#!/bin/sh
if [ "$1" = -w ] && [ -n "$FAKE_SERVER_KEPT" ]; then exec sleep 120; fi
exit 0
)";

class FakeWine : public ::testing::Test {
 protected:
  FakeWine() {
    dir_.Write("prefix/system.reg", kSystem);
    dir_.Write("prefix/user.reg", kUser);
    fs::create_directories(dir_.path() / "prefix" / "dosdevices");
    fs::create_directories(dir_.path() / "prefix" / "drive_c");
    fs::create_directory_symlink("../drive_c", dir_.path() / "prefix" / "dosdevices" / "c:");
    Program("bin/wine", kFakeWine);
    Program("bin/wineserver", kFakeWineServer);
    dir_.Write("tools/korvane-cli-x64.exe", "MZ");
    dir_.Write("tools/korvane-cli-x86.exe", "MZ");
  }
  ~FakeWine() override { posix::WinePrefixRegistry::Instance().Reset(); }

  void Program(const std::string& name, const char* text) {
    ::chmod(dir_.Write(name, text).c_str(), 0755);
  }
  void DriveZ() { fs::create_directory_symlink("/", dir_.path() / "prefix" / "dosdevices" / "z:"); }
  std::string Log() const { return test::ReadFile(dir_.File("wine.log")); }

  test::TempDir dir_;
  test::ScopedEnv store_{"KORVANE_REGISTRY", ""};
  test::ScopedEnv prefix_{"WINEPREFIX", dir_.File("prefix")};
  test::ScopedEnv path_{"PATH", dir_.File("bin") + ":/usr/bin:/bin"};
  test::ScopedEnv tools_{"KORVANE_WINDOWS_TOOLS", dir_.File("tools")};
  test::ScopedEnv log_{"FAKE_WINE_LOG", dir_.File("wine.log")};
};

// Wine's own failures are told as Wine's, and what would make Wine fail is
// seen before it runs: a prefix named relatively is given to Wine as an
// absolute path; a tool on no drive of the prefix is not handed to Wine.
TEST_F(FakeWine, WinesOwnFailuresAreToldAsWines) {
  {
    DriveZ();
    const fs::path before = fs::current_path();
    fs::current_path(dir_.path());
    test::ScopedEnv relative("WINEPREFIX", "prefix");
    const WineRunResult run = RunWindowsCli(WindowsArch::X64, {"version"});
    fs::current_path(before);
    EXPECT_TRUE(run.ran) << run.problem << run.errors;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Log().substr(0, Log().find('\n')), dir_.File("prefix"));
  }
  struct Failure {
    const char* says;
    const char* exit;
    const char* problem;  // "" when the program ran
  };
  const Failure failures[] = {
      {"wine: failed to open \"/x/korvane-cli.exe\": c0000135", "53",
       "Wine could not run the Windows korvane-cli (wine: failed to open"},
      {"wine client error:0: version mismatch", "1", "(wine client error:0"},
      // A notice of Wine's with the program's own failure is the program's.
      {"wine: could not open working directory L\"unix\\x\\\", starting in the Windows directory.", "1", ""},
  };
  for (const Failure& f : failures) {
    test::ScopedEnv says("FAKE_WINE_SAYS", f.says);
    test::ScopedEnv exit("FAKE_WINE_EXIT", f.exit);
    const WineRunResult run = RunWindowsCli(WindowsArch::X64, {"version"});
    EXPECT_EQ(run.ran, *f.problem == '\0') << f.says;
    EXPECT_EQ(run.exitCode, std::stoi(f.exit)) << f.says;
    EXPECT_NE(run.problem.find(f.problem), std::string::npos) << run.problem;
  }
  fs::remove(dir_.path() / "prefix" / "dosdevices" / "z:");
  fs::remove(dir_.File("wine.log"));
  const WineRunResult run = RunWindowsCli(WindowsArch::X64, {"version"});
  EXPECT_FALSE(run.ran);
  EXPECT_NE(run.problem.find("no drive of the Wine prefix " + dir_.File("prefix") + " holds " + dir_.File("tools")),
            std::string::npos)
      << run.problem;
  EXPECT_FALSE(fs::exists(dir_.File("wine.log"))) << "Wine was started";
  // The temporary .reg file of a write is on no drive either: said so.
  test::ScopedEnv tools("KORVANE_WINDOWS_TOOLS", dir_.File("prefix/drive_c"));
  dir_.Write("prefix/drive_c/korvane-cli-x64.exe", "MZ");
  HKey key = 0;
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\Korvane", kKeyAllAccess, &key, nullptr), kErrorSuccess);
  RegCloseKey(key);
  const std::string problem = FlushWinePrefixWrites();
  EXPECT_NE(problem.find("Wine cannot read the prefix's changes from the temporary file: no drive"),
            std::string::npos)
      << problem;
}

// While another program keeps the prefix's server running, a write waits for
// the registry files to be saved, not for the server to end (nor for the
// services the run started, which live as long as the server), and the
// waiting thread's window keeps painting.
TEST_F(FakeWine, AWriteWaitsForTheSaveNotForTheServer) {
  DriveZ();
  test::ScopedEnv kept("FAKE_SERVER_KEPT", "1");
  test::ScopedEnv save("FAKE_WINE_SAVE_AFTER", "0.6");
  test::ScopedEnv service("FAKE_WINE_SERVICE", "1");
  int pumped = 0;
  SetWineWaitPump([&] { ++pumped; });
  const auto start = std::chrono::steady_clock::now();
  const WineRunResult run = RunWindowsCli(WindowsArch::X64, {"register", "Z:\\x.dll"});
  const auto took = std::chrono::steady_clock::now() - start;
  SetWineWaitPump({});
  EXPECT_TRUE(run.ran) << run.problem;
  EXPECT_GE(took, std::chrono::milliseconds(600)) << "returned before the files were saved";
  EXPECT_LT(took, std::chrono::seconds(8)) << "waited for the server to end";
  EXPECT_GE(pumped, 10);
}

// The .reg text handed to Wine carries exactly the writes asked for: a key
// name with a line break (which could start a key block of its own) is
// refused as Windows refuses control characters in key names; a value name
// with one is refused; quotes, backslashes and line breaks in names and data
// come through as they are.
TEST_F(FakeWine, TheRegTextGivenToWineCannotBeInjected) {
  DriveZ();
  const std::string injected = "\r\n[HKEY_LOCAL_MACHINE\\Software\\Injected]\r\n\"X\"=\"y\"";
  HKey key = 0;
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\A" + injected, kKeyAllAccess, &key, nullptr),
            kErrorInvalidParameter);
  EXPECT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\Tab\there", kKeyAllAccess, &key, nullptr),
            kErrorInvalidParameter);
  ASSERT_EQ(RegCreateKeyEx(kHKeyCurrentUser, "Software\\Korvane", kKeyAllAccess, &key, nullptr), kErrorSuccess);
  const std::string data = "C:\\dir\\\" " + injected;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.c_str());
  const auto size = static_cast<std::uint32_t>(data.size() + 1);
  EXPECT_EQ(RegSetValueEx(key, "v" + injected, kRegSz, bytes, size), kErrorInvalidParameter);
  EXPECT_EQ(RegSetValueEx(key, "quote\"back\\slash", kRegSz, bytes, size), kErrorSuccess);
  RegCloseKey(key);
  ASSERT_EQ(FlushWinePrefixWrites(), "");

  const std::string text = test::ReadFile(dir_.File("wine.log.reg"));
  const auto ops = formats::ParseRegFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  ASSERT_TRUE(ops) << ops.error().message;
  ASSERT_EQ(ops->size(), 2u);
  for (const formats::RegOperation& op : *ops) {
    EXPECT_EQ(formats::RegKeyFullName(op.key), "HKEY_CURRENT_USER\\Software\\Korvane");
  }
  EXPECT_EQ((*ops)[1].valueName, "quote\"back\\slash");
  EXPECT_EQ(std::string((*ops)[1].data.begin(), (*ops)[1].data.end()), std::string(data.c_str(), size));
}

// A tree, or a key after its sub-keys, is deleted by one run of Wine, not
// one per level (each run waits for the server's save, up to half a minute
// while another program runs); a key keeping a sub-key is still refused.
TEST_F(FakeWine, KeysAndTreesAreDeletedInOneRun) {
  DriveZ();
  std::string user = kUser;
  for (const char* key : {"Tree", "Tree\\\\A", "Tree\\\\A\\\\B", "Verb", "Verb\\\\command", "Two",
                          "Two\\\\X", "Two\\\\Y"}) {
    user += std::string("[Software\\\\") + key + "] 1\n\"V\"=\"x\"\n";
  }
  dir_.Write("prefix/user.reg", user);
  EXPECT_EQ(RegDeleteTree(kHKeyCurrentUser, "Software\\Tree"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Verb\\command"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Verb"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Two\\X"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(kHKeyCurrentUser, "Software\\Two"), kErrorAccessDenied);
  ASSERT_EQ(FlushWinePrefixWrites(), "");
  const std::string log = Log();
  std::size_t runs = 0;
  for (std::size_t at = log.find("\nimport\n"); at != std::string::npos; at = log.find("\nimport\n", at + 1)) ++runs;
  EXPECT_EQ(runs, 1u) << log;
  const std::string text = test::ReadFile(dir_.File("wine.log.reg"));
  const auto ops = formats::ParseRegFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  ASSERT_TRUE(ops);
  std::vector<std::string> deleted;
  for (const formats::RegOperation& op : *ops) {
    if (op.kind == formats::RegOpKind::DeleteKey) deleted.push_back(formats::RegKeyFullName(op.key));
  }
  const std::vector<std::string> expected = {
      "HKEY_CURRENT_USER\\Software\\Tree", "HKEY_CURRENT_USER\\Software\\Verb\\command",
      "HKEY_CURRENT_USER\\Software\\Verb", "HKEY_CURRENT_USER\\Software\\Two\\X"};
  EXPECT_EQ(deleted, expected);
  EXPECT_EQ(ops->size(), expected.size());
}

// The Windows tool is looked for only in the program's own folder tree (and
// the installation's): never in a folder above it, which anyone may own.
TEST(WindowsCli, IsLookedForOnlyBelowTheProgramsFolder) {
  test::TempDir dir;
  test::ScopedEnv tools("KORVANE_WINDOWS_TOOLS", "");
  const std::string program = dir.File("x/bin") + "/";  // as AppPath gives it
  fs::create_directories(program);
  dir.Write("win32-x64/bin/korvane-cli.exe", "MZ");  // planted above the program
  dir.Write("x/win32-x64/bin/korvane-cli.exe", "MZ");
  std::string looked;
  EXPECT_EQ(WindowsCliPathFrom(program, WindowsArch::X64, &looked), "") << looked;
  EXPECT_EQ(looked.find(dir.File("win32-x64")), std::string::npos) << looked;
  EXPECT_EQ(looked.find(dir.File("x/win32-x64")), std::string::npos) << looked;
  const std::string own = dir.Write("x/bin/win32-x64/korvane-cli.exe", "MZ");
  EXPECT_EQ(WindowsCliPathFrom(program, WindowsArch::X64, nullptr), own);
  EXPECT_EQ(WindowsCliPathFrom(program, WindowsArch::X86, nullptr), "");
}

// The prefix's width comes from system.reg, read without waiting on what is
// no regular file.
TEST(WinePrefixWidth, ComesFromSystemRegWithoutWaiting) {
  test::TempDir dir;
  dir.Write("32/system.reg", "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n");
  dir.Write("64/system.reg", kSystem);
  EXPECT_FALSE(WinePrefixIs64Bit(dir.File("32")));
  EXPECT_TRUE(WinePrefixIs64Bit(dir.File("64")));
  fs::create_directories(dir.path() / "fifo");
  const test::ScopedFifo fifo(dir.File("fifo/system.reg"));
  EXPECT_TRUE(test::EndsWithin(std::chrono::seconds(5), [&] { WinePrefixIs64Bit(dir.File("fifo")); }, fifo));
}

}  // namespace
}  // namespace korvane::platform
