// Nemo actions: key files read from nemo/actions in the data folders. Nemo
// puts each selected path in place of %F (escaping double quotes in it) and
// splits the command as a shell would, without running a shell.

#include "desktop/ActionFile.h"
#include "desktop/Quoting.h"

namespace korvane::desktop {

namespace {

std::string Action(const MenuVerb& verb, const std::string& exePath) {
  const std::string exec = VerbCommand(ShellQuote(exePath), verb, "\"%F\"");
  std::string extensions;
  if (verb.onFolders) {
    extensions = "dir;";
  } else {
    // Nemo compares extensions ignoring letter case.
    for (const char* extension : kComponentExtensions) extensions += std::string(extension) + ";";
  }
  return std::string("[Nemo Action]\n") +
         "Name=" + verb.caption + "\n" +
         "Exec=" + EscapeKeyFileValue(exec) + "\n" +
         "Icon-Name=" + kIconName + "\n" +
         "Selection=s\n" +
         "Extensions=" + extensions + "\n" +
         kOwnerMark + "\n";
}

}  // namespace

std::vector<ActionFile> NemoActions(const std::string& dataHome, const std::string& exePath,
                                    VerbSet set) {
  return FilePerVerb(set, [&](const MenuVerb& verb) {
    return ActionFile{dataHome + "/nemo/actions/korvane-" + verb.id + ".nemo_action",
                      Action(verb, exePath), false, verb.onFolders};
  });
}

}  // namespace korvane::desktop
