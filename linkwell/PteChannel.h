#pragma once
// The link service's own blocking channel to a phone in PTE command mode: the detection probe and
// the phone setup dialog wake the phone with it and send the few commands the service itself uses.
// A channel belongs to the thread that made it.
//
// Failures leave the reason in the thread's last error: the system's for a port that cannot be
// opened, ERROR_PHONE_NO_REPLY when nothing came in time, ERROR_PHONE_BAD_REPLY for an answer that
// is not the expected one (also when the phone sent only bytes that make no reply at all).
#include <linkwell/PteFrame.h>

#include <base/WinDef.h>

#include <span>

class CPteChannel {
 public:
  static constexpr DWORD kBufferSize = 512;  // one command or one reply, with its NUL

  CPteChannel() = default;
  ~CPteChannel();
  CPteChannel(const CPteChannel&) = delete;
  CPteChannel& operator=(const CPteChannel&) = delete;

  // Opens "\\.\<port>" (e.g. "COM3") for blocking I/O with the given line settings.
  bool Open(LPCSTR portName, DWORD baud, BYTE parity, BYTE stopBits, BYTE dataBits);
  bool Close();
  bool IsOpen() const { return m_com != INVALID_HANDLE_VALUE; }
  DWORD OpenTick() const { return m_openTick; }

  // A read returns at once with what is there, else waits up to `ms` for the first byte; writes
  // may take `ms` in all.
  bool SetTimeout(DWORD ms);

  // Opens the port at `baud` 8N1 (twice: the first open settles the line), sends the wake-up
  // sequence, drops what came back, and sets the time-out.
  bool EnterPteMode(LPCSTR portName, DWORD timeoutMs, DWORD baud);

  bool SendPteFrame(LPCSTR text);
  // Reads until a valid reply frame came (its text goes into `text`, NUL-terminated) or a read
  // brings nothing.
  bool ReceivePteFrame(std::span<char> text);

  // Switches the phone to the command set of `modelCode` ("00129"): true when the phone takes it.
  bool UsePteCommand(LPCSTR modelCode);
  // Asks for the phone's software version and copies it, NUL-terminated, into `version` (cut to
  // fit `capacity` bytes).
  bool ShowSwVersion(LPSTR version, DWORD capacity);
  bool PowerOff();

 private:
  bool Write(const BYTE* bytes, DWORD count);
  DWORD Read(BYTE* buffer, DWORD count);
  // Sends `command` up to the retry count until a reply comes, then reads the late answers to the
  // repeated frames; the reply goes into `reply`.
  bool AskWithRetries(LPCSTR command, std::span<char> reply);
  // Receives one reply with the read time-out set to `ms` for that read only.
  bool ReceiveWithin(DWORD ms, std::span<char> text);

  HANDLE m_com = INVALID_HANDLE_VALUE;
  DWORD m_openTick = 0;
  int m_retryCount = 3;
};
