#include "common/RegistryOption.h"

#include "platform/RegistryChoice.h"
#include "platform/WineRunner.h"

namespace korvane {

namespace {
constexpr char kOption[] = "--wineprefix";
constexpr std::size_t kOptionLength = sizeof kOption - 1;
}  // namespace

bool TakeWinePrefixOption(const std::vector<std::string>& args, std::size_t& i, std::string* error) {
  const std::string& a = args[i];
  std::string folder;
  if (a == kOption) {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      *error = "--wineprefix needs a folder";
      return true;
    }
    folder = args[++i];
  } else if (a.rfind(std::string(kOption) + "=", 0) == 0) {
    folder = a.substr(kOptionLength + 1);
    if (folder.empty()) {
      *error = "--wineprefix needs a folder";
      return true;
    }
  } else {
    return false;
  }
  if (!platform::SetWinePrefix(folder)) *error = "--wineprefix is for the Linux programs";
  return true;
}

std::string RegistryChoiceProblem() {
  const platform::RegistryChoice choice = platform::ChosenRegistry();
  if (!choice.ok()) return choice.error;
  if (choice.kind != platform::RegistryKind::WinePrefix) return {};
  return platform::CheckWinePrefix(choice.location);
}

std::string RegistryInUse() { return platform::RegistryDescription(platform::ChosenRegistry()); }

Json RegistryInUseJson() {
  const platform::RegistryChoice choice = platform::ChosenRegistry();
  const char* kind = choice.kind == platform::RegistryKind::WinePrefix ? "wineprefix"
                     : choice.kind == platform::RegistryKind::Store    ? "store"
                                                                      : "windows";
  Json out{{"kind", kind}};
  if (!choice.location.empty()) out["location"] = choice.location;
  return out;
}

}  // namespace korvane
