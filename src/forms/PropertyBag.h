#pragma once
// The design-time property store of a control: named values kept as text.
// Writing a value equal to its default stores nothing (and forgets an older
// entry), so a later read falls back to whatever default the reader names.

#include <map>
#include <optional>
#include <string>

namespace korvane::ui {

class PropertyBag {
 public:
  std::string ReadProperty(const std::string& name, const std::string& defaultValue) const;
  void WriteProperty(const std::string& name, const std::string& value,
                     const std::string& defaultValue);

  // What is actually stored under a name (nullopt when nothing is).
  std::optional<std::string> Stored(const std::string& name) const;
  bool Empty() const { return values_.empty(); }

 private:
  std::map<std::string, std::string> values_;
};

// Text forms of the Boolean and number values the controls store.
std::string BoolText(bool value);       // "True" / "False"
bool BoolFromText(const std::string& text, bool fallback);
std::string NumberText(long long value);
long long NumberFromText(const std::string& text, long long fallback);

}  // namespace korvane::ui
