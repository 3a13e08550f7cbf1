#include "LinkHarness.h"

#include <linkwell/PteFrame.h>

#include <base/Time.h>
#include <framework/AsyncSocket.h>
#include <kernel/MessageQueue.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace linkwell::testing {

// --- RecordingFrame ---

void RecordingFrame::Record(std::string call) {
  std::lock_guard lock(m_lock);
  m_calls.push_back(std::move(call));
  m_changed.notify_all();
}

void RecordingFrame::StartAnimation(TrayAnimation animation) {
  Record(animation == TrayAnimation::Search ? "StartAnimation Search" : "StartAnimation InUse");
}
void RecordingFrame::StopAnimation() { Record("StopAnimation"); }
void RecordingFrame::ShowStatus(UINT icon, const std::string& status) {
  Record("ShowStatus " + std::to_string(icon) + " " + status);
}
void RecordingFrame::SetIdleTimer(UINT ms) {
  {
    std::lock_guard lock(m_lock);
    m_timerDue = GetTickCount() + ms;
    m_timerPeriod = ms;
  }
  Record("SetIdleTimer " + std::to_string(ms));
}
void RecordingFrame::KillIdleTimer() {
  {
    std::lock_guard lock(m_lock);
    m_timerDue.reset();
  }
  Record("KillIdleTimer");
}
void RecordingFrame::PostNotice(UINT stringId) { Record("PostNotice " + std::to_string(stringId)); }
std::string RecordingFrame::LoadText(UINT stringId) {
  switch (stringId) {
    case IDS_NO_PHONE_CONNECTED: return "No phone connected.";
    case IDS_CONNECTED_ON: return " connected on ";
    default: return "?" + std::to_string(stringId);
  }
}
void RecordingFrame::ReportSocketError(int error) { Record("ReportSocketError " + std::to_string(error)); }

std::vector<std::string> RecordingFrame::Calls() const {
  std::lock_guard lock(m_lock);
  return m_calls;
}

bool RecordingFrame::Called(const std::string& call) const {
  std::lock_guard lock(m_lock);
  return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
}

bool RecordingFrame::WaitFor(const std::string& call, DWORD ms) const {
  std::unique_lock lock(m_lock);
  return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] {
    return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
  });
}

void RecordingFrame::Forget() {
  std::lock_guard lock(m_lock);
  m_calls.clear();
}

bool RecordingFrame::TakeTimerTick() {
  std::lock_guard lock(m_lock);
  const DWORD now = GetTickCount();
  if (!m_timerDue || static_cast<LONG>(now - *m_timerDue) < 0) return false;
  m_timerDue = now + m_timerPeriod;
  return true;
}

// --- ServiceHost ---

ServiceHost::ServiceHost(RecordingFrame& frame, std::string phoneListPath)
    : m_frame(frame), m_phoneListPath(std::move(phoneListPath)) {
  m_thread = std::thread([this] { Run(); });
  std::unique_lock lock(m_lock);
  m_changed.wait(lock, [&] { return m_started; });
}

ServiceHost::~ServiceHost() { Stop(); }

void ServiceHost::Run() {
  AfxSocketInit();
  CLinkService service(m_frame);
  const int error = service.Start(0, m_phoneListPath.c_str());
  EXPECT_EQ(error, 0);
  {
    std::lock_guard lock(m_lock);
    m_port = service.ListeningPort();
    m_started = true;
  }
  m_changed.notify_all();
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    tolvar::framework::PumpSocketNotifications();
    if (m_frame.TakeTimerTick()) service.OnIdleTimer();
    std::unique_lock lock(m_lock);
    if (m_task) {
      m_task(service);
      m_task = nullptr;
      m_changed.notify_all();
    }
    if (m_stop) break;
  }
  const DWORD start = GetTickCount();
  service.Stop();
  std::lock_guard lock(m_lock);
  m_stopTook = GetTickCount() - start;
  m_stopped = true;
}

void ServiceHost::OnMainThread(const std::function<void(CLinkService&)>& task) {
  std::unique_lock lock(m_lock);
  m_task = task;
  m_changed.wait(lock, [&] { return !m_task; });
}

DWORD ServiceHost::Stop() {
  {
    std::lock_guard lock(m_lock);
    if (m_stopped || !m_thread.joinable()) return m_stopTook;
    m_stop = true;
  }
  m_thread.join();
  return m_stopTook;
}

// --- LinkClient ---

