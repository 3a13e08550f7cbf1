// The notification area on the desktop: icons through the session bus's host, else one small X
// window per icon, embedded by the desktop's tray (XEmbed) or held by a window of our own, painted
// from the icon's 16 x 16 picture, with the tip shown after the pointer rests and the buttons posted as
// the icon's callback message (a second press within the double-click time and distance is the
// double click, as a window of a CS_DBLCLKS class would get it).
#include "XTray.h"

#include <gdi/Gdi.h>
#include <user/Headless.h>
#include <user/User.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tolvar::display {
namespace {

constexpr int kIconSize = 16;
constexpr long kRequestDock = 0;  // SYSTEM_TRAY_REQUEST_DOCK
constexpr long kXembedMapped = 1;
constexpr int kHolderPad = 4;  // around and between the icons in our own window
constexpr char kHolderTitle[] = "Notification area";

struct ButtonRow {
  unsigned button;
  UINT down, up, twice;
};
constexpr ButtonRow kButtons[] = {
    {Button1, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
    {Button2, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
    {Button3, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
};

std::uint32_t Blend(std::uint32_t over, std::uint32_t under) {
  const std::uint32_t alpha = over >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
    out |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

XTray::XTray(Display* display, int screen, bool& shm) : m_display(display), m_screen(screen), m_shm(shm) {
  const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
  m_selection = XInternAtom(display, selection.c_str(), False);
  m_managerAtom = XInternAtom(display, "MANAGER", False);
  m_opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
  m_xembedInfo = XInternAtom(display, "_XEMBED_INFO", False);
  m_netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  m_utf8 = XInternAtom(display, "UTF8_STRING", False);
  m_windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  m_typeTooltip = XInternAtom(display, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  m_deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  m_gc = XCreateGC(display, RootWindow(display, screen), 0, nullptr);
  // A tray announces itself to every client with a MANAGER message on the root window.
  XSelectInput(display, RootWindow(display, screen), StructureNotifyMask);
  FindManager();
}

XTray::~XTray() {
  HideTip();
  for (auto& [key, icon] : m_icons) Undock(icon);
  if (m_holder) XDestroyWindow(m_display, m_holder);
  m_sni.reset();
  XFreeGC(m_display, m_gc);
}

void XTray::FindManager() {
  LookUpManager();
  Relocate();
}

void XTray::LookUpManager() {
  // Held while the owner is looked up and watched, so that it cannot go unnoticed in between.
  XGrabServer(m_display);
  const Window owner = XGetSelectionOwner(m_display, m_selection);
  if (owner) XSelectInput(m_display, owner, StructureNotifyMask);
  XUngrabServer(m_display);
  XFlush(m_display);
  m_manager = owner;
}

void XTray::Set(const user::TrayIconState& state) {
  if (!m_sniTried) {
    m_sniTried = true;
    m_sni = SniTray::Connect();
  }
  if (m_sni) m_sni->Set(state);
  Icon& icon = m_icons[{state.window, state.id}];
  const bool tipChanged = icon.state.tip != state.tip;
  icon.state = state;
  if (!icon.xwindow) {
    // A tray that started a moment ago may not have told us yet: asked, so the icon does not show
    // in our own window for that moment.
    if (!m_manager && !UsesBus()) LookUpManager();
    Place(icon);
    LayoutHolder();
    return;
  }
  Paint(icon);
  if (tipChanged && m_tipWindow && m_hovered == icon.xwindow) ShowTip(icon);
}

void XTray::Remove(HWND window, UINT id) {
  auto it = m_icons.find({window, id});
  if (m_sni) m_sni->Remove(window, id);
  if (it == m_icons.end()) return;
  Undock(it->second);
  m_icons.erase(it);
  LayoutHolder();
}

void XTray::Place(Icon& icon) {
  const Where wanted = UsesBus() ? Where::Nowhere : m_manager ? Where::Tray : Where::Holder;
  if (icon.where == wanted && (wanted == Where::Nowhere || icon.xwindow)) return;
  Undock(icon);
  if (wanted == Where::Tray) Dock(icon);
  if (wanted == Where::Holder) Hold(icon);
}

void XTray::Relocate() {
  for (auto& [key, icon] : m_icons) Place(icon);
  LayoutHolder();
}

void XTray::Hold(Icon& icon) {
  if (!m_holder) {
    XSetWindowAttributes attributes{};
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    attributes.background_pixel = static_cast<unsigned long>(GetRValue(face)) << 16 | GetGValue(face) << 8 | GetBValue(face);
    m_holder = XCreateWindow(m_display, RootWindow(m_display, m_screen), 0, 0, 1, 1, 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWBackPixel, &attributes);
    // The desktop's close button leaves it: the icons are the only way to the programs behind them.
    XSetWMProtocols(m_display, m_holder, &m_deleteWindow, 1);
    XStoreName(m_display, m_holder, kHolderTitle);
    XChangeProperty(m_display, m_holder, m_netWmName, m_utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kHolderTitle), static_cast<int>(sizeof kHolderTitle - 1));
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;  // a click on an icon leaves the focus where it is, as a tray does
    XSetWMHints(m_display, m_holder, &hints);
  }
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = ParentRelative;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                          PointerMotionMask | StructureNotifyMask;
  icon.xwindow = XCreateWindow(m_display, m_holder, 0, kHolderPad, kIconSize, kIconSize, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
  icon.where = Where::Holder;
  XMapWindow(m_display, icon.xwindow);
}

// The held icons in a row, in the order they came; our window shows while it holds any, first at
// the screen's bottom right corner (where a taskbar's notification area is), then where the person
// put it.
void XTray::LayoutHolder() {
  if (!m_holder) return;
  int count = 0;
  for (auto& [key, icon] : m_icons) {
    if (icon.where != Where::Holder) continue;
    XMoveWindow(m_display, icon.xwindow, kHolderPad + count * (kIconSize + kHolderPad), kHolderPad);
    ++count;
  }
  if (count == 0) {
    if (m_holderMapped) XUnmapWindow(m_display, m_holder);
    m_holderMapped = false;
    XFlush(m_display);
    return;
  }
  const int width = kHolderPad + count * (kIconSize + kHolderPad), height = kIconSize + 2 * kHolderPad;
  XSizeHints size{};
  size.flags = PMinSize | PMaxSize;
  size.min_width = size.max_width = width;
  size.min_height = size.max_height = height;
  if (!m_holderMapped) {
    size.flags |= USPosition | USSize;
    size.x = DisplayWidth(m_display, m_screen) - width - kHolderPad;
    size.y = DisplayHeight(m_display, m_screen) - height - kHolderPad;
    size.width = width;
    size.height = height;
    XSetWMNormalHints(m_display, m_holder, &size);
    XMoveResizeWindow(m_display, m_holder, size.x, size.y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XMapRaised(m_display, m_holder);
    m_holderMapped = true;
  } else {
    XSetWMNormalHints(m_display, m_holder, &size);
    XResizeWindow(m_display, m_holder, static_cast<unsigned>(width), static_cast<unsigned>(height));
  }
  XFlush(m_display);
}

void XTray::Dock(Icon& icon) {
  const Window manager = m_manager;
  if (!manager) return;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = ParentRelative;  // the tray's own background shows through
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                          PointerMotionMask | StructureNotifyMask;
  icon.xwindow = XCreateWindow(m_display, RootWindow(m_display, m_screen), 0, 0, kIconSize, kIconSize, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
  long info[2] = {0, kXembedMapped};  // protocol version 0, map me once embedded
  XChangeProperty(m_display, icon.xwindow, m_xembedInfo, m_xembedInfo, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(info), 2);
  XSizeHints size{};
  size.flags = PMinSize | PBaseSize;
  size.min_width = size.base_width = kIconSize;
  size.min_height = size.base_height = kIconSize;
  XSetWMNormalHints(m_display, icon.xwindow, &size);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = manager;
  request.xclient.message_type = m_opcode;
  request.xclient.format = 32;
  request.xclient.data.l[0] = CurrentTime;
  request.xclient.data.l[1] = kRequestDock;
  request.xclient.data.l[2] = static_cast<long>(icon.xwindow);
  XSendEvent(m_display, manager, False, NoEventMask, &request);
  icon.where = Where::Tray;
  XFlush(m_display);
}

void XTray::Undock(Icon& icon) {
  if (!icon.xwindow) return;
  if (m_hovered == icon.xwindow) {
    HideTip();
    m_hovered = 0;
  }
  XDestroyWindow(m_display, icon.xwindow);
  icon.xwindow = 0;
  icon.where = Where::Nowhere;
}

void XTray::Paint(Icon& icon) {
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(m_display, icon.xwindow, &attributes) || attributes.map_state != IsViewable) return;
  const int width = attributes.width, height = attributes.height;
  // The icon blended over what the tray shows behind it, centred when the tray gives more room.
  XClearWindow(m_display, icon.xwindow);
  XImage* image = XGetImage(m_display, icon.xwindow, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return;
  const int left = (width - kIconSize) / 2, top = (height - kIconSize) / 2;
  const auto& pixels = icon.state.pixels;
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      const int tx = left + x, ty = top + y;
      const std::size_t at = static_cast<std::size_t>(y) * kIconSize + x;
      if (tx < 0 || ty < 0 || tx >= width || ty >= height || at >= pixels.size() || !(pixels[at] >> 24)) continue;
      const std::uint32_t under = static_cast<std::uint32_t>(XGetPixel(image, tx, ty));
      XPutPixel(image, tx, ty, Blend(pixels[at], under));
    }
  }
  XPutImage(m_display, icon.xwindow, m_gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XDestroyImage(image);
}

void XTray::Post(const Icon& icon, UINT mouseMessage, int xRoot, int yRoot) {
  // The program asks where the pointer is (to place its menu at the icon): it is over the icon now.
  user::NotePointerAt({xRoot, yRoot});
  if (icon.state.callbackMessage) {
    PostMessageA(icon.state.window, icon.state.callbackMessage, icon.state.id, static_cast<LPARAM>(mouseMessage));
  }
}

XTray::Icon* XTray::IconOf(Window xwindow) {
  if (!xwindow) return nullptr;
  for (auto& [key, icon] : m_icons) {
    if (icon.xwindow == xwindow) return &icon;
  }
  return nullptr;
}

bool XTray::Handle(XEvent& event) {
  const Window root = RootWindow(m_display, m_screen);
  switch (event.type) {
    case ClientMessage:
      if (event.xclient.window == root && event.xclient.message_type == m_managerAtom &&
          static_cast<Atom>(event.xclient.data.l[1]) == m_selection) {
        FindManager();
        return true;
      }
      return m_holder && event.xclient.window == m_holder;  // its close button does nothing
    case DestroyNotify:
      if (event.xdestroywindow.window != 0 && event.xdestroywindow.window == m_manager) {
        // The tray left: our icons went back to the root (or with it). They dock again when a tray comes.
        m_manager = 0;
        for (auto& [key, icon] : m_icons) Undock(icon);
        FindManager();
        return true;
      }
      return IconOf(event.xdestroywindow.event) != nullptr || event.xdestroywindow.event == root;
    case Expose:
      if (event.xexpose.window == m_tipWindow && m_tipImage) {
        m_tipImage->Put(m_tipWindow, m_gc, {0, 0, m_tipImage->Width(), m_tipImage->Height()});
        return true;
      }
      if (Icon* icon = IconOf(event.xexpose.window)) {
        if (event.xexpose.count == 0) Paint(*icon);
        return true;
      }
      return false;
    case ConfigureNotify:
    case MapNotify:
    case UnmapNotify:
    case ReparentNotify:
    case GravityNotify:
    case CirculateNotify:
      // The tray placing or sizing our icon; Expose follows where pixels are needed.
      return IconOf(event.xany.window) != nullptr || event.xany.window == root;
    case ButtonPress:
    case ButtonRelease: {
      Icon* icon = IconOf(event.xbutton.window);
      if (!icon) return false;
      HideTip();
      m_tipPending = false;
      for (const ButtonRow& row : kButtons) {
        if (row.button != event.xbutton.button) continue;
        if (event.type == ButtonRelease) {
          Post(*icon, row.up, event.xbutton.x_root, event.xbutton.y_root);
          break;
        }
        const bool twice = icon->lastButton == row.button && event.xbutton.time - icon->lastTime <= GetDoubleClickTime() &&
                           std::abs(event.xbutton.x_root - icon->lastX) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                           std::abs(event.xbutton.y_root - icon->lastY) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        Post(*icon, twice ? row.twice : row.down, event.xbutton.x_root, event.xbutton.y_root);
        // A third press starts again: it is not a second double click.
        icon->lastButton = twice ? 0 : row.button;
        icon->lastTime = event.xbutton.time;
        icon->lastX = event.xbutton.x_root;
        icon->lastY = event.xbutton.y_root;
      }
      return true;
    }
    case EnterNotify: {
      Icon* icon = IconOf(event.xcrossing.window);
      if (!icon) return false;
      m_hovered = icon->xwindow;
      m_tipPending = true;
      m_tipDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(GetDoubleClickTime());
      Post(*icon, WM_MOUSEMOVE, event.xcrossing.x_root, event.xcrossing.y_root);
      return true;
    }
    case MotionNotify: {
      Icon* icon = IconOf(event.xmotion.window);
      if (!icon) return false;
      while (XCheckTypedWindowEvent(m_display, event.xmotion.window, MotionNotify, &event)) {
      }
      Post(*icon, WM_MOUSEMOVE, event.xmotion.x_root, event.xmotion.y_root);
      return true;
    }
    case LeaveNotify:
      if (!IconOf(event.xcrossing.window)) return false;
      if (m_hovered == event.xcrossing.window) {
        m_hovered = 0;
        m_tipPending = false;
        HideTip();
      }
      return true;
    default: return false;
  }
}

int XTray::NextTimeout() const {
  int timeout = m_sni ? m_sni->NextTimeout() : -1;
  if (!m_tipPending) return timeout;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_tipDue - std::chrono::steady_clock::now());
  const int tip = left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
  return timeout < 0 ? tip : std::min(timeout, tip);
}

void XTray::AddPollFds(std::vector<pollfd>& fds) const {
  if (m_sni) m_sni->AddPollFds(fds);
}

void XTray::Tick() {
  if (m_sni && m_sni->Process()) Relocate();
  if (!m_tipPending || std::chrono::steady_clock::now() < m_tipDue) return;
  m_tipPending = false;
  if (Icon* icon = IconOf(m_hovered)) ShowTip(*icon);
}

void XTray::ShowTip(const Icon& icon) {
  HideTip();
  const std::string& tip = icon.state.tip;
  if (tip.empty()) return;
  // Drawn as the tooltip control draws a tip: the status font on the info colours, in a black frame.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontIndirectA(&metrics.lfStatusFont);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT text{0, 0, 0, 0};
  DrawTextA(dc, tip.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int width = text.right + 8, height = text.bottom + 4;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT inside{4, 2, width - 4, height - 2};
    DrawTextA(dc, tip.c_str(), -1, &inside, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    m_tipImage = XImageBuffer::Make(m_display, m_screen, width, height, m_shm);
    if (m_tipImage) m_tipImage->Update(static_cast<const std::uint32_t*>(bits));
    SelectObject(dc, oldBitmap);
  }
  if (bitmap) DeleteObject(bitmap);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  DeleteDC(dc);
  if (!m_tipImage) return;
  // Below the pointer, or above it when the tray lies along the screen's bottom.
  Window rootReturn = 0, childReturn = 0;
  int x = 0, y = 0, wx = 0, wy = 0;
  unsigned buttons = 0;
  XQueryPointer(m_display, RootWindow(m_display, m_screen), &rootReturn, &childReturn, &x, &y, &wx, &wy, &buttons);
  const int screenWidth = DisplayWidth(m_display, m_screen), screenHeight = DisplayHeight(m_display, m_screen);
  y = y + 20 + height <= screenHeight ? y + 20 : y - 4 - height;
  x = std::max(0, std::min(x, screenWidth - width));
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixmap = None;
  attributes.event_mask = ExposureMask;
  m_tipWindow = XCreateWindow(m_display, RootWindow(m_display, m_screen), x, std::max(0, y), static_cast<unsigned>(width),
                              static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                              CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
  XChangeProperty(m_display, m_tipWindow, m_netWmName, m_utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(tip.data()), static_cast<int>(tip.size()));
  XChangeProperty(m_display, m_tipWindow, m_windowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&m_typeTooltip), 1);
  XMapRaised(m_display, m_tipWindow);
  XFlush(m_display);
}

void XTray::HideTip() {
  if (m_tipWindow) XDestroyWindow(m_display, m_tipWindow);
  m_tipWindow = 0;
  m_tipImage.reset();
}

}  // namespace tolvar::display
