#include "forms/MainForm.h"

#include <exception>

#include "KorvaneVersion.h"
#include "app/WindowHost.h"
#include "common/CarryOn.h"
#include "common/ErrorReport.h"
#include "common/VbError.h"
#include "common/basTools.h"
#include "inspection/clsActiveX.h"
#include "platform/Process.h"
#include "registration/clsRegistrator.h"
#include "registry/ShellVerbs.h"
#include "registry/clsRegistry.h"

namespace korvane::forms {

namespace {

constexpr long kObjectNotSet = 91;

// Runs one step of a handler; a failing step is skipped and the next one runs
// (the registrar and the inspector report their own outcomes).
template <typename Step>
void SkipOnFailure(Step&& step) {
  CarryOn("frmMain", std::forward<Step>(step));
}

// The object a handler works through, or the error a missing one raises.
template <typename T>
T& Required(T* object) {
  if (object == nullptr) {
    throw VbError(kObjectNotSet, "frmMain", "Object variable or With block variable not set");
  }
  return *object;
}

void ReportToErrorBox(const char* label, const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const VbError& e) {
    ShowError(label, e);
  } catch (const std::exception& e) {
    ShowError(label, 5, e.what());
  } catch (...) {
    ShowError(label, 5, "Invalid procedure call or argument");
  }
}

// A fill of a grid reaches its view as one change.
template <typename Fill>
void FillAsOne(FlexGrid& grid, Fill&& fill) {
  FlexGrid::Batch batch(grid);
  SkipOnFailure(fill);
}

}  // namespace

std::string MainWindowCaption() {
  return std::string(KORVANE_PRODUCT_NAME) + " v" + std::to_string(KORVANE_VERSION_MAJOR) + "." +
         std::to_string(KORVANE_VERSION_MINOR) + " Build " + std::to_string(KORVANE_BUILD_NUMBER);
}

MainForm::MainForm(MainFormView& view) : view_(view) {}

MainForm::~MainForm() = default;

void MainForm::SetSharedObjects(clsRegistrator* registrator, clsActiveX* inspector) {
  registrator_ = registrator;
  inspector_ = inspector;
}

void MainForm::Connect(const ApplicationLink& link) {
  SetSharedObjects(link.registrator, link.inspector);
  SetAppPath(link.appPath);
  SetUnloadHandler(link.mainWindowUnloaded);
}

std::string MainForm::InspectedFile() const { return inspector_ != nullptr ? inspector_->FileName() : std::string(); }

std::string MainForm::AppPath() const { return appPath_.empty() ? platform::AppPath() : appPath_; }

void MainForm::Load() {
  try {
    view_.SetWindowCaption(MainWindowCaption());
    registry_ = std::make_unique<clsRegistry>();
    view_.InitialiseButtons();
  } catch (...) {
    ReportToErrorBox("Form-Load <- frmMain", std::current_exception());
  }
}

void MainForm::Unload() {
  registry_.reset();
  // A copy: the shut-down it starts may release the window and this form.
  const std::function<void()> handler = unloadHandler_;
  if (handler) handler();
}

void MainForm::Choose(Pick pick) {
  FileDialogRequest request;
  request.filter = "All files(*.*)|*.*";
  request.flags = FileDialogRequest::kHideReadOnly;
  std::optional<std::string> chosen;
  // A dialog that fails counts as cancelled.
  CarryOn("frmMain", [&] { chosen = view_.ChooseFile(request); });
  if (!chosen) return;
  switch (pick) {
    case Pick::File:
      SkipOnFailure([&] { Required(inspector_).SetFileName(*chosen); });
      SkipOnFailure([&] { view_.SetFileBoxText(FileBox::File, Required(inspector_).FileName()); });
      FillAsOne(gridInfo_, [&] { Required(inspector_).DisplayInfo(); });
      return;
    case Pick::First:
      SkipOnFailure([&] { Required(inspector_).SetFirstFilename(*chosen); });
      SkipOnFailure([&] { view_.SetFileBoxText(FileBox::First, Required(inspector_).FirstFilename()); });
      break;
    case Pick::Second:
      SkipOnFailure([&] { Required(inspector_).SetSecondFilename(*chosen); });
      SkipOnFailure([&] { view_.SetFileBoxText(FileBox::Second, Required(inspector_).SecondFilename()); });
      break;
  }
  FillAsOne(gridComparison_, [&] {
    if (Required(inspector_).BothSelected()) Required(inspector_).DoComparison();
  });
}

void MainForm::Browse() { Choose(Pick::File); }

void MainForm::SelectOne() { Choose(Pick::First); }

void MainForm::SelectTwo() { Choose(Pick::Second); }

void MainForm::Register() {
  const std::string file = view_.FileBoxText(FileBox::File);
  SkipOnFailure([&] { Required(registrator_).RegisterActiveX(file); });
  // The grid shows the inspector's file: the last one chosen, not the box.
  FillAsOne(gridInfo_, [&] { Required(inspector_).DisplayInfo(); });
}

void MainForm::Unregister() {
  const std::string file = view_.FileBoxText(FileBox::File);
  SkipOnFailure([&] { Required(registrator_).UnRegisterActiveX(file); });
  FillAsOne(gridInfo_, [&] { Required(inspector_).DisplayInfo(); });
}

namespace {
ShellCaptions CaptionsOf(MainFormView& view) {
  return ShellCaptions{[&view](const std::string& text) { view.SetShellLabel(text); },
                       [&view](const std::string& text) { view.SetShellButtonCaption(text); }};
}
}  // namespace

void MainForm::ToggleShellVerbs() {
  // Failures are reported under "cmdShellEX_Click" by the toggle itself.
  ToggleShellExtensions(view_.ShellButtonCaption(), registry_.get(), AppPath() + platform::ProgramFileName(),
                        CaptionsOf(view_));
}

void MainForm::TabSwitched() {
  if (view_.ActiveTab() != 2) return;
  SkipOnFailure([&] { ShowShellState(Required(registry_.get()), CaptionsOf(view_)); });
}

void MainForm::OpenReadme() { ShellOpen(AppPath() + "readme.txt"); }

void MainForm::OpenWebPage() { ShellOpen(kVendorWebAddress); }

void MainForm::GridDoubleClick(Grid which, int row, int col) {
  FlexGrid& grid = GridModel(which);
  // A failed double click ends quietly.
  CarryOn("frmMain", [&] {
    grid.SetCol(col);
    grid.SetRow(row);
    view_.ShowDetail(grid.Text());
  });
}

void MainForm::TabIconClick(int index) {
  switch (std::to_string(index).front()) {
    case '1': view_.SetActiveTab(0); break;
    case '2': view_.SetActiveTab(1); break;
    case '3': view_.SetActiveTab(2); break;
    default: break;
  }
}

void MainForm::TabIconGotFocus(int) { view_.FocusTabControl(); }

}  // namespace korvane::forms
