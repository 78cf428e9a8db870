// The version reader on real PE files made by the MinGW tools.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImageBuilder.h"
#include "formats/PeImage.h"
#include "inspection/clsFileInfo.h"
#include "platform/VersionInfo.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

std::string Fixture(const std::string& name) { return std::string(KORVANE_VERSION_FIXTURES) + "/" + name; }

clsFileInfo Read(const std::string& fixture) {
  clsFileInfo info;
  info.SelectFile(Fixture(fixture));
  return info;
}

void ExpectAllEmpty(const clsFileInfo& i) {
  for (const std::string* p :
       {&i.CompanyName, &i.FileDescription, &i.InternalName, &i.LegalCopyright, &i.LegalTrademarks,
        &i.OriginalFileName, &i.ProductName, &i.ProductVersion, &i.Comments, &i.StrucVerEx, &i.FileVerEx,
        &i.ProdVerEx, &i.FileFlagsEx, &i.FileOSEx, &i.FileTypeEx, &i.FileSubTypeEx}) {
    EXPECT_EQ(*p, "");
  }
}

void ExpectFull(const clsFileInfo& i) {
  EXPECT_EQ(i.CompanyName, "Korvane Test Fixtures");
  // The value mentions two other keys; a lookup that scans the block as text
  // would find them here.
  EXPECT_EQ(i.FileDescription, "Shows ProductName and Comments");
  EXPECT_EQ(i.InternalName, "full");
  EXPECT_EQ(i.LegalCopyright, "Copyright (C) 2026 Nobody");
  // Empty in the first table, set only in the second, which is never read.
  EXPECT_EQ(i.LegalTrademarks, "");
  EXPECT_EQ(i.OriginalFileName, "full.dll");
  EXPECT_EQ(i.ProductName, "Korvane Fixture Product");
  EXPECT_EQ(i.ProductVersion, "2.5 beta");
  EXPECT_EQ(i.Comments, "ends in a tab\t");
  EXPECT_EQ(i.StrucVerEx, "1.0");
  EXPECT_EQ(i.FileVerEx, "1.0.40000.0");
  EXPECT_EQ(i.ProdVerEx, "2.5.0.7");
  EXPECT_EQ(i.FileFlagsEx, "PreRel Private ");
  EXPECT_EQ(i.FileOSEx, "NT-Win32");
  EXPECT_EQ(i.FileTypeEx, "DLL");
  EXPECT_EQ(i.FileSubTypeEx, "");
}

TEST(VersionFixture, AllSixteenPropertiesOfAFullResource) {
  SCOPED_TRACE("64-bit DLL with code and debug sections");
  ExpectFull(Read("full64.dll"));
}

TEST(VersionFixture, Pe32ProgramGivesTheSameProperties) {
  const auto image = test::OpenImageFile(Fixture("full32.exe"));
  ASSERT_TRUE(image) << image.error().message;
  EXPECT_FALSE(image->Is64Bit());
  ExpectFull(Read("full32.exe"));
}

TEST(VersionFixture, ResourceOnlyImageGivesTheSameProperties) { ExpectFull(Read("full_bare.dll")); }

TEST(VersionFixture, FileWithoutVersionResourceGivesSixteenEmptyProperties) {
  ExpectAllEmpty(Read("noversion.dll"));
  ExpectAllEmpty(Read("missing-file.dll"));
  test::TempDir dir;
  ExpectAllEmpty(Read(dir.Write("text.dll", "MZ but nothing else")));
  ExpectAllEmpty(Read(dir.path().string()));  // a folder
}

TEST(VersionFixture, EveryPropertyIsReplacedBySelectFile) {
  clsFileInfo info;
  info.SelectFile(Fixture("variant_drv4.dll"));
  EXPECT_EQ(info.FileTypeEx, "Driver");
  EXPECT_EQ(info.FileSubTypeEx, "Display drv");
  // A driver, then a DLL: the subtype empties, everything else is the DLL's.
  info.SelectFile(Fixture("full64.dll"));
  ExpectFull(info);
  // A file with a resource, then one without: all sixteen empty.
  info.SelectFile(Fixture("noversion.dll"));
  ExpectAllEmpty(info);
}

TEST(VersionFixture, ValuesWrittenDirectlyWithoutTheDefaultKeyCase) {
  clsFileInfo info = Read("raw_varfirst.dll");
  // VarFileInfo before StringFileInfo, text nodes of type 0.
  EXPECT_EQ(info.CompanyName, "Raw Company");
  // The standard spelling OriginalFilename is found by OriginalFileName.
  EXPECT_EQ(info.OriginalFileName, "raw.dll");
  // A text length counted in bytes instead of characters.
  EXPECT_EQ(info.ProductName, "Counted In Bytes");
  // An empty value is empty, not the bytes of the next entry.
  EXPECT_EQ(info.Comments, "");
  // A value without its terminator ends with its recorded length.
  EXPECT_EQ(info.InternalName, "no terminator");
  EXPECT_EQ(info.FileDescription, "Description");
  EXPECT_EQ(info.FileVerEx, "3.2.1.0");
  EXPECT_EQ(info.FileFlagsEx, "Info ");
  EXPECT_EQ(info.FileOSEx, "DOS-Win32");
  EXPECT_EQ(info.FileTypeEx, "App");
}

TEST(VersionFixture, OldEightBitLayout) {
  clsFileInfo info = Read("raw_narrow.dll");
  EXPECT_EQ(info.CompanyName, "Caf\xC3\xA9 Narrow");
  EXPECT_EQ(info.OriginalFileName, "narrow.dll");
  EXPECT_EQ(info.FileVerEx, "3.2.1.0");
  EXPECT_EQ(info.FileTypeEx, "App");
}

