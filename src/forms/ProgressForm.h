#pragma once
// The report's progress window without a toolkit: what the report sets, the
// pace at which it reaches the screen, Cancel, and the refusal to close. A
// view forwards its window's events here and shows what it is told.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "forms/ProgressView.h"
#include "report/ReportProgress.h"

namespace korvane::forms {

class ProgressForm final : public ReportProgress {
 public:
  // Milliseconds from any fixed point; tests give their own.
  using Clock = std::function<std::int64_t()>;
  // Drawing each of many thousand files would cost more than the report:
  // progress reaches the screen at most once per frame unless it is the end.
  static constexpr std::int64_t kFrameMs = 40;

  // cancelFlag is what Cancel sets; it must outlive the form.
  ProgressForm(ProgressView& view, bool& cancelFlag);
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  // Puts the window's first state on its controls, once they exist.
  void Load();

  // ReportProgress
  void Show() override;
  void SetMax(int max) override;
  void SetValue(int value) override;
  void SetCurrentFile(const std::string& name) override;
  void Hide() override;
  void Unload() override;

  // Events of the window.
  void CancelClick() { cancel_ = true; }
  // Whether the window may close: never, whatever asked (the close box, Esc,
  // the program). Cancel is the only way to stop the report.
  bool MayClose() const { return false; }

  bool Loaded() const { return loaded_; }
  int Value() const { return value_; }
  int Max() const { return max_; }

 private:
  void Present(bool force);

  ProgressView& view_;
  bool& cancel_;
  Clock clock_;
  bool loaded_ = true;
  int value_ = 0;
  int max_ = 1;
  std::string file_;
  bool presented_ = false;
  std::int64_t presentedAt_ = 0;
};

}  // namespace korvane::forms
