#pragma once
// The Windows view's one way to the Windows API: <windows.h> with the common
// controls and dialogs, and the conversions to UTF-16 for the W functions.

#include "platform/win32/WinApi.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace korvane::win32ui {

using platform::win32::Narrow;
using platform::win32::Wide;

// Twips to pixels at the system's resolution (15 twips per pixel at 96 dpi).
int Px(int twips);
int SystemDpi();

// Registers a window class of this program with the arrow cursor; a class
// registered before stays as it is.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr, UINT style = 0,
                         HICON icon = nullptr);

// The object a window was created for (its creation parameter), kept in the
// window from WM_NCCREATE on, when its handle is also stored in the object's
// member `handle`; null for messages before that.
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lParam, HWND T::*handle) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    object->*handle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A window's text as UTF-8.
std::string TextOf(HWND window);
void SetText(HWND window, const std::string& text);

// The buffers of a common file dialog: the "description|pattern|..." filter
// as the dialog's NUL-separated pairs, and a name buffer of the longest path
// holding the name the dialog starts with.
struct FileDialogBuffers {
  FileDialogBuffers(const std::string& filterText, const std::string& fileName);
  std::wstring filter;
  std::vector<wchar_t> name;
};

// 0x00BBGGRR to a GDI colour (the same layout).
inline COLORREF Gdi(unsigned bgr) { return static_cast<COLORREF>(bgr & 0xFFFFFFu); }
// 0xRRGGBB to a GDI colour.
inline COLORREF FromRgb(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The fonts the windows use, made once: MS Sans Serif 8.25 pt for buttons,
// labels and tabs (Tahoma away from 96 dpi); Tahoma 8.25 pt for the grids.
// A face the system lacks is taken from Wine's font folder when running
// under Wine, else the system's dialog font stands in.
HFONT ButtonFont();
HFONT GridFont();
// The faces those fonts were made with.
const wchar_t* ButtonFace();
const wchar_t* GridFace();

// An owned GDI object.
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  ~GdiObject() {
    if (object_ != nullptr) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_;
};

}  // namespace korvane::win32ui
