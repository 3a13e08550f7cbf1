#pragma once
// A desktop panel's side of the StatusNotifierItem protocol for the tests, on a session bus of the
// tests' own: a dbus-daemon started for the test in a folder of its own, and a watcher and host on
// it that records which items register, reads their properties and clicks them as a panel does.
#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>
#include <vector>


namespace testing_display {

class PrivateBus {
public:
  PrivateBus() = default;
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;
  // False when dbus-daemon is not installed or does not start.
  bool Start();
  const std::string& Address() const { return m_address; }

private:
  int m_pid = 0;
  std::string m_folder, m_address;
};

struct Pixmap {
  int width = 0, height = 0;
  std::vector<std::uint8_t> argb;  // network byte order, as sent
};

class SniHost {
public:
  explicit SniHost(const std::string& address);
  ~SniHost();
  SniHost(const SniHost&) = delete;
  SniHost& operator=(const SniHost&) = delete;
  // Whether it owns org.kde.StatusNotifierWatcher.
  bool IsWatching() const { return m_watching; }
  // Takes what came (registrations among it).
  void Serve();
  const std::vector<std::string>& Items() const { return m_items; }
  std::string StringProperty(const std::string& item, const char* name);
  std::string ToolTipTitle(const std::string& item);
  std::vector<Pixmap> IconPixmaps(const std::string& item);
  bool Call(const std::string& item, const char* method, int x, int y);
  // The watcher ends, as when the panel quits.
  void StopWatching();
  // A panel that shows the items comes (the watcher starts without one).
  void RegisterHost();
  bool hostRegistered = false;  // what IsStatusNotifierHostRegistered answers

  // The watcher's RegisterStatusNotifierItem.
  static int Register(sd_bus_message* message, void* userdata, sd_bus_error* error);

private:
  sd_bus* m_bus = nullptr;
  sd_bus_slot* m_object = nullptr;
  bool m_watching = false;
  std::vector<std::string> m_items;
};

}  // namespace testing_display
