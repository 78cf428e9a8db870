#pragma once
// The program's own push button: a vertical gradient, a frame cut from one of
// six skin pictures, a centred word-wrapped caption with an access key, focus
// lines, and a 100 ms timer that notices when the mouse has left it.

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "forms/CommandCore.h"

namespace korvane::ui {

class PropertyBag;

class Command : public QWidget {
  Q_OBJECT
 public:
  // The registered class name of the control.
  static constexpr const char* kClassName = "Korvane.Command";

  explicit Command(QWidget* parent = nullptr);
  // A designed instance: its stored properties are read after creation.
  Command(const PropertyBag& designed, QWidget* parent);

  QString Caption() const;
  void SetCaption(const QString& caption);
  bool Enabled();
  void SetEnabled(bool enabled);
  QFont Font() const { return font(); }
  void SetFont(const QFont& newFont);
  std::uint32_t FontColour() const { return core_.FontColour(); }
  void SetFontColour(std::uint32_t colour);
  std::uint8_t Visible() const { return core_.Visible(); }
  void SetVisible(std::uint8_t value);

  // Starts the hover timer; the button shows Normal.
  void Initialize();

  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag);

  // The logic behind the button (state, picture, access key), for inspection.
  const CommandCore& Core() const { return core_; }
  bool HoverTimerActive() const { return timer_.isActive(); }

  // Whether the window under the cursor is this button. Replaceable so that a
  // test can say where the cursor is.
  void SetCursorProbe(std::function<bool()> probe) { probe_ = std::move(probe); }
  // One tick of the hover timer, as the timer runs it.
  void TimerTick();

  QSize sizeHint() const override { return {64, 21}; }

 signals:
  void Click();
  void PropertyChanged(const QString& name);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Wire();
  void LookChanged();
  void UpdateAccessKey();
  bool CursorOverThis() const;
  QString ContainerFontFamily() const;

  CommandCore core_;
  QTimer timer_;
  std::function<bool()> probe_;
  int shortcutId_ = 0;
  std::string grabbedKey_;
};

}  // namespace korvane::ui
