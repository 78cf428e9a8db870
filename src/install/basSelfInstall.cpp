#include "install/basSelfInstall.h"

#include <filesystem>

#include "common/CarryOn.h"
#include "common/basTools.h"
#include "install/Settings.h"
#include "formats/PeImports.h"
#include "platform/FileSystem.h"
#include "platform/LoaderSearch.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "registration/SelfRegistration.h"
#include "registration/WineRegistration.h"

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

// The system folder a component is put in. A Wine prefix has one for each
// width, as 64-bit Windows does: a 32-bit file goes where Wine's loader looks
// for 32-bit modules (syswow64 in a 64-bit prefix). A source that cannot be
// read counts as of the prefix's own width.
std::string SystemFolderFor(const std::string& source) {
  if (!WinePrefixChosen()) return platform::SystemDirectory();
  const auto machine = ComponentMachine(source);
  const bool is32Bit = machine && *machine == formats::kMachineI386;
  return platform::LoaderSearchFolders(!is32Bit).system;
}

}  // namespace

SelfInstallPlaces DefaultSelfInstallPlaces() {
  return {[] { return platform::AppPath(); }, [](const std::string& source) { return SystemFolderFor(source); }};
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
    const std::string source = places.appPath() + sComponent;
    std::string folder = StripNull(places.systemDirectory(source));
    if (folder.empty()) return;
    if (folder.back() != platform::kPathSeparator) folder.push_back(platform::kPathSeparator);
    // On a file system that tells letter case apart the component may be
    // there under another spelling: it is registered by the name it has.
    std::string listed = NormalFileListed(folder, sComponent);
    if (listed.empty()) {
      std::error_code ec;
      // A plain copy that replaces whatever the listing did not see; a failed
      // copy is not reported (the registration below then fails too).
      std::filesystem::copy_file(source, folder + sComponent,
                                 std::filesystem::copy_options::overwrite_existing, ec);
      listed = sComponent;
    }
    RegisterComponentFile(folder + listed);
  });
}

std::int32_t RegisterComponentFile(const std::string& p_sFileName) {
  // In a Wine prefix the component registers inside Wine, as every
  // registration into a prefix does.
  if (WinePrefixChosen()) return PerformInWinePrefix(p_sFileName, false).outcome;
  return CallSelfRegistration(p_sFileName, RegistrationDirection::Register);
}

}  // namespace korvane
