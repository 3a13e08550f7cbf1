#pragma once
// The pixels of one window on their way to the X server: a shared-memory image where the server
// offers MIT-SHM on this machine, a plain image sent over the connection otherwise. The buffer also
// remembers the last frame, so that only what changed is sent.
#include <base/WinDef.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tolvar::display {

class XImageBuffer {
public:
  // `shm` is used when true and cleared when the server refuses it (a display on another machine).
  static std::unique_ptr<XImageBuffer> Make(Display* display, int screen, int width, int height, bool& shm);
  ~XImageBuffer();
  XImageBuffer(const XImageBuffer&) = delete;
  XImageBuffer& operator=(const XImageBuffer&) = delete;

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // Takes a new frame of Width() x Height() 0x00RRGGBB pixels, rows `stride` pixels apart (0: the
  // width); answers the bounding box of what changed since the last one (empty when nothing did).
  RECT Update(const std::uint32_t* pixels, int stride = 0);
  // Sends `area` of the last frame to `window`.
  void Put(Window window, GC gc, const RECT& area);

private:
  XImageBuffer(Display* display, int width, int height) : m_display(display), m_width(width), m_height(height) {}
  void Store(int x, int y, std::uint32_t pixel);

  Display* m_display;
  int m_width, m_height;
  XImage* m_image = nullptr;
  XShmSegmentInfo m_segment{};
  bool m_shared = false;
  bool m_direct = false;  // the server's pixels are ours byte for byte (32-bit 0xRRGGBB TrueColor)
  std::vector<std::uint32_t> m_last;
  std::vector<char> m_heap;
};

}  // namespace tolvar::display
