// Update regions, WM_PAINT, BeginPaint/EndPaint and the window DCs.
#include "Internal.h"
#include "Surface.h"

#include <user/Input.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

namespace tolvar::user {
namespace {

// Under the process lock: another thread may be invalidating the window meanwhile.
bool NeedsPaint(const Window& window) {
  std::lock_guard guard(ProcessLock());
  return window.update || window.ncPaint || window.internalPaint;
}

// Whether the window's paint is due now: pending, and not held back by LockWindowUpdate.
bool PaintDue(const Window& window) { return NeedsPaint(window) && !IsUpdateLocked(window.handle); }

RECT ClientBox(const WindowSlot& slot) {
  return {0, 0, slot.client.right - slot.client.left, slot.client.bottom - slot.client.top};
}

// The part of `region` (client coordinates, NULL: everything) inside the client area, as a new region.
HRGN ClipToClient(const WindowSlot& slot, HRGN region) {
  RECT box = ClientBox(slot);
  HRGN result = CreateRectRgnIndirect(&box);
  if (region) CombineRgn(result, result, region, RGN_AND);
  return result;
}

void Invalidate(HWND window, HRGN region, UINT flags);

// Hands the part of the region over each child to that child, in its client coordinates.
void InvalidateChildren(HWND window, const WindowSlot& slot, HRGN region, UINT flags) {
  for (HWND child : ChildrenOf(window)) {
    auto c = ReadSlot(child);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    HRGN part = CreateRectRgnIndirect(&c->window);
    if (region) CombineRgn(part, part, region, RGN_AND);
    RECT box;
    if (GetRgnBox(part, &box) != NULLREGION) {
      OffsetRgn(part, -c->client.left, -c->client.top);
      UINT childFlags = (flags & ~RDW_NOCHILDREN) | RDW_FRAME;
      if (IsLocal(*c)) {
        Invalidate(child, part, childFlags);
      } else {
        Request request;
        request.op = RemoteOp::Redraw;
        request.window = child;
        request.args = {static_cast<std::int64_t>(childFlags & ~(RDW_UPDATENOW | RDW_ERASENOW)), 0, 0, 0, 0, 0};
        RemoteCall(*c, request, 0, false);
      }
    }
    DeleteObject(part);
  }
  (void)slot;
}

// Adds or removes `region` (client coordinates; NULL: the whole window) to/from the update state.
void Invalidate(HWND window, HRGN region, UINT flags) {
  auto slot = ReadSlot(window);
  auto local = FindLocal(window);
  if (!slot || !local) return;
  HRGN area = ClipToClient(*slot, region);
  bool wake = false;
  {
    std::lock_guard guard(ProcessLock());
    if (flags & RDW_INVALIDATE) {
      RECT box;
      if (GetRgnBox(area, &box) != NULLREGION) {
        if (!local->update) local->update = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(local->update, local->update, area, RGN_OR);
        if (flags & RDW_ERASE) local->erase = true;
      }
      if (flags & RDW_FRAME) local->ncPaint = true;
      if (flags & RDW_INTERNALPAINT) local->internalPaint = true;
      wake = NeedsPaint(*local);
    }
    if (flags & RDW_VALIDATE) {
      if (local->update) {
        CombineRgn(local->update, local->update, area, RGN_DIFF);
        RECT box;
        if (GetRgnBox(local->update, &box) == NULLREGION) {
          DeleteObject(local->update);
          local->update = nullptr;
          local->erase = false;
        }
      }
      if (flags & RDW_NOERASE) local->erase = false;
      if (flags & RDW_NOFRAME) {
      } else if (!region) {
        local->ncPaint = false;
      }
      if (flags & RDW_NOINTERNALPAINT) local->internalPaint = false;
    }
  }
  if (wake) kernel::WakeThreadQueue(local->thread, QS_PAINT);
  const bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(slot->style & WS_CLIPCHILDREN));
  if (children) InvalidateChildren(window, *slot, area, flags);
  DeleteObject(area);
}

HDC MakeDC(HWND window, bool windowArea, bool clipChildren, HRGN extraClip, bool extraIsIntersect) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HDC>(nullptr);
  auto place = PlaceOf(window);
  if (!place || !FindLocal(place->root)) {
    // A window of another process, or not placed yet: a DC that draws nowhere.
    HDC hdc = CreateCompatibleDC(nullptr);
    return hdc;
  }
  HBITMAP surface = EnsureSurface(place->root);
  HRGN visible = VisibleRegion(window, *place, !windowArea, clipChildren);
  if (!visible) visible = CreateRectRgn(0, 0, 0, 0);
  if (IsUpdateLocked(window)) {
    NoteLockedDrawing();
    SetRectRgn(visible, 0, 0, 0, 0);
  }
  if (extraClip) {
    CombineRgn(visible, visible, extraClip, extraIsIntersect ? RGN_AND : RGN_DIFF);
  }
  POINT origin = windowArea ? place->windowOrigin : place->clientOrigin;
  HDC hdc = gdi::CreateSurfaceDC(surface, origin, visible);
  DeleteObject(visible);
  return hdc;
}

