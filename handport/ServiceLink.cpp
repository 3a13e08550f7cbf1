#include "ServiceLink.h"

#include <linkwell/LinkPacket.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Thread.h>
#include <kernel/Wait.h>

#include <span>

CServiceLink::CServiceLink()
    : m_sendBuffer(std::make_unique<BYTE[]>(LINK_MAX_PACKET)),
      m_receiveBuffer(std::make_unique<BYTE[]>(LINK_MAX_PACKET)),
      m_packetEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

CServiceLink::~CServiceLink() {
  CloseLink();
}

int CServiceLink::OpenLink(const char* host, u_short port) {
  Close();
  if (int error = CreateSocket(); error != 0) return error;
  if (int error = ConnectTo(host, port); error != 0) {
    CloseSocket();
    return error;
  }
  m_assembler.Clear();
  m_thread.Reset(CreateThread(nullptr, 0, ReceiveThread, this, 0, &m_threadId));
  if (!m_thread) {
    const int error = static_cast<int>(GetLastError());
    CloseSocket();
    return error;
  }
  return 0;
}

int CServiceLink::SendPacket(const BYTE* payload, DWORD length, BYTE type, BYTE flag) {
  if (!IsOpen()) return 0;
  if (length > LINK_MAX_PAYLOAD) length = LINK_MAX_PAYLOAD;
  const DWORD size = BuildLinkPacket(type, std::span<const BYTE>(payload, payload ? length : 0), flag,
                                     std::span<BYTE>(m_sendBuffer.get(), LINK_MAX_PACKET));
  const int sent = send(m_socket, reinterpret_cast<const char*>(m_sendBuffer.get()), static_cast<int>(size), 0);
  if (sent < static_cast<int>(LINK_HEADER_SIZE)) return 0;
  Sleep(1);
  return sent - static_cast<int>(LINK_HEADER_SIZE);
}

bool CServiceLink::PopPacket(std::vector<BYTE>& packet) {
  std::lock_guard lock(m_queueLock);
  if (m_queue.empty()) return false;
  packet = std::move(m_queue.front());
  m_queue.pop_front();
  return true;
}

int CServiceLink::CloseLink() {
  if (IsOpen()) {
    SendPacket(nullptr, 0, PKT_RELEASE, LINK_FLAG);
    Sleep(10);
  }
  Close();
  return static_cast<int>(GetLastError());
}

void CServiceLink::Close() {
  if (IsOpen() && m_thread) {
    // The receive thread is inside recv: shutting the connection down ends that read, and the
    // thread is joined before the socket goes, so it never reads from a closed one.
    shutdown(m_socket, SD_BOTH);
    WaitForSingleObject(m_thread.Get(), INFINITE);
  }
  if (m_thread) {
    m_thread.Reset();
    m_threadId = 0;
  }
  CloseSocket();
  std::lock_guard lock(m_queueLock);
  m_queue.clear();
}

DWORD CServiceLink::ReceiveThread(LPVOID self) {
  static_cast<CServiceLink*>(self)->Receive();
  return 0;
}

void CServiceLink::Receive() {
  const std::span<BYTE> packet(m_receiveBuffer.get(), LINK_MAX_PACKET);
  while (true) {
    const std::span<BYTE> space = m_assembler.FreeSpace();
    const int received = recv(m_socket, reinterpret_cast<char*>(space.data()), static_cast<int>(space.size()), 0);
    // A closed connection or a failed read ends the thread; it does not spin.
    if (received <= 0) return;
    m_assembler.Commit(static_cast<DWORD>(received));
    while (const DWORD size = m_assembler.TakePacket(packet)) {
      std::vector<BYTE> entry(packet.begin(), packet.begin() + size);
      {
        std::lock_guard lock(m_queueLock);
        m_queue.push_back(std::move(entry));
      }
      SetEvent(m_packetEvent.Get());
    }
  }
}
