#include "ui/win32/TabControl.h"

#include <algorithm>

#include "ui/win32/TabArt.h"

namespace korvane::win32ui {

namespace {

constexpr const wchar_t* kTabClass = L"Korvane.Tab";

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

}  // namespace

TabControl::TabControl(HWND parent, int id, RECT place, forms::TabStrip& strip)
    : strip_(strip), iconRight_(static_cast<std::size_t>(strip.Count()), -1) {
  RegisterWindowClass(kTabClass, Proc, nullptr, CS_HREDRAW | CS_VREDRAW);
  CreateWindowExW(0, kTabClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, place.left, place.top,
                  place.right - place.left, place.bottom - place.top, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

TabControl::~TabControl() {
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TabControl::SetIconRight(int tab, int right) {
  if (tab >= 0 && tab < strip_.Count()) iconRight_[static_cast<std::size_t>(tab)] = right;
}

LRESULT CALLBACK TabControl::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject(window, message, lParam, &TabControl::window_);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT TabControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      Paint(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_LBUTTONDOWN: {
      RECT client;
      GetClientRect(window_, &client);
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      if (strip_.HeaderAt(x, y, client.right) >= 0) SetFocus(window_);
      strip_.Press(x, y, client.right);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (wParam == VK_LEFT || wParam == VK_RIGHT) {
        strip_.Key(wParam == VK_LEFT ? forms::TabKey::Left : forms::TabKey::Right);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void TabControl::Paint(HDC dc) const {
  RECT client;
  GetClientRect(window_, &client);
  const int top = forms::kTabHeaderHeight - 1;
  const COLORREF active = Gdi(forms::kTabActiveColour);
  // The page, under the headers' row.
  FillColour(dc, RECT{0, 0, client.right, top}, active);
  FillColour(dc, RECT{0, top, client.right, client.bottom}, active);
  for (int tab = 0; tab < strip_.Count(); ++tab) {
    const forms::HeaderSpan span = strip_.Header(tab, client.right);
    DrawHeader(dc, tab, RECT{span.left, 0, span.right, forms::kTabHeaderHeight});
  }
  // The border: the page and each header; the active header opens onto the page.
  HPEN pen = CreatePen(PS_SOLID, 1, Gdi(forms::kTabBorderColour));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const int right = client.right - 1, bottom = client.bottom - 1;
  Line(dc, 0, top, right, top);
  Line(dc, right, top, right, bottom);
  Line(dc, right, bottom, 0, bottom);
  Line(dc, 0, bottom, 0, top);
  for (int tab = 0; tab < strip_.Count(); ++tab) {
    const forms::HeaderSpan span = strip_.Header(tab, client.right);
    const int y = strip_.PageShown(tab) ? 0 : forms::kTabInactiveDrop;
    const int last = std::min(span.right - 1, right);
    Line(dc, span.left, y, last + 1, y);
    Line(dc, span.left, y, span.left, top);
    Line(dc, last, y, last, top);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  const forms::HeaderSpan open = strip_.Header(strip_.Active(), client.right);
  FillColour(dc, RECT{open.left + 1, top, std::min(open.right - 1, right), top + 1}, active);
}

void TabControl::DrawHeader(HDC dc, int tab, RECT header) const {
  RECT fill = header;
  if (!strip_.PageShown(tab)) fill.top += forms::kTabInactiveDrop;
  if (strip_.PageShown(tab)) {
    FillColour(dc, fill, Gdi(forms::kTabActiveColour));
  } else if (!strip_.Enabled(tab)) {
    FillColour(dc, fill, GetSysColor(COLOR_BTNFACE));
  } else {
    FillVerticalGradient(dc, fill, Gdi(forms::kTabInactiveTop), Gdi(forms::kTabInactiveBottom));
  }
  const auto [blanks, caption] = forms::SplitCaption(strip_.Caption(tab));
  const std::wstring text = Wide(caption);
  HGDIOBJ oldFont = SelectObject(dc, ButtonFont());
  SIZE blankSize{};
  const std::wstring spaces(static_cast<std::size_t>(blanks), L' ');
  GetTextExtentPoint32W(dc, spaces.c_str(), static_cast<int>(spaces.size()), &blankSize);
  const int iconRight = iconRight_[static_cast<std::size_t>(tab)];
  RECT room{forms::CaptionLeft(header.left, blankSize.cx, iconRight), header.top + 2, header.right - 3,
            header.bottom - 2};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, strip_.Enabled(tab) ? GetSysColor(COLOR_WINDOWTEXT) : Gdi(forms::kTabDisabledText));
  // Wrapped in the room that is left and centred vertically.
  RECT measure = room;
  DrawTextW(dc, text.c_str(), -1, &measure, DT_LEFT | DT_WORDBREAK | DT_CALCRECT);
  room.top += ((room.bottom - room.top) - (measure.bottom - measure.top)) / 2;
  DrawTextW(dc, text.c_str(), -1, &room, DT_LEFT | DT_WORDBREAK);
  SelectObject(dc, oldFont);
}

}  // namespace korvane::win32ui
