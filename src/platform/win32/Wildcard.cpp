// Name matching with the rules of a Windows folder search, for callers that
// match names themselves (the search proper lets FindFirstFileW match):
// '?' matches one character, or nothing at a dot or at the end of the name;
// '*' directly before a dot stops at the last dot of the name; a dot before a
// wildcard or at the end of the pattern also matches the end of a name without
// an extension. Letter case is ignored as the file system ignores it.

#include <algorithm>
#include <vector>

#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
#include "platform/FileSystem.h"

namespace korvane::platform {

namespace {

enum class Kind : unsigned char { Literal, Star, StarToLastDot, OneOrNone, DotOrEnd };

struct Token {
  Kind kind;
  wchar_t ch;
};

std::wstring Upper(std::string_view text) {
  std::wstring w = win32::Wide(text);
  if (!w.empty()) ::CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return w;
}

std::vector<Token> Tokens(const std::wstring& p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const bool last = i + 1 == p.size();
    const wchar_t next = last ? L'\0' : p[i + 1];
    if (p[i] == L'?') {
      out.push_back({Kind::OneOrNone, 0});
    } else if (p[i] == L'*') {
      out.push_back({next == L'.' ? Kind::StarToLastDot : Kind::Star, 0});
    } else if (p[i] == L'.' && (last || next == L'?' || next == L'*')) {
      out.push_back({Kind::DotOrEnd, 0});
    } else {
      out.push_back({Kind::Literal, p[i]});
    }
  }
  return out;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  const std::vector<Token> tokens = Tokens(Upper(pattern));
  const std::wstring n = Upper(name);
  const std::size_t lastDot = n.rfind(L'.');
  // reach[j]: the tokens so far can consume exactly the first j characters.
  std::vector<char> reach(n.size() + 1, 0), next(n.size() + 1, 0);
  reach[0] = 1;
  for (const Token& t : tokens) {
    std::fill(next.begin(), next.end(), 0);
    for (std::size_t j = 0; j <= n.size(); ++j) {
      if (!reach[j]) continue;
      const bool atEnd = j == n.size();
      switch (t.kind) {
        case Kind::Literal:
          if (!atEnd && n[j] == t.ch) next[j + 1] = 1;
          break;
        case Kind::Star:
          for (std::size_t k = j; k <= n.size(); ++k) next[k] = 1;
          break;
        case Kind::StarToLastDot: {
          // Up to the last dot (not past it), or everything without one.
          const std::size_t stop = lastDot != std::wstring::npos && lastDot >= j ? lastDot : n.size();
          for (std::size_t k = j; k <= stop; ++k) next[k] = 1;
          break;
        }
        case Kind::OneOrNone:
          if (atEnd || n[j] == L'.') {
            next[j] = 1;
          } else {
            next[j + 1] = 1;
          }
          break;
        case Kind::DotOrEnd:
          if (atEnd) {
            next[j] = 1;
          } else if (n[j] == L'.') {
            next[j + 1] = 1;
          }
          break;
      }
    }
    reach.swap(next);
  }
  return reach[n.size()] != 0;
}

}  // namespace korvane::platform
