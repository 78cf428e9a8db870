// The argument-text rule shared by every back end.

#include "platform/Process.h"

namespace korvane::platform {

std::string JoinArguments(const std::vector<std::string>& args) {
  std::string text;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i > 0) text.push_back(' ');
    if (args[i].find(' ') != std::string::npos) {
      text += '"' + args[i] + '"';
    } else {
      text += args[i];
    }
  }
  return text;
}

}  // namespace korvane::platform
