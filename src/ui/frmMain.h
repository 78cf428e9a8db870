#pragma once
// The main window.

#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

namespace korvane::ui {

class frmMain : public QWidget {
  Q_OBJECT
 public:
  explicit frmMain(QWidget* parent = nullptr);

  void Form_Load();
  QTabWidget* XTab1() const { return tabs_; }
  QLineEdit* txtFile() const { return txtFile_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QTabWidget* tabs_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
};

}  // namespace korvane::ui
