#include "common/UnattendedPort.h"

#include <cstdlib>
#include <cstring>

#include "formats/TextCodec.h"

namespace korvane {

UnattendedPort::UnattendedPort(UserPort& windows, int forcedAnswer, std::FILE* out)
    : windows_(windows), forcedAnswer_(forcedAnswer), out_(out) {}

std::string UnattendedPort::FormatLine(const std::string& text, int flags,
                                       const std::string& title, int answer) {
  std::string line = "MSGBOX\t";
  line += IconName(IconOf(flags));
  line += '\t';
  line += title;
  line += '\t';
  line += text;
  line += '\t';
  line += answer == kIdYes ? "yes" : answer == kIdNo ? "no" : "ok";
  return line;
}

int UnattendedPort::MsgBox(const std::string& text, int flags, const std::string& title) {
  int answer = DefaultAnswer(flags);
  if (HasYesNo(flags) && forcedAnswer_ != 0) answer = forcedAnswer_;
  std::string line = FormatLine(text, flags, title, answer);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
  return answer;
}

bool UnattendedRequested() {
  const char* v = std::getenv("KORVANE_UNATTENDED");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

int UnattendedAnswerFromEnvironment() {
  const char* v = std::getenv("KORVANE_ANSWER");
  if (v == nullptr) return 0;
  const std::string s = formats::ToLowerAscii(v);
  if (s == "yes") return kIdYes;
  if (s == "no") return kIdNo;
  return 0;
}

std::unique_ptr<UserPort> UnattendedPortFromEnvironment(UserPort& windows) {
  if (!UnattendedRequested()) return nullptr;
  return std::make_unique<UnattendedPort>(windows, UnattendedAnswerFromEnvironment());
}

}  // namespace korvane
