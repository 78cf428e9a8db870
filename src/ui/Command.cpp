#include "ui/Command.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "forms/CommandGeometry.h"
#include "ui/CommandSkins.h"
#include "ui/Fonts.h"
#include "forms/PropertyBag.h"
#include "ui/VerticalGradient.h"

namespace korvane::ui {

namespace {

CommandMouseButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return CommandMouseButton::Left;
    case Qt::RightButton: return CommandMouseButton::Right;
    default: return CommandMouseButton::Middle;
  }
}

// The gradient's two ends, RGB.
const QColor kGradientLight(0xFF, 0xFF, 0xFF);
const QColor kGradientDark(0xC6, 0xC5, 0xD7);
// The focus lines: a thin dark grey frame inside the skin's border.
const QColor kFocusLineColour(0x50, 0x50, 0x50);

}  // namespace

Command::Command(QWidget* parent) : QWidget(parent) {
  setFont(ButtonFont());
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  timer_.setInterval(CommandCore::kTimerIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &Command::TimerTick);
  core_.SetFontFace(font().family().toStdString());  // before the hooks: no signal
  Wire();
  core_.Redraw();
}

Command::Command(const PropertyBag& designed, QWidget* parent) : Command(parent) {
  ReadProperties(designed);
}

void Command::Wire() {
  core_.onClick = [this] { emit Click(); };
  core_.onPropertyChanged = [this](const std::string& name) {
    emit PropertyChanged(QString::fromStdString(name));
  };
  core_.onPaint = [this] { LookChanged(); };
}

void Command::LookChanged() {
  const bool enabled = core_.IsEnabled();
  if (isEnabled() != enabled) QWidget::setEnabled(enabled);
  UpdateAccessKey();
  update();
}

void Command::UpdateAccessKey() {
  const std::string& key = core_.AccessKey();
  if (key == grabbedKey_) return;
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  grabbedKey_ = key;
  if (!key.empty() && key != "&") {
    shortcutId_ = grabShortcut(QKeySequence::mnemonic(QStringLiteral("&") + QString::fromStdString(key)));
  }
}

QString Command::Caption() const { return QString::fromStdString(core_.Caption()); }

void Command::SetCaption(const QString& caption) { core_.SetCaption(caption.toStdString()); }

bool Command::Enabled() { return core_.Enabled(); }

void Command::SetEnabled(bool enabled) { core_.SetEnabled(enabled); }

void Command::SetFont(const QFont& newFont) {
  setFont(newFont);
  core_.SetFontFace(newFont.family().toStdString());
}

void Command::SetFontColour(std::uint32_t colour) { core_.SetFontColour(colour); }

void Command::SetVisible(std::uint8_t value) { core_.SetVisible(value); }

void Command::Initialize() {
  core_.Initialize();
  timer_.start();
  update();
}

QString Command::ContainerFontFamily() const {
  return parentWidget() ? parentWidget()->font().family() : QApplication::font().family();
}

void Command::ReadProperties(const PropertyBag& bag) {
  core_.ReadProperties(bag, ContainerFontFamily().toStdString());
  // Only the face name is taken; size and style stay.
  QFont f = font();
  f.setFamily(QString::fromStdString(core_.FontFace()));
  setFont(f);
}

void Command::WriteProperties(PropertyBag& bag) {
  core_.WriteProperties(bag, ContainerFontFamily().toStdString());
}

bool Command::CursorOverThis() const {
  if (probe_) return probe_();
  return QApplication::widgetAt(QCursor::pos()) == this;
}

void Command::TimerTick() { core_.TimerTick(CursorOverThis()); }

void Command::paintEvent(QPaintEvent*) {
  if (!core_.Opaque()) return;
  QPainter painter(this);
  const int w = width();
  const int h = height();

  const bool inverted = core_.GradientInverted();
  FillVerticalGradient(painter, rect(), inverted ? kGradientDark : kGradientLight,
                       inverted ? kGradientLight : kGradientDark);

  const QImage& skin = SkinImage(core_.Picture());
  for (const FrameSlice& slice : FrameSlices(w, h)) {
    const PixelRect& s = slice.source;
    const PixelRect& d = slice.destination;
    if (s.width <= 0 || s.height <= 0 || d.width <= 0 || d.height <= 0) continue;
    painter.drawImage(QRect(d.x, d.y, d.width, d.height), skin, QRect(s.x, s.y, s.width, s.height));
  }

  painter.setFont(font());
  painter.setPen(ColorFromBgr(core_.ForeColour()));
  const QString text = Caption();
  const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  const QRect work(4, 0, std::max(0, w - 8), h);
  const QRect measured = painter.boundingRect(work, flags, text);
  const int top = CaptionTop(h, measured.height());
  painter.drawText(QRect(work.left(), top, work.width(), h - top), flags, text);

  if (core_.FocusLinesVisible()) {
    painter.setPen(QPen(kFocusLineColour, 1));
    for (const FocusLine& line : FocusLines(w, h)) {
      // The end point is not part of a line.
      const int dx = line.x2 > line.x1 ? 1 : 0;
      const int dy = line.y2 > line.y1 ? 1 : 0;
      painter.drawLine(line.x1, line.y1, line.x2 - dx, line.y2 - dy);
    }
  }
}

void Command::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  core_.Redraw();
}

void Command::mouseMoveEvent(QMouseEvent*) { core_.MouseMove(); }

void Command::mousePressEvent(QMouseEvent* event) { core_.MouseDown(ButtonOf(event->button())); }

void Command::mouseReleaseEvent(QMouseEvent* event) { core_.MouseUp(ButtonOf(event->button())); }

void Command::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  core_.GotFocus();
}

void Command::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  core_.LostFocus();
}

bool Command::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    auto* shortcut = static_cast<QShortcutEvent*>(event);
    if (shortcut->shortcutId() == shortcutId_ && shortcutId_ != 0) {
      if (!hasFocus()) setFocus(Qt::ShortcutFocusReason);
      core_.AccessKeyPress();
      return true;
    }
  }
  return QWidget::event(event);
}

}  // namespace korvane::ui
