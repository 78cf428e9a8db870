#include "app/InformationRequest.h"

#include <cstdio>
#include <string_view>

#include "KorvaneVersion.h"

namespace korvane {

namespace {

constexpr const char* kUsage =
    "usage: korvane [-r \"FILE\" | -u \"FILE\" | -f \"FOLDER\" | -s | \"FILE\"]\n"
    "\n"
    "  (nothing)     open the main window\n"
    "  \"FILE\"        open the main window showing FILE's type library and version\n"
    "  -r \"FILE\"     register the component FILE, after a confirmation\n"
    "  -u \"FILE\"     unregister the component FILE, after a confirmation\n"
    "  -f \"FOLDER\"   write the version report of FOLDER to output.txt in the current\n"
    "                folder, after a confirmation\n"
    "  -s            add Register, UnRegister and Korvane to the context menus of .dll,\n"
    "                .exe and .ocx files (the registry's verbs and the file managers')\n"
    "  --help        print this text and end\n"
    "  --version     print the version and end\n"
    "\n"
    "The switches are case-sensitive; anything else is taken as a file name.\n"
    "korvane-cli does the same jobs for scripts (korvane-cli --help).\n";

}  // namespace

bool AnsweredInformationRequest(int argc, char** argv) {
  if (argc != 2) return false;
  const std::string_view argument = argv[1];
  if (argument == "--version") {
    std::printf("korvane %s\n", KORVANE_VERSION_TEXT);
    return true;
  }
  if (argument == "--help") {
    std::fputs(kUsage, stdout);
    return true;
  }
  return false;
}

}  // namespace korvane
