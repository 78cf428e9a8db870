#include "report/PathFunctions.h"

namespace korvane {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Position of the last separator, npos when there is none.
std::size_t LastSeparator(const std::string& path, PathStyle style) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1], style)) return i - 1;
  }
  return std::string::npos;
}

// A UNC path below the long-path prefix "\\?\UNC\" is read as "\\" + the rest.
std::string WithoutLongUncPrefix(const std::string& path) {
  if (StartsWith(path, "\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
  return path;
}

}  // namespace

bool IsPathSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

char PreferredSeparator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

std::string GetPathPart(const std::string& path, int parts, PathStyle style) {
  std::size_t dot = path.rfind('.');
  std::size_t sep = LastSeparator(path, style);
  std::size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  std::string folder = path.substr(0, nameStart);
  std::string name;
  std::string extension;
  if (dot != std::string::npos && (sep == std::string::npos || dot > sep)) {
    extension = path.substr(dot + 1);
    name = path.substr(nameStart, dot - nameStart);
  } else {
    name = path.substr(nameStart);
  }
  std::string result;
  if ((parts & kPartFolder) != 0) result += folder;
  if ((parts & kPartName) != 0) result += name;
  if ((parts & kPartExtension) != 0) {
    if (!result.empty()) result += '.';
    result += extension;
  }
  return result;
}

std::string TrimNull(const std::string& text) {
  std::size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

int PathGetDriveNumber(const std::string& path, PathStyle style) {
  if (style != PathStyle::Windows) return -1;
  std::string p = StartsWith(path, "\\\\?\\") ? path.substr(4) : path;
  if (p.size() >= 2 && IsDriveLetter(p[0]) && p[1] == ':') {
    char upper = (p[0] >= 'a') ? static_cast<char>(p[0] - 'a' + 'A') : p[0];
    return upper - 'A';
  }
  return -1;
}

bool PathIsUNC(const std::string& path, PathStyle style) {
  if (style != PathStyle::Windows) return false;
  if (StartsWith(path, "\\\\?\\")) return StartsWith(path, "\\\\?\\UNC\\");
  return StartsWith(path, "\\\\");
}

bool PathIsUNCServer(const std::string& path, PathStyle style) {
  if (style != PathStyle::Windows) return false;
  if (!StartsWith(path, "\\\\") || StartsWith(path, "\\\\?\\")) return false;
  return path.find('\\', 2) == std::string::npos;
}

bool PathIsUNCServerShare(const std::string& path, PathStyle style) {
  if (style != PathStyle::Windows) return false;
  if (!StartsWith(path, "\\\\") || StartsWith(path, "\\\\?\\")) return false;
  std::size_t afterServer = path.find('\\', 2);
  if (afterServer == std::string::npos || afterServer == 2) return false;
  if (afterServer + 1 >= path.size()) return false;  // no share name
  return path.find('\\', afterServer + 1) == std::string::npos;
}

bool PathIsNetworkPath(const std::string& path, PathStyle style) {
  return PathIsUNC(path, style);
}

bool PathStripToRoot(std::string& path, PathStyle style) {
  if (style != PathStyle::Windows) {
    if (path.empty() || path[0] != '/') return false;
    path = "/";
    return true;
  }
  if (PathIsUNC(path, style)) {
    std::string p = WithoutLongUncPrefix(path);
    std::size_t afterServer = p.find('\\', 2);
    if (afterServer == std::string::npos) {
      path = p;  // \\server is its own root
      return true;
    }
    std::size_t afterShare = p.find('\\', afterServer + 1);
    path = p.substr(0, afterShare);
    return true;
  }
  std::string p = StartsWith(path, "\\\\?\\") ? path.substr(4) : path;
  if (PathGetDriveNumber(p, style) >= 0) {
    bool rooted = p.size() >= 3 && IsPathSeparator(p[2], style);
    path = p.substr(0, rooted ? 3 : 2);
    return true;
  }
  if (!p.empty() && IsPathSeparator(p[0], style)) {
    path = p.substr(0, 1);
    return true;
  }
  return false;
}

std::string GetPathRoot(const std::string& path, PathStyle style) {
  std::string copy = path;
  if (!PathStripToRoot(copy, style)) return {};
  return TrimNull(copy);
}

}  // namespace korvane
