#include "forms/PropertyBag.h"

#include <cctype>
#include <charconv>

namespace korvane::ui {

std::string PropertyBag::ReadProperty(const std::string& name,
                                      const std::string& defaultValue) const {
  auto it = values_.find(name);
  return it == values_.end() ? defaultValue : it->second;
}

void PropertyBag::WriteProperty(const std::string& name, const std::string& value,
                                const std::string& defaultValue) {
  if (value == defaultValue) {
    values_.erase(name);
    return;
  }
  values_[name] = value;
}

std::optional<std::string> PropertyBag::Stored(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string BoolText(bool value) { return value ? "True" : "False"; }

bool BoolFromText(const std::string& text, bool fallback) {
  std::string lower;
  for (char c : text) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (lower == "true") return true;
  if (lower == "false") return false;
  long long number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec == std::errc() && end == text.data() + text.size()) return number != 0;
  return fallback;
}

std::string NumberText(long long value) { return std::to_string(value); }

long long NumberFromText(const std::string& text, long long fallback) {
  long long number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec == std::errc() && end == text.data() + text.size()) return number;
  return fallback;
}

}  // namespace korvane::ui
