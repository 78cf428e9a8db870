#pragma once
// A user port for tests: records every message box and answers from a script
// (the default button when the script is empty).

#include <deque>
#include <string>
#include <vector>

#include "common/UserPort.h"

namespace korvane::test {

struct RecordedBox {
  std::string text;
  int flags = 0;
  std::string title;
  int answer = 0;
};

class RecordingUserPort final : public UserPort {
 public:
  RecordingUserPort();
  ~RecordingUserPort() override;  // restores the silent default port

  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override { ++doEventsCalls; }

  // Answers for the next Yes/No boxes, in order.
  void AnswerNext(int answer) { answers_.push_back(answer); }

  std::vector<RecordedBox> boxes;
  int doEventsCalls = 0;

 private:
  std::deque<int> answers_;
};

}  // namespace korvane::test
