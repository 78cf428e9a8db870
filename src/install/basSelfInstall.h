#pragma once
// First-start installation of the runtime components: each is copied from the
// program folder into the system folder unless a file is already there, and
// registered in either case. The setting Korvane/General/SelfInstall records
// that this has been done; once it reads as True nothing happens any more.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace korvane {

inline constexpr const char* kSelfInstallApp = "Korvane";
inline constexpr const char* kSelfInstallSection = "General";
inline constexpr const char* kSelfInstallKey = "SelfInstall";
inline constexpr std::uint32_t kSelfInstallPauseMs = 500;

// The components, in the order they are installed.
inline constexpr std::array<const char*, 4> kRuntimeComponents = {"prjXTab.ocx", "MSFLXGRD.OCX", "comdlg32.ocx",
                                                                  "TLBINF32.DLL"};

// Where the pieces come from. The defaults are the program folder and the
// operating system's folder (in a Wine prefix, the prefix's folder for the
// component's width); tests put their own in.
struct SelfInstallPlaces {
  std::function<std::string()> appPath;  // ends in a separator
  // The folder for the component whose file in the program folder is source;
  // "" when unknown.
  std::function<std::string(const std::string& source)> systemDirectory;
};
SelfInstallPlaces DefaultSelfInstallPlaces();

// Step 2 of the start-up.
void InstallRuntimeComponents();
void InstallRuntimeComponents(const SelfInstallPlaces& places);

// Copies (when missing) and registers one component, by its bare file name.
void InstallComponent(const std::string& sComponent);
void InstallComponent(const std::string& sComponent, const SelfInstallPlaces& places);

// Registers one library: the registration of clsRegistrator.Register, with its
// outcome codes (in a Wine prefix, through Wine as clsRegistrator does).
std::int32_t RegisterComponentFile(const std::string& p_sFileName);

}  // namespace korvane
