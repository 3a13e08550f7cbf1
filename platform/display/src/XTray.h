#pragma once
// Docking this process's notification-area icons with the desktop's system tray (XEmbed): the tray
// owns the selection _NET_SYSTEM_TRAY_S<screen>; each icon is a small X window of ours that the
// tray is asked to embed (SYSTEM_TRAY_REQUEST_DOCK). The icon window paints the icon's picture over
// the tray's background, shows the tip in a window of its own while the pointer rests on it, and
// posts the pointer's buttons to the icon's window as its callback message.
//
// Threads: everything here runs on the display's thread, except Present(), which any thread may
// read. A tray that goes away takes our icon windows with it; when one announces itself (MANAGER
// on the root window) every icon is docked again.
#include "XImageBuffer.h"

#include <user/DisplayBackend.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <utility>

namespace tolvar::display {

class XTray {
public:
  XTray(Display* display, int screen, bool& shm);
  ~XTray();
  XTray(const XTray&) = delete;
  XTray& operator=(const XTray&) = delete;

  // Whether a tray runs (as last seen by the display thread).
  bool Present() const { return m_manager.load() != 0; }
  void Set(const user::TrayIconState& icon);
  void Remove(HWND window, UINT id);
  // An event of the display's connection; true when it was the tray's.
  bool Handle(XEvent& event);
  // Milliseconds until Tick has something to do (-1: nothing pending), and doing it.
  int NextTimeout() const;
  void Tick();

private:
  using Key = std::pair<HWND, UINT>;
  struct Icon {
    user::TrayIconState state;
    Window xwindow = 0;
    // The last press, for double clicks by the system's time and distance.
    unsigned lastButton = 0;
    Time lastTime = 0;
    int lastX = 0, lastY = 0;
  };

  void FindManager();
  void Dock(Icon& icon);
  void Undock(Icon& icon);
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
  std::atomic<Window> m_manager{0};
  std::map<Key, Icon> m_icons;
  // The tip: which icon it is for, when it is due, and its window while shown.
  Window m_hovered = 0;
  std::chrono::steady_clock::time_point m_tipDue{};
  bool m_tipPending = false;
  Window m_tipWindow = 0;
  std::unique_ptr<XImageBuffer> m_tipImage;
};

}  // namespace tolvar::display
