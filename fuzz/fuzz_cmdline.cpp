// The start-up and its command-line dispatcher on arbitrary argument text,
// entered through Main as the program enters it, so every object the
// dispatcher uses exists. Every question is answered No, so no switch action
// runs; the splitting, the path rules, the dispatch and the plain-path display
// are what is exercised.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/CommandLine.h"
#include "app/basMain.h"
#include "common/UserPort.h"
#include "platform/Registry.h"

namespace {

class NoPort final : public korvane::UserPort {
 public:
  int MsgBox(const std::string&, int flags, const std::string&) override {
    return korvane::HasYesNo(flags) ? korvane::kIdNo : korvane::kIdOk;
  }
  void DoEvents() override {}
};

class QuietHost final : public korvane::WindowHost {
 public:
  void LoadMainWindow() override {}
  void LoadDisplayWindow() override {}
  korvane::FlexGrid& GridInfo() override { return info; }
  korvane::FlexGrid& GridComparison() override { return comparison; }
  void SetFileText(const std::string& text) override { fileText = text; }
  void SetActiveTab(int) override {}
  void ShowMainWindow() override {}
  void UnloadMainWindow() override {}
  void UnloadDisplayWindow() override {}
  void EndProcess() override {}
  korvane::FlexGrid info;
  korvane::FlexGrid comparison;
  std::string fileText;
};

std::filesystem::path g_workDir;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A registry store and system folder of this run alone: the -s switch writes
  // verbs, and the first start records its self-installation.
  g_workDir = std::filesystem::temp_directory_path() /
              ("korvane-fuzz-cmdline-" + std::to_string(::getpid()));
  std::filesystem::create_directories(g_workDir / "system32");
  korvane::platform::UseRegistryStoreFile((g_workDir / "registry.db").string());
  ::setenv("KORVANE_SYSTEM_DIR", (g_workDir / "system32").c_str(), 1);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(g_workDir, ec);
  });
  static NoPort port;
  korvane::SetUserPort(&port);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  korvane::ParsedCommandLine parsed = korvane::SplitCommandLine(text);
  if (parsed.pieces.empty()) __builtin_trap();
  if (text.find('"') != std::string::npos && parsed.pieces.size() != 2) __builtin_trap();

  QuietHost host;
  korvane::basMain app(host);
  app.SetAppPathForTesting("/opt/korvane/");
  app.Main(text);
  return 0;
}
