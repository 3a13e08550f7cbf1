#include "Probe.h"

#include <cstdlib>

Canvas::Canvas(int width, int height, COLORREF fill, int bpp) : m_width(width), m_height(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
  void* bits = nullptr;
  m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  m_dc = CreateCompatibleDC(nullptr);
  m_old = SelectObject(m_dc, m_bitmap);
  Fill(fill);
}

Canvas::~Canvas() {
  SelectObject(m_dc, m_old);
  DeleteDC(m_dc);
  DeleteObject(m_bitmap);
}

void Canvas::Fill(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, m_width, m_height};
  FillRect(m_dc, &all, brush);
  DeleteObject(brush);
}

std::string Canvas::Picture(COLORREF ink, RECT area) const {
  std::string out;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) out += At(x, y) == ink ? '#' : '.';
    out += '\n';
  }
  return out;
}

void Canvas::Save(const char* name) const {
  const char* dir = std::getenv("TEST_PNG_DIR");
  if (!dir) return;
  tolvar::gdi::WritePng(m_bitmap, (std::string(dir) + "/" + name + ".png").c_str());
}
