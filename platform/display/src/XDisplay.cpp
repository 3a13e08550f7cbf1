// The X11 display backend: X windows for top-level windows, their pixels on damage, and X input
// turned into the window manager's injected mouse and keyboard.
//
// Each X window covers the whole window, non-client area included, because the window manager
// paints frames and captions itself (and the launcher paints its own caption over them): the
// desktop's decorations are turned off so that nothing is drawn twice, and the person moves and
// sizes windows by our own frames. Pop-ups without a caption (menus, drop-downs, tooltips) are
// override-redirect, placed exactly where the window manager puts them.
//
// Hosted windows of another process are composited: RenderWindow already draws what a hosted
// window shows into its host's pixels. When the hosted process paints, its display finds the host's
// X window (by the property _TOLVAR_HWND) and sends it a _TOLVAR_REPAINT message, and the host's
// display renders again. Input needs nothing more: the window manager routes injected clicks and
// keys to a hosted window of another process by itself.
#include "XDisplay.h"

#include "Keymap.h"

#include <display/Display.h>

#include <user/Headless.h>
#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <chrono>
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
  // An input method where one runs; without one, Xutf8LookupString still turns key symbols into text.
  XSetLocaleModifiers("");
  m_inputMethod = XOpenIM(display, nullptr, nullptr, nullptr);
  m_tray = std::make_unique<XTray>(display, m_screen, m_shm);
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

void XDisplay::WindowMoved(HWND window, const RECT&) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Move, window});
  Wake();
}

void XDisplay::WindowShown(HWND window, bool visible) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::Show, window, visible});
  Wake();
}

void XDisplay::Present(HWND window, const RECT&) {
  std::lock_guard guard(m_lock);
  if (m_dirty.insert(window).second) Wake();
}

bool XDisplay::HasTray() { return m_tray->Present(); }

void XDisplay::TrayIconSet(const user::TrayIconState& icon) {
  std::lock_guard guard(m_lock);
  m_commands.push_back({Op::TraySet, icon.window, false, icon});
  Wake();
}

void XDisplay::TrayIconRemoved(HWND window, UINT id) {
  std::lock_guard guard(m_lock);
  Command command{Op::TrayRemove, window};
  command.icon.id = id;
  m_commands.push_back(std::move(command));
  Wake();
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

void XDisplay::Run() {
  const int xfd = ConnectionNumber(m_display);
  for (;;) {
    std::deque<Command> commands;
    std::set<HWND> dirty;
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
      commands.swap(m_commands);
      dirty.swap(m_dirty);
    }
    if (!m_closesAtExit && (!commands.empty() || !dirty.empty())) {
      // From here on this thread has the window manager's state, which goes with the process's
      // static objects: the display must close (and this thread end) before they do. Registered
      // now, after the window manager made its state, the handler runs before that is destroyed.
      std::atexit(CloseAtExit);
      m_closesAtExit = true;
    }
    for (const Command& command : commands) Apply(command);
    for (HWND window : dirty) Repaint(window);
    while (XPending(m_display)) {
      XEvent event;
      XNextEvent(m_display, &event);
      if (XFilterEvent(&event, None)) continue;
      if (m_tray->Handle(event)) continue;
      HandleEvent(event);
    }
    XFlush(m_display);
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
      if (!m_commands.empty() || !m_dirty.empty()) continue;
    }
    pollfd fds[2] = {{xfd, POLLIN, 0}, {m_wake, POLLIN, 0}};
    poll(fds, 2, m_tray->NextTimeout());
    std::uint64_t count;
    (void)!read(m_wake, &count, sizeof count);
    m_tray->Tick();
  }
}

void XDisplay::Apply(const Command& command) {
  switch (command.op) {
    case Op::Create: Create(command.window); break;
    case Op::Destroy: Destroy(command.window); break;
    case Op::Move: Move(command.window); break;
    case Op::Show: Show(command.window, command.visible); break;
    case Op::TraySet: m_tray->Set(command.icon); break;
    case Op::TrayRemove: m_tray->Remove(command.window, command.icon.id); break;
  }
}

