#pragma once
// The element structure of an XML document with the byte span of every
// element, so that a caller can cut elements out or insert new ones while
// every other byte of the file (comments, layout, the DOCTYPE) stays as it
// was. Checks well-formedness as far as the structure goes: tags balanced
// and matching, one root, nothing but markup outside it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::desktop {

struct XmlElement {
  std::string name;
  std::size_t begin = 0;         // the '<' of the start tag
  std::size_t contentBegin = 0;  // just past the start tag
  std::size_t contentEnd = 0;    // the '<' of the end tag (contentBegin for <x/>)
  std::size_t end = 0;           // just past the end tag
  bool empty = false;            // written as <x/>
  std::string text;              // character data directly inside, entities decoded
  std::vector<std::size_t> children;  // indexes into XmlOutline::elements
};

struct XmlOutline {
  std::vector<XmlElement> elements;  // elements[0] is the root; parents before children
};

// Limits for a document read from the user's files.
inline constexpr std::size_t kMaxXmlDepth = 256;
inline constexpr std::size_t kMaxXmlElements = 100000;

// nullopt when the text is not a well-formed document (or passes a limit).
std::optional<XmlOutline> OutlineXml(std::string_view text);

// The first child element of that name, or nullptr.
const XmlElement* FindChild(const XmlOutline& outline, const XmlElement& parent,
                            std::string_view name);

}  // namespace korvane::desktop
