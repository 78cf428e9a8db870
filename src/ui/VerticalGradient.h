#pragma once
// A vertical two-colour gradient drawn one row at a time, as the platform's
// gradient fill does: the top row has the first colour, the bottom row the
// second, the rows between are interpolated per channel.

#include <QColor>
#include <QRect>

class QPainter;

namespace korvane::ui {

// The colour of row `row` of `rows` (row 0 = top).
QColor GradientRowColour(const QColor& top, const QColor& bottom, int row, int rows);

void FillVerticalGradient(QPainter& painter, const QRect& area, const QColor& top, const QColor& bottom);

}  // namespace korvane::ui
