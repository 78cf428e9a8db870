#pragma once
// Thunar's custom actions: one file, uca.xml, holds the user's own actions
// and Korvane's side by side. Korvane's are told apart by their unique-id;
// they are cut out of the text and put back in as whole elements, each on a
// line of its own, so every other byte of the file stays as the user (or
// Thunar) wrote it: removing what was added gives back the text exactly.

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

// A list Korvane writes as the user's new uca.xml (made from seed) carries a
// mark, so that only such a list is ever removed again: the user's own file
// stays even when it equals the system's list.
std::string MarkAsMadeByKorvane(std::string_view seed);
// The list without that mark; nullopt when it has none.
std::optional<std::string> WithoutMadeByKorvaneMark(std::string_view text);

}  // namespace korvane::desktop
