// The command-line dispatcher on arbitrary argument text. Every question is
// answered No, so no action runs; the splitting, the path rules and the
// dispatch itself are what is exercised.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/CommandLine.h"
#include "app/basMain.h"
#include "common/UserPort.h"

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
  korvane::FlexGrid& GridInfo() override { return grid; }
  korvane::FlexGrid& GridComparison() override { return grid; }
  void SetFileText(const std::string& text) override { fileText = text; }
  void SetActiveTab(int) override {}
  void ShowMainWindow() override {}
  void UnloadMainWindow() override {}
  void UnloadDisplayWindow() override {}
  void EndProcess() override {}
  korvane::FlexGrid grid;
  std::string fileText;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Keep any registry write away from the user's own store.
  setenv("KORVANE_REGISTRY", "/tmp/korvane-fuzz-cmdline-registry.db", 1);
  setenv("KORVANE_SYSTEM_DIR", "/tmp/korvane-fuzz-cmdline-system32", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static NoPort port;
  korvane::SetUserPort(&port);
  std::string text(reinterpret_cast<const char*>(data), size);

  korvane::ParsedCommandLine parsed = korvane::SplitCommandLine(text);
  if (parsed.pieces.empty()) __builtin_trap();
  if (text.find('"') != std::string::npos && parsed.pieces.size() != 2) __builtin_trap();
  (void)korvane::ResolveCommandPath(parsed.path, "/opt/korvane/");

  QuietHost host;
  korvane::basMain app(host);
  app.SetAppPathForTesting("/opt/korvane/");
  app.ProcessCommandLine(text);
  return 0;
}
