// Notification-area icons as StatusNotifierItems over the session bus (sd-bus).
#include "SniTray.h"

#include <user/Headless.h>
#include <user/User.h>

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>
#include <unistd.h>

namespace tolvar::display {

struct SniTray::Item {
  SniTray* tray = nullptr;
  user::TrayIconState state;
  sd_bus* bus = nullptr;
  sd_bus_slot* object = nullptr;
  std::string name;
};

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr int kIconSize = 16;

// D-Bus strings must be UTF-8: a tip in another encoding keeps its ASCII and shows '?' for the rest.
std::string Utf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    bool valid = length != 0 && i + length <= text.size() && !(length == 2 && lead < 0xC2);
    for (std::size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

const char* ProgramName() {
  static const std::string name = [] {
    char buffer[64] = {};
    std::string result = "tolvar";
    if (FILE* comm = std::fopen("/proc/self/comm", "r")) {
      if (std::fgets(buffer, sizeof buffer, comm)) {
        result = buffer;
        if (!result.empty() && result.back() == '\n') result.pop_back();
      }
      std::fclose(comm);
    }
    return Utf8(result);
  }();
  return name.c_str();
}

// An icon pixmap list, a(iiay): the 16 x 16 picture as ARGB32 in network byte order, none without one.
int AppendPixmaps(sd_bus_message* reply, const std::vector<DWORD>& pixels) {
  int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
  if (r < 0) return r;
  bool any = false;
  for (DWORD pixel : pixels) any = any || (pixel >> 24) != 0;
  if (any && pixels.size() == static_cast<std::size_t>(kIconSize * kIconSize)) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 4);
    for (DWORD pixel : pixels) {
      for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(pixel >> shift));
    }
    if ((r = sd_bus_message_open_container(reply, 'r', "iiay")) < 0) return r;
    if ((r = sd_bus_message_append(reply, "ii", kIconSize, kIconSize)) < 0) return r;
    if ((r = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size())) < 0) return r;
    if ((r = sd_bus_message_close_container(reply)) < 0) return r;
  }
  return sd_bus_message_close_container(reply);
}

}  // namespace

// The item's object: properties read from the icon's state, methods posted to its window.
struct SniCallbacks {
  static SniTray::Item& ItemOf(void* userdata) { return *static_cast<SniTray::Item*>(userdata); }

  static int String(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* userdata,
                    sd_bus_error*) {
    const SniTray::Item& item = ItemOf(userdata);
    const std::string_view name = property;
    if (name == "Category") return sd_bus_message_append(reply, "s", "ApplicationStatus");
    if (name == "Id") return sd_bus_message_append(reply, "s", ProgramName());
    if (name == "Title") return sd_bus_message_append(reply, "s", Utf8(item.state.tip).c_str());
    if (name == "Status") return sd_bus_message_append(reply, "s", "Active");
    return sd_bus_message_append(reply, "s", "");  // the names of themed icons: ours come as pixmaps
  }
  static int WindowId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "i", 0);
  }
  static int IsMenu(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    // Not a menu: the host asks for it by ContextMenu, and the program opens its own.
    return sd_bus_message_append(reply, "b", 0);
  }
  static int IconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                        sd_bus_error*) {
    return AppendPixmaps(reply, ItemOf(userdata).state.pixels);
  }
  static int NoPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return AppendPixmaps(reply, {});
  }
  static int ToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                     sd_bus_error*) {
    const SniTray::Item& item = ItemOf(userdata);
    int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
    if (r < 0) return r;
    if ((r = sd_bus_message_append(reply, "s", "")) < 0) return r;
    if ((r = AppendPixmaps(reply, {})) < 0) return r;
    if ((r = sd_bus_message_append(reply, "ss", Utf8(item.state.tip).c_str(), "")) < 0) return r;
    return sd_bus_message_close_container(reply);
  }

  // A click of the host as the button's press and release over the icon, where the host says.
  static int Press(sd_bus_message* message, void* userdata, UINT down) {
    const SniTray::Item& item = ItemOf(userdata);
    int x = 0, y = 0;
    const int r = sd_bus_message_read(message, "ii", &x, &y);
    if (r < 0) return r;
    // (0, 0) is a host that does not know: the pointer stays where it was last seen.
    if (x != 0 || y != 0) user::NotePointerAt({x, y});
    if (const UINT callback = item.state.callbackMessage) {
      PostMessageA(item.state.window, callback, item.state.id, static_cast<LPARAM>(down));
      PostMessageA(item.state.window, callback, item.state.id, static_cast<LPARAM>(down + 1));
    }
    return sd_bus_reply_method_return(message, "");
  }
  static int Activate(sd_bus_message* message, void* userdata, sd_bus_error*) {
    return Press(message, userdata, WM_LBUTTONDOWN);
  }
  static int SecondaryActivate(sd_bus_message* message, void* userdata, sd_bus_error*) {
    return Press(message, userdata, WM_MBUTTONDOWN);
  }
  static int ContextMenu(sd_bus_message* message, void* userdata, sd_bus_error*) {
    return Press(message, userdata, WM_RBUTTONDOWN);
  }
  static int Scroll(sd_bus_message* message, void*, sd_bus_error*) { return sd_bus_reply_method_return(message, ""); }

  static int OwnerChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0 || std::strcmp(name, kWatcher) != 0) return 0;
    static_cast<SniTray*>(userdata)->Update(after && *after);
    return 0;
  }
  static int HostsChanged(sd_bus_message*, void* userdata, sd_bus_error*) {
    static_cast<SniTray*>(userdata)->Update(true);
    return 0;
  }
};

