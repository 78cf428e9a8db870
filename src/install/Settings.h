#pragma once
// The per-user settings store: string values by application, section and key,
// kept in the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.

#include <string>

namespace korvane {

// The key path below HKEY_CURRENT_USER that holds one section.
std::string SettingsKeyPath(const std::string& app, const std::string& section);

// The stored text, or defaultValue when there is none (or it is no string).
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue);
// Stores value as a REG_SZ, creating the keys it needs. False when it cannot.
bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace korvane
