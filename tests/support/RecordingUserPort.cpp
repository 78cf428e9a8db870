#include "support/RecordingUserPort.h"

namespace korvane::test {

RecordingUserPort::RecordingUserPort() { SetUserPort(this); }
RecordingUserPort::~RecordingUserPort() { SetUserPort(nullptr); }

int RecordingUserPort::MsgBox(const std::string& text, int flags, const std::string& title) {
  int answer = DefaultAnswer(flags);
  if (HasYesNo(flags) && !answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  boxes.push_back({text, flags, title, answer});
  return answer;
}

}  // namespace korvane::test
