#pragma once
// The report's progress window as designed: caption, client size and the
// places of its controls in twips (the bar and the button relative to the
// band across the bottom). Both views build it from here.

namespace korvane::forms {

struct TwipRect {
  int left, top, width, height;
};

struct ProgressLabel {
  const char* name;
  const char* text;
  TwipRect place;
};

inline constexpr const char* kProgressCaption = "Creating ActiveX Report";
inline constexpr int kProgressWidth = 5115;  // twips of client area
inline constexpr int kProgressHeight = 1725;
inline constexpr TwipRect kProgressPicture{120, 60, 705, 660};
inline constexpr ProgressLabel kProgressLabel2{"Label2", "Creating ActiveX Report", {1020, 150, 1710, 195}};
inline constexpr ProgressLabel kProgressLabel1{"Label1", "Please wait...", {1020, 450, 1395, 225}};
inline constexpr ProgressLabel kProgressLabel3{"Label3", "Current file:", {120, 810, 795, 195}};
inline constexpr ProgressLabel kProgressFile{"lblFile", "", {1020, 810, 3915, 225}};
inline constexpr TwipRect kProgressBand{0, 1080, 5115, 645};
inline constexpr TwipRect kProgressBar{150, 210, 3195, 255};      // in the band
inline constexpr TwipRect kProgressCancel{3960, 150, 1035, 375};  // in the band
inline constexpr const char* kProgressCancelText = "Cancel";

}  // namespace korvane::forms
