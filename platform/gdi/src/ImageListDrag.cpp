#include <gdi/ImageList.h>
#include <gdi/Bitmaps.h>
#include <gdi/DeviceContext.h>
#include <gdi/Objects.h>

#include "ImageListObject.h"

#include <mutex>

using namespace tolvar::gdi;

namespace {

// The one drag of the process: a private copy of the dragged image, where it is shown, and the
// pixels it covers so that hiding it puts them back.
struct Drag {
  std::mutex lock;
  HIMAGELIST image = nullptr;
  POINT hotspot{0, 0};
  bool entered = false;
  bool shown = false;
  HWND window = nullptr;
  DragTarget target;
  POINT position{0, 0};  // the image's top-left, in the window's coordinates
  HDC savedDc = nullptr;
  HBITMAP saved = nullptr;
  HGDIOBJ savedOld = nullptr;
  DragAcquire acquire = nullptr;
  DragRelease release = nullptr;
};

Drag& State() {
  static auto* drag = new Drag;  // never destroyed: a drag may outlive static destruction order
  return *drag;
}

POINT Where(const Drag& d) { return POINT{d.target.origin.x + d.position.x, d.target.origin.y + d.position.y}; }

void Show(Drag& d) {
  if (d.shown || !d.entered) return;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(d.image, &cx, &cy);
  const POINT at = Where(d);
  BitBlt(d.savedDc, 0, 0, cx, cy, d.target.dc, at.x, at.y, SRCCOPY);
  ImageList_Draw(d.image, 0, d.target.dc, at.x, at.y, ILD_TRANSPARENT);
  d.shown = true;
}

void Hide(Drag& d) {
  if (!d.shown) return;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(d.image, &cx, &cy);
  const POINT at = Where(d);
  BitBlt(d.target.dc, at.x, at.y, cx, cy, d.savedDc, 0, 0, SRCCOPY);
  d.shown = false;
}

void Leave(Drag& d) {
  if (!d.entered) return;
  Hide(d);
  if (d.release) d.release(d.window, d.target);
  d.entered = false;
  d.target = DragTarget{};
}

void Finish(Drag& d) {
  Leave(d);
  if (d.savedDc) {
    SelectObject(d.savedDc, d.savedOld);
    DeleteDC(d.savedDc);
    DeleteObject(d.saved);
    d.savedDc = nullptr;
    d.saved = nullptr;
  }
  if (d.image) ImageList_Destroy(d.image);
  d.image = nullptr;
}

}  // namespace

namespace tolvar::gdi {

void SetDragTargetProvider(DragAcquire acquire, DragRelease release) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  d.acquire = acquire;
  d.release = release;
}

}  // namespace tolvar::gdi

BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot) {
  auto source = LookupImageList(track);
  if (!source || index < 0 || index >= source->count) return FALSE;
  Drag& d = State();
  std::lock_guard guard(d.lock);
  Finish(d);
  d.image = ImageList_Create(source->cx, source->cy, ILC_MASK | ILC_COLOR32, 1, 1);
  auto copy = LookupImageList(d.image);
  if (!copy) return FALSE;
  copy->Store(0, *source->image->dib, source->HasMask() ? source->mask->dib.get() : nullptr, index * source->cx, 0);
  copy->count = 1;
  d.hotspot = POINT{dxHotspot, dyHotspot};
  d.savedDc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), source->cx, -source->cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  d.saved = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
  d.savedOld = SelectObject(d.savedDc, d.saved);
  return TRUE;
}

BOOL ImageList_DragEnter(HWND lock, int x, int y) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  if (!d.image || !d.acquire) return FALSE;
  Leave(d);
  const DragTarget target = d.acquire(lock);
  if (!target.dc) return FALSE;
  d.window = lock;
  d.target = target;
  d.entered = true;
  d.position = POINT{x - d.hotspot.x, y - d.hotspot.y};
  Show(d);
  return TRUE;
}

BOOL ImageList_DragMove(int x, int y) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  if (!d.image) return FALSE;
  const bool visible = d.shown;
  Hide(d);
  d.position = POINT{x - d.hotspot.x, y - d.hotspot.y};
  if (visible) Show(d);
  return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL show) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  if (!d.image || !d.entered) return FALSE;
  if (show) Show(d); else Hide(d);
  return TRUE;
}

BOOL ImageList_DragLeave(HWND) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  if (!d.entered) return FALSE;
  Leave(d);
  return TRUE;
}

void ImageList_EndDrag() {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  Finish(d);
}
