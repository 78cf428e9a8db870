#include "common/UnattendedPort.h"

#include <cstdlib>
#include <cstring>

#include "formats/TextCodec.h"

namespace korvane {

namespace {

// One field of the line: a line break (LF, CR LF or CR), a TAB and a
// backslash are written as escapes, so that one box is always one line.
void AppendField(std::string& line, const std::string& field) {
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    switch (c) {
      case '\r':
        if (i + 1 < field.size() && field[i + 1] == '\n') ++i;
        line += "\\n";
        break;
      case '\n': line += "\\n"; break;
      case '\t': line += "\\t"; break;
      case '\\': line += "\\\\"; break;
      default: line += c;
    }
  }
}

}  // namespace

UnattendedPort::UnattendedPort(UserPort& windows, int forcedAnswer, std::FILE* out)
    : windows_(windows), forcedAnswer_(forcedAnswer), out_(out) {}

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

std::unique_ptr<UserPort> UnattendedPortFromEnvironment(UserPort& windows) {
  if (!UnattendedRequested()) return nullptr;
  return std::make_unique<UnattendedPort>(windows, UnattendedAnswerFromEnvironment());
}

}  // namespace korvane
