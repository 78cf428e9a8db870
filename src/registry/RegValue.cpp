#include "registry/RegValue.h"

namespace korvane {

std::string RegValueToString(const RegValue& value) {
  struct Text {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(std::int16_t i) const { return std::to_string(i); }
    std::string operator()(std::int32_t i) const { return std::to_string(i); }
    std::string operator()(const std::vector<std::uint8_t>& bytes) const {
      return std::string(bytes.begin(), bytes.end());
    }
  };
  return std::visit(Text{}, value);
}

}  // namespace korvane
