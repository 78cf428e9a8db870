// KDE service menus: desktop-entry files of type Service whose actions KIO
// offers for the listed MIME types. Files in the user's folder are only read
// when they are executable.

#include "desktop/ActionFile.h"
#include "desktop/Quoting.h"

namespace korvane::desktop {

namespace {

std::string ActionKey(const MenuVerb& verb) { return std::string("korvane-") + verb.id; }

// KIO puts the clicked file in place of %f, quoted as needed.
std::string ExecLine(const std::string& exePath, const MenuVerb& verb) {
  return VerbCommand(DesktopExecArgument(exePath), verb, "%f");
}

std::string ServiceMenu(const std::string& mimeTypes, const std::string& exePath, bool folders) {
  std::string actions;
  std::string groups;
  for (const MenuVerb& verb : kMenuVerbs) {
    if (verb.onFolders != folders) continue;
    actions += ActionKey(verb) + ";";
    groups += "\n[Desktop Action " + ActionKey(verb) + "]\n";
    groups += std::string("Name=") + verb.caption + "\n";
    groups += std::string("Icon=") + kIconName + "\n";
    groups += "Exec=" + EscapeKeyFileValue(ExecLine(exePath, verb)) + "\n";
  }
  return "[Desktop Entry]\n"
         "Type=Service\n"
         "ServiceTypes=KonqPopupMenu/Plugin\n"
         "MimeType=" + mimeTypes + "\n"
         "Actions=" + actions + "\n"
         "X-KDE-Priority=TopLevel\n" +
         std::string(kOwnerMark) + "\n" + groups;
}

}  // namespace

std::vector<ActionFile> KdeServiceMenus(const std::string& dataHome, const std::string& exePath,
                                        VerbSet set) {
  const std::string folder = dataHome + "/kio/servicemenus/";
  std::string componentTypes;
  for (const char* type : kComponentMimeTypes) componentTypes += std::string(type) + ";";
  std::vector<ActionFile> files;
  files.push_back({folder + "korvane-components.desktop",
                   ServiceMenu(componentTypes, exePath, false), true, false});
  if (set == VerbSet::FilesAndFolders) {
    files.push_back({folder + "korvane-folders.desktop",
                     ServiceMenu("inode/directory;", exePath, true), true, true});
  }
  return files;
}

}  // namespace korvane::desktop
