#include "cli/TerminalPort.h"

#include <cstdio>

namespace korvane::cli {

int TerminalPort::MsgBox(const std::string& text, int flags, const std::string& title) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  return DefaultAnswer(flags);
}

}  // namespace korvane::cli
