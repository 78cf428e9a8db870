#include "desktop/ThunarActions.h"

#include <algorithm>

#include "desktop/Quoting.h"
#include "desktop/XmlOutline.h"

namespace korvane::desktop {

namespace {

// Inside a list that was an empty element (<actions/>) before Korvane's
// actions went in: removing them closes the element again.
constexpr std::string_view kWasEmptyMark = "<!-- an empty list before Korvane's actions were added -->";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsKorvaneId(std::string_view id) {
  return std::any_of(kMenuVerbs.begin(), kMenuVerbs.end(),
                     [&](const MenuVerb& verb) { return ThunarActionId(verb) == id; });
}

// The root of a well-formed action list, with its outline.
std::optional<XmlOutline> ActionList(std::string_view text) {
  std::optional<XmlOutline> outline = OutlineXml(text);
  if (!outline || outline->elements.front().name != "actions") return std::nullopt;
  return outline;
}

std::string UniqueId(const XmlOutline& outline, const XmlElement& action) {
  const XmlElement* id = FindChild(outline, action, "unique-id");
  return id == nullptr ? std::string() : std::string(Trim(id->text));
}

// Thunar matches the patterns with letter case: the usual three spellings.
std::string ComponentPatterns() {
  std::string patterns;
  for (const char* extension : kComponentExtensions) {
    std::string upper = extension;
    std::string title = extension;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(c - 'a' + 'A'); });
    title[0] = upper[0];
    for (const std::string& spelling : {std::string(extension), upper, title}) {
      patterns += (patterns.empty() ? "*." : ";*.") + spelling;
    }
  }
  return patterns;
}

// One <action> element on lines of its own, after a line break. Thunar substitutes %f with the
// quoted path and runs the command through /bin/sh; "%%" stands for '%'.
std::string ActionElement(const MenuVerb& verb, const std::string& exePath) {
  std::string program;
  for (char c : ShellQuote(exePath)) program += c == '%' ? std::string("%%") : std::string(1, c);
  const std::string command = VerbCommand(program, verb, "%f");
  return "\n<action>\n"
         "\t<icon>" + std::string(kIconName) + "</icon>\n"
         "\t<name>" + EscapeXmlText(verb.caption) + "</name>\n"
         "\t<unique-id>" + ThunarActionId(verb) + "</unique-id>\n"
         "\t<command>" + EscapeXmlText(command) + "</command>\n"
         "\t<description>Korvane</description>\n"
         "\t<patterns>" + (verb.onFolders ? std::string("*") : ComponentPatterns()) + "</patterns>\n" +
         (verb.onFolders ? "\t<directories/>\n" : "\t<other-files/>\n") +
         "</action>";
}

// The span to cut for an element: with the line break before it when it
// stands at the start of a line, which is how the element went in.
std::pair<std::size_t, std::size_t> CutSpan(std::string_view text, const XmlElement& element) {
  std::size_t begin = element.begin;
  while (begin > 0 && IsBlank(text[begin - 1])) --begin;
  if (begin == 0 || text[begin - 1] != '\n') return {element.begin, element.end};
  --begin;
  if (begin > 0 && text[begin - 1] == '\r') --begin;
  return {begin, element.end};
}

// A list whose only content is the mark of an empty element: written as
// that element again ("<actions/>"), else nullopt.
std::optional<std::string> ClosedAgain(const std::string& text) {
  std::optional<XmlOutline> outline = ActionList(text);
  if (!outline) return std::nullopt;
  const XmlElement& root = outline->elements.front();
  const std::string_view content =
      std::string_view(text).substr(root.contentBegin, root.contentEnd - root.contentBegin);
  if (root.empty || Trim(content) != kWasEmptyMark) return std::nullopt;
  // contentBegin - 1 is the start tag's '>'.
  return text.substr(0, root.contentBegin - 1) + "/>" + text.substr(root.end);
}

// The text without the Korvane actions the predicate picks.
template <typename Pick>
std::optional<std::string> Without(std::string_view text, Pick pick) {
  std::optional<XmlOutline> outline = ActionList(text);
  if (!outline) return std::nullopt;
  std::vector<std::pair<std::size_t, std::size_t>> cuts;
  for (std::size_t index : outline->elements.front().children) {
    const XmlElement& child = outline->elements[index];
    if (child.name != "action") continue;
    const std::string id = UniqueId(*outline, child);
    if (IsKorvaneId(id) && pick(id)) cuts.push_back(CutSpan(text, child));
  }
  std::string result(text);
  for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
    result.erase(it->first, it->second - it->first);
  }
  if (std::optional<std::string> closed = ClosedAgain(result)) return closed;
  return result;
}

}  // namespace

std::string ThunarActionId(const MenuVerb& verb) { return std::string("korvane-") + verb.id; }

std::optional<std::vector<std::string>> ThunarActionIds(std::string_view text) {
  std::optional<XmlOutline> outline = ActionList(text);
  if (!outline) return std::nullopt;
  std::vector<std::string> ids;
  for (std::size_t index : outline->elements.front().children) {
    const XmlElement& child = outline->elements[index];
    if (child.name == "action") ids.push_back(UniqueId(*outline, child));
  }
  return ids;
}

std::optional<std::string> WithThunarActions(std::string_view text, const std::string& exePath,
                                             VerbSet set) {
  std::optional<std::string> base = Without(text, [&](const std::string& id) {
    return std::any_of(kMenuVerbs.begin(), kMenuVerbs.end(), [&](const MenuVerb& verb) {
      return InSet(verb, set) && ThunarActionId(verb) == id;
    });
  });
  if (!base) return std::nullopt;
  std::string blocks;
  for (const MenuVerb& verb : kMenuVerbs) {
    if (InSet(verb, set)) blocks += ActionElement(verb, exePath);
  }
  std::optional<XmlOutline> outline = ActionList(*base);
  if (!outline) return std::nullopt;
  const XmlElement& root = outline->elements.front();
  std::string result = *base;
  if (root.empty) {
    // Opened up with a mark ("<actions/>" becomes "<actions>" ... "</actions>");
    // root.end - 2 is the '/' of "/>".
    return result.substr(0, root.end - 2) + ">" + std::string(kWasEmptyMark) + blocks +
           "\n</actions>" + result.substr(root.end);
  }
  // At the end of the last line of content, so that each action stands on
  // lines of its own and the end tag's line stays as it was.
  std::size_t at = root.contentEnd;
  while (at > root.contentBegin && IsBlank(result[at - 1])) --at;
  if (at > root.contentBegin && result[at - 1] == '\n') --at;
  if (at > root.contentBegin && result[at - 1] == '\r') --at;
  result.insert(at, blocks);
  return result;
}

std::optional<std::string> WithoutThunarActions(std::string_view text) {
  return Without(text, [](const std::string&) { return true; });
}

std::string EmptyThunarActionList() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";
}

namespace {
std::string MadeByKorvaneMark() {
  return std::string("<!-- ") + kOwnerMark + ": made by Korvane, removed with its actions -->\n";
}
}  // namespace

std::string MarkAsMadeByKorvane(std::string_view seed) { return std::string(seed) + MadeByKorvaneMark(); }

std::optional<std::string> WithoutMadeByKorvaneMark(std::string_view text) {
  const std::string mark = MadeByKorvaneMark();
  if (text.size() < mark.size() || text.substr(text.size() - mark.size()) != mark) return std::nullopt;
  return std::string(text.substr(0, text.size() - mark.size()));
}

}  // namespace korvane::desktop
