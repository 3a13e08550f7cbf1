#include "Station.h"

#include "Internal.h"

#include <base/Home.h>
#include <gdi/SysParams.h>
#include <kernel/LockByte.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <strings.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvar::user {
namespace {

using kernel::ByteLock;
using kernel::LockByte;

constexpr std::uint32_t kMagic = 0x5453574E;  // "NWST"
constexpr std::uint32_t kLayout = 5;
constexpr off_t kGuardByte = 0;
constexpr off_t kHolderByte = 1;

std::uint32_t IndexOf(std::uint32_t handle) { return handle & 0xFFFF; }

}  // namespace

std::uint64_t ProcessStartTime(std::int32_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
  FILE* file = std::fopen(path, "re");
  if (!file) return 0;
  char buffer[1024];
  size_t length = std::fread(buffer, 1, sizeof buffer - 1, file);
  std::fclose(file);
  buffer[length] = 0;
  // The command name may hold blanks and parentheses: the fields go on after the last ')'.
  const char* p = std::strrchr(buffer, ')');
  if (!p) return 0;
  p += 2;  // the state letter
  if (*p == 'Z' || *p == 'X') return 0;  // ended, only not yet reaped
  for (int field = 3; field < 22 && *p; ++p) {
    if (*p == ' ') ++field;
  }
  return std::strtoull(p, nullptr, 10);
}

void CopyToField(char* field, std::size_t size, std::string_view text) {
  std::size_t n = std::min(text.size(), size - 1);
  // Cut on a character boundary: the field holds UTF-8.
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

namespace {
std::atomic<bool> g_open{false};
}  // namespace

Station& Station::Get() {
  static Station station;
  return station;
}

bool Station::IsOpen() { return g_open.load(); }

void Station::SetDesktopSize(int width, int height) {
  With([&](StationData& data) {
    data.slots[0].window = {0, 0, width, height};
    data.slots[0].client = data.slots[0].window;
  });
}

Station::Station() : m_pid(getpid()) {
  m_start = ProcessStartTime(m_pid);
  const std::string name = "/tolvar-" + HomeTag() + "-window-station";
  m_fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_fd < 0) throw std::runtime_error("the window station cannot be opened");
  // Byte 1 is held shared by every process that has the station; whoever gets it exclusively is
  // alone and starts the table afresh, so a station left by crashed processes is never trusted.
  LockByte(m_fd, kGuardByte, ByteLock::Exclusive, true);
  const bool alone = LockByte(m_fd, kHolderByte, ByteLock::Exclusive, false);
  if (alone && (ftruncate(m_fd, 0) != 0 || ftruncate(m_fd, sizeof(StationData)) != 0)) {
    throw std::runtime_error("the window station cannot be sized");
  }
  void* address = mmap(nullptr, sizeof(StationData), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
  if (address == MAP_FAILED) throw std::runtime_error("the window station cannot be mapped");
  m_data = static_cast<StationData*>(address);
  if (alone) Initialise();
  LockByte(m_fd, kHolderByte, ByteLock::Shared, true);
  LockByte(m_fd, kGuardByte, ByteLock::Unlocked, true);
  // A process with a display knows the real screen; a headless one keeps what the station has.
  if (ScreenSizedByDisplay()) SetDesktopSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  g_open = true;
}

Station::~Station() {
  DropProcessWindows();
  for (auto& [process, known] : m_known) {
    if (known.pidfd >= 0) close(known.pidfd);
  }
  munmap(m_data, sizeof(StationData));
  close(m_fd);
}

void Station::Initialise() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(&m_data->lock, &attributes);
  pthread_mutexattr_destroy(&attributes);
  WindowSlot& desktop = m_data->slots[0];
  desktop.handle = kDesktopHandle;
  desktop.generation = 1;
  desktop.style = 0x96000000;  // WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
  desktop.window = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  desktop.client = desktop.window;
  CopyToField(desktop.className, kClassNameMax, "#32769");
  m_data->cursor = {512, 384};
  m_data->layout = kLayout;
  m_data->magic = kMagic;
}

Station::Locked::Locked(Station& station) : m_station(station) {
  int result = pthread_mutex_lock(&station.m_data->lock);
  // The last holder died in the middle of a change; the table is still usable link by link.
  if (result == EOWNERDEAD) pthread_mutex_consistent(&station.m_data->lock);
}

Station::Locked::~Locked() { pthread_mutex_unlock(&m_station.m_data->lock); }

bool Station::IsAlive(std::int32_t pid, std::uint64_t start) {
  if (pid == 0 || pid == m_pid) return true;
  std::lock_guard guard(m_knownLock);
  auto it = m_known.find({pid, start});
  if (it != m_known.end()) {
    KnownProcess& known = it->second;
    if (known.pidfd < 0) return known.alive;
    pollfd ended{known.pidfd, POLLIN, 0};
    if (poll(&ended, 1, 0) == 0) return true;
    close(known.pidfd);
    known = {};
    return false;
  }
  // First sight: the start time tells whether the pid is still the same process; a descriptor of
  // it, taken and then checked against the start time again, answers from now on.
  if (ProcessStartTime(pid) != start) {
    m_known[{pid, start}] = {};
    return false;
  }
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0 && ProcessStartTime(pid) != start) {
    close(pidfd);
    m_known[{pid, start}] = {};
    return false;
  }
  if (pidfd >= 0) m_known[{pid, start}] = {pidfd, true};
  return true;  // without a pidfd the next question reads /proc again
}

