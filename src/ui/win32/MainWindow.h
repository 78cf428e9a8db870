#pragma once
// The main window on the Windows API: a view of the main form. Its controls
// sit at the designed twip places, scaled with the system's resolution, and
// carry the ids of the form's layout so that tests find them.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "forms/MainForm.h"
#include "forms/TabStrip.h"
#include "ui/win32/GridList.h"
#include "ui/win32/TabControl.h"
#include "ui/win32/TypeLibraryItem.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class DisplayWindow;

class MainWindow final : private forms::MainFormView {
 public:
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND Window() const { return window_; }
  forms::MainForm& Form() { return form_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  // The tooltip control holding the grids' hint.
  HWND Tooltip() const { return tooltip_; }
  // The info grid's context menu.
  TypeLibraryItem& TypeLibraries() { return *typeLibraries_; }

  // Stands in for the file dialog: gets its settings, returns the chosen path
  // or nothing for a cancel.
  using Chooser = std::function<std::optional<std::string>(const forms::FileDialogRequest&)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }
  // Stands in for the modal detail window.
  void SetDetailShower(std::function<void(const std::string&)> shower) { detailShower_ = std::move(shower); }

  void SetActiveTab(int tab) override;
  int ActiveTab() const override;

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  void ShowTabControls();
  void Command(int id);
  LRESULT Notify(NMHDR* header);

  // forms::MainFormView
  std::optional<std::string> ChooseFile(const forms::FileDialogRequest& request) override;
  std::string FileBoxText(forms::FileBox box) const override;
  void SetFileBoxText(forms::FileBox box, const std::string& text) override;
  void SetWindowCaption(const std::string& caption) override;
  std::string ShellButtonCaption() const override;
  void SetShellButtonCaption(const std::string& caption) override;
  void SetShellLabel(const std::string& text) override;
  void FocusTabControl() override;
  void InitialiseButtons() override;
  void ShowDetail(const std::string& text) override;

  forms::MainForm form_;
  forms::TabStrip strip_;
  std::unique_ptr<TabControl> tabControl_;
  HWND window_ = nullptr;
  HWND tab_ = nullptr;
  HWND tooltip_ = nullptr;
  HBRUSH background_ = nullptr;
  std::map<int, int> tabOfControl_;  // control id -> tab
  std::unique_ptr<GridList> gridInfo_;
  std::unique_ptr<GridList> gridComparison_;
  std::unique_ptr<TypeLibraryItem> typeLibraries_;
  Chooser chooser_;
  std::function<void(const std::string&)> detailShower_;
  std::unique_ptr<DisplayWindow> display_;  // made at the first detail, then kept
};

void RegisterWindowClasses();

}  // namespace korvane::win32ui
