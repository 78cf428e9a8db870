#pragma once
// The ids of the pictures korvane.exe carries (art/art.rc), drawn from the Qt
// program's art when the program is built. Macros: the resource compiler
// reads this file too.

#define KORVANE_ART_TAB_ICON_1 201
#define KORVANE_ART_TAB_ICON_2 202
#define KORVANE_ART_TAB_ICON_3 203
#define KORVANE_ART_DECORATION 210
