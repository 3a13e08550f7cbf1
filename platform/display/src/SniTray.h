#pragma once
// The notification-area icons of this process as StatusNotifierItems on the session's D-Bus, for
// desktops whose panel hosts those instead of (or besides) an XEmbed tray. A host is present while
// some client owns org.kde.StatusNotifierWatcher; then each icon is an item of its own (one bus
// connection per icon, named org.kde.StatusNotifierItem-<pid>-<n>, object /StatusNotifierItem)
// registered with the watcher. A watcher that has no host (no panel shows its items) is as none:
// the watcher's IsStatusNotifierHostRegistered, and its StatusNotifierHostRegistered and
// ...Unregistered signals, say when the items would be seen. Its tip is the item's title and tooltip, its picture the icon pixmap;
// the host's Activate, SecondaryActivate and ContextMenu reach the icon's window as the left, middle
// and right button's press and release, the pointer noted at the place the host gives.
//
// The bus is sd-bus (libsystemd): it exports objects and their properties from a table, so the
// item needs no hand-written marshalling of Properties or Introspect, and it runs on our own poll
// loop through one descriptor per connection. Without a session bus (none started, no address)
// Connect answers null and the display uses the XEmbed tray or its own window.
//
// Threads: the display's thread only.
#include <user/DisplayBackend.h>

#include <poll.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace tolvar::display {

class SniTray {
public:
  // The session bus, or null where there is none.
  static std::unique_ptr<SniTray> Connect();
  ~SniTray();
  SniTray(const SniTray&) = delete;
  SniTray& operator=(const SniTray&) = delete;

  // Whether a watcher with a host runs, so that the icons show through it.
  bool Active() const { return m_active; }
  void Set(const user::TrayIconState& icon);
  void Remove(HWND window, UINT id);

  // The descriptors to wait on, the time until something is due (-1: nothing) and the work when
  // they are ready. Process answers true when the watcher came or went.
  void AddPollFds(std::vector<pollfd>& fds) const;
  int NextTimeout() const;
  bool Process();

  struct Item;

private:
  SniTray() = default;
  void Open(Item& item);
  void Close(Item& item);
  void Sync();
  // The watcher's state asked again (it came, went, or its hosts changed).
  void Update(bool watcherPresent);

  sd_bus* m_bus = nullptr;
  sd_bus_slot* m_watch = nullptr;
  sd_bus_slot* m_hosts = nullptr;
  bool m_active = false;
  bool m_watcherChanged = false;
  unsigned m_serial = 0;
  std::map<std::pair<HWND, UINT>, std::unique_ptr<Item>> m_items;

  friend struct SniCallbacks;
};

}  // namespace tolvar::display
