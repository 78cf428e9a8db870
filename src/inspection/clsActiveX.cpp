#include "inspection/clsActiveX.h"

#include <array>
#include <cstdio>
#include <vector>

#include "common/CarryOn.h"
#include "common/ErrorReport.h"
#include "common/UserPort.h"
#include "common/VbError.h"
#include "inspection/TypeLibInfo.h"
#include "inspection/clsFileInfo.h"
#include "platform/RegistryChoice.h"
#include "registry/clsRegistry.h"

namespace korvane {

namespace {

constexpr long kObjectVariableNotSet = 91;
constexpr const char* kNotValidFiles = "One of the selected files are not a valid ActiveX files!";

std::string LibraryKey(const TypeLibInfo& lib) { return "TypeLib\\" + lib.GUID(); }

std::string NameText(const TypeLibInfo& lib) { return lib.Name() + " (" + lib.HelpString() + ")"; }

std::string LcidKey(std::uint32_t lcid) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(lcid));
  return text;
}

// Thrown when the registry cannot be read at all: the step fails instead of
// taking the missing answer for a missing key.
struct RegistryUnreadable {
  VbError failure;
};

void ThrowIfUnreadable(const clsRegistry& registry) {
  if (registry.RegistryFailure()) throw RegistryUnreadable{*registry.RegistryFailure()};
}

bool KeyExists(clsRegistry& registry, const std::string& section) {
  registry.SetClassKey(kClassesRoot);
  registry.SetSectionKey(section);
  const bool exists = registry.KeyExists();
  ThrowIfUnreadable(registry);
  return exists;
}

std::string DefaultValue(clsRegistry& registry, const std::string& section) {
  registry.SetClassKey(kClassesRoot);
  registry.SetSectionKey(section);
  std::string value = RegValueToString(registry.Value());
  ThrowIfUnreadable(registry);
  return value;
}

// The path a version of the library is registered with. The library's own
// locale is tried before locale 0, and its own platform key (win32 or win64,
// from the library's syskind) before the other one; the first key present
// supplies the path. Empty when none is present.
std::string RegisteredPath(clsRegistry& registry, const TypeLibInfo& lib, const std::string& versionKey) {
  const bool win64 = lib.SysKind() == platform::kSysKindWin64;
  const std::array<const char*, 2> platforms = {win64 ? "win64" : "win32", win64 ? "win32" : "win64"};
  std::vector<std::string> locales = {LcidKey(lib.LCID())};
  if (lib.LCID() != 0) locales.push_back("0");
  const std::string versionSection = LibraryKey(lib) + "\\" + versionKey + "\\";
  for (const auto& locale : locales) {
    for (const char* plat : platforms) {
      const std::string section = versionSection + locale + "\\" + plat;
      if (KeyExists(registry, section)) return platform::RegistryPathForDisplay(DefaultValue(registry, section));
    }
  }
  return {};
}


}  // namespace

clsActiveX::clsActiveX() {
  try {
    typeLib_ = std::make_unique<TypeLibInfo>();
    registry_ = std::make_unique<clsRegistry>();
    fileInfo_ = std::make_unique<clsFileInfo>();
  } catch (const VbError& e) {
    ShowError("Class_Initialize - clsActiveX", e);
  } catch (const std::exception& e) {
    ShowError("Class_Initialize - clsActiveX", 0, e.what());
  }
}

clsActiveX::~clsActiveX() {
  grid_ = nullptr;
  gridComp_ = nullptr;
  typeLib_.reset();
  registry_.reset();
  fileInfo_.reset();
}

void clsActiveX::RequireMembers() const {
  if (!typeLib_ || !registry_) throw VbError(kObjectVariableNotSet, "clsActiveX", "Object variable not set");
}

void clsActiveX::Init(clsGrid* mGrid, clsGrid* mGridComp) {
  try {
    grid_ = mGrid;
    gridComp_ = mGridComp;
  } catch (const std::exception& e) {
    ShowError("Init - clsActiveX", 0, e.what());
  }
}

