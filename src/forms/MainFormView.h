#pragma once
// What the main window's logic asks of a window that shows it: the few things
// that are native controls (text boxes, captions, the tab control, the file
// dialog, the detail window). One implementation per toolkit; tests use a fake.

#include <optional>
#include <string>

namespace korvane::forms {

// The three file boxes of the main window.
enum class FileBox { File, First, Second };

// The settings of the file-open dialog.
struct FileDialogRequest {
  std::string fileName;  // the name the dialog starts with
  std::string filter;    // "description|pattern|..." pairs
  int flags = 0;
  static constexpr int kHideReadOnly = 4;
};

class MainFormView {
 public:
  // The chosen full path, or nothing when the dialog was cancelled or failed.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  virtual std::string FileBoxText(FileBox box) const = 0;
  virtual void SetFileBoxText(FileBox box, const std::string& text) = 0;
  virtual void SetWindowCaption(const std::string& caption) = 0;
  // The caption of the shell-verb toggle and the text of its label.
  virtual std::string ShellButtonCaption() const = 0;
  virtual void SetShellButtonCaption(const std::string& caption) = 0;
  virtual void SetShellLabel(const std::string& text) = 0;
  // The tab control; making a tab active raises its switch event.
  virtual int ActiveTab() const = 0;
  virtual void SetActiveTab(int tab) = 0;
  virtual void FocusTabControl() = 0;
  // Every owner-drawn button of the window starts its work.
  virtual void InitialiseButtons() = 0;
  // Shows text in the detail window, modally.
  virtual void ShowDetail(const std::string& text) = 0;

 protected:
  ~MainFormView() = default;
};

}  // namespace korvane::forms
