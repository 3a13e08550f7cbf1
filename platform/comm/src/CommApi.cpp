// The Win32 serial functions: each finds the port behind the handle and asks it.
#include <comm/Comm.h>

#include "SerialPort.h"

#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <cstdint>

using tolvar::comm::SerialPort;

namespace {

// A handle that is no serial port (a file, an event) gives ERROR_INVALID_HANDLE, as on Windows.
template <class Call>
BOOL WithPort(HANDLE file, Call call) {
  auto port = tolvar::kernel::LookupHandleAs<SerialPort>(file);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD error = call(*port);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL BadPointer() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD) {
  return WithPort(file, [&](SerialPort& port) { return port.Setup(inQueue); });
}

BOOL GetCommState(HANDLE file, LPDCB dcb) {
  if (!dcb) return BadPointer();
  return WithPort(file, [&](SerialPort& port) { return port.GetState(*dcb); });
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
  if (!dcb) return BadPointer();
  return WithPort(file, [&](SerialPort& port) { return port.SetState(*dcb); });
}

BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  if (!timeouts) return BadPointer();
  return WithPort(file, [&](SerialPort& port) { return port.GetTimeouts(*timeouts); });
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  if (!timeouts) return BadPointer();
  return WithPort(file, [&](SerialPort& port) { return port.SetTimeouts(*timeouts); });
}

BOOL SetCommMask(HANDLE file, DWORD eventMask) {
  return WithPort(file, [&](SerialPort& port) { return port.SetMask(eventMask); });
}

BOOL GetCommMask(HANDLE file, LPDWORD eventMask) {
  if (!eventMask) return BadPointer();
  return WithPort(file, [&](SerialPort& port) { return port.GetMask(*eventMask); });
}

BOOL WaitCommEvent(HANDLE file, LPDWORD eventMask, LPOVERLAPPED overlapped) {
  if (!eventMask) return BadPointer();
  if (overlapped) {
    // As ReadFile does: pending until the port completes it, its event reset meanwhile.
    std::atomic_ref(overlapped->InternalHigh).store(0);
    std::atomic_ref(overlapped->Internal).store(STATUS_PENDING);
    auto event = reinterpret_cast<HANDLE>(reinterpret_cast<std::uintptr_t>(overlapped->hEvent) & ~std::uintptr_t{1});
    if (event) ResetEvent(event);
  }
  return WithPort(file, [&](SerialPort& port) {
    DWORD error = port.WaitEvent(eventMask, overlapped);
    if (overlapped && error == ERROR_SUCCESS) tolvar::kernel::CompleteOverlapped(overlapped, ERROR_SUCCESS, 0);
    if (overlapped && error != ERROR_SUCCESS && error != ERROR_IO_PENDING)
      std::atomic_ref(overlapped->Internal).store(error);
    return error;
  });
}

BOOL PurgeComm(HANDLE file, DWORD flags) {
  return WithPort(file, [&](SerialPort& port) { return port.Purge(flags); });
}

BOOL ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status) {
  return WithPort(file, [&](SerialPort& port) { return port.ClearError(errors, status); });
}

BOOL EscapeCommFunction(HANDLE file, DWORD function) {
  return WithPort(file, [&](SerialPort& port) { return port.Escape(function); });
}