void clsActiveX::DisplayInfo() {
  if (grid_ == nullptr) throw VbError(kObjectVariableNotSet, "clsActiveX", "Object variable not set");
  grid_->Clear();
  fileInfo_ = std::make_unique<clsFileInfo>();
  registryFailure_.reset();

  try {
    RequireMembers();
    *typeLib_ = TypeLibInfo::TypeLibInfoFromFile(fileName_);
    const TypeLibInfo& lib = *typeLib_;
    clsRegistry& reg = *registry_;
    const std::string libraryKey = LibraryKey(lib);
    const std::string versionKey = lib.VersionKey();
    const bool known = KeyExists(reg, libraryKey);
    const bool registered = KeyExists(reg, libraryKey + "\\" + versionKey);

    grid_->AddRow("TypeLib Info", "", true);
    grid_->AddRow("TypeLib Name:", NameText(lib), false);
    grid_->AddRow("GUID:", lib.GUID(), false);
    grid_->AddRow("Version:", lib.VersionText(), false);

    if (!known) {
      grid_->AddRow("Registered", "No", false);
    } else {
      if (registered) {
        grid_->AddRow("Registered", "Yes", false);
        grid_->AddRow("Path: ", RegisteredPath(reg, lib, versionKey), false);
      } else {
        grid_->AddRow("Registered", "No", false);
      }
      std::vector<std::string> versions;
      std::int32_t count = 0;
      reg.SetClassKey(kClassesRoot);
      reg.SetSectionKey(libraryKey);
      const bool listed = reg.EnumerateSections(versions, count);
      ThrowIfUnreadable(reg);
      if (listed && (count > 1 || !registered)) {
        grid_->AddRow("Other Versions Found!", "", true);
        for (std::int32_t i = 1; i <= count && static_cast<std::size_t>(i) < versions.size(); ++i) {
          const std::string& other = versions[static_cast<std::size_t>(i)];
          if (other == versionKey) continue;
          grid_->AddRow("TypeLib Name:", DefaultValue(reg, libraryKey + "\\" + other), false);
          grid_->AddRow("Version:", other, false);
          grid_->AddRow("Path: ", RegisteredPath(reg, lib, other), false);
        }
      }
    }
  } catch (const RegistryUnreadable& e) {
    // What was added stays and the file information follows, as for any
    // failure here; the caller can tell the user why.
    registryFailure_ = e.failure;
    RecordSkipped("DisplayInfo", "the registry cannot be read");
  } catch (const std::exception& e) {
    // A file without a readable type library, or a failing registry read:
    // what was added stays, and the file information follows.
    RecordSkipped("DisplayInfo", e.what());
  }

  clsGrid& grid = *grid_;
  clsFileInfo& info = *fileInfo_;
  CarryOn("DisplayInfo", [&] { grid.AddRow("File Info", "", true); });
  CarryOn("DisplayInfo", [&] { info.SelectFile(fileName_); });
  const std::pair<const char*, const std::string*> strings[] = {
      {"CompanyName: ", &info.CompanyName},       {"FileDescription: ", &info.FileDescription},
      {"InternalName: ", &info.InternalName},     {"LegalCopyright: ", &info.LegalCopyright},
      {"LegalTrademarks: ", &info.LegalTrademarks}, {"OriginalFileName: ", &info.OriginalFileName},
      {"ProductName: ", &info.ProductName},       {"ProductVersion: ", &info.ProductVersion},
      {"Comments: ", &info.Comments},
  };
  for (const auto& row : strings) CarryOn("DisplayInfo", [&] { grid.AddRow(row.first, *row.second, false); });
  CarryOn("DisplayInfo", [&] { grid.AddRow("Extended File Info", "", true); });
  const std::pair<const char*, const std::string*> fixed[] = {
      {"Type: ", &info.FileTypeEx},       {"SubType: ", &info.FileSubTypeEx},
      {"Version: ", &info.FileVerEx},     {"Product Version: ", &info.ProdVerEx},
      {"OS: ", &info.FileOSEx},           {"Structure Version: ", &info.StrucVerEx},
      {"Flags: ", &info.FileFlagsEx},
  };
  for (const auto& row : fixed) CarryOn("DisplayInfo", [&] { grid.AddRow(row.first, *row.second, false); });
}

