#pragma once
// A window host that records what start-up and shut-down asked of the windows.

#include <functional>
#include <string>
#include <vector>

#include "app/WindowHost.h"

namespace korvane::test {

// Records what the report asked of its progress window.
class RecordingProgress final : public ReportProgress {
 public:
  explicit RecordingProgress(std::vector<std::string>& calls) : calls_(calls) {}
  void Show() override { calls_.push_back("Show"); }
  void SetMax(int max) override { calls_.push_back("SetMax " + std::to_string(max)); }
  void SetValue(int value) override { calls_.push_back("SetValue " + std::to_string(value)); }
  void SetCurrentFile(const std::string& name) override { calls_.push_back("File " + name); }
  void Hide() override { calls_.push_back("Hide"); }
  void Unload() override { calls_.push_back("Unload"); }

 private:
  std::vector<std::string>& calls_;
};

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
  void Connect(const ApplicationLink& l) override {
    calls.push_back(l.registrator != nullptr ? "Connect" : "Disconnect");
    link = l;
  }
  void UnloadMainWindow() override {
    calls.push_back("UnloadMain");
    // The main window's unload handler finishes the shut-down (through a
    // copy: the shut-down disconnects the windows).
    const std::function<void()> unloaded = link.mainWindowUnloaded;
    if (unloaded) unloaded();
  }
  void UnloadDisplayWindow() override { calls.push_back("UnloadDisplay"); }
  void EndProcess() override { calls.push_back("EndProcess"); }
  ReportProgress* ProgressWindow(bool&) override { return &progress; }

  bool Called(const std::string& name) const {
    for (const auto& c : calls) {
      if (c == name) return true;
    }
    return false;
  }

  ApplicationLink link;
  std::vector<std::string> calls;
  std::vector<std::string> progressCalls;
  RecordingProgress progress{progressCalls};
  std::string fileText;
  FlexGrid gridInfo;
  FlexGrid gridComparison;
};

}  // namespace korvane::test
