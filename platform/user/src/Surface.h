#pragma once
// Where a window's pixels live: the backing bitmap of its surface root (the top-level window, or the
// window hosted by another process's window, that holds it) and the window's place and visible
// region on that bitmap.
#include "Desk.h"

#include <optional>

namespace tolvar::user {

struct SurfacePlace {
  HWND root = nullptr;
  POINT windowOrigin{};  // the window's top-left on the root's bitmap
  POINT clientOrigin{};  // its client area's top-left
  bool visible = false;  // the window and every ancestor up to the root have WS_VISIBLE
};

// The place of a window of this process, on its own surface root, or on `root` when given (which
// must be an ancestor, of any process).
std::optional<SurfacePlace> PlaceOf(HWND window, HWND root = nullptr);

// The region of the root's bitmap where the window may draw: its client area or whole window, less
// its visible children with `clipChildren`, less the siblings above it (or above an ancestor) with
// WS_CLIPSIBLINGS, within every ancestor's client area. NULL when nothing is visible. The caller
// deletes it.
HRGN VisibleRegion(HWND window, const SurfacePlace& place, bool clientArea, bool clipChildren);

// The root's backing bitmap, made or resized to the root's window size.
HBITMAP EnsureSurface(HWND root);

}  // namespace tolvar::user
