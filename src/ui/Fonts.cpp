#include "ui/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QString>

namespace korvane::ui {

namespace {

constexpr double kWindowPointSize = 8.25;
const char* const kWineFontFolder = "/usr/share/wine/fonts/";

// Adds the font file when the family is not known yet.
void EnsureFamily(const QString& family, const QString& fileName) {
  if (QFontDatabase::hasFamily(family)) return;
  const QString path = QString::fromLatin1(kWineFontFolder) + fileName;
  if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
}

QFont WindowFont(const QString& family, const QString& fallback) {
  LoadWindowFonts();
  QFont font(QFontDatabase::hasFamily(family) ? family : fallback);
  font.setPointSizeF(kWindowPointSize);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

void LoadWindowFonts() {
  static const bool loaded = [] {
    EnsureFamily(QStringLiteral("Tahoma"), QStringLiteral("tahoma.ttf"));
    EnsureFamily(QStringLiteral("MS Sans Serif"), QStringLiteral("ms_sans_serif.ttf"));
    return true;
  }();
  (void)loaded;
}

QFont GridFont() { return WindowFont(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")); }

QFont ButtonFont() {
  return WindowFont(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
}

}  // namespace korvane::ui
