#pragma once
// What the report's progress window asks of a toolkit: the window itself, the
// bar and the file label. The form decides when and what they show.

#include <string>

namespace korvane::forms {

class ProgressView {
 public:
  // Returns with the window on screen and painted: the report collects its
  // files next without handling any window message.
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void SetBarRange(int max) = 0;
  virtual void SetBarValue(int value) = 0;
  virtual void SetFileLabel(const std::string& text) = 0;

 protected:
  ~ProgressView() = default;
};

}  // namespace korvane::forms
