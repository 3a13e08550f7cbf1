#pragma once
// This process's notification-area icons on the desktop, in the first of three places that the
// desktop offers:
// - a StatusNotifierItem host on the session's D-Bus (SniTray), where a watcher runs;
// - else the desktop's system tray (XEmbed): the tray owns the selection _NET_SYSTEM_TRAY_S<screen>;
//   each icon is a small X window of ours that the tray is asked to embed (SYSTEM_TRAY_REQUEST_DOCK);
// - else a small top-level window of our own ("Notification area") holding the same icon windows
//   in a row, so that a desktop without either still reaches the program's icon and its menu.
// An icon window paints the icon's picture over its parent's background, shows the tip in a window
// of its own while the pointer rests on it, and posts the pointer's buttons to the icon's window as
// its callback message.
//
// Threads: everything here runs on the display's thread. A tray that goes away takes our icon
// windows with it and the icons go to our own window; when one announces itself (MANAGER on the
// root window) every icon is docked again; a watcher that comes or goes moves them likewise.
#include "SniTray.h"
#include "XImageBuffer.h"

#include <user/DisplayBackend.h>

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace tolvar::display {

class XTray {
public:
  XTray(Display* display, int screen, bool& shm);
  ~XTray();
  XTray(const XTray&) = delete;
  XTray& operator=(const XTray&) = delete;

  void Set(const user::TrayIconState& icon);
  void Remove(HWND window, UINT id);
  // An event of the display's connection; true when it was the tray's.
  bool Handle(XEvent& event);
  // Milliseconds until Tick has something to do (-1: nothing pending), the descriptors to wait on
  // besides the display's, and doing what is due or has come in.
  int NextTimeout() const;
  void AddPollFds(std::vector<pollfd>& fds) const;
  void Tick();

private:
  using Key = std::pair<HWND, UINT>;
  enum class Where { Nowhere, Tray, Holder };
  struct Icon {
    user::TrayIconState state;
    Window xwindow = 0;
    Where where = Where::Nowhere;
    // The last press, for double clicks by the system's time and distance.
    unsigned lastButton = 0;
    Time lastTime = 0;
    int lastX = 0, lastY = 0;
  };

  void FindManager();
  void LookUpManager();
  void Dock(Icon& icon);
  void Hold(Icon& icon);
  void Undock(Icon& icon);
  // Each icon where it belongs now, and our own window laid out around those it holds.
  void Place(Icon& icon);
  void Relocate();
  void LayoutHolder();
  bool UsesBus() const { return m_sni && m_sni->Active(); }
  void Paint(Icon& icon);
  void Post(const Icon& icon, UINT mouseMessage, int xRoot, int yRoot);
  Icon* IconOf(Window xwindow);
  void ShowTip(const Icon& icon);
  void HideTip();

  Display* m_display;
  int m_screen;
  bool& m_shm;
  GC m_gc = nullptr;
  Atom m_selection = 0, m_managerAtom = 0, m_opcode = 0, m_xembedInfo = 0, m_netWmName = 0, m_utf8 = 0,
       m_windowType = 0, m_typeTooltip = 0;
  Atom m_deleteWindow = 0, m_wmName = 0;
  Window m_manager = 0;
  // The session bus's host, looked for when the first icon comes.
  std::unique_ptr<SniTray> m_sni;
  bool m_sniTried = false;
  // Our own window for the icons, while no tray or host shows them.
  Window m_holder = 0;
  bool m_holderMapped = false;
  std::map<Key, Icon> m_icons;
  // The tip: which icon it is for, when it is due, and its window while shown.
  Window m_hovered = 0;
  std::chrono::steady_clock::time_point m_tipDue{};
  bool m_tipPending = false;
  Window m_tipWindow = 0;
  std::unique_ptr<XImageBuffer> m_tipImage;
};

}  // namespace tolvar::display
