// Key states, the pointer, hit testing of screen points, and the injection of mouse and keyboard
// input, routed as the devices' input is.
#include "Internal.h"

#include <user/Headless.h>
#include <user/Input.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>

#include <array>
#include <atomic>
#include <string_view>

namespace tolvar::user {
namespace {

constexpr DWORD kDoubleClickTime = 500;
constexpr UINT_PTR kHoverTimer = 0xFFFA;

struct KeyStates {
  std::array<std::atomic<BYTE>, 256> keys{};  // 0x80 down, 0x01 toggled
};

KeyStates& Keys() {
  static KeyStates states;
  return states;
}

void SetKey(int key, bool down) {
  auto& state = Keys().keys[static_cast<std::size_t>(key) & 0xFF];
  BYTE old = state.load();
  BYTE now = static_cast<BYTE>(down ? (0x80 | ((old & 0x80) ? (old & 1) : ((old & 1) ^ 1))) : (old & 1));
  state.store(now);
}

bool KeyDown(int key) { return (Keys().keys[static_cast<std::size_t>(key) & 0xFF].load() & 0x80) != 0; }

struct ClickMemory {
  std::mutex lock;
  HWND window = nullptr;
  UINT message = 0;
  DWORD time = 0;
  POINT point{};
};

ClickMemory& LastClick() {
  static ClickMemory memory;
  return memory;
}

struct Tracking {
  std::mutex lock;
  HWND window = nullptr;
  DWORD flags = 0;
  DWORD hoverTime = 0;
  DWORD movedAt = 0;
};

Tracking& Tracked() {
  static Tracking tracking;
  return tracking;
}

POINT CursorPos() {
  return Station::Get().With([](StationData& data) { return data.cursor; });
}

bool Contains(HWND window, POINT screen, bool clientOnly) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  if (clientOnly) {
    POINT origin = ClientOriginOnScreen(window);
    RECT client;
    GetClientRect(window, &client);
    rect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  }
  return PtInRect(&rect, screen);
}

// The deepest visible window under the point, as the mouse finds it: disabled children are passed
// over for their parent, and a window answering HTTRANSPARENT lets the point through to the windows
// below it.
bool Find(HWND window, POINT screen, HWND& found, LRESULT& hit) {
  auto slot = ReadSlot(window);
  if (!slot || !(slot->style & WS_VISIBLE) || !Contains(window, screen, false)) return false;
  if ((slot->style & (WS_CHILD | WS_DISABLED)) == (WS_CHILD | WS_DISABLED)) return false;
  if (Contains(window, screen, true)) {
    for (HWND child : ChildrenOf(window)) {
      if (Find(child, screen, found, hit)) return true;
    }
  }
  LRESULT code = SendMessageA(window, WM_NCHITTEST, 0,
                              MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
  if (code == HTTRANSPARENT) return false;
  found = window;
  hit = code;
  return true;
}

HWND HitTestScreen(POINT screen, LRESULT& hit) {
  for (HWND top : ChildrenOf(Desktop())) {
    HWND found = nullptr;
    if (Find(top, screen, found, hit)) return found;
  }
  hit = HTNOWHERE;
  return nullptr;
}

WPARAM MouseKeys() {
  WPARAM keys = 0;
  if (KeyDown(VK_LBUTTON)) keys |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) keys |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) keys |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) keys |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) keys |= MK_CONTROL;
  return keys;
}

struct Button {
  UINT down;
  UINT up;
  UINT doubleClick;
  int key;
};
constexpr Button kButtons[] = {
    {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, VK_LBUTTON},
    {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, VK_RBUTTON},
    {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, VK_MBUTTON},
};

const Button* ButtonOf(UINT message) {
  for (const Button& b : kButtons) {
    if (message == b.down || message == b.up || message == b.doubleClick) return &b;
  }
  return nullptr;
}

LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

void HoverCheck(HWND window, UINT, UINT_PTR, DWORD) {
  Tracking& t = Tracked();
  POINT at = CursorPos();
  bool fire = false;
  {
    std::lock_guard guard(t.lock);
    if (t.window == window && (t.flags & TME_HOVER) && GetTickCount() - t.movedAt >= t.hoverTime) {
      t.flags &= ~TME_HOVER;
      fire = true;
    }
  }
  if (!fire) return;
  KillTimer(window, kHoverTimer);
  POINT client = at;
  ScreenToClient(window, &client);
  PostMessageA(window, WM_MOUSEHOVER, MouseKeys(), PointParam(client));
}

