#include "RelaySocket.h"

#include <base/Time.h>
#include <base/WinError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <net/WinSock.h>

#include <algorithm>

namespace {


// The system's longest queue of connections waiting to be accepted: with a short one, clients that
// arrive together wait a second each for a retry.
constexpr int kBacklog = SOMAXCONN;
constexpr DWORD kAcceptRetryPause = 50;  // out of descriptors: the waiting client is taken later
constexpr DWORD kConnectPause = 100;   // a connect still under way counts as made after this
constexpr DWORD kSendPause = 1;        // after each control packet, so that a run of them is paced
constexpr DWORD kSendPatience = 3000;  // how long a peer that reads nothing may keep a send waiting
constexpr char kLoopback[] = "127.0.0.1";

// Each packet goes out at once: the link is a conversation of small packets, and a packet held back
// for the acknowledgement of the one before costs the round trip a delayed acknowledgement.
void SendWithoutDelay(SOCKET socket) {
  const int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

}  // namespace

CRelaySocket::CRelaySocket(CRelaySocket* owner)
    : m_owner(owner),
      m_dataEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_sendBuffer(std::make_unique<BYTE[]>(LINK_MAX_PACKET)) {}

CRelaySocket::~CRelaySocket() {
  Close();
}

void CRelaySocket::ReportSocketError(int error) {
  CRelaySocket* listener = Listener();
  if (listener->onSocketError) listener->onSocketError(error);
}

int CRelaySocket::OpenLink(LPCSTR address, UINT port, int mode) {
  const bool listen = mode == kListen;
  const bool created = listen ? Create(port, SOCK_STREAM, kAllEvents, address && *address ? address : kLoopback)
                              : Create(0, SOCK_STREAM, kAllEvents, nullptr);
  bool ok = created;
  if (ok && listen) ok = Listen(kBacklog);
  if (ok && !listen && !Connect(address, port)) {
    ok = GetLastError() == WSAEWOULDBLOCK;
    if (ok) Sleep(kConnectPause);
  }
  if (ok) {
    m_listening = listen;
    if (!listen) SendWithoutDelay(m_hSocket);
    return 0;
  }
  const int error = GetLastError();
  Close();
  ReportSocketError(error);
  return error;
}

void CRelaySocket::OnAccept(int error) {
  if (error != 0) {
    ReportSocketError(error);
    return;
  }
  auto connection = std::make_unique<CRelaySocket>(this);
  if (!Accept(*connection)) {
    // A client that gave up between the notification and the accept leaves nobody waiting: that
    // is no fault to show. The listener goes on either way.
    const int acceptError = GetLastError();
    if (acceptError == WSAEMFILE || acceptError == WSAENOBUFS) {
      // The process is out of descriptors for now (a flood of clients, or the system's limit): the
      // client stays queued and the accept is tried again at the next notification, after a pause
      // that keeps the retries from spinning. Nothing to show: a box needs descriptors too.
      Sleep(kAcceptRetryPause);
      return;
    }
    if (acceptError != WSAEWOULDBLOCK) ReportSocketError(acceptError);
    return;
  }
  SendWithoutDelay(connection->m_hSocket);
  std::lock_guard lock(m_lock);
  m_connections.push_back(std::move(connection));
}

void CRelaySocket::OnReceive(int error) {
  if (error != 0) {
    ReportSocketError(error);
    return;
  }
  m_dataReported = true;
  SetEvent(Listener()->m_dataEvent.Get());
}

void CRelaySocket::OnClose(int error) {
  CRelaySocket* listener = Listener();
  {
    std::lock_guard lock(listener->m_lock);
    Close();
    m_peerClosed = true;
  }
  // The worker takes what whole packets are left and then frees the connection.
  SetEvent(listener->m_dataEvent.Get());
  // Shown only once the socket is closed: the report may wait for the user, and a client must not
  // hold a descriptor for as long as a box is up. The worker may free this connection from now
  // on, so the report goes through the listener.
  if (error != 0 && error != WSAECONNABORTED) listener->ReportSocketError(error);
}

bool CRelaySocket::IsLive(CRelaySocket* peer) const {
  if (peer == this) return !m_listening;
  return std::any_of(m_connections.begin(), m_connections.end(),
                     [peer](const std::unique_ptr<CRelaySocket>& c) { return c.get() == peer; });
}

bool CRelaySocket::ReadOnce() {
  if (m_peerClosed) return false;
  const std::span<BYTE> space = m_assembler.FreeSpace();
  if (space.empty()) return false;  // a whole packet waits; it is taken first
  const int read = Receive(space.data(), static_cast<int>(std::min<std::size_t>(space.size(), LINK_MAX_PAYLOAD)));
  if (read <= 0) {
    m_dataReported = false;  // would block, or the peer closed (OnClose follows)
    if (read == 0) m_streamEnded = true;
    return false;
  }
  m_assembler.Commit(static_cast<DWORD>(read));
  return true;
}

bool CRelaySocket::HasHungUp(CRelaySocket* connection) {
  if (m_owner) return m_owner->HasHungUp(connection);
  std::lock_guard lock(m_lock);
  if (connection == this || !IsLive(connection)) return connection != this;
  while (connection->ReadOnce()) {
  }
  const bool ended = connection->m_peerClosed || connection->m_streamEnded;
  if (connection->m_assembler.HasPacket()) SetEvent(m_dataEvent.Get());  // read in here: taken later
  return ended;
}

DWORD CRelaySocket::Take(CRelaySocket* from, BYTE* destination) {
  const DWORD size = from->m_assembler.TakePacket(std::span<BYTE>(destination, LINK_MAX_PACKET));
  if (size == 0) return 0;
  m_currentPeer = from;
  return size;
}

void CRelaySocket::FreeClosedConnections() {
  std::vector<std::unique_ptr<CRelaySocket>> freed;
  {
    std::lock_guard lock(m_lock);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
      CRelaySocket* c = it->get();
      if (c->m_peerClosed && !c->m_assembler.HasPacket()) {
        if (m_currentPeer == c) m_currentPeer = this;
        freed.push_back(std::move(*it));
        it = m_connections.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& connection : freed) {
    if (onConnectionFreed) onConnectionFreed(connection.get());
  }
}

DWORD CRelaySocket::ReceivePacket(BYTE* destination) {
  if (m_owner) return m_owner->ReceivePacket(destination);
  // Connections closed since the last call are freed now, after their last packet was handled.
  FreeClosedConnections();

  std::lock_guard lock(m_lock);
  std::vector<CRelaySocket*> sources;
  if (!m_listening) {
    sources.push_back(this);  // a connecting socket reads its own stream
  } else {
    // The connections take turns: the one after the current peer first, the current peer last, so
    // a connection that always has a packet waiting cannot keep the others from theirs.
    const auto current = std::find_if(m_connections.begin(), m_connections.end(),
                                      [this](const std::unique_ptr<CRelaySocket>& c) { return c.get() == m_currentPeer; });
    const auto next = current == m_connections.end() ? m_connections.begin() : current + 1;
    for (auto it = next; it != m_connections.end(); ++it) sources.push_back(it->get());
    for (auto it = m_connections.begin(); it != next; ++it) sources.push_back(it->get());
  }
  // Each source in turn gives a packet it holds whole, or else reads and gives the packet that
  // completes: a source with whole packets waiting does not come before one whose bytes are unread.
  DWORD size = 0;
  for (CRelaySocket* source : sources) {
    size = Take(source, destination);
    if (size == 0 && source->m_dataReported && source->ReadOnce()) size = Take(source, destination);
    if (size != 0) break;
  }
  // Come back for what is left: another whole packet, bytes not read yet, or a closed connection
  // to free.
  const bool more =
      std::any_of(sources.begin(), sources.end(),
                  [](CRelaySocket* s) { return s->m_dataReported || s->m_assembler.HasPacket(); }) ||
      std::any_of(m_connections.begin(), m_connections.end(),
                  [](const std::unique_ptr<CRelaySocket>& c) { return c->m_peerClosed; });
  if (more) SetEvent(m_dataEvent.Get());
  return size;
}

bool CRelaySocket::SendWhole(const BYTE* bytes, DWORD size, DWORD patience) {
  DWORD sent = 0;
  const DWORD start = GetTickCount();
  while (sent < size) {
    const int n = Send(bytes + sent, static_cast<int>(size - sent));
    if (n > 0) {
      sent += static_cast<DWORD>(n);
      continue;
    }
    if (n == SOCKET_ERROR && GetLastError() == WSAEWOULDBLOCK && GetTickCount() - start < patience) {
      Sleep(1);  // the peer's window is full; it reads soon or counts as gone
      continue;
    }
    return false;
  }
  return true;
}

int CRelaySocket::SendPacketLocked(CRelaySocket* peer, const void* payload, DWORD length, BYTE type, BYTE flag,
                                   DWORD patience) {
  if (peer == nullptr || !IsLive(peer) || peer->m_peerClosed || peer->m_broken) return 0;
  length = std::min(length, LINK_MAX_PAYLOAD);
  const DWORD size = BuildLinkPacket(type, std::span<const BYTE>(static_cast<const BYTE*>(payload), payload ? length : 0),
                                     flag, std::span<BYTE>(m_sendBuffer.get(), LINK_MAX_PACKET));
  if (size == 0) return 0;
  if (!peer->SendWhole(m_sendBuffer.get(), size, patience)) {
    // Part of the packet may have gone out, and the peer would read the rest of the stream out of
    // step, or the peer is gone: end the connection, so that the peer sees the link go down. The
    // socket's own thread closes it when the close is reported (OnClose).
    peer->m_broken = true;
    shutdown(peer->m_hSocket, SD_BOTH);
    return 0;
  }
  // The phone's bytes go on at once: the client takes packets apart from the stream and queues
  // them, so a pause paces nothing there, while it would hold up the phone's next bytes (each
  // reply comes in slices about a millisecond apart) and every client packet behind this lock.
  if (type != PKT_FROM_PHONE) Sleep(kSendPause);
  return static_cast<int>(size - LINK_HEADER_SIZE);
}

int CRelaySocket::SendPacket(const void* payload, DWORD length, BYTE type, BYTE flag) {
  CRelaySocket* listener = Listener();
  std::lock_guard lock(listener->m_lock);
  return listener->SendPacketLocked(m_owner ? this : m_currentPeer, payload, length, type, flag, kSendPatience);
}

int CRelaySocket::SendPacketTo(CRelaySocket* peer, const void* payload, DWORD length, BYTE type, BYTE flag) {
  CRelaySocket* listener = Listener();
  std::lock_guard lock(listener->m_lock);
  return listener->SendPacketLocked(peer, payload, length, type, flag, kSendPatience);
}

int CRelaySocket::SendRefusalTo(CRelaySocket* peer) {
  CRelaySocket* listener = Listener();
  std::lock_guard lock(listener->m_lock);
  return listener->SendPacketLocked(peer, nullptr, 0, PKT_REFUSED, LINK_FLAG, 0);
}

CRelaySocket* CRelaySocket::GetCurrentPeer() {
  CRelaySocket* listener = Listener();
  std::lock_guard lock(listener->m_lock);
  return m_owner ? this : m_currentPeer;
}

int CRelaySocket::GetConnectionCount() {
  std::lock_guard lock(m_lock);
  return static_cast<int>(m_connections.size());
}

void CRelaySocket::CloseAll() {
  SendPacket(nullptr, 0, PKT_RELEASE, LINK_FLAG);
  std::vector<std::unique_ptr<CRelaySocket>> connections;
  {
    std::lock_guard lock(m_lock);
    Close();
    m_listening = false;
    m_currentPeer = this;
    connections.swap(m_connections);
  }
  connections.clear();
}
