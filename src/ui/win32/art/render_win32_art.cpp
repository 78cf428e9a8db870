// Draws the Qt program's pictures for korvane.exe: render_win32_art FOLDER
// writes FOLDER/tab1.bmp, tab2.bmp, tab3.bmp (the tab icons), decoration.bmp
// (the third tab's picture) as 32-bit BMP files with premultiplied alpha, the
// form GDI's AlphaBlend draws, and FOLDER/korvane.ico, the program's icon
// (tab icon 1) at the sizes Windows asks for, with straight alpha.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ui/WindowArt.h"

namespace {

constexpr qreal kArtWidth = 47;
constexpr qreal kArtHeight = 44;
constexpr int kIconSizes[] = {16, 24, 32, 48};
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint16_t kBitsPerPixel = 32;
constexpr std::uint32_t kIconDirectorySize = 6;
constexpr std::uint32_t kIconEntrySize = 16;

class Bytes {
 public:
  void U8(unsigned value) { data_.push_back(static_cast<char>(value & 0xFFu)); }
  void U16(unsigned value) {
    U8(value);
    U8(value >> 8);
  }
  void U32(std::uint32_t value) {
    U16(value & 0xFFFFu);
    U16(value >> 16);
  }
  void Append(const std::string& more) { data_ += more; }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

// BITMAPINFOHEADER; an icon's image states twice its height (picture and mask).
void InfoHeader(Bytes& out, int width, int height, std::uint32_t imageSize) {
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);  // planes
  out.U16(kBitsPerPixel);
  out.U32(0);  // BI_RGB
  out.U32(imageSize);
  for (int i = 0; i < 4; ++i) out.U32(0);  // resolution and palette: none
}

// The pixels bottom row first, as B, G, R, A bytes.
std::string BottomUpPixels(const QImage& image) {
  std::string pixels;
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = row[x];
      const char bgra[4] = {static_cast<char>(qBlue(p)), static_cast<char>(qGreen(p)), static_cast<char>(qRed(p)),
                            static_cast<char>(qAlpha(p))};
      pixels.append(bgra, 4);
    }
  }
  return pixels;
}

bool WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

bool WriteBmp(const std::string& path, const QPixmap& picture) {
  const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const std::string pixels = BottomUpPixels(image);
  const auto size = static_cast<std::uint32_t>(pixels.size());
  Bytes out;
  out.U8('B');
  out.U8('M');
  out.U32(kFileHeaderSize + kInfoHeaderSize + size);
  out.U32(0);
  out.U32(kFileHeaderSize + kInfoHeaderSize);
  InfoHeader(out, image.width(), image.height(), size);
  out.Append(pixels);
  return WriteFile(path, out.Data());
}

// Tab icon 1 centred in a square of the given size, straight alpha.
QImage IconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / kArtWidth;
    p.translate(0, (size - kArtHeight * scale) / 2);
    p.scale(scale, scale);
    korvane::ui::PaintTabIcon(p, 1);
  }
  return image.convertToFormat(QImage::Format_ARGB32);
}

bool WriteIco(const std::string& path) {
  std::vector<std::string> images;
  for (int size : kIconSizes) {
    const std::string pixels = BottomUpPixels(IconImage(size));
    const std::size_t maskRow = static_cast<std::size_t>((size + 31) / 32 * 4);
    const std::string mask(maskRow * static_cast<std::size_t>(size), '\0');  // the alpha decides
    Bytes image;
    InfoHeader(image, size, size * 2, static_cast<std::uint32_t>(pixels.size() + mask.size()));
    image.Append(pixels);
    image.Append(mask);
    images.push_back(image.Data());
  }
  Bytes out;
  out.U16(0);
  out.U16(1);  // an icon
  out.U16(static_cast<unsigned>(images.size()));
  std::uint32_t offset = kIconDirectorySize + kIconEntrySize * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.U8(static_cast<unsigned>(kIconSizes[i]));
    out.U8(static_cast<unsigned>(kIconSizes[i]));
    out.U8(0);  // no palette
    out.U8(0);
    out.U16(1);
    out.U16(kBitsPerPixel);
    out.U32(static_cast<std::uint32_t>(images[i].size()));
    out.U32(offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::string& image : images) out.Append(image);
  return WriteFile(path, out.Data());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_win32_art OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool written = true;
  for (int which = 1; which <= 3; ++which) {
    written = WriteBmp(folder + "/tab" + std::to_string(which) + ".bmp", korvane::ui::TabIconPixmap(which)) && written;
  }
  written = WriteBmp(folder + "/decoration.bmp", korvane::ui::DecorationPixmap()) && written;
  written = WriteIco(folder + "/korvane.ico") && written;
  if (!written) {
    std::fprintf(stderr, "render_win32_art: cannot write the pictures into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
