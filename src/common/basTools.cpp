#include "common/basTools.h"

#include <cctype>
#include <cstdlib>

#include "common/CarryOn.h"
#include "formats/TextCodec.h"
#include "platform/Shell.h"

namespace korvane {

void ShellOpen(const std::string& sDocument) {
  // Nothing is shown: a document that cannot be opened is simply not opened.
  CarryOn("ShellOpen", [&] { platform::ShellExecuteOpen(sDocument); });
}

namespace {

std::string Trimmed(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A number in the forms a Boolean conversion accepts (decimal, optional sign,
// fraction and exponent, or &H hexadecimal); nullopt-like false when it is not one.
bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str() + 2, &end, 16);
    if (end == nullptr || *end != '\0') return false;
    value = static_cast<double>(v);
    return true;
  }
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return false;
  // strtod also takes "inf", "nan" and hexadecimal floats; a Boolean conversion does not.
  for (char c : text) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
          c == 'e' || c == 'E')) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool SafeBool(const std::string& v) {
  std::string t = Trimmed(v);
  const std::string lower = formats::ToLowerAscii(t);
  if (lower == "true") return true;
  if (lower == "false") return false;
  double number = 0;
  if (ParseNumber(t, number)) return number != 0;
  return false;
}

std::string StripNull(const std::string& s) {
  std::size_t nul = s.find('\0');
  return nul == std::string::npos ? s : s.substr(0, nul);
}

}  // namespace korvane
