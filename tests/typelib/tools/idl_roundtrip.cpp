// Round trip of type libraries through IDL: each library is read, written as
// IDL, compiled again by widl, read back and compared with the first reading.
//
//   korvane_idl_roundtrip --widl PATH --work DIR [--imports32 DIR] [--imports64 DIR]
//                         [--floor N] [--quiet] FILE...
//
// FILE is a stand-alone library or a PE file (every TYPELIB resource is
// taken). --imports32/64 name a folder of .tlb files (PE or stand-alone) for
// libraries of that platform; their raw libraries are copied under the work
// folder for widl's importlib. Without --floor every
// library must come back equal; with it, at least N must. Prints one line per
// library that differs, the reasons by class, and the counts.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "formats/TypeLibModel.h"
#include "platform/FileReader.h"
#include "platform/TypeLibFile.h"
#include "typelib/IdlWriter.h"
#include "typelib/ImportedTypes.h"
#include "typelib/TypeLibCompare.h"

namespace fs = std::filesystem;
using namespace korvane;

namespace {

struct Options {
  std::string widl;
  fs::path work;
  std::string imports32;
  std::string imports64;
  int floor = -1;
  bool quiet = false;
  std::vector<std::string> files;
};

struct Counts {
  int libraries = 0;
  int agreeing = 0;
  int types = 0;
  int agreeingTypes = 0;
  int members = 0;
  int agreeingMembers = 0;
  std::map<std::string, int> reasons;  // class -> libraries with it
};

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

bool WriteFile(const fs::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

std::string FirstLine(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("error") != std::string::npos) return line;
  }
  return "no message";
}

// The libraries of a file: "file/N" for each resource of a PE, else the file.
std::vector<std::string> LibrariesOf(const std::string& file) {
  auto resources = platform::ListTypeLibResources(file);
  if (!resources) return {file};
  std::vector<std::string> paths;
  for (const auto& r : *resources) {
    if (!r.isName) paths.push_back(file + "/" + std::to_string(r.id));
  }
  return paths;
}

formats::Expected<std::vector<std::uint8_t>> RawBytes(const std::string& path) {
  const auto where = platform::LocateTypeLib(path, '/');
  auto source = platform::OpenFileReader(where.file);
  if (!source) return source.error();
  return formats::LoadTypeLibBytes(std::move(*source), where);
}

formats::Expected<formats::TypeLibrary> ReadLibrary(const std::string& path) {
  auto bytes = RawBytes(path);
  if (!bytes) return bytes.error();
  return formats::ReadTypeLibrary(*bytes);
}

// Copies the first library of each file of the folders, raw, under the
// file's own name: importlib("stdole2.tlb") finds it there.
void CopyImports(const std::string& folder, const fs::path& destination) {
  fs::create_directories(destination);
  if (folder.empty()) return;
  {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".tlb") continue;
      const auto libraries = LibrariesOf(entry.path().string());
      if (libraries.empty()) continue;
      auto bytes = RawBytes(libraries.front());
      if (bytes) WriteFile(destination / entry.path().filename(), bytes->data(), bytes->size());
    }
  }
}

// "function: default value", "type: only in one", ...: the last item of the
// path and what differs, without names.
std::string ReasonClass(const typelib::Difference& d) {
  std::size_t colon = d.path.rfind(": ");
  std::string item = colon == std::string::npos ? d.path : d.path.substr(colon + 2);
  item = item.substr(0, item.find(' '));
  return item + ": " + (d.field.empty() ? std::string("only in one") : d.field);
}

bool Starts(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Whether any difference lies at or below a path.
bool Touches(const std::vector<typelib::Difference>& differences, const std::string& path) {
  for (const auto& d : differences) {
    if (d.path == path || Starts(d.path, path + ": ") || Starts(d.path, path + " (")) return true;
  }
  return false;
}

void CountAgreement(const formats::TypeLibrary& lib, const std::vector<typelib::Difference>& differences,
                    Counts& counts) {
  for (const auto& type : lib.types) {
    const std::string typePath = "type " + type.name;
    ++counts.types;
    if (!Touches(differences, typePath)) ++counts.agreeingTypes;
    for (const auto& f : type.functions) {
      ++counts.members;
      if (!Touches(differences, typePath + ": function " + f.name)) ++counts.agreeingMembers;
    }
    for (const auto& v : type.variables) {
      ++counts.members;
      if (!Touches(differences, typePath + ": variable " + v.name)) ++counts.agreeingMembers;
    }
  }
}

std::string SafeName(const std::string& path) {
  std::string name = fs::path(path).parent_path().filename().string() + "_" + fs::path(path).filename().string();
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ' ') c = '_';
  }
  return name;
}

