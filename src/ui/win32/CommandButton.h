#pragma once
// The owner-drawn Command button as a window class of its own
// ("Korvane.Command"): a vertical gradient, the 4-pixel skin frame, the
// centred caption with its access key, focus lines, and the 100 ms timer that
// notices the mouse leaving. Clicks reach the parent as WM_COMMAND/BN_CLICKED;
// BM_CLICK clicks it as its access key does.

#include "ui/win32/Win32Ui.h"

namespace korvane::ui {
class CommandCore;
}

namespace korvane::win32ui {

inline constexpr const wchar_t* kCommandClass = L"Korvane.Command";

void RegisterCommandClass();
HWND CreateCommand(HWND parent, int id, const std::string& caption, RECT place);
// The button's state machine (null for a window of another class).
ui::CommandCore* CommandOf(HWND button);
// Starts every Command button among the window's children (its timer runs).
void InitialiseCommands(HWND window);
// An Alt+key press: the enabled, visible Command whose access key it is clicks.
bool PressAccessKey(HWND window, wchar_t key);

}  // namespace korvane::win32ui
