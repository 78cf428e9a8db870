// Every PE file that Wine installs on this machine: no crash, and the answers
// Windows gives for a few of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ImageBuilder.h"
#include "formats/PeImage.h"
#include "formats/VersionBlock.h"
#include "inspection/clsFileInfo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

const char* const kWine64 = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
const char* const kWine32 = "/usr/lib/i386-linux-gnu/wine/i386-windows";

std::vector<std::string> WineFolders() {
  std::vector<std::string> folders;
  for (const char* f : {kWine64, kWine32}) {
    std::error_code ec;
    if (fs::is_directory(f, ec)) folders.emplace_back(f);
  }
  return folders;
}

TEST(VersionCorpus, EveryWinePeFileParses) {
  const auto folders = WineFolders();
  if (folders.empty()) GTEST_SKIP() << "Wine's PE folders are not installed (packages wine64, wine32:i386)";
  std::size_t files = 0;
  std::size_t images = 0;
  std::size_t withVersion = 0;
  std::size_t resources = 0;
  clsFileInfo info;
  for (const auto& folder : folders) {
    for (const auto& item : fs::directory_iterator(folder)) {
      // The static import libraries (*.a) beside the PE files are not images.
      if (!item.is_regular_file() || item.path().extension() == ".a") continue;
      ++files;
      const std::string path = item.path().string();
      const auto image = test::OpenImageFile(path);
      if (!image) continue;
      ++images;
      const auto walked = image->Resources();
      if (!walked) {
        EXPECT_EQ(walked.error().kind, formats::ErrorKind::kNoResources) << path;
        continue;
      }
      EXPECT_FALSE(walked->damage) << path << ": " << walked->damage->message;
      for (const auto& entry : walked->entries) {
        const auto bytes = image->ReadResource(entry);
        EXPECT_TRUE(bytes) << path << " " << entry.type.ToString();
        ++resources;
      }
      info.SelectFile(path);
      if (!info.FileVerEx.empty()) {
        ++withVersion;
        EXPECT_EQ(info.StrucVerEx, "1.0") << path;
        EXPECT_FALSE(info.FileTypeEx.empty()) << path;
      }
    }
  }
  // Every installed file is a PE image; Wine's libraries carry a version
  // resource, most of its programs and drivers do not.
  EXPECT_GT(files, 500u);
  EXPECT_EQ(images, files);
  EXPECT_GT(withVersion * 4, files);
  EXPECT_GT(resources, withVersion);
}

struct Known {
  const char* file;
  const char* description;
  const char* type;
};

TEST(VersionCorpus, KnownValues) {
  const auto folders = WineFolders();
  if (folders.empty()) GTEST_SKIP() << "Wine's PE folders are not installed (packages wine64, wine32:i386)";
  const Known known[] = {
      {"kernel32.dll", "Wine kernel DLL", "DLL"},
      {"shell32.dll", "Wine core dll", "DLL"},
      {"comctl32.dll", "Wine Common Controls", "DLL"},
      {"msxml3.dll", "Wine MSXML 3.0", "DLL"},
  };
  test::ScopedEnv lang("LANG", "C.UTF-8");
  for (const auto& folder : folders) {
    for (const auto& k : known) {
      SCOPED_TRACE(folder + "/" + k.file);
      clsFileInfo info;
      info.SelectFile(folder + "/" + k.file);
      EXPECT_EQ(info.CompanyName, "Microsoft Corporation");
      EXPECT_EQ(info.FileDescription, k.description);
      EXPECT_EQ(info.OriginalFileName, k.file);
      EXPECT_EQ(info.ProductName, "Wine");
      EXPECT_EQ(info.FileTypeEx, k.type);
      EXPECT_EQ(info.FileOSEx, "Unknown");
      EXPECT_EQ(info.FileFlagsEx, "");
      EXPECT_EQ(std::count(info.FileVerEx.begin(), info.FileVerEx.end(), '.'), 3) << info.FileVerEx;
      EXPECT_EQ(info.LegalTrademarks, "");
      EXPECT_FALSE(info.LegalCopyright.empty());
    }
  }
}

TEST(VersionCorpus, ManyLanguagesShowTheUsersOrEnglish) {
  if (!fs::exists(std::string(kWine64) + "/kernel32.dll")) GTEST_SKIP() << "Wine's 64-bit PE files are not installed";
  const std::string kernel32 = std::string(kWine64) + "/kernel32.dll";
  const auto image = test::OpenImageFile(kernel32);
  ASSERT_TRUE(image);
  const auto versions = image->ResourcesOfType(formats::ResourceId::Number(formats::kRtVersion));
  ASSERT_TRUE(versions && !versions->damage);
  EXPECT_EQ(versions->entries.size(), 36u);
  EXPECT_NE(versions->entries.front().language, 0x409) << "the English block is not the first one";

  clsFileInfo info;
  {
    test::ScopedEnv lang("LANG", "C");
    info.SelectFile(kernel32);
    EXPECT_EQ(info.FileDescription, "Wine kernel DLL");
  }
  {
    test::ScopedEnv lang("LANG", "de_DE.UTF-8");
    info.SelectFile(kernel32);
    EXPECT_EQ(info.FileDescription, "Wine-Kernel-DLL");
  }
}

}  // namespace
}  // namespace korvane
