#pragma once
// KORVANE_UNATTENDED=1: every message box becomes one line on standard output,
//   MSGBOX<TAB>icon<TAB>title<TAB>text<TAB>answer
// and a question takes its default button unless KORVANE_ANSWER says yes or no.
// Only the boxes are replaced: window messages are still processed by the
// port of the windows, so windows are drawn and their buttons work.

#include <cstdio>
#include <memory>
#include <string>

#include "common/UserPort.h"

namespace korvane {

class UnattendedPort final : public UserPort {
 public:
  // windows: the port that processes window messages (not owned).
  // forcedAnswer: 0 for the default button, else kIdYes or kIdNo.
  explicit UnattendedPort(UserPort& windows, int forcedAnswer = 0, std::FILE* out = stdout);
  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override { windows_.DoEvents(); }

  // The line written for one box (without the line end); public for tests.
  static std::string FormatLine(const std::string& text, int flags,
                                const std::string& title, int answer);

 private:
  UserPort& windows_;
  int forcedAnswer_;
  std::FILE* out_;
};

// True when KORVANE_UNATTENDED=1 is set.
bool UnattendedRequested();
// The KORVANE_ANSWER choice: kIdYes, kIdNo or 0 (default button).
int UnattendedAnswerFromEnvironment();
// The port a program with windows installs in front of its own when
// KORVANE_UNATTENDED=1 is set; null when it is not.
std::unique_ptr<UserPort> UnattendedPortFromEnvironment(UserPort& windows);

}  // namespace korvane
