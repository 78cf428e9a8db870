#include "ui/frmDisplay.h"

#include <QResizeEvent>

#include "forms/CommandGeometry.h"

namespace korvane::ui {

frmDisplay::frmDisplay(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("selection info"));
  txtinfo_ = new QPlainTextEdit(this);
  txtinfo_->setObjectName(QStringLiteral("txtinfo"));
  txtinfo_->setReadOnly(true);
  txtinfo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtinfo_->setGeometry(0, 0, TwipsToPixels(1845), TwipsToPixels(885));
  resize(TwipsToPixels(3780), TwipsToPixels(990));
}

void frmDisplay::ShowText(const QString& text) {
  txtinfo_->setPlainText(text);
  exec();
}

void frmDisplay::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void frmDisplay::Form_Resize() {
  txtinfo_->setGeometry(0, 0, width(), height());
}

}  // namespace korvane::ui
