#pragma once
// A frame: an etched rectangle with its title on the top edge, holding other
// controls placed relative to its own top-left corner.

#include <QWidget>

namespace korvane::ui {

class Frame : public QWidget {
  Q_OBJECT
 public:
  Frame(const QString& title, QWidget* parent);
  QString title() const { return title_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
};

}  // namespace korvane::ui
