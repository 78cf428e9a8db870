#pragma once
// Starting documents and programs through the shell (ShellExecute "Open").

#include <string>

namespace korvane::platform {

// Opens file with verb "Open": a document in its associated program, a web
// address in the browser, a program (with parameters) started directly.
// Nothing waits for what was started. Returns true when it could be started
// (ShellExecute's result above 32).
bool ShellExecuteOpen(const std::string& file, const std::string& parameters = {});

}  // namespace korvane::platform
