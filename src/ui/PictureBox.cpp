#include "ui/PictureBox.h"

#include <QPainter>

namespace korvane::ui {

PictureBox::PictureBox(std::function<QPixmap()> draw, QWidget* parent)
    : QWidget(parent), draw_(std::move(draw)) {}

const QPixmap& PictureBox::Picture() {
  if (picture_.isNull() && draw_) picture_ = draw_();
  return picture_;
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, Picture());
}

}  // namespace korvane::ui
