#include "ui/frmDisplay.h"

#include <QResizeEvent>

#include "forms/CommandGeometry.h"
#include "forms/DisplayLayout.h"

namespace korvane::ui {

frmDisplay::frmDisplay(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(forms::kDisplayCaption));
  txtinfo_ = new QPlainTextEdit(this);
  txtinfo_->setObjectName(QStringLiteral("txtinfo"));
  txtinfo_->setReadOnly(true);
  txtinfo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtinfo_->setGeometry(TwipsToPixels(forms::kDisplayText.left), TwipsToPixels(forms::kDisplayText.top),
                        TwipsToPixels(forms::kDisplayText.width), TwipsToPixels(forms::kDisplayText.height));
  resize(TwipsToPixels(forms::kDisplayWidth), TwipsToPixels(forms::kDisplayHeight));
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
