// The info grid's "Show type library..." on the Windows API, driven by
// messages: WM_CONTEXTMENU on the grid, the menus answered in place of the
// user, the IDL window's edit box read back and its Save As written.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "forms/MainLayout.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "registration/clsRegistrator.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "ui/win32/MainWindow.h"

namespace korvane {
namespace {

using namespace win32ui;

const std::string kIdl = "library KorvaneBeta\n{\n};\n";

struct MenuSeen {
  std::vector<std::string> items;
  std::vector<bool> enabled;
};

class Win32TypeLibraryItemTest : public ::testing::Test {
 protected:
  Win32TypeLibraryItemTest() {
    info.Init(&window.Form().GridModel(forms::Grid::Info));
    comparison.Init(&window.Form().GridModel(forms::Grid::Comparison));
    inspector.Init(&info, &comparison);
    window.Form().SetSharedObjects(&registrator, &inspector);
    window.Form().Load();
    window.TypeLibraries().SetIdlSource([this](const std::string& path) -> formats::Expected<std::string> {
      asked.push_back(path);
      return kIdl;
    });
    window.TypeLibraries().SetMenuChooser(
        [this](const std::vector<std::string>& items, const std::vector<bool>& enabled) -> std::optional<std::size_t> {
          menus.push_back({items, enabled});
          if (answers.empty()) return std::nullopt;
          const std::size_t answer = answers.front();
          answers.erase(answers.begin());
          return answer;
        });
  }
  ~Win32TypeLibraryItemTest() override { SetIdlSaveChooser(nullptr); }

  void Inspect(const std::string& file) {
    window.SetChooser([file](const forms::FileDialogRequest&) -> std::optional<std::string> { return file; });
    SendMessageW(window.Control(forms::kIdCmdBrowse), BM_CLICK, 0, 0);
  }
  void RightClickGrid() {
    HWND grid = window.Control(forms::kIdGridInfo);
    SendMessageW(window.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid), MAKELPARAM(20, 20));
  }

  test::RecordingUserPort port;
  clsRegistrator registrator;
  clsGrid info;
  clsGrid comparison;
  clsActiveX inspector;
  MainWindow window;
  std::vector<std::string> asked;
  std::vector<MenuSeen> menus;
  std::vector<std::size_t> answers;
};

TEST_F(Win32TypeLibraryItemTest, ChosenLibraryOpensInAWindowThatSaves) {
  const std::string multi = KORVANE_FIXTURE_MULTI_DLL;
  Inspect(multi);
  answers = {0, 2};  // the item, then the third library
  RightClickGrid();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].items, std::vector<std::string>{"Show type library..."});
  EXPECT_EQ(menus[0].enabled, std::vector<bool>{true});
  EXPECT_EQ(menus[1].items,
            (std::vector<std::string>{"1: KorvaneAlpha 1.10", "2: KorvaneAlpha 2.0", "5: KorvaneBeta 3.2"}));
  EXPECT_EQ(asked, std::vector<std::string>{multi + "\\5"});
  HWND idl = window.TypeLibraries().LastWindow();
  ASSERT_NE(idl, nullptr);
  EXPECT_EQ(TextOf(idl), "multi.dll\\5 - KorvaneBeta");
  EXPECT_EQ(TextOf(GetDlgItem(idl, kIdlTextId)), "library KorvaneBeta\r\n{\r\n};\r\n");

  test::TempDir dir;
  const std::string saved = dir.File("KorvaneBeta.idl");
  std::string suggested;
  SetIdlSaveChooser([&](const std::string& name) -> std::optional<std::string> {
    suggested = name;
    return saved;
  });
  SendMessageW(idl, WM_COMMAND, kIdlSaveAsCommand, 0);
  EXPECT_EQ(suggested, "KorvaneBeta.idl");
  std::ifstream in(saved, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kIdl);
  EXPECT_TRUE(port.boxes.empty());
  DestroyWindow(idl);
}

TEST_F(Win32TypeLibraryItemTest, ItemIsGreyedForAFileWithoutALibrary) {
  Inspect(KORVANE_FIXTURE_PLAIN_DLL);
  answers = {0};
  RightClickGrid();
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].enabled, std::vector<bool>{false});
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(window.TypeLibraries().LastWindow(), nullptr);
}

}  // namespace
}  // namespace korvane
