#include "desktop/XmlOutline.h"

#include <cstdint>

namespace korvane::desktop {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == ':' || c == '.' || u >= 0x80;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A character reference's number ("#65", "#x41"); false when malformed.
bool CharacterReference(std::string_view ref, std::uint32_t& code) {
  if (ref.size() < 2 || ref[0] != '#') return false;
  const bool hex = ref[1] == 'x';
  const std::string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return false;
  code = 0;
  for (char c : digits) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (hex && c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (value < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
  }
  return code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

// Character data with the predefined and numeric references replaced; a
// reference to an entity of the document's own DTD stays as written.
void AppendDecoded(std::string& out, std::string_view data) {
  std::size_t i = 0;
  while (i < data.size()) {
    const std::size_t amp = data.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(data.substr(i));
      return;
    }
    out.append(data.substr(i, amp - i));
    const std::size_t semi = data.find(';', amp);
    if (semi == std::string_view::npos) {
      out.append(data.substr(amp));
      return;
    }
    const std::string_view ref = data.substr(amp + 1, semi - amp - 1);
    std::uint32_t code = 0;
    if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "amp") out += '&';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (CharacterReference(ref, code)) AppendUtf8(out, code);
    else out.append(data.substr(amp, semi - amp + 1));
    i = semi + 1;
  }
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::optional<XmlOutline> Run() {
    if (text_.substr(0, kBom.size()) == kBom) at_ = kBom.size();
    if (!SkipMisc(true)) return std::nullopt;
    if (!Peek('<') || !IsNameChar(CharAt(at_ + 1))) return std::nullopt;
    if (!Elements()) return std::nullopt;
    if (!SkipMisc(false) || at_ != text_.size()) return std::nullopt;
    return std::move(outline_);
  }

 private:
  char CharAt(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
  bool Peek(char c) const { return CharAt(at_) == c; }
  bool StartsWith(std::string_view s) const { return text_.substr(at_, s.size()) == s; }

  // Moves past the next occurrence of the terminator; false when there is none.
  bool SkipPast(std::string_view terminator) {
    const std::size_t found = text_.find(terminator, at_);
    if (found == std::string_view::npos) return false;
    at_ = found + terminator.size();
    return true;
  }

  void SkipSpaces() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
  }

  // Comments, processing instructions and blanks around the root; before it
  // also the XML declaration and the document type.
  bool SkipMisc(bool prolog) {
    for (;;) {
      SkipSpaces();
      if (StartsWith("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (StartsWith("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (prolog && StartsWith("<!DOCTYPE")) {
        if (!SkipDoctype()) return false;
      } else {
        return true;
      }
    }
  }

  // <!DOCTYPE ...>, with an internal subset in brackets whose declarations,
  // quoted literals and comments may hold '>' and brackets of their own.
  bool SkipDoctype() {
    int brackets = 0;
    at_ += 2;
    while (at_ < text_.size()) {
      if (StartsWith("<!--")) {
        if (!SkipPast("-->")) return false;
        continue;
      }
      const char c = text_[at_];
      if (c == '"' || c == '\'') {
        const std::size_t close = text_.find(c, at_ + 1);
        if (close == std::string_view::npos) return false;
        at_ = close + 1;
        continue;
      }
      ++at_;
      if (c == '[') ++brackets;
      if (c == ']') --brackets;
      if (c == '>' && brackets == 0) return true;
      if (brackets < 0) return false;
    }
    return false;
  }

  std::string Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return std::string(text_.substr(start, at_ - start));
  }

  // After the element name: attributes, then '>' or '/>'.
  bool TagEnd(bool& empty) {
    for (;;) {
      const std::size_t before = at_;
      SkipSpaces();
      if (StartsWith("/>")) {
        at_ += 2;
        empty = true;
        return true;
      }
      if (Peek('>')) {
        ++at_;
        empty = false;
        return true;
      }
      // An attribute needs a blank before it.
      if (at_ == before || Name().empty()) return false;
      SkipSpaces();
      if (!Peek('=')) return false;
      ++at_;
      SkipSpaces();
      const char quote = CharAt(at_);
      if (quote != '"' && quote != '\'') return false;
      const std::size_t close = text_.find(quote, at_ + 1);
      if (close == std::string_view::npos) return false;
      at_ = close + 1;
    }
  }

  // The root and everything inside it, without recursion.
  bool Elements() {
    std::vector<std::size_t> open;
    do {
      const std::size_t lt = text_.find('<', at_);
      if (lt == std::string_view::npos) return false;
      if (!open.empty()) AppendDecoded(outline_.elements[open.back()].text, text_.substr(at_, lt - at_));
      at_ = lt;
      if (StartsWith("<!--")) {
        if (!SkipPast("-->")) return false;
      } else if (StartsWith("<![CDATA[")) {
        const std::size_t start = at_ + 9;
        if (!SkipPast("]]>")) return false;
        outline_.elements[open.back()].text.append(text_.substr(start, at_ - 3 - start));
      } else if (StartsWith("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (StartsWith("</")) {
        at_ += 2;
        XmlElement& element = outline_.elements[open.back()];
        if (Name() != element.name) return false;
        SkipSpaces();
        if (!Peek('>')) return false;
        element.contentEnd = lt;
        element.end = ++at_;
        open.pop_back();
      } else if (IsNameChar(CharAt(at_ + 1))) {
        if (open.size() >= kMaxXmlDepth || outline_.elements.size() >= kMaxXmlElements) return false;
        ++at_;
        XmlElement element;
        element.name = Name();
        element.begin = lt;
        if (!TagEnd(element.empty)) return false;
        element.contentBegin = at_;
        const std::size_t index = outline_.elements.size();
        if (!open.empty()) outline_.elements[open.back()].children.push_back(index);
        if (element.empty) {
          element.contentEnd = at_;
          element.end = at_;
        }
        const bool empty = element.empty;
        outline_.elements.push_back(std::move(element));
        if (!empty) open.push_back(index);
      } else {
        return false;  // "<!" inside content, or a stray '<'
      }
    } while (!open.empty());
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  XmlOutline outline_;
};

}  // namespace

std::optional<XmlOutline> OutlineXml(std::string_view text) { return Scanner(text).Run(); }

const XmlElement* FindChild(const XmlOutline& outline, const XmlElement& parent,
                            std::string_view name) {
  for (std::size_t index : parent.children) {
    if (index < outline.elements.size() && outline.elements[index].name == name) {
      return &outline.elements[index];
    }
  }
  return nullptr;
}

}  // namespace korvane::desktop
