#pragma once
// The user's own configuration folders and small whole-file operations on
// the files the program writes for the user (the file managers' action files,
// exported registry files).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/Expected.h"

namespace korvane::platform {

// The base folders of the XDG Base Directory rules.
struct UserFolders {
  std::string dataHome;                 // $XDG_DATA_HOME, else ~/.local/share
  std::string configHome;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
};

// False where the desktop has no such folders: on Windows, or when neither
// the XDG variables nor HOME say where they are.
bool GetUserFolders(UserFolders& folders);

// The whole content of a regular file of at most maxBytes bytes; false when
// it cannot be read or is larger.
bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content);

// What a path the program may write or remove holds. Absent: nothing, not
// even a link. File: a regular file, directly or through symbolic links.
// Other: a link that leads nowhere (or round in a loop), a folder, FIFO,
// device or socket; such a thing is never replaced or removed.
enum class UserFileKind { Absent, File, Other };
UserFileKind GetUserFileKind(const std::string& path);

// Writes the file anew, creating its folders. A symbolic link is followed to
// the file it names, which is the one replaced, so the link stays. The text
// goes to a new file created beside that file first, which then takes its
// name in one step: a reader never sees half of it, and a failed write leaves
// the old file whole. The new file keeps the permissions of the one it
// replaces (and its owner and group, where the process may give them); a
// file that did not exist gets the default permissions (the umask applies).
// An executable file may also be executed by whoever may read it. Anything
// but a regular file or nothing at the path is refused (kNotRegularFile).
formats::Expected<void> ReplaceFile(const std::string& path, std::string_view content,
                                    bool executable);

// Removes a regular file, or a symbolic link to one (the link, not the file
// it names). Nothing at the path counts as removed; anything else is refused.
formats::Expected<void> RemoveFile(const std::string& path);

bool IsRegularFile(const std::string& path);
// A regular file its owner may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace korvane::platform