// Tells the tracked window the pointer has left it, when it has.
void CheckLeave(HWND target, LRESULT hit) {
  Tracking& t = Tracked();
  HWND left = nullptr;
  {
    std::lock_guard guard(t.lock);
    t.movedAt = GetTickCount();
    if (t.window && (t.flags & TME_LEAVE) && (target != t.window || hit != HTCLIENT)) {
      left = t.window;
      t.window = nullptr;
      t.flags = 0;
    }
  }
  if (left) PostMessageA(left, WM_MOUSELEAVE, 0, 0);
}

}  // namespace

HWND WindowAt(POINT screen, LRESULT& hit) { return HitTestScreen(screen, hit); }

void RouteInputLeftByCapture() {
  ThreadState& me = CurrentThreadState();
  const HWND capture = GetCapture();
  for (const MSG& queued : me.QueuedInput()) {
    // Input routed to a capture is a client message in the capture's client coordinates; wheel
    // messages carry screen points and go to the focus, so they stay as they are.
    if (!queued.hwnd || queued.hwnd == capture || queued.message < WM_MOUSEFIRST || queued.message >= WM_MOUSEWHEEL) {
      continue;
    }
    RECT frame{};
    if (!GetWindowRect(queued.hwnd, &frame)) continue;
    const POINT origin = ClientOriginOnScreen(queued.hwnd);
    const POINT screen{origin.x + static_cast<short>(LOWORD(queued.lParam)), origin.y + static_cast<short>(HIWORD(queued.lParam))};
    if (PtInRect(&frame, screen)) continue;
    LRESULT hit = HTCLIENT;
    HWND target = HitTestScreen(screen, hit);
    // The pointer was over another window all along: a window tracking its leaving learns it now.
    CheckLeave(target, hit);
    MSG routed = queued;
    routed.hwnd = target;
    if (hit == HTCLIENT) {
      POINT client = screen;
      ScreenToClient(target, &client);
      routed.lParam = PointParam(client);
    } else {
      routed.message = queued.message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
      routed.wParam = static_cast<WPARAM>(hit);
      routed.lParam = PointParam(screen);
    }
    auto slot = target ? ReadSlot(target) : std::nullopt;
    if (slot && IsLocal(*slot) && slot->tid == me.Id()) {
      me.ReplaceQueuedInput(queued, routed);
    } else if (me.ReplaceQueuedInput(queued, std::nullopt) && target) {
      PostInput(target, routed.message, routed.wParam, routed.lParam);
    }
  }
}

void NoteInputMessage(const MSG& message) {
  ThreadState& me = CurrentThreadState();
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
    me.modifiers = ((message.lParam & kShiftBit) ? MK_SHIFT : 0) | ((message.lParam & kControlBit) ? MK_CONTROL : 0) |
                   ((message.lParam & (1 << 29)) ? kAltModifier : 0);
    me.modifiersKnown = true;
  } else if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
    me.modifiers = (message.wParam & (MK_SHIFT | MK_CONTROL)) | (me.modifiers & kAltModifier);
    me.modifiersKnown = true;
  }
}

}  // namespace tolvar::user

using namespace tolvar::user;

SHORT GetKeyState(int virtualKey) {
  const ThreadState& me = CurrentThreadState();
  if (me.modifiersKnown) {
    auto held = [&](bool down) { return static_cast<SHORT>(down ? 0x8000 : 0); };
    if (virtualKey == VK_SHIFT) return held(me.modifiers & MK_SHIFT);
    if (virtualKey == VK_CONTROL) return held(me.modifiers & MK_CONTROL);
    if (virtualKey == VK_MENU) return held(me.modifiers & kAltModifier);
  }
  BYTE state = Keys().keys[static_cast<std::size_t>(virtualKey) & 0xFF].load();
  return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 1));
}

SHORT GetAsyncKeyState(int virtualKey) {
  return static_cast<SHORT>((Keys().keys[static_cast<std::size_t>(virtualKey) & 0xFF].load() & 0x80) ? 0x8000 : 0);
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) { return tolvar::user::InjectMouse({x, y}, WM_MOUSEMOVE); }

