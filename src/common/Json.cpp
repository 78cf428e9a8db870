#include "common/Json.h"

namespace korvane {

std::string JsonText(const Json& document) {
  constexpr int kOneLine = -1;
  constexpr bool kEscapeNonAscii = false;
  return document.dump(kOneLine, ' ', kEscapeNonAscii, Json::error_handler_t::replace);
}

}  // namespace korvane