WindowSlot* Station::FindAny(StationData& data, std::uint32_t handle) {
  std::uint32_t index = IndexOf(handle);
  if (handle == 0 || index >= kStationSlots) return nullptr;
  WindowSlot& slot = data.slots[index];
  return slot.handle == handle ? &slot : nullptr;
}

WindowSlot* Station::Find(StationData& data, std::uint32_t handle) {
  WindowSlot* slot = FindAny(data, handle);
  if (!slot || !IsAlive(slot->pid, slot->pidStart)) return nullptr;
  return slot;
}

std::uint32_t Station::Allocate(StationData& data, DWORD tid) {
  std::uint32_t held = 0;
  for (std::uint32_t index = 1; index < kStationSlots; ++index) {
    const WindowSlot& slot = data.slots[index];
    if (slot.handle != 0 && slot.pid == m_pid && slot.pidStart == m_start) ++held;
  }
  if (held >= kProcessSlotQuota) return 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (std::uint32_t index = 1; index < kStationSlots; ++index) {
      WindowSlot& slot = data.slots[index];
      if (slot.handle != 0) continue;
      std::uint16_t generation = static_cast<std::uint16_t>(slot.generation % 0x7FFF + 1);
      slot = WindowSlot{};
      slot.generation = generation;
      slot.handle = (static_cast<std::uint32_t>(generation) << 16) | index;
      slot.pid = m_pid;
      slot.pidStart = m_start;
      slot.tid = tid;
      return slot.handle;
    }
    ReapDead(data);
  }
  return 0;
}

void Station::Free(StationData& data, std::uint32_t handle) {
  WindowSlot* slot = FindAny(data, handle);
  if (!slot) return;
  // Children still linked (of other processes, whose owners have not destroyed them) go to the
  // desktop, hidden: they outlive the parent that was taken from under them.
  while (slot->firstChild) {
    std::uint32_t child = slot->firstChild;
    Unlink(data, child);
    if (WindowSlot* c = FindAny(data, child)) {
      c->style &= ~0x10000000u;  // WS_VISIBLE
      Link(data, child, kDesktopHandle, 0);
    }
  }
  Unlink(data, handle);
  if (data.foreground == handle) data.foreground = 0;
  if (data.focus == handle) data.focus = 0;
  std::uint16_t generation = slot->generation;
  *slot = WindowSlot{};
  slot->generation = generation;
}

void Station::Link(StationData& data, std::uint32_t handle, std::uint32_t parent, std::uint32_t insertAfter) {
  WindowSlot* slot = FindAny(data, handle);
  WindowSlot* p = FindAny(data, parent);
  if (!slot || !p) return;
  slot->parent = parent;
  WindowSlot* after = nullptr;
  if (insertAfter == 1) {
    after = FindAny(data, p->lastChild);
  } else if (insertAfter != 0) {
    after = FindAny(data, insertAfter);
    if (after && after->parent != parent) after = nullptr;
  } else if (!(slot->exStyle & 0x00000008u)) {
    // At the top, but below the topmost siblings.
    for (WindowSlot* s = FindAny(data, p->firstChild); s && (s->exStyle & 0x00000008u); s = FindAny(data, s->next)) {
      if (s->handle != handle) after = s;
    }
  }
  if (after) {
    slot->prev = after->handle;
    slot->next = after->next;
    if (WindowSlot* n = FindAny(data, after->next)) n->prev = handle;
    else p->lastChild = handle;
    after->next = handle;
  } else {
    slot->prev = 0;
    slot->next = p->firstChild;
    if (WindowSlot* n = FindAny(data, p->firstChild)) n->prev = handle;
    else p->lastChild = handle;
    p->firstChild = handle;
  }
}

void Station::Unlink(StationData& data, std::uint32_t handle) {
  WindowSlot* slot = FindAny(data, handle);
  if (!slot || !slot->parent) return;
  WindowSlot* p = FindAny(data, slot->parent);
  if (WindowSlot* prev = FindAny(data, slot->prev)) prev->next = slot->next;
  else if (p) p->firstChild = slot->next;
  if (WindowSlot* next = FindAny(data, slot->next)) next->prev = slot->prev;
  else if (p) p->lastChild = slot->prev;
  slot->parent = slot->next = slot->prev = 0;
}

void Station::ReapDead(StationData& data) {
  for (std::uint32_t index = 1; index < kStationSlots; ++index) {
    WindowSlot& slot = data.slots[index];
    if (slot.handle != 0 && !IsAlive(slot.pid, slot.pidStart)) Free(data, slot.handle);
  }
}

void Station::DropProcessWindows() {
  With([&](StationData& data) {
    for (std::uint32_t index = 1; index < kStationSlots; ++index) {
      WindowSlot& slot = data.slots[index];
      if (slot.handle != 0 && slot.pid == m_pid) Free(data, slot.handle);
    }
    return 0;
  });
}

UINT Station::RegisterMessage(std::string_view name) {
  if (name.empty() || name.size() >= kClassNameMax) return 0;
  return With([&](StationData& data) -> UINT {
    for (std::uint32_t i = 0; i < data.registeredCount; ++i) {
      const char* entry = data.registered[i];
      if (std::strlen(entry) == name.size() && strncasecmp(entry, name.data(), name.size()) == 0) {
        return kFirstRegistered + i;
      }
    }
    if (data.registeredCount >= kRegisteredMax) return 0;
    CopyToField(data.registered[data.registeredCount], kClassNameMax, name);
    return kFirstRegistered + data.registeredCount++;
  });
}

}  // namespace tolvar::user
