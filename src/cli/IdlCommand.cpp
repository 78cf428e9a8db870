// idl FILE [--output F] [--json]: the whole type library of FILE (or of the
// "FILE\N" resource) as IDL, or as JSON with --json.
// idl --list FILE [--json]: every type library the file holds, with the path
// that names each one, its name, GUID and version.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "formats/TypeLibModel.h"
#include "platform/FileSystem.h"
#include "platform/LoaderSearch.h"
#include "platform/Process.h"
#include "platform/TypeLibFile.h"
#include "typelib/IdlWriter.h"
#include "typelib/ImportedTypes.h"
#include "typelib/TypeLibJson.h"

namespace korvane::cli {

namespace {

constexpr int kExitFailed = 1;

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileErrorText(platform::FileError error) {
  switch (error) {
    case platform::FileError::PathNotFound: return "path not found";
    case platform::FileError::AccessDenied: return "access denied";
    case platform::FileError::DiskFull: return "disk full";
    case platform::FileError::NotAFile: return "not a regular file";
    case platform::FileError::IoError:
    case platform::FileError::None: break;
  }
  return "input/output error";
}

// The text goes to standard output, or to the file --output names, written
// as the report writes its file.
int Emit(const std::string& text, const std::string& output) {
  if (output.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
  }
  platform::OutputFile file;
  platform::FileError error = file.Open(output);
  if (error == platform::FileError::None) error = file.Write(text);
  file.Close();
  if (error != platform::FileError::None) {
    return Fail(kExitFailed, "cannot write " + output + ": " + FileErrorText(error));
  }
  return kExitOk;
}

struct ListedLibrary {
  std::string path;  // what names it for `idl`
  int id = -1;       // resource id; -1 for a stand-alone file
  formats::Expected<formats::TypeLibAttributes> attributes;
};

std::string VersionText(const formats::TypeLibAttributes& a) {
  return std::to_string(a.majorVersion) + "." + std::to_string(a.minorVersion);
}

int List(const std::string& file, bool json, const std::string& output) {
  std::vector<ListedLibrary> libraries;
  auto resources = platform::ListTypeLibResources(file);
  if (resources) {
    for (const auto& resource : *resources) {
      if (resource.isName) {
        libraries.push_back({file, -1,
                             formats::MakeError(formats::ErrorKind::kNotFound,
                                                "resource named " + resource.name + " has no path form")});
        continue;
      }
      std::string path = file + platform::kPathSeparator + std::to_string(resource.id);
      libraries.push_back({path, resource.id, platform::ReadTypeLibFile(path)});
    }
  } else {
    // No PE image: a stand-alone library names itself.
    auto attributes = platform::ReadTypeLibFile(file);
    if (!attributes) return Fail(kExitFailed, attributes.error().message);
    libraries.push_back({file, -1, std::move(attributes)});
  }

  if (libraries.empty()) return Fail(kExitFailed, file + " holds no type library");

  bool failed = false;
  std::string text;
  Json list = Json::array();
  for (const auto& library : libraries) {
    Json entry = Json::object();
    entry["path"] = library.path;
    entry["id"] = library.id >= 0 ? Json(library.id) : Json(nullptr);
    if (library.attributes) {
      const auto& a = *library.attributes;
      entry["name"] = a.name;
      entry["guid"] = formats::GuidToRegistryText(a.guid);
      entry["version"] = VersionText(a);
      text += library.path + "\t" + a.name + "\t" + formats::GuidToRegistryText(a.guid) + "\t" + VersionText(a) + "\n";
    } else {
      failed = true;
      entry["error"] = library.attributes.error().message;
      text += library.path + "\terror: " + library.attributes.error().message + "\n";
    }
    list.push_back(entry);
  }
  if (json) text = JsonText(Json{{"file", file}, {"libraries", list}}) + "\n";
  int code = Emit(text, output);
  return code != kExitOk ? code : (failed ? kExitFailed : kExitOk);
}

int RunIdl(CliArgs& args) {
  std::string file;
  std::string output;
  bool haveFile = false;
  bool list = false;
  for (std::size_t i = 0; i < args.operands.size(); ++i) {
    const std::string& a = args.operands[i];
    if (a == "--list") {
      list = true;
    } else if (a == "--output") {
      if (i + 1 >= args.operands.size() || args.operands[i + 1].empty()) {
        return UsageError("--output needs a file name");
      }
      output = args.operands[++i];
    } else if (a.rfind("--output=", 0) == 0) {
      output = a.substr(9);
      if (output.empty()) return UsageError("--output needs a file name");
    } else if (!haveFile) {
      file = a;
      haveFile = true;
    } else {
      return UsageError("idl takes one FILE");
    }
  }
  if (!haveFile || file.empty()) return UsageError("idl needs a FILE");
  if (!PathExists(platform::LocateTypeLib(file).file)) return UsageError("no such file: " + file);
  if (list) return List(file, args.json, output);

  auto library = platform::ReadTypeLibraryFile(file);
  if (!library) return Fail(kExitFailed, library.error().message);  // names the file
  // Imported libraries give the names of the types used from them: looked
  // for beside the file, then in the system folder of the library's platform.
  const std::string where = platform::LocateTypeLib(file).file;
  const std::size_t slash = where.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : where.substr(0, slash + 1);
  const bool win64 = library->attributes.sysKind == formats::kSysWin64;
  const auto importedLibraries =
      typelib::ReadImportedLibraries(*library, {folder, platform::LoaderSearchFolders(win64).system});
  typelib::IdlOptions options;
  options.fileName = BaseName(where);
  options.imports = typelib::ImportedPointers(importedLibraries);
  if (args.json) {
    typelib::NameImportedTypes(*library, options.imports);
    return Emit(JsonText(Json{{"file", file}, {"library", typelib::TypeLibraryJson(*library)}}) + "\n", output);
  }
  return Emit(typelib::WriteIdl(*library, options), output);
}

const CliCommand kIdl("idl",
                      "idl FILE[\\N] [--output FILE] [--json]\n"
                      "      the whole type library as IDL (or as JSON); FILE\\N (FILE/N on\n"
                      "      Linux) picks the TYPELIB resource N of a module\n"
                      "  idl --list FILE [--json]\n"
                      "      every type library FILE holds: its path for idl, name, GUID, version",
                      &RunIdl, RegistryUse::None);

}  // namespace

}  // namespace korvane::cli
