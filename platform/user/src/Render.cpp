// Rendering a window as it looks, headless: its part of the backing bitmap, with what windows of
// other processes hosted inside it show.
//
// A window hosted by another process's window paints into a backing bitmap of its own, in its own
// process. Its pixels reach the host on demand: the host asks the owner (a Capture request through
// the owner's mailbox) to paint what is pending and copy the window's pixels into a named file
// mapping the host made, then draws them into its picture clipped to where the hosted window is
// visible. The display presents top-level windows the same way.
#include "Internal.h"
#include "Surface.h"

#include <user/Headless.h>
#include <user/Paint.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <unistd.h>

namespace tolvar::user {
namespace {

HBITMAP NewImage(int width, int height, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

// The pixels of a window of another process, through its owner.
bool RemoteCapture(const WindowSlot& slot, int width, int height, std::vector<std::uint32_t>& pixels) {
  static std::atomic<unsigned> counter{0};
  const std::string name = "tolvar.user.capture." + std::to_string(getpid()) + "." + std::to_string(++counter);
  const DWORD bytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str());
  if (!mapping) return false;
  Request request;
  request.op = RemoteOp::Capture;
  request.window = HandleOf(slot.handle);
  request.args = {width, height};
  request.text = name;
  auto answer = RemoteCall(slot, request);
  bool ok = answer && answer->result;
  if (ok) {
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, bytes);
    ok = view != nullptr;
    if (ok) {
      pixels.assign(static_cast<const std::uint32_t*>(view), static_cast<const std::uint32_t*>(view) + bytes / 4);
      UnmapViewOfFile(view);
    }
  }
  CloseHandle(mapping);
  return ok;
}

// Windows of other processes directly inside `window`'s tree of this process, in painting order.
void HostedDescendants(HWND window, std::vector<HWND>& out) {
  auto children = ChildrenOf(window);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto slot = ReadSlot(*it);
    if (!slot || !(slot->style & WS_VISIBLE)) continue;
    if (IsLocal(*slot)) HostedDescendants(*it, out);
    else out.push_back(*it);
  }
}

// Has each thread of this process paint what is pending in the window's tree.
void PaintTree(HWND window) {
  std::set<DWORD> threads;
  std::vector<HWND> pending{window};
  std::vector<std::pair<DWORD, HWND>> firstOfThread;
  while (!pending.empty()) {
    HWND w = pending.back();
    pending.pop_back();
    auto slot = ReadSlot(w);
    if (!slot || !IsLocal(*slot)) continue;
    if (threads.insert(slot->tid).second) firstOfThread.emplace_back(slot->tid, w);
    for (HWND child : ChildrenOf(w)) pending.push_back(child);
  }
  for (auto [tid, w] : firstOfThread) {
    if (tid == GetCurrentThreadId()) {
      PaintPendingNow(window);
    } else if (auto slot = ReadSlot(w)) {
      RunOnWindowThread(*slot, [window] {
        PaintPendingNow(window);
        return static_cast<LRESULT>(0);
      });
    }
  }
}

