#include "forms/CommandCore.h"

#include "forms/PropertyBag.h"

namespace korvane::ui {

namespace {

// The bytes of the one UTF-8 character that starts at pos (empty at the end).
std::string CharacterAt(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return {};
  std::size_t end = pos + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return text.substr(pos, end - pos);
}

// The picture that shows a state at rest.
CommandSkin SkinOf(CommandState state) {
  switch (state) {
    case CommandState::Disable: return CommandSkin::Disable;
    case CommandState::Normal: return CommandSkin::Normal;
    case CommandState::HighLight: return CommandSkin::HighLight;
    case CommandState::Selected: return CommandSkin::Selected;
    case CommandState::HighLightSelect: break;
  }
  return CommandSkin::HighLightSelect;
}

}  // namespace

CommandCore::CommandCore() {
  caption_ = "Command";
  SetEnabled(true);
}

void CommandCore::Signal(const std::string& name) {
  if (onPropertyChanged) onPropertyChanged(name);
}

void CommandCore::RaiseClick() {
  if (onClick) onClick();
}

void CommandCore::SetCaption(const std::string& newCaption) {
  caption_ = newCaption;
  Signal("Caption");
  Redraw();
}

bool CommandCore::Enabled() {
  if (firstRun_ == 0) {
    firstRun_ = 1;
    enabled_ = true;
  }
  return enabled_;
}

void CommandCore::SetEnabled(bool newEnabled) {
  enabled_ = newEnabled;
  Signal("Enabled");
  Redraw();
}

void CommandCore::SetFontFace(const std::string& face) {
  fontFace_ = face;
  Signal("Font");
  Redraw();
}

void CommandCore::SetFontColour(std::uint32_t colour) {
  foreColour_ = colour;
  textColour_ = colour;
  Signal("FontColour");
  Redraw();
}

void CommandCore::SetVisible(std::uint8_t value) {
  if (value != 0) {
    opaque_ = true;
    Redraw();
  } else {
    opaque_ = false;
  }
  Signal("Visible");
}

void CommandCore::Initialize() {
  state_ = CommandState::Normal;
  timerRunning_ = true;
}

void CommandCore::Redraw() {
  if (enabled_) {
    if (firstRun_ == 0) foreColour_ = 0;
    if (state_ == CommandState::Disable) state_ = CommandState::Normal;
    Paint(CommandSkin::Normal);
  } else {
    state_ = CommandState::Disable;
    Paint(CommandSkin::Disable);
  }
}

void CommandCore::Paint(CommandSkin picture) {
  if (enabled_) {
    std::size_t amp = caption_.find('&');
    // Without an ampersand the previous access key stays.
    if (amp != std::string::npos) accessKey_ = CharacterAt(caption_, amp + 1);
    foreColour_ = textColour_;
  } else {
    state_ = CommandState::Disable;
    foreColour_ = kCommandDisabledText;
    accessKey_.clear();
  }
  if (state_ == CommandState::Normal || state_ == CommandState::Selected) {
    gradientInverted_ = false;
  } else if (state_ == CommandState::HighLight) {
    gradientInverted_ = true;
  }
  picture_ = picture;
  focusLines_ = state_ == CommandState::Selected || state_ == CommandState::HighLightSelect;
  if (onPaint) onPaint();
}

void CommandCore::MouseMove() {
  if (!enabled_) return;
  if (state_ == CommandState::Normal) {
    state_ = CommandState::HighLight;
    Paint(CommandSkin::HighLight);
  }
  if (state_ == CommandState::Selected && !buttonDown_) {
    state_ = CommandState::HighLightSelect;
    Paint(CommandSkin::HighLightSelect);
  }
}

void CommandCore::MouseDown(CommandMouseButton button) {
  if (!enabled_) return;
  if (button == CommandMouseButton::Left) {
    Paint(CommandSkin::Pressed);
    buttonDown_ = true;
  }
}

void CommandCore::MouseUp(CommandMouseButton button) {
  if (!enabled_) return;
  if (button == CommandMouseButton::Left) {
    // A hovered button without focus goes back to Normal, not HighLight.
    if (state_ == CommandState::HighLight) {
      Paint(CommandSkin::Normal);
    } else if (state_ == CommandState::HighLightSelect) {
      Paint(CommandSkin::HighLightSelect);
    }
    buttonDown_ = false;
  }
  // Once a tick has seen the mouse leave a focused button (4 -> 3), a release
  // no longer clicks.
  if (state_ != CommandState::Selected) RaiseClick();
}

void CommandCore::PressCancelled() {
  if (!buttonDown_) return;
  buttonDown_ = false;
  Paint(SkinOf(state_));
}

void CommandCore::GotFocus() {
  if (!enabled_) return;
  if (state_ != CommandState::HighLight) {
    state_ = CommandState::Selected;
    Paint(CommandSkin::Selected);
  } else {
    state_ = CommandState::HighLightSelect;
    Paint(CommandSkin::Pressed);
  }
}

void CommandCore::LostFocus() {
  if (!enabled_) return;
  if (state_ != CommandState::Normal) {
    state_ = CommandState::Normal;
    Paint(CommandSkin::Normal);
  }
}

void CommandCore::AccessKeyPress() {
  if (!enabled_) return;
  state_ = CommandState::HighLight;
  GotFocus();
  MouseUp(CommandMouseButton::Left);
}

void CommandCore::TimerTick(bool cursorOverOwnWindow) {
  if (cursorOverOwnWindow) return;
  if (state_ != CommandState::Disable && !enabled_) {
    state_ = CommandState::Disable;
    Paint(CommandSkin::Disable);
  } else if (state_ == CommandState::HighLight) {
    state_ = CommandState::Normal;
    Paint(CommandSkin::Normal);
  } else if (state_ == CommandState::HighLightSelect) {
    state_ = CommandState::Selected;
    Paint(CommandSkin::Selected);
  }
}

void CommandCore::ReadProperties(const PropertyBag& bag, const std::string& containerFontFace) {
  enabled_ = BoolFromText(bag.ReadProperty("Enabled", BoolText(true)), true);
  caption_ = bag.ReadProperty("Caption", "Command1");
  fontFace_ = bag.ReadProperty("Font", containerFontFace);
  firstRun_ = static_cast<std::uint8_t>(NumberFromText(bag.ReadProperty("FirstRun", "1"), 1));
  // Only the control's colour: the caption colour member keeps its value.
  foreColour_ = static_cast<std::uint32_t>(NumberFromText(bag.ReadProperty("FontColour", "0"), 0));
  opaque_ = NumberFromText(bag.ReadProperty("Visible", "1"), 1) != 0;
  Redraw();
}

void CommandCore::WriteProperties(PropertyBag& bag, const std::string& containerFontFace) {
  bag.WriteProperty("Enabled", BoolText(enabled_), BoolText(true));
  bag.WriteProperty("Caption", caption_, "Command");
  bag.WriteProperty("Font", fontFace_, containerFontFace);
  bag.WriteProperty("FirstRun", NumberText(firstRun_), "1");
  bag.WriteProperty("FontColour", NumberText(foreColour_), "0");
  bag.WriteProperty("Visible", opaque_ ? "1" : "0", "1");
  Redraw();
}

}  // namespace korvane::ui
