#include "PteChannel.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <base/Time.h>
#include <comm/Comm.h>
#include <kernel/File.h>
#include <kernel/Object.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kWakeUpSettle = 100;  // ms the phone takes to answer the wake-up before it is dropped
constexpr DWORD kMoreReplyWait = 100; // a two-field answer to "UsePteCommand" is followed within this
constexpr DWORD kLateReplyWait = 300; // how long a late answer to a repeated frame is waited for

// The reply's fields between ':' characters; runs of ':' separate like one.
std::vector<std::string_view> SplitFields(std::string_view reply) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < reply.size()) {
    const std::size_t start = reply.find_first_not_of(':', at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(reply.find(':', start), reply.size());
    fields.push_back(reply.substr(start, end - start));
    at = end;
  }
  return fields;
}

// The C library's decimal reading: optional sign and leading digits; 0 when there are none.
long DecimalValue(std::string_view text) {
  std::string copy(text);
  return std::strtol(copy.c_str(), nullptr, 10);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

CPteChannel::~CPteChannel() {
  if (IsOpen()) Close();
}

bool CPteChannel::Open(LPCSTR portName, DWORD baud, BYTE parity, BYTE stopBits, BYTE dataBits) {
  if (IsOpen()) Close();
  const std::string device = std::string("\\\\.\\") + portName;
  HANDLE com = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (com == INVALID_HANDLE_VALUE) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  bool ok = SetupComm(com, kQueueSize, kQueueSize) && GetCommState(com, &dcb);
  if (ok) {
    dcb.BaudRate = baud;
    dcb.StopBits = stopBits;
    dcb.ByteSize = dataBits;
    dcb.Parity = parity;
    dcb.fBinary = 1;
    dcb.fParity = parity != NOPARITY ? 1 : 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    ok = SetCommState(com, &dcb);
  }
  if (!ok) {
    const DWORD error = GetLastError();
    CloseHandle(com);
    SetLastError(error);
    return false;
  }
  m_com = com;
  m_openTick = GetTickCount();
  return true;
}

bool CPteChannel::Close() {
  m_openTick = 0;
  if (!IsOpen()) return false;
  FlushFileBuffers(m_com);
  const BOOL closed = CloseHandle(m_com);
  m_com = INVALID_HANDLE_VALUE;
  return closed != FALSE;
}

bool CPteChannel::SetTimeout(DWORD ms) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, ms, 0, ms};
  return SetCommTimeouts(m_com, &timeouts) != FALSE;
}

bool CPteChannel::Write(const BYTE* bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(m_com, bytes, count, &written, nullptr) && written == count;
}

DWORD CPteChannel::Read(BYTE* buffer, DWORD count) {
  DWORD read = 0;
  if (!ReadFile(m_com, buffer, count, &read, nullptr)) return 0;
  if (read == 0) SetLastError(ERROR_PHONE_NO_REPLY);
  return read;
}

bool CPteChannel::EnterPteMode(LPCSTR portName, DWORD timeoutMs, DWORD baud) {
  if (!Open(portName, baud, NOPARITY, ONESTOPBIT, 8)) return false;
  Close();
  if (!Open(portName, baud, NOPARITY, ONESTOPBIT, 8)) return false;
  for (std::span<const BYTE> part : PteWakeUpSequence()) {
    if (!Write(part.data(), static_cast<DWORD>(part.size()))) return false;
  }
  Sleep(kWakeUpSettle);
  PurgeComm(m_com, PURGE_RXCLEAR);
  return SetTimeout(timeoutMs);
}

bool CPteChannel::SendPteFrame(LPCSTR text) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  const std::string_view command(text);
  std::vector<BYTE> frame(PteFrameCapacity(static_cast<DWORD>(command.size())));
  const DWORD size = EncodePteFrame(command, frame);
  return size != 0 && Write(frame.data(), size);
}

