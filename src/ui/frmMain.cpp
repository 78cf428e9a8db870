#include "ui/frmMain.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "app/basMain.h"

namespace korvane::ui {

frmMain::frmMain(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Korvane"));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  auto* fileTab = new QWidget(tabs_);
  auto* fileLayout = new QVBoxLayout(fileTab);
  txtFile_ = new QLineEdit(fileTab);
  fileLayout->addWidget(txtFile_);
  fileLayout->addStretch();
  tabs_->addTab(fileTab, QStringLiteral("Korvane && File Info"));
  tabs_->addTab(new QWidget(tabs_), QStringLiteral("File Comparison"));
  tabs_->addTab(new QWidget(tabs_), QStringLiteral("Options && Help"));
  layout->addWidget(tabs_);
  resize(433, 361);
}

void frmMain::Form_Load() {
  setWindowTitle(QStringLiteral(KORVANE_PRODUCT_NAME " v%1.%2 Build %3")
                     .arg(KORVANE_VERSION_MAJOR)
                     .arg(KORVANE_VERSION_MINOR)
                     .arg(KORVANE_BUILD_NUMBER));
}

void frmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  if (basMain* app = CurrentApplication()) app->EndApplication(true);
}

}  // namespace korvane::ui
