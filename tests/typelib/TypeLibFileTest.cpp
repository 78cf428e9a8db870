// Type libraries in files: stand-alone, TYPELIB resources of PE files, the
// "file/N" form, and the port that the inspector uses.

#include <gtest/gtest.h>

#include <filesystem>

#include "SltgBuilder.h"
#include "TestFiles.h"
#include "common/VbError.h"
#include "inspection/TypeLibInfo.h"
#include "platform/TypeLibFile.h"
#include "platform/Process.h"
#include "platform/TypeLib.h"
#include "support/FailureKind.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"

namespace korvane::formats {
namespace {

using platform::ListTypeLibResources;
using platform::LocateTypeLib;
using platform::ReadTypeLibFile;
using test::MustRead;

constexpr char kSep = '/';

std::string Copy(const test::TempDir& dir, const std::string& from, const std::string& name) {
  const std::string to = dir.File(name);
  std::filesystem::copy_file(from, to);
  return to;
}

TEST(TypeLibFile, FirstResourceOfAPeFile) {
  const auto attr = MustRead(ReadTypeLibFile(KORVANE_FIXTURE_ALPHA64_DLL, kSep));
  EXPECT_EQ(attr.name, "KorvaneAlpha");
  EXPECT_EQ(attr.sysKind, kSysWin64);
  const auto attr32 = MustRead(ReadTypeLibFile(KORVANE_FIXTURE_ALPHA32_DLL, kSep));
  EXPECT_EQ(attr32.sysKind, kSysWin32);
  EXPECT_EQ(attr32.minorVersion, 10);
}

TEST(TypeLibFile, ListsEveryTypeLibResource) {
  const auto list = ListTypeLibResources(KORVANE_FIXTURE_MULTI_DLL);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ((*list)[0].id, 1);
  EXPECT_EQ((*list)[1].id, 2);
  EXPECT_EQ((*list)[2].id, 5);
  for (const auto& r : *list) {
    EXPECT_FALSE(r.isName);
    EXPECT_GT(r.size, 0x54u);
  }
  EXPECT_TRUE(ListTypeLibResources(KORVANE_FIXTURE_PLAIN_DLL)->empty());
  EXPECT_FALSE(ListTypeLibResources(KORVANE_FIXTURE_ALPHA32_TLB));
}

TEST(TypeLibFile, ResourceIdSuffixSelectsTheResource) {
  const std::string multi = KORVANE_FIXTURE_MULTI_DLL;
  EXPECT_EQ(MustRead(ReadTypeLibFile(multi, kSep)).minorVersion, 10);  // resource 1: Alpha 1.10
  const auto second = MustRead(ReadTypeLibFile(multi + "/2", kSep));
  EXPECT_EQ(second.name, "KorvaneAlpha");
  EXPECT_EQ(second.majorVersion, 2);
  EXPECT_EQ(second.minorVersion, 0);
  const auto fifth = MustRead(ReadTypeLibFile(multi + "/5", kSep));
  EXPECT_EQ(fifth.name, "KorvaneBeta");
  EXPECT_EQ(MustRead(ReadTypeLibFile(multi + "/1", kSep)).majorVersion, 1);
  EXPECT_FALSE(ReadTypeLibFile(multi + "/3", kSep));
  EXPECT_FALSE(ReadTypeLibFile(multi + "/70000", kSep));
  EXPECT_FALSE(ReadTypeLibFile(multi + "/x2", kSep));
  EXPECT_FALSE(ReadTypeLibFile(std::string(KORVANE_FIXTURE_ALPHA32_TLB) + "/1", kSep));
}

// A backslash splits "file\N" also where '/' is the separator (see below);
// a '/' splits nothing where the separator is a backslash.
TEST(TypeLibFile, SeparatorIsThePlatformsOwnOrABackslash) {
  const std::string multi = KORVANE_FIXTURE_MULTI_DLL;
  EXPECT_EQ(MustRead(ReadTypeLibFile(multi + "\\2", '\\')).majorVersion, 2);
  EXPECT_EQ(MustRead(ReadTypeLibFile(multi + "\\2", '/')).majorVersion, 2);
  EXPECT_FALSE(ReadTypeLibFile(multi + "/2", '\\'));
}

TEST(TypeLibFile, ResourceIdsOfAtMostFiveDigitsUpTo65535) {
  struct Case {
    const char* path;
    bool split;
    std::uint16_t id;
  };
  const Case cases[] = {
      {"x.dll/65534", true, 65534}, {"x.dll/65535", true, 65535}, {"x.dll/65536", false, 0},
      {"x.dll/0007", true, 7},      {"x.dll/00007", true, 7},     {"x.dll/000007", false, 0},
      {"x.dll/", false, 0},         {"x.dll/7", true, 7},
  };
  for (const auto& c : cases) {
    const TypeLibLocation where = formats::LocateTypeLib(c.path, kSep, false);
    EXPECT_EQ(where.hasResourceId, c.split) << c.path;
    EXPECT_EQ(where.resourceId, c.id) << c.path;
    EXPECT_EQ(where.file, c.split ? "x.dll" : c.path) << c.path;
  }
}

TEST(TypeLibFile, AnExistingFileIsTakenWholeEvenWhenItsNameIsDigits) {
  test::TempDir dir;
  const std::string file = Copy(dir, KORVANE_FIXTURE_BETA64_DLL, "7");
  EXPECT_EQ(LocateTypeLib(file, kSep).file, file);
  EXPECT_FALSE(LocateTypeLib(file, kSep).hasResourceId);
  EXPECT_EQ(MustRead(ReadTypeLibFile(file, kSep)).name, "KorvaneBeta");
}

// "file\N" as the registry and Windows tools write it names a resource on
// Linux too, unless a file of that whole name exists.
TEST(TypeLibFile, BackslashAndDigitsNameAResourceWhenNoFileHasTheWholeName) {
  test::TempDir dir;
  const std::string multi = Copy(dir, KORVANE_FIXTURE_MULTI_DLL, "multi.dll");
  EXPECT_EQ(MustRead(ReadTypeLibFile(multi + "\\5", kSep)).name, "KorvaneBeta");
  const auto library = platform::ReadTypeLibraryFile(multi + "\\5", kSep);
  ASSERT_TRUE(library) << library.error().message;
  EXPECT_EQ(library->attributes.name, "KorvaneBeta");
  const TypeLibLocation split = LocateTypeLib(multi + "\\5", kSep);
  EXPECT_EQ(split.file, multi);
  EXPECT_EQ(split.resourceId, 5);
#ifndef _WIN32  // where a backslash can be part of a file's name
  const std::string whole = Copy(dir, KORVANE_FIXTURE_BETA64_DLL, "beta.dll\\2");
  EXPECT_FALSE(LocateTypeLib(whole, kSep).hasResourceId);
  EXPECT_EQ(MustRead(ReadTypeLibFile(whole, kSep)).name, "KorvaneBeta");
#endif
}

TEST(TypeLibFile, DecidesByFirstBytesNotByExtension) {
  test::TempDir dir;
  EXPECT_EQ(MustRead(ReadTypeLibFile(Copy(dir, KORVANE_FIXTURE_ALPHA64_DLL, "pe.tlb"), kSep)).sysKind, kSysWin64);
  EXPECT_EQ(MustRead(ReadTypeLibFile(Copy(dir, KORVANE_FIXTURE_ALPHA32_TLB, "raw.dll"), kSep)).sysKind, kSysWin32);
  const std::string sltg = dir.File("old.ocx");
  test::WriteBytes(sltg, test::BuildSltg(test::SltgFixture{}));
  EXPECT_EQ(MustRead(ReadTypeLibFile(sltg, kSep)).format, TypeLibFormat::Sltg);
  const auto kindOf = [&](const char* content) {
    return test::FailureKind(ReadTypeLibFile(dir.Write("file.tlb", content), kSep));
  };
  EXPECT_EQ(kindOf("MSFT is not enough"), ErrorKind::kBadTypeLib);
  EXPECT_EQ(kindOf("plain words"), ErrorKind::kNotTypeLib);
  EXPECT_EQ(kindOf("MZ but nothing else"), ErrorKind::kNotPe);
  // Files shorter than a signature are sniffed by the bytes they have.
  EXPECT_EQ(kindOf(""), ErrorKind::kNotTypeLib);
  EXPECT_EQ(kindOf("M"), ErrorKind::kNotTypeLib);
  EXPECT_EQ(kindOf("MZ"), ErrorKind::kNotPe);
  EXPECT_EQ(kindOf("MSF"), ErrorKind::kNotTypeLib);
  EXPECT_EQ(kindOf("MSFT"), ErrorKind::kBadTypeLib);
}

TEST(TypeLibFile, MissingFilesAndFoldersAreErrors) {
  test::TempDir dir;
  EXPECT_FALSE(ReadTypeLibFile(dir.File("absent.dll"), kSep));
  EXPECT_FALSE(ReadTypeLibFile(dir.File("absent.dll/1"), kSep));
  EXPECT_FALSE(ReadTypeLibFile(dir.path().string(), kSep));
  EXPECT_FALSE(ReadTypeLibFile(KORVANE_FIXTURE_PLAIN_DLL, kSep));
}

TEST(TypeLibPort, AttributesInRegistryForm) {
  const auto lib = platform::TypeLibInfoFromFile(KORVANE_FIXTURE_ALPHA64_DLL).value();
  EXPECT_EQ(lib.Name(), "KorvaneAlpha");
  EXPECT_EQ(lib.HelpString(), "Korvane Alpha Library");
  EXPECT_EQ(lib.GUID(), "{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}");
  EXPECT_EQ(lib.MajorVersion(), 1);
  EXPECT_EQ(lib.MinorVersion(), 10);
  EXPECT_EQ(lib.LCID(), 0u);
  EXPECT_EQ(lib.SysKind(), platform::kSysKindWin64);
}

// The port reports the loader's failure; the inspector raises it as VbError
// with the same number and description.
TEST(TypeLibPort, NoTypeLibraryIsAFailureTheInspectorRaises) {
  for (const std::string& path : {std::string(KORVANE_FIXTURE_PLAIN_DLL), std::string("/nonexistent/korvane/x.dll")}) {
    SCOPED_TRACE(path);
    const auto read = platform::TypeLibInfoFromFile(path);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.failure().number, static_cast<long>(static_cast<std::int32_t>(0x80029C4Au)));
    EXPECT_FALSE(read.failure().description.empty());
    try {
      TypeLibInfo::TypeLibInfoFromFile(path);
      ADD_FAILURE() << "no VbError";
    } catch (const VbError& e) {
      EXPECT_EQ(e.Number(), read.failure().number);
      EXPECT_EQ(e.Source(), "TypeLibInfoFromFile");
      EXPECT_EQ(e.Description(), read.failure().description);
    }
  }
}

TEST(TypeLibPort, SameLibraryMeansGuidVersionAndLocale) {
  const auto alpha64 = platform::TypeLibInfoFromFile(KORVANE_FIXTURE_ALPHA64_DLL).value();
  const auto alpha32 = platform::TypeLibInfoFromFile(KORVANE_FIXTURE_ALPHA32_TLB).value();
  const std::string multi = KORVANE_FIXTURE_MULTI_DLL;
  const auto alpha2 = platform::TypeLibInfoFromFile(multi + platform::kPathSeparator + "2").value();
  const auto beta = platform::TypeLibInfoFromFile(KORVANE_FIXTURE_BETA64_DLL).value();
  EXPECT_TRUE(alpha64.IsSameLibrary(alpha32));  // the platform does not count
  EXPECT_TRUE(alpha32.IsSameLibrary(alpha64));
  EXPECT_FALSE(alpha64.IsSameLibrary(alpha2));  // same GUID, other version
  EXPECT_FALSE(alpha64.IsSameLibrary(beta));
  const platform::TypeLibrary otherLocale(alpha64.Name(), alpha64.HelpString(), alpha64.GUID(),
                                          alpha64.MajorVersion(), alpha64.MinorVersion(), 0x409,
                                          alpha64.SysKind(), 0);
  EXPECT_FALSE(alpha64.IsSameLibrary(otherLocale));
}

}  // namespace
}  // namespace korvane::formats

