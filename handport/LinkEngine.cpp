// The link engine's connection to the link service: connecting, the hello, reading phone data
// from the packet queue, and waking the phone.
#include "LinkEngine.h"

#include <handport/PhoneErrors.h>

#include <linkwell/LinkPacket.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <kernel/Object.h>
#include <kernel/Process.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kPollInterval = 10;      // the reply wait's unit: it lasts (time-out / 10) + 1 of them
constexpr int kHelloTimeout = 20'000;  // the link service may search the ports meanwhile
constexpr int kHelloSize = 32;         // "COMn,<model>" and its NUL
constexpr int kDrainChunk = 8192;
constexpr DWORD kRefusedPause = 1000;  // between hellos while another program owns the link

}  // namespace

std::string CommandText(const char* format, ...) {
  char text[CLinkEngine::kTextSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return length < 0 ? std::string() : std::string(text, std::min<std::size_t>(length, sizeof text - 1));
}

CLinkEngine::CLinkEngine(LinkServiceAddress service)
    : m_service(std::move(service)),
      m_serviceLink(std::make_unique<CServiceLink>()),
      m_replyBuffer(std::make_unique<BYTE[]>(LINK_MAX_PAYLOAD)) {}

CLinkEngine::~CLinkEngine() = default;

void CLinkEngine::StartLinkService() {
  char commandLine[] = "Linkwell.exe Test";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

// Programs started together say hello at once: the service drops a hello that comes while it
// searches for another's, and refuses one while another program owns the link. Neither is an
// answer about the phone, so the hello is said again on a fresh connection: once after a hello
// went unanswered, and every second after a refusal until the hello's time-out has passed.
int CLinkEngine::Connect() {
  const DWORD start = GetTickCount();
  bool askedAgain = false;
  for (;;) {
    if (ConnectOnce()) return 1;
    if (!m_helloUnanswered) return 0;
    const DWORD error = GetLastError();
    if (m_helloRefused) {
      if (GetTickCount() - start >= static_cast<DWORD>(kHelloTimeout)) return 0;
      if (m_cancelEvent ? WaitForSingleObject(m_cancelEvent, kRefusedPause) == WAIT_OBJECT_0 : (Sleep(kRefusedPause), false))
        return Cancelled();
    } else if (askedAgain) {
      return 0;
    } else {
      askedAgain = true;
    }
    SetLastError(error);
  }
}

int CLinkEngine::ConnectOnce() {
  m_helloUnanswered = m_helloRefused = false;
  Disconnect();
  {
    std::lock_guard guard(m_cancelLock);
    m_linkOpen = 1;
    if (m_cancelEvent) ResetEvent(m_cancelEvent);  // only a cancel of this transfer ends its waits
  }
  // Whatever an earlier connection left unread is not the answer to this one's hello.
  ForgetPending();
  if (m_serviceLink->OpenLink(m_service.host.c_str(), m_service.port) != 0) {
    SetLastError(ERROR_LINK_DOWN);
    return 0;
  }
  if (!Hello()) return 0;
  m_serviceLink->SendPacket(nullptr, 0, PKT_CLAIM, LINK_FLAG);
  return 1;
}

int CLinkEngine::Hello() {
  m_serviceLink->SendPacket(nullptr, 0, PKT_CONNECT, LINK_FLAG);
  const int keptTimeout = m_replyTimeout;
  m_replyTimeout = kHelloTimeout;
  m_helloText.Empty();
  BYTE answer[kHelloSize] = {};
  const int received = ReadBytes(answer, kHelloSize);
  const DWORD readError = GetLastError();
  m_helloRefused = received == 0 && readError == ERROR_LINK_DOWN;
  m_helloUnanswered = m_helloRefused || (received == 0 && readError == ERROR_PHONE_NO_REPLY);
  // The answer is one NUL-terminated text within its 32 bytes; a longer one is no answer, and
  // none of it is left to be read as phone data.
  const bool whole = m_pending == 0 && std::find(answer, answer + received, BYTE{0}) != answer + received;
  ForgetPending();
  m_replyTimeout = keptTimeout;
  const char* text = reinterpret_cast<const char*>(answer);
  if (received > 0 && whole && text[0] != '\0') {
    if (const char* comma = std::strchr(text, ',')) m_helloText = comma + 1;
    SetLastError(0);
    return 1;
  }
  if (GetLastError() != ERROR_PA_CANCELLED) SetLastError(ERROR_PA_NO_MODEL);
  return 0;
}

void CLinkEngine::Disconnect() {
  {
    std::lock_guard guard(m_cancelLock);
    m_linkOpen = 0;
    if (m_cancelEvent) ResetEvent(m_cancelEvent);  // a cancel no wait took dies with its transfer
  }
  m_serviceLink->CloseLink();
}

void CLinkEngine::CancelTransfer() {
  std::lock_guard guard(m_cancelLock);
  if (m_linkOpen && m_cancelEvent) SetEvent(m_cancelEvent);
}

bool CLinkEngine::SendToPhone(const BYTE* bytes, DWORD length) {
  return m_serviceLink->SendPacket(bytes, length, PKT_TO_PHONE, LINK_FLAG) == static_cast<int>(length);
}

bool CLinkEngine::CancelSignalled() const {
  return m_cancelEvent && WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0;
}

void CLinkEngine::ForgetPending() {
  m_pending = 0;
  m_readPosition = 0;
}

int CLinkEngine::ReadBytes(BYTE* buffer, int maximum) {
  SetLastError(0);
  if (m_pending == 0) {
    ForgetPending();
    // The wait ends when a packet comes, not at the next look at the queue; its length stays what
    // it was when the queue was looked at every 10 ms: (time-out / 10) + 1 looks.
    const DWORD limit = static_cast<DWORD>(std::max(m_replyTimeout, 0) / kPollInterval + 1) * kPollInterval;
    const DWORD start = GetTickCount();
    const HANDLE waits[] = {m_serviceLink->PacketEvent(), m_cancelEvent};
    const DWORD waitCount = m_cancelEvent ? 2 : 1;
    std::vector<BYTE> packet;
    bool got = false;
    for (;;) {
      const bool taken = m_serviceLink->PopPacket(packet);
      if (CancelSignalled()) return Cancelled();
      if (taken) {
        const LinkPacketHeader header =
            UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(packet.data(), LINK_HEADER_SIZE));
        if (header.type == PKT_REFUSED) {
          SetLastError(ERROR_LINK_DOWN);
          return 0;
        }
        const DWORD length = static_cast<DWORD>(packet.size()) - LINK_HEADER_SIZE;
        if (length == 0) continue;
        std::copy(packet.begin() + LINK_HEADER_SIZE, packet.end(), m_replyBuffer.get());
        m_pending = length;
        m_readPosition = 0;
        got = true;
        break;
      }
      const DWORD waited = GetTickCount() - start;
      if (waited >= limit) break;
      // The cancel event wakes the wait too; being auto-reset, the wait takes its signal.
      if (WaitForMultipleObjects(waitCount, waits, FALSE, limit - waited) == WAIT_OBJECT_0 + 1) return Cancelled();
    }
    if (!got) {
      SetLastError(ERROR_PHONE_NO_REPLY);
      return 0;
    }
  }
  const DWORD count = std::min<DWORD>(m_pending, static_cast<DWORD>(std::max(maximum, 0)));
  std::copy_n(m_replyBuffer.get() + m_readPosition, count, buffer);
  m_readPosition += count;
  m_pending -= count;
  return static_cast<int>(count);
}

int CLinkEngine::Cancelled() {
  ForgetPending();
  SetLastError(ERROR_PA_CANCELLED);
  return 0;
}

int CLinkEngine::WakePhone(int replyTimeout) {
  if (!Connect()) return 0;
  if (!SendWakeUpSequence()) {
    SetLastError(ERROR_LINK_DOWN);
    return 0;
  }
  // The phone's echoes and greetings are thrown away until it has been silent for the drain time.
  m_replyTimeout = m_wakeUpDrainTime;
  std::vector<BYTE> scratch(kDrainChunk);
  while (ReadBytes(scratch.data(), kDrainChunk) > 0) {
  }
  const DWORD error = GetLastError();
  // A refused link is no woken phone.
  if (error == ERROR_PA_CANCELLED || error == ERROR_LINK_DOWN) return 0;
  m_replyTimeout = replyTimeout;
  SetLastError(0);
  return 1;
}

void CLinkEngine::SetProgressCallback(PA_PROGRESS_CALLBACK callback, void* user) {
  m_progress = callback;
  m_progressUser = user;
}

void CLinkEngine::ReportProgress(int total, int current) const {
  if (m_progress) m_progress(total, current, m_progressUser);
}
