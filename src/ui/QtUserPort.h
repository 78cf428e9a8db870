#pragma once
// Message boxes as Qt modal dialogs; "process pending messages" as Qt's event loop.

#include <QElapsedTimer>

#include "common/UserPort.h"

namespace korvane::ui {

class QtUserPort final : public UserPort {
 public:
  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override;

  // Pending messages are handled at most once per this many milliseconds.
  static constexpr qint64 kMinIntervalMs = 10;

 private:
  QElapsedTimer sinceLastRun_;
};

}  // namespace korvane::ui
