#include "LinkSocket.h"

#include <base/Time.h>

#include <cstring>

CLinkSocket::CLinkSocket() {
  WSADATA data;
  m_socketsReady = WSAStartup(0x0101, &data) == 0;
}

CLinkSocket::~CLinkSocket() {
  CloseSocket();
  if (m_socketsReady) WSACleanup();
}

int CLinkSocket::CreateSocket() {
  if (!m_socketsReady) return WSANOTINITIALISED;
  CloseSocket();
  m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (m_socket == INVALID_SOCKET) return WSAGetLastError();
  // The link is a conversation of small packets: each goes out at once rather than waiting for
  // the acknowledgement of the one before.
  const int on = 1;
  setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return 0;
}

int CLinkSocket::ConnectTo(const char* host, u_short port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(host);
  if (address.sin_addr.s_addr == INADDR_NONE) {
    const hostent* found = gethostbyname(host);
    if (!found || !found->h_addr_list || !found->h_addr_list[0]) {
      const int error = WSAGetLastError();
      return error != 0 ? error : WSAHOST_NOT_FOUND;
    }
    std::memcpy(&address.sin_addr.s_addr, found->h_addr_list[0], sizeof address.sin_addr.s_addr);
  }
  sockaddr name{};
  static_assert(sizeof name == sizeof address);
  std::memcpy(&name, &address, sizeof address);
  if (connect(m_socket, &name, sizeof name) == SOCKET_ERROR) {
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return error;
    Sleep(100);
  }
  return 0;
}

void CLinkSocket::CloseSocket() {
  if (m_socket == INVALID_SOCKET) return;
  closesocket(m_socket);
  m_socket = INVALID_SOCKET;
}