void clsActiveX::SetFirstFilename(const std::string& vData) {
  firstFilename_ = vData;
  if (!secondFilename_.empty()) bothSelected_ = true;
}

void clsActiveX::SetSecondFilename(const std::string& vData) {
  secondFilename_ = vData;
  if (!firstFilename_.empty()) bothSelected_ = true;
}

namespace {

// What the comparison shows of one file's library.
struct ComparedLibrary {
  std::string name;
  std::string guid;
  std::string version;
  bool registered = false;
  std::string path;
};

ComparedLibrary Gather(clsRegistry& reg, const TypeLibInfo& lib) {
  ComparedLibrary out;
  const std::string versionKey = lib.VersionKey();
  out.registered = KeyExists(reg, LibraryKey(lib) + "\\" + versionKey);
  if (out.registered) out.path = RegisteredPath(reg, lib, versionKey);
  out.version = lib.VersionText();
  out.guid = lib.GUID();
  out.name = NameText(lib);
  return out;
}

void AddBlock(clsGrid& grid, const char* title, const ComparedLibrary& lib) {
  grid.AddRow(title, "", true);
  grid.AddRow("TypeLib Name:", lib.name, false);
  grid.AddRow("GUID:", lib.guid, false);
  grid.AddRow("Version:", lib.version, false);
  grid.AddRow("Registered", lib.registered ? "Yes" : "No", false);
  if (lib.registered) grid.AddRow("Registered Path:", lib.path, false);
}

}  // namespace

void clsActiveX::DoComparison() {
  registryFailure_.reset();
  try {
    if (firstFilename_.empty() || secondFilename_.empty()) {
      MsgBox("You must select two files!", kMbOkOnly + kMbIconWarning, kAppTitle);
      return;
    }
    if (gridComp_ == nullptr) throw VbError(kObjectVariableNotSet, "clsActiveX", "Object variable not set");
    gridComp_->Clear();
  } catch (const VbError& e) {
    ShowError("DoComparison - clsActiveX", e);
    return;
  } catch (const std::exception& e) {
    ShowError("DoComparison - clsActiveX", 0, e.what());
    return;
  }

  try {
    RequireMembers();
    *typeLib_ = TypeLibInfo::TypeLibInfoFromFile(firstFilename_);
    const ComparedLibrary first = Gather(*registry_, *typeLib_);
    *typeLib_ = TypeLibInfo::TypeLibInfoFromFile(secondFilename_);
    const ComparedLibrary second = Gather(*registry_, *typeLib_);
    const TypeLibInfo firstAgain = TypeLibInfo::TypeLibInfoFromFile(firstFilename_);
    const bool same = typeLib_->IsSameLibrary(firstAgain);

    gridComp_->AddRow("Comparison Result", "", true);
    gridComp_->AddRow(same ? "The Files Are Identically!" : "The Files Are Diferent!", "", false);
    AddBlock(*gridComp_, "First File TypeLib Info", first);
    AddBlock(*gridComp_, "Second File TypeLib Info", second);
  } catch (const RegistryUnreadable& e) {
    // Not the files' fault: say what failed instead.
    registryFailure_ = e.failure;
    gridComp_->Clear();
    gridComp_->ShowMsg(e.failure.Description());
  } catch (...) {
    gridComp_->Clear();
    gridComp_->ShowMsg(kNotValidFiles);
  }
}

}  // namespace korvane
