// The Winsock subset on the loopback interface: start-up, blocking exchanges, Winsock error
// numbers, closing under a blocked call, options, and addresses as text.
#include <net/WinSock.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

class Sockets : public ::testing::Test {
protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
  }
  void TearDown() override {
    for (SOCKET s : m_open) closesocket(s);
    EXPECT_EQ(WSACleanup(), 0);
  }

  SOCKET Track(SOCKET s) {
    EXPECT_NE(s, INVALID_SOCKET) << WSAGetLastError();
    m_open.push_back(s);
    return s;
  }

  static sockaddr_in Loopback(u_short port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    return a;
  }

  // A listener on 127.0.0.1 and a free port; `port` receives it.
  SOCKET Listener(u_short& port) {
    SOCKET s = Track(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = Loopback(0);
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << WSAGetLastError();
    EXPECT_EQ(listen(s, 5), 0);
    int length = sizeof a;
    EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&a), &length), 0);
    port = ntohs(a.sin_port);
    return s;
  }

  SOCKET Connected(u_short port) {
    SOCKET s = Track(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = Loopback(port);
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << WSAGetLastError();
    return s;
  }

  // A port on which nothing listens.
  u_short ClosedPort() {
    u_short port;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    port = ntohs(a.sin_port);
    closesocket(s);
    return port;
  }

  std::vector<SOCKET> m_open;
};

