#include "forms/TabStrip.h"

#include <algorithm>

namespace korvane::forms {

TabStrip::TabStrip(std::vector<std::string> captions)
    : captions_(std::move(captions)), enabled_(captions_.size(), true) {}

std::string TabStrip::Caption(int index) const {
  return index >= 0 && index < Count() ? captions_[static_cast<std::size_t>(index)] : std::string();
}

bool TabStrip::Enabled(int index) const {
  return index >= 0 && index < Count() && enabled_[static_cast<std::size_t>(index)];
}

void TabStrip::SetEnabled(int index, bool enabled) {
  if (index >= 0 && index < Count()) enabled_[static_cast<std::size_t>(index)] = enabled;
}

bool TabStrip::Select(int index) {
  if (index < 0 || index >= Count() || index == active_) return false;
  const int previous = active_;
  active_ = index;
  if (switched_) switched_(previous, active_);
  return true;
}

bool TabStrip::Press(int x, int y, int width) {
  const int index = HeaderAt(x, y, width);
  return Enabled(index) && Select(index);
}

bool TabStrip::Key(TabKey key) {
  const int step = key == TabKey::Left ? -1 : key == TabKey::Right ? 1 : 0;
  if (step == 0) return false;
  for (int i = active_ + step; i >= 0 && i < Count(); i += step) {
    if (Enabled(i)) return Select(i);
  }
  return false;
}

HeaderSpan TabStrip::Header(int index, int width) const {
  const int count = std::max(1, Count());
  return HeaderSpan{width * index / count, width * (index + 1) / count};
}

int TabStrip::HeaderAt(int x, int y, int width) const {
  if (y < 0 || y >= kTabHeaderHeight) return -1;
  for (int i = 0; i < Count(); ++i) {
    const HeaderSpan span = Header(i, width);
    if (x >= span.left && x < span.right) return i;
  }
  return -1;
}

std::pair<int, std::string> SplitCaption(const std::string& caption) {
  const std::size_t text = std::min(caption.find_first_not_of(' '), caption.size());
  return {static_cast<int>(text), caption.substr(text)};
}

int CaptionLeft(int headerLeft, int blanksWidth, int iconRight) {
  const int left = headerLeft + kTabCaptionGap + blanksWidth;
  return iconRight < 0 ? left : std::max(left, iconRight + kTabCaptionGap);
}

}  // namespace korvane::forms
