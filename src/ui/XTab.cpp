#include "ui/XTab.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/CommandSkins.h"
#include "ui/Fonts.h"
#include "ui/VerticalGradient.h"

namespace korvane::ui {

XTab::XTab(const QStringList& captions, QWidget* parent)
    : QWidget(parent),
      captions_(captions),
      activeColour_(ColorFromBgr(0x00FBFDFB)),
      inactiveTop_(ColorFromBgr(0x00FFFFFF)),
      inactiveBottom_(ColorFromBgr(0x00EAF0F0)),
      borderColour_(ColorFromBgr(0x009B9C91)),
      disabledText_(ColorFromBgr(0x00A0A0A0)),
      enabled_(static_cast<std::size_t>(captions.size()), true) {
  setFont(ButtonFont());
  setFocusPolicy(Qt::StrongFocus);
}

void XTab::SetTab(int index) {
  if (index < 0 || index >= TabCount() || index == tab_) return;
  const int previous = tab_;
  tab_ = index;
  ShowActiveControls();
  update();
  emit TabSwitched(previous, tab_, 0, 0);
}

void XTab::SetTabEnabled(int index, bool enabled) {
  if (index < 0 || index >= TabCount()) return;
  enabled_[static_cast<std::size_t>(index)] = enabled;
  update();
}

bool XTab::TabEnabled(int index) const {
  return index >= 0 && index < TabCount() && enabled_[static_cast<std::size_t>(index)];
}

// The system's button-face colour (system colour 15).
QColor XTab::DisabledTabColour() const { return palette().color(QPalette::Button); }

void XTab::AddToTab(int index, QWidget* control) {
  controls_.emplace_back(index, control);
  control->setVisible(index == tab_);
}

void XTab::ShowActiveControls() {
  // Hide first, so that focus does not wander through the controls that go.
  for (auto& [index, control] : controls_) {
    if (index != tab_) control->hide();
  }
  for (auto& [index, control] : controls_) {
    if (index == tab_) control->show();
  }
}

QRect XTab::HeaderRect(int index) const {
  const int count = std::max(1, TabCount());
  const int left = width() * index / count;
  const int right = width() * (index + 1) / count;
  return QRect(left, 0, right - left, kTabHeight);
}

void XTab::DrawCaption(QPainter& painter, const QRect& header, const QString& caption) const {
  // The leading spaces keep the caption clear of the icon at the header's
  // left; where an icon reaches further than the spaces, the text starts
  // after it.
  qsizetype spaces = 0;
  while (spaces < caption.size() && caption[spaces] == QLatin1Char(' ')) ++spaces;
  int left = header.left() + 4 + painter.fontMetrics().horizontalAdvance(QString(spaces, QLatin1Char(' ')));
  for (const auto& [index, control] : controls_) {
    if (index != tab_ || control->y() >= kTabHeight) continue;
    const QRect placed = control->geometry();
    if (placed.left() >= header.left() && placed.left() < header.right()) {
      left = std::max(left, placed.right() + 4);
    }
  }
  const QRect textRect(left, header.top() + 2, std::max(0, header.right() - 3 - left), header.height() - 4);
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   caption.mid(spaces));
}

void XTab::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  const QRect page(0, kTabHeight - 1, width() - 1, height() - kTabHeight);
  painter.fillRect(page, activeColour_);

  for (int i = 0; i < TabCount(); ++i) {
    const QRect header = HeaderRect(i);
    if (i == tab_) {
      painter.fillRect(header, activeColour_);
    } else if (!TabEnabled(i)) {
      painter.fillRect(header.adjusted(0, 4, 0, 0), DisabledTabColour());
    } else {
      FillVerticalGradient(painter, header.adjusted(0, 4, 0, 0), inactiveTop_, inactiveBottom_);
    }
    painter.setPen(TabEnabled(i) ? palette().color(QPalette::WindowText) : disabledText_);
    DrawCaption(painter, header, captions_[i]);
  }

  // Outer border: the page, and each header; the active header opens onto the page.
  painter.setPen(borderColour_);
  painter.drawRect(page);
  for (int i = 0; i < TabCount(); ++i) {
    const QRect header = HeaderRect(i);
    const int top = i == tab_ ? 0 : 4;
    const int right = std::min(header.right(), width() - 1);
    painter.drawLine(header.left(), top, right, top);
    painter.drawLine(header.left(), top, header.left(), kTabHeight - 1);
    painter.drawLine(right, top, right, kTabHeight - 1);
  }
  const QRect active = HeaderRect(tab_);
  painter.setPen(activeColour_);
  painter.drawLine(active.left() + 1, kTabHeight - 1, std::min(active.right(), width() - 1) - 1,
                   kTabHeight - 1);
}

void XTab::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  for (int i = 0; i < TabCount(); ++i) {
    if (HeaderRect(i).contains(pos)) {
      if (TabEnabled(i)) SetTab(i);
      return;
    }
  }
  QWidget::mousePressEvent(event);
}

void XTab::keyPressEvent(QKeyEvent* event) {
  // Left and right arrows move to the next enabled tab that way.
  int step = 0;
  if (event->key() == Qt::Key_Left) step = -1;
  if (event->key() == Qt::Key_Right) step = 1;
  if (step == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  for (int i = tab_ + step; i >= 0 && i < TabCount(); i += step) {
    if (TabEnabled(i)) {
      SetTab(i);
      return;
    }
  }
}

}  // namespace korvane::ui
