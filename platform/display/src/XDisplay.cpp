// The X11 display backend: X windows for top-level windows, their pixels on damage, and X input
// turned into the window manager's injected mouse and keyboard.
//
// Ordinary frames (overlapped windows with a caption) get the desktop's decorations: their X window
// shows the client area only, and the desktop's frame and caption stand in for ours, so nothing is
// drawn twice and the person moves, sizes and closes them as any other window. Windows that paint
// their own caption or none (pop-ups: dialogs, windows without WS_CAPTION, and frames whose
// program said so with user::SetOwnCaption) show whole, frame included, with the desktop's
// decorations off; our window manager's caption and border drags move and size them. Pop-ups
// without a caption (menus, drop-downs, tooltips) are override-redirect, placed exactly where the
// window manager puts them.
//
// Hosted windows of another process are composited: RenderWindow already draws what a hosted
// window shows into its host's pixels. When the hosted process paints, its display finds the host's
// X window (by the property _TOLVAR_HWND) and sends it a _TOLVAR_REPAINT message, and the host's
// display renders again, once for all the messages that came meanwhile. Input needs nothing more: the window manager routes injected clicks and
// keys to a hosted window of another process by itself.
#include "XDisplay.h"

#include "IconPixels.h"
#include "Keymap.h"

#include <display/Display.h>

#include <user/Headless.h>
#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace tolvar::display {
namespace {

// Pop-ups that carry no caption of their own are the window manager's to place: menus,
// drop-down lists, tooltips.
bool IsOverrideRedirect(LONG style) {
  return (style & WS_POPUP) && (static_cast<DWORD>(style) & WS_CAPTION) != WS_CAPTION;
}

// A frame the desktop decorates: an overlapped window with a caption that the program leaves to
// the system to draw.
bool IsDecorated(HWND window, LONG style) {
  return !(style & (WS_POPUP | WS_CHILD)) && (static_cast<DWORD>(style) & WS_CAPTION) == WS_CAPTION &&
         !user::HasOwnCaption(window);
}

struct MotifHints {
  unsigned long flags, functions, decorations;
  long inputMode;
  unsigned long status;
};

struct ButtonRow {
  unsigned button;
  UINT down, up;
};
constexpr ButtonRow kButtons[] = {
    {Button1, WM_LBUTTONDOWN, WM_LBUTTONUP},
    {Button2, WM_MBUTTONDOWN, WM_MBUTTONUP},
    {Button3, WM_RBUTTONDOWN, WM_RBUTTONUP},
};

// X errors of this process's connections (a window gone between two requests) are not fatal here,
// unlike Xlib's default that exits.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::unique_ptr<XDisplay> XDisplay::Connect(const char* name) {
  Display* display = XOpenDisplay(name);
  if (!display) return nullptr;
  XSetErrorHandler(IgnoreError);
  return std::unique_ptr<XDisplay>(new XDisplay(display));
}

XDisplay::XDisplay(Display* display) : m_display(display) {
  m_screen = DefaultScreen(display);
  m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  m_gc = XCreateGC(display, RootWindow(display, m_screen), 0, nullptr);
  m_shm = XShmQueryExtension(display);
  m_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  m_deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  m_netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  m_utf8 = XInternAtom(display, "UTF8_STRING", False);
  m_motifHints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  m_windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  m_typeNormal = XInternAtom(display, "_NET_WM_WINDOW_TYPE_NORMAL", False);
  m_typeDialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  m_hwndAtom = XInternAtom(display, "_TOLVAR_HWND", False);
  m_repaint = XInternAtom(display, "_TOLVAR_REPAINT", False);
  m_netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
  m_wmState = XInternAtom(display, "WM_STATE", False);
  // An input method where one runs; without one, Xutf8LookupString still turns key symbols into text.
  XSetLocaleModifiers("");
  m_inputMethod = XOpenIM(display, nullptr, nullptr, nullptr);
  // The station reports the real screen's size, and follows it when it changes (RandR).
  user::SetScreenSize(DisplayWidth(display, m_screen), DisplayHeight(display, m_screen));
  int error = 0;
  m_randr = XRRQueryExtension(display, &m_randrEvent, &error);
  if (m_randr) XRRSelectInput(display, RootWindow(display, m_screen), RRScreenChangeNotifyMask);
  m_tray = std::make_unique<XTray>(display, m_screen, m_shm);
  m_cursors = std::make_unique<XCursors>(display);
  m_endedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_thread = std::thread([this] {
    Run();
    {
      std::lock_guard guard(m_lock);
      m_ended = true;
    }
    m_endedSignal.notify_all();
    SetEvent(m_endedEvent);
  });
}

