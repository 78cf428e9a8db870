#pragma once
// The detail window without a toolkit: its caption and first size, the text
// it is given, and a text box that fills the client area once resized.

#include <string>

#include "forms/DisplayLayout.h"

namespace korvane::forms {

class DisplayView {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  // Twips, as designed; the view turns them into its own units.
  virtual void SetClientTwips(int width, int height) = 0;
  virtual void PlaceTextTwips(const TwipRect& place) = 0;
  // Pixels of the client area.
  virtual void PlaceTextPixels(int left, int top, int width, int height) = 0;
  virtual void SetText(const std::string& text) = 0;
  // Returns when the window is closed.
  virtual void ShowModal() = 0;

 protected:
  ~DisplayView() = default;
};

class DisplayForm {
 public:
  explicit DisplayForm(DisplayView& view) : view_(view) {}

  // The designed caption, size and text box place.
  void Load();
  // The window's client area changed size (pixels).
  void Resize(int clientWidth, int clientHeight);
  // What the grids' double click does: the text, then the window, modally.
  void ShowText(const std::string& text);

 private:
  DisplayView& view_;
};

}  // namespace korvane::forms
