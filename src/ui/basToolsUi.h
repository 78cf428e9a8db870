#pragma once
// Window utilities that need the Qt windows.

class QWidget;

namespace korvane::ui {

// For every Command button on the window, in control order: Initialize it when
// bInitialize, else set its Enabled to bEnabled. Other controls are untouched.
void SetupCommandButtons(QWidget* frm, bool bInitialize, bool bEnabled);

}  // namespace korvane::ui
