// The display backend seam: nothing is presented until a display module installs a backend.
#include "Internal.h"

#include <user/DisplayBackend.h>

#include "Station.h"

#include <gdi/SysParams.h>

#include <atomic>

namespace tolvar::user {
namespace {

std::atomic<DisplayBackend*> g_backend{nullptr};
std::atomic<bool> g_screenFromDisplay{false};

}  // namespace

void SetDisplayBackend(DisplayBackend* backend) { g_backend.store(backend); }

void SetScreenSize(int width, int height) {
  gdi::SetScreenSize(width, height);
  g_screenFromDisplay = true;
  // Not opened for this: the display tells the size as the library loads, before a test or program
  // has chosen its home. A station opened later takes the size then.
  if (Station::IsOpen()) Station::Get().SetDesktopSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

bool ScreenSizedByDisplay() { return g_screenFromDisplay.load(); }

bool DisplayHasTray() {
  auto* backend = g_backend.load();
  return backend && backend->HasTray();
}

void DisplayTrayIconSet(const TrayIconState& icon) {
  if (auto* backend = g_backend.load()) backend->TrayIconSet(icon);
}

void DisplayTrayIconRemoved(HWND window, UINT id) {
  if (auto* backend = g_backend.load()) backend->TrayIconRemoved(window, id);
}

void DisplayMenuTracking(HWND window) {
  if (auto* backend = g_backend.load()) backend->MenuTracking(window);
}

void TellDisplayCursor(HCURSOR cursor, HWND shownIn) {
  if (auto* backend = g_backend.load()) backend->CursorChanged(cursor, shownIn);
}

void SetOwnCaption(HWND window, bool own) {
  {
    std::lock_guard guard(ProcessLock());
    auto local = FindLocal(window);
    if (!local || local->ownCaption == own) return;
    local->ownCaption = own;
  }
  if (auto* backend = g_backend.load()) backend->WindowFrameChanged(window);
}

bool HasOwnCaption(HWND window) {
  std::lock_guard guard(ProcessLock());
  auto local = FindLocal(window);
  return local && local->ownCaption;
}

void TellDisplayRetitled(HWND window) {
  if (auto* backend = g_backend.load()) backend->WindowRetitled(window);
}

void TellDisplayCreated(HWND window) {
  if (auto* backend = g_backend.load()) backend->WindowCreated(window);
}

void TellDisplayDestroyed(HWND window) {
  if (auto* backend = g_backend.load()) backend->WindowDestroyed(window);
}

void TellDisplayMoved(HWND window) {
  auto* backend = g_backend.load();
  if (!backend) return;
  POINT origin = WindowOriginOnScreen(window);
  auto slot = ReadSlot(window);
  if (!slot) return;
  backend->WindowMoved(window, {origin.x, origin.y, origin.x + slot->window.right - slot->window.left,
                                origin.y + slot->window.bottom - slot->window.top});
}

void TellDisplayShown(HWND window, bool visible) {
  if (auto* backend = g_backend.load()) backend->WindowShown(window, visible);
}

void TellDisplayPresent(HWND window) {
  auto* backend = g_backend.load();
  if (!backend) return;
  auto slot = ReadSlot(window);
  if (!slot) return;
  backend->Present(window, {0, 0, slot->window.right - slot->window.left, slot->window.bottom - slot->window.top});
}

}  // namespace tolvar::user
