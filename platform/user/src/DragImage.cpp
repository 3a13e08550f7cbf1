// The drag image on the screen: the image lists' one drag image of the process is drawn over the
// windows it covers whenever they are rendered (for the display, a hosting window or a picture),
// and the windows it moves over are shown again as it moves. No window's pixels ever hold it.
#include "Internal.h"
#include "Surface.h"

#include <user/WindowPos.h>

#include <gdi/Gdi.h>

#include <algorithm>
#include <cstring>

namespace tolvar::user {
namespace {

bool DragOrigin(HWND window, POINT& screen) {
  if (!window || window == Desktop()) {
    screen = POINT{0, 0};
    return true;
  }
  if (!IsWindow(window)) return false;
  screen = WindowOriginOnScreen(window);
  return true;
}

bool Touches(const RECT& window, const RECT& area) {
  RECT common;
  return !IsRectEmpty(&area) && IntersectRect(&common, &window, &area);
}

// Each window of this process that is rendered on its own (a top-level window, or one hosted by
// another process's window) and lies under what the image left or covers now is shown again.
void DragChanged(const RECT& before, const RECT& after) {
  for (const auto& window : LocalWindows()) {
    auto place = PlaceOf(window->handle);
    if (!place || place->root != window->handle || !IsWindowVisible(window->handle)) continue;
    RECT rect;
    if (!GetWindowRect(window->handle, &rect)) continue;
    if (Touches(rect, before) || Touches(rect, after)) TellDisplayPresent(window->handle);
  }
}

struct InstallDragScreen {
  InstallDragScreen() { gdi::SetDragScreen(DragOrigin, DragChanged); }
} g_installDragScreen;

}  // namespace

void DrawDragImageOver(HWND window, int width, int height, std::uint32_t* pixels) {
  const RECT drag = gdi::DragImageRect();
  if (IsRectEmpty(&drag)) return;
  const POINT origin = WindowOriginOnScreen(window);
  const RECT mine{origin.x, origin.y, origin.x + width, origin.y + height};
  RECT over;
  if (!IntersectRect(&over, &drag, &mine)) return;
  // The covered part goes into a small picture, has the image drawn on, and comes back.
  const int w = over.right - over.left, h = over.bottom - over.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  gdi::UniqueBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture) return;
  auto* part = static_cast<std::uint32_t*>(bits);
  const auto at = [&](int y) {
    return pixels + static_cast<std::size_t>(over.top - origin.y + y) * width + (over.left - origin.x);
  };
  for (int y = 0; y < h; ++y) std::memcpy(part + static_cast<std::size_t>(y) * w, at(y), static_cast<std::size_t>(w) * 4);
  {
    gdi::UniqueDC dc(CreateCompatibleDC(nullptr));
    gdi::ScopedSelect selected(dc.Get(), picture.Get());
    gdi::DrawDragImage(dc.Get(), POINT{over.left, over.top});
  }
  for (int y = 0; y < h; ++y) std::memcpy(at(y), part + static_cast<std::size_t>(y) * w, static_cast<std::size_t>(w) * 4);
}

}  // namespace tolvar::user