bool CaptureOwnPixels(HWND window, int width, int height, std::uint32_t* pixels) {
  auto place = PlaceOf(window);
  if (!place || !FindLocal(place->root) || width <= 0 || height <= 0) return false;
  PaintTree(window);
  EnsureSurface(place->root);
  auto root = FindLocal(place->root);
  // Straight from the backing bitmap into the caller's pixels, row by row: a frame of a large
  // window is copied once, with nothing allocated (fresh pages cost more than the copy).
  {
    std::lock_guard guard(ProcessLock());
    const int left = std::max(0, -place->windowOrigin.x);
    const int right = std::min(width, static_cast<int>(root->surfaceSize.cx) - place->windowOrigin.x);
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
      const int sy = place->windowOrigin.y + y;
      if (sy < 0 || sy >= root->surfaceSize.cy || right <= left) {
        std::fill_n(row, width, 0u);
        continue;
      }
      std::fill_n(row, left, 0u);
      std::memcpy(row + left,
                  root->surfaceBits + static_cast<std::size_t>(sy) * root->surfaceSize.cx + (place->windowOrigin.x + left),
                  static_cast<std::size_t>(right - left) * 4);
      std::fill_n(row + right, width - right, 0u);
    }
  }
  std::vector<HWND> hosted;
  HostedDescendants(window, hosted);
  if (hosted.empty()) return true;
  // Windows of other processes drawn in, clipped: through a DC on a bitmap of the frame.
  std::uint32_t* bits = nullptr;
  gdi::UniqueBitmap image(NewImage(width, height, &bits));
  if (!image) return false;
  std::memcpy(bits, pixels, static_cast<std::size_t>(width) * height * 4);
  for (HWND guest : hosted) {
    auto slot = ReadSlot(guest);
    auto guestPlace = PlaceOf(guest, place->root);
    if (!slot || !guestPlace) continue;
    const int gw = slot->window.right - slot->window.left, gh = slot->window.bottom - slot->window.top;
    std::vector<std::uint32_t> guestPixels;
    if (gw <= 0 || gh <= 0 || !RemoteCapture(*slot, gw, gh, guestPixels)) continue;
    gdi::UniqueRegion visible(VisibleRegion(guest, *guestPlace, false, false));
    if (!visible) continue;
    OffsetRgn(visible.Get(), -place->windowOrigin.x, -place->windowOrigin.y);
    gdi::UniqueDC dc(gdi::CreateSurfaceDC(image.Get(), {0, 0}, visible.Get()));
    HDC hdc = dc.Get();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = gw;
    info.bmiHeader.biHeight = -gh;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(hdc, guestPlace->windowOrigin.x - place->windowOrigin.x,
                      guestPlace->windowOrigin.y - place->windowOrigin.y, static_cast<DWORD>(gw),
                      static_cast<DWORD>(gh), 0, 0, 0, static_cast<UINT>(gh), guestPixels.data(), &info,
                      DIB_RGB_COLORS);
  }
  std::memcpy(pixels, bits, static_cast<std::size_t>(width) * height * 4);
  return true;
}

}  // namespace

bool CaptureWindowPixels(HWND window, int width, int height, std::uint32_t* pixels) {
  if (!CaptureOwnPixels(window, width, height, pixels)) return false;
  DrawDragImageOver(window, width, height, pixels);
  return true;
}

}  // namespace tolvar::user

namespace tolvar::user {

bool RenderWindowPixels(HWND window, std::vector<std::uint32_t>& pixels, SIZE& size) {
  auto slot = ReadSlot(window);
  if (!slot || !IsWindowVisible(window)) {
    if (!slot) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  const int width = slot->window.right - slot->window.left, height = slot->window.bottom - slot->window.top;
  if (width <= 0 || height <= 0) return false;
  pixels.resize(static_cast<std::size_t>(width) * height);
  size = {width, height};
  if (!IsLocal(*slot)) return RemoteCapture(*slot, width, height, pixels);
  if (slot->tid == GetCurrentThreadId()) return CaptureWindowPixels(window, width, height, pixels.data());
  return RunOnWindowThread(*slot, [&] {
           return static_cast<LRESULT>(CaptureWindowPixels(window, width, height, pixels.data()));
         }) != 0;
}

HBITMAP RenderWindow(HWND window) {
  std::vector<std::uint32_t> pixels;
  SIZE size{};
  if (!RenderWindowPixels(window, pixels, size)) return nullptr;
  std::uint32_t* bits = nullptr;
  HBITMAP image = NewImage(size.cx, size.cy, &bits);
  if (image) std::memcpy(bits, pixels.data(), pixels.size() * 4);
  return image;
}

BOOL RenderWindowToPng(HWND window, const char* path) {
  gdi::UniqueBitmap image(RenderWindow(window));
  if (!image) return FALSE;
  return gdi::WritePng(image.Get(), path);
}

}  // namespace tolvar::user
