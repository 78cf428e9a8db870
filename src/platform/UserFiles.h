#pragma once
// The user's own configuration folders and small whole-file operations on
// the files the program keeps there (the file managers' action files).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// Writes the file anew, creating its folders: the text goes to a temporary
// file beside it first, which then replaces the file in one step, so a reader
// never sees half of it. An executable file gets rwxr-xr-x.
bool ReplaceFile(const std::string& path, std::string_view content, bool executable);

// True when the path no longer names a file (also when it never did).
bool RemoveFile(const std::string& path);

bool IsRegularFile(const std::string& path);
// A regular file its owner may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace korvane::platform
