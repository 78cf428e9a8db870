// The standard OLE library known without its file: the table holds what
// Wine's stdole2.tlb holds, the IDL names the types a library uses from it
// when no copy is found, and the folders searched for a copy reach Wine's.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "SampleModel.h"
#include "platform/TypeLibFile.h"
#include "platform/TypeLibFolders.h"
#include "support/TempDir.h"
#include "typelib/IdlWriter.h"
#include "typelib/StandardOle.h"

namespace korvane::typelib {
namespace {

using namespace formats;

TEST(StandardOle, HoldsWhatWinesStdole2Holds) {
  struct Case {
    const char* folder;
    int sysKind;
  };
  for (const Case& c : {Case{KORVANE_WINE64_DIR, kSysWin64}, Case{KORVANE_WINE32_DIR, kSysWin32}}) {
    const std::string path = std::string(c.folder) + "/stdole2.tlb";
    if (!std::filesystem::is_regular_file(path)) continue;
    auto file = platform::ReadTypeLibraryFile(path);
    ASSERT_TRUE(file) << file.error().message;
    const TypeLibrary known = StandardOleLibrary(c.sysKind);
    EXPECT_EQ(known.attributes.guid, file->attributes.guid);
    EXPECT_EQ(known.attributes.majorVersion, file->attributes.majorVersion);
    EXPECT_EQ(known.attributes.minorVersion, file->attributes.minorVersion);
    ASSERT_EQ(known.types.size(), file->types.size()) << path;
    for (std::size_t i = 0; i < known.types.size(); ++i) {
      const TypeInfo& k = known.types[i];
      const TypeInfo& f = file->types[i];
      EXPECT_EQ(k.name, f.name) << i;
      EXPECT_EQ(k.kind, f.kind) << f.name;
      EXPECT_EQ(k.guid, f.guid) << f.name;
      if (f.kind == TypeKind::kInterface) {
        EXPECT_EQ(k.vtableSize, f.vtableSize) << f.name;
      }
    }
  }
}

// A library that takes OLE_COLOR (by GUID) and IPictureDisp (by position, it
// has no GUID) from stdole2, with no copy of stdole2 anywhere.
TEST(StandardOle, NamesTheTypesUsedFromItWithoutItsFile) {
  TypeLibrary lib = test::SampleLibrary();
  lib.imports.front().guid = StandardOleGuid();
  const TypeLibrary known = StandardOleLibrary(kSysWin32);
  const auto position = [&](const char* name) {
    auto it = std::find_if(known.types.begin(), known.types.end(), [&](const TypeInfo& t) { return t.name == name; });
    return static_cast<int>(it - known.types.begin());
  };
  const auto imported = [](const Guid& guid, int index) {
    return TypeDesc{vt::kUserDefined, {}, {}, TypeRef{-1, 0, guid, "", index}};
  };
  auto& params = lib.types[1].functions[1].params;
  params.push_back(Param{"colour", imported(known.types[position("OLE_COLOR")].guid, -1), kParamFlagIn, {}, {}});
  params.push_back(Param{"picture", test::PointerTo(imported({}, position("IPictureDisp"))), kParamFlagIn, {}, {}});

  const auto imports = ReadImportedLibraries(lib, {});
  IdlOptions options;
  options.imports = ImportedPointers(imports);
  const std::string idl = WriteIdl(lib, options);
  EXPECT_NE(idl.find("importlib(\"stdole2.tlb\");"), std::string::npos) << idl;
  EXPECT_NE(idl.find("[in] OLE_COLOR colour"), std::string::npos) << idl;
  EXPECT_NE(idl.find("[in] IPictureDisp* picture"), std::string::npos) << idl;
  EXPECT_EQ(idl.find("UnresolvedImport"), std::string::npos) << idl;
}

#ifndef _WIN32
// The prefix's folder for the library's width comes before its other one,
// and Wine's installed libraries come after the prefix.
TEST(TypeLibImportFolders, ReachTheWinePrefixAndWinesOwnLibraries) {
  const test::TempDir prefix;
  const test::ScopedEnv winePrefix("WINEPREFIX", prefix.path().string());
  const test::ScopedEnv systemDir("KORVANE_SYSTEM_DIR", "");
  struct Case {
    bool library64Bit;
    std::string first;
    std::string second;
    std::string wine;
  };
  const std::string root = prefix.path().string() + "/drive_c/windows/";
  for (const Case& c : {Case{true, root + "system32", root + "syswow64", KORVANE_WINE64_DIR},
                        Case{false, root + "syswow64", root + "system32", KORVANE_WINE32_DIR}}) {
    const auto folders = platform::TypeLibImportFolders("/beside", c.library64Bit);
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), "/beside");
    const auto at = [&](const std::string& folder) { return std::find(folders.begin(), folders.end(), folder); };
    ASSERT_NE(at(c.first), folders.end()) << c.first;
    ASSERT_NE(at(c.second), folders.end()) << c.second;
    ASSERT_NE(at(c.wine), folders.end()) << c.wine;
    EXPECT_LT(at(c.first), at(c.second));
    EXPECT_LT(at(c.second), at(c.wine));
  }
}
#endif

}  // namespace
}  // namespace korvane::typelib
