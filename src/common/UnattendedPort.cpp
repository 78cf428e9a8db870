#include "common/UnattendedPort.h"

#include <cstdlib>
#include <cstring>

#include "formats/TextCodec.h"

namespace korvane {

namespace {

// One box is one line: a line break, a TAB and the backslash itself are
// written as the two-character escapes \n, \t and \\.
void AppendField(std::string& line, const std::string& field) {
  for (char c : field) {
    switch (c) {
      case '\n': line += "\\n"; break;
      case '\t': line += "\\t"; break;
      case '\\': line += "\\\\"; break;
      default: line += c;
    }
  }
}

}  // namespace

UnattendedPort::UnattendedPort(int forcedAnswer, std::FILE* out)
    : forcedAnswer_(forcedAnswer), out_(out) {}

std::string UnattendedPort::FormatLine(const std::string& text, int flags,
                                       const std::string& title, int answer) {
  std::string line = "MSGBOX\t";
  line += IconName(IconOf(flags));
  line += '\t';
  AppendField(line, title);
  line += '\t';
  AppendField(line, text);
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

}  // namespace korvane
