#pragma once
// The main window's behaviour without a toolkit: its event handlers over the
// program's shared registrar and inspector, the two result grids, the shell-verb
// toggle and its captions, the tab icons. A view forwards its events here.

#include <functional>
#include <memory>
#include <string>

#include "forms/MainFormView.h"
#include "inspection/FlexGrid.h"

namespace korvane {
struct ApplicationLink;
class clsActiveX;
class clsRegistrator;
class clsRegistry;
}  // namespace korvane

namespace korvane::forms {

// The vendor's web page, opened by Visit Website.
inline constexpr const char* kVendorWebAddress = "https://korvane.example.org/";
inline constexpr const char* kGridTip = "Double Click for more info";

// Product name, version and build, as the window caption shows them.
std::string MainWindowCaption();

enum class Grid { Info, Comparison };

class MainForm {
 public:
  explicit MainForm(MainFormView& view);
  ~MainForm();
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // The shared objects the handlers work through; a handler that needs one
  // not given fails as with an object not set.
  void SetSharedObjects(clsRegistrator* registrator, clsActiveX* inspector);
  // The program folder (with its separator); until it is given, the program
  // file's own folder.
  void SetAppPath(const std::string& appPath) { appPath_ = appPath; }
  std::string AppPath() const;
  // What unloading calls last: the program's shut-down.
  void SetUnloadHandler(std::function<void()> handler) { unloadHandler_ = std::move(handler); }

  // All three from what start-up hands the windows.
  void Connect(const ApplicationLink& link);

  FlexGrid& GridModel(Grid which) { return which == Grid::Info ? gridInfo_ : gridComparison_; }
  clsRegistry* Registry() const { return registry_.get(); }
  // The file the info grid shows: the inspector's, empty without one.
  std::string InspectedFile() const;

  // Event handlers.
  void Load();
  void Unload();
  void Browse();
  void SelectOne();
  void SelectTwo();
  void Register();
  void Unregister();
  void ToggleShellVerbs();
  void TabSwitched();
  void OpenReadme();
  void OpenWebPage();
  void GridDoubleClick(Grid which, int row, int col);
  void TabIconClick(int index);
  void TabIconGotFocus(int index);

 private:
  enum class Pick { File, First, Second };
  void Choose(Pick pick);

  MainFormView& view_;
  FlexGrid gridInfo_;
  FlexGrid gridComparison_;
  std::unique_ptr<clsRegistry> registry_;
  clsRegistrator* registrator_ = nullptr;
  clsActiveX* inspector_ = nullptr;
  std::string appPath_;
  std::function<void()> unloadHandler_;
};

}  // namespace korvane::forms