LinkClient::LinkClient(UINT port) {
  AfxSocketInit();
  m_socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  m_connected = connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  const DWORD timeout = 20;
  setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}

LinkClient::~LinkClient() { Close(); }

void LinkClient::Close() {
  if (m_socket != INVALID_SOCKET) closesocket(m_socket);
  m_socket = INVALID_SOCKET;
}

void LinkClient::Reset() {
  if (m_socket == INVALID_SOCKET) return;
  const linger abort{1, 0};
  setsockopt(m_socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
  Close();
}

void LinkClient::Send(BYTE type, const Bytes& payload) {
  Bytes packet(LINK_HEADER_SIZE + payload.size());
  packet.resize(BuildLinkPacket(type, payload, LINK_FLAG, packet));
  std::size_t at = 0;
  while (at < packet.size()) {
    const int n = send(m_socket, reinterpret_cast<const char*>(packet.data() + at), static_cast<int>(packet.size() - at), 0);
    ASSERT_GT(n, 0) << WSAGetLastError();
    at += static_cast<std::size_t>(n);
  }
}

std::optional<LinkPacket> LinkClient::Receive(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (m_pending.size() >= LINK_HEADER_SIZE) {
      const LinkPacketHeader header =
          UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(m_pending.data(), LINK_HEADER_SIZE));
      EXPECT_TRUE(IsValidLinkPacketHeader(header));
      if (m_pending.size() >= LINK_HEADER_SIZE + header.length) {
        LinkPacket packet{header.type, Bytes(m_pending.begin() + LINK_HEADER_SIZE,
                                             m_pending.begin() + LINK_HEADER_SIZE + header.length)};
        m_pending.erase(m_pending.begin(), m_pending.begin() + LINK_HEADER_SIZE + header.length);
        return packet;
      }
    }
    if (GetTickCount() - start >= ms) return std::nullopt;
    char buffer[65536];
    const int n = recv(m_socket, buffer, sizeof buffer, 0);
    if (n > 0) {
      m_pending.insert(m_pending.end(), buffer, buffer + n);
    } else if (n == 0 || WSAGetLastError() != WSAETIMEDOUT) {
      Sleep(20);  // the service ended the connection: nothing more comes
    }
  }
}

std::optional<LinkPacket> LinkClient::ReceiveSome(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return std::nullopt;
    std::optional<LinkPacket> packet = Receive(ms - spent);
    if (!packet || packet->type != PKT_FROM_PHONE || !packet->payload.empty()) return packet;
  }
}

std::optional<std::string> LinkClient::ReceiveReply(DWORD ms, std::optional<LinkPacket>* other) {
  PteFrameCollector collector(4096);
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return std::nullopt;
    std::optional<LinkPacket> packet = ReceiveSome(ms - spent);
    if (!packet) return std::nullopt;
    if (packet->type != PKT_FROM_PHONE) {
      if (other) *other = packet;
      return std::nullopt;
    }
    for (BYTE byte : packet->payload) {
      if (collector.Feed(byte) != PteFrameCollector::PTE_FRAME) continue;
      char text[4096];
      if (DecodePteFrame(collector.Collected(), text)) return std::string(text);
    }
  }
}

void LinkClient::WakePhone() {
  Bytes wakeUp;
  for (std::span<const BYTE> part : PteWakeUpSequence()) wakeUp.insert(wakeUp.end(), part.begin(), part.end());
  Send(PKT_TO_PHONE, wakeUp);
  // The echo and "OK" of "AT*TRACE" come back; the phone is in command mode once they have.
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 300) ReceiveSome(50);
}

void LinkClient::SendFrame(const std::string& command) {
  Bytes frame(PteFrameCapacity(static_cast<DWORD>(command.size())));
  frame.resize(EncodePteFrame(command, frame));
  Send(PKT_TO_PHONE, frame);
}

std::string Hello(LinkClient& client, DWORD ms) {
  client.Send(PKT_CONNECT);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    std::optional<LinkPacket> packet = client.ReceiveSome(ms - (GetTickCount() - start));
    if (!packet) break;
    if (packet->type != PKT_CONNECT_RESULT) continue;
    EXPECT_FALSE(packet->payload.empty());
    EXPECT_EQ(packet->payload.back(), 0) << "the result ends in its NUL";
    const std::string text = packet->Text();
    return text.substr(0, text.find('\0'));
  }
  return "<none>";
}

}  // namespace linkwell::testing