void XDisplay::Create(HWND window) {
  RECT rect;
  if (m_windows.count(window) || !GetWindowRect(window, &rect)) return;
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = IsOverrideRedirect(style) ? True : False;
  attributes.background_pixmap = None;  // no flash of a background colour before the pixels come
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  Window xwindow = XCreateWindow(m_display, RootWindow(m_display, m_screen), rect.left, rect.top,
                                 static_cast<unsigned>(width > 0 ? width : 1), static_cast<unsigned>(height > 0 ? height : 1), 0,
                                 CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
  XSetWMProtocols(m_display, xwindow, &m_deleteWindow, 1);
  MotifHints hints{2 /* decorations */, 0, 0, 0, 0};
  XChangeProperty(m_display, xwindow, m_motifHints, m_motifHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&hints), 5);
  Atom type = (style & WS_POPUP) ? m_typeDialog : m_typeNormal;
  XChangeProperty(m_display, xwindow, m_windowType, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
  long handle = static_cast<long>(reinterpret_cast<std::uintptr_t>(window));
  XChangeProperty(m_display, xwindow, m_hwndAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&handle), 1);
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = rect.left;
  size.y = rect.top;
  size.width = width;
  size.height = height;
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
  Shown* placed = nullptr;
  {
    std::lock_guard guard(m_lock);
    placed = &(m_windows[window] = std::move(shown));
  }
  UpdateTitle(window, *placed);  // may ask the window's thread: no lock held
  if (IsWindowVisible(window)) Show(window, true);
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

void XDisplay::Move(HWND window) {
  auto it = m_windows.find(window);
  RECT rect;
  if (it == m_windows.end() || !GetWindowRect(window, &rect)) return;
  Shown& shown = it->second;
  if (EqualRect(&rect, &shown.screen)) return;
  shown.screen = rect;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  XMoveResizeWindow(m_display, shown.xwindow, rect.left, rect.top, static_cast<unsigned>(width > 0 ? width : 1),
                    static_cast<unsigned>(height > 0 ? height : 1));
  if (shown.image && (shown.image->Width() != width || shown.image->Height() != height)) {
    shown.image.reset();
    Repaint(window);
  }
}

void XDisplay::Show(HWND window, bool visible) {
  auto it = m_windows.find(window);
  if (it == m_windows.end() || it->second.mapped == visible) return;
  it->second.mapped = visible;
  if (visible) {
    Move(window);
    XMapRaised(m_display, it->second.xwindow);
    Repaint(window);
  } else {
    XUnmapWindow(m_display, it->second.xwindow);
  }
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

void XDisplay::Repaint(HWND window) {
  auto it = m_windows.find(window);
  if (it == m_windows.end()) {
    TellHost(window);
    return;
  }
  if (!it->second.mapped) return;
  const Window xwindow = it->second.xwindow;
  // The window's own thread paints and copies; no lock held meanwhile.
  HBITMAP picture = user::RenderWindow(window);
  if (!picture) return;
  DIBSECTION section{};
  GetObjectA(picture, sizeof section, &section);
  const int width = section.dsBm.bmWidth, height = section.dsBm.bmHeight;
  it = m_windows.find(window);
  if (it != m_windows.end() && it->second.xwindow == xwindow && section.dsBm.bmBits) {
    Shown& shown = it->second;
    UpdateTitle(window, shown);
    if (!shown.image || shown.image->Width() != width || shown.image->Height() != height) {
      shown.image = XImageBuffer::Make(m_display, m_screen, width, height, m_shm);
    }
    if (shown.image) {
      RECT changed = shown.image->Update(static_cast<const std::uint32_t*>(section.dsBm.bmBits));
      if (!IsRectEmpty(&changed)) {
        shown.image->Put(xwindow, m_gc, changed);
        XSync(m_display, False);
        ++m_presents;
      }
    }
  }
  DeleteObject(picture);
}

// A window of ours that is no top-level window here: hosted in another process's window. That
// process's display shows it; tell it to render again.
void XDisplay::TellHost(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root || root == window) return;
  const long wanted = static_cast<long>(reinterpret_cast<std::uintptr_t>(root));
  Window rootWindow = RootWindow(m_display, m_screen), parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(m_display, rootWindow, &rootWindow, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, children[i], m_hwndAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success && data) {
      const bool match = items == 1 && *reinterpret_cast<long*>(data) == wanted;
      XFree(data);
      if (match) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = children[i];
        event.xclient.message_type = m_repaint;
        event.xclient.format = 32;
        event.xclient.data.l[0] = wanted;
        XSendEvent(m_display, children[i], False, NoEventMask, &event);
        break;
      }
    }
  }
  if (children) XFree(children);
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
        Repaint(window);
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
      for (const ButtonRow& row : kButtons) {
        if (row.button == event.xbutton.button) user::InjectMouse(at, down ? row.down : row.up);
      }
      if (down) {
        HWND window = WindowOfX(event.xbutton.window);
        if (window && !IsOverrideRedirect(GetWindowLongA(window, GWL_STYLE))) {
          XSetInputFocus(m_display, event.xbutton.window, RevertToParent, event.xbutton.time);
        }
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
    case KeyPress:
    case KeyRelease: HandleKey(event.xkey); break;
    case MappingNotify: XRefreshKeyboardMapping(&event.xmapping); break;
    case ConfigureNotify: {
      // A desktop's window manager moved the window (a synthetic event carries root coordinates).
      HWND window = WindowOfX(event.xconfigure.window);
      auto it = m_windows.find(window);
      if (it == m_windows.end() || !event.xconfigure.send_event) break;
      const RECT& was = it->second.screen;
      if (was.left != event.xconfigure.x || was.top != event.xconfigure.y) {
        it->second.screen = {event.xconfigure.x, event.xconfigure.y, event.xconfigure.x + (was.right - was.left),
                             event.xconfigure.y + (was.bottom - was.top)};
        SetWindowPos(window, nullptr, event.xconfigure.x, event.xconfigure.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    default: break;
  }
}

void XDisplay::HandleKey(XKeyEvent& event) {
  const unsigned virtualKey = VirtualKeyOf(XLookupKeysym(&event, 0));
  const bool down = event.type == KeyPress;
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
