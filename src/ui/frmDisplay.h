#pragma once
// The detail window: the full text of one grid cell in a text box that always
// fills the window.

#include <QDialog>
#include <QPlainTextEdit>

namespace korvane::ui {

class frmDisplay : public QDialog {
  Q_OBJECT
 public:
  explicit frmDisplay(QWidget* parent = nullptr);

  QPlainTextEdit* txtinfo() const { return txtinfo_; }
  // Sets the text and shows the window modally; returns when it is closed.
  void ShowText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Form_Resize();

  QPlainTextEdit* txtinfo_ = nullptr;
};

}  // namespace korvane::ui