bool RoundTrip(const Options& options, const std::string& path, Counts& counts) {
  ++counts.libraries;
  auto fail = [&](const std::string& reason, const std::string& detail) {
    ++counts.reasons[reason];
    std::cout << "DIFFERS " << path << ": " << reason << ": " << detail << "\n";
    return false;
  };
  auto original = ReadLibrary(path);
  if (!original) return fail("read", original.error().message);

  // A path that names a resource ("x.dll/2") is no file: name the outputs after both.
  const std::string base = fs::is_regular_file(path) ? fs::path(path).filename().string() : SafeName(path);
  const fs::path idl = options.work / (base + ".idl");
  const fs::path tlb = options.work / (base + ".tlb");
  const fs::path log = options.work / (base + ".log");
  const bool win64 = original->attributes.sysKind == formats::kSysWin64;
  const fs::path imports = options.work / (win64 ? "imports64" : "imports32");
  const auto importedLibraries = typelib::ReadImportedLibraries(*original, {imports.string()});
  const auto imported = typelib::ImportedPointers(importedLibraries);
  typelib::NameImportedTypes(*original, imported);
  typelib::IdlOptions idlOptions;
  idlOptions.fileName = fs::path(platform::LocateTypeLib(path, '/').file).filename().string();
  idlOptions.imports = imported;
  const std::string text = typelib::WriteIdl(*original, idlOptions);
  if (!WriteFile(idl, text.data(), text.size())) return fail("write", idl.string());

  const char* bits = win64 ? "--win64" : "--win32";
  const std::string command = ShellQuote(options.widl) + " -t " + bits + " -L " + ShellQuote(imports.string()) +
                              " -o " + ShellQuote(tlb.string()) + " " + ShellQuote(idl.string()) + " >" +
                              ShellQuote(log.string()) + " 2>&1";
  std::error_code ec;
  fs::remove(tlb, ec);
  if (std::system(command.c_str()) != 0 || !fs::exists(tlb)) return fail("widl refused", FirstLine(log));

  auto again = ReadLibrary(tlb.string());
  if (!again) return fail("read back", again.error().message);
  const auto importedAgain = typelib::ReadImportedLibraries(*again, {imports.string()});
  typelib::NameImportedTypes(*again, typelib::ImportedPointers(importedAgain));

  typelib::CompareOptions compare;
  compare.ignoreLibraryCustomData = true;  // the compiler's name and time
  compare.ignoreFormat = true;             // widl writes MSFT, whatever the first was
  // widl numbers a type when it first meets it, a typedef before the type it
  // names; IDL has to define a type before its use.
  compare.ignoreTypeOrder = true;
  const auto differences = typelib::FindDifferences(*original, *again, compare);
  CountAgreement(*original, differences, counts);
  if (differences.empty()) {
    ++counts.agreeing;
    return true;
  }
  std::set<std::string> classes;
  for (const auto& d : differences) classes.insert(ReasonClass(d));
  for (const auto& c : classes) ++counts.reasons[c];
  std::cout << "DIFFERS " << path << ": " << differences.size() << " differences\n";
  if (!options.quiet) {
    for (const auto& d : differences) std::cout << "    " << d.Text() << "\n";
  }
  return false;
}

int Usage() {
  std::cerr << "usage: korvane_idl_roundtrip --widl PATH --work DIR [--imports32 DIR] [--imports64 DIR] [--floor N] "
               "[--quiet] FILE...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--widl") {
      options.widl = next();
    } else if (a == "--work") {
      options.work = next();
    } else if (a == "--imports32") {
      options.imports32 = next();
    } else if (a == "--imports64") {
      options.imports64 = next();
    } else if (a == "--floor") {
      options.floor = std::atoi(next().c_str());
    } else if (a == "--quiet") {
      options.quiet = true;
    } else {
      options.files.push_back(a);
    }
  }
  if (options.widl.empty() || options.work.empty() || options.files.empty()) return Usage();
  fs::create_directories(options.work);
  CopyImports(options.imports32, options.work / "imports32");
  CopyImports(options.imports64, options.work / "imports64");

  Counts counts;
  for (const auto& file : options.files) {
    for (const auto& library : LibrariesOf(file)) RoundTrip(options, library, counts);
  }
  std::cout << "libraries " << counts.libraries << ", equal after the round trip " << counts.agreeing << "\n";
  std::cout << "types " << counts.types << ", equal " << counts.agreeingTypes << "\n";
  std::cout << "members " << counts.members << ", equal " << counts.agreeingMembers << "\n";
  for (const auto& [reason, libraries] : counts.reasons) {
    std::cout << "reason " << reason << ": " << libraries << " libraries\n";
  }
  const int needed = options.floor >= 0 ? options.floor : counts.libraries;
  if (counts.agreeing < needed) {
    std::cout << "FAILED: " << counts.agreeing << " libraries equal, at least " << needed << " expected\n";
    return 1;
  }
  return 0;
}
