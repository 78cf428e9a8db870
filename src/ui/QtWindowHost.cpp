#include "ui/QtWindowHost.h"

#include "platform/Process.h"
#include "ui/XTab.h"
#include "ui/frmDisplay.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"

namespace korvane::ui {

QtWindowHost::QtWindowHost() = default;

QtWindowHost::~QtWindowHost() {
  // The main window refers to the detail window: it goes first.
  main_.reset();
  display_.reset();
}

void QtWindowHost::LoadMainWindow() {
  if (!main_) {
    main_ = std::make_unique<frmMain>();
    if (display_) main_->SetDisplayWindow(display_.get());
    ConnectMainWindow();
    main_->Form_Load();
  }
}

void QtWindowHost::LoadDisplayWindow() {
  if (!display_) {
    display_ = std::make_unique<frmDisplay>();
    if (main_) main_->SetDisplayWindow(display_.get());
  }
}

FlexGrid& QtWindowHost::GridInfo() {
  LoadMainWindow();
  return main_->GridInfoModel();
}

FlexGrid& QtWindowHost::GridComparison() {
  LoadMainWindow();
  return main_->GridComparisonModel();
}

void QtWindowHost::SetFileText(const std::string& text) {
  LoadMainWindow();
  main_->txtFile()->setText(QString::fromStdString(text));
}

void QtWindowHost::SetActiveTab(int index) {
  LoadMainWindow();
  main_->XTab1()->SetTab(index);
}

void QtWindowHost::ShowMainWindow() {
  LoadMainWindow();
  main_->show();
  shown_ = true;
}

void QtWindowHost::Connect(const ApplicationLink& link) {
  link_ = link;
  ConnectMainWindow();
}

void QtWindowHost::ConnectMainWindow() {
  if (main_) main_->Form().Connect(link_);
}

void QtWindowHost::UnloadMainWindow() {
  if (main_) main_->close();
}

void QtWindowHost::UnloadDisplayWindow() {
  if (display_) display_->close();
}

void QtWindowHost::EndProcess() { platform::EndProcess(0); }

ReportProgress* QtWindowHost::ProgressWindow(bool& cancelFlag) {
  if (!progress_) progress_ = std::make_unique<frmProgress>(cancelFlag);
  return &progress_->Form();
}

}  // namespace korvane::ui
