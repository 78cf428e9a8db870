#include "formats/VersionLanguage.h"

#include <string>

#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

struct LocaleLanguage {
  const char* locale;  // "ll" or "ll_CC"
  std::uint16_t id;
};

// Language ids of the languages Windows ships resources in. A bare language
// code gives its usual country; language and country pairs with another
// sub-language are listed as such.
constexpr LocaleLanguage kLanguages[] = {
    {"ar", 0x0401},    {"bg", 0x0402},    {"ca", 0x0403},    {"zh", 0x0804},    {"zh_CN", 0x0804},
    {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404}, {"cs", 0x0405},
    {"da", 0x0406},    {"de", 0x0407},    {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
    {"de_LI", 0x1407}, {"el", 0x0408},    {"en", 0x0409},    {"en_GB", 0x0809}, {"en_AU", 0x0C09},
    {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009},
    {"es", 0x0C0A},    {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"es_US", 0x540A}, {"fi", 0x040B},
    {"fr", 0x040C},    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C},
    {"he", 0x040D},    {"hu", 0x040E},    {"is", 0x040F},    {"it", 0x0410},    {"it_CH", 0x0810},
    {"ja", 0x0411},    {"ko", 0x0412},    {"nl", 0x0413},    {"nl_BE", 0x0813}, {"nb", 0x0414},
    {"no", 0x0414},    {"nn", 0x0814},    {"pl", 0x0415},    {"pt", 0x0816},    {"pt_BR", 0x0416},
    {"rm", 0x0417},    {"ro", 0x0418},    {"ru", 0x0419},    {"hr", 0x041A},    {"sr", 0x081A},
    {"sk", 0x041B},    {"sq", 0x041C},    {"sv", 0x041D},    {"sv_FI", 0x081D}, {"th", 0x041E},
    {"tr", 0x041F},    {"ur", 0x0420},    {"id", 0x0421},    {"uk", 0x0422},    {"be", 0x0423},
    {"sl", 0x0424},    {"et", 0x0425},    {"lv", 0x0426},    {"lt", 0x0427},    {"fa", 0x0429},
    {"vi", 0x042A},    {"hy", 0x042B},    {"eu", 0x042D},    {"mk", 0x042F},    {"af", 0x0436},
    {"ka", 0x0437},    {"fo", 0x0438},    {"hi", 0x0439},    {"ga", 0x083C},    {"ms", 0x043E},
    {"kk", 0x043F},    {"sw", 0x0441},    {"uz", 0x0443},    {"tt", 0x0444},    {"bn", 0x0445},
    {"pa", 0x0446},    {"gu", 0x0447},    {"ta", 0x0449},    {"te", 0x044A},    {"kn", 0x044B},
    {"ml", 0x044C},    {"mr", 0x044E},    {"mn", 0x0450},    {"cy", 0x0452},    {"gl", 0x0456},
    {"br", 0x047E},    {"eo", 0x048F},    {"wa", 0x0490},    {"oc", 0x0482},    {"co", 0x0483},
};

std::uint16_t Primary(std::uint16_t language) { return language & 0x3FF; }

}  // namespace

std::uint16_t LanguageIdFromLocale(std::string_view locale) {
  // "ll_CC.codeset@modifier": only the language and the country count.
  const std::size_t cut = locale.find_first_of(".@");
  if (cut != std::string_view::npos) locale = locale.substr(0, cut);
  std::string name(locale);
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  const std::size_t underscore = name.find('_');
  const std::string language = ToLowerAscii(name.substr(0, underscore));
  const std::string country =
      underscore == std::string::npos ? std::string() : ToUpperAscii(name.substr(underscore + 1));
  if (!country.empty()) {
    const std::string full = language + "_" + country;
    for (const auto& entry : kLanguages) {
      if (full == entry.locale) return entry.id;
    }
  }
  for (const auto& entry : kLanguages) {
    if (language == entry.locale) return entry.id;
  }
  return kLangEnglishUs;
}

const ResourceEntry* PickVersionResource(const std::vector<ResourceEntry>& entries, std::uint16_t userLanguage) {
  if (entries.empty()) return nullptr;
  auto find = [&](auto matches) -> const ResourceEntry* {
    for (const auto& entry : entries) {
      if (matches(entry.language)) return &entry;
    }
    return nullptr;
  };
  if (auto* e = find([](std::uint16_t l) { return l == 0; })) return e;
  if (auto* e = find([](std::uint16_t l) { return Primary(l) == 0; })) return e;
  if (auto* e = find([&](std::uint16_t l) { return l == userLanguage; })) return e;
  if (auto* e = find([&](std::uint16_t l) { return Primary(l) == Primary(userLanguage); })) return e;
  if (auto* e = find([](std::uint16_t l) { return l == kLangEnglishUs; })) return e;
  return &entries.front();
}

}  // namespace korvane::formats
