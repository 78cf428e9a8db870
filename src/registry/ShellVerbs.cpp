#include "registry/ShellVerbs.h"

#include <new>
#include <stdexcept>

#include "common/CarryOn.h"
#include "common/ErrorReport.h"
#include "common/UserPort.h"
#include "desktop/FileManagerActions.h"
#include "formats/TextCodec.h"
#include "platform/Process.h"
#include "platform/RegistryChoice.h"

namespace korvane {

namespace {

// Runtime error numbers for failures that are not registry errors.
constexpr long kObjectNotSet = 91;
constexpr long kOutOfMemory = 7;
constexpr long kInvalidCall = 5;

void ThrowIfFailed(const std::string& problem) {
  if (!problem.empty()) throw std::runtime_error(problem);
}

}  // namespace

bool IsFolderAssociation(const std::string& association) {
  return formats::EqualsIgnoringAsciiCase(association, "Folder");
}

std::string ShellExePath() { return platform::AppPath() + platform::ProgramFileName(); }

bool ShellExtensionsEnabled(clsRegistry& registry) {
  registry.SetClassKey(kClassesRoot);
  registry.SetSectionKey(".dll");
  const std::string fileClass = RegValueToString(registry.Value());
  registry.SetSectionKey(fileClass + "\\shell\\Register");
  return registry.KeyExists();
}

bool ShellVerbsPresent(clsRegistry& registry) {
  return ShellExtensionsEnabled(registry) && desktop::UserActionsPresent();
}

void ShowShellState(clsRegistry& registry, const ShellCaptions& captions) {
  const bool enabled = ShellVerbsPresent(registry);
  captions.setButton(enabled ? kShellDisableCaption : kShellEnableCaption);
  captions.setLabel(enabled ? kShellEnabledLabel : kShellDisabledLabel);
}

bool ToggleShellExtensions(const std::string& buttonCaption, clsRegistry* registry,
                           const std::string& exePath, const ShellCaptions& captions) {
  try {
    const bool enable = formats::EqualsIgnoringAsciiCase(buttonCaption, "enable");
    captions.setLabel(enable ? kShellEnabledLabel : kShellDisabledLabel);
    if (registry == nullptr) {
      throw VbError(kObjectNotSet, kAppTitle, "Object variable or With block variable not set");
    }
    // A Wine prefix is written through Wine: give it the class keys first,
    // and have the writes carried out before saying they were made.
    if (enable) ThrowIfFailed(platform::EnsureWinePrefixClassKeys());
    // Registry failures stay inside the class: every step is attempted.
    for (const char* association : kToggleAssociations) {
      if (enable) {
        registry->CreateShellAssociation(exePath, association);
      } else {
        registry->RemoveShellAssociation(exePath, association);
      }
    }
    // The file managers' actions are files of the user's: a file that could
    // not be changed is a failure of the toggle, reported after the registry's
    // writes have been carried out.
    const formats::Expected<void> actions =
        enable ? desktop::InstallUserActions(exePath, desktop::VerbSet::FilesAndFolders)
               : desktop::RemoveUserActions();
    ThrowIfFailed(platform::FlushWinePrefixWrites());
    if (!actions) throw std::runtime_error(actions.error().message);
    captions.setButton(enable ? kShellDisableCaption : kShellEnableCaption);
    MsgBox(enable ? kShellEnabledMessage : kShellDisabledMessage, kMbOkOnly + kMbIconInformation,
           kAppTitle);
    return true;
  } catch (const VbError& e) {
    ShowError(kShellToggleErrorSource, e);
  } catch (const std::bad_alloc&) {
    ShowError(kShellToggleErrorSource, kOutOfMemory, "Out of memory");
  } catch (const std::exception& e) {
    ShowError(kShellToggleErrorSource, kInvalidCall, e.what());
  }
  return false;
}

void CreateSwitchAssociations(clsRegistry& registry, const std::string& exePath) {
  // Nothing is reported here; in a Wine prefix a failure leaves the verbs out.
  if (!platform::EnsureWinePrefixClassKeys().empty()) return;
  for (const char* association : kSwitchAssociations) {
    registry.CreateShellAssociation(exePath, association);
  }
  const formats::Expected<void> actions = desktop::InstallUserActions(exePath, desktop::VerbSet::Files);
  if (!actions) RecordSkipped("CreateSwitchAssociations", actions.error().message);
  platform::FlushWinePrefixWrites();
}

}  // namespace korvane
