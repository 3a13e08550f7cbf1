// The process's drag image: a private copy of the dragged image and where on the screen it is. It is
// never drawn into a window's pixels; the window manager draws it over what the screen shows (see
// SetDragScreen), so hiding or moving it only asks for the covered windows to be shown again.
#include <gdi/ImageList.h>
#include <gdi/Bitmaps.h>
#include <gdi/DeviceContext.h>
#include <gdi/Objects.h>
#include <gdi/Rect.h>

#include "ImageListObject.h"

#include <atomic>
#include <mutex>

using namespace tolvar::gdi;

namespace {

struct Drag {
  std::mutex lock;
  HIMAGELIST image = nullptr;
  SIZE size{0, 0};
  POINT hotspot{0, 0};
  bool entered = false;
  bool visible = false;   // DragShowNolock's state; shown only while also entered
  POINT lockOrigin{0, 0};  // the DragEnter window's top-left on the screen
  POINT position{0, 0};    // the image's top-left, in the DragEnter window's coordinates
};

Drag& State() {
  static auto* drag = new Drag;  // never destroyed: a drag may outlive static destruction order
  return *drag;
}

std::atomic<DragOrigin> g_origin{nullptr};
std::atomic<DragChanged> g_changed{nullptr};

RECT Covered(const Drag& d) {
  if (!d.image || !d.entered || !d.visible) return RECT{0, 0, 0, 0};
  const LONG left = d.lockOrigin.x + d.position.x, top = d.lockOrigin.y + d.position.y;
  return RECT{left, top, left + d.size.cx, top + d.size.cy};
}

// Runs a change of the drag under its lock and tells the window manager what it uncovered and
// covers now, after the lock is let go (it renders windows, which draw the image).
template <class F>
BOOL Change(F&& change) {
  Drag& d = State();
  RECT before{}, after{};
  BOOL result = FALSE;
  {
    std::lock_guard guard(d.lock);
    before = Covered(d);
    result = change(d);
    after = Covered(d);
  }
  if (!EqualRect(&before, &after)) {
    if (DragChanged changed = g_changed.load()) changed(before, after);
  }
  return result;
}

void Finish(Drag& d) {
  if (d.image) ImageList_Destroy(d.image);
  d.image = nullptr;
  d.entered = false;
  d.visible = false;
}

}  // namespace

namespace tolvar::gdi {

void SetDragScreen(DragOrigin origin, DragChanged changed) {
  g_origin = origin;
  g_changed = changed;
}

RECT DragImageRect() {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  return Covered(d);
}

void DrawDragImage(HDC hdc, POINT origin) {
  Drag& d = State();
  std::lock_guard guard(d.lock);
  const RECT covered = Covered(d);
  if (IsRectEmpty(&covered)) return;
  ImageList_Draw(d.image, 0, hdc, covered.left - origin.x, covered.top - origin.y, ILD_TRANSPARENT);
}

}  // namespace tolvar::gdi

BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot) {
  auto source = LookupImageList(track);
  if (!source || index < 0 || index >= source->count) return FALSE;
  return Change([&](Drag& d) {
    Finish(d);
    d.image = ImageList_Create(source->cx, source->cy, ILC_MASK | ILC_COLOR32, 1, 1);
    auto copy = LookupImageList(d.image);
    if (!copy) {
      Finish(d);
      return FALSE;
    }
    copy->Store(0, *source->image->dib, source->HasMask() ? source->mask->dib.get() : nullptr, index * source->cx, 0);
    copy->count = 1;
    d.size = SIZE{source->cx, source->cy};
    d.hotspot = POINT{dxHotspot, dyHotspot};
    return TRUE;
  });
}

BOOL ImageList_DragEnter(HWND lock, int x, int y) {
  const DragOrigin origin = g_origin.load();
  POINT lockOrigin{0, 0};
  if (!origin || !origin(lock, lockOrigin)) return FALSE;
  return Change([&](Drag& d) {
    if (!d.image) return FALSE;
    d.entered = true;
    d.visible = true;
    d.lockOrigin = lockOrigin;
    d.position = POINT{x - d.hotspot.x, y - d.hotspot.y};
    return TRUE;
  });
}

BOOL ImageList_DragMove(int x, int y) {
  return Change([&](Drag& d) {
    if (!d.image) return FALSE;
    d.position = POINT{x - d.hotspot.x, y - d.hotspot.y};
    return TRUE;
  });
}

BOOL ImageList_DragShowNolock(BOOL show) {
  return Change([&](Drag& d) {
    if (!d.image || !d.entered) return FALSE;
    d.visible = show != FALSE;
    return TRUE;
  });
}

BOOL ImageList_DragLeave(HWND) {
  return Change([&](Drag& d) {
    if (!d.entered) return FALSE;
    d.entered = false;
    return TRUE;
  });
}

void ImageList_EndDrag() {
  Change([&](Drag& d) {
    Finish(d);
    return TRUE;
  });
}
