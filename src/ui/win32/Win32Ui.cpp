#include "ui/win32/Win32Ui.h"

#include <algorithm>
#include <initializer_list>
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

void RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style, HICON icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);  // fails, harmlessly, when registered before
}

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

constexpr int kStandardDpi = 96;

HFONT MakeFont(const wchar_t* face) {
  // 8.25 points: the height in pixels at the system's resolution.
  const int height = -MulDiv(825, SystemDpi(), 7200);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Whether a face of that very name is installed: asking CreateFontW for a
// missing one silently gives a substitute of other widths.
bool HasFace(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// Wine's own font folder as a Windows path, or nothing on Windows itself.
std::wstring WineFontFolder() {
  using ToDosName = WCHAR*(CDECL*)(const char*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel != nullptr ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
  if (proc == nullptr) return {};
  auto toDos = reinterpret_cast<ToDosName>(reinterpret_cast<void (*)()>(proc));
  WCHAR* folder = toDos("/usr/share/wine/fonts/");
  if (folder == nullptr) return {};
  std::wstring path(folder);
  HeapFree(GetProcessHeap(), 0, folder);
  return path;
}

// The face when the system has it; under Wine, whose prefix may lack the
// fonts Wine ships, taken for this process from Wine's font folder (the
// first of the files given that loads).
bool UsableFace(const std::wstring& face, std::initializer_list<const wchar_t*> fileNames) {
  if (HasFace(face)) return true;
  const std::wstring folder = WineFontFolder();
  if (folder.empty()) return false;
  for (const wchar_t* fileName : fileNames) {
    if (AddFontResourceExW((folder + fileName).c_str(), FR_PRIVATE, nullptr) > 0 && HasFace(face)) return true;
  }
  return false;
}

const wchar_t* TahomaOrDialogFace() {
  return UsableFace(L"Tahoma", {L"tahoma.ttf"}) ? L"Tahoma" : L"MS Shell Dlg";
}

}  // namespace

const wchar_t* ButtonFace() {
  // MS Sans Serif is a bitmap font drawn for 96 dpi only; at any other
  // resolution its glyphs stay small at positions that grow. Wine's bitmap
  // copy (sserife.fon) has Windows' widths; its TrueType wrapper of bitmaps
  // does not load through GDI.
  static const wchar_t* const face =
      SystemDpi() == kStandardDpi && UsableFace(L"MS Sans Serif", {L"sserife.fon", L"ms_sans_serif.ttf"})
          ? L"MS Sans Serif"
          : TahomaOrDialogFace();
  return face;
}

const wchar_t* GridFace() {
  static const wchar_t* const face = TahomaOrDialogFace();
  return face;
}

HFONT ButtonFont() {
  static const HFONT font = MakeFont(ButtonFace());
  return font;
}

HFONT GridFont() {
  static const HFONT font = MakeFont(GridFace());
  return font;
}

}  // namespace korvane::win32ui
