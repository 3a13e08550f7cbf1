// Focus, activation, the foreground window and mouse capture.
#include "Internal.h"

#include <user/Headless.h>
#include <user/Input.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>

namespace tolvar::user {
namespace {

std::shared_ptr<InputState> InputOfThread(DWORD threadId) {
  if (threadId == GetCurrentThreadId()) return CurrentThreadState().input;
  auto state = FindThreadState(threadId);
  return state ? state->input : nullptr;
}

void SetForegroundValue(HWND window) {
  Station::Get().With([&](StationData& data) {
    data.foreground = HandleValue(window);
    return 0;
  });
}

// Where activation goes when the active window is hidden or destroyed: its owner when that can take
// it, else the topmost other visible, enabled top-level window of the thread.
HWND NextToActivate(HWND leaving) {
  auto slot = ReadSlot(leaving);
  if (slot && slot->owner) {
    HWND owner = HandleOf(slot->owner);
    auto o = ReadSlot(owner);
    if (o && IsLocal(*o) && o->tid == GetCurrentThreadId() && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED)) {
      return owner;
    }
  }
  for (HWND top : ChildrenOf(Desktop())) {
    if (top == leaving) continue;
    auto t = ReadSlot(top);
    if (!t || !IsLocal(*t) || t->tid != GetCurrentThreadId()) continue;
    if ((t->style & WS_VISIBLE) && !(t->style & WS_DISABLED) && t->owner != HandleValue(leaving)) return top;
  }
  return nullptr;
}

bool IsLocalTopLevel(HWND window) {
  auto slot = ReadSlot(TopLevelOf(window));
  return slot && IsLocal(*slot);
}

// When a window of ours owned by another process's window goes (a message box over a hosted
// program), the focus returns to where the thread had it in that owner before, and the owner is
// foreground again, so that typing goes on where it was.
void ReturnFocusToHost(const WindowSlot& leaving, InputState& input) {
  HWND focus = input.hostedFocus;
  input.hostedFocus = nullptr;
  HWND owner = HandleOf(leaving.owner);
  if (!focus || !owner || !IsWindow(focus) || TopLevelOf(focus) != owner || IsLocalTopLevel(focus)) return;
  if (!IsWindowVisible(focus) || !IsWindowEnabled(focus)) return;
  SetFocus(focus);
  SetForegroundWindow(owner);
}

// Keys typed while another process's window is foreground go to the focus recorded here. The
// top-level window also notes whether a window of another process inside it has the keys, so that
// they go back there when the top-level window is activated again.
void NoteSharedFocus(HWND old, HWND window) {
  Station& station = Station::Get();
  HWND top = TopLevelOf(window ? window : old);
  auto topSlot = top ? ReadSlot(top) : std::nullopt;
  auto slot = window ? ReadSlot(window) : std::nullopt;
  station.With([&](StationData& data) {
    WindowSlot* topRecord = topSlot ? station.Find(data, HandleValue(top)) : nullptr;
    if (window) {
      data.focus = HandleValue(window);
      data.pressed = 0;
      if (topRecord && slot) topRecord->hostedKeys = slot->pid != topSlot->pid ? HandleValue(window) : 0;
    } else {
      if (data.focus == HandleValue(old)) data.focus = 0;
      if (topRecord && topRecord->hostedKeys == HandleValue(old)) topRecord->hostedKeys = 0;
    }
    return 0;
  });
}

// The window of another process inside `top` that had the keys when `top` was last active, if it
// can still take them.
HWND HostedKeysOf(HWND top) {
  auto slot = ReadSlot(top);
  HWND hosted = slot ? HandleOf(slot->hostedKeys) : nullptr;
  auto hostedSlot = hosted ? ReadSlot(hosted) : std::nullopt;
  if (!hostedSlot || IsLocal(*hostedSlot) || TopLevelOf(hosted) != top) return nullptr;
  if (!IsWindowVisible(hosted) || !IsWindowEnabled(hosted)) return nullptr;
  return hosted;
}

}  // namespace

HWND SharedFocusIn(HWND top) {
  HWND focus = Station::Get().With([](StationData& data) { return HandleOf(data.focus); });
  if (!focus || !IsWindow(focus)) return nullptr;
  return focus == top || TopLevelOf(focus) == top ? focus : nullptr;
}

