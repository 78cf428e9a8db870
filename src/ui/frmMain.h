#pragma once
// The main window in Qt: three tabs (one file: information and registration;
// two files: comparison; options: shell verbs, readme, web page). A view of
// the toolkit-free main form, which holds the handlers' logic.

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "forms/MainForm.h"
#include "inspection/FlexGrid.h"
#include "ui/CommonDialog.h"

namespace korvane::ui {

class Command;
class Frame;
class FlexGridView;
class XTab;
class frmDisplay;
class TabIcon;
class TypeLibraryMenu;

class frmMain : public QWidget, private forms::MainFormView {
  Q_OBJECT
 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Load handler: caption from the program's version, the registry object for
  // the shell verbs, every Command button initialised.
  void Form_Load();

  forms::MainForm& Form() { return form_; }
  void SetSharedObjects(clsRegistrator* registrator, clsActiveX* inspector) {
    form_.SetSharedObjects(registrator, inspector);
  }
  void SetAppPath(const std::string& appPath) { form_.SetAppPath(appPath); }
  void SetUnloadHandler(std::function<void()> handler) { form_.SetUnloadHandler(std::move(handler)); }
  // The detail window the grids open; one of its own is made when none is given.
  void SetDisplayWindow(frmDisplay* display) { display_ = display; }

  // The two grid models, bound to the inspector's grid wrappers.
  FlexGrid& GridInfoModel() { return form_.GridModel(forms::Grid::Info); }
  FlexGrid& GridComparisonModel() { return form_.GridModel(forms::Grid::Comparison); }

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
  // The info grid's context menu.
  TypeLibraryMenu* gridinfoMenu() const { return typeLibraryMenu_; }
  // Made when first needed: the comparison tab is often never opened.
  FlexGridView* gridcomparison();
  TabIcon* picTabIcon(int index) const;
  CommonDialog& comDlg() { return comDlg_; }
  frmDisplay* DisplayWindow();
  clsRegistry* mRegistry() const { return form_.Registry(); }

  // Event handlers: each goes to the form.
  void cmdBrowse_Click() { form_.Browse(); }
  void cmdSelectOne_Click() { form_.SelectOne(); }
  void cmdSelectTwo_Click() { form_.SelectTwo(); }
  void cmdReg_Click() { form_.Register(); }
  void cmdUnReg_Click() { form_.Unregister(); }
  void cmdShellEX_Click() { form_.ToggleShellVerbs(); }
  void cmdReadme_Click() { form_.OpenReadme(); }
  void cmdWeb_Click() { form_.OpenWebPage(); }
  void XTab1_Switch();
  void gridinfo_DblClick(int row, int col) { form_.GridDoubleClick(forms::Grid::Info, row, col); }
  void gridcomparison_DblClick(int row, int col) { form_.GridDoubleClick(forms::Grid::Comparison, row, col); }
  void picTabIcon_Click(int index) { form_.TabIconClick(index); }
  void picTabIcon_GotFocus(int index) { form_.TabIconGotFocus(index); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void BuildTabIcons();
  QLineEdit* Box(forms::FileBox box) const;

  // The view's side of the main form.
  std::optional<std::string> ChooseFile(const forms::FileDialogRequest& request) override;
  std::string FileBoxText(forms::FileBox box) const override;
  void SetFileBoxText(forms::FileBox box, const std::string& text) override;
  void SetWindowCaption(const std::string& caption) override;
  std::string ShellButtonCaption() const override;
  void SetShellButtonCaption(const std::string& caption) override;
  void SetShellLabel(const std::string& text) override;
  int ActiveTab() const override;
  void SetActiveTab(int tab) override;
  void FocusTabControl() override;
  void InitialiseButtons() override;
  void ShowDetail(const std::string& text) override;

  forms::MainForm form_;
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
  TypeLibraryMenu* typeLibraryMenu_ = nullptr;
  Frame* frmComparison_ = nullptr;
  std::map<int, TabIcon*> tabIcons_;
  std::map<int, QWidget*> controls_;  // by the layout's control id
  CommonDialog comDlg_;
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
