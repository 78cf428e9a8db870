#pragma once
// The detail window as designed: its caption, its first client size and the
// text box's first place (twips); once resized, the text box fills the client
// area with no margin.

#include "forms/ProgressLayout.h"

namespace korvane::forms {

inline constexpr const char* kDisplayCaption = "selection info";
inline constexpr int kDisplayWidth = 3780;
inline constexpr int kDisplayHeight = 990;
inline constexpr TwipRect kDisplayText{0, 0, 1845, 885};

}  // namespace korvane::forms
