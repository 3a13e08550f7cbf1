#pragma once
// A TCP client socket of Windows Sockets, the base of the link to the link service.
#include <net/WinSock.h>

class CLinkSocket {
 public:
  // Initialises Windows Sockets; SocketsReady() tells whether that worked.
  CLinkSocket();
  virtual ~CLinkSocket();
  CLinkSocket(const CLinkSocket&) = delete;
  CLinkSocket& operator=(const CLinkSocket&) = delete;

  bool SocketsReady() const { return m_socketsReady; }

 protected:
  // A TCP stream socket that sends without delay (TCP_NODELAY), not bound; 0 or the Winsock error.
  int CreateSocket();
  // Connects to `host` (a dotted address, else a name whose first address is taken) at `port`;
  // 0 or the Winsock error. WSAEWOULDBLOCK counts as success after a pause of 100 ms.
  int ConnectTo(const char* host, u_short port);
  void CloseSocket();

  SOCKET m_socket = INVALID_SOCKET;

 private:
  bool m_socketsReady = false;
};
