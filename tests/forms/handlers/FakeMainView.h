#pragma once
// A main-window view that keeps what the form shows and answers the file
// dialog from a script; its tab control raises the switch event as a real one.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "forms/MainForm.h"

namespace korvane::test {

class FakeMainView final : public forms::MainFormView {
 public:
  std::optional<std::string> ChooseFile(const forms::FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string FileBoxText(forms::FileBox box) const override { return boxes[Index(box)]; }
  void SetFileBoxText(forms::FileBox box, const std::string& text) override { boxes[Index(box)] = text; }
  void SetWindowCaption(const std::string& text) override { caption = text; }
  std::string ShellButtonCaption() const override { return shellButton; }
  void SetShellButtonCaption(const std::string& text) override { shellButton = text; }
  void SetShellLabel(const std::string& text) override { shellLabel = text; }
  int ActiveTab() const override { return tab; }
  void SetActiveTab(int index) override {
    tab = index;
    if (form != nullptr) form->TabSwitched();
  }
  void FocusTabControl() override { ++tabControlFocused; }
  void InitialiseButtons() override { ++buttonsInitialised; }
  void ShowDetail(const std::string& text) override { details.push_back(text); }

  forms::MainForm* form = nullptr;
  std::deque<std::optional<std::string>> answers;  // nullopt: a cancel
  std::vector<forms::FileDialogRequest> requests;
  std::string boxes[3];
  std::string caption;
  std::string shellButton = "Enable";
  std::string shellLabel = "Shell Extensions are Enabled. Click Disable to remove Shell Extensions:";
  int tab = 0;
  int tabControlFocused = 0;
  int buttonsInitialised = 0;
  std::vector<std::string> details;

 private:
  static int Index(forms::FileBox box) { return static_cast<int>(box); }
};

}  // namespace korvane::test