DWORD GetDoubleClickTime() { return kDoubleClickTime; }

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
  if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Tracking& t = Tracked();
  if (track->dwFlags & TME_QUERY) {
    std::lock_guard guard(t.lock);
    track->dwFlags = t.flags;
    track->hwndTrack = t.window;
    track->dwHoverTime = t.hoverTime;
    return TRUE;
  }
  if (!IsWindow(track->hwndTrack)) return InvalidWindow(FALSE);
  if (track->dwFlags & TME_CANCEL) {
    std::lock_guard guard(t.lock);
    if (t.window == track->hwndTrack) t.flags &= ~(track->dwFlags & (TME_LEAVE | TME_HOVER));
    if (!t.flags) t.window = nullptr;
    return TRUE;
  }
  LRESULT hit = HTNOWHERE;
  HWND under = HitTestScreen(CursorPos(), hit);
  if ((track->dwFlags & TME_LEAVE) && (under != track->hwndTrack || hit != HTCLIENT)) {
    PostMessageA(track->hwndTrack, WM_MOUSELEAVE, 0, 0);  // it is not even there
    return TRUE;
  }
  {
    std::lock_guard guard(t.lock);
    t.window = track->hwndTrack;
    t.flags = track->dwFlags & (TME_LEAVE | TME_HOVER);
    t.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
    t.movedAt = GetTickCount();
  }
  if (track->dwFlags & TME_HOVER) SetTimer(track->hwndTrack, kHoverTimer, t.hoverTime, HoverCheck);
  return TRUE;
}

HWND WindowFromPoint(POINT point) {
  LRESULT hit = HTNOWHERE;
  HWND window = HitTestScreen(point, hit);
  return window;
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
  auto slot = ReadSlot(parent);
  if (!slot) return InvalidWindow<HWND>(nullptr);
  RECT client{0, 0, slot->client.right - slot->client.left, slot->client.bottom - slot->client.top};
  if (!PtInRect(&client, point)) return nullptr;
  for (HWND child : ChildrenOf(parent)) {
    auto c = ReadSlot(child);
    if (!c || !PtInRect(&c->window, point)) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    return child;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_ALL); }

