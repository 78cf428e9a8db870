#include "install/basSelfInstall.h"

#include <filesystem>

#include "common/basTools.h"
#include "install/Settings.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "registration/SelfRegistration.h"

namespace korvane {

namespace {

// The directory listing of the exact path with normal attributes: it finds
// plain files, not folders and not hidden or system files.
bool NormalFileListed(const std::string& path) {
  platform::FileSearch search(path);
  if (!search.Valid()) return false;
  platform::FindData entry;
  constexpr std::int32_t kUnlisted = platform::kAttrHidden | platform::kAttrSystem | platform::kAttrDirectory;
  while (search.Next(entry)) {
    if ((entry.attributes & kUnlisted) == 0) return true;
  }
  return false;
}

}  // namespace

SelfInstallPlaces DefaultSelfInstallPlaces() {
  return {[] { return platform::AppPath(); }, [] { return platform::SystemDirectory(); }};
}

void InstallRuntimeComponents() { InstallRuntimeComponents(DefaultSelfInstallPlaces()); }

void InstallRuntimeComponents(const SelfInstallPlaces& places) {
  if (SafeBool(GetSetting(kSelfInstallApp, kSelfInstallSection, kSelfInstallKey, "false"))) return;
  for (const char* component : kRuntimeComponents) InstallComponent(component, places);
  // Recorded whatever happened above: a later start does not try again.
  SaveSetting(kSelfInstallApp, kSelfInstallSection, kSelfInstallKey, "true");
  platform::Sleep(kSelfInstallPauseMs);
}

void InstallComponent(const std::string& sComponent) { InstallComponent(sComponent, DefaultSelfInstallPlaces()); }

void InstallComponent(const std::string& sComponent, const SelfInstallPlaces& places) {
  try {
    std::string folder = StripNull(places.systemDirectory());
    if (folder.empty()) return;
    if (folder.back() != platform::kPathSeparator) folder.push_back(platform::kPathSeparator);
    const std::string target = folder + sComponent;
    if (!NormalFileListed(target)) {
      std::error_code ec;
      // A plain copy that replaces whatever the listing did not see; a failed
      // copy is not reported (the registration below then fails too).
      std::filesystem::copy_file(places.appPath() + sComponent, target,
                                 std::filesystem::copy_options::overwrite_existing, ec);
    }
    RegisterComponentFile(target);
  } catch (...) {
    // Every failure of one component is passed over silently.
  }
}

std::int32_t RegisterComponentFile(const std::string& p_sFileName) {
  return CallSelfRegistration(p_sFileName, RegistrationDirection::Register);
}

}  // namespace korvane
