#pragma once
// What a window shows on screen: its client area captured with its children
// drawn, read pixel by pixel and written as a BMP file for a person to see;
// and the message pump that lets the windows paint first.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/win32/Win32Ui.h"

namespace korvane::test {

// 32-bit pixels, top row first.
struct Capture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFFu; }
};

// Lets this thread's windows handle what is pending (painting included).
void Pump();

Capture CaptureClient(HWND window);
bool WriteBmp(const Capture& capture, const std::string& path);

// The place of a child in its parent's client coordinates.
RECT PlaceOf(HWND child);

}  // namespace korvane::test
