#pragma once
// What the folder report needs of its progress window. The Qt window
// implements it, korvane-cli draws a line on a terminal, tests record the calls.

#include <string>

namespace korvane {

class ReportProgress {
 public:
  virtual ~ReportProgress() = default;
  // Loads the window and shows it modeless.
  virtual void Show() = 0;
  virtual void SetMax(int max) = 0;
  virtual void SetValue(int value) = 0;
  // The name of the file being handled.
  virtual void SetCurrentFile(const std::string& name) = 0;
  virtual void Hide() = 0;
  // Asks the window to unload; a window that refuses to close stays loaded.
  virtual void Unload() = 0;
};

}  // namespace korvane
