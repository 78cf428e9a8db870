#pragma once
// Facts about the console the process writes to.

namespace korvane::platform {

// True when standard error goes to a terminal (a console window on Windows),
// where a progress line redrawn in place can be shown.
bool StandardErrorIsTerminal();

}  // namespace korvane::platform
