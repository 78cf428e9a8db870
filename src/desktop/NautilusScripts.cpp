// Nautilus scripts: executables in nautilus/scripts, offered for every
// selection under the name of the file. Nautilus passes the selected files
// as arguments, relative to the folder it runs the script in; each script
// acts only on the files its verb is for.

#include "desktop/ActionFile.h"
#include "desktop/Quoting.h"

namespace korvane::desktop {

namespace {

// A shell pattern for ".ext" in any letter case ("*.[dD][lL][lL]").
std::string AnyCaseSuffix(const char* extension) {
  std::string pattern = "*.";
  for (const char* c = extension; *c != '\0'; ++c) {
    const char lower = *c;
    const char upper = static_cast<char>(lower - 'a' + 'A');
    pattern += std::string("[") + lower + upper + "]";
  }
  return pattern;
}

std::string Script(const MenuVerb& verb, const std::string& exePath) {
  const std::string command = VerbCommand(ShellQuote(exePath), verb, "\"$f\"");
  std::string run;
  if (verb.onFolders) {
    run = "  [ -d \"$f\" ] && " + command + "\n";
  } else {
    std::string patterns;
    for (const char* extension : kComponentExtensions) {
      patterns += (patterns.empty() ? "" : "|") + AnyCaseSuffix(extension);
    }
    run = "  case $f in\n    " + patterns + ") " + command + " ;;\n  esac\n";
  }
  return std::string("#!/bin/sh\n") +
         "# " + kOwnerMark + "\n" +
         "# Korvane's \"" + verb.caption + "\" verb; the shell extensions switch removes it.\n" +
         "for f in \"$@\"; do\n"
         "  case $f in\n"
         "    *://*) continue ;;\n"
         "    /*) ;;\n"
         "    *) f=$PWD/$f ;;\n"
         "  esac\n" +
         run + "done\n";
}

}  // namespace

std::vector<ActionFile> NautilusScripts(const std::string& dataHome, const std::string& exePath,
                                        VerbSet set) {
  return FilePerVerb(set, [&](const MenuVerb& verb) {
    return ActionFile{dataHome + "/nautilus/scripts/" + verb.caption, Script(verb, exePath), true,
                      verb.onFolders};
  });
}

}  // namespace korvane::desktop
