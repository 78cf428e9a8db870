// Name matching of the folder search, with the rules a Windows search applies:
// '?' matches one character but none at a dot or at the end of the name,
// "*." stops at the last dot of the name, and a dot before a wildcard or at the
// end of the pattern also matches the end of a name without an extension (so
// "*.*" matches "README" and "*." matches only names without a dot). Letter
// case is ignored, letters outside ASCII included.

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <vector>

#include "formats/TextCodec.h"
#include "platform/FileSystem.h"

namespace korvane::platform {

namespace {

enum class Kind : unsigned char { Literal, Star, DosStar, DosQm, DosDot };

struct Token {
  Kind kind;
  char32_t ch;
};

// A UTF-8 locale for the case mapping of letters beyond ASCII (null when the
// system has none; ASCII folding is used then).
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) {
      l = ::newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    }
    return l;
  }();
  return loc;
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  locale_t loc = CaseLocale();
  if (loc == static_cast<locale_t>(nullptr)) return c;
  return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), loc));
}

// Decodes to folded code points. Bytes that are not UTF-8 keep their own
// identity (mapped into a private range), so they still match only themselves.
std::vector<char32_t> Decode(std::string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t start = pos;
    char32_t cp = formats::DecodeUtf8(text, pos);
    if (pos <= start) pos = start + 1;
    if (cp == 0xFFFD && !(pos - start == 3 && static_cast<unsigned char>(text[start]) == 0xEF)) {
      for (std::size_t i = start; i < pos; ++i) {
        out.push_back(0xF0000 + static_cast<unsigned char>(text[i]));
      }
      continue;
    }
    out.push_back(Fold(cp));
  }
  return out;
}

std::vector<Token> Translate(const std::vector<char32_t>& p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    char32_t c = p[i];
    bool last = i + 1 == p.size();
    char32_t next = last ? 0 : p[i + 1];
    if (c == U'?') {
      out.push_back({Kind::DosQm, 0});
    } else if (c == U'*') {
      out.push_back({next == U'.' ? Kind::DosStar : Kind::Star, 0});
    } else if (c == U'.' && (last || next == U'?' || next == U'*')) {
      out.push_back({Kind::DosDot, 0});
    } else {
      out.push_back({Kind::Literal, c});
    }
  }
  return out;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  const std::vector<Token> tok = Translate(Decode(pattern));
  const std::vector<char32_t> s = Decode(name);
  const std::size_t n = s.size();
  std::size_t lastDot = n;  // n: the name has no dot
  for (std::size_t i = n; i > 0; --i) {
    if (s[i - 1] == U'.') {
      lastDot = i - 1;
      break;
    }
  }

  // reach[j]: the tokens consumed so far can end at name position j.
  std::vector<char> reach(n + 1, 0);
  std::vector<char> next(n + 1, 0);
  reach[0] = 1;
  for (const Token& t : tok) {
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t j = 0; j <= n; ++j) {
      if (!reach[j]) continue;
      switch (t.kind) {
        case Kind::Literal:
          if (j < n && s[j] == t.ch) next[j + 1] = 1;
          break;
        case Kind::Star:
          for (std::size_t k = j; k <= n; ++k) next[k] = 1;
          break;
        case Kind::DosStar: {
          // Any run that does not swallow the name's last dot.
          std::size_t limit = (lastDot < n && j <= lastDot) ? lastDot : n;
          for (std::size_t k = j; k <= limit; ++k) next[k] = 1;
          break;
        }
        case Kind::DosQm:
          if (j == n || s[j] == U'.') {
            next[j] = 1;
          } else {
            next[j + 1] = 1;
          }
          break;
        case Kind::DosDot:
          if (j == n) next[j] = 1;
          if (j < n && s[j] == U'.') next[j + 1] = 1;
          break;
      }
    }
    for (std::size_t j = 0; j <= n; ++j) any = any || next[j];
    if (!any) return false;
    reach.swap(next);
  }
  return reach[n] != 0;
}

}  // namespace korvane::platform
