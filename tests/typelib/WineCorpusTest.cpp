// Every type library in Wine's own PE files is read without an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "TestFiles.h"
#include "formats/TypeLibModel.h"
#include "platform/TypeLibFile.h"

namespace korvane::formats {
namespace {

namespace fs = std::filesystem;

bool StartsWithMz(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  char head[2] = {};
  return in.read(head, 2) && head[0] == 'M' && head[1] == 'Z';
}

struct CorpusLibrary {
  std::string file;  // file name
  std::uint16_t id;
  TypeLibAttributes attr;
};

// Every type library of a folder's PE files, as "file/id" paths.
std::vector<std::pair<std::string, std::string>> LibraryPaths(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> paths;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file() || !StartsWithMz(entry.path())) continue;
    const auto resources = platform::ListTypeLibResources(entry.path().string());
    if (!resources) continue;  // 16-bit modules and other images without a readable directory
    for (const auto& r : *resources) {
      paths.emplace_back(entry.path().filename().string(), entry.path().string() + "/" + std::to_string(r.id));
    }
  }
  return paths;
}

std::vector<CorpusLibrary> ReadFolder(const std::string& folder, std::vector<std::string>& failures) {
  std::vector<CorpusLibrary> found;
  for (const auto& [file, path] : LibraryPaths(folder)) {
    auto attr = platform::ReadTypeLibFile(path, '/');
    if (attr) {
      const auto id = static_cast<std::uint16_t>(std::stoi(path.substr(path.rfind('/') + 1)));
      found.push_back({file, id, std::move(*attr)});
    } else {
      failures.push_back(attr.error().message);
    }
  }
  return found;
}

class WineCorpus : public ::testing::TestWithParam<const char*> {};

// The platform every library of a folder is built for.
int FolderSysKind(const std::string& folder) {
  return folder.find("x86_64") != std::string::npos ? kSysWin64 : kSysWin32;
}

TEST_P(WineCorpus, EveryLibraryReads) {
  if (!fs::is_directory(GetParam())) GTEST_SKIP() << GetParam() << " is not installed";
  std::vector<std::string> failures;
  const auto libraries = ReadFolder(GetParam(), failures);
  for (const auto& f : failures) ADD_FAILURE() << f;
  EXPECT_GE(libraries.size(), 45u);  // about fifty in each folder

  std::map<std::string, std::vector<const CorpusLibrary*>> byFile;
  for (const auto& lib : libraries) {
    EXPECT_FALSE(lib.attr.name.empty()) << lib.file;
    EXPECT_EQ(lib.attr.format, TypeLibFormat::Msft) << lib.file;
    EXPECT_EQ(lib.attr.sysKind, FolderSysKind(GetParam())) << lib.file;
    EXPECT_EQ(GuidToRegistryText(lib.attr.guid).size(), 38u) << lib.file;
    byFile[lib.file].push_back(&lib);
  }

  // vbscript.dll holds three; 2 and 3 are versions 1.0 and 5.5 of one library.
  ASSERT_EQ(byFile["vbscript.dll"].size(), 3u);
  const auto& vb = byFile["vbscript.dll"];
  EXPECT_EQ(vb[1]->attr.guid, vb[2]->attr.guid);
  std::set<std::pair<int, int>> versions = {{vb[1]->attr.majorVersion, vb[1]->attr.minorVersion},
                                            {vb[2]->attr.majorVersion, vb[2]->attr.minorVersion}};
  EXPECT_EQ(versions, (std::set<std::pair<int, int>>{{1, 0}, {5, 5}}));

  // The ATL family: one library in several files.
  for (const char* file : {"atl.dll", "atl80.dll", "atl90.dll", "atl100.dll", "atl110.dll"}) {
    ASSERT_EQ(byFile[file].size(), 1u) << file;
    EXPECT_EQ(byFile[file][0]->attr.name, "ATLLib") << file;
    EXPECT_EQ(GuidToRegistryText(byFile[file][0]->attr.guid), "{44EC0535-400F-11D0-9DCD-00A0C90391D3}");
    EXPECT_EQ(byFile[file][0]->attr.helpString, "ATL 2.0 Type Library");
  }

  // mshtml.tlb holds the largest library, with no help string.
  ASSERT_EQ(byFile["mshtml.tlb"].size(), 1u);
  EXPECT_EQ(byFile["mshtml.tlb"][0]->attr.name, "MSHTML");
  EXPECT_EQ(byFile["mshtml.tlb"][0]->attr.majorVersion, 4);
  EXPECT_EQ(byFile["mshtml.tlb"][0]->attr.helpString, "");

  // stdole2.tlb: the OLE Automation library.
  ASSERT_EQ(byFile["stdole2.tlb"].size(), 1u);
  const auto& stdole = byFile["stdole2.tlb"][0]->attr;
  EXPECT_EQ(stdole.name, "stdole");
  EXPECT_EQ(GuidToRegistryText(stdole.guid), "{00020430-0000-0000-C000-000000000046}");
  EXPECT_EQ(stdole.majorVersion, 2);
}

// The whole content of every library: no error, the same attributes as the
// header reader finds, and references that stay inside the library.
TEST_P(WineCorpus, EveryLibraryReadsWhole) {
  if (!fs::is_directory(GetParam())) GTEST_SKIP() << GetParam() << " is not installed";
  std::size_t libraries = 0, types = 0, functions = 0, params = 0, variables = 0, implemented = 0;
  std::map<std::string, TypeLibrary> byFile;
  for (const auto& [file, path] : LibraryPaths(GetParam())) {
    auto lib = platform::ReadTypeLibraryFile(path, '/');
    if (!lib) {
      ADD_FAILURE() << lib.error().message;
      continue;
    }
    EXPECT_EQ(lib->attributes, test::MustRead(platform::ReadTypeLibFile(path, '/'))) << path;
    ++libraries;
    types += lib->types.size();
    for (const auto& type : lib->types) {
      functions += type.functions.size();
      variables += type.variables.size();
      implemented += type.implemented.size();
      for (const auto& f : type.functions) params += f.params.size();
      for (const auto& impl : type.implemented) {
        EXPECT_TRUE(impl.type.localIndex < static_cast<int>(lib->types.size()) &&
                    impl.type.importIndex < static_cast<int>(lib->imports.size()))
            << path << " " << type.name;
      }
    }
    byFile[file] = std::move(*lib);
  }
  std::printf("%s: %zu libraries, %zu types, %zu functions, %zu parameters, %zu variables, %zu implemented\n",
              GetParam(), libraries, types, functions, params, variables, implemented);
  EXPECT_GE(libraries, 45u);

  // stdole2.tlb: IDispatch is a dispinterface-free interface on IUnknown.
  const TypeLibrary& stdole = byFile["stdole2.tlb"];
  const auto dispatch = std::find_if(stdole.types.begin(), stdole.types.end(),
                                     [](const TypeInfo& t) { return t.name == "IDispatch"; });
  ASSERT_NE(dispatch, stdole.types.end());
  EXPECT_EQ(dispatch->kind, TypeKind::kInterface);
  EXPECT_EQ(GuidToRegistryText(dispatch->guid), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(dispatch->functions.size(), 4u);
  ASSERT_EQ(dispatch->implemented.size(), 1u);
  EXPECT_EQ(dispatch->implemented[0].type.name, "IUnknown");
}

INSTANTIATE_TEST_SUITE_P(Folders, WineCorpus,
                         ::testing::Values(KORVANE_WINE64_DIR, KORVANE_WINE32_DIR));

}  // namespace
}  // namespace korvane::formats
