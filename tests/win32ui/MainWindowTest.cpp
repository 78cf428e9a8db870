// The main window on the Windows API, driven by messages as a user's clicks
// would be: controls found by id at their designed places, a file chosen,
// the grid read back row by row from the list view, tabs switched by their
// icons, and a capture of each tab checked for its size and colours.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "PngFile.h"
#include "WindowCapture.h"
#include "forms/MainLayout.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "registration/clsRegistrator.h"
#include "support/RecordingUserPort.h"
#include "ui/win32/DisplayWindow.h"
#include "ui/win32/MainWindow.h"

namespace korvane {
namespace {

using namespace win32ui;
using test::Capture;
using test::CaptureClient;
using test::PlaceOf;
using test::Pump;

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return Narrow(name);
}

std::string ItemText(HWND list, int row, int col) {
  wchar_t buffer[1024] = {};
  LVITEMW item{};
  item.iSubItem = col;
  item.pszText = buffer;
  item.cchTextMax = 1024;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return Narrow(buffer);
}

// Whether a control is shown on its window (the window itself may be hidden).
bool Shown(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

// A GDI colour as 0xRRGGBB.
std::uint32_t RgbOf(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A system colour changed for one test and put back after it.
class SystemColourForTheTest {
 public:
  SystemColourForTheTest(int element, COLORREF colour) : element_(element), saved_(GetSysColor(element)) {
    SetSysColors(1, &element_, &colour);
  }
  ~SystemColourForTheTest() { SetSysColors(1, &element_, &saved_); }
  SystemColourForTheTest(const SystemColourForTheTest&) = delete;
  SystemColourForTheTest& operator=(const SystemColourForTheTest&) = delete;

 private:
  int element_;
  COLORREF saved_;
};

// A point of a picture (in its control) and the colour the art has there.
struct ArtPoint {
  int tab;
  int id;
  int x, y;
  std::uint32_t rgb;
};
constexpr std::uint32_t kArtAmber = 0xF8B330;
constexpr std::uint32_t kArtInk = 0x003C74;
constexpr ArtPoint kArtPoints[] = {
    {0, forms::kIdTabIconBase + 1, 37, 37, kArtAmber},
    {0, forms::kIdTabIconBase + 2, 20, 37, kArtAmber},
    {0, forms::kIdTabIconBase + 3, 6, 22, kArtInk},
    {2, forms::kIdPicture1, 34, 44, kArtAmber},
};

class Win32MainWindowTest : public ::testing::Test {
 protected:
  Win32MainWindowTest() {
    info.Init(&window.Form().GridModel(forms::Grid::Info));
    comparison.Init(&window.Form().GridModel(forms::Grid::Comparison));
    inspector.Init(&info, &comparison);
    window.Form().SetSharedObjects(&registrator, &inspector);
    window.SetChooser([this](const forms::FileDialogRequest& request) -> std::optional<std::string> {
      ++dialogs;
      EXPECT_EQ(request.filter, "All files(*.*)|*.*");
      if (answers.empty()) return std::nullopt;
      auto answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    });
    window.SetDetailShower([this](const std::string& text) { details.push_back(text); });
    window.Form().Load();
  }
  void Click(int id) { SendMessageW(window.Control(id), BM_CLICK, 0, 0); }
  HWND Grid(int id) { return window.Control(id); }

  test::RecordingUserPort port;
  clsRegistrator registrator;
  clsGrid info;
  clsGrid comparison;
  clsActiveX inspector;
  MainWindow window;
  std::vector<std::optional<std::string>> answers;
  std::vector<std::string> details;
  int dialogs = 0;
};

TEST_F(Win32MainWindowTest, ControlsSitAtTheirDesignedPlacesWithTheirIds) {
  ASSERT_NE(window.Window(), nullptr);
  RECT client;
  GetClientRect(window.Window(), &client);
  EXPECT_EQ(client.right, Px(forms::kClientWidth));
  EXPECT_EQ(client.bottom, Px(forms::kClientHeight));
  EXPECT_EQ(TextOf(window.Window()).rfind("Korvane v", 0), 0u) << TextOf(window.Window());
  for (const forms::ControlPlace& place : forms::MainWindowControls()) {
    HWND control = window.Control(place.id);
    ASSERT_NE(control, nullptr) << place.name;
    const std::string expectedClass = place.kind == forms::ControlKind::Button   ? "Korvane.Command"
                                      : place.kind == forms::ControlKind::Grid   ? "SysListView32"
                                      : place.kind == forms::ControlKind::TextBox ? "Edit"
                                      : place.kind == forms::ControlKind::Frame  ? "Button"
                                                                                 : "Static";
    EXPECT_EQ(ClassOf(control), expectedClass) << place.name;
    const RECT r = PlaceOf(control);
    EXPECT_EQ(r.right - r.left, Px(place.left + place.width) - Px(place.left)) << place.name;
    EXPECT_EQ(Shown(control), place.tab == 0) << place.name;
  }
  EXPECT_EQ(TextOf(window.Control(forms::kIdCmdReg)), "Register ActiveX");
  for (int grid : {forms::kIdGridInfo, forms::kIdGridComparison}) {
    wchar_t hint[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window.Window();
    tool.uId = reinterpret_cast<UINT_PTR>(window.Control(grid));
    tool.lpszText = hint;
    SendMessageW(window.Tooltip(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(Narrow(hint), "Double Click for more info") << grid;
  }
  for (const forms::TabIconPlace& icon : forms::TabIcons()) {
    EXPECT_NE(window.Control(forms::kIdTabIconBase + icon.index), nullptr) << icon.index;
  }
}

// Each one-line caption fits its control in the font the control is drawn
// with: a stand-in font of other widths (Wine without MS Sans Serif) cuts
// "Select File:" and wraps "Unregister ActiveX".
TEST_F(Win32MainWindowTest, CaptionsFitTheirControlsInTheFontInUse) {
  EXPECT_STREQ(ButtonFace(), L"MS Sans Serif");  // at 96 dpi, as the Wine tests run
  EXPECT_STREQ(GridFace(), L"Tahoma");
  HDC dc = GetDC(window.Window());
  HGDIOBJ old = SelectObject(dc, ButtonFont());
  for (const forms::ControlPlace& place : forms::MainWindowControls()) {
    const bool oneLine = place.kind == forms::ControlKind::Button ||
                         (place.kind == forms::ControlKind::Label && place.id != forms::kIdLabel2);
    if (!oneLine) continue;
    const std::wstring text = Wide(TextOf(window.Control(place.id)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const RECT r = PlaceOf(window.Control(place.id));
    EXPECT_LE(size.cx, r.right - r.left) << place.name;
    EXPECT_LE(size.cy, r.bottom - r.top) << place.name;
  }
  SelectObject(dc, old);
  ReleaseDC(window.Window(), dc);
}

TEST_F(Win32MainWindowTest, BrowseByMessageFillsTheListRowByRow) {
  answers.push_back(std::nullopt);  // cancelled: nothing changes
  Click(forms::kIdCmdBrowse);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(TextOf(window.Control(forms::kIdTxtFile)), "");
  answers.push_back(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
  Click(forms::kIdCmdBrowse);
  EXPECT_EQ(TextOf(window.Control(forms::kIdTxtFile)), KORVANE_FIXTURE_ALPHA64_DLL);
  const FlexGrid& model = window.Form().GridModel(forms::Grid::Info);
  HWND list = Grid(forms::kIdGridInfo);
  ASSERT_GT(model.Rows(), 10);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), model.Rows());
  for (int row = 0; row < model.Rows(); ++row) {
    EXPECT_EQ(ItemText(list, row, 0), model.Cell(row, 0).text) << row;
    EXPECT_EQ(ItemText(list, row, 1), model.Cell(row, 1).text) << row;
  }
  EXPECT_EQ(model.RowKind(0), GridRowKind::Header);
  EXPECT_EQ(ItemText(list, 0, 0), "TypeLib Info");
  EXPECT_EQ(ItemText(list, 1, 0), "TypeLib Name:");
  EXPECT_EQ(ItemText(list, 1, 1), "KorvaneAlpha (Korvane Alpha Library)");
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), Px(2000));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), Px(4200));
  EXPECT_TRUE(port.boxes.empty());
}

TEST_F(Win32MainWindowTest, TabIconsSwitchTabsAndTheThirdShowsTheVerbState) {
  const int iconId = forms::kIdTabIconBase + 3;
  SendMessageW(window.Window(), WM_COMMAND, MAKEWPARAM(iconId, STN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(iconId)));
  EXPECT_EQ(window.ActiveTab(), 2);
  EXPECT_TRUE(Shown(window.Control(forms::kIdCmdShellEX)));
  EXPECT_FALSE(Shown(window.Control(forms::kIdCmdReg)));
  const std::string label = TextOf(window.Control(forms::kIdLblShell));
  EXPECT_EQ(label.rfind("Extensions are ", 0), 0u) << label;  // no longer the design-time text
  window.SetActiveTab(1);
  EXPECT_TRUE(Shown(window.Control(forms::kIdGridComparison)));
  // The tab control itself: a press on the first header, then the right arrow.
  HWND tabs = window.Control(forms::kIdTab);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
  EXPECT_EQ(window.ActiveTab(), 0);
  EXPECT_TRUE(Shown(window.Control(forms::kIdCmdReg)));
  SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(window.ActiveTab(), 1);
  EXPECT_FALSE(Shown(window.Control(forms::kIdCmdReg)));
}

TEST_F(Win32MainWindowTest, CapturesOfEachTabShowHeaderMessageAndButtonColours) {
  answers.push_back(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
  Click(forms::kIdCmdBrowse);
  answers.push_back(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
  Click(forms::kIdCmdSelectOne);
  answers.push_back(std::string(KORVANE_FIXTURE_PLAIN_DLL));
  Click(forms::kIdCmdSelectTwo);  // no type library: the message row
  ASSERT_EQ(window.Form().GridModel(forms::Grid::Comparison).RowKind(0), GridRowKind::Message);
  ShowWindow(window.Window(), SW_SHOW);
  std::filesystem::create_directories(KORVANE_SCREENSHOT_DIR);
  std::filesystem::create_directories(KORVANE_SIDE_BY_SIDE_DIR);
  const std::uint32_t desktopBlue = RgbOf(GetSysColor(COLOR_BACKGROUND));
  for (int tab = 0; tab < 3; ++tab) {
    window.SetActiveTab(tab);
    RedrawWindow(window.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    const Capture capture = CaptureClient(window.Window());
    EXPECT_EQ(capture.width, Px(forms::kClientWidth));
    EXPECT_EQ(capture.height, Px(forms::kClientHeight));
    EXPECT_TRUE(test::WriteBmp(capture, std::string(KORVANE_SCREENSHOT_DIR) + "/win32-tab" + std::to_string(tab) + ".bmp"));
    // The same picture beside the Qt program's, named as those are.
    EXPECT_TRUE(test::WritePng(std::string(KORVANE_SIDE_BY_SIDE_DIR) + "/tab" + std::to_string(tab) + ".png",
                               capture.width, capture.height, capture.pixels));
    auto inside = [&](int id, int dx, int dy) {
      const RECT r = PlaceOf(window.Control(id));
      return capture.At(r.left + dx, r.top + dy);
    };
    if (tab == 0) {
      // The first row of the info grid is a header on the desktop colour
      // (looked at right of its caption's text, whatever the font).
      EXPECT_EQ(inside(forms::kIdGridInfo, Px(2000) - 8, 6), desktopBlue);
      // The Register button's face: the gradient's light top half.
      const std::uint32_t face = inside(forms::kIdCmdReg, 50, 6);
      EXPECT_GE(face & 0xFF, 0xE0u) << std::hex << face;
    }
    if (tab == 1) {
      // The message row, right of its text.
      const RECT grid = PlaceOf(window.Control(forms::kIdGridComparison));
      EXPECT_EQ(inside(forms::kIdGridComparison, grid.right - grid.left - 24, 6), desktopBlue);
    }
    if (tab == 2) {
      EXPECT_EQ(capture.At(2, capture.height - 3) , 0xFBFDFBu & 0xFFFFFFu);  // the window's colour, 0x00FBFDFB
    }
    // The pictures are the Qt program's art: at each point below only that
    // art has this colour (the magnifier's amber handle, the arrow between
    // the two pages, the question mark's dark disc, the component on the card).
    for (const ArtPoint& point : kArtPoints) {
      if (point.tab != tab) continue;
      EXPECT_EQ(inside(point.id, point.x, point.y), point.rgb) << std::hex << point.id;
    }
  }
}

// The desktop colour of the grids' header rows is the system's, as it is now.
TEST_F(Win32MainWindowTest, HeaderRowsTakeTheSystemsDesktopColour) {
  SystemColourForTheTest desktop(COLOR_BACKGROUND, RGB(0x12, 0x80, 0x40));
  answers.push_back(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
  Click(forms::kIdCmdBrowse);
  ShowWindow(window.Window(), SW_SHOW);
  RedrawWindow(window.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  const Capture capture = CaptureClient(window.Window());
  const RECT grid = PlaceOf(window.Control(forms::kIdGridInfo));
  EXPECT_EQ(capture.At(grid.left + Px(2000) - 8, grid.top + 6), 0x128040u);
}

TEST_F(Win32MainWindowTest, DoubleClickInTheListOpensTheCell) {
  answers.push_back(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
  Click(forms::kIdCmdBrowse);
  HWND list = Grid(forms::kIdGridInfo);
  RECT cell{};
  cell.top = 1;  // the value column
  cell.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
  NMITEMACTIVATE activate{};
  activate.hdr.hwndFrom = list;
  activate.hdr.idFrom = forms::kIdGridInfo;
  activate.hdr.code = NM_DBLCLK;
  activate.ptAction = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  SendMessageW(window.Window(), WM_NOTIFY, forms::kIdGridInfo, reinterpret_cast<LPARAM>(&activate));
  ASSERT_EQ(details.size(), 1u);
  EXPECT_EQ(details[0], "KorvaneAlpha (Korvane Alpha Library)");
}

// The detail window, modal: looked at and closed from another thread. Shown
// a second time it comes back at the size it was left at, as the Qt one.
TEST(Win32DetailWindow, ShowsTheTextModallyFillsItAndKeepsItsSize) {
  MainWindow owner;
  DisplayWindow display(owner.Window());
  std::vector<std::string> shown;
  std::vector<bool> filled;
  bool ownerDisabled = false;
  SIZE left{}, again{};
  auto sizeOf = [](HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  std::thread user([&] {
    // The window exists from the start: it is waited for until shown or hidden.
    auto waitUntil = [](bool visible) -> HWND {
      for (int tries = 0; tries < 500; ++tries) {
        HWND found = FindWindowW(DisplayWindow::kClassName, L"selection info");
        if (found != nullptr && (IsWindowVisible(found) != FALSE) == visible) return found;
        Sleep(10);
      }
      return nullptr;
    };
    HWND window = waitUntil(true);
    if (window == nullptr) return;
    ownerDisabled = !IsWindowEnabled(owner.Window());
    HWND box = GetWindow(window, GW_CHILD);
    shown.push_back(TextOf(box));
    for (SIZE size : {SIZE{120, 60}, SIZE{600, 300}}) {
      SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
      RECT client, place;
      GetClientRect(window, &client);
      GetWindowRect(box, &place);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
      filled.push_back(place.left == 0 && place.top == 0 && place.right == client.right &&
                       place.bottom == client.bottom);
    }
    left = sizeOf(window);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (waitUntil(false) == nullptr || (window = waitUntil(true)) == nullptr) return;
    again = sizeOf(window);
    shown.push_back(TextOf(GetWindow(window, GW_CHILD)));
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  display.ShowText("{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}");
  const bool ownerBack = IsWindowEnabled(owner.Window()) != FALSE;  // given back when it closes
  display.ShowText("KorvaneAlpha");
  user.join();
  EXPECT_EQ(shown, (std::vector<std::string>{"{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}", "KorvaneAlpha"}));
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(ownerBack);
  EXPECT_EQ(filled, (std::vector<bool>{true, true}));
  EXPECT_EQ(left.cx, 600);
  EXPECT_EQ(again.cx, left.cx);
  EXPECT_EQ(again.cy, left.cy);
}

}  // namespace
}  // namespace korvane
