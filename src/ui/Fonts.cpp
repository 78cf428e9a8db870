#include "ui/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <cmath>

namespace korvane::ui {

namespace {

constexpr double kWindowPointSize = 8.25;
const char* const kWineFontFolder = "/usr/share/wine/fonts/";

// The family to use: the wanted one when the system has it or Wine's font
// folder provides it, else the fallback. Each lookup goes through the font
// configuration, so callers keep the answer.
QString UsableFamily(const QString& family, const QString& fileName, const QString& fallback) {
  if (QFontDatabase::hasFamily(family)) return family;
  const QString path = QString::fromLatin1(kWineFontFolder) + fileName;
  if (QFile::exists(path)) {
    const int id = QFontDatabase::addApplicationFont(path);
    if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(family)) return family;
  }
  return fallback;
}

// MS Sans Serif is a bitmap font with glyphs for the standard 96 dots per
// inch only; on a display drawn at another resolution (150 %, say) Qt would
// place its small glyphs at scaled positions.
bool StandardResolution() {
  constexpr long kStandardDpi = 96;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return true;
  return std::lround(screen->logicalDotsPerInchY() * screen->devicePixelRatio()) == kStandardDpi;
}

QFont WindowFont(const QString& family) {
  QFont font(family);
  font.setPointSizeF(kWindowPointSize);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont GridFont() {
  static const QString family =
      UsableFamily(QStringLiteral("Tahoma"), QStringLiteral("tahoma.ttf"), QStringLiteral("DejaVu Sans"));
  return WindowFont(family);
}

QFont ButtonFont() {
  static const QString family =
      StandardResolution()
          ? UsableFamily(QStringLiteral("MS Sans Serif"), QStringLiteral("ms_sans_serif.ttf"),
                         QStringLiteral("DejaVu Sans"))
          : UsableFamily(QStringLiteral("Tahoma"), QStringLiteral("tahoma.ttf"), QStringLiteral("DejaVu Sans"));
  return WindowFont(family);
}

}  // namespace korvane::ui
