#pragma once
// The program's verbs on the file manager's context menu: the presence test,
// the state the main window shows, and its enable/disable toggle. The window
// only hands over its captions; the logic and the message live here.

#include <array>
#include <functional>
#include <string>

#include "registry/clsRegistry.h"

namespace korvane {

inline constexpr const char* kShellEnabledLabel =
    "Extensions are Enabled. Click Disable to remove Shell Extensions";
inline constexpr const char* kShellDisabledLabel =
    "Extensions are Disabled. Click Enable to create Shell Extensions";
inline constexpr const char* kShellEnableCaption = "Enable";
inline constexpr const char* kShellDisableCaption = "Disable";
inline constexpr const char* kShellEnabledMessage = "Shell Extensions Enabled!";
inline constexpr const char* kShellDisabledMessage = "Shell Extensions Disabled!";
// The label the toggle's failures are reported under.
inline constexpr const char* kShellToggleErrorSource = "cmdShellEX_Click";

// What the toggle changes, in this order; the -s switch leaves out Folder.
inline constexpr std::array<const char*, 4> kToggleAssociations = {".dll", ".exe", ".ocx",
                                                                   "Folder"};
inline constexpr std::array<const char*, 3> kSwitchAssociations = {".dll", ".exe", ".ocx"};

// The two captions of the main window that show the state: the label
// (lblShell) and the toggle button (cmdShellEX).
struct ShellCaptions {
  std::function<void(const std::string&)> setLabel;
  std::function<void(const std::string&)> setButton;
};

// The program file the verbs start: the program folder followed by the
// program's fixed file name (korvane.exe, korvane on Linux).
std::string ShellExePath();

// True when the Register verb of the class of ".dll" exists. Uses and leaves
// changed the object's ClassKey, SectionKey and ValueType.
bool ShellExtensionsEnabled(clsRegistry& registry);

// The state shown and reported: the registry verbs and, on the Linux
// desktop, the file managers' actions of the user are all there.
bool ShellVerbsPresent(clsRegistry& registry);

// Sets both captions from ShellVerbsPresent (the main window's third tab).
void ShowShellState(clsRegistry& registry, const ShellCaptions& captions);

// The cmdShellEX button: enables when its caption reads "enable" in any
// letter case, else disables; then sets the captions and shows the outcome.
// A missing registry object or any other failure (a file manager's action
// file that could not be changed) goes to the error report; returns false
// then.
bool ToggleShellExtensions(const std::string& buttonCaption, clsRegistry* registry,
                           const std::string& exePath, const ShellCaptions& captions);

// The -s switch: the file verbs of ".dll", ".exe" and ".ocx", nothing shown.
// The toggle and the switch also write (or remove) the file managers' actions.
void CreateSwitchAssociations(clsRegistry& registry, const std::string& exePath);

// "Folder" in any letter case.
bool IsFolderAssociation(const std::string& association);

}  // namespace korvane