void SendNcPaintAndErase(HWND window, HDC hdc, bool* erased) {
  auto local = FindLocal(window);
  if (!local) return;
  bool nc = false, erase = false;
  {
    std::lock_guard guard(ProcessLock());
    nc = local->ncPaint;
    local->ncPaint = false;
    erase = local->erase && hdc;
    if (erase) local->erase = false;
  }
  if (nc) SendMessageA(window, WM_NCPAINT, 1, 0);
  if (erase) {
    bool done = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) != 0;
    if (erased) *erased = done;
  } else if (erased) {
    *erased = true;
  }
}

// A DC limited to the window's update region, released when the scope ends.
struct UpdateDC {
  explicit UpdateDC(HWND w) : window(w), hdc(GetDCEx(w, nullptr, DCX_INTERSECTUPDATE)) {}
  ~UpdateDC() { ReleaseDC(window, hdc); }
  UpdateDC(const UpdateDC&) = delete;
  UpdateDC& operator=(const UpdateDC&) = delete;
  HWND window;
  HDC hdc;
};

}  // namespace

bool ThreadNeedsPaint(DWORD threadId) {
  for (auto& window : LocalWindows()) {
    if (window->thread == threadId && PaintDue(*window) && IsWindowVisible(window->handle)) return true;
  }
  return false;
}

bool SynthesizePaint(HWND filter, UINT first, UINT last, bool, MSG& message) {
  if (!(first == 0 && last == 0) && (WM_PAINT < first || WM_PAINT > last)) return false;
  if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) return false;
  const DWORD me = GetCurrentThreadId();
  HWND best = nullptr;
  int bestDepth = 1 << 20;
  for (auto& window : LocalWindows()) {
    if (window->thread != me || !PaintDue(*window) || !IsWindowVisible(window->handle)) continue;
    if (filter && window->handle != filter && !IsDescendant(filter, window->handle)) continue;
    int depth = 0;
    for (HWND p = ParentOf(window->handle); p && p != Desktop() && depth < 256; p = ParentOf(p)) ++depth;
    if (depth < bestDepth) {
      bestDepth = depth;
      best = window->handle;
    }
  }
  if (!best) return false;
  POINT cursor{};
  GetCursorPos(&cursor);
  message = MSG{best, WM_PAINT, 0, 0, static_cast<DWORD>(GetTickCount()), cursor};
  return true;
}

void InvalidateWhole(HWND window, bool erase) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0));
}

void InvalidateParentArea(HWND parent, const RECT& rect) {
  if (!parent || parent == Desktop()) return;
  auto slot = ReadSlot(parent);
  if (!slot) return;
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::Redraw;
    request.window = parent;
    request.args = {RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN, 1, rect.left, rect.top, rect.right, rect.bottom};
    RemoteCall(*slot, request, 0, false);
    return;
  }
  RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ForgetPainting(Window& window) {
  std::lock_guard guard(ProcessLock());
  if (window.surface) DeleteObject(window.surface);
  window.surface = nullptr;
  window.surfaceBits = nullptr;
  window.surfaceSize = {};
}

