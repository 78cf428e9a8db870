#pragma once
// KORVANE_UNATTENDED=1: every message box becomes one line on standard output,
//   MSGBOX<TAB>icon<TAB>title<TAB>text<TAB>answer
// and a question takes its default button unless KORVANE_ANSWER says yes or no.

#include <cstdio>
#include <string>

#include "common/UserPort.h"

namespace korvane {

class UnattendedPort final : public UserPort {
 public:
  // forcedAnswer: 0 for the default button, else kIdYes or kIdNo.
  explicit UnattendedPort(int forcedAnswer = 0, std::FILE* out = stdout);
  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override {}

  // The line written for one box (without the line end); public for tests.
  static std::string FormatLine(const std::string& text, int flags,
                                const std::string& title, int answer);

 private:
  int forcedAnswer_;
  std::FILE* out_;
};

// True when KORVANE_UNATTENDED=1 is set.
bool UnattendedRequested();
// The KORVANE_ANSWER choice: kIdYes, kIdNo or 0 (default button).
int UnattendedAnswerFromEnvironment();

}  // namespace korvane
