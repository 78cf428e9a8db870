#include "ui/XTab.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/CommandSkins.h"
#include "ui/Fonts.h"
#include "ui/VerticalGradient.h"

namespace korvane::ui {

namespace {

std::vector<std::string> Utf8(const QStringList& texts) {
  std::vector<std::string> out;
  for (const QString& text : texts) out.push_back(text.toStdString());
  return out;
}

}  // namespace

XTab::XTab(const QStringList& captions, QWidget* parent) : QWidget(parent), strip_(Utf8(captions)) {
  setFont(ButtonFont());
  setFocusPolicy(Qt::StrongFocus);
  strip_.OnSwitched([this](int previous, int now) {
    ShowActiveControls();
    update();
    emit TabSwitched(previous, now, 0, 0);
  });
}

void XTab::SetTabEnabled(int index, bool enabled) {
  strip_.SetEnabled(index, enabled);
  update();
}

// The system's button-face colour (system colour 15).
QColor XTab::DisabledTabColour() const { return palette().color(QPalette::Button); }

QColor XTab::DisabledTextColour() const { return ColorFromBgr(forms::kTabDisabledText); }

void XTab::AddToTab(int index, QWidget* control) {
  controls_.emplace_back(index, control);
  control->setVisible(strip_.PageShown(index));
}

void XTab::ShowActiveControls() {
  // Hide first, so that focus does not wander through the controls that go.
  for (auto& [index, control] : controls_) {
    if (!strip_.PageShown(index)) control->hide();
  }
  for (auto& [index, control] : controls_) {
    if (strip_.PageShown(index)) control->show();
  }
}

QRect XTab::HeaderRect(int index) const {
  const forms::HeaderSpan span = strip_.Header(index, width());
  return QRect(span.left, 0, span.right - span.left, kTabHeight);
}

void XTab::DrawCaption(QPainter& painter, const QRect& header, const QString& caption) const {
  const auto [blanks, text] = forms::SplitCaption(caption.toStdString());
  // An icon of the active page that sits in this header pushes the text right.
  int iconRight = -1;
  for (const auto& [index, control] : controls_) {
    if (!strip_.PageShown(index) || control->y() >= kTabHeight) continue;
    const QRect placed = control->geometry();
    if (placed.left() >= header.left() && placed.left() < header.right()) {
      iconRight = std::max(iconRight, placed.left() + placed.width());
    }
  }
  const int left = forms::CaptionLeft(
      header.left(), painter.fontMetrics().horizontalAdvance(QString(blanks, QLatin1Char(' '))), iconRight);
  const QRect textRect(left, header.top() + 2, std::max(0, header.right() - 3 - left), header.height() - 4);
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   QString::fromStdString(text));
}

void XTab::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  const QColor activeColour = ColorFromBgr(forms::kTabActiveColour);
  const QRect page(0, kTabHeight - 1, width() - 1, height() - kTabHeight);
  painter.fillRect(page, activeColour);

  const int drop = forms::kTabInactiveDrop;
  for (int i = 0; i < TabCount(); ++i) {
    const QRect header = HeaderRect(i);
    if (strip_.PageShown(i)) {
      painter.fillRect(header, activeColour);
    } else if (!TabEnabled(i)) {
      painter.fillRect(header.adjusted(0, drop, 0, 0), DisabledTabColour());
    } else {
      FillVerticalGradient(painter, header.adjusted(0, drop, 0, 0), ColorFromBgr(forms::kTabInactiveTop),
                           ColorFromBgr(forms::kTabInactiveBottom));
    }
    painter.setPen(TabEnabled(i) ? palette().color(QPalette::WindowText) : DisabledTextColour());
    DrawCaption(painter, header, TabCaption(i));
  }

  // Outer border: the page, and each header; the active header opens onto the page.
  painter.setPen(ColorFromBgr(forms::kTabBorderColour));
  painter.drawRect(page);
  for (int i = 0; i < TabCount(); ++i) {
    const QRect header = HeaderRect(i);
    const int top = strip_.PageShown(i) ? 0 : drop;
    const int right = std::min(header.right(), width() - 1);
    painter.drawLine(header.left(), top, right, top);
    painter.drawLine(header.left(), top, header.left(), kTabHeight - 1);
    painter.drawLine(right, top, right, kTabHeight - 1);
  }
  const QRect active = HeaderRect(Tab());
  painter.setPen(activeColour);
  painter.drawLine(active.left() + 1, kTabHeight - 1, std::min(active.right(), width() - 1) - 1,
                   kTabHeight - 1);
}

void XTab::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (strip_.HeaderAt(pos.x(), pos.y(), width()) < 0) {
    QWidget::mousePressEvent(event);
    return;
  }
  strip_.Press(pos.x(), pos.y(), width());
}

void XTab::keyPressEvent(QKeyEvent* event) {
  const forms::TabKey key = event->key() == Qt::Key_Left    ? forms::TabKey::Left
                            : event->key() == Qt::Key_Right ? forms::TabKey::Right
                                                            : forms::TabKey::Other;
  if (key == forms::TabKey::Other) {
    QWidget::keyPressEvent(event);
    return;
  }
  strip_.Key(key);
}

}  // namespace korvane::ui
