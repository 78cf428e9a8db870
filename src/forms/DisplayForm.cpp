#include "forms/DisplayForm.h"

#include <algorithm>

namespace korvane::forms {

void DisplayForm::Load() {
  view_.SetCaption(kDisplayCaption);
  view_.SetClientTwips(kDisplayWidth, kDisplayHeight);
  view_.PlaceTextTwips(kDisplayText);
}

void DisplayForm::Resize(int clientWidth, int clientHeight) {
  // At the top-left corner with no margin, whatever the size.
  view_.PlaceTextPixels(0, 0, std::max(0, clientWidth), std::max(0, clientHeight));
}

void DisplayForm::ShowText(const std::string& text) {
  view_.SetText(text);
  view_.ShowModal();
}

}  // namespace korvane::forms
