#pragma once
// The main window's tab control: a view of the tab strip's logic, drawing its
// headers 60 pixels high with gradients, and a page area. Controls are children of the tab control itself,
// placed relative to it; each belongs to one tab and shows only while that tab
// is active.

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "forms/TabStrip.h"

namespace korvane::ui {

class XTab : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTabHeight = forms::kTabHeaderHeight;

  XTab(const QStringList& captions, QWidget* parent = nullptr);

  int TabCount() const { return strip_.Count(); }
  // The active tab, 0 to TabCount() - 1.
  int Tab() const { return strip_.Active(); }
  void SetTab(int index) { strip_.Select(index); }
  QString TabCaption(int index) const { return QString::fromStdString(strip_.Caption(index)); }

  // A disabled tab shows greyed and cannot be chosen by the user.
  void SetTabEnabled(int index, bool enabled);
  bool TabEnabled(int index) const { return strip_.Enabled(index); }

  // Puts a child of this control on a tab.
  void AddToTab(int index, QWidget* control);
  // The header rectangle of a tab.
  QRect HeaderRect(int index) const;

  // Looks (0x00BBGGRR colours as the window settings give them).
  QColor DisabledTabColour() const;
  QColor DisabledTextColour() const;

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

  forms::TabStrip strip_;
  std::vector<std::pair<int, QWidget*>> controls_;
};

}  // namespace korvane::ui
