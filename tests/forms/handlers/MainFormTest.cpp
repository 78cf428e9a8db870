// The main window's handlers through the form, with a recording view: files
// chosen and cancelled, the comparison, registration, the shell-verb toggle and
// its captions, the tab icons, the detail window, and one view change per fill.

#include <gtest/gtest.h>

#include <memory>

#include "KorvaneVersion.h"
#include "forms/MainForm.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "registration/clsRegistrator.h"
#include "registry/ShellVerbs.h"
#include "registry/clsRegistry.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "support/UserFolders.h"
#include "FakeMainView.h"

namespace korvane {
namespace {

using forms::FileBox;
using forms::Grid;
using test::FakeMainView;

// The command a verb key of HKEY_CLASSES_ROOT holds (empty when absent).
std::string VerbCommand(const std::string& key) {
  clsRegistry registry;
  registry.SetClassKey(kClassesRoot);
  registry.SetSectionKey(key);
  if (!registry.KeyExists()) return {};
  return RegValueToString(registry.Value());
}

std::vector<std::string> Column(const FlexGrid& grid, int col) {
  std::vector<std::string> texts;
  for (int r = 0; r < grid.Rows(); ++r) texts.push_back(grid.Cell(r, col).text);
  return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& wanted) {
  for (const auto& text : texts) {
    if (text.find(wanted) != std::string::npos) return true;
  }
  return false;
}

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    view.form = &form;
    info.Init(&form.GridModel(Grid::Info));
    comparison.Init(&form.GridModel(Grid::Comparison));
    inspector.Init(&info, &comparison);
    form.SetSharedObjects(&registrator, &inspector);
    form.SetAppPath(AppPath());
    form.Load();
  }
  std::string AppPath() const { return dir.path().string() + "/"; }
  FlexGrid& InfoGrid() { return form.GridModel(Grid::Info); }
  FlexGrid& ComparisonGrid() { return form.GridModel(Grid::Comparison); }

  test::TempDir dir;
  test::ScopedEnv store{"KORVANE_REGISTRY", dir.File("registry.db")};
  test::ScopedUserFolders folders{dir.path().string()};
  test::RecordingUserPort port;
  clsRegistrator registrator;
  clsGrid info;
  clsGrid comparison;
  clsActiveX inspector;
  FakeMainView view;
  forms::MainForm form{view};
};

TEST_F(MainFormTest, LoadSetsTheCaptionAndStartsTheButtons) {
  EXPECT_EQ(view.caption, forms::MainWindowCaption());
  EXPECT_EQ(view.caption, std::string(KORVANE_PRODUCT_NAME) + " v" + std::to_string(KORVANE_VERSION_MAJOR) +
                              "." + std::to_string(KORVANE_VERSION_MINOR) + " Build " +
                              std::to_string(KORVANE_BUILD_NUMBER));
  EXPECT_EQ(view.buttonsInitialised, 1);
  EXPECT_NE(form.Registry(), nullptr);
}

