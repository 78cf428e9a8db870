#pragma once
// The main window's controls as designed: where each sits (twips, relative to
// its container), on which tab, and its design-time text. Control ids are
// the ones a window of the Windows view gives them, so that tests find them.

#include <span>

namespace korvane::forms {

enum class ControlKind { Frame, Label, TextBox, Button, Grid, Picture };

struct ControlPlace {
  int id;
  const char* name;
  ControlKind kind;
  int tab;        // the tab whose page shows it
  int parentId;   // the frame holding it, or 0 for the tab page
  int left, top, width, height;
  const char* text;
};

inline constexpr int kClientWidth = 6495;  // twips
inline constexpr int kClientHeight = 5415;
inline constexpr int kTabLeft = 60, kTabTop = 60, kTabWidth = 6375, kTabHeight = 5325;
inline constexpr unsigned kWindowColour = 0x00FBFDFB;  // 0x00BBGGRR
inline constexpr int kTabHeaderPixels = 60;

// Control ids.
enum : int {
  kIdTab = 100,
  kIdFrmFile = 101, kIdLabel1, kIdTxtFile, kIdCmdBrowse, kIdCmdReg, kIdCmdUnReg, kIdFrame1, kIdGridInfo,
  kIdFrmFileOne = 121, kIdTxtFirstFile, kIdCmdSelectOne, kIdFrmFileTwo, kIdTxtSecondFile, kIdCmdSelectTwo,
  kIdFrmComparison, kIdGridComparison,
  kIdLblShell = 141, kIdCmdShellEX, kIdLabel2, kIdPicture1, kIdCmdReadme, kIdCmdWeb,
  kIdTabIconBase = 1000,  // + the icon's index (1, 2, 3, 11, ..., 333)
};

std::span<const ControlPlace> MainWindowControls();

// The tab captions as stored ("&&" shows one ampersand).
const char* TabCaption(int tab);

// The nine tab icons: index, tab, and place (twips, on the tab control).
struct TabIconPlace {
  int index;
  int tab;
  int picture;  // 1, 2 or 3
  int left, top, width, height;
};
std::span<const TabIconPlace> TabIcons();

}  // namespace korvane::forms
