#include "install/Settings.h"

#include <vector>

#include "platform/Registry.h"
#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

formats::RegKeyName SectionKey(const std::string& app, const std::string& section) {
  return {formats::RegRoot::CurrentUser, SettingsKeyPath(app, section)};
}

}  // namespace

std::string SettingsKeyPath(const std::string& app, const std::string& section) {
  return "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
}

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
  RegFileValue value;
  if (RegReadValue(SectionKey(app, section), key, &value) != platform::kErrorSuccess) return defaultValue;
  if (value.type != platform::kRegSz && value.type != platform::kRegExpandSz) return defaultValue;
  std::string text(value.data.begin(), value.data.end());
  return text.substr(0, text.find('\0'));
}

bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value) {
  std::vector<std::uint8_t> data(value.begin(), value.end());
  data.push_back(0);
  return RegWriteValue(SectionKey(app, section), key, platform::kRegSz, data) == platform::kErrorSuccess;
}

}  // namespace korvane