TEST_F(MainFormTest, BrowseShowsTheChosenFileAndFillsTheGridAsOneChange) {
  struct Counter final : FlexGridObserver {
    void GridChanging() override {}
    void GridChanged() override { ++changes; }
    int changes = 0;
  } counter;
  InfoGrid().SetObserver(&counter);
  view.answers.push_back(KORVANE_FIXTURE_ALPHA64_DLL);
  form.Browse();
  InfoGrid().SetObserver(nullptr);
  ASSERT_EQ(view.requests.size(), 1u);
  EXPECT_EQ(view.requests[0].filter, "All files(*.*)|*.*");
  EXPECT_EQ(view.requests[0].flags, 4);
  EXPECT_EQ(view.requests[0].fileName, "");
  EXPECT_EQ(view.FileBoxText(FileBox::File), KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_EQ(inspector.FileName(), KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_TRUE(Contains(Column(InfoGrid(), 1), "KorvaneAlpha"));
  EXPECT_GT(InfoGrid().Rows(), 10);
  EXPECT_EQ(counter.changes, 1);  // the whole fill, not one per row or cell
  EXPECT_TRUE(port.boxes.empty());
}

TEST_F(MainFormTest, CancellingAnyDialogChangesNothing) {
  view.answers.push_back(KORVANE_FIXTURE_ALPHA64_DLL);
  form.Browse();
  const auto before = Column(InfoGrid(), 0);
  for (void (forms::MainForm::*handler)() :
       {&forms::MainForm::Browse, &forms::MainForm::SelectOne, &forms::MainForm::SelectTwo}) {
    view.answers.push_back(std::nullopt);
    (form.*handler)();
  }
  EXPECT_EQ(view.requests.size(), 4u);
  EXPECT_EQ(view.FileBoxText(FileBox::File), KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_EQ(inspector.FileName(), KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_EQ(Column(InfoGrid(), 0), before);
  EXPECT_EQ(view.FileBoxText(FileBox::First), "");
  EXPECT_EQ(view.FileBoxText(FileBox::Second), "");
  EXPECT_EQ(ComparisonGrid().Rows(), 0);
}

TEST_F(MainFormTest, ComparisonRunsOnceBothFilesAreChosen) {
  view.answers.push_back(KORVANE_FIXTURE_ALPHA64_DLL);
  form.SelectOne();
  EXPECT_EQ(view.FileBoxText(FileBox::First), KORVANE_FIXTURE_ALPHA64_DLL);
  EXPECT_EQ(ComparisonGrid().Rows(), 0);
  view.answers.push_back(KORVANE_FIXTURE_BETA64_DLL);
  form.SelectTwo();
  EXPECT_EQ(view.FileBoxText(FileBox::Second), KORVANE_FIXTURE_BETA64_DLL);
  EXPECT_TRUE(Contains(Column(ComparisonGrid(), 0), "The Files Are Diferent!"));
}

TEST_F(MainFormTest, RegisterWithAnEmptyFileBoxStillRefreshes) {
  view.answers.push_back(KORVANE_FIXTURE_ALPHA64_DLL);
  form.Browse();
  InfoGrid().SetRows(0);  // so that the refresh shows
  view.SetFileBoxText(FileBox::File, "");
  form.Register();
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "No file provided!");
  // The grid shows the inspector's file again, not the empty box.
  EXPECT_TRUE(Contains(Column(InfoGrid(), 1), "KorvaneAlpha"));
}

TEST_F(MainFormTest, RegisterAndUnregisterARealComponent) {
  view.SetFileBoxText(FileBox::File, KORVANE_COMP_OK);
  form.Register();
  form.Unregister();
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[0].text, "ActiveX Component registration successful!");
  EXPECT_EQ(port.boxes[1].text, "ActiveX Component unregistration successful!");
}

TEST_F(MainFormTest, ShellVerbToggleWritesAndRemovesTheVerbs) {
  form.ToggleShellVerbs();
  EXPECT_EQ(view.shellButton, "Disable");
  EXPECT_EQ(view.shellLabel, "Extensions are Enabled. Click Disable to remove Shell Extensions");
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "Shell Extensions Enabled!");
  EXPECT_EQ(port.boxes[0].flags, 64);
  EXPECT_EQ(port.boxes[0].title, "Korvane");
  const std::string exe = AppPath() + "korvane";
  EXPECT_EQ(VerbCommand("dllfile\\shell\\Register\\command"), exe + " -r \"%1\"");
  EXPECT_EQ(VerbCommand("ocxfile\\shell\\UnRegister\\command"), exe + " -u \"%1\"");
  EXPECT_EQ(VerbCommand("exefile\\shell\\Korvane\\command"), exe + " \"%1\"");
  EXPECT_EQ(VerbCommand("Folder\\shell\\ActiveX Report\\command"), exe + " -f \"%1\"");

  form.ToggleShellVerbs();
  EXPECT_EQ(view.shellButton, "Enable");
  EXPECT_EQ(view.shellLabel, "Extensions are Disabled. Click Enable to create Shell Extensions");
  EXPECT_EQ(port.boxes.back().text, "Shell Extensions Disabled!");
  EXPECT_EQ(VerbCommand("dllfile\\shell\\Register\\command"), "");
  EXPECT_EQ(VerbCommand("Folder\\shell\\ActiveX Report\\command"), "");
}

TEST_F(MainFormTest, ToggleCaptionIsReadIgnoringCase) {
  view.shellButton = "ENABLE";
  form.ToggleShellVerbs();
  EXPECT_EQ(port.boxes.back().text, "Shell Extensions Enabled!");
  view.shellButton = "whatever";
  form.ToggleShellVerbs();
  EXPECT_EQ(port.boxes.back().text, "Shell Extensions Disabled!");
}

TEST_F(MainFormTest, ThirdTabShowsTheRegistryState) {
  const std::string designed = view.shellLabel;
  view.SetActiveTab(1);
  EXPECT_EQ(view.shellLabel, designed);  // design-time texts until the third tab shows
  view.SetActiveTab(2);
  EXPECT_EQ(view.shellButton, "Enable");
  EXPECT_EQ(view.shellLabel, "Extensions are Disabled. Click Enable to create Shell Extensions");

  // Verbs written from elsewhere (the -s switch) show on the next visit.
  clsRegistry other;
  CreateSwitchAssociations(other, "/opt/korvane");
  view.SetActiveTab(0);
  EXPECT_EQ(view.shellButton, "Enable");  // other tabs do nothing
  view.SetActiveTab(2);
  EXPECT_EQ(view.shellButton, "Disable");
  EXPECT_EQ(view.shellLabel, "Extensions are Enabled. Click Disable to remove Shell Extensions");
}

TEST(MainFormUnloaded, ToggleWithoutRegistryObjectIsReported) {
  test::TempDir dir;
  test::ScopedEnv store("KORVANE_REGISTRY", dir.File("registry.db"));
  test::RecordingUserPort port;
  FakeMainView view;
  forms::MainForm form(view);  // never loaded: no registry object
  form.ToggleShellVerbs();
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text.rfind("cmdShellEX_Click: error 91: ", 0), 0u) << port.boxes[0].text;
  // The label changes before the registry work.
  EXPECT_EQ(view.shellLabel, "Extensions are Enabled. Click Disable to remove Shell Extensions");
  EXPECT_EQ(view.shellButton, "Enable");
}