bool CPteChannel::ReceivePteFrame(std::span<char> text) {
  if (!IsOpen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  PteFrameCollector collector(kBufferSize);
  bool heardNoise = false;  // bytes that made no reply: the phone answered, but not sensibly
  for (;;) {
    BYTE byte = 0;
    if (Read(&byte, 1) == 0) {
      if (heardNoise && GetLastError() == ERROR_PHONE_NO_REPLY) SetLastError(ERROR_PHONE_BAD_REPLY);
      return false;
    }
    switch (collector.Feed(byte)) {
      case PteFrameCollector::PTE_FRAME:
        if (DecodePteFrame(collector.Collected(), text)) return true;
        // An echo of our own frame begins with 0x00 and reads as an empty text: that is no noise.
        if (!collector.Collected().empty() && collector.Collected()[0] != 0) heardNoise = true;
        break;
      case PteFrameCollector::PTE_OVERLONG:
        heardNoise = true;
        break;
      case PteFrameCollector::PTE_MORE:
        break;
    }
  }
}

bool CPteChannel::ReceiveWithin(DWORD ms, std::span<char> text) {
  COMMTIMEOUTS saved{};
  if (!GetCommTimeouts(m_com, &saved)) return false;
  COMMTIMEOUTS brief = saved;
  brief.ReadIntervalTimeout = MAXDWORD;
  brief.ReadTotalTimeoutMultiplier = MAXDWORD;
  brief.ReadTotalTimeoutConstant = ms;
  if (!SetCommTimeouts(m_com, &brief)) return false;
  const bool received = ReceivePteFrame(text);
  const DWORD error = GetLastError();
  SetCommTimeouts(m_com, &saved);
  SetLastError(error);
  return received;
}

bool CPteChannel::UsePteCommand(LPCSTR modelCode) {
  char buffer[kBufferSize];
  std::snprintf(buffer, sizeof buffer, "UsePteCommand,%s", modelCode);
  if (!SendPteFrame(buffer) || !ReceivePteFrame(buffer)) return false;
  std::vector<std::string_view> fields = SplitFields(buffer);
  if (fields.size() == 2) {
    // The phone announces the switch first and confirms it in a second reply.
    if (!ReceiveWithin(kMoreReplyWait, buffer)) return false;
    fields = SplitFields(buffer);
  }
  if (fields.size() == 3 && DecimalValue(fields[2]) == 1) return true;
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return false;
}

bool CPteChannel::AskWithRetries(LPCSTR command, std::span<char> reply) {
  int failed = 0;
  bool answered = false;
  bool heardNoise = false;
  for (int attempt = 0; attempt < m_retryCount; ++attempt) {
    if (!SendPteFrame(command)) return false;
    if (ReceivePteFrame(reply)) {
      answered = true;
      break;
    }
    if (GetLastError() == ERROR_PHONE_BAD_REPLY) heardNoise = true;
    ++failed;
  }
  if (!answered) {
    SetLastError(heardNoise ? ERROR_PHONE_BAD_REPLY : ERROR_PHONE_NO_REPLY);
    return false;
  }
  // Each repeated frame may still be answered late: take those answers off the line now, so that
  // none is taken for the reply to the next command.
  char scratch[kBufferSize];
  for (int i = 0; i < failed; ++i) ReceiveWithin(kLateReplyWait, scratch);
  return true;
}

bool CPteChannel::PowerOff() {
  char reply[kBufferSize];
  if (!AskWithRetries("PowerOff", reply)) return false;
  if (EqualsIgnoringCase(reply, "PowerOff:DONE")) return true;
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return false;
}

bool CPteChannel::ShowSwVersion(LPSTR version, DWORD capacity) {
  char reply[kBufferSize];
  if (!AskWithRetries("ShowSwVersion", reply)) return false;
  const std::vector<std::string_view> fields = SplitFields(reply);
  if (fields.size() <= 2 || version == nullptr || capacity == 0) {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return false;
  }
  const std::size_t length = std::min<std::size_t>(fields[2].size(), capacity - 1);
  std::memcpy(version, fields[2].data(), length);
  version[length] = '\0';
  return true;
}
