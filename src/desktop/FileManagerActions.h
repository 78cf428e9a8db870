#pragma once
// The Linux desktop's form of the shell verbs: the context-menu actions of
// Dolphin (KDE), Nemo, Thunar and Nautilus, written for one user into the
// XDG folders, with the same captions and commands as the registry verbs.
// Only files (and Thunar entries) Korvane wrote are ever replaced or removed.

#include <string>
#include <vector>

#include "desktop/MenuVerbs.h"
#include "platform/UserFiles.h"

namespace korvane::desktop {

using Folders = platform::UserFolders;

// Largest uca.xml that is edited; a larger one is left alone.
inline constexpr std::size_t kMaxActionListBytes = 4u << 20;

// A file an operation could not change, and why.
struct ActionFileFailure {
  std::string path;
  std::string reason;
};

// Writes every manager's actions of the set, starting exePath. Returns the
// files it could not write: a file of the same name that Korvane did not
// write, anything there that is not a regular file (a link to nothing, a
// FIFO), a uca.xml it cannot read as an action list, or a failed write.
std::vector<ActionFileFailure> InstallActions(const Folders& folders, const std::string& exePath,
                                              VerbSet set);

// Removes all of Korvane's actions (file and folder verbs). Returns the files
// it could not change.
std::vector<ActionFileFailure> RemoveActions(const Folders& folders);

// True when every manager has Korvane's file verbs (the folder verb is not
// consulted, as with the registry's presence test).
bool ActionsPresent(const Folders& folders);

// The same for the user running the program; a failure names every file that
// could not be changed. Where the platform has no XDG folders nothing is
// written and the actions count as present.
formats::Expected<void> InstallUserActions(const std::string& exePath, VerbSet set);
formats::Expected<void> RemoveUserActions();
bool UserActionsPresent();

}  // namespace korvane::desktop
