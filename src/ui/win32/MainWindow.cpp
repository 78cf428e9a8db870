#include "ui/win32/MainWindow.h"

#include <vector>

#include "forms/MainLayout.h"
#include "forms/TypeLibraryIdl.h"
#include "ui/win32/CommandButton.h"
#include "ui/win32/DisplayWindow.h"
#include "ui/win32/TabArt.h"
#include "ui/win32/TabControl.h"

namespace korvane::win32ui {

namespace {

constexpr const wchar_t* kMainClass = L"Korvane.Main";

using forms::ControlKind;
using forms::ControlPlace;

RECT TwipRect(int left, int top, int width, int height) {
  return RECT{Px(left), Px(top), Px(left + width), Px(top + height)};
}

// A control's place on the window: its own place plus its frame's and the
// tab control's origins (every control is a child of the window itself, so
// that its notifications come here).
RECT PlaceOnWindow(const ControlPlace& place) {
  int left = forms::kTabLeft + place.left;
  int top = forms::kTabTop + place.top;
  if (place.parentId != 0) {
    for (const ControlPlace& frame : forms::MainWindowControls()) {
      if (frame.id == place.parentId) {
        left += frame.left;
        top += frame.top;
      }
    }
  }
  return TwipRect(left, top, place.width, place.height);
}

HWND Make(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, RECT r, int id, DWORD exStyle = 0) {
  HWND control = CreateWindowExW(exStyle, cls, Wide(text).c_str(), WS_CHILD | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ButtonFont()), FALSE);
  return control;
}

// The signed screen point a mouse message carries.
POINT ScreenPoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

MainWindow::MainWindow() : form_(*this), strip_({forms::TabCaption(0), forms::TabCaption(1), forms::TabCaption(2)}) {
  RegisterWindowClasses();
  background_ = CreateSolidBrush(Gdi(forms::kWindowColour));
  RECT frame{0, 0, Px(forms::kClientWidth), Px(forms::kClientHeight)};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  window_ = CreateWindowExW(0, kMainClass, L"Korvane", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  Build();
}

MainWindow::~MainWindow() {
  display_.reset();
  tabControl_.reset();
  gridInfo_.reset();
  gridComparison_.reset();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  DeleteObject(background_);
}

void MainWindow::Build() {
  const RECT tabPlace = TwipRect(forms::kTabLeft, forms::kTabTop, forms::kTabWidth, forms::kTabHeight);
  tabControl_ = std::make_unique<TabControl>(window_, forms::kIdTab, tabPlace, strip_);
  // Each header's caption starts right of the icon that sits in it.
  for (const forms::TabIconPlace& icon : forms::TabIcons()) {
    if (icon.tab == 0) tabControl_->SetIconRight(icon.picture - 1, Px(icon.left + icon.width));
  }
  tab_ = tabControl_->Window();
  strip_.OnSwitched([this](int, int) {
    ShowTabControls();
    InvalidateRect(tab_, nullptr, FALSE);
    form_.TabSwitched();
  });

  // Frames first, so that the controls inside them lie above them.
  for (const ControlPlace& place : forms::MainWindowControls()) {
    if (place.kind != ControlKind::Frame) continue;
    Make(window_, L"BUTTON", place.text, BS_GROUPBOX, PlaceOnWindow(place), place.id);
    tabOfControl_[place.id] = place.tab;
  }
  for (const ControlPlace& place : forms::MainWindowControls()) {
    const RECT r = PlaceOnWindow(place);
    switch (place.kind) {
      case ControlKind::Frame:
        continue;
      case ControlKind::Label:
        Make(window_, L"STATIC", place.text, SS_LEFT, r, place.id);
        break;
      case ControlKind::TextBox:
        Make(window_, L"EDIT", place.text, WS_TABSTOP | ES_AUTOHSCROLL, r, place.id, WS_EX_CLIENTEDGE);
        break;
      case ControlKind::Button:
        CreateCommand(window_, place.id, place.text, r);
        break;
      case ControlKind::Picture:
        Make(window_, L"STATIC", "", SS_OWNERDRAW, r, place.id);
        break;
      case ControlKind::Grid: {
        FlexGrid& model = form_.GridModel(place.id == forms::kIdGridInfo ? forms::Grid::Info : forms::Grid::Comparison);
        auto list = std::make_unique<GridList>(model, window_, place.id, r);
        (place.id == forms::kIdGridInfo ? gridInfo_ : gridComparison_) = std::move(list);
        break;
      }
    }
    tabOfControl_[place.id] = place.tab;
  }
  for (const forms::TabIconPlace& icon : forms::TabIcons()) {
    const int id = forms::kIdTabIconBase + icon.index;
    Make(window_, L"STATIC", "", SS_OWNERDRAW | SS_NOTIFY,
         TwipRect(forms::kTabLeft + icon.left, forms::kTabTop + icon.top, icon.width, icon.height), id);
    tabOfControl_[id] = icon.tab;
  }
  // Both grids carry the hint that a double click shows more.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  std::wstring hint = Wide(forms::kGridTip);
  for (int id : {forms::kIdGridInfo, forms::kIdGridComparison}) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
    tool.lpszText = hint.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  typeLibraries_ = std::make_unique<TypeLibraryItem>(window_, forms::TypeLibraryIdl);
  // The tab control lies below every control on it.
  SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowTabControls();
}

void MainWindow::ShowTabControls() {
  const int active = ActiveTab();
  for (const auto& [id, tab] : tabOfControl_) ShowWindow(Control(id), tab == active ? SW_SHOWNA : SW_HIDE);
}

int MainWindow::ActiveTab() const { return strip_.Active(); }

void MainWindow::SetActiveTab(int tab) { strip_.Select(tab); }

void MainWindow::Command(int id) {
  switch (id) {
    case forms::kIdCmdBrowse: form_.Browse(); break;
    case forms::kIdCmdReg: form_.Register(); break;
    case forms::kIdCmdUnReg: form_.Unregister(); break;
    case forms::kIdCmdSelectOne: form_.SelectOne(); break;
    case forms::kIdCmdSelectTwo: form_.SelectTwo(); break;
    case forms::kIdCmdShellEX: form_.ToggleShellVerbs(); break;
    case forms::kIdCmdReadme: form_.OpenReadme(); break;
    case forms::kIdCmdWeb: form_.OpenWebPage(); break;
    default:
      if (id > forms::kIdTabIconBase) {
        form_.TabIconClick(id - forms::kIdTabIconBase);
        form_.TabIconGotFocus(id - forms::kIdTabIconBase);
      }
      break;
  }
}

LRESULT MainWindow::Notify(NMHDR* header) {
  const int id = static_cast<int>(header->idFrom);
  GridList* grid = id == forms::kIdGridInfo ? gridInfo_.get() : id == forms::kIdGridComparison ? gridComparison_.get() : nullptr;
  if (grid != nullptr && header->code == NM_CUSTOMDRAW) {
    return grid->CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
  }
  if (grid != nullptr && header->code == NM_DBLCLK) {
    const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
    int row = 0, col = 0;
    if (grid->CellAt(activate->ptAction, row, col)) {
      form_.GridDoubleClick(grid == gridInfo_.get() ? forms::Grid::Info : forms::Grid::Comparison, row, col);
    }
    return 0;
  }
  return 0;
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_CLICKED) Command(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return Notify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (gridInfo_ != nullptr && reinterpret_cast<HWND>(wParam) == gridInfo_->Window()) {
        typeLibraries_->ContextMenu(gridInfo_->Window(), ScreenPoint(lParam),
                                    form_.InspectedFile());
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == forms::kIdPicture1) {
        DrawDecoration(item->hDC, item->rcItem);
      } else if (item->CtlID > forms::kIdTabIconBase) {
        DrawTabIcon(item->hDC, item->rcItem, static_cast<int>(item->CtlID) - forms::kIdTabIconBase);
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), Gdi(forms::kWindowColour));
      return reinterpret_cast<LRESULT>(background_);
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window_, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
      return 1;
    }
    case WM_SYSCHAR:
      if (PressAccessKey(window_, static_cast<wchar_t>(wParam))) return 0;
      break;
    case WM_CLOSE:
      ShowWindow(window_, SW_HIDE);
      form_.Unload();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject(window, message, lParam, &MainWindow::window_);
  if (self == nullptr || self->tab_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

std::optional<std::string> MainWindow::ChooseFile(const forms::FileDialogRequest& request) {
  if (chooser_) return chooser_(request);
  FileDialogBuffers buffers(request.filter, request.fileName);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = buffers.filter.c_str();
  dialog.lpstrFile = buffers.name.data();
  dialog.nMaxFile = static_cast<DWORD>(buffers.name.size());
  dialog.Flags = static_cast<DWORD>(request.flags) | OFN_EXPLORER | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return Narrow(buffers.name.data());
}

namespace {
int BoxId(forms::FileBox box) {
  switch (box) {
    case forms::FileBox::First: return forms::kIdTxtFirstFile;
    case forms::FileBox::Second: return forms::kIdTxtSecondFile;
    case forms::FileBox::File: break;
  }
  return forms::kIdTxtFile;
}
}  // namespace

std::string MainWindow::FileBoxText(forms::FileBox box) const { return TextOf(Control(BoxId(box))); }

void MainWindow::SetFileBoxText(forms::FileBox box, const std::string& text) { SetText(Control(BoxId(box)), text); }

void MainWindow::SetWindowCaption(const std::string& caption) { SetText(window_, caption); }

std::string MainWindow::ShellButtonCaption() const { return TextOf(Control(forms::kIdCmdShellEX)); }

void MainWindow::SetShellButtonCaption(const std::string& caption) { SetText(Control(forms::kIdCmdShellEX), caption); }

void MainWindow::SetShellLabel(const std::string& text) { SetText(Control(forms::kIdLblShell), text); }

void MainWindow::FocusTabControl() { SetFocus(tab_); }

void MainWindow::InitialiseButtons() { InitialiseCommands(window_); }

void MainWindow::ShowDetail(const std::string& text) {
  if (detailShower_) {
    detailShower_(text);
  } else {
    if (!display_) display_ = std::make_unique<DisplayWindow>(window_);
    display_->ShowText(text);
  }
}

void RegisterWindowClasses() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RegisterCommandClass();
    RegisterWindowClass(kMainClass, MainWindow::Proc, nullptr, 0,
                        LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    return true;
  }();
  (void)registered;
}

}  // namespace korvane::win32ui
