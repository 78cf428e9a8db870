#include "ui/QtWindowHost.h"

#include "platform/Process.h"
#include "ui/frmMain.h"

namespace korvane::ui {

QtWindowHost::QtWindowHost() = default;
QtWindowHost::~QtWindowHost() = default;

void QtWindowHost::LoadMainWindow() {
  if (!main_) {
    main_ = std::make_unique<frmMain>();
    main_->Form_Load();
  }
}

void QtWindowHost::LoadDisplayWindow() {}

void QtWindowHost::SetFileText(const std::string& text) {
  LoadMainWindow();
  main_->txtFile()->setText(QString::fromStdString(text));
}

void QtWindowHost::SetActiveTab(int index) {
  LoadMainWindow();
  main_->XTab1()->setCurrentIndex(index);
}

void QtWindowHost::ShowMainWindow() {
  LoadMainWindow();
  main_->show();
  shown_ = true;
}

void QtWindowHost::UnloadMainWindow() {
  if (main_) main_->close();
}

void QtWindowHost::UnloadDisplayWindow() {}

void QtWindowHost::EndProcess() { platform::EndProcess(0); }

}  // namespace korvane::ui
