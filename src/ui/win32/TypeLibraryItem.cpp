#include "ui/win32/TypeLibraryItem.h"

#include <utility>

namespace korvane::win32ui {

namespace {

constexpr const wchar_t* kIdlClass = L"Korvane.Idl";
constexpr int kCloseCommand = 102;
constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 560;

std::function<std::optional<std::string>(const std::string&)>& SaveChooser() {
  static std::function<std::optional<std::string>(const std::string&)> chooser;
  return chooser;
}

// What an IDL window keeps: its document, freed with the window.
struct IdlWindowState {
  forms::IdlDocument document;
};

HFONT FixedFont() {
  static const GdiObject font(CreateFontW(-MulDiv(9, SystemDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          FIXED_PITCH | FF_MODERN, L"Courier New"));
  return static_cast<HFONT>(font.get());
}

// The edit box breaks lines at CR LF only.
std::wstring EditText(const std::string& text) {
  std::wstring wide = Wide(text);
  std::wstring out;
  out.reserve(wide.size() + wide.size() / 16);
  for (wchar_t c : wide) {
    if (c == L'\n') out.push_back(L'\r');
    out.push_back(c);
  }
  return out;
}

std::optional<std::string> ChooseSaveFile(HWND owner, const std::string& suggested) {
  if (SaveChooser()) return SaveChooser()(suggested);
  FileDialogBuffers buffers(forms::kIdlFileFilter, suggested);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = buffers.filter.c_str();
  dialog.lpstrFile = buffers.name.data();
  dialog.nMaxFile = static_cast<DWORD>(buffers.name.size());
  dialog.lpstrDefExt = L"idl";
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return Narrow(buffers.name.data());
}

LRESULT CALLBACK IdlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<IdlWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, kIdlTextId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdlSaveAsCommand && state != nullptr) {
        if (const auto path = ChooseSaveFile(window, state->document.suggestedFile)) {
          forms::SaveIdl(state->document, *path);
        }
        return 0;
      }
      if (LOWORD(wParam) == kCloseCommand) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete state;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterIdlClass() {
  RegisterWindowClass(kIdlClass, IdlProc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), 0,
                      LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

HMENU IdlMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kIdlSaveAsCommand, L"Save &As...");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kCloseCommand, L"&Close");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  return bar;
}

}  // namespace

void SetIdlSaveChooser(std::function<std::optional<std::string>(const std::string&)> chooser) {
  SaveChooser() = std::move(chooser);
}

HWND ShowIdlWindow(HWND owner, const forms::IdlDocument& document) {
  RegisterIdlClass();
  auto state = std::make_unique<IdlWindowState>(IdlWindowState{document});
  HWND window = CreateWindowExW(0, kIdlClass, Wide(document.title).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, kInitialWidth, kInitialHeight, owner, IdlMenu(),
                                GetModuleHandleW(nullptr), state.get());
  if (window == nullptr) return nullptr;
  state.release();  // the window frees it
  HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                 ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                             0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdlTextId)),
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(FixedFont()), FALSE);
  // A large library is far beyond the edit box's default limit.
  SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextW(box, EditText(document.text).c_str());
  RECT client;
  GetClientRect(window, &client);
  MoveWindow(box, 0, 0, client.right, client.bottom, FALSE);
  ShowWindow(window, SW_SHOW);
  return window;
}

TypeLibraryItem::TypeLibraryItem(HWND owner, forms::IdlSource source)
    : owner_(owner), viewer_(std::make_unique<forms::TypeLibraryViewer>(View(), std::move(source))) {}

TypeLibraryItem::~TypeLibraryItem() = default;

void TypeLibraryItem::SetIdlSource(forms::IdlSource source) {
  viewer_ = std::make_unique<forms::TypeLibraryViewer>(View(), std::move(source));
}

void TypeLibraryItem::ContextMenu(HWND grid, POINT screen, const std::string& inspectedFile) {
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the grid's top left corner.
    RECT place;
    GetWindowRect(grid, &place);
    screen = POINT{place.left, place.top};
  }
  at_ = screen;
  const forms::MenuItemState item = viewer_->MenuItem(inspectedFile);
  if (Popup({item.caption}, {item.enabled}) == std::optional<std::size_t>(0)) viewer_->Show(inspectedFile);
}

std::optional<std::size_t> TypeLibraryItem::Popup(const std::vector<std::string>& items,
                                                  const std::vector<bool>& enabled) {
  if (chooser_) return chooser_(items, enabled);
  HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < items.size(); ++i) {
    AppendMenuW(menu, MF_STRING | (enabled[i] ? MF_ENABLED : MF_GRAYED), i + 1, Wide(items[i]).c_str());
  }
  const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at_.x, at_.y, 0, owner_, nullptr);
  DestroyMenu(menu);
  if (chosen <= 0) return std::nullopt;
  return static_cast<std::size_t>(chosen - 1);
}

std::optional<std::size_t> TypeLibraryItem::ChooseTypeLibrary(const std::vector<std::string>& captions) {
  return Popup(captions, std::vector<bool>(captions.size(), true));
}

void TypeLibraryItem::ShowIdl(const forms::IdlDocument& document) { lastWindow_ = ShowIdlWindow(owner_, document); }

}  // namespace korvane::win32ui