void PaintPendingNow(HWND window) {
  auto local = FindLocal(window);
  if (local && local->thread == GetCurrentThreadId() && PaintDue(*local) && IsWindowVisible(window)) {
    SendMessageA(window, WM_PAINT, 0, 0);
    // As DispatchMessage does: what the procedure left unpainted counts as painted.
    Invalidate(window, nullptr, RDW_VALIDATE | RDW_NOCHILDREN | RDW_NOFRAME);
    std::lock_guard guard(ProcessLock());
    local->internalPaint = false;
  }
  for (HWND child : ChildrenOf(window)) {
    auto slot = ReadSlot(child);
    if (slot && IsLocal(*slot)) PaintPendingNow(child);
  }
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
  if (!window) {
    for (HWND top : ChildrenOf(Desktop())) {
      auto slot = ReadSlot(top);
      if (slot && IsLocal(*slot)) RedrawWindow(top, rect, region, flags);
    }
    return TRUE;
  }
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(FALSE);
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::Redraw;
    request.window = window;
    request.args = {flags, rect ? 1 : 0, rect ? rect->left : 0, rect ? rect->top : 0, rect ? rect->right : 0,
                    rect ? rect->bottom : 0};
    auto answer = RemoteCall(*slot, request);
    return answer ? static_cast<BOOL>(answer->result) : FALSE;
  }
  HRGN area = nullptr;
  if (region) {
    area = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(area, region, nullptr, RGN_COPY);
  } else if (rect) {
    area = CreateRectRgnIndirect(rect);
  }
  UINT invalidateFlags = flags;
  if ((flags & RDW_FRAME) && (rect || region)) invalidateFlags |= RDW_FRAME;
  if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_INTERNALPAINT | RDW_NOINTERNALPAINT)) {
    Invalidate(window, area, invalidateFlags);
  }
  if (area) DeleteObject(area);
  if (flags & RDW_UPDATENOW) {
    if (slot->tid == GetCurrentThreadId()) PaintPendingNow(window);
    else RunOnWindowThread(*slot, [window] {
      PaintPendingNow(window);
      return static_cast<LRESULT>(0);
    });
  } else if (flags & RDW_ERASENOW) {
    auto local = FindLocal(window);
    if (local && local->thread == GetCurrentThreadId() && IsWindowVisible(window)) {
      UpdateDC dc(window);
      SendNcPaintAndErase(window, dc.hdc, nullptr);
    }
  }
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  return RedrawWindow(window, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase) {
  return RedrawWindow(window, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND window, const RECT* rect) {
  return RedrawWindow(window, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND window, HRGN region) {
  return RedrawWindow(window, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase) {
  auto local = FindLocal(window);
  if (!local) return InvalidWindow(FALSE);
  RECT box{};
  bool any = false;
  {
    std::lock_guard guard(ProcessLock());
    if (local->update) any = GetRgnBox(local->update, &box) != NULLREGION;
  }
  if (erase && any) {
    UpdateDC dc(window);
    SendNcPaintAndErase(window, dc.hdc, nullptr);
  }
  if (rect) *rect = any ? box : RECT{};
  return any ? TRUE : FALSE;
}

int GetUpdateRgn(HWND window, HRGN region, BOOL erase) {
  auto local = FindLocal(window);
  if (!local || !region) return InvalidWindow(0u);
  int type = NULLREGION;
  {
    std::lock_guard guard(ProcessLock());
    if (local->update) type = CombineRgn(region, local->update, nullptr, RGN_COPY);
    else SetRectRgn(region, 0, 0, 0, 0);
  }
  if (erase && type != NULLREGION) {
    UpdateDC dc(window);
    SendNcPaintAndErase(window, dc.hdc, nullptr);
  }
  return type;
}

BOOL UpdateWindow(HWND window) {
  return RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  auto local = FindLocal(window);
  if (!local || !paint) return InvalidWindow<HDC>(nullptr);
  HideCaretForPaint(window);
  {
    bool nc = false;
    {
      std::lock_guard guard(ProcessLock());
      nc = local->ncPaint;
      local->ncPaint = false;
    }
    if (nc) SendMessageA(window, WM_NCPAINT, 1, 0);
  }
  HRGN update = nullptr;
  bool erase = false;
  {
    std::lock_guard guard(ProcessLock());
    update = local->update;
    local->update = nullptr;
    erase = local->erase;
    local->erase = false;
    local->internalPaint = false;
  }
  auto slot = ReadSlot(window);
  RECT box{};
  if (update) GetRgnBox(update, &box);
  // A parent that does not clip its children paints over them. A child that painted since the
  // parent was invalidated (UpdateWindow on it, say) would be left covered: it paints again after.
  const bool clipChildren = slot && (slot->style & WS_CLIPCHILDREN);
  if (update && slot && !clipChildren) InvalidateChildren(window, *slot, update, RDW_INVALIDATE | RDW_ERASE);
  HRGN clip = update;
  auto place = PlaceOf(window);
  if (clip && place) OffsetRgn(clip, place->clientOrigin.x, place->clientOrigin.y);
  HDC hdc = MakeDC(window, false, clipChildren, clip ? clip : nullptr, true);
  if (!clip) {
    // Nothing was invalid: a DC that paints nothing, as Windows gives.
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(hdc, none);
    DeleteObject(none);
  }
  if (clip) DeleteObject(clip);
  paint->hdc = hdc;
  paint->rcPaint = box;
  paint->fRestore = FALSE;
  paint->fIncUpdate = FALSE;
  paint->fErase = FALSE;
  if (erase) paint->fErase = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  ReleaseDC(window, paint->hdc);
  ShowCaretAfterPaint(window);
  return TRUE;
}

HDC GetDC(HWND window) {
  if (!window || window == Desktop()) return tolvar::gdi::CreateScreenDC();
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HDC>(nullptr);
  return MakeDC(window, false, (slot->style & WS_CLIPCHILDREN) != 0, nullptr, true);
}

HDC GetWindowDC(HWND window) {
  if (!window || window == Desktop()) return tolvar::gdi::CreateScreenDC();
  if (!IsWindow(window)) return InvalidWindow<HDC>(nullptr);
  return MakeDC(window, true, false, nullptr, true);
}

HDC GetDCEx(HWND window, HRGN clip, DWORD flags) {
  if (!window || window == Desktop()) return tolvar::gdi::CreateScreenDC();
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HDC>(nullptr);
  const bool windowArea = (flags & DCX_WINDOW) != 0;
  const bool clipChildren = (flags & DCX_CLIPCHILDREN) || (!(flags & DCX_WINDOW) && (slot->style & WS_CLIPCHILDREN));
  auto place = PlaceOf(window);
  HRGN extra = nullptr;
  bool intersect = true;
  if (place && clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    // The region is in screen coordinates: onto the root's bitmap.
    extra = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(extra, clip, nullptr, RGN_COPY);
    POINT rootOrigin = WindowOriginOnScreen(place->root);
    OffsetRgn(extra, -rootOrigin.x, -rootOrigin.y);
    intersect = (flags & DCX_INTERSECTRGN) != 0;
  }
  if (place && (flags & DCX_INTERSECTUPDATE)) {
    auto local = FindLocal(window);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    {
      std::lock_guard guard(ProcessLock());
      if (local && local->update) CombineRgn(update, local->update, nullptr, RGN_COPY);
    }
    OffsetRgn(update, place->clientOrigin.x, place->clientOrigin.y);
    if (extra) {
      CombineRgn(extra, extra, update, intersect ? RGN_AND : RGN_DIFF);
      intersect = true;
      DeleteObject(update);
    } else {
      extra = update;
    }
    if (flags & DCX_VALIDATE) ValidateRect(window, nullptr);
  }
  HDC hdc = MakeDC(window, windowArea, clipChildren, extra, intersect);
  if (extra) DeleteObject(extra);
  return hdc;
}

int ReleaseDC(HWND window, HDC hdc) {
  if (!hdc) return 0;
  DeleteDC(hdc);
  if (window && window != Desktop()) {
    if (auto place = PlaceOf(window)) TellDisplayPresent(place->root);
  }
  return 1;
}

int ScrollWindowEx(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   LPRECT updateRect, UINT flags) {
  auto slot = ReadSlot(window);
  if (!slot || !FindLocal(window)) return InvalidWindow(0u);
  RECT client = ClientBox(*slot);
  RECT area = scroll ? *scroll : client;
  IntersectRect(&area, &area, &client);
  RECT clipArea = clip ? *clip : client;
  IntersectRect(&clipArea, &clipArea, &client);
  // Move what is visible, then invalidate what was uncovered.
  HDC hdc = GetDCEx(window, nullptr, DCX_CLIPCHILDREN);
  IntersectClipRect(hdc, clipArea.left, clipArea.top, clipArea.right, clipArea.bottom);
  RECT source = area;
  RECT dest = area;
  OffsetRect(&dest, dx, dy);
  RECT moved;
  IntersectRect(&moved, &dest, &area);
  if (!IsRectEmpty(&moved)) {
    BitBlt(hdc, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, hdc, moved.left - dx,
           moved.top - dy, SRCCOPY);
  }
  ReleaseDC(window, hdc);
  HRGN uncovered = CreateRectRgnIndirect(&area);
  HRGN kept = CreateRectRgnIndirect(&moved);
  CombineRgn(uncovered, uncovered, kept, RGN_DIFF);
  HRGN clipRegion = CreateRectRgnIndirect(&clipArea);
  CombineRgn(uncovered, uncovered, clipRegion, RGN_AND);
  DeleteObject(kept);
  DeleteObject(clipRegion);
  (void)source;
  if (flags & SW_SCROLLCHILDREN) {
    for (HWND child : ChildrenOf(window)) {
      auto c = ReadSlot(child);
      RECT overlap;
      if (c && IntersectRect(&overlap, &c->window, &area)) {
        SetWindowPos(child, nullptr, c->window.left + dx, c->window.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
  }
  if (flags & SW_INVALIDATE) {
    RedrawWindow(window, nullptr, uncovered, RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) | RDW_ALLCHILDREN);
  }
  RECT box{};
  int type = GetRgnBox(uncovered, &box);
  if (update) CombineRgn(update, uncovered, nullptr, RGN_COPY);
  if (updateRect) *updateRect = box;
  DeleteObject(uncovered);
  return type;
}
