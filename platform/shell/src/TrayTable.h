#pragma once
// The notification area's table, shared by every process of a home: who is the tray, and each
// process's icons. One named mapping holds it and one named mutex guards it (an owner that dies
// holding the mutex hands it on abandoned; the table is changed field by field and stays usable).
// Each entry carries its process's id and start time, so a pid reused by a new process does not
// keep a dead process's icons alive.
#include <base/WinDef.h>

#include <cstdint>

namespace tolvar::shell {

constexpr std::uint32_t kTrayIcons = 256;
constexpr std::size_t kTipBytes = 64;
constexpr int kTrayIconSize = 16;

struct TrayEntry {
  std::uint32_t used;
  std::uint32_t order;  // adding order, so listings keep it
  std::int32_t pid;
  std::uint64_t start;
  std::uint32_t window;
  std::uint32_t id;
  std::uint32_t flags;
  std::uint32_t callback;
  std::uint32_t icon;
  char tip[kTipBytes];
  // The icon as the tray draws it, so that a tray in another process can show it: 16 x 16 ARGB,
  // top row first, not premultiplied; all 0 without an icon.
  std::uint32_t pixels[kTrayIconSize * kTrayIconSize];
};

struct TrayData {
  std::int32_t trayPid;  // 0: no tray
  std::uint64_t trayStart;
  std::uint32_t nextOrder;
  TrayEntry entries[kTrayIcons];
};

// The table, mapped on first use, with its lock held while the object lives.
class TrayLock {
public:
  TrayLock();
  ~TrayLock();
  TrayLock(const TrayLock&) = delete;
  TrayLock& operator=(const TrayLock&) = delete;

  TrayData& Data() { return *m_data; }
  // Drops the entries (and the tray) of processes that have died.
  void Reap();

private:
  TrayData* m_data = nullptr;
};

std::uint64_t ProcessStart(std::int32_t pid);
bool ProcessAlive(std::int32_t pid, std::uint64_t start);

}  // namespace tolvar::shell
