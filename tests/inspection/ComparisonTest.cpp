// DoComparison: the verdict and both libraries' blocks, the message row for a
// file without a type library, and the box when a file is missing.

#include <gtest/gtest.h>

#include "GridRows.h"
#include "RegistryFixture.h"
#include "inspection/clsActiveX.h"
#include "platform/Process.h"
#include "support/RecordingUserPort.h"

namespace korvane {
namespace {

using test::FreshRegistry;
using test::GridRow;
using test::HeaderColours;
using test::RowsOf;
using Rows = std::vector<GridRow>;

constexpr const char* kAlpha = "{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}";
constexpr const char* kBeta = "{0F3C2A10-9B8E-4D7C-A6B5-C4D3E2F1A0B9}";

Rows Block(const char* title, const std::string& name, const std::string& guid, const std::string& version,
           const std::string* path) {
  Rows rows = {{title, "", true}, {"TypeLib Name:", name, false}, {"GUID:", guid, false},
               {"Version:", version, false}, {"Registered", path ? "Yes" : "No", false}};
  if (path) rows.push_back({"Registered Path:", *path, false});
  return rows;
}

Rows Concat(std::initializer_list<Rows> parts) {
  Rows all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class ComparisonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    info.Init(&grid);
    comparison.Init(&compGrid);
    inspector.Init(&info, &comparison);
  }

  Rows Compare(const std::string& first, const std::string& second) {
    inspector.SetFirstFilename(first);
    inspector.SetSecondFilename(second);
    inspector.DoComparison();
    return RowsOf(compGrid);
  }

  FreshRegistry registry;
  test::RecordingUserPort user;
  FlexGrid grid, compGrid;
  clsGrid info, comparison;
  clsActiveX inspector;
};

TEST_F(ComparisonTest, SameFileTwiceIsIdentical) {
  const Rows alpha = Block("", "KorvaneAlpha (Korvane Alpha Library)", kAlpha, "1.10", nullptr);
  Rows first = alpha, second = alpha;
  first[0].caption = "First File TypeLib Info";
  second[0].caption = "Second File TypeLib Info";
  EXPECT_EQ(Compare(KORVANE_FIXTURE_ALPHA64_DLL, KORVANE_FIXTURE_ALPHA64_DLL),
            Concat({{{"Comparison Result", "", true}, {"The Files Are Identically!", "", false}}, first, second}));
  EXPECT_EQ(HeaderColours(compGrid), (std::vector<OleColor>{kDesktopColor, kHeaderOrange, kDesktopColor}));
  EXPECT_TRUE(user.boxes.empty());
}

TEST_F(ComparisonTest, RegisteredFirstAndUnregisteredOtherVersionAreDifferent) {
  FreshRegistry::Version(kAlpha, "1.a", "Alpha");
  FreshRegistry::Path(kAlpha, "1.a", "0\\win64", "/lib/alpha.dll");
  const std::string path = "/lib/alpha.dll";
  const std::string multi2 = std::string(KORVANE_FIXTURE_MULTI_DLL) + platform::kPathSeparator + "2";
  EXPECT_EQ(Compare(KORVANE_FIXTURE_ALPHA64_DLL, multi2),
            Concat({{{"Comparison Result", "", true}, {"The Files Are Diferent!", "", false}},
                    Block("First File TypeLib Info", "KorvaneAlpha (Korvane Alpha Library)", kAlpha, "1.10", &path),
                    Block("Second File TypeLib Info", "KorvaneAlpha (Korvane Alpha Library 2)", kAlpha, "2.0",
                          nullptr)}));
}

TEST_F(ComparisonTest, RegisteredWithoutPathKeyShowsEmptyPath) {
  FreshRegistry::Version(kBeta, "3.2", "Beta");
  const std::string empty;
  const Rows rows = Compare(KORVANE_FIXTURE_ALPHA32_TLB, KORVANE_FIXTURE_BETA64_DLL);
  EXPECT_EQ(rows, Concat({{{"Comparison Result", "", true}, {"The Files Are Diferent!", "", false}},
                          Block("First File TypeLib Info", "KorvaneAlpha (Korvane Alpha Library)", kAlpha,
                                "1.10", nullptr),
                          Block("Second File TypeLib Info", "KorvaneBeta ()", kBeta, "3.2", &empty)}));
}

TEST_F(ComparisonTest, SameLibraryForAnotherPlatformIsIdentical) {
  const Rows rows = Compare(KORVANE_FIXTURE_ALPHA32_TLB, KORVANE_FIXTURE_ALPHA64_DLL);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[1].caption, "The Files Are Identically!");
}