namespace tolvar::user {

void NotePointerAt(POINT screen) {
  Station::Get().With([&](StationData& data) {
    data.cursor = screen;
    return 0;
  });
}

BOOL InjectMouse(POINT screen, UINT message) {
  Station::Get().With([&](StationData& data) {
    data.cursor = screen;
    return 0;
  });
  const Button* button = ButtonOf(message);
  if (message != WM_MOUSEMOVE && !button) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A press counts at once; a release once it is posted, or found to have nowhere to go, so that a
  // drag loop seeing the button up with nothing queued knows the release will not come.
  const bool release = button && message == button->up;
  if (button && !release) SetKey(button->key, true);
  struct ReleaseAtEnd {
    const Button* button;
    ~ReleaseAtEnd() {
      if (button) SetKey(button->key, false);
    }
  } releaseAtEnd{release ? button : nullptr};

  HWND target = nullptr;
  LRESULT hit = HTCLIENT;
  std::uint32_t capture = Station::Get().With([](StationData& data) { return data.capture; });
  if (capture && IsWindow(HandleOf(capture))) {
    target = HandleOf(capture);
  } else {
    target = HitTestScreen(screen, hit);
  }
  CheckLeave(target, hit);
  {
    auto slot = target ? ReadSlot(target) : std::nullopt;
    const std::uint32_t tid = slot ? slot->tid : 0;
    const std::uint32_t top = target ? HandleValue(TopLevelOf(target)) : 0;
    Station::Get().With([&](StationData& data) {
      data.pointerThread = tid;
      data.pointerTop = top;
      return 0;
    });
  }
  if (!target) return FALSE;
  const bool down = button && message == button->down;
  if (!capture && !IsWindowEnabled(TopLevelOf(target))) return FALSE;  // a window under a modal one takes no clicks
  UINT posted = message;
  if (down) {
    HWND top = TopLevelOf(target);
    LRESULT activate = MA_ACTIVATE;
    if (top && GetForegroundWindow() != top) {
      activate = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
      if (activate == MA_ACTIVATE || activate == MA_ACTIVATEANDEAT) SetForegroundWindow(top);
    }
    ClickMemory& last = LastClick();
    std::lock_guard guard(last.lock);
    const DWORD now = GetTickCount();
    const bool twice = last.window == target && last.message == message && now - last.time <= kDoubleClickTime &&
                       std::abs(last.point.x - screen.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                       std::abs(last.point.y - screen.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    auto local = FindLocal(target);
    const bool classWants = hit != HTCLIENT || (local && local->windowClass && (local->windowClass->style & CS_DBLCLKS));
    if (twice && classWants) {
      posted = button->doubleClick;
      last.window = nullptr;
    } else {
      last.window = target;
      last.message = message;
      last.time = now;
      last.point = screen;
    }
    if (activate == MA_ACTIVATEANDEAT || activate == MA_NOACTIVATEANDEAT) return TRUE;
    // Keys typed before the press is handled follow it to its thread (see KeyboardThreadWindow).
    Station::Get().With([&](StationData& data) {
      data.pressed = HandleValue(target);
      return 0;
    });
  }
  if (!capture) {
    SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                 MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
  }
  if (hit == HTCLIENT) {
    POINT client = screen;
    ScreenToClient(target, &client);
    return PostInput(target, posted, MouseKeys(), PointParam(client));
  }
  // Outside the client area: the non-client message, with the hit code and screen coordinates.
  return PostInput(target, posted - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PointParam(screen));
}

namespace {

// Which thread typing goes to, named by one of its windows: while a press inside the foreground
// window has not yet moved the focus, the pressed window's thread; else the thread that owns the
// focus recorded inside the foreground window, which may belong to a program hosted there; else
// the foreground window's thread. That thread gives each key to its focus as it is after the input
// queued before the key (the press) has been handled, and hands it on to another thread's window
// that has the focus then (a press that took no focus leaves it where it was, maybe in another
// process). Null when there is no foreground window.
HWND KeyboardThreadWindow() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  HWND pressed = Station::Get().With([](StationData& data) { return HandleOf(data.pressed); });
  if (pressed && IsWindow(pressed) && (pressed == foreground || TopLevelOf(pressed) == foreground)) return pressed;
  if (HWND shared = SharedFocusIn(foreground)) return shared;
  return foreground;
}

// The next character of UTF-8 text; a byte that starts no valid sequence reads as U+FFFD, so bad
// text shows where it was bad instead of vanishing.
char32_t NextCodePoint(std::string_view& text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  bool valid = length != 0 && text.size() >= length;
  for (std::size_t i = 1; valid && i < length; ++i) {
    valid = (byte(i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (valid && (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
  if (!valid) {
    text.remove_prefix(1);
    return 0xFFFD;
  }
  text.remove_prefix(length);
  return c;
}

}  // namespace

BOOL InjectKey(UINT virtualKey, bool down) {
  const bool wasDown = KeyDown(static_cast<int>(virtualKey));
  SetKey(static_cast<int>(virtualKey), down);
  // The generic modifier follows either of its sides.
  if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) SetKey(VK_SHIFT, down);
  if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) SetKey(VK_CONTROL, down);
  if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) SetKey(VK_MENU, down);
  const bool alt = KeyDown(VK_MENU);
  const bool system = alt || virtualKey == VK_F10 || virtualKey == VK_MENU;
  HWND target = KeyboardThreadWindow();
  if (!target) return FALSE;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1 | (static_cast<LPARAM>(virtualKey & 0xFF) << 16);
  // The reserved bits 25 and 26 carry the Shift and Ctrl states at the time of the key, so that
  // GetKeyState answers for the message being handled, not for the keyboard of now.
  if (KeyDown(VK_SHIFT)) lParam |= kShiftBit;
  if (KeyDown(VK_CONTROL)) lParam |= kControlBit;
  if (alt) lParam |= 1 << 29;
  if (wasDown) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  return PostKeyboardInput(target, message, virtualKey, lParam);
}

BOOL InjectText(const char* utf8) {
  if (!utf8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HWND target = KeyboardThreadWindow();
  if (!target) return FALSE;
  // Typed text, as an input method hands it over: characters only, no key presses.
  for (std::string_view text(utf8); !text.empty();) {
    char32_t c = NextCodePoint(text);
    if (!PostKeyboardInput(target, WM_CHAR, static_cast<WPARAM>(c), 1)) return FALSE;
  }
  return TRUE;
}

}  // namespace tolvar::user
