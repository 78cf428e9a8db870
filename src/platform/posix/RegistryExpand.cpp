// ExpandEnvironmentStrings on Linux: %NAME% taken from the environment.

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/Registry.h"

extern char** environ;

namespace korvane::platform {

namespace {

// Windows' variable names ignore letter case; the exact spelling wins when the
// Linux environment holds more than one.
std::optional<std::string> Lookup(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (const char* exact = std::getenv(name.c_str())) return std::string(exact);
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq != nullptr && static_cast<std::size_t>(eq - *e) == name.size() &&
        strncasecmp(*e, name.c_str(), name.size()) == 0) {
      return std::string(eq + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

std::uint32_t ExpandEnvironmentStrings(const std::string& source, std::string* out) {
  // The source is a C string to Windows: it ends at its first NUL.
  const std::string text = source.substr(0, source.find('\0'));
  std::string result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    if (open == std::string::npos) {
      result.append(text, pos, std::string::npos);
      break;
    }
    result.append(text, pos, open - pos);
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string::npos) {
      result.append(text, open, std::string::npos);
      break;
    }
    // An unknown name (or %%) is copied as it stands, both signs included.
    if (auto value = Lookup(text.substr(open + 1, close - open - 1))) {
      result += *value;
    } else {
      result.append(text, open, close - open + 1);
    }
    pos = close + 1;
  }
  if (out != nullptr) *out = result;
  return static_cast<std::uint32_t>(result.size() + 1);
}

}  // namespace korvane::platform
