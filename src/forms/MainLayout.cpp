#include "forms/MainLayout.h"

#include <array>

namespace korvane::forms {

namespace {

using K = ControlKind;

constexpr std::array kControls{
    ControlPlace{kIdFrmFile, "frmFile", K::Frame, 0, 0, 60, 960, 6255, 675, "Select file (dll, ocx, exe)"},
    ControlPlace{kIdLabel1, "Label1", K::Label, 0, kIdFrmFile, 120, 300, 780, 195, "Select File:"},
    ControlPlace{kIdTxtFile, "txtFile", K::TextBox, 0, kIdFrmFile, 1020, 240, 4185, 315, ""},
    ControlPlace{kIdCmdBrowse, "cmdBrowse", K::Button, 0, kIdFrmFile, 5250, 240, 855, 315, "Browse"},
    ControlPlace{kIdCmdReg, "cmdReg", K::Button, 0, 0, 90, 1740, 1545, 315, "Register ActiveX"},
    ControlPlace{kIdCmdUnReg, "cmdUnReg", K::Button, 0, 0, 1710, 1740, 1545, 315, "Unregister ActiveX"},
    ControlPlace{kIdFrame1, "Frame1", K::Frame, 0, 0, 60, 2130, 6255, 3135, "File Info / ActiveX Info"},
    ControlPlace{kIdGridInfo, "gridinfo", K::Grid, 0, kIdFrame1, 60, 210, 6135, 2835, ""},
    ControlPlace{kIdFrmFileOne, "frmFileOne", K::Frame, 1, 0, 60, 960, 3075, 765, "First File"},
    ControlPlace{kIdTxtFirstFile, "txtFirstFile", K::TextBox, 1, kIdFrmFileOne, 120, 300, 2445, 315, ""},
    ControlPlace{kIdCmdSelectOne, "cmdSelectOne", K::Button, 1, kIdFrmFileOne, 2610, 300, 345, 315, "..."},
    ControlPlace{kIdFrmFileTwo, "frmFileTwo", K::Frame, 1, 0, 3240, 960, 3075, 765, "Second File"},
    ControlPlace{kIdTxtSecondFile, "txtSecondFile", K::TextBox, 1, kIdFrmFileTwo, 120, 300, 2445, 315, ""},
    ControlPlace{kIdCmdSelectTwo, "cmdSelectTwo", K::Button, 1, kIdFrmFileTwo, 2610, 300, 345, 315, "..."},
    ControlPlace{kIdFrmComparison, "frmComparison", K::Frame, 1, 0, 60, 1740, 6255, 3555, "Comparison Result"},
    ControlPlace{kIdGridComparison, "gridcomparison", K::Grid, 1, kIdFrmComparison, 60, 210, 6135, 3255, ""},
    ControlPlace{kIdLblShell, "lblShell", K::Label, 2, 0, 210, 1200, 5055, 195,
                 "Shell Extensions are Enabled. Click Disable to remove Shell Extensions:"},
    ControlPlace{kIdCmdShellEX, "cmdShellEX", K::Button, 2, 0, 210, 1500, 975, 345, "Enable"},
    ControlPlace{kIdLabel2, "Label2", K::Label, 2, 0, 210, 2010, 5940, 435,
                 "Tip: For a full report on ActiveX files right click a folder and select 'ActiveX Report'. "
                 "Note: Shell Extensions must be enabled."},
    ControlPlace{kIdPicture1, "Picture1", K::Picture, 2, 0, 3570, 3390, 2760, 1305, ""},
    ControlPlace{kIdCmdReadme, "cmdReadme", K::Button, 2, 0, 2850, 4770, 1605, 435, "Readme.txt"},
    ControlPlace{kIdCmdWeb, "cmdWeb", K::Button, 2, 0, 4560, 4770, 1605, 435, "Visit Website"},
};

// The last digit of an icon's index picks its picture and its place.
constexpr std::array kIcons{
    TabIconPlace{1, 0, 1, 105, 150, 705, 660},   TabIconPlace{2, 0, 2, 2385, 150, 705, 660},
    TabIconPlace{3, 0, 3, 4470, 120, 705, 660},  TabIconPlace{11, 1, 1, 105, 150, 705, 660},
    TabIconPlace{22, 1, 2, 2385, 150, 705, 660}, TabIconPlace{33, 1, 3, 4470, 120, 705, 660},
    TabIconPlace{111, 2, 1, 105, 150, 705, 660}, TabIconPlace{222, 2, 2, 2385, 150, 705, 660},
    TabIconPlace{333, 2, 3, 4470, 120, 705, 660},
};

}  // namespace

std::span<const ControlPlace> MainWindowControls() { return kControls; }

std::span<const TabIconPlace> TabIcons() { return kIcons; }

const char* TabCaption(int tab) {
  switch (tab) {
    case 0: return "                  Korvane && File Info";
    case 1: return "                 File Comparison";
    case 2: return "                  Options && Help";
    default: return "";
  }
}

}  // namespace korvane::forms
