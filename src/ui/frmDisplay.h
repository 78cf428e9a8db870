#pragma once
// The detail window: the full text of one grid cell in a text box that always
// fills the window; a view of the detail form.

#include <QDialog>
#include <QPlainTextEdit>

#include "forms/DisplayForm.h"

namespace korvane::ui {

class frmDisplay : public QDialog, private forms::DisplayView {
  Q_OBJECT
 public:
  explicit frmDisplay(QWidget* parent = nullptr);

  QPlainTextEdit* txtinfo() const { return txtinfo_; }
  // Sets the text and shows the window modally; returns when it is closed.
  void ShowText(const QString& text) { form_.ShowText(text.toStdString()); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // forms::DisplayView
  void SetCaption(const std::string& caption) override { setWindowTitle(QString::fromStdString(caption)); }
  void SetClientTwips(int width, int height) override;
  void PlaceTextTwips(const forms::TwipRect& place) override;
  void PlaceTextPixels(int left, int top, int width, int height) override {
    txtinfo_->setGeometry(left, top, width, height);
  }
  void SetText(const std::string& text) override { txtinfo_->setPlainText(QString::fromStdString(text)); }
  void ShowModal() override { exec(); }

  QPlainTextEdit* txtinfo_ = nullptr;
  forms::DisplayForm form_;
};

}  // namespace korvane::ui
