// The tests' connection to the X server: read-back and XTest.
#include "XScreen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include <algorithm>

namespace testing_display {
namespace {

Display* X(void* display) { return static_cast<Display*>(display); }

// The key code of a key symbol (0: none), or of the first code without any symbol when `symbol` is
// NoSymbol, from the server's current mapping: this connection's own copy is not refreshed after
// it changes the mapping.
KeyCode CodeOf(Display* display, KeySym symbol) {
  int low = 0, high = 0, perCode = 0;
  XDisplayKeycodes(display, &low, &high);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &perCode);
  KeyCode code = 0;
  for (int k = high; k >= low && !code; --k) {
    bool match = symbol == NoSymbol;
    for (int i = 0; i < perCode; ++i) {
      const KeySym at = map[(k - low) * perCode + i];
      if (symbol == NoSymbol ? at != NoSymbol : (i < 2 && at == symbol)) match = symbol != NoSymbol;
    }
    if (match) code = static_cast<KeyCode>(k);
  }
  XFree(map);
  return code;
}

}  // namespace

XScreen::XScreen() : m_display(XOpenDisplay(nullptr)) {}

XScreen::~XScreen() {
  if (m_display) XCloseDisplay(X(m_display));
}

XPlace XScreen::Place(unsigned long window) {
  XWindowAttributes attributes{};
  if (!window || !XGetWindowAttributes(X(m_display), window, &attributes)) return {};
  XPlace place{attributes.x, attributes.y, attributes.width, attributes.height, attributes.map_state == IsViewable,
               attributes.override_redirect != 0};
  Window child = 0;
  XTranslateCoordinates(X(m_display), window, DefaultRootWindow(X(m_display)), 0, 0, &place.rootX, &place.rootY, &child);
  return place;
}

std::vector<long> XScreen::Longs(unsigned long window, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(X(m_display), window, XInternAtom(X(m_display), name, False), 0, 1 << 16, False, AnyPropertyType,
                         &type, &format, &items, &after, &data) == Success && data && format == 32) {
    const long* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + items);
  }
  if (data) XFree(data);
  return values;
}

