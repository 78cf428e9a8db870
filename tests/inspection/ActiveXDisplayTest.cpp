// DisplayInfo: the rows of a file's type library, its registration state and
// its version resource, checked row by row against the real registry store.

#include <gtest/gtest.h>

#include "GridRows.h"
#include "RegistryFixture.h"
#include "common/VbError.h"
#include "inspection/clsActiveX.h"
#include "platform/Process.h"

namespace korvane {
namespace {

using test::FreshRegistry;
using test::GridRow;
using test::HeaderColours;
using test::RowsOf;
using Rows = std::vector<GridRow>;

constexpr const char* kAlpha = "{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}";
constexpr const char* kBeta = "{0F3C2A10-9B8E-4D7C-A6B5-C4D3E2F1A0B9}";
const GridRow kAlphaName{"TypeLib Name:", "KorvaneAlpha (Korvane Alpha Library)", false};
const GridRow kAlphaGuid{"GUID:", kAlpha, false};
const GridRow kAlphaVersion{"Version:", "1.10", false};

class DisplayInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    info.Init(&grid);
    comparison.Init(&compGrid);
    inspector.Init(&info, &comparison);
  }

  Rows Show(const std::string& file) {
    inspector.SetFileName(file);
    inspector.DisplayInfo();
    return RowsOf(grid);
  }

  // The rows up to (not including) "File Info".
  Rows LibraryPart(const std::string& file) {
    Rows rows = Show(file);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].caption == "File Info") return Rows(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(i));
    }
    ADD_FAILURE() << "no File Info row";
    return rows;
  }

  FreshRegistry registry;
  FlexGrid grid, compGrid;
  clsGrid info, comparison;
  clsActiveX inspector;
};

TEST_F(DisplayInfoTest, FileInformationRowsWithExactCaptions) {
  const Rows rows = Show(KORVANE_FIXTURE_ALPHA64_DLL);
  ASSERT_EQ(rows.size(), 5u + 18);
  const Rows fileInfo(rows.begin() + 5, rows.end());
  const Rows expected = {
      {"File Info", "", true},
      {"CompanyName: ", "Korvane Test Components", false},
      {"FileDescription: ", "Type library fixture", false},
      {"InternalName: ", "fixture", false},
      {"LegalCopyright: ", "none", false},
      {"LegalTrademarks: ", "", false},
      {"OriginalFileName: ", "fixture.dll", false},
      {"ProductName: ", "Korvane fixtures", false},
      {"ProductVersion: ", "1.2", false},
      {"Comments: ", "", false},
      {"Extended File Info", "", true},
      {"Type: ", "DLL", false},
      {"SubType: ", "", false},
      {"Version: ", "1.2.3.4", false},
      {"Product Version: ", "1.2.0.0", false},
      {"OS: ", "NT-Win32", false},
      {"Structure Version: ", "1.0", false},
      {"Flags: ", "", false},
  };
  EXPECT_EQ(fileInfo, expected);
}

TEST_F(DisplayInfoTest, FileWithoutTypeLibraryStartsWithFileInfo) {
  const Rows rows = Show(KORVANE_FIXTURE_PLAIN_DLL);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows.front(), (GridRow{"File Info", "", true}));
  EXPECT_EQ(rows[10], (GridRow{"Extended File Info", "", true}));
  EXPECT_EQ(HeaderColours(grid), (std::vector<OleColor>{kDesktopColor, kHeaderOrange}));
}

TEST_F(DisplayInfoTest, MissingFileStillShowsEmptyFileInformation) {
  const Rows rows = Show("/nonexistent/korvane/none.dll");
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows[0].caption, "File Info");
  for (const auto& row : rows) EXPECT_EQ(row.text, "") << row;
}

TEST_F(DisplayInfoTest, UnknownLibraryIsNotRegisteredAndListsNoVersions) {
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL),
            (Rows{{"TypeLib Info", "", true}, kAlphaName, kAlphaGuid, kAlphaVersion, {"Registered", "No", false}}));
  EXPECT_EQ(HeaderColours(grid), (std::vector<OleColor>{kDesktopColor, kHeaderOrange, kDesktopColor}));
}

TEST_F(DisplayInfoTest, RegisteredAloneShowsItsPath) {
  FreshRegistry::Version(kAlpha, "1.a", "Korvane Alpha Library");
  FreshRegistry::Path(kAlpha, "1.a", "0\\win64", "C:\\alpha.dll");
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL),
            (Rows{{"TypeLib Info", "", true}, kAlphaName, kAlphaGuid, kAlphaVersion,
                  {"Registered", "Yes", false}, {"Path: ", "C:\\alpha.dll", false}}));
  EXPECT_EQ(HeaderColours(grid), (std::vector<OleColor>{kDesktopColor, kHeaderOrange, kDesktopColor}));
}

