#pragma once
// One file Korvane writes for a file manager, and the builders of each
// manager's files. A builder gives every file of the set, with the program
// path built into its commands; removing and the presence test use only the
// paths.

#include <string>
#include <vector>

#include "desktop/MenuVerbs.h"

namespace korvane::desktop {

struct ActionFile {
  std::string path;
  std::string content;
  bool executable = false;   // the manager only runs or reads executable files
  bool folderVerbs = false;  // holds folder verbs only (no file verb)
};

// One file a verb of the set, made by make(verb).
template <typename Make>
std::vector<ActionFile> FilePerVerb(VerbSet set, Make make) {
  std::vector<ActionFile> files;
  for (const MenuVerb& verb : kMenuVerbs) {
    if (InSet(verb, set)) files.push_back(make(verb));
  }
  return files;
}

// Dolphin (KDE): $XDG_DATA_HOME/kio/servicemenus/, one service menu for the
// component files and one for folders.
std::vector<ActionFile> KdeServiceMenus(const std::string& dataHome, const std::string& exePath,
                                        VerbSet set);

// Nemo (Cinnamon): $XDG_DATA_HOME/nemo/actions/, one action a verb.
std::vector<ActionFile> NemoActions(const std::string& dataHome, const std::string& exePath,
                                    VerbSet set);

// Nautilus (GNOME): $XDG_DATA_HOME/nautilus/scripts/, one script a verb,
// named by its caption.
std::vector<ActionFile> NautilusScripts(const std::string& dataHome, const std::string& exePath,
                                        VerbSet set);

}  // namespace korvane::desktop
