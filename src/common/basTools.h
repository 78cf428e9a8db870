#pragma once
// Small shared procedures: opening a document through the shell, a forgiving
// Boolean conversion and cutting a string at its first NUL.

#include <string>

namespace korvane {

// Opens a document or web address with the program the system associates
// with it. Gives no message when it cannot.
void ShellOpen(const std::string& sDocument);

// true/false in any letter case, or a number (0 is False); anything else False.
bool SafeBool(const std::string& v);

// The text up to (not including) its first NUL character.
std::string StripNull(const std::string& s);

}  // namespace korvane