bool XDisplay::Stop(bool atExit) {
  {
    std::lock_guard guard(m_lock);
    m_stop = true;
  }
  Wake();
  if (atExit) {
    std::unique_lock guard(m_lock);
    return m_endedSignal.wait_for(guard, std::chrono::seconds(2), [this] { return m_ended; });
  }
  for (;;) {
    {
      std::lock_guard guard(m_lock);
      if (m_ended) return true;
    }
    MsgWaitForMultipleObjects(1, &m_endedEvent, FALSE, INFINITE, QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // answers what was sent to this thread
  }
}

XDisplay::~XDisplay() {
  if (m_thread.joinable()) m_thread.join();
  CloseHandle(m_endedEvent);
  for (auto& [hwnd, shown] : m_windows) {
    shown.image.reset();
    XDestroyWindow(m_display, shown.xwindow);
  }
  for (auto& [xwindow, context] : m_inputContexts) XDestroyIC(context);
  m_tray.reset();
  m_cursors.reset();
  if (m_inputMethod) XCloseIM(m_inputMethod);
  XFreeGC(m_display, m_gc);
  XCloseDisplay(m_display);
  close(m_wake);
}

void XDisplay::Wake() {
  const std::uint64_t one = 1;
  (void)!write(m_wake, &one, sizeof one);
}

void XDisplay::WindowCreated(HWND window) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Create, window});
  Wake();
}

void XDisplay::WindowDestroyed(HWND window) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Destroy, window});
  m_dirty.erase(window);
  Wake();
}

// Whether the window is minimised goes with the command, as it was then: the display thread takes the
// commands later, and must see a minimise and a restore that follow each other closely in turn.
void XDisplay::WindowMoved(HWND window, const RECT&) {
  const bool iconic = IsIconic(window) != FALSE;
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Move, window, false, iconic});
  Wake();
}

void XDisplay::WindowShown(HWND window, bool visible) {
  const bool iconic = IsIconic(window) != FALSE;
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Show, window, visible, iconic});
  Wake();
}

void XDisplay::CursorChanged(HCURSOR cursor, HWND shownIn) {
  std::lock_guard guard(m_lock);
  m_cursorWanted = cursor;
  m_cursorShownIn = shownIn;
  m_cursorChanged = true;
  Wake();
}

void XDisplay::WindowRetitled(HWND window) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Retitle, window});
  Wake();
}

void XDisplay::WindowFrameChanged(HWND window) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Reframe, window});
  Wake();
}

void XDisplay::Present(HWND window, const RECT&) {
  std::lock_guard guard(m_lock);
  if (m_dirty.insert(window).second) Wake();
}

// The icons always show somewhere: through the session bus's host, in the desktop's tray, or in
// the display's own window for them.
bool XDisplay::HasTray() { return true; }

void XDisplay::TrayIconSet(const user::TrayIconState& icon) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::TraySet, icon.window, false, false, icon});
  Wake();
}

void XDisplay::TrayIconRemoved(HWND window, UINT id) {
  std::lock_guard guard(m_lock);
  Command command{Op::TrayRemove, window};
  command.icon.id = id;
  m_commands.push_back(std::move(command));
  Wake();
}

void XDisplay::MenuTracking(HWND window) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Grab, window});
  Wake();
}

// The menu's window takes the pointer and the keyboard of the whole screen while it tracks. Events
// over our own windows still go to them (owner events); a click on the desktop or on another
// program comes to the menu's window, with its place on the screen, and ends the menu.
void XDisplay::Grab(HWND window) {
  if (m_grabbed) {
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    m_grabbed = false;
  }
  m_grabWindow = nullptr;
  if (!window) return;
  auto it = m_windows.find(window);
  if (it == m_windows.end() || !it->second.xwindow) return;
  const Window xwindow = it->second.xwindow;
  const int pointer = XGrabPointer(m_display, xwindow, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  const int keyboard = XGrabKeyboard(m_display, xwindow, True, GrabModeAsync, GrabModeAsync, CurrentTime);
  m_grabbed = pointer == GrabSuccess || keyboard == GrabSuccess;
  if (keyboard == GrabSuccess) m_grabWindow = window;
}

unsigned long XDisplay::XWindowOf(HWND window) {
  std::lock_guard guard(m_lock);
  auto it = m_windows.find(window);
  return it == m_windows.end() ? 0 : it->second.xwindow;
}

HWND XDisplay::WindowOfX(Window xwindow) const {
  for (const auto& [hwnd, shown] : m_windows) {
    if (shown.xwindow == xwindow) return hwnd;
  }
  return nullptr;
}

bool XDisplay::IsOursOrInside(Window xwindow) const {
  const Window root = DefaultRootWindow(m_display);
  for (int depth = 0; xwindow != None && xwindow != PointerRoot && xwindow != root && depth < 16; ++depth) {
    if (WindowOfX(xwindow)) return true;
    Window parentOf = None, rootOf = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, xwindow, &rootOf, &parentOf, &children, &count)) return false;
    if (children) XFree(children);
    xwindow = parentOf;
  }
  return false;
}

