#pragma once
// The main window's tab control without a toolkit: which tab is active, the
// captions, which tabs are enabled, where each header lies, and what a click
// or an arrow key does. A view draws the headers and shows the active page's
// controls when told that the active tab changed.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace korvane::forms {

// Looks of the tab control (0x00BBGGRR). The disabled header is the system's
// button-face colour (system colour 15), which each view asks its toolkit for.
inline constexpr unsigned kTabActiveColour = 0x00FBFDFB;
inline constexpr unsigned kTabInactiveTop = 0x00FFFFFF;
inline constexpr unsigned kTabInactiveBottom = 0x00EAF0F0;
inline constexpr unsigned kTabBorderColour = 0x009B9C91;
inline constexpr unsigned kTabDisabledText = 0x00A0A0A0;
inline constexpr int kTabHeaderHeight = 60;  // pixels, active and inactive alike
// Inactive headers start this far below the active one.
inline constexpr int kTabInactiveDrop = 4;
// Room between a header's edge (or the icon in it) and its caption.
inline constexpr int kTabCaptionGap = 4;

enum class TabKey { Left, Right, Other };

struct HeaderSpan {
  int left, right;  // pixels, right exclusive
};

class TabStrip {
 public:
  // previous, now: after the active tab changed, by the user or the program.
  using SwitchHandler = std::function<void(int previous, int now)>;

  explicit TabStrip(std::vector<std::string> captions);

  int Count() const { return static_cast<int>(captions_.size()); }
  int Active() const { return active_; }
  // The caption as stored; empty for no such tab.
  std::string Caption(int index) const;
  bool Enabled(int index) const;
  void SetEnabled(int index, bool enabled);
  bool PageShown(int tab) const { return tab == active_; }

  void OnSwitched(SwitchHandler handler) { switched_ = std::move(handler); }
  // The program's switch: any tab that exists. A tab already active raises
  // nothing. Returns whether the active tab changed.
  bool Select(int index);
  // A press at x, y on a control width pixels wide: an enabled header is chosen.
  bool Press(int x, int y, int width);
  // Left and right arrows move to the next enabled tab that way.
  bool Key(TabKey key);

  // The header of a tab across a control width pixels wide; -1 for none at x, y.
  HeaderSpan Header(int index, int width) const;
  int HeaderAt(int x, int y, int width) const;

 private:
  std::vector<std::string> captions_;
  std::vector<bool> enabled_;
  int active_ = 0;
  SwitchHandler switched_;
};

// A caption's leading blanks (room for the tab's icon) and the text after them.
std::pair<int, std::string> SplitCaption(const std::string& caption);
// Where a header's caption text starts: past its leading blanks, and past an
// icon in the header that reaches further (iconRight < 0: none).
int CaptionLeft(int headerLeft, int blanksWidth, int iconRight);

}  // namespace korvane::forms