struct LanguageCase {
  const char* fixture;
  const char* lang;  // nullptr: LANG unset
  const char* company;
};

TEST(VersionFixture, LanguageChoice) {
  const LanguageCase cases[] = {
      // Neutral wins over everything, the user's language included.
      {"langs_neutral.dll", "de_DE.UTF-8", "Neutral"},
      {"langs_neutral.dll", nullptr, "Neutral"},
      // The user's language, then one of its sub-languages, then English US.
      {"langs_user.dll", "de_DE.UTF-8", "German"},
      {"langs_user.dll", "ja_JP", "Japanese"},
      {"langs_user.dll", "fr_FR.UTF-8", "French Canada"},
      {"langs_user.dll", "fr_CA", "French Canada"},
      {"langs_user.dll", "it_IT", "English"},
      {"langs_user.dll", "C", "English"},
      {"langs_user.dll", nullptr, "English"},
      {"langs_user.dll", "", "English"},
      // No English US: English UK for an English user, else the first listed
      // (directories are sorted, so German 0x407 before French 0x40C).
      {"langs_first.dll", "C", "English UK"},
      {"langs_first.dll", "en_GB.UTF-8", "English UK"},
      {"langs_first.dll", "fr_FR", "French"},
      {"langs_first.dll", "ru_RU.KOI8-R", "German"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " LANG=" + (c.lang ? c.lang : "(unset)"));
    std::string old;
    const char* had = std::getenv("LANG");
    if (had) old = had;
    if (c.lang) {
      setenv("LANG", c.lang, 1);
    } else {
      unsetenv("LANG");
    }
    EXPECT_EQ(Read(c.fixture).CompanyName, c.company);
    if (had) {
      setenv("LANG", old.c_str(), 1);
    } else {
      unsetenv("LANG");
    }
  }
}

TEST(VersionFixture, ResourceListOfAFullImage) {
  const auto image = test::OpenImageFile(Fixture("full64.dll"));
  ASSERT_TRUE(image) << image.error().message;
  EXPECT_TRUE(image->Is64Bit());
  const auto all = image->Resources();
  ASSERT_TRUE(all && !all->damage);
  ASSERT_EQ(all->entries.size(), 3u);
  // Named types come before numbered ones in a resource directory.
  EXPECT_TRUE(all->entries[0].type.Matches(formats::ResourceId::Named("typelib")));
  EXPECT_EQ(all->entries[0].name.ToString(), "NAMEDRES");
  EXPECT_EQ(all->entries[1].type.ToString(), "#10");  // RCDATA
  EXPECT_EQ(all->entries[2].type.ToString(), "#16");
  EXPECT_EQ(all->entries[2].language, 0x409);

  const auto typelibs = image->ResourcesOfType(formats::ResourceId::Named("TYPELIB"));
  ASSERT_TRUE(typelibs && !typelibs->damage);
  ASSERT_EQ(typelibs->entries.size(), 1u);
  const auto bytes = image->ReadResource(typelibs->entries[0]);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "not really a type library");

  const auto none = image->ResourcesOfType(formats::ResourceId::Number(3));
  ASSERT_TRUE(none && !none->damage);
  EXPECT_TRUE(none->entries.empty());
}

TEST(VersionFixture, ImageWithOtherResourcesOnly) {
  const auto image = test::OpenImageFile(Fixture("noversion.dll"));
  ASSERT_TRUE(image) << image.error().message;
  const auto versions = image->ResourcesOfType(formats::ResourceId::Number(formats::kRtVersion));
  ASSERT_TRUE(versions && !versions->damage);
  EXPECT_TRUE(versions->entries.empty());
  const auto all = image->Resources();
  ASSERT_TRUE(all && !all->damage);
  EXPECT_EQ(all->entries.size(), 1u);
}

TEST(VersionFixture, FileThatCannotBeOpened) {
  test::TempDir dir;
  const auto absent = test::OpenImageFile(dir.File("absent.dll"));
  ASSERT_FALSE(absent);
  EXPECT_EQ(absent.error().kind, formats::ErrorKind::kCannotOpen);
  const auto folder = test::OpenImageFile(dir.path().string());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().kind, formats::ErrorKind::kNotRegularFile);
}

TEST(VersionFixture, FifoNamedLikeAComponentHasNoPropertiesAndIsNotWaitedOn) {
  test::TempDir dir;
  const test::ScopedFifo fifo(dir.File("x.dll"));
  clsFileInfo info;
  std::uint32_t size = 1;
  const bool ended = test::EndsWithin(
      std::chrono::seconds(5),
      [&] {
        size = platform::GetFileVersionInfoSize(fifo.path());
        info.SelectFile(fifo.path());
      },
      fifo);
  EXPECT_TRUE(ended) << "reading the version of a FIFO waited for a writer";
  EXPECT_EQ(size, 0u);
  ExpectAllEmpty(info);
  const auto image = test::OpenImageFile(fifo.path());
  ASSERT_FALSE(image);
  EXPECT_EQ(image.error().kind, formats::ErrorKind::kNotRegularFile);
}

TEST(VersionFixture, ComponentDeeperThanThePathLimitIsReadFully) {
  test::TempDir dir;
  const test::DeepFile deep(dir.path().string(), "full64.dll", test::ReadFile(Fixture("full64.dll")));
  ASSERT_GT(deep.path().size(), 6000u);
  clsFileInfo info;
  info.SelectFile(deep.path());
  ExpectFull(info);
}

}  // namespace
}  // namespace korvane
