#include "Startup.h"

#include <net/WinSock.h>

#include <base/LastError.h>

#include <atomic>
#include <cstring>

namespace tolvar::net {
namespace {

std::atomic<int> g_startups = 0;

constexpr WORD kHighest = MAKEWORD(2, 2);

}  // namespace

bool Started() { return g_startups.load() > 0; }

}  // namespace tolvar::net

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  BYTE major = LOBYTE(versionRequested);
  BYTE minor = HIBYTE(versionRequested);
  if (major < 1 || (major == 1 && minor < 1)) return WSAVERNOTSUPPORTED;
  if (!data) return WSAEFAULT;
  *data = WSADATA{};
  bool aboveHighest = major > 2 || (major == 2 && minor > 2);
  data->wVersion = aboveHighest ? tolvar::net::kHighest : versionRequested;
  data->wHighVersion = tolvar::net::kHighest;
  std::strcpy(data->szDescription, "Windows Sockets over BSD sockets");
  std::strcpy(data->szSystemStatus, "Running");
  data->iMaxSockets = 32767;
  data->iMaxUdpDg = 65467;
  ++tolvar::net::g_startups;
  return 0;
}

int WSACleanup() {
  int count = tolvar::net::g_startups.load();
  while (count > 0 && !tolvar::net::g_startups.compare_exchange_weak(count, count - 1)) {
  }
  if (count <= 0) {
    SetLastError(WSANOTINITIALISED);
    return SOCKET_ERROR;
  }
  return 0;
}

int WSAGetLastError() { return static_cast<int>(GetLastError()); }
void WSASetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }
