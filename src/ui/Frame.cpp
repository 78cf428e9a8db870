#include "ui/Frame.h"

#include <QPainter>

namespace korvane::ui {

namespace {
const QColor kEtchDark(0xD0, 0xD0, 0xBF);
const QColor kEtchLight(0xFF, 0xFF, 0xFF);
}  // namespace

Frame::Frame(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setAutoFillBackground(true);
}

void Frame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  // The border runs through the middle of the title's line.
  const int top = metrics.height() / 2;
  const QRect box(0, top, width() - 2, height() - top - 2);
  painter.setPen(kEtchDark);
  painter.drawRect(box);
  painter.setPen(kEtchLight);
  painter.drawRect(box.translated(1, 1));
  if (title_.isEmpty()) return;
  const int textWidth = metrics.horizontalAdvance(title_);
  const QRect titleRect(7, 0, textWidth + 4, metrics.height());
  painter.fillRect(titleRect, palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(titleRect, Qt::AlignCenter, title_);
}

}  // namespace korvane::ui