TEST_F(DisplayInfoTest, VersionKeyIsLowerCaseHex) {
  // 1.10 is registered as 1.a; a key written in decimal does not count.
  FreshRegistry::Version(kAlpha, "1.10", "decimal key");
  const Rows rows = LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL);
  ASSERT_GE(rows.size(), 7u);
  EXPECT_EQ(rows[4], (GridRow{"Registered", "No", false}));
  EXPECT_EQ(rows[5], (GridRow{"Other Versions Found!", "", true}));
  EXPECT_EQ(rows[7], (GridRow{"Version:", "1.10", false}));
}

TEST_F(DisplayInfoTest, OtherRegisteredVersionsFollowInEnumerationOrder) {
  FreshRegistry::Version(kAlpha, "2.0", "Alpha two");
  FreshRegistry::Path(kAlpha, "2.0", "0\\win64", "/lib/alpha2.dll");
  FreshRegistry::Version(kAlpha, "1.a", "Alpha one");
  FreshRegistry::Path(kAlpha, "1.a", "0\\win64", "/lib/alpha1.dll");
  FreshRegistry::Version(kAlpha, "10.0", "Alpha ten");
  FreshRegistry::Path(kAlpha, "10.0", "0\\win64", "/lib/alpha10.dll");
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL),
            (Rows{{"TypeLib Info", "", true}, kAlphaName, kAlphaGuid, kAlphaVersion,
                  {"Registered", "Yes", false}, {"Path: ", "/lib/alpha1.dll", false},
                  {"Other Versions Found!", "", true},
                  {"TypeLib Name:", "Alpha ten", false}, {"Version:", "10.0", false},
                  {"Path: ", "/lib/alpha10.dll", false},
                  {"TypeLib Name:", "Alpha two", false}, {"Version:", "2.0", false},
                  {"Path: ", "/lib/alpha2.dll", false}}));
  // The extra header shifts the colours of the ones after it.
  EXPECT_EQ(HeaderColours(grid),
            (std::vector<OleColor>{kDesktopColor, kHeaderOrange, kDesktopColor, kHeaderOrange}));
}

TEST_F(DisplayInfoTest, KnownLibraryWithoutThisVersion) {
  FreshRegistry::Version(kAlpha, "2.0", "Alpha two");
  FreshRegistry::Path(kAlpha, "2.0", "0\\win32", "/lib/alpha2.dll");
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL),
            (Rows{{"TypeLib Info", "", true}, kAlphaName, kAlphaGuid, kAlphaVersion,
                  {"Registered", "No", false}, {"Other Versions Found!", "", true},
                  {"TypeLib Name:", "Alpha two", false}, {"Version:", "2.0", false},
                  {"Path: ", "/lib/alpha2.dll", false}}));
}

TEST_F(DisplayInfoTest, KnownLibraryWithNoVersionsAtAllShowsAnEmptyOtherVersionsSection) {
  FreshRegistry::Key(std::string("TypeLib\\") + kAlpha);
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL),
            (Rows{{"TypeLib Info", "", true}, kAlphaName, kAlphaGuid, kAlphaVersion,
                  {"Registered", "No", false}, {"Other Versions Found!", "", true}}));
}

TEST_F(DisplayInfoTest, RegisteredVersionWithoutPlatformKeyHasAnEmptyPath) {
  FreshRegistry::Version(kAlpha, "1.a", "Alpha");
  FreshRegistry::Key(std::string("TypeLib\\") + kAlpha + "\\1.a\\FLAGS", "0");
  const Rows rows = LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[5], (GridRow{"Path: ", "", false}));
}

TEST_F(DisplayInfoTest, VersionKeyInOtherLetterCaseIsAlsoListedAsOtherVersion) {
  // The registry finds 1.A for 1.a, but the listing compares the exact text.
  FreshRegistry::Version(kAlpha, "1.A", "upper");
  FreshRegistry::Path(kAlpha, "1.A", "0\\win64", "/upper.dll");
  FreshRegistry::Version(kAlpha, "2.0", "two");
  const Rows rows = LibraryPart(KORVANE_FIXTURE_ALPHA64_DLL);
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[4], (GridRow{"Registered", "Yes", false}));
  EXPECT_EQ(rows[5], (GridRow{"Path: ", "/upper.dll", false}));
  EXPECT_EQ(rows[8], (GridRow{"Version:", "1.A", false}));
  EXPECT_EQ(rows[11], (GridRow{"Version:", "2.0", false}));
}

