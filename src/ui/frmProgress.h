#pragma once
// The folder report's progress window: what is being done, the current
// file, a progress bar and a Cancel button. It cannot be closed: Cancel is
// the only way to stop the report, and a request to close is refused.

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "report/CreateReport.h"
#include "report/ReportProgress.h"

namespace korvane::ui {

class frmProgress : public QWidget, public ReportProgress {
  Q_OBJECT
 public:
  // bCancelReport is the flag Cancel sets; it must outlive the window.
  explicit frmProgress(bool& bCancelReport, QWidget* parent = nullptr);

  // ReportProgress. Show returns with the window on screen and painted.
  void Show() override;
  void SetMax(int max) override;
  void SetValue(int value) override;
  void SetCurrentFile(const std::string& name) override;
  void Hide() override;
  void Unload() override;

  QLabel* Label1() const { return Label1_; }
  QLabel* Label2() const { return Label2_; }
  QLabel* Label3() const { return Label3_; }
  QLabel* lblFile() const { return lblFile_; }
  QProgressBar* ProgressBar1() const { return ProgressBar1_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }
  QLabel* Picture1() const { return Picture1_; }
  QWidget* Picture2() const { return Picture2_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void cmdCancel_Click();
  // Returns once the window is on screen and painted (or after a bound).
  void WaitUntilOnScreen();
  // Puts the latest value and file name on screen, at most every few
  // hundredths of a second unless forced: drawing each of many thousand
  // files would cost more than the report itself.
  void Present(bool force);

  bool& bCancelReport_;
  QLabel* Picture1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label2_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* lblFile_ = nullptr;
  QWidget* Picture2_ = nullptr;
  QProgressBar* ProgressBar1_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  int value_ = 0;
  int max_ = 1;
  QString file_;
  QElapsedTimer sincePresented_;
};

// The -f switch's report: output.txt in the current directory with this
// window showing the progress, opened through the shell when finished.
// bCancelReport is the program's cancel flag (basMain::bCancelReport).
ReportOutcome CreateReportWithProgress(const std::string& sFolder, bool& bCancelReport);

}  // namespace korvane::ui
