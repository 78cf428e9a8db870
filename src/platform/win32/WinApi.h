#pragma once
// The one place that includes <windows.h>. The platform interfaces use the plain
// Windows names (LoadLibrary, RegOpenKeyEx, ...) for their own functions, and
// <windows.h> defines those names as macros for the A/W variants; the macros are
// removed here so that the interface declarations keep their real names. Code in
// this folder calls the W functions by their full names.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif

#include <windows.h>
// Every system header this folder uses comes in here, before the macros go.
#include <lzexpand.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <winver.h>

#include <string>
#include <string_view>

#undef LoadLibrary
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteKey
#undef RegDeleteValue
#undef RegEnumKey
#undef RegEnumValue
#undef RegQueryInfoKey
#undef ExpandEnvironmentStrings
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetShortPathName
#undef GetVolumeInformation
#undef GetDriveType
#undef FindFirstFile
#undef FindNextFile
#undef GetSystemDirectory
#undef GetFileVersionInfo
#undef GetFileVersionInfoSize
#undef VerQueryValue
#undef ShellExecute
#undef CopyFile
#undef DeleteFile
#undef CreateDirectory
#undef GetTempPath
#undef GetFullPathName
#undef GetExpandedName

namespace korvane::platform::win32 {

// UTF-8 to UTF-16 for the W functions (bad sequences become U+FFFD).
std::wstring Wide(std::string_view utf8);
// UTF-16 from a W function to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Narrow(std::wstring_view utf16);

}  // namespace korvane::platform::win32
