#pragma once
// korvane-cli's user port: a message box becomes one line on standard error and
// takes its default button; there is no window to keep alive.

#include "common/UserPort.h"

namespace korvane::cli {

class TerminalPort final : public UserPort {
 public:
  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override {}
};

}  // namespace korvane::cli
