// Letter case for the folder search's name matching on Linux: every letter,
// not only ASCII, compares in upper case.

#include <clocale>
#include <cwctype>
#include <locale.h>

#include "formats/TextCodec.h"
#include "platform/common/Wildcard.h"

namespace korvane::platform {

namespace {

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

}  // namespace

// Bytes that are not UTF-8 keep their own identity (mapped into a private
// range), so they still match only themselves.
std::u32string FoldForWildcard(std::string_view text) {
  std::u32string out;
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

}  // namespace korvane::platform
