#pragma once
// A window host that records what start-up and shut-down asked of the windows.

#include <string>
#include <vector>

#include "app/WindowHost.h"
#include "app/basMain.h"

namespace korvane::test {

class FakeWindowHost final : public WindowHost {
 public:
  void LoadMainWindow() override { calls.push_back("LoadMain"); }
  void LoadDisplayWindow() override { calls.push_back("LoadDisplay"); }
  FlexGrid& GridInfo() override { return gridInfo; }
  FlexGrid& GridComparison() override { return gridComparison; }
  void SetFileText(const std::string& text) override {
    calls.push_back("SetFileText");
    fileText = text;
  }
  void SetActiveTab(int index) override { calls.push_back("SetActiveTab " + std::to_string(index)); }
  void ShowMainWindow() override { calls.push_back("ShowMain"); }
  void UnloadMainWindow() override {
    calls.push_back("UnloadMain");
    // The main window's unload handler finishes the shut-down.
    if (app != nullptr) app->EndApplication(true);
  }
  void UnloadDisplayWindow() override { calls.push_back("UnloadDisplay"); }
  void EndProcess() override { calls.push_back("EndProcess"); }

  bool Called(const std::string& name) const {
    for (const auto& c : calls) {
      if (c == name) return true;
    }
    return false;
  }

  basMain* app = nullptr;
  std::vector<std::string> calls;
  std::string fileText;
  FlexGrid gridInfo;
  FlexGrid gridComparison;
};

}  // namespace korvane::test
