// The shared table of the notification area: a named mapping and a named mutex of the kernel layer,
// which are per home already, so test runs with their own homes never see each other's icons.
#include "TrayTable.h"

#include <kernel/FileMapping.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace tolvar::shell {
namespace {

struct Shared {
  HANDLE mapping = nullptr;
  HANDLE mutex = nullptr;
  TrayData* data = nullptr;

  Shared() {
    // Both stay open for the life of the process: the table lasts while any process holds it.
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TrayData),
                                 "Tolvar.Shell.Tray");
    mutex = CreateMutexA(nullptr, FALSE, "Tolvar.Shell.TrayLock");
    if (mapping) data = static_cast<TrayData*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TrayData)));
  }
};

Shared& TheShared() {
  static Shared shared;
  return shared;
}

}  // namespace

std::uint64_t ProcessStart(std::int32_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The name in parentheses may hold spaces; the fields after its closing one are plain.
  const auto close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  // Field 3 (state) is the first after the name; the start time is field 22.
  for (int i = 3; i <= 22; ++i)
    if (!(fields >> field)) return 0;
  // A zombie has not gone yet but will never act again.
  if (text.compare(close + 2, 1, "Z") == 0) return 0;
  return std::strtoull(field.c_str(), nullptr, 10);
}

bool ProcessAlive(std::int32_t pid, std::uint64_t start) {
  return pid > 0 && start != 0 && ProcessStart(pid) == start;
}

TrayLock::TrayLock() {
  Shared& shared = TheShared();
  if (!shared.data || !shared.mutex) throw std::runtime_error("the notification area cannot be mapped");
  const DWORD result = WaitForSingleObject(shared.mutex, INFINITE);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) throw std::runtime_error("the notification area lock failed");
  m_data = shared.data;
}

TrayLock::~TrayLock() { ReleaseMutex(TheShared().mutex); }

void TrayLock::Reap() {
  if (m_data->trayPid && !ProcessAlive(m_data->trayPid, m_data->trayStart)) {
    m_data->trayPid = 0;
    m_data->trayStart = 0;
  }
  for (TrayEntry& entry : m_data->entries)
    if (entry.used && !ProcessAlive(entry.pid, entry.start)) std::memset(&entry, 0, sizeof entry);
}

}  // namespace tolvar::shell
