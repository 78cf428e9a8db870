#include "ui/ShellVerbToggle.h"

#include <algorithm>
#include <cctype>

#include "common/UserPort.h"
#include "common/VbError.h"
#include "registry/clsRegistry.h"

namespace korvane::ui {

namespace {

constexpr const char* kAssociations[] = {".dll", ".exe", ".ocx", "Folder"};

bool IsEnableCaption(const std::string& caption) {
  std::string lower(caption);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower == "enable";
}

bool ShellVerbsPresent(clsRegistry& registry) {
  registry.SetClassKey(kClassesRoot);
  registry.SetSectionKey(".dll");
  const std::string fileClass = RegValueToString(registry.Value());
  registry.SetSectionKey(fileClass + "\\shell\\Register");
  return registry.KeyExists();
}

}  // namespace

ShellVerbCaptions ShellVerbStateCaptions(clsRegistry* registry) {
  if (registry != nullptr && ShellVerbsPresent(*registry)) return {"Disable", kShellEnabledLabel};
  return {"Enable", kShellDisabledLabel};
}

void ToggleShellVerbs(clsRegistry* registry, const std::string& exePath,
                      const std::string& buttonCaption,
                      const std::function<void(const std::string&)>& setLabel,
                      const std::function<void(const std::string&)>& setButton) {
  const bool enabling = IsEnableCaption(buttonCaption);
  setLabel(enabling ? kShellEnabledLabel : kShellDisabledLabel);
  if (registry == nullptr) {
    throw VbError(91, "frmMain", "Object variable or With block variable not set");
  }
  for (const char* association : kAssociations) {
    if (enabling) {
      registry->CreateShellAssociation(exePath, association);
    } else {
      registry->RemoveShellAssociation(exePath, association);
    }
  }
  setButton(enabling ? "Disable" : "Enable");
  MsgBox(enabling ? "Shell Extensions Enabled!" : "Shell Extensions Disabled!",
         kMbOkOnly + kMbIconInformation, kAppTitle);
}

}  // namespace korvane::ui
