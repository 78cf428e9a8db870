#include "platform/common/Wildcard.h"

#include <algorithm>
#include <vector>

#include "platform/FileSystem.h"

namespace korvane::platform {

namespace {

enum class Kind : unsigned char { Literal, Star, StarToLastDot, OneOrNone, DotOrEnd };

struct Token {
  Kind kind;
  char32_t ch;
};

std::vector<Token> Tokens(const std::u32string& p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const bool last = i + 1 == p.size();
    const char32_t next = last ? 0 : p[i + 1];
    if (p[i] == U'?') {
      out.push_back({Kind::OneOrNone, 0});
    } else if (p[i] == U'*') {
      out.push_back({next == U'.' ? Kind::StarToLastDot : Kind::Star, 0});
    } else if (p[i] == U'.' && (last || next == U'?' || next == U'*')) {
      out.push_back({Kind::DotOrEnd, 0});
    } else {
      out.push_back({Kind::Literal, p[i]});
    }
  }
  return out;
}

}  // namespace

bool MatchFoldedWildcard(const std::u32string& pattern, const std::u32string& name) {
  const std::vector<Token> tokens = Tokens(pattern);
  const std::size_t n = name.size();
  const std::size_t lastDot = name.rfind(U'.');
  // reach[j]: the tokens so far can consume exactly the first j characters.
  std::vector<char> reach(n + 1, 0);
  std::vector<char> next(n + 1, 0);
  reach[0] = 1;
  for (const Token& t : tokens) {
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t j = 0; j <= n; ++j) {
      if (!reach[j]) continue;
      const bool atEnd = j == n;
      switch (t.kind) {
        case Kind::Literal:
          if (!atEnd && name[j] == t.ch) next[j + 1] = 1;
          break;
        case Kind::Star:
          for (std::size_t k = j; k <= n; ++k) next[k] = 1;
          break;
        case Kind::StarToLastDot: {
          // Any run that does not swallow the name's last dot.
          const std::size_t stop = lastDot != std::u32string::npos && lastDot >= j ? lastDot : n;
          for (std::size_t k = j; k <= stop; ++k) next[k] = 1;
          break;
        }
        case Kind::OneOrNone:
          if (atEnd || name[j] == U'.') {
            next[j] = 1;
          } else {
            next[j + 1] = 1;
          }
          break;
        case Kind::DotOrEnd:
          if (atEnd) {
            next[j] = 1;
          } else if (name[j] == U'.') {
            next[j + 1] = 1;
          }
          break;
      }
    }
    for (std::size_t j = 0; j <= n && !any; ++j) any = next[j] != 0;
    if (!any) return false;
    reach.swap(next);
  }
  return reach[n] != 0;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  return MatchFoldedWildcard(FoldForWildcard(pattern), FoldForWildcard(name));
}

}  // namespace korvane::platform
