#pragma once
// A main window wired to real shared objects (registrar, inspector, grid
// wrappers) over a fresh registry store in a temporary folder, with message
// boxes recorded instead of shown.

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "registration/clsRegistrator.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "support/UserFolders.h"
#include "ui/frmMain.h"

namespace korvane::test {

class MainWindowFixture {
 public:
  MainWindowFixture();
  ~MainWindowFixture();

  ui::frmMain& window() { return *window_; }
  clsActiveX& inspector() { return *inspector_; }
  RecordingUserPort& port() { return port_; }
  const TempDir& dir() const { return dir_; }
  // The program folder the window uses, ending in a separator.
  std::string appPath() const;

  // The file dialog answers with these paths in turn; nullopt is a cancel.
  void AnswerDialog(std::optional<std::string> path);
  int dialogsShown() const { return dialogsShown_; }

 private:
  TempDir dir_;
  std::unique_ptr<ScopedEnv> registryStore_;
  std::unique_ptr<ScopedUserFolders> userFolders_;
  RecordingUserPort port_;
  clsRegistrator registrator_;
  clsGrid gridInfo_;
  clsGrid gridComparison_;
  std::unique_ptr<clsActiveX> inspector_;
  std::unique_ptr<ui::frmMain> window_;
  std::deque<std::optional<std::string>> answers_;
  int dialogsShown_ = 0;
};

// Runs check on the next modal window that opens (polling every 10 ms for at
// most timeoutMs), then closes it. Start it before the call that opens it.
void AnswerNextModal(const std::function<void(QWidget*)>& check, int timeoutMs = 5000);
// Stops every answerer still waiting (call at the end of each test: their
// checks refer to the test's own variables).
void StopAnswering();

// The text of the cells of one grid column, top to bottom.
QStringList ColumnTexts(const FlexGrid& grid, int col);

}  // namespace korvane::test
