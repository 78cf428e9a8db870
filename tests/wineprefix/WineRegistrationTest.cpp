#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/PeImports.h"
#include "install/basSelfInstall.h"
#include "platform/posix/WinePrefixRegistry.h"
#include "registration/RegistrationOutcome.h"
#include "registration/clsRegistrator.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"
#include "wineprefix/PeBytes.h"

namespace korvane {
namespace {

const char kPrefix32[] =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n\n"
    "[Software\\\\Classes\\\\.dll] 1\n@=\"dllfile\"\n";
const char kUser[] =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n";

std::string Bytes(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

// Registration into a prefix that cannot happen says why, with outcome 1 (the
// file could not be loaded), at once, and never starts Wine: among them a
// FIFO (never opened), and a name Windows cannot express, which would reach
// Wine as another file or none (a\b.dll is a/b.dll there).
TEST(WineRegistration, RefusalsGiveOutcomeOneAndTheReason) {
  test::TempDir dir;
  dir.Write("system.reg", kPrefix32);
  dir.Write("user.reg", kUser);
  std::filesystem::create_directories(dir.path() / "dosdevices");
  std::filesystem::create_directory_symlink("/", dir.path() / "dosdevices" / "z:");
  test::ScopedEnv store("KORVANE_REGISTRY", "");
  test::ScopedEnv prefix("WINEPREFIX", dir.path().string());
  test::ScopedEnv noWine("PATH", dir.File("no-programs"));
  const std::string x86 = Bytes(test::PeBytes(formats::kMachineI386));
  const test::ScopedFifo fifo(dir.File("fifo.dll"));
  struct Case {
    std::string file;
    std::int32_t outcome;
    const char* why;
  };
  const Case cases[] = {
      {"", NoFile, ""},
      {dir.File("missing.dll"), LoadFailed, "cannot open"},
      {dir.Write("text.dll", "just text"), LoadFailed, "no PE header"},
      {dir.Write("arm.ocx", Bytes(test::PeBytes(formats::kMachineArm64))), LoadFailed,
       "ARM64, which Wine cannot run"},
      {dir.Write("x64.dll", Bytes(test::PeBytes(formats::kMachineAmd64))), LoadFailed,
       "is a 32-bit one"},
      {dir.Write("x86.dll", x86), LoadFailed, "Wine is not installed"},
      {fifo.path(), LoadFailed, "fifo.dll is not a regular file"},
      {dir.Write("a\\b.dll", x86), LoadFailed, "in the name 'a\\b.dll', it holds a backslash"},
      {dir.Write("con.dll", x86), LoadFailed, "device name"},
      {dir.Write("Lpt9", x86), LoadFailed, "device name"},
      {dir.Write("dot.dll.", x86), LoadFailed, "ends in a dot or a blank"},
      {dir.Write("blank.dll ", x86), LoadFailed, "ends in a dot or a blank"},
      {dir.Write("what?.dll", x86), LoadFailed, "holds '?'"},
      {dir.Write("line\nbreak.dll", x86), LoadFailed, "control character"},
  };
  for (const Case& c : cases) {
    for (bool unregister : {false, true}) {
      clsRegistrator::Result r;
      EXPECT_TRUE(test::EndsWithin(
          std::chrono::seconds(5), [&] { r = clsRegistrator::Perform(c.file, unregister); }, fifo))
          << c.file;
      EXPECT_EQ(r.outcome, c.outcome) << c.file;
      EXPECT_NE(r.detail.find(c.why), std::string::npos) << c.file << ": " << r.detail;
      EXPECT_FALSE(r.started);
    }
  }
  platform::posix::WinePrefixRegistry::Instance().Reset();
}

// The first-start installation into a prefix puts each component in the
// prefix's system folder for the component's width, found through its C:
// drive, and registers it through Wine (here: no Wine, so nothing runs).
TEST(WineRegistration, SelfInstallationUsesThePrefixsSystemFolderOfTheComponentsWidth) {
  std::string prefix64 = kPrefix32;
  prefix64.replace(prefix64.find("win32"), 5, "win64");
  struct Case {
    bool win64;            // the prefix's width: a 64-bit prefix has syswow64
    std::uint16_t machine;
    const char* folder;    // below drive_c/windows
  };
  const Case cases[] = {
      {true, formats::kMachineI386, "syswow64"},
      {true, formats::kMachineAmd64, "system32"},
      {false, formats::kMachineI386, "system32"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    dir.Write("prefix/system.reg", c.win64 ? prefix64 : std::string(kPrefix32));
    dir.Write("prefix/user.reg", kUser);
    const std::filesystem::path windows = dir.path() / "prefix" / "drive_c" / "windows";
    std::filesystem::create_directories(windows / "system32");
    if (c.win64) std::filesystem::create_directories(windows / "syswow64");
    std::filesystem::create_directories(dir.path() / "prefix" / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", dir.path() / "prefix" / "dosdevices" / "c:");
    dir.Write("program/prjXTab.ocx", Bytes(test::PeBytes(c.machine)));
    test::ScopedEnv store("KORVANE_REGISTRY", "");
    test::ScopedEnv prefix("WINEPREFIX", dir.File("prefix"));
    test::ScopedEnv noWine("PATH", dir.File("no-programs"));

    SelfInstallPlaces places = DefaultSelfInstallPlaces();
    places.appPath = [&] { return dir.File("program") + "/"; };
    InstallComponent("prjXTab.ocx", places);
    EXPECT_TRUE(std::filesystem::exists(windows / c.folder / "prjXTab.ocx")) << c.folder;
    const char* other = std::string(c.folder) == "system32" ? "syswow64" : "system32";
    EXPECT_FALSE(std::filesystem::exists(windows / other / "prjXTab.ocx")) << c.folder;
    platform::posix::WinePrefixRegistry::Instance().Reset();
  }
}

// In a prefix a component registers through Wine: a Linux library that
// would register itself in the store is no Windows file there.
TEST(WineRegistration, SelfInstallationRegistersThroughWine) {
  test::TempDir dir;
  dir.Write("system.reg", kPrefix32);
  dir.Write("user.reg", kUser);
  {
    test::ScopedEnv store("KORVANE_REGISTRY", dir.File("store.db"));
    EXPECT_EQ(RegisterComponentFile(KORVANE_COMP_OK), RegistrationSucceeded) << "the store's way";
  }
  test::ScopedEnv store("KORVANE_REGISTRY", "");
  test::ScopedEnv prefix("WINEPREFIX", dir.path().string());
  EXPECT_EQ(RegisterComponentFile(KORVANE_COMP_OK), LoadFailed);
  platform::posix::WinePrefixRegistry::Instance().Reset();
}

struct CliRun {
  int exitCode = -1;
  std::string output;  // standard output and error
};

CliRun Cli(const std::string& environment, const std::string& arguments) {
  const std::string line = "env -u KORVANE_REGISTRY -u WINEPREFIX " + environment + " '" +
                           std::string(KORVANE_CLI_PATH) + "' " + arguments + " 2>&1";
  CliRun run;
  FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The choice of registry on korvane-cli's command line.
TEST(WinePrefixOption, ChoosesTheRegistryOrRefusesTheMixture) {
  test::TempDir dir;
  dir.Write("p/system.reg", kPrefix32);
  dir.Write("p/user.reg", kUser);
  const std::string p = dir.File("p");
  const std::string file = dir.Write("x86.dll", Bytes(test::PeBytes(formats::kMachineI386)));
  struct Case {
    std::string environment;
    std::string arguments;
    int exitCode;
    std::string shown;
  };
  const Case cases[] = {
      {"", "--wineprefix", 2, "--wineprefix needs a folder"},
      {"", "--registry " + dir.File("r.db") + " --wineprefix " + p + " info " + file, 2,
       "cannot be used together"},
      {"KORVANE_REGISTRY=" + dir.File("r.db") + " WINEPREFIX=" + p, "info " + file, 2,
       "cannot be used together"},
      {"", "--wineprefix " + dir.File("none") + " info " + file, 2, "does not exist"},
      {"", "--wineprefix=" + p + " --json info " + file, 0,
       "\"registry\":{\"kind\":\"wineprefix\",\"location\":\"" + p + "\"}"},
      {"WINEPREFIX=" + p, "--help", 0, "now: Wine prefix " + p},
      {"", "--registry " + dir.File("r.db") + " --help", 0, "now: registry store " + dir.File("r.db")},
      // After reg, --wineprefix is still an option; the query reads the prefix.
      {"", "reg query 'HKCR\\.dll' --wineprefix " + p, 0, "(Default)    REG_SZ    dllfile"},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli(c.environment, c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.shown), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

}  // namespace
}  // namespace korvane
