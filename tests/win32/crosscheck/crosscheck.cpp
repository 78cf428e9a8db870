// Compares our portable readers with the Windows functions, file by file:
//  - the version resource: nine strings and the fixed-information fields from
//    GetFileVersionInfoW/VerQueryValueW, against the PE reader, the version
//    language choice and the version-block walk; the inspector's own reading
//    (clsFileInfo) is compared too;
//  - every TYPELIB resource: name, help string, GUID, version, LCID and
//    syskind from LoadTypeLibEx, against the type-library reader; then the
//    whole content (every type, member and reference) as the loader shows it
//    through ITypeInfo, against the full reader.
// Usage: korvane-crosscheck [--verbose] FILE_OR_FOLDER... (folders are walked
// recursively)
// Prints one line per difference (--verbose: every comparison) and a summary;
// exit 0 only without differences.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/WinApi.h"
// WinApi.h first: the headers below declare functions named like its macros.
#include <winver.h>

#include "common/VbError.h"
#include "crosscheck/TypeLibContent.h"
#include "formats/PeImage.h"
#include "formats/VersionBlock.h"
#include "formats/VersionLanguage.h"
#include "inspection/clsFileInfo.h"
#include "platform/FileReader.h"
#include "platform/TypeLib.h"
#include "platform/TypeLibFile.h"
#include "platform/VersionInfo.h"

namespace {

using namespace korvane;

constexpr const char* kStringNames[] = {"CompanyName",      "FileDescription", "InternalName",
                                        "LegalCopyright",   "LegalTrademarks", "OriginalFilename",
                                        "ProductName",      "ProductVersion",  "Comments"};

struct Tally {
  int files = 0;
  int versionBlocks = 0;
  int libraries = 0;
  long fields = 0;
  int differences = 0;
  bool verbose = false;
  crosscheck::ContentTally content;
};

void Compare(Tally& t, const std::string& file, const std::string& field, const std::string& windows,
             const std::string& ours) {
  ++t.fields;
  if (windows == ours) {
    if (t.verbose) std::printf("SAME\t%s\t%s\t[%s]\n", file.c_str(), field.c_str(), ours.c_str());
    return;
  }
  ++t.differences;
  std::printf("DIFF\t%s\t%s\twindows=[%s]\tours=[%s]\n", file.c_str(), field.c_str(), windows.c_str(),
              ours.c_str());
}

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(v));
  return text;
}

// --- version resource -------------------------------------------------------

struct VersionFacts {
  bool present = false;
  std::vector<std::string> strings;  // in kStringNames order
  formats::FixedFileInfo fixed{};
  bool hasFixed = false;
};

// Through the Windows functions: the block from GetFileVersionInfoW, the fixed
// part and the strings of the first translation from VerQueryValueW.
VersionFacts WindowsVersion(const std::string& path) {
  VersionFacts f;
  auto read = platform::GetFileVersionInfo(path);
  if (!read) return f;
  std::vector<std::uint8_t>& block = *read;
  f.present = true;
  void* value = nullptr;
  UINT size = 0;
  if (::VerQueryValueW(block.data(), L"\\", &value, &size) && size >= formats::kFixedFileInfoSize) {
    const auto fixed =
        formats::DecodeFixedFileInfo(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(value), size));
    f.hasFixed = fixed.has_value();
    if (fixed) f.fixed = *fixed;
  }
  // The first string table is the one named by the first translation entry
  // in well-formed files; VerQueryValueW cannot enumerate tables.
  std::wstring table;
  if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size) && size >= 4) {
    const auto* words = static_cast<const WORD*>(value);
    wchar_t key[16];
    std::swprintf(key, 16, L"%04x%04x", words[0], words[1]);
    table = key;
  }
  for (const char* name : kStringNames) {
    std::string text;
    std::wstring query = L"\\StringFileInfo\\" + table + L"\\" + platform::win32::Wide(name);
    if (!table.empty() && ::VerQueryValueW(block.data(), query.c_str(), &value, &size) && value) {
      std::wstring_view w(static_cast<const wchar_t*>(value), size);
      if (std::size_t nul = w.find(L'\0'); nul != std::wstring_view::npos) w = w.substr(0, nul);
      text = platform::win32::Narrow(w);
    }
    f.strings.push_back(text);
  }
  return f;
}

