// LockWindowUpdate: a program fills a list or drags an image over a window without the window
// flickering through every step. While a window is locked, DCs of it and of its descendants draw
// nothing and their WM_PAINT waits (the update regions keep growing); unlocking repaints what was
// held back, the whole window when something tried to draw into it meanwhile.
#include "Internal.h"

#include <user/Paint.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <mutex>

namespace tolvar::user {
namespace {

struct LockState {
  std::mutex lock;
  HWND window = nullptr;
  bool drawn = false;  // a DC was asked for while locked
};

LockState& Locked() {
  static LockState state;
  return state;
}

}  // namespace

bool IsUpdateLocked(HWND window) {
  HWND locked;
  {
    std::lock_guard guard(Locked().lock);
    locked = Locked().window;
  }
  return locked && window && (window == locked || IsDescendant(locked, window));
}

void NoteLockedDrawing() {
  std::lock_guard guard(Locked().lock);
  Locked().drawn = true;
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL LockWindowUpdate(HWND window) {
  LockState& state = Locked();
  if (window) {
    if (!IsWindow(window)) return InvalidWindow(FALSE);
    std::lock_guard guard(state.lock);
    if (state.window && state.window != window) return FALSE;
    state.window = window;
    state.drawn = false;
    return TRUE;
  }
  HWND old;
  bool drawn;
  {
    std::lock_guard guard(state.lock);
    old = state.window;
    drawn = state.drawn;
    state.window = nullptr;
    state.drawn = false;
  }
  if (!old) return FALSE;
  if (IsWindow(old)) {
    // What was drawn was lost: all of it again. Otherwise the paint that waited is due now.
    RedrawWindow(old, nullptr, nullptr,
                 drawn ? RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN : RDW_INTERNALPAINT);
  }
  return TRUE;
}