void XScreen::Resize(unsigned long window, int width, int height) {
  XResizeWindow(X(m_display), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(X(m_display), False);
}

void XScreen::SendMoved(unsigned long window, int x, int y, int width, int height) {
  XEvent event{};
  event.xconfigure.type = ConfigureNotify;
  event.xconfigure.event = window;
  event.xconfigure.window = window;
  event.xconfigure.x = x;
  event.xconfigure.y = y;
  event.xconfigure.width = width;
  event.xconfigure.height = height;
  XSendEvent(X(m_display), window, False, StructureNotifyMask, &event);
  XSync(X(m_display), False);
}

unsigned long XScreen::Frame(unsigned long window) {
  Display* display = X(m_display);
  const XPlace place = Place(window);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const Window frame = XCreateWindow(display, DefaultRootWindow(display), place.rootX, place.rootY,
                                     static_cast<unsigned>(place.width), static_cast<unsigned>(place.height), 0,
                                     CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XAddToSaveSet(display, window);
  XReparentWindow(display, window, frame, 0, 0);
  XMapRaised(display, frame);
  XSync(display, False);
  return frame;
}

int XScreen::ScreenWidth() { return DisplayWidth(X(m_display), DefaultScreen(X(m_display))); }
int XScreen::ScreenHeight() { return DisplayHeight(X(m_display), DefaultScreen(X(m_display))); }

unsigned long XScreen::SelectionOwner(const char* selection) {
  return XGetSelectionOwner(X(m_display), XInternAtom(X(m_display), selection, False));
}

unsigned long XScreen::Focus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(X(m_display), &focus, &revert);
  return focus;
}

std::vector<unsigned long> XScreen::Children(unsigned long window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<unsigned long> found;
  if (!window || !XQueryTree(X(m_display), window, &root, &parent, &children, &count)) return found;
  found.assign(children, children + count);
  if (children) XFree(children);
  return found;
}

unsigned long XScreen::FindShown(const std::string& name) {
  const std::vector<unsigned long> shown = FindAllShown(name);
  return shown.empty() ? 0 : shown.front();
}

std::vector<unsigned long> XScreen::FindAllShown(const std::string& name) {
  std::vector<unsigned long> shown;
  for (unsigned long window : Children(DefaultRootWindow(X(m_display)))) {
    if (Place(window).viewable && Utf8Property(window, "_NET_WM_NAME") == name) shown.push_back(window);
  }
  return shown;
}

std::vector<std::uint32_t> XScreen::Pixels(unsigned long window, int width, int height) {
  if (!Place(window).viewable || width <= 0 || height <= 0) return {};
  XImage* image = XGetImage(X(m_display), window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return {};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
  }
  XDestroyImage(image);
  return pixels;
}

std::string XScreen::Utf8Property(unsigned long window, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(X(m_display), window, XInternAtom(X(m_display), name, False), 0, 1024, False,
                     XInternAtom(X(m_display), "UTF8_STRING", False), &type, &format, &items, &after, &data);
  std::string value(data ? reinterpret_cast<char*>(data) : "", items);
  if (data) XFree(data);
  return value;
}

bool XScreen::TakesDeleteWindow(unsigned long window) {
  Atom* protocols = nullptr;
  int count = 0;
  if (!XGetWMProtocols(X(m_display), window, &protocols, &count)) return false;
  bool found = false;
  for (int i = 0; i < count; ++i) found = found || protocols[i] == XInternAtom(X(m_display), "WM_DELETE_WINDOW", False);
  XFree(protocols);
  return found;
}

void XScreen::SendDeleteWindow(unsigned long window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(X(m_display), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(X(m_display), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(X(m_display), window, False, NoEventMask, &event);
  XSync(X(m_display), False);
}

namespace {
bool g_redirectRefused = false;
int NoteRefusal(Display*, XErrorEvent* error) {
  if (error->error_code == BadAccess) g_redirectRefused = true;
  return 0;
}
}  // namespace

bool XScreen::ManageWindows() {
  Display* display = X(m_display);
  XSync(display, False);
  g_redirectRefused = false;
  auto previous = XSetErrorHandler(NoteRefusal);
  XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(display, False);
  XSetErrorHandler(previous);
  return !g_redirectRefused;
}

void XScreen::SetWmState(unsigned long window, long state) {
  Display* display = X(m_display);
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  long data[2] = {state, 0};
  XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace, reinterpret_cast<unsigned char*>(data), 2);
}

long XScreen::WmState(unsigned long window) {
  const std::vector<long> state = Longs(window, "WM_STATE");
  return state.empty() ? -1 : state[0];
}

void XScreen::Serve() {
  Display* display = X(m_display);
  const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);
  auto iconified = [&](Window window) {
    return std::find(m_iconified.begin(), m_iconified.end(), window) != m_iconified.end();
  };
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case MapRequest: {
        // Mapped from withdrawn as WM_HINTS' initial state says; an iconified window is shown again.
        const Window window = event.xmaprequest.window;
        bool iconic = false;
        if (!iconified(window) && WmState(window) != IconicState) {
          if (XWMHints* hints = XGetWMHints(display, window)) {
            iconic = (hints->flags & StateHint) && hints->initial_state == IconicState;
            XFree(hints);
          }
        }
        if (iconic) {
          SetWmState(window, IconicState);
          m_iconified.push_back(window);
        } else {
          Deiconify(window);
        }
        break;
      }
      case ConfigureRequest: {
        XWindowChanges changes{};
        changes.x = event.xconfigurerequest.x;
        changes.y = event.xconfigurerequest.y;
        changes.width = event.xconfigurerequest.width;
        changes.height = event.xconfigurerequest.height;
        changes.border_width = event.xconfigurerequest.border_width;
        changes.sibling = event.xconfigurerequest.above;
        changes.stack_mode = event.xconfigurerequest.detail;
        XConfigureWindow(display, event.xconfigurerequest.window,
                         static_cast<unsigned>(event.xconfigurerequest.value_mask), &changes);
        break;
      }
      case ClientMessage:
        if (event.xclient.message_type == changeState && event.xclient.data.l[0] == IconicState) {
          Iconify(event.xclient.window);
        }
        break;
      case UnmapNotify:
        // The client withdrew its window (an unmap, or the notice it sends when iconified).
        if (event.xunmap.send_event || !iconified(event.xunmap.window)) {
          std::erase(m_iconified, event.xunmap.window);
          XDeleteProperty(display, event.xunmap.window, XInternAtom(display, "WM_STATE", False));
        }
        break;
      default: break;
    }
  }
  XSync(display, False);
}

void XScreen::Iconify(unsigned long window) {
  Display* display = X(m_display);
  if (std::find(m_iconified.begin(), m_iconified.end(), window) == m_iconified.end()) m_iconified.push_back(window);
  SetWmState(window, IconicState);
  XUnmapWindow(display, window);
  XSync(display, False);
}

