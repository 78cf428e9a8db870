#include "ui/WindowArt.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/VerticalGradient.h"

namespace korvane::ui {

namespace {

const QColor kInk(0x00, 0x3C, 0x74);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kAmber(0xF8, 0xB3, 0x30);
const QColor kSky(0xA9, 0xC5, 0xEF);

// A page with a folded corner and a few text lines.
void DrawPage(QPainter& p, const QRectF& r) {
  QPainterPath page;
  const qreal fold = r.width() * 0.3;
  page.moveTo(r.topLeft());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.bottomRight());
  page.lineTo(r.bottomLeft());
  page.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPath(page);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
  p.setPen(QPen(kSky, 1.5));
  for (qreal y = r.top() + fold + 4; y < r.bottom() - 3; y += 4) {
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
  }
}

QPixmap Blank(int w, int h) {
  QPixmap pixmap(w, h);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QPixmap TabIconPixmap(int which) {
  QPixmap pixmap = Blank(47, 44);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintTabIcon(p, which);
  return pixmap;
}

void PaintTabIcon(QPainter& p, int which) {
  switch (which) {
    case 1: {
      DrawPage(p, QRectF(6, 3, 24, 32));
      p.setPen(QPen(kAmber, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(33, 33), QPointF(42, 41));
      p.setPen(QPen(kInk, 2.5));
      p.setBrush(QColor(255, 255, 255, 170));
      p.drawEllipse(QPointF(27, 26), 8, 8);
      break;
    }
    case 2: {
      DrawPage(p, QRectF(3, 5, 19, 28));
      DrawPage(p, QRectF(25, 11, 19, 28));
      p.setPen(QPen(kAmber, 2.5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(14, 38), QPointF(33, 38));
      p.drawLine(QPointF(14, 38), QPointF(18, 35));
      p.drawLine(QPointF(33, 38), QPointF(29, 41));
      break;
    }
    default: {
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      p.drawEllipse(QPointF(23.5, 22), 19, 19);
      p.setBrush(QColor(0x4A, 0x7C, 0xC0));
      p.drawEllipse(QPointF(21, 18), 14, 13);
      // A question mark drawn as strokes: a hook and a dot.
      QPainterPath hook;
      hook.moveTo(16, 17);
      hook.cubicTo(16, 8, 31, 8, 31, 16);
      hook.cubicTo(31, 22, 23.5, 22, 23.5, 28);
      p.setPen(QPen(kPaper, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(hook);
      p.setPen(Qt::NoPen);
      p.setBrush(kPaper);
      p.drawEllipse(QPointF(23.5, 34), 2.8, 2.8);
      break;
    }
  }
}

QPixmap DecorationPixmap() {
  QPixmap pixmap = Blank(184, 87);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  {
    // The button gradient, clipped to a rounded card.
    QPainterPath card;
    card.addRoundedRect(QRectF(0.5, 0.5, 183, 86), 8, 8);
    p.setClipPath(card);
    FillVerticalGradient(p, QRect(0, 0, 184, 87), QColor(0xFF, 0xFF, 0xFF), QColor(0xC6, 0xC5, 0xD7));
    p.setClipping(false);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(card);
  }
  // A component: a box with pins.
  p.setBrush(kAmber);
  p.drawRoundedRect(QRectF(14, 24, 40, 40), 4, 4);
  p.setPen(QPen(kInk, 2));
  for (int i = 0; i < 4; ++i) {
    const qreal at = 30 + i * 9;
    p.drawLine(QPointF(8, at), QPointF(14, at));
    p.drawLine(QPointF(54, at), QPointF(60, at));
  }
  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(22);
  title.setBold(true);
  p.setFont(title);
  p.setPen(kInk);
  p.drawText(QRectF(68, 18, 112, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvane"));
  QFont sub(QStringLiteral("DejaVu Sans"));
  sub.setPixelSize(10);
  p.setFont(sub);
  p.drawText(QRectF(68, 48, 112, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("COM components"));
  return pixmap;
}

}  // namespace korvane::ui