HWND SharedFocusOfOtherThread() {
  HWND focus = Station::Get().With([](StationData& data) { return HandleOf(data.focus); });
  auto slot = focus ? ReadSlot(focus) : std::nullopt;
  if (!slot || slot->tid == GetCurrentThreadId()) return nullptr;
  HWND foreground = GetForegroundWindow();
  return foreground && (focus == foreground || TopLevelOf(focus) == foreground) ? focus : nullptr;
}

void ActivateWindow(HWND window, WORD how) {
  auto input = CurrentThreadState().input;
  HWND old = input->active;
  if (old && !IsWindow(old)) old = nullptr;
  if (window == old) return;
  input->active = window;
  if (old) {
    SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(window));
  }
  if (!window) {
    HWND focus = input->focus;
    if (focus && (focus == old || IsDescendant(old, focus))) SetFocus(nullptr);
    return;
  }
  if (input->active != window) return;  // someone activated another window meanwhile
  if (HWND focus = input->focus; focus && IsWindow(focus) && !IsLocalTopLevel(focus)) input->hostedFocus = focus;
  SetForegroundValue(window);
  auto slot = ReadSlot(window);
  if (slot && slot->prev) SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  // Whatever focus the activation sets, a program hosted inside the window that had the keys when
  // the window was left gets them back, as a dialog restores its focused control.
  HWND hostedKeys = HostedKeysOf(window);
  SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(window) ? 1 : 0), reinterpret_cast<LPARAM>(old));
  // The focus belongs inside the active window.
  if (input->active == window) {
    HWND focus = input->focus;
    if (!focus || (focus != window && !IsDescendant(window, focus))) SetFocus(window);
  }
  // Only where the activation left this thread's focus on the hosted window's host (the window
  // itself or a container of the program's window), not on a control of its own elsewhere.
  if (input->active == window && hostedKeys && IsWindow(hostedKeys) && input->focus &&
      IsDescendant(input->focus, hostedKeys)) {
    NoteSharedFocus(input->focus, hostedKeys);
  }
}

void InjectFocusLost(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot || !IsLocal(*slot)) return;
  RunOnWindowThread(*slot, [window] {
    auto input = CurrentThreadState().input;
    if (input->active != window) return static_cast<LRESULT>(0);  // activation already moved on here
    input->active = nullptr;
    Station::Get().With([&](StationData& data) {
      if (data.foreground == HandleValue(window)) data.foreground = 0;
      return 0;
    });
    SendMessageA(window, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(window) ? 1 : 0), 0);
    for (HWND top : ChildrenOf(Desktop())) {
      auto t = ReadSlot(top);
      if (t && IsLocal(*t) && t->tid == GetCurrentThreadId()) SendMessageA(top, WM_ACTIVATEAPP, FALSE, 0);
    }
    HWND focus = input->focus;
    if (input->active == nullptr && focus && (focus == window || IsDescendant(window, focus))) SetFocus(nullptr);
    return static_cast<LRESULT>(0);
  });
}

void LoseInputState(HWND window, bool destroying) {
  auto slot = ReadSlot(window);
  if (!slot) return;
  auto input = InputOfThread(slot->tid);
  if (!input) return;
  auto inside = [&](HWND h) { return h && (h == window || IsDescendant(window, h)); };
  if (inside(input->capture)) {
    HWND lost = input->capture;
    input->capture = nullptr;
    Station::Get().With([&](StationData& data) {
      if (data.capture == HandleValue(lost)) data.capture = 0;
      return 0;
    });
    if (!destroying) SendMessageA(lost, WM_CAPTURECHANGED, 0, 0);
  }
  if (slot->tid != GetCurrentThreadId()) return;
  if (input->active == window) {
    HWND next = NextToActivate(window);
    ActivateWindow(next, WA_ACTIVE);
    if (input->active == window) ActivateWindow(nullptr, WA_INACTIVE);
    if (!input->active) ReturnFocusToHost(*slot, *input);
  }
  if (destroying && inside(input->focus)) {
    NoteSharedFocus(input->focus, nullptr);
    input->focus = nullptr;
  }
}

}  // namespace tolvar::user