TEST_F(DisplayInfoTest, PathLookupPrefersOwnLocaleThenOwnPlatform) {
  // Beta is a win64 library with locale 409.
  struct Case {
    std::vector<const char*> keys;  // locale\platform keys present, each with its own name as path
    const char* expected;
  };
  const Case cases[] = {
      {{"0\\win32", "0\\win64", "409\\win32", "409\\win64"}, "409\\win64"},
      {{"0\\win32", "0\\win64", "409\\win32"}, "409\\win32"},
      {{"0\\win32", "0\\win64"}, "0\\win64"},
      {{"0\\win32"}, "0\\win32"},
      {{"407\\win64"}, ""},
  };
  for (const auto& c : cases) {
    FreshRegistry fresh;
    FreshRegistry::Version(kBeta, "3.2", "Beta");
    for (const char* key : c.keys) FreshRegistry::Path(kBeta, "3.2", key, key);
    const Rows rows = LibraryPart(KORVANE_FIXTURE_BETA64_DLL);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1], (GridRow{"TypeLib Name:", "KorvaneBeta ()", false}));
    EXPECT_EQ(rows[5], (GridRow{"Path: ", c.expected, false})) << c.keys.size() << " keys";
  }
}

TEST_F(DisplayInfoTest, Win32LibraryPrefersWin32AndOtherVersionsUseTheSameLookup) {
  FreshRegistry::Version(kAlpha, "1.a", "one");
  FreshRegistry::Path(kAlpha, "1.a", "0\\win64", "/one64.dll");
  FreshRegistry::Path(kAlpha, "1.a", "0\\win32", "/one32.dll");
  FreshRegistry::Version(kAlpha, "2.0", "two");
  FreshRegistry::Path(kAlpha, "2.0", "0\\win64", "/two64.dll");
  const Rows rows = LibraryPart(KORVANE_FIXTURE_ALPHA32_DLL);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[5], (GridRow{"Path: ", "/one32.dll", false}));
  EXPECT_EQ(rows[9], (GridRow{"Path: ", "/two64.dll", false}));
}

TEST_F(DisplayInfoTest, ResourceSuffixAndRepeatedDisplayRebuildTheGrid) {
  const std::string second = std::string(KORVANE_FIXTURE_MULTI_DLL) + platform::kPathSeparator + "2";
  const Rows first = LibraryPart(second);
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[1], (GridRow{"TypeLib Name:", "KorvaneAlpha (Korvane Alpha Library 2)", false}));
  EXPECT_EQ(first[3], (GridRow{"Version:", "2.0", false}));
  const Rows again = Show(second);
  EXPECT_EQ(again.size(), 5u + 18u);  // rebuilt, not appended
}

TEST_F(DisplayInfoTest, OlderFormatLibraryInAPeFile) {
  FreshRegistry::Version("{87654321-CBA9-0FED-1122-334455667788}", "1.2", "Old");
  FreshRegistry::Path("{87654321-CBA9-0FED-1122-334455667788}", "1.2", "0\\win32", "/old.dll");
  EXPECT_EQ(LibraryPart(KORVANE_FIXTURE_SLTG_DLL),
            (Rows{{"TypeLib Info", "", true},
                  {"TypeLib Name:", "KorvaneOld (Korvane SLTG Library)", false},
                  {"GUID:", "{87654321-CBA9-0FED-1122-334455667788}", false},
                  {"Version:", "1.2", false},
                  {"Registered", "Yes", false},
                  {"Path: ", "/old.dll", false}}));
}

// An unreadable registry is no "not registered": the registration part fails
// as a failing registry read does, and the inspector keeps the reason.
TEST_F(DisplayInfoTest, AnUnreadableRegistryShowsNoRegistrationAndKeepsTheReason) {
  const test::TempDir dir;
  const std::string junk = dir.Write("junk.db", std::string(4096, 'x'));
  {
    test::ScopedEnv env("KORVANE_REGISTRY", junk);
    const Rows rows = Show(KORVANE_FIXTURE_ALPHA64_DLL);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), (GridRow{"File Info", "", true}));
    for (const auto& row : rows) EXPECT_NE(row.caption, "Registered") << row;
    ASSERT_TRUE(inspector.RegistryFailure().has_value());
    EXPECT_NE(inspector.RegistryFailure()->Description().find(junk), std::string::npos);
  }
  Show(KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_FALSE(inspector.RegistryFailure().has_value()) << "each display starts afresh";
}

TEST(ActiveXWithoutGrid, DisplayInfoWithoutAGridReachesTheCaller) {
  clsActiveX inspector;
  inspector.SetFileName(KORVANE_FIXTURE_PLAIN_DLL);
  EXPECT_THROW(inspector.DisplayInfo(), VbError);
}

}  // namespace
}  // namespace korvane
