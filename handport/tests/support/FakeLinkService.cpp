#include "FakeLinkService.h"

#include <linkwell/LinkPacketAssembler.h>

#include <base/LastError.h>

#include <cstring>

namespace {

constexpr BYTE kDle = 0x10;
constexpr BYTE kSyn = 0x16;
constexpr BYTE kEsc = 0x1B;

}  // namespace

FakeLinkService::FakeLinkService() {
  WSADATA data;
  WSAStartup(0x0101, &data);
  m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  sockaddr name{};
  std::memcpy(&name, &address, sizeof address);
  int length = sizeof name;
  if (bind(m_listener, &name, sizeof name) != 0 || listen(m_listener, 5) != 0 ||
      getsockname(m_listener, &name, &length) != 0) {
    closesocket(m_listener);
    m_listener = INVALID_SOCKET;
    return;
  }
  std::memcpy(&address, &name, sizeof address);
  m_port = ntohs(address.sin_port);
  m_server = std::thread([this] { Serve(); });
}

FakeLinkService::~FakeLinkService() {
  m_stopping = true;
  if (m_listener != INVALID_SOCKET) closesocket(m_listener);  // ends the accept
  {
    std::lock_guard lock(m_lock);
    if (m_client != INVALID_SOCKET) shutdown(m_client, SD_BOTH);  // ends the client's read
  }
  if (m_server.joinable()) m_server.join();
  WSACleanup();
}

void FakeLinkService::SetHelloAnswer(std::string bytes) {
  std::lock_guard lock(m_lock);
  m_hello = std::move(bytes);
}

void FakeLinkService::SetPhoneScript(PhoneScript script) {
  std::lock_guard lock(m_scriptLock);
  m_script = std::move(script);
}

void FakeLinkService::SendToClient(BYTE type, std::string_view payload) {
  std::lock_guard lock(m_lock);
  SendLocked(type, payload);
}

bool FakeLinkService::SendLocked(BYTE type, std::string_view payload) {
  if (m_client == INVALID_SOCKET) return false;
  std::vector<BYTE> packet(LINK_HEADER_SIZE + payload.size());
  const DWORD size = BuildLinkPacket(
      type, std::span(reinterpret_cast<const BYTE*>(payload.data()), payload.size()), LINK_FLAG, packet);
  return send(m_client, reinterpret_cast<const char*>(packet.data()), static_cast<int>(size), 0) ==
         static_cast<int>(size);
}

std::vector<std::string> FakeLinkService::Commands() const {
  std::lock_guard lock(m_lock);
  return m_commands;
}

std::vector<BYTE> FakeLinkService::PacketTypes() const {
  std::lock_guard lock(m_lock);
  return m_types;
}

std::string FakeLinkService::ReplyFrame(std::string_view text) {
  std::string frame(1, '\xFC');
  for (char c : text) {
    const auto b = static_cast<BYTE>(c);
    if (b == kDle || b == kSyn || b == kEsc) frame += static_cast<char>(kDle);
    frame += c;
  }
  frame += '\n';
  frame += static_cast<char>(kSyn);
  return frame;
}

void FakeLinkService::Serve() {
  while (!m_stopping) {
    const SOCKET client = accept(m_listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    ++m_connections;
    {
      std::lock_guard lock(m_lock);
      m_client = client;
      m_frameState = FrameState::Idle;
    }
    ServeClient(client);
    std::lock_guard lock(m_lock);
    m_client = INVALID_SOCKET;
    closesocket(client);
  }
}

void FakeLinkService::ServeClient(SOCKET client) {
  LinkPacketAssembler assembler;
  std::vector<BYTE> packet(LINK_MAX_PACKET);
  while (!m_stopping) {
    const std::span<BYTE> space = assembler.FreeSpace();
    const int received = recv(client, reinterpret_cast<char*>(space.data()), static_cast<int>(space.size()), 0);
    if (received <= 0) return;
    assembler.Commit(static_cast<DWORD>(received));
    while (const DWORD size = assembler.TakePacket(packet)) {
      const LinkPacketHeader header =
          UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(packet.data(), LINK_HEADER_SIZE));
      HandlePacket(header, std::string_view(reinterpret_cast<const char*>(packet.data()) + LINK_HEADER_SIZE,
                                            size - LINK_HEADER_SIZE));
    }
  }
}

void FakeLinkService::HandlePacket(const LinkPacketHeader& header, std::string_view payload) {
  std::unique_lock lock(m_lock);
  m_types.push_back(header.type);
  switch (header.type) {
    case PKT_CONNECT:
      if (m_refusedHellos > 0) {
        --m_refusedHellos;
        SendLocked(PKT_REFUSED, {});
        break;
      }
      SendLocked(PKT_CONNECT_RESULT, m_hello);
      break;
    case PKT_CLAIM:
      if (m_refusing) SendLocked(PKT_REFUSED, {});
      break;
    case PKT_TO_PHONE:
      if (m_refusing) {
        SendLocked(PKT_REFUSED, {});
      } else {
        lock.unlock();
        PhoneBytes(payload);
      }
      break;
    default:
      break;
  }
}

void FakeLinkService::PhoneBytes(std::string_view bytes) {
  for (char c : bytes) {
    const auto b = static_cast<BYTE>(c);
    std::string command;
    {
      std::lock_guard lock(m_lock);
      switch (m_frameState) {
        case FrameState::Idle:
          if (b == 0x00) {
            m_frameState = FrameState::Text;
            m_frame.clear();
          }
          continue;
        case FrameState::Escaped:
          m_frame += c;
          m_frameState = FrameState::Text;
          continue;
        case FrameState::Text:
          if (b == kDle) {
            m_frameState = FrameState::Escaped;
            continue;
          }
          if (b != kSyn) {
            m_frame += c;
            continue;
          }
          m_frameState = FrameState::Idle;
          command = m_frame;
          m_commands.push_back(command);
      }
    }
    // The script runs under its own lock, so that once SetPhoneScript returns, no call of the old
    // script is under way: what it touches may then go.
    std::lock_guard scriptLock(m_scriptLock);
    if (!m_script) continue;
    for (const std::string& chunk : m_script(command)) SendToClient(PKT_FROM_PHONE, chunk);
  }
}