using namespace tolvar::user;

HWND SetFocus(HWND window) {
  auto input = CurrentThreadState().input;
  HWND old = input->focus;
  if (old && !IsWindow(old)) old = input->focus = nullptr;
  if (window) {
    auto slot = ReadSlot(window);
    if (!slot) return InvalidWindow<HWND>(nullptr);
    if (!IsLocal(*slot) || InputOfThread(slot->tid) != input) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (window == old) {
      // A window of another process hosted in the same top-level window may have taken the keys
      // meanwhile while this thread kept its focus: taking the focus again takes them back.
      NoteSharedFocus(old, window);
      return old;
    }
    HWND top = TopLevelOf(window);
    // A window hosted in another process's top-level window takes the focus without activating
    // that window: its own thread activates it.
    auto topSlot = top ? ReadSlot(top) : std::nullopt;
    if (top && top != input->active && topSlot && IsLocal(*topSlot)) {
      ActivateWindow(top, WA_ACTIVE);
      if (!IsWindow(window)) return nullptr;
      old = input->focus;
      if (old == window) return old;
    }
  }
  input->focus = window;
  NoteSharedFocus(old, window);
  if (old && IsWindow(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (input->focus != window) return old;
  if (window) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  auto input = CurrentThreadState().input;
  if (input->focus && !IsWindow(input->focus)) input->focus = nullptr;
  return input->focus;
}

HWND SetActiveWindow(HWND window) {
  auto input = CurrentThreadState().input;
  HWND old = input->active;
  if (window) {
    auto slot = ReadSlot(window);
    if (!slot) return InvalidWindow<HWND>(nullptr);
    if (!IsLocal(*slot) || InputOfThread(slot->tid) != input) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    window = TopLevelOf(window);
  }
  ActivateWindow(window, WA_ACTIVE);
  return old && IsWindow(old) ? old : nullptr;
}

HWND GetActiveWindow() {
  auto input = CurrentThreadState().input;
  if (input->active && !IsWindow(input->active)) input->active = nullptr;
  return input->active;
}

BOOL SetForegroundWindow(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(FALSE);
  HWND top = TopLevelOf(window);
  if (IsLocal(*slot)) {
    auto topSlot = ReadSlot(top);
    if (!topSlot) return FALSE;
    RunOnWindowThread(*topSlot, [top] {
      ActivateWindow(top, WA_ACTIVE);
      return static_cast<LRESULT>(0);
    });
  }
  SetForegroundValue(top);
  return TRUE;
}

HWND GetForegroundWindow() {
  std::uint32_t value = Station::Get().With([](StationData& data) { return data.foreground; });
  HWND window = HandleOf(value);
  return value && IsWindow(window) ? window : nullptr;
}

BOOL AttachThreadInput(DWORD attach, DWORD attachTo, BOOL join) {
  auto from = FindThreadState(attach);
  auto to = FindThreadState(attachTo);
  if (attach == attachTo || !from || !to) {
    // A thread of another process keeps its own input; there is nothing to join.
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (join) {
    from->input = to->input;
  } else {
    from->input = std::make_shared<InputState>(*to->input);
  }
  return TRUE;
}

HWND SetCapture(HWND window) {
  auto input = CurrentThreadState().input;
  HWND old = input->capture;
  if (window && !IsWindow(window)) return InvalidWindow<HWND>(nullptr);
  input->capture = window;
  Station::Get().With([&](StationData& data) {
    data.capture = HandleValue(window);
    return 0;
  });
  if (old && old != window && IsWindow(old)) {
    SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  }
  return old;
}

BOOL ReleaseCapture() {
  auto input = CurrentThreadState().input;
  HWND old = input->capture;
  input->capture = nullptr;
  Station::Get().With([&](StationData& data) {
    if (data.capture == HandleValue(old)) data.capture = 0;
    return 0;
  });
  if (old && IsWindow(old)) {
    // A click aimed at the capture that is queued or still on its way goes where it was made when
    // this thread takes it.
    SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

HWND GetCapture() {
  auto input = CurrentThreadState().input;
  if (input->capture && !IsWindow(input->capture)) input->capture = nullptr;
  return input->capture;
}