namespace {

const sd_bus_vtable kItemTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", SniCallbacks::String, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", SniCallbacks::String, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("Status", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("WindowId", "i", SniCallbacks::WindowId, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", SniCallbacks::IconPixmap, 0, 0),
    SD_BUS_PROPERTY("OverlayIconName", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", SniCallbacks::NoPixmap, 0, 0),
    SD_BUS_PROPERTY("AttentionIconName", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", SniCallbacks::NoPixmap, 0, 0),
    SD_BUS_PROPERTY("AttentionMovieName", "s", SniCallbacks::String, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", SniCallbacks::ToolTip, 0, 0),
    SD_BUS_PROPERTY("ItemIsMenu", "b", SniCallbacks::IsMenu, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Activate", "ii", "", SniCallbacks::Activate, 0),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", SniCallbacks::SecondaryActivate, 0),
    SD_BUS_METHOD("ContextMenu", "ii", "", SniCallbacks::ContextMenu, 0),
    SD_BUS_METHOD("Scroll", "is", "", SniCallbacks::Scroll, 0),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
    SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END,
};

void Register(SniTray::Item& item) {
  // Sent without waiting: a watcher that never answers must not hold the display's thread.
  sd_bus_call_method_async(item.bus, nullptr, kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem",
                           nullptr, nullptr, "s", item.name.c_str());
}

}  // namespace

std::unique_ptr<SniTray> SniTray::Connect() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  std::unique_ptr<SniTray> tray(new SniTray);
  tray->m_bus = bus;
  // Watched before it is asked for, so that a watcher starting in between is not missed.
  if (sd_bus_match_signal(bus, &tray->m_watch, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameOwnerChanged", SniCallbacks::OwnerChanged, tray.get()) < 0) {
    return nullptr;
  }
  if (sd_bus_match_signal(bus, &tray->m_hosts, kWatcher, "/StatusNotifierWatcher", kWatcher, nullptr,
                          SniCallbacks::HostsChanged, tray.get()) < 0) {
    return nullptr;
  }
  sd_bus_message* reply = nullptr;
  int has = 0;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         nullptr, &reply, "s", kWatcher) < 0) {
    return nullptr;
  }
  if (sd_bus_message_read(reply, "b", &has) < 0) has = 0;
  sd_bus_message_unref(reply);
  tray->Update(has != 0);
  tray->m_watcherChanged = false;  // nothing shown yet that would move
  return tray;
}

SniTray::~SniTray() {
  for (auto& [key, item] : m_items) Close(*item);
  sd_bus_slot_unref(m_hosts);
  sd_bus_slot_unref(m_watch);
  if (m_bus) sd_bus_flush_close_unref(m_bus);
}

void SniTray::Open(Item& item) {
  if (item.bus) return;
  if (sd_bus_open_user(&item.bus) < 0) {
    item.bus = nullptr;
    return;
  }
  item.name = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++m_serial);
  if (sd_bus_add_object_vtable(item.bus, &item.object, kItemPath, kItemInterface, kItemTable, &item) < 0 ||
      sd_bus_request_name(item.bus, item.name.c_str(), 0) < 0) {
    Close(item);
    return;
  }
  Register(item);
}

void SniTray::Close(Item& item) {
  item.object = sd_bus_slot_unref(item.object);
  if (item.bus) item.bus = sd_bus_flush_close_unref(item.bus);
}

void SniTray::Update(bool watcherPresent) {
  bool active = watcherPresent;
  if (active) {
    // A watcher that cannot say (an older one) is taken at its word that it shows items.
    int hosted = 1;
    if (sd_bus_get_property_trivial(m_bus, kWatcher, "/StatusNotifierWatcher", kWatcher, "IsStatusNotifierHostRegistered",
                                    nullptr, 'b', &hosted) < 0) {
      hosted = 1;
    }
    active = hosted != 0;
  }
  m_watcherChanged = m_watcherChanged || active != m_active;
  m_active = active;
  Sync();
}

// Every icon an item while a watcher with a host runs, registered again with a watcher that
// replaced another; none while there is none (the display shows them another way meanwhile).
void SniTray::Sync() {
  for (auto& [key, item] : m_items) {
    if (!m_active) {
      Close(*item);
    } else if (item->bus) {
      Register(*item);
    } else {
      Open(*item);
    }
  }
}

void SniTray::Set(const user::TrayIconState& state) {
  auto& slot = m_items[{state.window, state.id}];
  if (!slot) {
    slot = std::make_unique<Item>();
    slot->tray = this;
    slot->state = state;
    if (m_active) Open(*slot);
    return;
  }
  const bool tipChanged = slot->state.tip != state.tip;
  const bool iconChanged = slot->state.pixels != state.pixels;
  slot->state = state;
  if (!slot->bus) return;
  if (iconChanged) sd_bus_emit_signal(slot->bus, kItemPath, kItemInterface, "NewIcon", "");
  if (tipChanged) {
    sd_bus_emit_signal(slot->bus, kItemPath, kItemInterface, "NewTitle", "");
    sd_bus_emit_signal(slot->bus, kItemPath, kItemInterface, "NewToolTip", "");
  }
}

void SniTray::Remove(HWND window, UINT id) {
  auto it = m_items.find({window, id});
  if (it == m_items.end()) return;
  Close(*it->second);
  m_items.erase(it);
}

void SniTray::AddPollFds(std::vector<pollfd>& fds) const {
  auto add = [&](sd_bus* bus) {
    const int fd = bus ? sd_bus_get_fd(bus) : -1;
    const int events = bus ? sd_bus_get_events(bus) : 0;
    if (fd >= 0 && events >= 0) fds.push_back({fd, static_cast<short>(events), 0});
  };
  add(m_bus);
  for (const auto& [key, item] : m_items) add(item->bus);
}

int SniTray::NextTimeout() const {
  std::uint64_t soonest = UINT64_MAX;
  auto check = [&](sd_bus* bus) {
    std::uint64_t due = UINT64_MAX;
    if (bus && sd_bus_get_timeout(bus, &due) >= 0 && due < soonest) soonest = due;
  };
  check(m_bus);
  for (const auto& [key, item] : m_items) check(item->bus);
  if (soonest == UINT64_MAX) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
  if (soonest <= nowUs) return 0;
  const std::uint64_t ms = (soonest - nowUs + 999) / 1000;
  return ms > 60000 ? 60000 : static_cast<int>(ms);
}

bool SniTray::Process() {
  if (m_bus) {
    int r;
    while ((r = sd_bus_process(m_bus, nullptr)) > 0) {
    }
    if (r < 0) {
      // The bus went away (its daemon ended): the icons show another way from now on.
      m_hosts = sd_bus_slot_unref(m_hosts);
      m_watch = sd_bus_slot_unref(m_watch);
      m_bus = sd_bus_flush_close_unref(m_bus);
      m_watcherChanged = m_watcherChanged || m_active;
      m_active = false;
      Sync();
    }
  }
  for (auto& [key, item] : m_items) {
    if (!item->bus) continue;
    int r;
    while ((r = sd_bus_process(item->bus, nullptr)) > 0) {
    }
    if (r < 0) Close(*item);
  }
  return std::exchange(m_watcherChanged, false);
}

}  // namespace tolvar::display
