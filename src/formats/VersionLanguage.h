#pragma once
// Which of a file's version resources Windows shows, and the user's language
// that choice depends on.

#include <cstdint>
#include <string_view>
#include <vector>

#include "formats/PeImage.h"

namespace korvane::formats {

inline constexpr std::uint16_t kLangEnglishUs = 0x0409;

// The Windows language id of a POSIX locale name such as "de_DE.UTF-8" or
// "pt_BR"; English US for an empty, "C" or "POSIX" locale or a language with no
// known id.
std::uint16_t LanguageIdFromLocale(std::string_view locale);

// The version resource a neutral-language lookup finds among entries (all of
// one type and name): language neutral first, then userLanguage, then another
// language with userLanguage's primary language, then English US, then the
// first entry. Null when entries is empty.
const ResourceEntry* PickVersionResource(const std::vector<ResourceEntry>& entries, std::uint16_t userLanguage);

}  // namespace korvane::formats
