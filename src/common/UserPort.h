#pragma once
// The core's only ways to reach the user: modal message boxes and "process
// pending window messages". The Qt program, korvane-cli and tests each install
// their own implementation.

#include <string>

namespace korvane {

// Message box flags, combined by adding (the values Windows uses).
inline constexpr int kMbOkOnly = 0;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconError = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconWarning = 48;
inline constexpr int kMbIconInformation = 64;
inline constexpr int kMbDefaultButton1 = 0;
inline constexpr int kMbDefaultButton2 = 256;

// Message box answers.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The title a box gets when its caller names none.
inline constexpr const char* kAppTitle = "Korvane";

class UserPort {
 public:
  virtual ~UserPort() = default;
  // Shows a modal message box and returns the answer (kIdOk, kIdYes, kIdNo).
  virtual int MsgBox(const std::string& text, int flags, const std::string& title) = 0;
  // Lets the window system handle what is pending (repaint, clicks).
  virtual void DoEvents() = 0;
};

// The port in use. Never null: until a program installs its own, a port that
// answers every box with its default button and shows nothing is in place.
UserPort& User();
// Installs a port (not owned); nullptr restores the silent default.
void SetUserPort(UserPort* port);

// Shorthand used by the core.
inline int MsgBox(const std::string& text, int flags = kMbOkOnly,
                  const std::string& title = kAppTitle) {
  return User().MsgBox(text, flags, title.empty() ? std::string(kAppTitle) : title);
}
inline void DoEvents() { User().DoEvents(); }

// Helpers shared by the implementations.
enum class MsgIcon { None, Error, Warning, Information, Question };
MsgIcon IconOf(int flags);
const char* IconName(MsgIcon icon);  // "error", "warning", "information", "question", "none"
bool HasYesNo(int flags);
// The answer a box gives when nobody is there to click: its default button.
int DefaultAnswer(int flags);

}  // namespace korvane
