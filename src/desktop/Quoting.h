#pragma once
// The quoting each action format asks for, one function per layer.

#include <string>
#include <string_view>

namespace korvane::desktop {

// A word for a POSIX shell (and GLib's g_shell_parse_argv): bare when it
// holds only characters no shell treats specially, else in single quotes.
std::string ShellQuote(std::string_view word);

// One argument of a desktop-entry Exec line: '%' doubled, and in double
// quotes with `"`, '`', '$' and '\' escaped when it holds a reserved
// character. The result still needs EscapeKeyFileValue.
std::string DesktopExecArgument(std::string_view argument);

// A value of a desktop-entry style key file (also GLib's key files): '\' and
// control characters escaped, a leading blank as \s.
std::string EscapeKeyFileValue(std::string_view value);

// Character data for an XML element.
std::string EscapeXmlText(std::string_view text);

}  // namespace korvane::desktop