void XDisplay::Run() {
  const int xfd = ConnectionNumber(m_display);
  for (;;) {
    std::deque<Command> commands;
    std::set<HWND> dirty;
    bool cursorChanged = false;
    HCURSOR cursor = nullptr;
    HWND cursorShownIn = nullptr;
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
      commands.swap(m_commands);
      dirty.swap(m_dirty);
      cursorChanged = std::exchange(m_cursorChanged, false);
      cursor = m_cursorWanted;
      cursorShownIn = m_cursorShownIn;
    }
    if (!m_closesAtExit && (!commands.empty() || !dirty.empty())) {
      // From here on this thread has the window manager's state, which goes with the process's
      // static objects: the display must close (and this thread end) before they do. Registered
      // now, after the window manager made its state, the handler runs before that is destroyed.
      std::atexit(CloseAtExit);
      m_closesAtExit = true;
    }
    for (const Command& command : commands) Apply(command);
    if (cursorChanged) ShowCursor(cursor, cursorShownIn);
    for (HWND window : dirty) Repaint(window);
    while (XPending(m_display)) {
      XEvent event;
      XNextEvent(m_display, &event);
      if (XFilterEvent(&event, None)) continue;
      if (m_randr && event.type == m_randrEvent + RRScreenChangeNotify) {
        XRRUpdateConfiguration(&event);
        user::SetScreenSize(DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen));
        continue;
      }
      if (m_tray->Handle(event)) continue;
      HandleEvent(event);
    }
    // Flushing may read what the server sent meanwhile into Xlib's queue, where poll() cannot see it
    // (a repaint a hosted window asked for would wait there for the next X input): go round again
    // while anything is queued.
    if (XEventsQueued(m_display, QueuedAfterFlush) > 0) continue;
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
      if (!m_commands.empty() || !m_dirty.empty()) continue;
    }
    std::vector<pollfd> fds{{xfd, POLLIN, 0}, {m_wake, POLLIN, 0}};
    m_tray->AddPollFds(fds);
    poll(fds.data(), fds.size(), m_tray->NextTimeout());
    std::uint64_t count;
    (void)!read(m_wake, &count, sizeof count);
    m_tray->Tick();
  }
}

void XDisplay::Apply(const Command& command) {
  switch (command.op) {
    case Op::Create:
      // Not when it has become a child meanwhile (a window put into another's, maybe another
      // process's): its X window would show over that one until the Destroy queued behind.
      if (HWND parent = GetAncestor(command.window, GA_PARENT); !parent || parent == GetDesktopWindow()) {
        Create(command.window);
      }
      break;
    case Op::Destroy: Destroy(command.window); break;
    case Op::Move: Move(command.window, command.iconic); break;
    case Op::Show: Show(command.window, command.visible, command.iconic); break;
    case Op::Retitle:
      if (auto it = m_windows.find(command.window); it != m_windows.end()) {
        UpdateTitle(command.window, it->second);
        it = m_windows.find(command.window);
        if (it != m_windows.end()) UpdateIcon(command.window, it->second);
      }
      break;
    case Op::Reframe: Reframe(command.window); break;
    case Op::TraySet: m_tray->Set(command.icon); break;
    case Op::TrayRemove: m_tray->Remove(command.window, command.icon.id); break;
    case Op::Grab: Grab(command.window); break;
  }
}

bool XDisplay::PresentedRect(HWND window, bool decorated, RECT& rect, POINT& offset) {
  if (!GetWindowRect(window, &rect)) return false;
  offset = {0, 0};
  if (!decorated) return true;
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return false;
  offset = {origin.x - rect.left, origin.y - rect.top};
  rect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  return true;
}

