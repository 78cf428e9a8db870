#pragma once
// The info grid's context menu on the Windows API: "Show type library..." as
// the form decides it, a menu of the libraries when the file holds several,
// and the IDL in a window of its own (a read-only multi-line edit box with
// File > Save As).

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/TypeLibraryViewer.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class TypeLibraryItem final : private forms::TypeLibraryViewerView {
 public:
  TypeLibraryItem(HWND owner, forms::IdlSource source);
  ~TypeLibraryItem();
  TypeLibraryItem(const TypeLibraryItem&) = delete;
  TypeLibraryItem& operator=(const TypeLibraryItem&) = delete;

  void SetIdlSource(forms::IdlSource source);
  // The grid's WM_CONTEXTMENU at a screen point ((-1, -1) from the keyboard).
  void ContextMenu(HWND grid, POINT screen, const std::string& inspectedFile);

  // Stands in for the pop-up menus: gets the items and whether each is
  // enabled, returns the chosen index or nothing when the menu was dismissed.
  using MenuChooser =
      std::function<std::optional<std::size_t>(const std::vector<std::string>& items, const std::vector<bool>& enabled)>;
  void SetMenuChooser(MenuChooser chooser) { chooser_ = std::move(chooser); }
  // The IDL window opened last (nullptr before the first).
  HWND LastWindow() const { return lastWindow_; }

 private:
  forms::TypeLibraryViewerView& View() { return *this; }
  std::optional<std::size_t> Popup(const std::vector<std::string>& items, const std::vector<bool>& enabled);
  std::optional<std::size_t> ChooseTypeLibrary(const std::vector<std::string>& captions) override;
  void ShowIdl(const forms::IdlDocument& document) override;

  HWND owner_;
  POINT at_{};
  std::unique_ptr<forms::TypeLibraryViewer> viewer_;
  MenuChooser chooser_;
  HWND lastWindow_ = nullptr;
};

// A modeless window onto the document, owned by owner.
HWND ShowIdlWindow(HWND owner, const forms::IdlDocument& document);
// The command id of an IDL window's File > Save As.
inline constexpr int kIdlSaveAsCommand = 101;
inline constexpr int kIdlTextId = 10;
// Stands in for the save dialog of every IDL window: gets the suggested
// name, returns the chosen path or nothing for a cancel.
void SetIdlSaveChooser(std::function<std::optional<std::string>(const std::string& suggested)> chooser);

}  // namespace korvane::win32ui
