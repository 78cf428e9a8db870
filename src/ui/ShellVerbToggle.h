#pragma once
// The main window's shell-verb toggle and the state it shows on its third tab.

#include <functional>
#include <string>

namespace korvane {
class clsRegistry;
}

namespace korvane::ui {

inline constexpr const char* kShellEnabledLabel =
    "Extensions are Enabled. Click Disable to remove Shell Extensions";
inline constexpr const char* kShellDisabledLabel =
    "Extensions are Disabled. Click Enable to create Shell Extensions";

// The captions of the toggle button and of the label beside it.
struct ShellVerbCaptions {
  std::string button;
  std::string label;
};

// The captions for what the registry holds now (the .dll class's Register verb).
ShellVerbCaptions ShellVerbStateCaptions(clsRegistry* registry);

// Enables the verbs when buttonCaption reads "enable" in any letter case, else
// disables them: sets the label, writes or removes the verbs of .dll, .exe,
// .ocx and Folder, sets the button caption and tells the user. Throws when
// there is no registry object (after the label has changed).
void ToggleShellVerbs(clsRegistry* registry, const std::string& exePath,
                      const std::string& buttonCaption,
                      const std::function<void(const std::string&)>& setLabel,
                      const std::function<void(const std::string&)>& setButton);

}  // namespace korvane::ui
