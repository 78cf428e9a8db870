#include "formats/VisibleText.h"

namespace korvane::formats {

namespace {

constexpr char kReplacement = '?';
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstPrintable = 0x20;
// C1 controls in UTF-8: 0xC2 followed by 0x80..0x9F.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1First = 0x80;
constexpr unsigned char kC1Last = 0x9F;
// U+2028 and U+2029 in UTF-8: E2 80 A8 and E2 80 A9.
constexpr unsigned char kSeparatorLead = 0xE2;
constexpr unsigned char kSeparatorMiddle = 0x80;
constexpr unsigned char kLineSeparatorLast = 0xA8;
constexpr unsigned char kParagraphSeparatorLast = 0xA9;

}  // namespace

void AppendVisible(std::string& out, std::string_view text, Tabs tabs) {
  const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = at(i);
    if (byte == '\t' && tabs == Tabs::kKeep) {
      out += '\t';
    } else if (byte < kFirstPrintable || byte == kDelete) {
      out += kReplacement;
    } else if (byte == kC1Lead && at(i + 1) >= kC1First && at(i + 1) <= kC1Last) {
      out += kReplacement;
      i += 1;
    } else if (byte == kSeparatorLead && at(i + 1) == kSeparatorMiddle &&
               (at(i + 2) == kLineSeparatorLast || at(i + 2) == kParagraphSeparatorLast)) {
      out += kReplacement;
      i += 2;
    } else {
      out += text[i];
    }
  }
}

std::string Visible(std::string_view text, Tabs tabs) {
  std::string out;
  out.reserve(text.size());
  AppendVisible(out, text, tabs);
  return out;
}

}  // namespace korvane::formats