void XDisplay::Create(HWND window) {
  if (m_windows.count(window)) return;
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const bool decorated = IsDecorated(window, style);
  RECT rect;
  POINT offset;
  if (!PresentedRect(window, decorated, rect, offset)) return;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = IsOverrideRedirect(style) ? True : False;
  attributes.background_pixmap = None;  // no flash of a background colour before the pixels come
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask |
                          PropertyChangeMask;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  Window xwindow = XCreateWindow(m_display, RootWindow(m_display, m_screen), rect.left, rect.top,
                                 static_cast<unsigned>(width > 0 ? width : 1), static_cast<unsigned>(height > 0 ? height : 1), 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
  XSetWMProtocols(m_display, xwindow, &m_deleteWindow, 1);
  if (m_cursor) XDefineCursor(m_display, xwindow, m_cursor);
  SetDecorations(xwindow, decorated);
  Atom type = (style & WS_POPUP) ? m_typeDialog : m_typeNormal;
  XChangeProperty(m_display, xwindow, m_windowType, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
  long handle = static_cast<long>(reinterpret_cast<std::uintptr_t>(window));
  XChangeProperty(m_display, xwindow, m_hwndAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&handle), 1);
  XSizeHints size{};
  // Static gravity: the desktop puts its frame around the client area where it is, not shifted.
  size.flags = USPosition | USSize | PWinGravity;
  size.x = rect.left;
  size.y = rect.top;
  size.width = width;
  size.height = height;
  size.win_gravity = StaticGravity;
  XSetWMNormalHints(m_display, xwindow, &size);
  if (HWND owner = GetWindow(window, GW_OWNER)) {
    auto it = m_windows.find(owner);
    if (it != m_windows.end()) XSetTransientForHint(m_display, xwindow, it->second.xwindow);
  }
  if (m_inputMethod) {
    if (XIC context = XCreateIC(m_inputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, xwindow,
                                XNFocusWindow, xwindow, nullptr)) {
      m_inputContexts[xwindow] = context;
    }
  }
  Shown shown;
  shown.xwindow = xwindow;
  shown.screen = rect;
  shown.decorated = decorated;
  shown.offset = offset;
  {
    std::lock_guard guard(m_lock);
    m_windows[window] = std::move(shown);
  }
  // These may ask the window's thread, which may be queuing a command meanwhile: no lock held.
  UpdateTitle(window, m_windows[window]);
  if (auto it = m_windows.find(window); it != m_windows.end()) UpdateIcon(window, it->second);
  if (IsWindowVisible(window)) Show(window, true, IsIconic(window) != FALSE);
}

void XDisplay::Destroy(HWND window) {
  auto it = m_windows.find(window);
  if (it == m_windows.end()) return;
  auto context = m_inputContexts.find(it->second.xwindow);
  if (context != m_inputContexts.end()) {
    XDestroyIC(context->second);
    m_inputContexts.erase(context);
  }
  it->second.image.reset();
  XDestroyWindow(m_display, it->second.xwindow);
  std::lock_guard guard(m_lock);
  m_windows.erase(it);
}

// Also where the window is minimised or comes back: our window manager parks a minimised window far
// off the screen, the X window is iconified instead and stays where it was; restored or maximised,
// it is shown again at the window's place.
void XDisplay::Move(HWND window, bool iconic) {
  auto it = m_windows.find(window);
  if (it == m_windows.end()) return;
  Shown& shown = it->second;
  bool repaint = false;
  if (shown.following) {
    // The desktop changed the window's state and our side has not followed yet.
    if (iconic != shown.iconic) return;
    shown.following = false;
    repaint = !iconic;
  }
  if (iconic) {
    Iconify(shown);
    return;
  }
  const bool restoring = shown.iconic;
  shown.iconic = false;
  RECT rect;
  POINT offset;
  if (!PresentedRect(window, shown.decorated, rect, offset)) return;
  shown.offset = offset;
  if (!EqualRect(&rect, &shown.screen)) {
    shown.screen = rect;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    XMoveResizeWindow(m_display, shown.xwindow, rect.left, rect.top, static_cast<unsigned>(width > 0 ? width : 1),
                      static_cast<unsigned>(height > 0 ? height : 1));
    shown.sizesAsked.push_back(SIZE{width > 0 ? width : 1, height > 0 ? height : 1});
    if (shown.sizesAsked.size() > 16) shown.sizesAsked.pop_front();
    if (shown.image && (shown.image->Width() != width || shown.image->Height() != height)) {
      shown.image.reset();
      repaint = true;
    }
  }
  if (restoring && shown.mapped) {
    // Mapping an iconic window asks the desktop to show it again (where none runs, it maps).
    shown.asked = DesktopRuns() ? NormalState : 0;
    XMapRaised(m_display, shown.xwindow);
    repaint = true;
  }
  if (repaint) Repaint(window);
}

// Where a desktop runs, it is asked to iconify the X window: the window then waits in its task bar or
// as its icon, and the person brings it back from there. Without a desktop, nothing could bring an
// iconified window back but our own side: the X window is only unmapped.
void XDisplay::Iconify(Shown& shown) {
  if (shown.iconic) return;
  shown.iconic = true;
  if (!shown.mapped) return;
  if (DesktopRuns()) {
    shown.asked = IconicState;
    XIconifyWindow(m_display, shown.xwindow, m_screen);
  } else {
    shown.asked = 0;
    XUnmapWindow(m_display, shown.xwindow);
  }
}

// A desktop's window manager is the client that redirects the root window's structure requests.
bool XDisplay::DesktopRuns() {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(m_display, RootWindow(m_display, m_screen), &attributes) &&
         (attributes.all_event_masks & SubstructureRedirectMask);
}

// How the X window leaves the withdrawn state when it is mapped: shown, or iconified at once.
void XDisplay::SetInitialState(Window xwindow, bool iconic) {
  XWMHints* hints = XGetWMHints(m_display, xwindow);
  XWMHints fresh{};
  XWMHints* use = hints ? hints : &fresh;
  use->flags |= StateHint;
  use->initial_state = iconic ? IconicState : NormalState;
  XSetWMHints(m_display, xwindow, use);
  if (hints) XFree(hints);
}

// The X window's WM_STATE as the desktop keeps it (NormalState, IconicState, WithdrawnState), -1
// when it has none.
long XDisplay::DesktopState(Window xwindow) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  long state = -1;
  if (XGetWindowProperty(m_display, xwindow, m_wmState, 0, 2, False, m_wmState, &type, &format, &items, &after,
                         &data) == Success && data && format == 32 && items >= 1) {
    state = *reinterpret_cast<long*>(data);
  }
  if (data) XFree(data);
  return state;
}