// Through our readers only: the PE resource directory, the language choice a
// neutral lookup makes, and the walk of the block.
VersionFacts PortableVersion(const std::string& path) {
  VersionFacts f;
  auto file = platform::OpenFileReader(path);
  if (!file) return f;
  const auto image = formats::PeImage::Open(std::move(*file));
  if (!image) return f;
  const auto all = image->ResourcesOfType(formats::ResourceId::Number(formats::kRtVersion));
  if (!all) return f;
  std::vector<formats::ResourceEntry> named;
  for (const auto& e : all->entries) {
    if (e.name.Matches(formats::ResourceId::Number(1))) named.push_back(e);
  }
  const formats::ResourceEntry* pick = formats::PickVersionResource(named, ::GetUserDefaultUILanguage());
  if (pick == nullptr) return f;
  const auto read = image->ReadResource(*pick);
  if (!read || read->empty()) return f;
  const std::vector<std::uint8_t>& block = *read;
  f.present = true;
  formats::VersionBlock walk(block);
  const auto root = walk.RootValue();
  if (root && root->length >= formats::kFixedFileInfoSize) {
    const auto fixed = formats::DecodeFixedFileInfo(std::span(block).subspan(root->offset, root->length));
    f.hasFixed = fixed.has_value();
    if (fixed) f.fixed = *fixed;
  }
  for (const char* name : kStringNames) f.strings.push_back(walk.StringValue(name));
  return f;
}

void CheckVersion(Tally& t, const std::string& path) {
  VersionFacts win = WindowsVersion(path);
  VersionFacts ours = PortableVersion(path);
  Compare(t, path, "has version resource", win.present ? "yes" : "no", ours.present ? "yes" : "no");
  if (!win.present || !ours.present) return;
  ++t.versionBlocks;
  clsFileInfo inspector;
  inspector.SelectFile(path);
  const std::string* shown[] = {&inspector.CompanyName,   &inspector.FileDescription,
                                &inspector.InternalName,  &inspector.LegalCopyright,
                                &inspector.LegalTrademarks, &inspector.OriginalFileName,
                                &inspector.ProductName,   &inspector.ProductVersion,
                                &inspector.Comments};
  for (std::size_t i = 0; i < std::size(kStringNames); ++i) {
    Compare(t, path, kStringNames[i], win.strings[i], ours.strings[i]);
    Compare(t, path, std::string(kStringNames[i]) + " (inspector)", win.strings[i], *shown[i]);
  }
  Compare(t, path, "has fixed info", win.hasFixed ? "yes" : "no", ours.hasFixed ? "yes" : "no");
  if (!win.hasFixed || !ours.hasFixed) return;
  const formats::FixedFileInfo& a = win.fixed;
  const formats::FixedFileInfo& b = ours.fixed;
  Compare(t, path, "StrucVersion", Hex(a.strucVersion), Hex(b.strucVersion));
  Compare(t, path, "FileVersion", Hex(a.fileVersionMS) + Hex(a.fileVersionLS),
          Hex(b.fileVersionMS) + Hex(b.fileVersionLS));
  Compare(t, path, "ProductVersion (fixed)", Hex(a.productVersionMS) + Hex(a.productVersionLS),
          Hex(b.productVersionMS) + Hex(b.productVersionLS));
  Compare(t, path, "FileFlags", Hex(a.fileFlags & a.fileFlagsMask), Hex(b.fileFlags & b.fileFlagsMask));
  Compare(t, path, "FileOS", Hex(a.fileOS), Hex(b.fileOS));
  Compare(t, path, "FileType", Hex(a.fileType), Hex(b.fileType));
  Compare(t, path, "FileSubtype", Hex(a.fileSubtype), Hex(b.fileSubtype));
}

// --- type libraries -----------------------------------------------------------

