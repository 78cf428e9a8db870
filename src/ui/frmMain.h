#pragma once
// The main window: three tabs (one file: information and registration; two
// files: comparison; options: shell verbs, readme, web page). Its handlers work
// through the program's shared registrar and inspector.

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "inspection/FlexGrid.h"
#include "ui/CommonDialog.h"

namespace korvane {
struct ShellCaptions;
class clsActiveX;
class clsRegistrator;
class clsRegistry;
}  // namespace korvane

namespace korvane::ui {

class Command;
class Frame;
class FlexGridView;
class XTab;
class frmDisplay;
class TabIcon;

// The vendor's web page, opened by Visit Website.
inline constexpr const char* kVendorWebAddress = "https://korvane.example.org/";

class frmMain : public QWidget {
  Q_OBJECT
 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Load handler: caption from the program's version, the registry object for
  // the shell verbs, every Command button initialised.
  void Form_Load();

  // The shared objects the handlers work through; a handler that needs one
  // not given fails as with an object not set.
  void SetSharedObjects(clsRegistrator* registrator, clsActiveX* inspector);
  // The program folder (with its separator); until it is given, the program
  // file's own folder.
  void SetAppPath(const std::string& appPath) { appPath_ = appPath; }
  // What the unload handler calls last: the program's shut-down.
  void SetUnloadHandler(std::function<void()> handler) { unloadHandler_ = std::move(handler); }
  // The detail window the grids open; one of its own is made when none is given.
  void SetDisplayWindow(frmDisplay* display) { display_ = display; }

  // The two grid models, bound to the inspector's grid wrappers.
  FlexGrid& GridInfoModel() { return gridInfoModel_; }
  FlexGrid& GridComparisonModel() { return gridComparisonModel_; }

  // Controls.
  XTab* XTab1() const { return xtab_; }
  QLineEdit* txtFile() const { return txtFile_; }
  QLineEdit* txtFirstFile() const { return txtFirstFile_; }
  QLineEdit* txtSecondFile() const { return txtSecondFile_; }
  Command* cmdBrowse() const { return cmdBrowse_; }
  Command* cmdReg() const { return cmdReg_; }
  Command* cmdUnReg() const { return cmdUnReg_; }
  Command* cmdSelectOne() const { return cmdSelectOne_; }
  Command* cmdSelectTwo() const { return cmdSelectTwo_; }
  Command* cmdShellEX() const { return cmdShellEX_; }
  Command* cmdReadme() const { return cmdReadme_; }
  Command* cmdWeb() const { return cmdWeb_; }
  QLabel* lblShell() const { return lblShell_; }
  QLabel* Label2() const { return label2_; }
  FlexGridView* gridinfo() const { return gridinfo_; }
  // Made when first needed: the comparison tab is often never opened.
  FlexGridView* gridcomparison();
  TabIcon* picTabIcon(int index) const;
  CommonDialog& comDlg() { return comDlg_; }
  frmDisplay* DisplayWindow();
  clsRegistry* mRegistry() const { return mRegistry_.get(); }

  // Event handlers.
  void cmdBrowse_Click();
  void cmdSelectOne_Click();
  void cmdSelectTwo_Click();
  void cmdReg_Click();
  void cmdUnReg_Click();
  void cmdShellEX_Click();
  void cmdReadme_Click();
  void cmdWeb_Click();
  void XTab1_Switch();
  void gridinfo_DblClick(int row, int col);
  void gridcomparison_DblClick(int row, int col);
  void picTabIcon_Click(int index);
  void picTabIcon_GotFocus(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildFileTab();
  void BuildComparisonTab();
  void BuildOptionsTab();
  void BuildTabIcons();
  Command* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                      int width, int height);
  Frame* MakeFrame(QWidget* parent, const char* title, int left, int top, int width, int height);
  std::optional<std::string> ChooseFile();
  void OpenCell(FlexGrid& grid, int row, int col);
  ShellCaptions ShellStateCaptions();
  void Form_Unload();
  clsActiveX* Inspector() const;
  clsRegistrator* Registrator() const;
  std::string AppPath() const;

  FlexGrid gridInfoModel_;
  FlexGrid gridComparisonModel_;
  XTab* xtab_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
  QLineEdit* txtFirstFile_ = nullptr;
  QLineEdit* txtSecondFile_ = nullptr;
  Command* cmdBrowse_ = nullptr;
  Command* cmdReg_ = nullptr;
  Command* cmdUnReg_ = nullptr;
  Command* cmdSelectOne_ = nullptr;
  Command* cmdSelectTwo_ = nullptr;
  Command* cmdShellEX_ = nullptr;
  Command* cmdReadme_ = nullptr;
  Command* cmdWeb_ = nullptr;
  QLabel* lblShell_ = nullptr;
  QLabel* label2_ = nullptr;
  FlexGridView* gridinfo_ = nullptr;
  FlexGridView* gridcomparison_ = nullptr;
  Frame* frmComparison_ = nullptr;
  std::map<int, TabIcon*> tabIcons_;
  CommonDialog comDlg_;
  std::unique_ptr<clsRegistry> mRegistry_;
  clsRegistrator* registrator_ = nullptr;
  clsActiveX* inspector_ = nullptr;
  std::string appPath_;
  std::function<void()> unloadHandler_;
  frmDisplay* display_ = nullptr;
  std::unique_ptr<frmDisplay> ownDisplay_;
  bool exitAfterShow_ = false;
};

// A picture box of the tab-icon control array.
class TabIcon : public QLabel {
  Q_OBJECT
 public:
  TabIcon(int index, QWidget* parent);
  int Index() const { return index_; }

 signals:
  void Clicked(int index);
  void GotFocus(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  int index_;
};

}  // namespace korvane::ui
