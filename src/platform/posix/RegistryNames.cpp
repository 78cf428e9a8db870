#include "platform/posix/RegistryNames.h"

#include <locale.h>
#include <wctype.h>

#include "formats/RegFile.h"
#include "formats/TextCodec.h"
#include "platform/Registry.h"

namespace korvane::platform::posix {

namespace {

// Decodes one UTF-8 sequence at pos. Returns false (consuming nothing) when the
// bytes there are not a well-formed, shortest-form sequence.
bool Decode(std::string_view s, std::size_t pos, char32_t& cp, std::size_t& len) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  std::size_t need;
  char32_t min;
  if (b0 < 0x80) {
    cp = b0;
    len = 1;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    need = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    need = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    need = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (pos + need >= s.size()) return false;
  for (std::size_t i = 1; i <= need; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  len = need + 1;
  return true;
}

// A locale with Unicode case tables, independent of the program's own locale
// (which Qt or the user may set to anything).
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
      if (l != static_cast<locale_t>(nullptr)) return l;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

char32_t Upper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
  locale_t l = UnicodeLocale();
  if (l != static_cast<locale_t>(nullptr)) {
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), l));
  }
  // No Unicode locale on this system: Latin-1 letters at least.
  if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 32;
  return cp;
}

}  // namespace

std::string FoldName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  std::size_t pos = 0;
  while (pos < name.size()) {
    char32_t cp;
    std::size_t len;
    if (Decode(name, pos, cp, len)) {
      formats::AppendUtf8(out, Upper(cp));
      pos += len;
    } else {
      out.push_back(name[pos]);
      ++pos;
    }
  }
  return out;
}

long SplitKeyPath(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] == '\\') --end;
  std::size_t pos = 0;
  while (pos < end) {
    std::size_t next = path.find('\\', pos);
    if (next == std::string::npos || next > end) next = end;
    if (next == pos) return kErrorBadPathname;
    names->push_back(path.substr(pos, next - pos));
    if (formats::RegNameLength(names->back()) > formats::kRegMaxKeyNameChars) {
      return kErrorInvalidParameter;
    }
    pos = next + 1;
  }
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