namespace korvane::formats {
namespace {

using platform::ReadTypeLibFile;
using test::MustRead;

TEST(TypeLibFile, SltgStandAloneAndAsResource) {
  for (const char* file : {KORVANE_FIXTURE_SLTG_TLB, KORVANE_FIXTURE_SLTG_DLL}) {
    const auto attr = MustRead(ReadTypeLibFile(file, '/'));
    EXPECT_EQ(attr.format, TypeLibFormat::Sltg) << file;
    EXPECT_EQ(attr.name, "KorvaneOld") << file;
    EXPECT_EQ(attr.helpString, "Korvane SLTG Library") << file;
    EXPECT_EQ(GuidToRegistryText(attr.guid), "{87654321-CBA9-0FED-1122-334455667788}") << file;
  }
  const auto lib = platform::TypeLibInfoFromFile(KORVANE_FIXTURE_SLTG_DLL).value();
  EXPECT_EQ(lib.MajorVersion(), 1);
  EXPECT_EQ(lib.MinorVersion(), 2);
  EXPECT_EQ(lib.SysKind(), platform::kSysKindWin32);
}

}  // namespace
}  // namespace korvane::formats

#ifndef _WIN32
namespace korvane::formats {
namespace {

TEST(TypeLibFile, FifoNamedLikeAComponentIsNoLibraryAndIsNotWaitedOn) {
  test::TempDir dir;
  const test::ScopedFifo fifo(dir.File("x.dll"));
  std::optional<ErrorKind> read, listed;
  bool portFailed = false;
  const bool ended = test::EndsWithin(
      std::chrono::seconds(5),
      [&] {
        read = test::FailureKind(platform::ReadTypeLibFile(fifo.path()));
        listed = test::FailureKind(platform::ListTypeLibResources(fifo.path()));
        portFailed = !platform::TypeLibInfoFromFile(fifo.path());
      },
      fifo);
  EXPECT_TRUE(ended) << "reading the type library of a FIFO waited for a writer";
  EXPECT_EQ(read, ErrorKind::kNotRegularFile);
  EXPECT_EQ(listed, ErrorKind::kNotRegularFile);
  EXPECT_TRUE(portFailed);
}

TEST(TypeLibFile, LibraryDeeperThanThePathLimitIsRead) {
  test::TempDir dir;
  const test::DeepFile deep(dir.path().string(), "multi.dll", test::ReadFile(KORVANE_FIXTURE_MULTI_DLL));
  ASSERT_GT(deep.path().size(), 6000u);
  EXPECT_FALSE(platform::LocateTypeLib(deep.path()).hasResourceId);
  EXPECT_EQ(test::MustRead(platform::ReadTypeLibFile(deep.path())).name, "KorvaneAlpha");
  EXPECT_EQ(test::MustRead(platform::ReadTypeLibFile(deep.path() + "/5")).name, "KorvaneBeta");
  const auto listed = platform::ListTypeLibResources(deep.path());
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->size(), 3u);
  EXPECT_EQ(platform::TypeLibInfoFromFile(deep.path() + "/2")->MajorVersion(), 2);
}

}  // namespace
}  // namespace korvane::formats
#endif
