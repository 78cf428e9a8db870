// Renders the program's icon (the window icon's drawing) as square PNG files
// for the hicolor theme: render_icons OUTPUT_FOLDER SIZE... writes
// OUTPUT_FOLDER/SIZExSIZE/apps/korvane.png.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "ui/WindowArt.h"

namespace {

constexpr qreal kArtWidth = 47;
constexpr qreal kArtHeight = 44;

bool Render(const QString& folder, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / kArtWidth;
    p.translate(0, (size - kArtHeight * scale) / 2);  // centred in the square
    p.scale(scale, scale);
    korvane::ui::PaintTabIcon(p, 1);
  }
  const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
  return QDir().mkpath(dir) && image.save(dir + QStringLiteral("/korvane.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: render_icons OUTPUT_FOLDER SIZE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = QString::fromLocal8Bit(argv[i]).toInt();
    if (size < 8 || size > 1024 || !Render(QString::fromLocal8Bit(argv[1]), size)) {
      std::fprintf(stderr, "render_icons: cannot write the %s px icon\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
