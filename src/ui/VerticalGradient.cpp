#include "ui/VerticalGradient.h"

#include <QPainter>
#include <cmath>

namespace korvane::ui {

namespace {
// Rounded so that a gradient and its reverse give the same colour per row.
int Mix(int a, int b, int row, int last) {
  return a + static_cast<int>(std::floor(static_cast<double>(b - a) * row / last + 0.5));
}
}  // namespace

QColor GradientRowColour(const QColor& top, const QColor& bottom, int row, int rows) {
  if (rows <= 1) return top;
  const int last = rows - 1;
  return QColor(Mix(top.red(), bottom.red(), row, last), Mix(top.green(), bottom.green(), row, last),
                Mix(top.blue(), bottom.blue(), row, last));
}

void FillVerticalGradient(QPainter& painter, const QRect& area, const QColor& top, const QColor& bottom) {
  // Plain rows instead of a gradient brush: cheap for the small areas of the
  // window and without the paint engine's worker threads.
  for (int row = 0; row < area.height(); ++row) {
    painter.fillRect(QRect(area.left(), area.top() + row, area.width(), 1),
                     GradientRowColour(top, bottom, row, area.height()));
  }
}

}  // namespace korvane::ui
