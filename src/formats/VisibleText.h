#pragma once
// Text from files and the registry made safe for line-oriented output: a
// name can then never end a line, start another or split a TAB-separated
// record. JSON output needs none of this (its encoder escapes every control).

#include <string>
#include <string_view>

namespace korvane::formats {

enum class Tabs { kReplace, kKeep };

// Appends text with every control character written as '?': the C0 controls
// (TAB too, unless kept) and DEL, the UTF-8 forms of the C1 controls (NEL
// among them), and the line and paragraph separators U+2028 and U+2029, at
// which viewers also break lines. Every other byte is copied as it is.
void AppendVisible(std::string& out, std::string_view text, Tabs tabs = Tabs::kReplace);
std::string Visible(std::string_view text, Tabs tabs = Tabs::kReplace);

}  // namespace korvane::formats