void CheckLibrary(Tally& t, const std::string& path) {
  ++t.libraries;
  const platform::TypeLibResult loaded = platform::TypeLibInfoFromFile(path);
  if (!loaded) {
    Compare(t, path, "loads", "no: " + loaded.failure().description, "yes");
    return;
  }
  const platform::TypeLibrary& win = loaded.value();
  const auto read = platform::ReadTypeLibFile(path, '\\');
  if (!read) {
    Compare(t, path, "loads", "yes", "no: " + read.error().message);
    return;
  }
  const formats::TypeLibAttributes& ours = *read;
  Compare(t, path, "Name", win.Name(), ours.name);
  Compare(t, path, "HelpString", win.HelpString(), ours.helpString);
  Compare(t, path, "GUID", win.GUID(), formats::GuidToRegistryText(ours.guid));
  Compare(t, path, "Version", std::to_string(win.MajorVersion()) + "." + std::to_string(win.MinorVersion()),
          std::to_string(ours.majorVersion) + "." + std::to_string(ours.minorVersion));
  Compare(t, path, "LCID", Hex(win.LCID()), Hex(ours.lcid));
  Compare(t, path, "SysKind", std::to_string(win.SysKind()), std::to_string(ours.sysKind));
  crosscheck::CompareTypeLibraryContent(t.content, path, t.verbose);
}

void CheckTypeLibraries(Tally& t, const std::string& path) {
  const auto listed = platform::ListTypeLibResources(path);
  if (!listed) {
    // Not a PE image: a stand-alone library or no library at all.
    const bool windowsLoads = platform::TypeLibInfoFromFile(path).ok();
    if (windowsLoads) CheckLibrary(t, path);
    return;
  }
  const std::vector<formats::TypeLibResourceInfo>& resources = *listed;
  if (resources.empty()) {
    // The system loader must not find a library our reader does not list.
    const bool windowsLoads = platform::TypeLibInfoFromFile(path).ok();
    Compare(t, path, "has type library", windowsLoads ? "yes" : "no", "no");
    return;
  }
  for (const auto& r : resources) {
    if (r.isName) continue;  // the "file\N" form reaches numbered resources only
    CheckLibrary(t, path + "\\" + std::to_string(r.id));
  }
}

void CheckFile(Tally& t, const std::string& path) {
  ++t.files;
  if (t.verbose) std::printf("FILE\t%s\n", path.c_str());
  CheckVersion(t, path);
  CheckTypeLibraries(t, path);
}

}  // namespace

int main(int argc, char** argv) {
  Tally t;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--verbose") {
      t.verbose = true;
      continue;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::string> files;
      for (auto it = std::filesystem::recursive_directory_iterator(arg, ec);
           !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file(ec)) files.push_back(it->path().string());
      }
      std::sort(files.begin(), files.end());
      for (const auto& f : files) CheckFile(t, f);
    } else {
      CheckFile(t, arg);
    }
  }
  const crosscheck::ContentTally& c = t.content;
  int known = 0;
  for (const auto& [reason, count] : c.known) {
    std::printf("KNOWNGAP\t%d\t%s\n", count, reason.c_str());
    known += count;
  }
  int unobservable = 0;
  for (const auto& [kind, count] : c.unobservable) {
    std::printf("UNOBSERVABLE\t%d\t%s\n", count, kind.c_str());
    unobservable += count;
  }
  std::printf("CONTENT\tlibraries=%d\tagreeing=%d\tagreeing_but_known_gaps=%d\ttypes=%ld\ttypes_agreeing=%ld\tfunctions=%ld\tvariables=%ld"
              "\tparams=%ld\tdifferences=%d\tknown_gaps=%d\tunobservable=%d\n",
              c.libraries, c.librariesAgreeing, c.librariesExplained, c.types, c.typesAgreeing, c.functions, c.variables, c.params,
              c.differences, known, unobservable);
  const int differences = t.differences + c.differences;
  std::printf("SUMMARY\tfiles=%d\tversion_blocks=%d\ttype_libraries=%d\tfields=%ld\tdifferences=%d\n",
              t.files, t.versionBlocks, t.libraries, t.fields, differences);
  return differences == 0 && t.files > 0 ? 0 : 1;
}
