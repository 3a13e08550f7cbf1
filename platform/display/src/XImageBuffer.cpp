// Window pixels to the X server. A frame is compared with the last one row by row, and only the
// bounding box of the change is sent: repainting a button sends the button, not the dialog. With
// MIT-SHM the server reads the pixels from memory both processes map; every put is followed by a
// round trip (XSync), after which the server is done reading and the buffer can change again.
#include "XImageBuffer.h"

#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace tolvar::display {
namespace {

bool g_attachFailed = false;
int NoteAttachError(Display*, XErrorEvent*) {
  g_attachFailed = true;
  return 0;
}

}  // namespace

std::unique_ptr<XImageBuffer> XImageBuffer::Make(Display* display, int screen, int width, int height, bool& shm) {
  std::unique_ptr<XImageBuffer> buffer(new XImageBuffer(display, width, height));
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  if (shm) {
    XImage* image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &buffer->m_segment,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image) {
      buffer->m_segment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
      if (buffer->m_segment.shmid >= 0) {
        buffer->m_segment.shmaddr = image->data = static_cast<char*>(shmat(buffer->m_segment.shmid, nullptr, 0));
        buffer->m_segment.readOnly = False;
        g_attachFailed = false;
        auto previous = XSetErrorHandler(NoteAttachError);
        const bool attached = XShmAttach(display, &buffer->m_segment) && (XSync(display, False), !g_attachFailed);
        XSetErrorHandler(previous);
        // Marked for removal now: the segment goes when both sides detach, even after a crash.
        shmctl(buffer->m_segment.shmid, IPC_RMID, nullptr);
        if (attached && image->data != reinterpret_cast<char*>(-1)) {
          buffer->m_image = image;
          buffer->m_shared = true;
        } else {
          if (image->data != reinterpret_cast<char*>(-1)) shmdt(image->data);
          image->data = nullptr;
          XDestroyImage(image);
          shm = false;
        }
      } else {
        XDestroyImage(image);
        shm = false;
      }
    } else {
      shm = false;
    }
  }
  if (!buffer->m_image) {
    buffer->m_heap.resize(static_cast<std::size_t>(width) * height * 4);
    buffer->m_image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, buffer->m_heap.data(),
                                   static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!buffer->m_image) return nullptr;
  }
  XImage* image = buffer->m_image;
  buffer->m_direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                     image->blue_mask == 0xFF && image->byte_order == LSBFirst;
  // A first frame always differs: the last one starts as a colour no pixel has (alpha set).
  buffer->m_last.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
  return buffer;
}

XImageBuffer::~XImageBuffer() {
  if (!m_image) return;
  if (m_shared) {
    XShmDetach(m_display, &m_segment);
    XSync(m_display, False);
    shmdt(m_segment.shmaddr);
  }
  m_image->data = nullptr;  // ours (shared segment or m_heap), not Xlib's to free
  XDestroyImage(m_image);
}

void XImageBuffer::Store(int x, int y, std::uint32_t pixel) {
  if (m_direct) {
    std::memcpy(m_image->data + static_cast<std::size_t>(y) * m_image->bytes_per_line + static_cast<std::size_t>(x) * 4,
                &pixel, 4);
    return;
  }
  // Any other TrueColor layout: scale each 8-bit channel onto the visual's mask.
  auto channel = [](std::uint32_t value, unsigned long mask) -> unsigned long {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long top = mask >> shift;
    return ((value * top + 127) / 255) << shift;
  };
  XPutPixel(m_image, x, y, channel((pixel >> 16) & 0xFF, m_image->red_mask) | channel((pixel >> 8) & 0xFF, m_image->green_mask) |
                                 channel(pixel & 0xFF, m_image->blue_mask));
}

RECT XImageBuffer::Update(const std::uint32_t* pixels, int stride) {
  if (stride <= 0) stride = m_width;
  RECT changed{m_width, m_height, 0, 0};
  for (int y = 0; y < m_height; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
    std::uint32_t* last = m_last.data() + static_cast<std::size_t>(y) * m_width;
    int first = 0;
    while (first < m_width && (row[first] & 0xFFFFFF) == last[first]) ++first;
    if (first == m_width) continue;
    int end = m_width;
    while ((row[end - 1] & 0xFFFFFF) == last[end - 1]) --end;
    for (int x = first; x < end; ++x) last[x] = row[x] & 0xFFFFFF;
    if (m_direct) {
      std::memcpy(m_image->data + static_cast<std::size_t>(y) * m_image->bytes_per_line + static_cast<std::size_t>(first) * 4,
                  last + first, static_cast<std::size_t>(end - first) * 4);
    } else {
      for (int x = first; x < end; ++x) Store(x, y, last[x]);
    }
    if (first < changed.left) changed.left = first;
    if (end > changed.right) changed.right = end;
    if (y < changed.top) changed.top = y;
    changed.bottom = y + 1;
  }
  if (changed.right <= changed.left) return {0, 0, 0, 0};
  return changed;
}

void XImageBuffer::Put(Window window, GC gc, const RECT& area) {
  const int x = area.left < 0 ? 0 : area.left, y = area.top < 0 ? 0 : area.top;
  const int right = area.right > m_width ? m_width : area.right, bottom = area.bottom > m_height ? m_height : area.bottom;
  if (right <= x || bottom <= y) return;
  const auto w = static_cast<unsigned>(right - x), h = static_cast<unsigned>(bottom - y);
  if (m_shared) XShmPutImage(m_display, window, gc, m_image, x, y, x, y, w, h, False);
  else XPutImage(m_display, window, gc, m_image, x, y, x, y, w, h);
}

}  // namespace tolvar::display
