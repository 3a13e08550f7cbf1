#include "SerialPort.h"

#include "TrafficLog.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <base/Time.h>
#include <comm/Comm.h>
#include <kernel/File.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Thread.h>
#include <kernel/Wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kQueueSize = 65536;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kReadWait = 500;
constexpr DWORD kWriteWait = 1000;
constexpr DWORD kSettle = 50;        // after the open, before the first transfer
constexpr DWORD kStopPoll = 50;      // how often ClosePort nudges the receive thread again

void Log(WORD port, const char* status) { LogTraffic(port, status, TRAFFIC_STATUS, -1); }

}  // namespace

CSerialPort::CSerialPort() {
  m_write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_read.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_receiveEvent1 = CreateEventA(nullptr, FALSE, FALSE, "Serial recv event");
  m_receiveEvent2 = CreateEventA(nullptr, FALSE, FALSE, "Serial recv event2");
}

CSerialPort::~CSerialPort() {
  ClosePort();
  for (HANDLE event : {m_write.hEvent, m_read.hEvent, m_receiveEvent1, m_receiveEvent2}) {
    if (event) CloseHandle(event);
  }
}

void CSerialPort::SetPortName(LPCSTR name, int baud) {
  if (name && std::strncmp(name, "COM", 3) == 0 && name[3] >= '0' && name[3] <= '9') {
    char* end = nullptr;
    const long number = std::strtol(name + 3, &end, 10);
    if (number >= 0 && number <= 0xFFFF) m_port = static_cast<WORD>(number);
  }
  if (m_port == 0) return;
  if (baud != -1) m_baud = static_cast<DWORD>(baud);
}

int CSerialPort::OpenPort() {
  std::lock_guard lock(m_lock);
  Log(m_port, "Start Open");
  if (m_handle != INVALID_HANDLE_VALUE) CloseLocked();  // a port that failed keeps its handle until now

  char device[32];
  std::snprintf(device, sizeof device, "\\\\.\\COM%d", m_port);
  m_handle = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  if (m_handle == INVALID_HANDLE_VALUE) {
    Log(m_port, "Open Failed");
    return -1;
  }
  bool ok = SetupComm(m_handle, kQueueSize, kQueueSize) && PurgeComm(m_handle, kPurgeAll);
  COMMTIMEOUTS timeouts{2, 0, 20, 0, 0};
  ok = ok && SetCommTimeouts(m_handle, &timeouts);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ok = ok && GetCommState(m_handle, &dcb);
  if (ok) {
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fAbortOnError = 0;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    dcb.BaudRate = m_baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    ok = SetCommState(m_handle, &dcb);
  }
  ok = ok && SetCommMask(m_handle, EV_RXCHAR) && PurgeComm(m_handle, kPurgeAll);
  if (ok) {
    m_stopping = false;
    m_open = true;
    m_thread = CreateThread(nullptr, 0, &CSerialPort::ReceiveThread, this, 0, &m_threadId);
    ok = m_thread != nullptr;
  }
  if (!ok) {
    CloseLocked();
    Log(m_port, "Close OK");
    Log(m_port, "Open Failed");
    return -1;
  }
  Sleep(kSettle);
  Log(m_port, "Open OK");
  return 0;
}

void CSerialPort::ClosePort() {
  std::lock_guard lock(m_lock);
  CloseLocked();
  Log(m_port, "Close OK");
}

void CSerialPort::CloseLocked() {
  m_open = false;
  if (m_thread) {
    // Wake the receive thread out of its wait and let it end by itself; a new mask ends a pending
    // wait, and is given again should the thread have been about to start one.
    m_stopping = true;
    do {
      if (m_handle != INVALID_HANDLE_VALUE) SetCommMask(m_handle, 0);
    } while (WaitForSingleObject(m_thread, kStopPoll) == WAIT_TIMEOUT);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
  }
  if (m_handle != INVALID_HANDLE_VALUE) {
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }
}

