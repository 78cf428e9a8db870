#pragma once
// A picture box whose picture is drawn the first time it is shown, so that
// pictures on tabs the user has not opened cost nothing at start-up.

#include <QPixmap>
#include <QWidget>
#include <functional>

namespace korvane::ui {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(std::function<QPixmap()> draw, QWidget* parent);

  // The picture (drawn now if it has not been yet).
  const QPixmap& Picture();
  bool Drawn() const { return !picture_.isNull(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<QPixmap()> draw_;
  QPixmap picture_;
};

}  // namespace korvane::ui
