#include "SniHost.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testing_display {
namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kItem = "org.kde.StatusNotifierItem";

std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace

bool PrivateBus::Start() {
  const std::string program = FindProgram("dbus-daemon");
  if (program.empty()) return false;
  char folder[] = "/tmp/tolvar-bus-XXXXXX";
  if (!mkdtemp(folder)) return false;
  m_folder = folder;
  const std::string socket = m_folder + "/bus";
  const std::string address = "--address=unix:path=" + socket;
  const char* argv[] = {program.c_str(), "--session", "--nofork", "--nopidfile", address.c_str(), nullptr};
  pid_t pid = 0;
  // Its complaints (it may not raise its descriptor limit here) are not the test's output.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  m_pid = pid;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < until) {
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = 0;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_address = "unix:path=" + socket;
  return std::filesystem::exists(socket);
}

PrivateBus::~PrivateBus() {
  if (m_pid) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  std::error_code ignored;
  if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
}

namespace {

int HostRegistered(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
  return sd_bus_message_append(reply, "b", static_cast<int>(static_cast<SniHost*>(userdata)->hostRegistered));
}
int Version(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
  return sd_bus_message_append(reply, "i", 0);
}

const sd_bus_vtable kWatcherTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", SniHost::Register, 0),
    SD_BUS_PROPERTY("IsStatusNotifierHostRegistered", "b", HostRegistered, 0, 0),
    SD_BUS_SIGNAL("StatusNotifierHostRegistered", "", 0),
    SD_BUS_PROPERTY("ProtocolVersion", "i", Version, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};

}  // namespace

int SniHost::Register(sd_bus_message* message, void* userdata, sd_bus_error*) {
  const char* service = nullptr;
  const int r = sd_bus_message_read(message, "s", &service);
  if (r < 0) return r;
  static_cast<SniHost*>(userdata)->m_items.emplace_back(service);
  return sd_bus_reply_method_return(message, "");
}

SniHost::SniHost(const std::string& address) {
  if (sd_bus_new(&m_bus) < 0) {
    m_bus = nullptr;
    return;
  }
  sd_bus_set_address(m_bus, address.c_str());
  sd_bus_set_bus_client(m_bus, 1);
  if (sd_bus_start(m_bus) < 0) return;
  if (sd_bus_add_object_vtable(m_bus, &m_object, "/StatusNotifierWatcher", kWatcher, kWatcherTable, this) < 0) return;
  m_watching = sd_bus_request_name(m_bus, kWatcher, 0) >= 0;
}

SniHost::~SniHost() {
  sd_bus_slot_unref(m_object);
  if (m_bus) sd_bus_flush_close_unref(m_bus);
}

void SniHost::Serve() {
  if (!m_bus) return;
  while (sd_bus_process(m_bus, nullptr) > 0) {
  }
}

void SniHost::RegisterHost() {
  hostRegistered = true;
  sd_bus_emit_signal(m_bus, "/StatusNotifierWatcher", kWatcher, "StatusNotifierHostRegistered", "");
}

void SniHost::StopWatching() {
  if (m_bus && m_watching) sd_bus_release_name(m_bus, kWatcher);
  m_watching = false;
}

std::string SniHost::StringProperty(const std::string& item, const char* name) {
  char* value = nullptr;
  if (sd_bus_get_property_string(m_bus, item.c_str(), "/StatusNotifierItem", kItem, name, nullptr, &value) < 0) return "<none>";
  std::string result = value;
  std::free(value);
  return result;
}

std::string SniHost::ToolTipTitle(const std::string& item) {
  sd_bus_message* reply = nullptr;
  std::string title = "<none>";
  if (sd_bus_get_property(m_bus, item.c_str(), "/StatusNotifierItem", kItem, "ToolTip", nullptr, &reply, "(sa(iiay)ss)") < 0) {
    return title;
  }
  const char *icon = nullptr, *text = nullptr, *body = nullptr;
  if (sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss") >= 0 && sd_bus_message_read(reply, "s", &icon) >= 0 &&
      sd_bus_message_skip(reply, "a(iiay)") >= 0 && sd_bus_message_read(reply, "ss", &text, &body) >= 0) {
    title = text;
  }
  sd_bus_message_unref(reply);
  return title;
}

std::vector<Pixmap> SniHost::IconPixmaps(const std::string& item) {
  std::vector<Pixmap> pixmaps;
  sd_bus_message* reply = nullptr;
  if (sd_bus_get_property(m_bus, item.c_str(), "/StatusNotifierItem", kItem, "IconPixmap", nullptr, &reply, "a(iiay)") < 0) {
    return pixmaps;
  }
  if (sd_bus_message_enter_container(reply, 'a', "(iiay)") >= 0) {
    while (sd_bus_message_enter_container(reply, 'r', "iiay") > 0) {
      Pixmap pixmap;
      const void* bytes = nullptr;
      std::size_t size = 0;
      if (sd_bus_message_read(reply, "ii", &pixmap.width, &pixmap.height) < 0 ||
          sd_bus_message_read_array(reply, 'y', &bytes, &size) < 0) {
        break;
      }
      const auto* begin = static_cast<const std::uint8_t*>(bytes);
      pixmap.argb.assign(begin, begin + size);
      pixmaps.push_back(std::move(pixmap));
      sd_bus_message_exit_container(reply);
    }
  }
  sd_bus_message_unref(reply);
  return pixmaps;
}

bool SniHost::Call(const std::string& item, const char* method, int x, int y) {
  return sd_bus_call_method(m_bus, item.c_str(), "/StatusNotifierItem", kItem, method, nullptr, nullptr, "ii", x, y) >= 0;
}

}  // namespace testing_display