TEST_F(ComparisonTest, OlderFormatStandAloneAndEmbeddedAreIdentical) {
  const Rows rows = Compare(KORVANE_FIXTURE_SLTG_TLB, KORVANE_FIXTURE_SLTG_DLL);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[1].caption, "The Files Are Identically!");
  EXPECT_EQ(rows[3], (GridRow{"TypeLib Name:", "KorvaneOld (Korvane SLTG Library)", false}));
}

TEST_F(ComparisonTest, FileWithoutTypeLibraryGivesOnlyTheMessageRow) {
  const char* kMessage = "One of the selected files are not a valid ActiveX files!";
  for (const auto& [first, second] : {std::pair<std::string, std::string>{KORVANE_FIXTURE_ALPHA64_DLL,
                                                                          KORVANE_FIXTURE_PLAIN_DLL},
                                      {KORVANE_FIXTURE_PLAIN_DLL, KORVANE_FIXTURE_ALPHA64_DLL},
                                      {"/nonexistent/a.dll", KORVANE_FIXTURE_ALPHA64_DLL}}) {
    EXPECT_EQ(Compare(first, second), (Rows{{kMessage, "", false}})) << first << " / " << second;
    EXPECT_EQ(compGrid.RowKind(0), GridRowKind::Message);
    EXPECT_EQ(compGrid.Cell(0, 0).backColor, kDesktopColor);
    EXPECT_EQ(compGrid.ColWidth(0), 20000);
  }
  EXPECT_TRUE(user.boxes.empty());
}

TEST_F(ComparisonTest, MissingPathShowsTheBoxAndLeavesTheGrid) {
  comparison.AddRow("earlier", "row", false);
  inspector.SetFirstFilename(KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_FALSE(inspector.BothSelected());
  inspector.DoComparison();
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].text, "You must select two files!");
  EXPECT_EQ(user.boxes[0].flags, kMbOkOnly + kMbIconWarning);
  EXPECT_EQ(user.boxes[0].title, "Korvane");
  EXPECT_EQ(RowsOf(compGrid), (Rows{{"earlier", "row", false}}));
}

TEST_F(ComparisonTest, BothSelectedOnceEitherIsWrittenAfterTheOther) {
  EXPECT_FALSE(inspector.BothSelected());
  inspector.SetSecondFilename(KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_FALSE(inspector.BothSelected());
  inspector.SetSecondFilename(KORVANE_FIXTURE_BETA64_DLL);  // again: the first is still empty
  EXPECT_FALSE(inspector.BothSelected());
  inspector.SetFirstFilename(KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_TRUE(inspector.BothSelected());
  inspector.DoComparison();
  EXPECT_EQ(RowsOf(compGrid)[1].caption, "The Files Are Diferent!");
  // Choosing the second file again keeps the flag and compares anew.
  inspector.SetSecondFilename(KORVANE_FIXTURE_ALPHA32_DLL);
  EXPECT_TRUE(inspector.BothSelected());
  inspector.DoComparison();
  EXPECT_EQ(RowsOf(compGrid)[1].caption, "The Files Are Identically!");
  // Emptying a path does not take the flag back, but the comparison refuses.
  inspector.SetFirstFilename("");
  EXPECT_TRUE(inspector.BothSelected());
  inspector.DoComparison();
  EXPECT_EQ(user.boxes.size(), 1u);
}

TEST(ComparisonWithoutGrid, FailingClearIsReportedThroughShowError) {
  test::RecordingUserPort user;
  clsActiveX inspector;  // never given its grids
  inspector.SetFirstFilename(KORVANE_FIXTURE_ALPHA64_DLL);
  inspector.SetSecondFilename(KORVANE_FIXTURE_ALPHA64_DLL);
  inspector.DoComparison();
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].text.rfind("DoComparison - clsActiveX: error ", 0), 0u) << user.boxes[0].text;
}

}  // namespace
}  // namespace korvane
