// version FILE: the sixteen properties of the version reader, as
// Name<TAB>value lines or one JSON object.

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommand.h"
#include "formats/VisibleText.h"
#include "cli/JsonOutput.h"
#include "inspection/clsFileInfo.h"

namespace korvane::cli {

namespace {

std::vector<std::pair<const char*, const std::string*>> Properties(const clsFileInfo& info) {
  return {{"CompanyName", &info.CompanyName},     {"FileDescription", &info.FileDescription},
          {"InternalName", &info.InternalName},   {"LegalCopyright", &info.LegalCopyright},
          {"LegalTrademarks", &info.LegalTrademarks}, {"OriginalFileName", &info.OriginalFileName},
          {"ProductName", &info.ProductName},     {"ProductVersion", &info.ProductVersion},
          {"Comments", &info.Comments},           {"StrucVerEx", &info.StrucVerEx},
          {"FileVerEx", &info.FileVerEx},         {"ProdVerEx", &info.ProdVerEx},
          {"FileFlagsEx", &info.FileFlagsEx},     {"FileOSEx", &info.FileOSEx},
          {"FileTypeEx", &info.FileTypeEx},       {"FileSubTypeEx", &info.FileSubTypeEx}};
}

int RunVersion(CliArgs& args) {
  if (args.operands.size() != 1) return UsageError("version takes one FILE");
  const std::string& file = args.operands[0];
  if (!PathExists(file)) return UsageError("no such file: " + file);

  clsFileInfo info;
  info.SelectFile(file);
  if (args.json) {
    Json document = Json::object();
    for (const auto& [name, value] : Properties(info)) document[name] = *value;
    PrintJson(document);
  } else {
    std::string out;
    for (const auto& [name, value] : Properties(info)) {
      out += std::string(name) + "\t" + formats::Visible(*value, formats::Tabs::kKeep) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return kExitOk;
}

const CliCommand kVersion("version", "version FILE [--json]", &RunVersion, RegistryUse::None);

}  // namespace

}  // namespace korvane::cli
