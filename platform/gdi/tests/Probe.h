#pragma once
// A small canvas for pixel probes: a memory DC with a 32-bit top-down DIB section selected.
#include <gdi/Gdi.h>

#include <string>

class Canvas {
public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255), int bpp = 32);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return m_dc; }
  HBITMAP bitmap() const { return m_bitmap; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
  void Fill(COLORREF colour);
  // The canvas as text, one character per pixel: '#' for `ink`, '.' for anything else.
  std::string Picture(COLORREF ink, RECT area) const;
  // Writes the canvas to $TEST_PNG_DIR/<name>.png when that variable is set, for a person to look at.
  void Save(const char* name) const;

private:
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  int m_width, m_height;
};