void XDisplay::Answered(HWND window, long state) {
  auto it = m_windows.find(window);
  if (it != m_windows.end() && it->second.asked == state) it->second.asked = 0;
}

// The desktop reports the X window `state` (NormalState or IconicState). A change the person made
// there (a task bar click, the desktop's minimise button) reaches our side as the window's own
// buttons would send it, and the program hears it as usual.
void XDisplay::DesktopChanged(HWND window, long state) {
  auto it = m_windows.find(window);
  if (it == m_windows.end() || !it->second.mapped) return;
  Shown& shown = it->second;
  if (shown.asked) {
    // Our own request in flight: what the desktop says until it answered is older news.
    if (state == shown.asked) shown.asked = 0;
    return;
  }
  // Owned windows go and come with their owner, on our side as on the desktop.
  if (GetWindow(window, GW_OWNER)) return;
  if (state == IconicState && !shown.iconic) {
    shown.iconic = true;
    shown.following = true;
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (state == NormalState && shown.iconic) {
    shown.iconic = false;
    shown.following = true;
    PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

void XDisplay::SetDecorations(Window xwindow, bool decorated) {
  MotifHints hints{2 /* decorations */, 0, decorated ? 1ul /* all */ : 0ul, 0, 0};
  XChangeProperty(m_display, xwindow, m_motifHints, m_motifHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&hints), 5);
}

// The program took over its caption, or gave it back, after its X window was made: the desktop's
// decorations go (or come) and the X window grows to the whole window (or shrinks to the client
// area) where the window is.
void XDisplay::Reframe(HWND window) {
  auto it = m_windows.find(window);
  if (it == m_windows.end()) return;
  const bool decorated = IsDecorated(window, GetWindowLongA(window, GWL_STYLE));
  if (it->second.decorated == decorated) return;
  it->second.decorated = decorated;
  SetDecorations(it->second.xwindow, decorated);
  it->second.screen = {};  // placed anew, whatever the rectangle was
  it->second.image.reset();
  if (it->second.iconic) return;  // placed when it comes back
  Move(window, false);
  Repaint(window);
}

void XDisplay::Show(HWND window, bool visible, bool iconic) {
  auto it = m_windows.find(window);
  if (it == m_windows.end() || it->second.mapped == visible) return;
  Shown& shown = it->second;
  shown.mapped = visible;
  shown.following = false;
  if (!visible) {
    // Withdrawn, also from the desktop's task bar where it was iconified.
    shown.iconic = false;
    shown.asked = 0;
    XWithdrawWindow(m_display, shown.xwindow, m_screen);
    return;
  }
  const bool desktop = DesktopRuns();
  if (iconic) {
    // Shown minimised: straight into the desktop's task bar; without a desktop, not shown at all.
    shown.iconic = true;
    shown.asked = 0;
    if (!desktop) return;
    SetInitialState(shown.xwindow, true);
    shown.asked = IconicState;
    XMapWindow(m_display, shown.xwindow);
    return;
  }
  shown.iconic = false;
  SetInitialState(shown.xwindow, false);
  shown.asked = desktop ? NormalState : 0;
  Move(window, false);
  if (auto again = m_windows.find(window); again != m_windows.end()) XMapRaised(m_display, again->second.xwindow);
  Repaint(window);
}

void XDisplay::UpdateTitle(HWND window, Shown& shown) {
  // Asked without waiting on a thread that does not answer (a program busy or leaving). A request
  // that timed out may still be answered later, into its buffer: that buffer is kept until the
  // display closes.
  constexpr std::size_t kTitleMax = 512;
  auto buffer = std::make_unique<char[]>(kTitleMax);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, kTitleMax, reinterpret_cast<LPARAM>(buffer.get()),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &copied)) {
    m_abandoned.push_back(std::move(buffer));
    return;
  }
  const char* text = buffer.get();
  if (shown.title == text && !shown.title.empty()) return;
  shown.title = text;
  XChangeProperty(m_display, shown.xwindow, m_netWmName, m_utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
  XStoreName(m_display, shown.xwindow, text);
}

void XDisplay::UpdateIcon(HWND window, Shown& shown) {
  // The window's own icon (WM_SETICON, big first), else its class's; asked as the title is.
  DWORD_PTR answer = 0;
  HICON icon = nullptr;
  for (WPARAM kind : {WPARAM{1} /* ICON_BIG */, WPARAM{0} /* ICON_SMALL */}) {
    if (icon) break;
    if (SendMessageTimeoutA(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &answer)) {
      icon = reinterpret_cast<HICON>(answer);
    }
  }
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
  if (icon == shown.icon) return;
  shown.icon = icon;
  if (!icon) {
    XDeleteProperty(m_display, shown.xwindow, m_netWmIcon);
    return;
  }
  // Two sizes, each as its width, its height and its pixels.
  std::vector<long> data;
  for (int size : {16, 32}) {
    const std::vector<std::uint32_t> pixels = IconPixels(icon, size, size, false);
    if (pixels.empty()) continue;
    data.push_back(size);
    data.push_back(size);
    data.insert(data.end(), pixels.begin(), pixels.end());
  }
  XChangeProperty(m_display, shown.xwindow, m_netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void XDisplay::Repaint(HWND window) {
  auto it = m_windows.find(window);
  if (it == m_windows.end()) {
    TellHost(window);
    return;
  }
  if (!it->second.mapped || it->second.iconic) return;  // painted again when it shows
  const Window xwindow = it->second.xwindow;
  // The window's own thread paints and copies, into a buffer taken out of the map meanwhile: no
  // lock is held, and the map may change under the call.
  std::vector<std::uint32_t> frame = std::move(it->second.frame);
  SIZE size{};
  const bool rendered = user::RenderWindowPixels(window, frame, size);
  it = m_windows.find(window);
  if (it == m_windows.end() || it->second.xwindow != xwindow) return;
  Shown& shown = it->second;
  shown.frame = std::move(frame);
  if (!rendered) return;
  int width = size.cx, height = size.cy;
  const std::uint32_t* pixels = shown.frame.data();
  if (shown.decorated) {
    // Only the client area: the desktop's frame stands in for ours.
    const int left = std::clamp<int>(shown.offset.x, 0, width), top = std::clamp<int>(shown.offset.y, 0, height);
    pixels += static_cast<std::size_t>(top) * width + left;
    width = std::max(0, std::min<int>(shown.screen.right - shown.screen.left, width - left));
    height = std::max(0, std::min<int>(shown.screen.bottom - shown.screen.top, height - top));
  }
  if (!shown.image || shown.image->Width() != width || shown.image->Height() != height) {
    shown.image = width > 0 && height > 0 ? XImageBuffer::Make(m_display, m_screen, width, height, m_shm) : nullptr;
  }
  if (!shown.image) return;
  const RECT changed = shown.image->Update(pixels, size.cx);
  if (!IsRectEmpty(&changed)) {
    shown.image->Put(xwindow, m_gc, changed);
    XSync(m_display, False);
    ++m_presents;
  }
}

// A window of ours that is no top-level window here: hosted in another process's window. That
// process's display shows it; tell it to render again.
void XDisplay::TellHost(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root || root == window) return;
  const long wanted = static_cast<long>(reinterpret_cast<std::uintptr_t>(root));
  const Window host = ShownElsewhere(wanted);
  if (!host) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = host;
  event.xclient.message_type = m_repaint;
  event.xclient.format = 32;
  event.xclient.data.l[0] = wanted;
  XSendEvent(m_display, host, False, NoEventMask, &event);
}

// Over our own windows the process's cursor shows on each of them. Over a window of ours drawn
// inside another process's window, that process's X window takes our cursor until its own thread
// sets one again (its display then puts its own back).
void XDisplay::ShowCursor(HCURSOR cursor, HWND shownIn) {
  const Cursor shape = m_cursors->For(cursor);
  if (shownIn && !m_windows.count(shownIn)) {
    if (const Window host = ShownElsewhere(static_cast<long>(reinterpret_cast<std::uintptr_t>(shownIn)))) {
      XDefineCursor(m_display, host, shape);
    }
    return;
  }
  m_cursor = shape;
  for (const auto& [hwnd, shown] : m_windows) XDefineCursor(m_display, shown.xwindow, m_cursor);
}

// Whether the X window shows the window `handle` (its _TOLVAR_HWND). A window gone meanwhile
// answers no: its error is ignored.
bool XDisplay::Shows(Window xwindow, long handle) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(m_display, xwindow, m_hwndAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                         &data) != Success || !data) {
    return false;
  }
  const bool match = format == 32 && items == 1 && *reinterpret_cast<long*>(data) == handle;
  XFree(data);
  return match;
}

