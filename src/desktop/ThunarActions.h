#pragma once
// Thunar's custom actions: one file, uca.xml, holds the user's own actions
// and Korvane's side by side. Korvane's are told apart by their unique-id;
// they are cut out of the text and put back in as whole elements, so every
// other byte of the file stays as the user (or Thunar) wrote it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/MenuVerbs.h"

namespace korvane::desktop {

// The unique-id Korvane gives a verb's action.
std::string ThunarActionId(const MenuVerb& verb);

// The unique-ids of the <action> elements of an action list; nullopt when
// the text is not a well-formed list (root <actions>).
std::optional<std::vector<std::string>> ThunarActionIds(std::string_view text);

// The list with Korvane's actions of the set written anew (replacing any it
// had before) after the other actions; nullopt when the text is not a
// well-formed action list, which is then left alone.
std::optional<std::string> WithThunarActions(std::string_view text, const std::string& exePath,
                                             VerbSet set);

// The list without any of Korvane's actions; nullopt as above.
std::optional<std::string> WithoutThunarActions(std::string_view text);

// The list a new uca.xml starts from when the system offers none.
std::string EmptyThunarActionList();

}  // namespace korvane::desktop
