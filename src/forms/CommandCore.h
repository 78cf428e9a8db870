#pragma once
// What the owner-drawn Command button knows and decides, without any drawing:
// its properties, the five visual states, the picture that shows each event,
// the gradient direction, the access key and when Click is raised. The Qt
// widget feeds it events and paints whatever it last chose.

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::ui {

class PropertyBag;

// The visual state, by the picture that shows it.
enum class CommandState : std::uint8_t {
  Disable = 0,
  Normal = 1,
  HighLight = 2,          // mouse over it, no focus
  Selected = 3,           // focus, mouse elsewhere
  HighLightSelect = 4,    // focus and mouse over it
};

// The six skin pictures: one per state plus the pressed look.
enum class CommandSkin : std::uint8_t { Disable, Normal, HighLight, Selected, HighLightSelect, Pressed };

enum class CommandMouseButton { Left, Right, Middle };

// Colours are 0x00BBGGRR.
inline constexpr std::uint32_t kCommandDisabledText = 0xC0C0C0u;

class CommandCore {
 public:
  // A new button: state Disable, caption "Command", then Enabled written true.
  CommandCore();

  // Properties. Every write signals its name and redraws (Visible only when
  // made opaque).
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& newCaption);
  // The first read of a fresh instance marks it as set up and enables it.
  bool Enabled();
  void SetEnabled(bool newEnabled);
  const std::string& FontFace() const { return fontFace_; }
  void SetFontFace(const std::string& face);
  std::uint32_t FontColour() const { return foreColour_; }
  void SetFontColour(std::uint32_t colour);
  std::uint8_t Visible() const { return opaque_ ? 255 : 0; }
  void SetVisible(std::uint8_t value);

  // Starts the hover timer with the button in state Normal.
  void Initialize();
  bool TimerRunning() const { return timerRunning_; }
  static constexpr int kTimerIntervalMs = 100;

  // Events. All but Redraw and TimerTick are ignored while disabled.
  void MouseMove();
  void MouseDown(CommandMouseButton button);
  void MouseUp(CommandMouseButton button);
  // The press ends without a release (the view lost the mouse to another
  // window): no click; the button shows its state again.
  void PressCancelled();
  void GotFocus();
  void LostFocus();
  void AccessKeyPress();
  // cursorOverOwnWindow: the window under the cursor is the button itself.
  void TimerTick(bool cursorOverOwnWindow);
  // After a property change or a resize: Normal or Disable.
  void Redraw();

  // The stored properties of a designed instance.
  void ReadProperties(const PropertyBag& bag, const std::string& containerFontFace);
  void WriteProperties(PropertyBag& bag, const std::string& containerFontFace);

  // What the button shows now.
  CommandState State() const { return state_; }
  CommandSkin Picture() const { return picture_; }
  bool GradientInverted() const { return gradientInverted_; }
  bool FocusLinesVisible() const { return focusLines_; }
  // The colour the caption is drawn in (the control's foreground colour).
  std::uint32_t ForeColour() const { return foreColour_; }
  // The access key: one character (UTF-8), or empty for none.
  const std::string& AccessKey() const { return accessKey_; }
  bool ButtonDown() const { return buttonDown_; }
  // The enabled member as it is, without the first-read rule of Enabled().
  bool IsEnabled() const { return enabled_; }
  std::uint8_t FirstRun() const { return firstRun_; }
  bool Opaque() const { return opaque_; }

  // Hooks for the widget.
  std::function<void()> onClick;
  std::function<void(const std::string&)> onPropertyChanged;
  std::function<void()> onPaint;  // the look changed: repaint

 private:
  void Paint(CommandSkin picture);
  void Signal(const std::string& name);
  void RaiseClick();

  std::string caption_;
  bool enabled_ = true;
  std::uint8_t firstRun_ = 0;
  bool buttonDown_ = false;
  CommandState state_ = CommandState::Disable;
  std::uint32_t textColour_ = 0;
  std::uint32_t foreColour_ = 0;
  bool gradientInverted_ = false;
  bool opaque_ = true;
  bool focusLines_ = false;
  bool timerRunning_ = false;
  CommandSkin picture_ = CommandSkin::Normal;
  std::string accessKey_;
  std::string fontFace_;
};

}  // namespace korvane::ui
