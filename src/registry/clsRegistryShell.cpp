// The shell-verb members of clsRegistry: the keys and command texts of the
// Register, UnRegister and Korvane verbs of a file class, and of the folder
// verb ActiveX Report.

#include "platform/RegistryChoice.h"
#include "registry/ShellVerbs.h"
#include "registry/clsRegistry.h"

namespace korvane {

namespace {

struct FileVerb {
  const char* name;
  const char* arguments;  // follows the program path in the command
};

constexpr FileVerb kFileVerbs[] = {
    {"Register", " -r \"%1\""},
    {"UnRegister", " -u \"%1\""},
    {"Korvane", " \"%1\""},
};

constexpr const char* kFolderVerbKey = "\\shell\\ActiveX Report";
constexpr const char* kFolderArguments = " -f \"%1\"";

std::string VerbKey(const std::string& fileClass, const char* verb) {
  return fileClass + "\\shell\\" + verb;
}

}  // namespace

void clsRegistry::CreateShellAssociation(const std::string& sExePath,
                                         const std::string& sAssociation) {
  // In a Wine prefix the commands start the program through Wine.
  const std::string exe = platform::ProgramPathForRegistry(sExePath);
  SetClassKey(kClassesRoot);
  if (IsFolderAssociation(sAssociation)) {
    SetSectionKey(sAssociation + kFolderVerbKey + "\\command");
    SetValueKey("");
    SetValue(exe + kFolderArguments);
    return;
  }
  // The verbs belong to the file class the extension names.
  SetSectionKey(sAssociation);
  const std::string fileClass = RegValueToString(Value());
  for (const FileVerb& verb : kFileVerbs) {
    SetSectionKey(VerbKey(fileClass, verb.name) + "\\command");
    SetValueKey("");
    SetValue(exe + verb.arguments);
  }
}

void clsRegistry::RemoveShellAssociation(const std::string& /*sExePath*/,
                                         const std::string& sAssociation) {
  SetClassKey(kClassesRoot);
  // A key with a sub-key cannot go: each command key first, then its verb.
  if (IsFolderAssociation(sAssociation)) {
    SetSectionKey(sAssociation + kFolderVerbKey + "\\command");
    DeleteKey();
    SetSectionKey(sAssociation + kFolderVerbKey);
    DeleteKey();
    return;
  }
  SetSectionKey(sAssociation);
  const std::string fileClass = RegValueToString(Value());
  for (const FileVerb& verb : kFileVerbs) {
    SetSectionKey(VerbKey(fileClass, verb.name) + "\\command");
    DeleteKey();
    SetSectionKey(VerbKey(fileClass, verb.name));
    DeleteKey();
  }
}

}  // namespace korvane