TEST(WinSockStartup, FunctionsNeedStartupAndVersionsBelowOneOneAreRefused) {
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
  ASSERT_EQ(WSAStartup(MAKEWORD(3, 0), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(WSACleanup(), 0);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);  // still started once
  EXPECT_NE(s, INVALID_SOCKET);
  closesocket(s);
  EXPECT_EQ(WSACleanup(), 0);
}

TEST_F(Sockets, LoopbackListenerExchangesBytesBothWays) {
  u_short port;
  SOCKET listener = Listener(port);
  SOCKET client = Connected(port);
  sockaddr_in peer{};
  int length = sizeof peer;
  SOCKET server = Track(accept(listener, reinterpret_cast<sockaddr*>(&peer), &length));
  EXPECT_EQ(length, static_cast<int>(sizeof peer));
  EXPECT_STREQ(inet_ntoa(peer.sin_addr), "127.0.0.1");

  sockaddr_in other{};
  length = sizeof other;
  ASSERT_EQ(getpeername(client, reinterpret_cast<sockaddr*>(&other), &length), 0);
  EXPECT_EQ(ntohs(other.sin_port), port);

  const char packet[] = {0x00, static_cast<char>(0xFF), 0x01, 0x05, 0, 0, 0, 0};
  EXPECT_EQ(send(client, packet, sizeof packet, 0), static_cast<int>(sizeof packet));
  char got[16] = {};
  int received = 0;
  while (received < static_cast<int>(sizeof packet)) {
    int n = recv(server, got + received, sizeof got - received, 0);
    ASSERT_GT(n, 0);
    received += n;
  }
  EXPECT_EQ(std::memcmp(got, packet, sizeof packet), 0);
  EXPECT_EQ(send(server, "ok", 2, 0), 2);
  EXPECT_EQ(recv(client, got, 2, 0), 2);

  // The peer's orderly close reads as 0 bytes.
  ASSERT_EQ(shutdown(client, SD_SEND), 0);
  EXPECT_EQ(recv(server, got, sizeof got, 0), 0);
  EXPECT_EQ(send(client, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
}

TEST_F(Sockets, RefusedConnectAndBadSocketsGiveWinsockNumbers) {
  SOCKET s = Track(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a = Loopback(ClosedPort());
  EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);

  EXPECT_EQ(recv(static_cast<SOCKET>(12345), nullptr, 0, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);

  u_short port;
  Listener(port);
  SOCKET second = Track(socket(AF_INET, SOCK_STREAM, 0));
  a = Loopback(port);
  EXPECT_EQ(bind(second, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  EXPECT_EQ(bind(second, reinterpret_cast<sockaddr*>(&a), 4), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(Sockets, NonBlockingSocketsSayWouldBlockAndCountWaitingBytes) {
  u_short port;
  SOCKET listener = Listener(port);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(listener, FIONBIO, &on), 0);
  EXPECT_EQ(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  SOCKET client = Connected(port);
  std::this_thread::sleep_for(20ms);
  SOCKET server = Track(accept(listener, nullptr, nullptr));
  ASSERT_EQ(ioctlsocket(server, FIONBIO, &on), 0);
  char buffer[8];
  EXPECT_EQ(recv(server, buffer, sizeof buffer, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  ASSERT_EQ(send(client, "abc", 3, 0), 3);
  std::this_thread::sleep_for(20ms);
  u_long waiting = 0;
  ASSERT_EQ(ioctlsocket(server, FIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 3u);
}

TEST_F(Sockets, ClosingASocketEndsCallsBlockedInItOnOtherThreads) {
  u_short port;
  SOCKET listener = Listener(port);
  SOCKET client = Connected(port);
  SOCKET server = accept(listener, nullptr, nullptr);
  auto reader = std::async(std::launch::async, [&] {
    char buffer[8];
    int n = recv(server, buffer, sizeof buffer, 0);
    return n == SOCKET_ERROR ? WSAGetLastError() : n;
  });
  auto acceptor = std::async(std::launch::async, [&] {
    SOCKET s = accept(listener, nullptr, nullptr);
    return s == INVALID_SOCKET ? WSAGetLastError() : 0;
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(closesocket(server), 0);
  ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(reader.get(), WSAEINTR);
  EXPECT_EQ(closesocket(listener), 0);
  m_open.erase(m_open.begin());  // the listener
  ASSERT_EQ(acceptor.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(acceptor.get(), WSAEINTR);
  EXPECT_EQ(closesocket(server), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);

  // The peer sees the close as the end of the stream.
  char buffer[8];
  EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), 0);
}

TEST_F(Sockets, SendingToAResetConnectionFailsWithoutASignal) {
  u_short port;
  SOCKET listener = Listener(port);
  SOCKET client = Connected(port);
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_EQ(send(client, "unread", 6, 0), 6);
  std::this_thread::sleep_for(20ms);
  closesocket(server);  // closed with unread data: the peer gets a reset
  std::this_thread::sleep_for(20ms);
  int result = 0;
  for (int i = 0; i < 10 && result != SOCKET_ERROR; ++i) result = send(client, "more", 4, 0);
  ASSERT_EQ(result, SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);  // and the process is still here: no SIGPIPE
}

TEST_F(Sockets, OptionsTakeWinsockLevelsAndForms) {
  u_short port;
  SOCKET listener = Listener(port);
  SOCKET client = Connected(port);
  SOCKET server = Track(accept(listener, nullptr, nullptr));

  BOOL on = TRUE;
  ASSERT_EQ(setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on), 0);
  int value = 0;
  int length = sizeof value;
  ASSERT_EQ(getsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_NE(value, 0);
  length = sizeof value;
  ASSERT_EQ(getsockopt(client, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_EQ(value, SOCK_STREAM);
  EXPECT_EQ(setsockopt(client, SOL_SOCKET, 0x7777, reinterpret_cast<const char*>(&on), sizeof on), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);

  // A receive time-out ends a blocking recv with WSAETIMEDOUT.
  DWORD ms = 100;
  ASSERT_EQ(setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms), 0);
  DWORD back = 0;
  length = sizeof back;
  ASSERT_EQ(getsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&back), &length), 0);
  EXPECT_EQ(back, 100u);
  char buffer[4];
  EXPECT_EQ(recv(server, buffer, sizeof buffer, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
}

TEST_F(Sockets, HostNamesAndDottedAddresses) {
  hostent* host = gethostbyname("localhost");
  ASSERT_NE(host, nullptr) << WSAGetLastError();
  EXPECT_EQ(host->h_addrtype, AF_INET);
  EXPECT_EQ(host->h_length, 4);
  ASSERT_NE(host->h_addr_list[0], nullptr);
  in_addr first;
  std::memcpy(&first, host->h_addr_list[0], 4);
  EXPECT_EQ(ntohl(first.s_addr) >> 24, 127u);

  host = gethostbyname("127.0.0.1");
  ASSERT_NE(host, nullptr);
  std::memcpy(&first, host->h_addr_list[0], 4);
  EXPECT_EQ(first.s_addr, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(host->h_addr_list[1], nullptr);
}

TEST(WinSockAddresses, InetAddrReadsWindowsForms) {
  struct Case {
    const char* text;
    ULONG host;  // in host order; INADDR_NONE for no address
  };
  const Case cases[] = {
      {"127.0.0.1", 0x7F000001}, {"192.168.1.20", 0xC0A80114}, {"10.1.2", 0x0A010002},
      {"10.65536", 0x0A010000},  {"0x7f.1", 0x7F000001},       {"0177.0.0.1", 0x7F000001},
      {"256.1.1.1", INADDR_NONE}, {"1.2.3.4.5", INADDR_NONE},  {"", INADDR_NONE},
      {"localhost", INADDR_NONE}, {"1..2", INADDR_NONE},       {"09.1.1.1", INADDR_NONE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ULONG expected = c.host == INADDR_NONE ? INADDR_NONE : htonl(c.host);
    EXPECT_EQ(inet_addr(c.text), expected);
  }
  in_addr a;
  a.s_addr = htonl(0xC0A80114);
  EXPECT_STREQ(inet_ntoa(a), "192.168.1.20");
  EXPECT_EQ(a.S_un.S_un_b.s_b1, 192);
  EXPECT_EQ(htons(0x1234), 0x3412);
  EXPECT_EQ(ntohl(htonl(0x01020304)), 0x01020304u);
}

}  // namespace
