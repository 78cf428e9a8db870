#include "app/CommandLine.h"

#include <algorithm>

#include "platform/Process.h"

namespace korvane {

namespace {

bool IsSwitchWithPath(const std::string& piece) {
  return piece == "-r" || piece == "-u" || piece == "-s" || piece == "-f";
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t blank = text.find(' ', start);
    if (blank == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, blank - start));
    start = blank + 1;
  }
}

// The text after the first double quote. The closing quote is expected to be
// the last character and is dropped; when the text does not end in a closing
// quote, nothing is dropped.
std::string QuotedPath(const std::string& text, std::size_t firstQuote) {
  std::size_t start = firstQuote + 1;
  bool closed = text.size() > start && text.back() == '"';
  std::size_t end = closed ? text.size() - 1 : text.size();
  return end > start ? text.substr(start, end - start) : std::string();
}

}  // namespace

ParsedCommandLine SplitCommandLine(const std::string& argumentText) {
  ParsedCommandLine parsed;
  parsed.pieces = SplitAtBlanks(argumentText);
  std::size_t quote = argumentText.find('"');
  if (quote != std::string::npos) {
    std::string path = QuotedPath(argumentText, quote);
    if (IsSwitchWithPath(parsed.pieces[0])) {
      parsed.pieces.resize(std::max<std::size_t>(parsed.pieces.size(), 2));
      parsed.pieces[1] = path;
    } else {
      parsed.pieces[0] = path;
    }
    parsed.pieces.resize(2);
  }
  parsed.switchText = parsed.pieces[0];
  if (parsed.pieces.size() > 1) parsed.path = parsed.pieces[1];
  return parsed;
}

bool IsAbsoluteCommandPath(const std::string& path) {
  if (path.find(":\\") != std::string::npos) return true;
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return true;
  }
  if (path.rfind("\\\\", 0) == 0) return true;
  // Where '/' separates path components, a leading one starts at the root.
  return platform::kPathSeparator == '/' && !path.empty() && path[0] == '/';
}

std::string ResolveCommandPath(const std::string& path, const std::string& appPath) {
  if (path.empty() || IsAbsoluteCommandPath(path)) return path;
  return appPath + path;
}

}  // namespace korvane
