#pragma once
// The main window's tab control: three tab headers 60 pixels high drawn with
// gradients, and a page area. Controls are children of the tab control itself,
// placed relative to it; each belongs to one tab and shows only while that tab
// is active.

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace korvane::ui {

class XTab : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTabHeight = 60;

  XTab(const QStringList& captions, QWidget* parent = nullptr);

  int TabCount() const { return static_cast<int>(captions_.size()); }
  // The active tab, 0 to TabCount() - 1.
  int Tab() const { return tab_; }
  void SetTab(int index);
  QString TabCaption(int index) const { return captions_.value(index); }

  // A disabled tab shows greyed and cannot be chosen by the user.
  void SetTabEnabled(int index, bool enabled);
  bool TabEnabled(int index) const;

  // Puts a child of this control on a tab.
  void AddToTab(int index, QWidget* control);
  // The header rectangle of a tab.
  QRect HeaderRect(int index) const;

  // Looks (0x00BBGGRR colours as the window settings give them).
  QColor ActiveTabColour() const { return activeColour_; }
  QColor InactiveTabTop() const { return inactiveTop_; }
  QColor InactiveTabBottom() const { return inactiveBottom_; }
  QColor BorderColour() const { return borderColour_; }
  QColor DisabledTabColour() const;
  QColor DisabledTextColour() const { return disabledText_; }

 signals:
  // After the active tab changed, by the user or by the program.
  void TabSwitched(int previousTab, int newTab, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowActiveControls();
  void DrawCaption(QPainter& painter, const QRect& header, const QString& caption) const;

  QStringList captions_;
  int tab_ = 0;
  std::vector<std::pair<int, QWidget*>> controls_;
  QColor activeColour_;
  QColor inactiveTop_;
  QColor inactiveBottom_;
  QColor borderColour_;
  QColor disabledText_;
  std::vector<bool> enabled_;
};

}  // namespace korvane::ui
