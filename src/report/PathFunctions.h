#pragma once
// Path text rules of the file class: splitting a path into folder, name and
// extension, its root, and the shell's tests for drive and network paths.
// Pure string functions over one of two spellings (platform::PathStyle):
// Posix paths separate components with '/' only and have the root "/";
// Windows paths separate them with '\' (and '/') and may start with a drive,
// a share or the long-path prefix. Each function takes the system's own style
// unless told otherwise.

#include <string>

#include "platform/FileSystem.h"

namespace korvane {

using platform::PathStyle;

// Part selector bits of GetPathPart.
inline constexpr int kPartName = 1;
inline constexpr int kPartExtension = 2;
inline constexpr int kPartFolder = 4;

// True for a character that separates path components.
bool IsPathSeparator(char c, PathStyle style = platform::NativePathStyle());
// The separator written between components: '/' or '\'.
char PreferredSeparator(PathStyle style = platform::NativePathStyle());

// Folder (ending in its separator), name and extension of a path, joined in
// that order for the bits set in parts; the extension is preceded by "." when
// something comes before it, even when it is empty ("C:\dir\README", 3 gives
// "README.").
std::string GetPathPart(const std::string& path, int parts,
                        PathStyle style = platform::NativePathStyle());

// The text up to its first NUL character.
std::string TrimNull(const std::string& text);

// 0 for A: ... 25 for Z:, -1 when the path does not start with a drive (always
// -1 for a Posix path).
int PathGetDriveNumber(const std::string& path, PathStyle style = platform::NativePathStyle());
// Cuts path down to its root ("C:\", "\\server\share", "\", "/"); false, with
// path unchanged, when it has none (a relative path).
bool PathStripToRoot(std::string& path, PathStyle style = platform::NativePathStyle());
// The root of a path (PathStripToRoot on a copy), empty when it has none.
std::string GetPathRoot(const std::string& path, PathStyle style = platform::NativePathStyle());

// Network forms of a Windows path; a Posix path has none.
bool PathIsUNC(const std::string& path,  // \\server..., \\?\UNC\...
               PathStyle style = platform::NativePathStyle());
bool PathIsUNCServer(const std::string& path,  // \\server only
                     PathStyle style = platform::NativePathStyle());
bool PathIsUNCServerShare(const std::string& path,  // \\server\share only
                          PathStyle style = platform::NativePathStyle());
bool PathIsNetworkPath(const std::string& path,  // a UNC path
                       PathStyle style = platform::NativePathStyle());

}  // namespace korvane
