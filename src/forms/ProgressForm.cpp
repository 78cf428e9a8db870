#include "forms/ProgressForm.h"

namespace korvane::forms {

namespace {
std::int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

ProgressForm::ProgressForm(ProgressView& view, bool& cancelFlag)
    : view_(view), cancel_(cancelFlag), clock_(SteadyMs) {}

void ProgressForm::Load() {
  view_.SetBarRange(max_);
  view_.SetBarValue(0);
  view_.SetFileLabel(file_);
}

void ProgressForm::Show() {
  Present(true);
  view_.ShowWindow();
}

void ProgressForm::SetMax(int max) {
  // An empty report has nothing to count: the bar then stays empty.
  max_ = max > 0 ? max : 1;
  view_.SetBarRange(max_);
}

void ProgressForm::SetValue(int value) { value_ = value; }

void ProgressForm::SetCurrentFile(const std::string& name) {
  file_ = name;
  Present(value_ >= max_);
}

void ProgressForm::Present(bool force) {
  const std::int64_t now = clock_();
  if (!force && presented_ && now - presentedAt_ < kFrameMs) return;
  presented_ = true;
  presentedAt_ = now;
  view_.SetBarValue(value_);
  view_.SetFileLabel(file_);
}

void ProgressForm::Hide() {
  Present(true);
  view_.HideWindow();
}

void ProgressForm::Unload() {
  // The request is refused: the window stays loaded (and hidden, when the
  // report hid it first) until the program ends.
  if (MayClose()) loaded_ = false;
}

}  // namespace korvane::forms