TEST_F(MainFormTest, TabIconsSelectByTheirFirstDigit) {
  struct Case {
    int index, startTab, tab;
  };
  for (const Case& c : {Case{22, 1, 1}, Case{3, 0, 2}, Case{111, 2, 0}, Case{222, 2, 1}, Case{4, 1, 1},
                        Case{0, 2, 2}, Case{-1, 1, 1}}) {
    view.tab = c.startTab;
    form.TabIconClick(c.index);
    EXPECT_EQ(view.tab, c.tab) << "icon " << c.index;
  }
  form.TabIconGotFocus(22);
  EXPECT_EQ(view.tabControlFocused, 1);
}

TEST_F(MainFormTest, DoubleClickOpensTheCellAndNothingOutsideTheRows) {
  form.GridDoubleClick(Grid::Comparison, 5, 0);  // the grid is empty
  EXPECT_TRUE(view.details.empty());
  ComparisonGrid().SetRows(2);
  ComparisonGrid().SetRow(1);
  ComparisonGrid().SetCol(1);
  ComparisonGrid().SetText("second row value");
  ComparisonGrid().SetRow(0);
  ComparisonGrid().SetCol(0);
  ComparisonGrid().SetText("first caption");
  form.GridDoubleClick(Grid::Comparison, 1, 1);
  form.GridDoubleClick(Grid::Comparison, 0, 0);
  EXPECT_EQ(view.details, (std::vector<std::string>{"second row value", "first caption"}));
  EXPECT_EQ(ComparisonGrid().Row(), 0);
}

TEST_F(MainFormTest, MissingReadmeShowsNoMessage) {
  form.OpenReadme();  // the program folder holds no readme: nothing is said
  EXPECT_TRUE(port.boxes.empty());
}

TEST_F(MainFormTest, UnloadReleasesTheRegistryThenShutsDown) {
  int shutDowns = 0;
  form.SetUnloadHandler([&] {
    EXPECT_EQ(form.Registry(), nullptr);
    ++shutDowns;
  });
  form.Unload();
  EXPECT_EQ(shutDowns, 1);
}

}  // namespace
}  // namespace korvane
