#include "TrafficLog.h"

#include <linkwell/LinkPacket.h>

#include <base/Time.h>
#include <kernel/File.h>
#include <kernel/Object.h>
#include <registry/WinReg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kLogFile[] = "C:\\Tolvar.log";

std::mutex g_lock;  // one line at a time, and the handle's life
HANDLE g_log = INVALID_HANDLE_VALUE;

bool LoggingEnabled() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  BYTE value[4];
  DWORD size = sizeof value;
  const LSTATUS status = RegQueryValueExA(key, "EnableLogging", nullptr, nullptr, value, &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

const char* Tag(int kind) {
  switch (kind) {
    case TRAFFIC_RECV: return "Recv: ";
    case TRAFFIC_SEND: return "Send: ";
    default: return "";
  }
}

}  // namespace

bool OpenTrafficLog() {
  std::lock_guard lock(g_lock);
  if (g_log != INVALID_HANDLE_VALUE) return true;
  if (!LoggingEnabled()) return false;
  g_log = CreateFileA(kLogFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  return g_log != INVALID_HANDLE_VALUE;
}

void CloseTrafficLog() {
  std::lock_guard lock(g_lock);
  if (g_log == INVALID_HANDLE_VALUE) return;
  CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
}

bool IsTrafficLogOpen() {
  std::lock_guard lock(g_lock);
  return g_log != INVALID_HANDLE_VALUE;
}

void LogTraffic(WORD port, const void* data, int kind, int count) {
  if (count == 0 || data == nullptr) return;
  const auto* bytes = static_cast<const BYTE*>(data);
  std::size_t length = count < 0 ? std::strlen(static_cast<const char*>(data)) : static_cast<std::size_t>(count);
  length = std::min<std::size_t>(length, LINK_MAX_PAYLOAD);

  std::lock_guard lock(g_lock);
  if (g_log == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char prefix[64];
  const int prefixLength = std::snprintf(prefix, sizeof prefix, "%d:%d:%d:%03d - COM%-2d : ", now.wHour,
                                         now.wMinute, now.wSecond, now.wMilliseconds, port);
  std::string line;
  line.reserve(sizeof prefix + 6 + length + 2);
  line.append(prefix, static_cast<std::size_t>(std::clamp(prefixLength, 0, static_cast<int>(sizeof prefix) - 1)));
  line.append(Tag(kind));
  for (std::size_t i = 0; i < length; ++i) line.push_back(bytes[i] < 32 || bytes[i] > 127 ? '.' : static_cast<char>(bytes[i]));
  line.append("\r\n");
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