// The X window another process's display shows the window `handle` in, 0 when none. A desktop that
// frames windows puts it into its frame (and some into a frame within the frame): looked for a few
// levels down from the root, and kept for the next time while it still shows that window.
Window XDisplay::ShownElsewhere(long handle) {
  if (auto it = m_hosts.find(handle); it != m_hosts.end()) {
    if (Shows(it->second, handle)) return it->second;
    m_hosts.erase(it);
  }
  std::vector<Window> level{RootWindow(m_display, m_screen)};
  for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
    std::vector<Window> below;
    for (Window parent : level) {
      Window rootReturn = 0, parentReturn = 0, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(m_display, parent, &rootReturn, &parentReturn, &children, &count)) continue;
      below.insert(below.end(), children, children + count);
      if (children) XFree(children);
    }
    for (Window candidate : below) {
      if (Shows(candidate, handle)) {
        m_hosts[handle] = candidate;
        return candidate;
      }
    }
    level = std::move(below);
  }
  return 0;
}

void XDisplay::HandleEvent(XEvent& event) {
  switch (event.type) {
    case Expose: {
      HWND window = WindowOfX(event.xexpose.window);
      auto it = m_windows.find(window);
      if (it == m_windows.end()) break;
      if (it->second.image) {
        const RECT area{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                        event.xexpose.y + event.xexpose.height};
        it->second.image->Put(it->second.xwindow, m_gc, area);
      } else {
        Repaint(window);
      }
      break;
    }
    case ClientMessage: {
      HWND window = WindowOfX(event.xclient.window);
      if (!window) break;
      if (event.xclient.message_type == m_protocols && static_cast<Atom>(event.xclient.data.l[0]) == m_deleteWindow) {
        PostMessageA(window, WM_CLOSE, 0, 0);
      } else if (event.xclient.message_type == m_repaint) {
        // A hosted program may ask far more often than a render takes: every request waiting now
        // is served by one render, after the events queued behind them (input among them).
        std::lock_guard guard(m_lock);
        m_dirty.insert(window);
      }
      break;
    }
    case ButtonPress:
    case ButtonRelease: {
      const POINT at{event.xbutton.x_root, event.xbutton.y_root};
      const bool down = event.type == ButtonPress;
      if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
        // The wheel: X reports each notch as a press and a release of a button of its own.
        if (!down) break;
        user::InjectMouse(at, WM_MOUSEMOVE);
        if (HWND under = WindowFromPoint(at)) {
          const short delta = event.xbutton.button == Button4 ? 120 : -120;
          PostMessageA(under, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                       MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
        }
        break;
      }
      if (down) {
        // The keyboard comes to the clicked window on the server before the click activates it
        // here: keys typed once it shows active must reach it, not the window that had them.
        HWND window = WindowOfX(event.xbutton.window);
        if (window && !IsOverrideRedirect(GetWindowLongA(window, GWL_STYLE))) {
          XSetInputFocus(m_display, event.xbutton.window, RevertToParent, event.xbutton.time);
          XSync(m_display, False);
        }
      }
      for (const ButtonRow& row : kButtons) {
        if (row.button == event.xbutton.button) user::InjectMouse(at, down ? row.down : row.up);
      }
      break;
    }
    case MotionNotify: {
      // Only the latest position matters.
      while (XCheckTypedWindowEvent(m_display, event.xmotion.window, MotionNotify, &event)) {
      }
      user::InjectMouse({event.xmotion.x_root, event.xmotion.y_root}, WM_MOUSEMOVE);
      break;
    }
    case LeaveNotify:
      // The pointer left for a window not ours: a move there ends hover tracking and sends
      // WM_MOUSELEAVE to whoever asked for it.
      if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior) {
        user::InjectMouse({event.xcrossing.x_root, event.xcrossing.y_root}, WM_MOUSEMOVE);
      }
      break;
    case FocusIn: {
      HWND window = WindowOfX(event.xfocus.window);
      if (window && event.xfocus.mode == NotifyNormal && GetForegroundWindow() != window) SetForegroundWindow(window);
      break;
    }
    case FocusOut: {
      // The focus left one of our windows (a grab's passing change aside): for a window that is
      // not ours, that window's program or the desktop is in front now and ours is deactivated.
      // Between two windows of ours the other one's FocusIn activates it.
      if (event.xfocus.mode != NotifyNormal || event.xfocus.detail == NotifyInferior ||
          event.xfocus.detail == NotifyPointer) {
        break;
      }
      HWND window = WindowOfX(event.xfocus.window);
      Window focus = None;
      int revert = 0;
      XGetInputFocus(m_display, &focus, &revert);
      if (window && !IsOursOrInside(focus)) user::InjectFocusLost(window);
      break;
    }
    case KeyPress:
    case KeyRelease: HandleKey(event.xkey); break;
    case MappingNotify: XRefreshKeyboardMapping(&event.xmapping); break;
    // The desktop's WM_STATE says whether it shows or iconified the window (a desktop that keeps none
    // maps and unmaps it only: a map then means shown). The map or the unmap is also its answer to
    // what we asked: WM_STATE alone cannot tell, being read later than it was written. What the
    // desktop reports after that answer, the person did there.
    case MapNotify:
      if (HWND window = WindowOfX(event.xmap.window)) {
        Answered(window, NormalState);
        const long state = DesktopState(event.xmap.window);
        if (state == NormalState || state == -1) DesktopChanged(window, NormalState);
      }
      break;
    case UnmapNotify:
      if (HWND window = WindowOfX(event.xunmap.window)) {
        Answered(window, IconicState);
        if (DesktopState(event.xunmap.window) == IconicState) DesktopChanged(window, IconicState);
      }
      break;
    case PropertyNotify:
      if (event.xproperty.atom != m_wmState) break;
      if (HWND window = WindowOfX(event.xproperty.window)) {
        const long state = DesktopState(event.xproperty.window);
        if (state == NormalState || state == IconicState) DesktopChanged(window, state);
      }
      break;
    case ConfigureNotify: {
      HWND window = WindowOfX(event.xconfigure.window);
      auto it = m_windows.find(window);
      // An iconified window stays where it was; our side parks it elsewhere meanwhile.
      if (it == m_windows.end() || it->second.iconic) break;
      Shown& shown = it->second;
      const RECT was = shown.screen;
      const int wasWidth = was.right - was.left, wasHeight = was.bottom - was.top;
      // A synthetic event carries root coordinates (the desktop moved the window, maybe inside its
      // frame); a real one of a framed window is relative to the frame, so only its size counts.
      const bool moved = event.xconfigure.send_event && (was.left != event.xconfigure.x || was.top != event.xconfigure.y);
      bool sized = event.xconfigure.width != wasWidth || event.xconfigure.height != wasHeight;
      if (!event.xconfigure.send_event) {
        // The answer to a size we asked for ourselves (maybe older than the newest): no change from
        // outside.
        auto& asked = shown.sizesAsked;
        auto ours = std::find_if(asked.begin(), asked.end(), [&](const SIZE& s) {
          return s.cx == event.xconfigure.width && s.cy == event.xconfigure.height;
        });
        if (ours != asked.end()) {
          asked.erase(asked.begin(), ours + 1);
          sized = false;
        }
      }
      if (!moved && !sized) break;
      const int left = moved ? event.xconfigure.x : was.left, top = moved ? event.xconfigure.y : was.top;
      shown.screen = {left, top, left + event.xconfigure.width, top + event.xconfigure.height};
      // Sized from outside (the desktop's frame, its maximise, a tool): the window gets the size as
      // WM_WINDOWPOSCHANGED and WM_SIZE, lays itself out and paints the new area. Where the
      // desktop's frame stands in for ours, the window keeps its own frame around the new client area.
      RECT outer;
      GetWindowRect(window, &outer);
      const int width = event.xconfigure.width + (outer.right - outer.left) - wasWidth;
      const int height = event.xconfigure.height + (outer.bottom - outer.top) - wasHeight;
      SetWindowPos(window, nullptr, left - shown.offset.x, top - shown.offset.y, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE | (moved ? 0u : SWP_NOMOVE) | (sized ? 0u : SWP_NOSIZE));
      break;
    }
    default: break;
  }
}

void XDisplay::HandleKey(XKeyEvent& event) {
  const unsigned virtualKey = VirtualKeyOf(XLookupKeysym(&event, 0));
  const bool down = event.type == KeyPress;
  if (m_grabWindow) {
    // The menu's loop reads its thread's keys, whichever window was active before it opened (a click
    // on the tray icon leaves another program active).
    if (virtualKey) {
      PostMessageA(m_grabWindow, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 1);
    }
    return;
  }
  if (virtualKey) user::InjectKey(virtualKey, down);
  if (!down) return;
  // The text of the key. TranslateMessage makes WM_CHAR itself for keys whose character it knows
  // (ASCII on a virtual key); any other text (accented letters, other scripts, an input method's
  // result) is typed as it is.
  char text[64] = {};
  KeySym symbol = NoSymbol;
  Status status = 0;
  int length = 0;
  auto context = m_inputContexts.find(event.window);
  if (context != m_inputContexts.end()) {
    length = Xutf8LookupString(context->second, &event, text, sizeof text - 1, &symbol, &status);
    if (status != XLookupChars && status != XLookupBoth) length = 0;
  } else {
    length = XLookupString(&event, text, sizeof text - 1, &symbol, nullptr);
    // Without an input method XLookupString answers Latin-1; below 0x80 that is UTF-8 already.
    for (int i = 0; i < length; ++i) {
      if (static_cast<unsigned char>(text[i]) >= 0x80) length = 0;
    }
  }
  if (length <= 0) return;
  text[length] = 0;
  bool ascii = true;
  for (int i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80 || static_cast<unsigned char>(text[i]) < 0x20) ascii = false;
  }
  if (virtualKey && (ascii || static_cast<unsigned char>(text[0]) < 0x20)) return;
  user::InjectText(text);
}

}  // namespace tolvar::display
