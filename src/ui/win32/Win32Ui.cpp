#include "ui/win32/Win32Ui.h"

#include <algorithm>
#include <vector>

namespace korvane::win32ui {

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int Px(int twips) { return MulDiv(twips, SystemDpi(), 1440); }

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = GetWindowTextW(window, buffer.data(), length + 1);
  return Narrow(std::wstring_view(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
}

void SetText(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text).c_str()); }

FileDialogBuffers::FileDialogBuffers(const std::string& filterText, const std::string& fileName)
    : filter(Wide(filterText)), name(32768, L'\0') {
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  const std::wstring start = Wide(fileName);
  start.copy(name.data(), std::min(start.size(), name.size() - 1));
}

namespace {
HFONT MakeFont(const wchar_t* face) {
  // 8.25 points: the height in pixels at the system's resolution.
  const int height = -MulDiv(825, SystemDpi(), 7200);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}
}  // namespace

HFONT ButtonFont() {
  static const HFONT font = MakeFont(L"MS Sans Serif");
  return font;
}

HFONT GridFont() {
  static const HFONT font = MakeFont(L"Tahoma");
  return font;
}

}  // namespace korvane::win32ui
