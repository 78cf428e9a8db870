#pragma once
// The folder report's progress window: what is being done, the current
// file, a progress bar and a Cancel button; a view of the progress form,
// which the report drives and which refuses every request to close.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "forms/ProgressForm.h"
#include "report/CreateReport.h"

namespace korvane::ui {

class frmProgress : public QWidget, private forms::ProgressView {
  Q_OBJECT
 public:
  // bCancelReport is the flag Cancel sets; it must outlive the window.
  explicit frmProgress(bool& bCancelReport, QWidget* parent = nullptr);

  // What the report drives.
  forms::ProgressForm& Form() { return form_; }

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
  // forms::ProgressView. ShowWindow returns once the window is on screen
  // and painted (or after a bound).
  void ShowWindow() override;
  void HideWindow() override { hide(); }
  void SetBarRange(int max) override { ProgressBar1_->setRange(0, max); }
  void SetBarValue(int value) override { ProgressBar1_->setValue(value); }
  void SetFileLabel(const std::string& text) override { lblFile_->setText(QString::fromStdString(text)); }

  QLabel* Picture1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label2_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* lblFile_ = nullptr;
  QWidget* Picture2_ = nullptr;
  QProgressBar* ProgressBar1_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  forms::ProgressForm form_;
};

// The -f switch's report: output.txt in the current directory with this
// window showing the progress, opened through the shell when finished.
// bCancelReport is the program's cancel flag (basMain::bCancelReport).
ReportOutcome CreateReportWithProgress(const std::string& sFolder, bool& bCancelReport);

}  // namespace korvane::ui
