#include "ui/win32/CommandButton.h"

#include <cwctype>
#include <memory>

#include "forms/CommandCore.h"
#include "forms/CommandGeometry.h"
#include "forms/CommandSkinColours.h"

namespace korvane::win32ui {

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr WPARAM kAnyMouseButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

struct Button {
  HWND window = nullptr;
  ui::CommandCore core;
  bool releasing = false;  // our own release of the capture, not a loss
};

Button* ButtonOf(HWND window) { return reinterpret_cast<Button*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void FillRow(HDC dc, int x1, int x2, int y, COLORREF colour) {
  RECT row{x1, y, x2, y + 1};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &row, brush);
  DeleteObject(brush);
}

// The gradient from white to C6C5D7 (or back), one line per pixel row.
void PaintGradient(HDC dc, int width, int height, bool inverted) {
  for (int y = 0; y < height; ++y) {
    const int t = height > 1 ? (y * 1000) / (height - 1) : 0;
    const int from[3] = {0xFF, 0xFF, 0xFF};
    const int to[3] = {0xC6, 0xC5, 0xD7};
    int c[3];
    for (int i = 0; i < 3; ++i) {
      const int a = inverted ? to[i] : from[i];
      const int b = inverted ? from[i] : to[i];
      c[i] = a + (b - a) * t / 1000;
    }
    FillRow(dc, 0, width, y, RGB(c[0], c[1], c[2]));
  }
}

// The 4-pixel frame of the current skin, ring by ring.
void PaintFrame(HDC dc, int width, int height, ui::CommandSkin skin) {
  const ui::SkinColours colours = ui::ColoursOf(skin);
  for (int ring = 0; ring < ui::kSkinBorder; ++ring) {
    const int left = ring, top = ring, right = width - 1 - ring, bottom = height - 1 - ring;
    if (right <= left || bottom <= top) break;
    FillRow(dc, left, right + 1, top, FromRgb(colours.top[static_cast<std::size_t>(ring)]));
    FillRow(dc, left, right + 1, bottom, FromRgb(colours.bottom[static_cast<std::size_t>(ring)]));
    HBRUSH side = CreateSolidBrush(FromRgb(colours.side[static_cast<std::size_t>(ring)]));
    RECT l{left, top + 1, left + 1, bottom};
    RECT r{right, top + 1, right + 1, bottom};
    FillRect(dc, &l, side);
    FillRect(dc, &r, side);
    DeleteObject(side);
  }
}

void Paint(Button& button) {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(button.window, &ps);
  RECT client;
  GetClientRect(button.window, &client);
  const int width = client.right, height = client.bottom;
  // Drawn off screen first, so that the button does not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  const ui::CommandCore& core = button.core;
  PaintGradient(dc, width, height, core.GradientInverted());
  PaintFrame(dc, width, height, core.Picture());

  HGDIOBJ oldFont = SelectObject(dc, ButtonFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Gdi(core.IsEnabled() ? core.ForeColour() : ui::kCommandDisabledText));
  const std::wstring caption = Wide(core.Caption());
  RECT measure{4, 0, width - 4, height};
  DrawTextW(dc, caption.c_str(), -1, &measure, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
  RECT place{4, ui::CaptionTop(height, measure.bottom - measure.top), width - 4, height};
  DrawTextW(dc, caption.c_str(), -1, &place, DT_WORDBREAK | DT_CENTER);
  SelectObject(dc, oldFont);

  if (core.FocusLinesVisible()) {
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const ui::FocusLine& line : ui::FocusLines(width, height)) {
      MoveToEx(dc, line.x1, line.y1, nullptr);
      LineTo(dc, line.x2, line.y2);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(button.window, &ps);
}

ui::CommandMouseButton MouseButtonOf(UINT message) {
  if (message == WM_RBUTTONUP) return ui::CommandMouseButton::Right;
  if (message == WM_MBUTTONUP) return ui::CommandMouseButton::Middle;
  return ui::CommandMouseButton::Left;
}

LRESULT CALLBACK CommandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Button* button = ButtonOf(window);
  switch (message) {
    case WM_NCCREATE: {
      auto owned = std::make_unique<Button>();
      owned->window = window;
      Button* made = owned.release();
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      made->core.SetCaption(Narrow(create->lpszName != nullptr ? create->lpszName : L""));
      made->core.onPaint = [window] { InvalidateRect(window, nullptr, FALSE); };
      made->core.onClick = [window] {
        SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
      };
      made->core.Enabled();  // a designed instance: its defaults are applied
      break;
    }
    case WM_NCDESTROY:
      KillTimer(window, kHoverTimer);
      delete button;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    case WM_PAINT:
      if (button != nullptr) {
        Paint(*button);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT:
      if (button != nullptr) {
        button->core.SetCaption(Narrow(reinterpret_cast<const wchar_t*>(lParam)));
      }
      break;
    case WM_ENABLE:
      if (button != nullptr) button->core.SetEnabled(wParam != 0);
      return 0;
    case WM_MOUSEMOVE:
      if (button != nullptr) button->core.MouseMove();
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      SetCapture(window);
      if (button != nullptr) button->core.MouseDown(ui::CommandMouseButton::Left);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Any press keeps the mouse until its release, wherever that happens.
      SetCapture(window);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (button != nullptr) {
        // The capture goes back before the click, which may open a dialog.
        if ((wParam & kAnyMouseButton) == 0 && GetCapture() == window) {
          button->releasing = true;
          ReleaseCapture();
          button->releasing = false;
        }
        button->core.MouseUp(MouseButtonOf(message));
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Taken away by another window while pressed: no release will come.
      if (button != nullptr && !button->releasing) button->core.PressCancelled();
      return 0;
    case WM_SETFOCUS:
      if (button != nullptr) button->core.GotFocus();
      return 0;
    case WM_KILLFOCUS:
      if (button != nullptr) button->core.LostFocus();
      return 0;
    case WM_TIMER:
      if (button != nullptr && wParam == kHoverTimer) {
        POINT cursor{};
        GetCursorPos(&cursor);
        button->core.TimerTick(WindowFromPoint(cursor) == window);
      }
      return 0;
    case BM_CLICK:
      // As the access key: the focus moves here, then the click.
      SetFocus(window);
      if (button != nullptr) button->core.AccessKeyPress();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterCommandClass() { RegisterWindowClass(kCommandClass, CommandProc); }

HWND CreateCommand(HWND parent, int id, const std::string& caption, RECT place) {
  return CreateWindowExW(0, kCommandClass, Wide(caption).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, place.left,
                         place.top, place.right - place.left, place.bottom - place.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

ui::CommandCore* CommandOf(HWND button) {
  wchar_t name[64] = {};
  GetClassNameW(button, name, 64);
  if (std::wstring_view(name) != kCommandClass) return nullptr;
  Button* state = ButtonOf(button);
  return state != nullptr ? &state->core : nullptr;
}

void InitialiseCommands(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ui::CommandCore* core = CommandOf(child)) {
      core->Initialize();
      SetTimer(child, kHoverTimer, ui::CommandCore::kTimerIntervalMs, nullptr);
    }
  }
}

bool PressAccessKey(HWND window, wchar_t key) {
  const wchar_t typed = static_cast<wchar_t>(std::towupper(key));
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    ui::CommandCore* core = CommandOf(child);
    if (core == nullptr || !IsWindowVisible(child) || core->AccessKey().empty()) continue;
    const std::wstring own = Wide(core->AccessKey());
    if (!own.empty() && static_cast<wchar_t>(std::towupper(own[0])) == typed) {
      SetFocus(child);
      core->AccessKeyPress();
      return true;
    }
  }
  return false;
}

}  // namespace korvane::win32ui
