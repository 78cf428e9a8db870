#include "desktop/Quoting.h"

namespace korvane::desktop {

namespace {

bool ShellSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

// Characters the Desktop Entry rules reserve inside an Exec argument.
bool ExecReserved(char c) {
  return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos;
}

}  // namespace

std::string ShellQuote(std::string_view word) {
  bool safe = !word.empty();
  for (char c : word) safe = safe && ShellSafe(c);
  if (safe) return std::string(word);
  std::string quoted = "'";
  for (char c : word) {
    // A single quote cannot appear inside single quotes: close, escape, reopen.
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  quoted += '\'';
  return quoted;
}

std::string DesktopExecArgument(std::string_view argument) {
  bool reserved = argument.empty();
  std::string body;
  for (char c : argument) {
    reserved = reserved || ExecReserved(c);
    if (c == '%') {
      body += "%%";
    } else {
      body += c;
    }
  }
  if (!reserved) return body;
  std::string quoted = "\"";
  for (char c : body) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string EscapeKeyFileValue(std::string_view value) {
  std::string escaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\n': escaped += "\\n"; break;
      case '\t': escaped += "\\t"; break;
      case '\r': escaped += "\\r"; break;
      case ' ': escaped += i == 0 ? "\\s" : " "; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string EscapeXmlText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

}  // namespace korvane::desktop
