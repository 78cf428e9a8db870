#pragma once
// The four context-menu verbs, as every file manager shows them: the same
// captions and the same command-line switches as the registry verbs.

#include <array>
#include <string>

namespace korvane::desktop {

struct MenuVerb {
  const char* id;          // stable name of Korvane's action files and entries
  const char* caption;     // the menu text
  const char* switchText;  // the switch before the path; empty for the plain path
  bool onFolders;          // a folder verb, else a verb of component files
};

inline constexpr std::array<MenuVerb, 4> kMenuVerbs = {{
    {"register", "Register", "-r", false},
    {"unregister", "UnRegister", "-u", false},
    {"open", "Korvane", "", false},
    {"report", "ActiveX Report", "-f", true},
}};

// The component files the file verbs are offered on.
inline constexpr std::array<const char*, 3> kComponentExtensions = {"dll", "exe", "ocx"};

// MIME types a component file may have: shared-mime-info's type of .exe
// (and of any file starting with "MZ"), and the type this package gives
// .dll and .ocx.
inline constexpr std::array<const char*, 2> kComponentMimeTypes = {
    "application/x-ms-dos-executable", "application/vnd.microsoft.portable-executable"};

// The theme icon of the actions (installed with the program).
inline constexpr const char* kIconName = "korvane";

// Marks every file Korvane writes, so that removing takes only its own.
inline constexpr const char* kOwnerMark = "X-Korvane-Generated=true";

// Which verbs an operation covers: the -s switch writes only the file verbs.
enum class VerbSet { Files, FilesAndFolders };

inline bool InSet(const MenuVerb& verb, VerbSet set) {
  return set == VerbSet::FilesAndFolders || !verb.onFolders;
}

// A verb's command in a format: the program as that format quotes it, the
// switch, and the format's stand-in for the clicked path.
inline std::string VerbCommand(const std::string& quotedProgram, const MenuVerb& verb,
                               const std::string& pathPlaceholder) {
  std::string command = quotedProgram;
  if (*verb.switchText != '\0') command += std::string(" ") + verb.switchText;
  return command + " " + pathPlaceholder;
}

}  // namespace korvane::desktop