void XScreen::Deiconify(unsigned long window) {
  Display* display = X(m_display);
  std::erase(m_iconified, window);
  SetWmState(window, NormalState);
  XMapRaised(display, window);
  XSync(display, False);
}

CursorImage XScreen::Cursor() {
  CursorImage found;
  XFixesCursorImage* image = XFixesGetCursorImage(X(m_display));
  if (!image) return found;
  found.width = image->width;
  found.height = image->height;
  found.xhot = image->xhot;
  found.yhot = image->yhot;
  found.pixels.assign(image->pixels, image->pixels + static_cast<std::size_t>(image->width) * image->height);
  XFree(image);
  return found;
}

CursorImage XScreen::FontCursor(unsigned shape) {
  Display* display = X(m_display);
  const int screen = DefaultScreen(display);
  const int x = DisplayWidth(display, screen) - 24, y = DisplayHeight(display, screen) - 24;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.cursor = XCreateFontCursor(display, shape);
  Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, 20, 20, 0, CopyFromParent, InputOutput,
                                CopyFromParent, CWOverrideRedirect | CWCursor, &attributes);
  XMapRaised(display, window);
  XSync(display, False);
  MoveTo(x + 10, y + 10);
  CursorImage image = Cursor();
  XDestroyWindow(display, window);
  XFreeCursor(display, attributes.cursor);
  XSync(display, False);
  return image;
}

unsigned long XScreen::TakeFocus(int x, int y, int width, int height) {
  Display* display = X(m_display);
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, 0, 0xFFFFFF);
  XSelectInput(display, window, StructureNotifyMask);
  XMapRaised(display, window);
  // Focus can be given only to a viewable window: the map is waited for.
  XEvent event;
  do {
    XWindowEvent(display, window, StructureNotifyMask, &event);
  } while (event.type != MapNotify);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  return window;
}

void XScreen::Destroy(unsigned long window) {
  XDestroyWindow(X(m_display), window);
  XSync(X(m_display), False);
}

void XScreen::MoveTo(int x, int y) {
  XTestFakeMotionEvent(X(m_display), DefaultScreen(X(m_display)), x, y, CurrentTime);
  XSync(X(m_display), False);
}

void XScreen::Click(int x, int y, unsigned button) {
  MoveTo(x, y);
  XTestFakeButtonEvent(X(m_display), button, True, CurrentTime);
  XTestFakeButtonEvent(X(m_display), button, False, CurrentTime);
  XSync(X(m_display), False);
}

void XScreen::Press(int x, int y, unsigned button) {
  MoveTo(x, y);
  XTestFakeButtonEvent(X(m_display), button, True, CurrentTime);
  XSync(X(m_display), False);
}

void XScreen::Release(unsigned button) {
  XTestFakeButtonEvent(X(m_display), button, False, CurrentTime);
  XSync(X(m_display), False);
}

void XScreen::DoubleClick(int x, int y, unsigned button) {
  MoveTo(x, y);
  for (int i = 0; i < 2; ++i) {
    XTestFakeButtonEvent(X(m_display), button, True, CurrentTime);
    XTestFakeButtonEvent(X(m_display), button, False, CurrentTime);
  }
  XSync(X(m_display), False);
}

void XScreen::Drag(int fromX, int fromY, int toX, int toY) {
  Display* display = X(m_display);
  const int screen = DefaultScreen(display);
  XTestFakeMotionEvent(display, screen, fromX, fromY, CurrentTime);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  for (int step = 1; step <= 4; ++step) {
    XTestFakeMotionEvent(display, screen, fromX + (toX - fromX) * step / 4, fromY + (toY - fromY) * step / 4,
                         CurrentTime);
  }
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XSync(display, False);
}

void XScreen::Reach(std::initializer_list<unsigned long> symbols) {
  Display* display = X(m_display);
  if (!display) return;
  for (unsigned long symbol : symbols) {
    if (CodeOf(display, symbol)) continue;
    const KeyCode spare = CodeOf(display, NoSymbol);
    if (!spare) return;
    KeySym pair[2] = {symbol, symbol};
    XChangeKeyboardMapping(display, spare, 2, pair, 1);
    XSync(display, False);
  }
}

bool XScreen::Type(unsigned long symbol, bool shift) {
  Display* display = X(m_display);
  if (!display) return false;
  const KeyCode code = CodeOf(display, symbol);
  if (!code) return false;
  const KeyCode shiftCode = CodeOf(display, XK_Shift_L);
  if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
  XSync(display, False);
  return true;
}

}  // namespace testing_display
