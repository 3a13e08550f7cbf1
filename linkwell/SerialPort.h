#pragma once
// The byte pipe to the phone while the link relays: an overlapped COM port with a receive thread
// that signals the named events "Serial recv event" (mask bit 0) and "Serial recv event2" (mask
// bit 1) when bytes arrive, reads that never block for long and bounded writes. Every open, close,
// read and write goes to the traffic log.
//
// The two events are named, so every CSerialPort of the process shares them: the relay's port
// keeps mask 3, a probe's port mask 2 so that its traffic does not wake the link worker.
//
// Open, close, read and write may come from different threads; they take turns, so a close never
// pulls the port from under a read or write.
#include <base/WinDef.h>
#include <kernel/Io.h>

#include <atomic>
#include <mutex>

class CSerialPort {
 public:
  static constexpr int kReadClosed = -4;   // Read on a closed port
  static constexpr int kWriteFailed = -3;  // Write on a closed port, or one that failed at once

  CSerialPort();
  ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Takes the port number from "COMn" (other text leaves it); unless the number is then 0, the
  // baud rate becomes `baud`, or stays with -1.
  void SetPortName(LPCSTR name, int baud);
  WORD GetPortNumber() const { return m_port; }
  DWORD GetBaudRate() const { return m_baud; }
  void SetEventMask(BYTE mask) { m_eventMask = mask; }
  BYTE GetEventMask() const { return m_eventMask; }

  // 0 when the port is open and its receive thread runs; -1 when it could not be opened or set up.
  int OpenPort();
  // Stops the receive thread, closes the port and logs "Close OK", also when it was closed.
  void ClosePort();
  // False once closed, also when the port failed (a pulled cable) and ClosePort has not run yet.
  bool IsOpen() const { return m_open; }

  // Reads what is there, up to `count` bytes (waits at most 500 ms); gives the bytes read (also in
  // `count`), or -4 when the port is closed.
  int Read(BYTE* buffer, DWORD& count);
  // Reads, up to `count`, the bytes the port holds now, without waiting for more: the relay's read
  // after a wake-up. A wake whose bytes an earlier read already took finds nothing and reads
  // nothing (0, also in `count`); -4 when the port is closed.
  int ReadQueued(BYTE* buffer, DWORD& count);
  // Gives the bytes written (what went out within 1000 ms), or -3 when the port is closed or the
  // write failed at once.
  int Write(const BYTE* bytes, DWORD count);

 private:
  static DWORD ReceiveThread(LPVOID self);
  DWORD ReceiveLoop();
  void SignalReceiveEvents();
  void CloseLocked();
  // Waits up to `ms` for an overlapped transfer; when it is still pending then, cancels it and
  // waits for the cancellation, so no transfer outlives the call. Gives the bytes moved.
  DWORD FinishTransfer(OVERLAPPED& overlapped, DWORD ms);
  int ReadLocked(BYTE* buffer, DWORD& count);

  WORD m_port = 1;
  HANDLE m_handle = INVALID_HANDLE_VALUE;  // the real handle, until ClosePort; see m_open
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  OVERLAPPED m_write{};
  OVERLAPPED m_read{};
  HANDLE m_receiveEvent1 = nullptr;
  HANDLE m_receiveEvent2 = nullptr;
  DWORD m_baud = 38400;
  std::atomic<BYTE> m_eventMask{3};
  std::atomic<bool> m_open{false};      // open and not failed
  std::atomic<bool> m_stopping{false};  // ClosePort asks the receive thread to end
  std::mutex m_lock;
};
