#pragma once
// Path text rules of the file class: splitting a path into folder, name and
// extension, its root, and the shell's tests for drive and network paths.
// Pure string functions. Windows paths use '\'; on Linux '/' separates
// components as well, and a path starting with '/' has the root "/".

#include <string>

namespace korvane {

// Part selector bits of GetPathPart.
inline constexpr int kPartName = 1;
inline constexpr int kPartExtension = 2;
inline constexpr int kPartFolder = 4;

// True for a character that separates path components here.
bool IsPathSeparator(char c);

// Folder (ending in its separator), name and extension of a path, joined in
// that order for the bits set in parts; the extension is preceded by "." when
// something comes before it, even when it is empty ("C:\dir\README", 3 gives
// "README.").
std::string GetPathPart(const std::string& path, int parts);

// The text up to its first NUL character.
std::string TrimNull(const std::string& text);

// 0 for A: ... 25 for Z:, -1 when the path does not start with a drive.
int PathGetDriveNumber(const std::string& path);
// Cuts path down to its root ("C:\", "\\server\share", "\", "/"); false, with
// path unchanged, when it has none (a relative path).
bool PathStripToRoot(std::string& path);
// The root of a path (PathStripToRoot on a copy), empty when it has none.
std::string GetPathRoot(const std::string& path);

bool PathIsUNC(const std::string& path);             // \\server..., \\?\UNC\...
bool PathIsUNCServer(const std::string& path);       // \\server only
bool PathIsUNCServerShare(const std::string& path);  // \\server\share only
bool PathIsNetworkPath(const std::string& path);     // a UNC path

}  // namespace korvane
