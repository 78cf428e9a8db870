#include "install/basSelfInstall.h"

#include <filesystem>

#include "common/CarryOn.h"
#include "common/basTools.h"
#include "install/Settings.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "registration/SelfRegistration.h"

namespace korvane {

namespace {

// The name under which the folder lists the file with normal attributes (a
// plain file, not a folder, not hidden or system), letter case ignored; the
// spelling asked for wins when the folder holds several. Empty when none.
std::string NormalFileListed(const std::string& folder, const std::string& name) {
  platform::FileSearch search(folder + name);
  if (!search.Valid()) return {};
  platform::FindData entry;
  constexpr std::int32_t kUnlisted = platform::kAttrHidden | platform::kAttrSystem | platform::kAttrDirectory;
  std::string found;
  while (search.Next(entry)) {
    if ((entry.attributes & kUnlisted) != 0) continue;
    if (entry.name == name) return entry.name;
    if (found.empty()) found = entry.name;
  }
  return found;
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
  // Every failure of one component is passed over without a message.
  CarryOn("InstallComponent", [&] {
    std::string folder = StripNull(places.systemDirectory());
    if (folder.empty()) return;
    if (folder.back() != platform::kPathSeparator) folder.push_back(platform::kPathSeparator);
    // On a file system that tells letter case apart the component may be
    // there under another spelling: it is registered by the name it has.
    std::string listed = NormalFileListed(folder, sComponent);
    if (listed.empty()) {
      std::error_code ec;
      // A plain copy that replaces whatever the listing did not see; a failed
      // copy is not reported (the registration below then fails too).
      std::filesystem::copy_file(places.appPath() + sComponent, folder + sComponent,
                                 std::filesystem::copy_options::overwrite_existing, ec);
      listed = sComponent;
    }
    RegisterComponentFile(folder + listed);
  });
}

std::int32_t RegisterComponentFile(const std::string& p_sFileName) {
  return CallSelfRegistration(p_sFileName, RegistrationDirection::Register);
}

}  // namespace korvane
