#include "WindowCapture.h"

#include <cstdio>

namespace korvane::test {

void Pump() {
  MSG msg;
  for (int round = 0; round < 5; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

RECT PlaceOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Capture CaptureClient(HWND window) {
  Capture capture;
  RECT client;
  GetClientRect(window, &client);
  capture.width = client.right;
  capture.height = client.bottom;
  HDC source = GetDCEx(window, nullptr, DCX_CACHE);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // What is on screen: the window with its children drawn.
  BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* data = static_cast<const std::uint32_t*>(bits);
  capture.pixels.assign(data, data + capture.width * capture.height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return capture;
}

bool WriteBmp(const Capture& capture, const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const std::uint32_t imageSize = static_cast<std::uint32_t>(capture.pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageSize;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = capture.width;
  header.biHeight = -capture.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biSizeImage = imageSize;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  const bool written = std::fwrite(capture.pixels.data(), 4, capture.pixels.size(), out) == capture.pixels.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace korvane::test