DWORD CSerialPort::ReceiveThread(LPVOID self) { return static_cast<CSerialPort*>(self)->ReceiveLoop(); }

void CSerialPort::SignalReceiveEvents() {
  const BYTE mask = m_eventMask;
  if (mask & 1) SetEvent(m_receiveEvent1);
  if (mask & 2) SetEvent(m_receiveEvent2);
}

DWORD CSerialPort::ReceiveLoop() {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  bool failed = false;
  while (!m_stopping) {
    DWORD events = 0;
    if (!WaitCommEvent(m_handle, &events, &overlapped)) {
      const DWORD error = GetLastError();
      if (error == ERROR_IO_PENDING) {
        DWORD unused = 0;
        if (!GetOverlappedResult(m_handle, &overlapped, &unused, TRUE)) events = 0;
      } else if (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE || error == ERROR_GEN_FAILURE) {
        failed = true;
        break;
      } else {
        events = 0;
        Sleep(kStopPoll);  // an unexpected refusal: try again, but never in a tight loop
      }
    }
    if (m_stopping) break;
    if (events & EV_RXCHAR) {
      ResetEvent(overlapped.hEvent);
      SignalReceiveEvents();
    }
  }
  if (failed && !m_stopping) {
    // The device went away: the port counts as closed, and whoever waits for bytes wakes to find
    // that out. A port closed on purpose wakes nobody.
    SetCommMask(m_handle, 0);
    m_open = false;
    SignalReceiveEvents();
  }
  CloseHandle(overlapped.hEvent);
  return 0;
}

DWORD CSerialPort::FinishTransfer(OVERLAPPED& overlapped, DWORD ms) {
  DWORD moved = 0;
  if (WaitForSingleObject(overlapped.hEvent, ms) != WAIT_OBJECT_0) {
    CancelIo(m_handle);
  }
  // Waits for the cancellation too; what moved before it still counts.
  GetOverlappedResult(m_handle, &overlapped, &moved, TRUE);
  return moved;
}

int CSerialPort::Read(BYTE* buffer, DWORD& count) {
  std::lock_guard lock(m_lock);
  if (!m_open) return kReadClosed;
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(m_handle, &errors, &status);
  return ReadLocked(buffer, count);
}

int CSerialPort::ReadQueued(BYTE* buffer, DWORD& count) {
  std::lock_guard lock(m_lock);
  if (!m_open) return kReadClosed;
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(m_handle, &errors, &status);
  // The port raises its event for bytes a running read then took; such a wake finds the queue
  // empty. Asking for exactly what is queued ends the read as soon as it has those bytes, instead
  // of after the read interval's silence.
  count = std::min(count, status.cbInQue);
  if (count == 0) return 0;
  return ReadLocked(buffer, count);
}

int CSerialPort::ReadLocked(BYTE* buffer, DWORD& count) {
  DWORD read = 0;
  if (!ReadFile(m_handle, buffer, count, &read, &m_read)) {
    read = GetLastError() == ERROR_IO_PENDING ? FinishTransfer(m_read, kReadWait) : 0;
  }
  ResetEvent(m_read.hEvent);
  LogTraffic(m_port, buffer, TRAFFIC_RECV, static_cast<int>(read));
  count = read;
  return static_cast<int>(read);
}

int CSerialPort::Write(const BYTE* bytes, DWORD count) {
  std::lock_guard lock(m_lock);
  if (!m_open) return kWriteFailed;
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(m_handle, &errors, &status);
  DWORD written = 0;
  if (!WriteFile(m_handle, bytes, count, &written, &m_write)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      if (error == ERROR_INVALID_HANDLE || error == ERROR_GEN_FAILURE) m_open = false;
      ResetEvent(m_write.hEvent);
      return kWriteFailed;
    }
    written = FinishTransfer(m_write, kWriteWait);
  }
  ResetEvent(m_write.hEvent);
  LogTraffic(m_port, bytes, TRAFFIC_SEND, static_cast<int>(count));
  return static_cast<int>(written);
}
