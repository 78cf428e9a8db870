#include "ui/frmDisplay.h"

#include <QResizeEvent>

#include "forms/CommandGeometry.h"

namespace korvane::ui {

frmDisplay::frmDisplay(QWidget* parent) : QDialog(parent), form_(*this) {
  txtinfo_ = new QPlainTextEdit(this);
  txtinfo_->setObjectName(QStringLiteral("txtinfo"));
  txtinfo_->setReadOnly(true);
  txtinfo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  form_.Load();
}

void frmDisplay::SetClientTwips(int width, int height) { resize(TwipsToPixels(width), TwipsToPixels(height)); }

void frmDisplay::PlaceTextTwips(const forms::TwipRect& place) {
  txtinfo_->setGeometry(TwipsToPixels(place.left), TwipsToPixels(place.top), TwipsToPixels(place.width),
                        TwipsToPixels(place.height));
}

void frmDisplay::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  form_.Resize(width(), height());
}

}  // namespace korvane::ui
