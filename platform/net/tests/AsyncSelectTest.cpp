// Socket notifications posted to a thread's queue: which come, when, how often, and that the
// watching thread sleeps while nothing is to be told.
#include <net/AsyncSelect.h>
#include <net/WinSock.h>

#include <kernel/MessageQueue.h>
#include <kernel/Thread.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr UINT kNotify = WM_USER + 77;

struct Notification {
  SOCKET socket;
  WORD event;
  WORD error;
};

class AsyncSelect : public ::testing::Test {
protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  }
  void TearDown() override {
    for (SOCKET s : m_open) closesocket(s);
    WSACleanup();
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
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
  }

  SOCKET Listener(u_short& port) {
    SOCKET s = Track(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = Loopback(0);
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(listen(s, 5), 0);
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    port = ntohs(a.sin_port);
    return s;
  }

  // The next notification within `timeout`, taken from this thread's queue.
  static std::optional<Notification> Next(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      MSG msg;
      if (PeekMessageA(&msg, nullptr, kNotify, kNotify, PM_REMOVE))
        return Notification{msg.wParam, WSAGETSELECTEVENT(msg.lParam), WSAGETSELECTERROR(msg.lParam)};
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_POSTMESSAGE);
    }
  }

  static void Expect(SOCKET s, long event, int error = 0) {
    auto n = Next(3s);
    ASSERT_TRUE(n) << "no notification " << event;
    EXPECT_EQ(n->socket, s);
    EXPECT_EQ(n->event, event);
    EXPECT_EQ(n->error, error);
  }

  std::vector<SOCKET> m_open;
};

constexpr long kAll = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

TEST_F(AsyncSelect, ListenerAcceptsReadsOncePerRecvAndSeesThePeerClose) {
  u_short port;
  SOCKET listener = Listener(port);
  ASSERT_EQ(tolvar::net::AsyncSelect(listener, GetCurrentThreadId(), kNotify, kAll), 0);

  SOCKET client = Track(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a = Loopback(port);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  Expect(listener, FD_ACCEPT);
  EXPECT_FALSE(Next(200ms)) << "one FD_ACCEPT until accept is called";

  SOCKET server = Track(accept(listener, nullptr, nullptr));
  Expect(server, FD_WRITE);  // the accepted socket has the listener's notifications

  ASSERT_EQ(send(client, "hel", 3, 0), 3);
  std::this_thread::sleep_for(30ms);
  ASSERT_EQ(send(client, "lo", 2, 0), 2);
  Expect(server, FD_READ);
  EXPECT_FALSE(Next(200ms)) << "no second FD_READ before a recv";

  char buffer[8];
  ASSERT_EQ(recv(server, buffer, 2, 0), 2);
  Expect(server, FD_READ);  // bytes are left: announced again
  ASSERT_EQ(recv(server, buffer, sizeof buffer, 0), 3);
  EXPECT_FALSE(Next(200ms)) << "nothing left, nothing announced";

  ASSERT_EQ(send(client, "end", 3, 0), 3);
  closesocket(client);
  m_open.erase(m_open.begin() + 1);
  Expect(server, FD_READ);
  EXPECT_FALSE(Next(200ms)) << "the close waits until the data before it was read";
  ASSERT_EQ(recv(server, buffer, sizeof buffer, 0), 3);
  Expect(server, FD_CLOSE, 0);
  EXPECT_EQ(recv(server, buffer, sizeof buffer, 0), 0);
  EXPECT_FALSE(Next(200ms)) << "FD_CLOSE comes once";

  // A socket with notifications cannot be made blocking again.
  u_long off = 0;
  EXPECT_EQ(ioctlsocket(server, FIONBIO, &off), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(AsyncSelect, ConnectEndsWithFdConnectRefusedOrDone) {
  u_short port;
  SOCKET listener = Listener(port);
  SOCKET free = Track(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a = Loopback(0);
  bind(free, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int length = sizeof a;
  getsockname(free, reinterpret_cast<sockaddr*>(&a), &length);
  closesocket(free);
  m_open.pop_back();

  SOCKET refused = Track(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_EQ(tolvar::net::AsyncSelect(refused, GetCurrentThreadId(), kNotify, kAll), 0);
  EXPECT_EQ(connect(refused, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  Expect(refused, FD_CONNECT, WSAECONNREFUSED);
  EXPECT_FALSE(Next(200ms));

  SOCKET good = Track(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_EQ(tolvar::net::AsyncSelect(good, GetCurrentThreadId(), kNotify, FD_CONNECT | FD_WRITE | FD_READ), 0);
  a = Loopback(port);
  EXPECT_EQ(connect(good, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  Expect(good, FD_CONNECT, 0);
  Expect(good, FD_WRITE);
  (void)listener;
}

TEST_F(AsyncSelect, NotificationsGoToTheThreadThatAskedAndStopAtClose) {
  u_short port;
  SOCKET listener = Listener(port);
  DWORD otherThread = 0;
  std::optional<Notification> seen;
  std::thread other([&] {
    otherThread = GetCurrentThreadId();
    ASSERT_EQ(tolvar::net::AsyncSelect(listener, otherThread, kNotify, FD_ACCEPT), 0);
    seen = Next(3s);
  });
  SOCKET client = Track(socket(AF_INET, SOCK_STREAM, 0));
  std::this_thread::sleep_for(50ms);
  sockaddr_in a = Loopback(port);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  other.join();
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->event, FD_ACCEPT);
  EXPECT_FALSE(Next(100ms)) << "nothing for this thread";

  // After closesocket nothing more is posted for it.
  ASSERT_EQ(tolvar::net::AsyncSelect(listener, GetCurrentThreadId(), kNotify, FD_ACCEPT), 0);
  Expect(listener, FD_ACCEPT);  // the connection is still waiting
  closesocket(listener);
  m_open.erase(m_open.begin());
  SOCKET late = Track(socket(AF_INET, SOCK_STREAM, 0));
  connect(late, reinterpret_cast<sockaddr*>(&a), sizeof a);
  EXPECT_FALSE(Next(200ms));
}

TEST_F(AsyncSelect, WatchingThreadSleepsWhileNotificationsWaitForCalls) {
  u_short port;
  SOCKET listener = Listener(port);
  ASSERT_EQ(tolvar::net::AsyncSelect(listener, GetCurrentThreadId(), kNotify, kAll), 0);
  SOCKET client = Track(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a = Loopback(port);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  Expect(listener, FD_ACCEPT);
  SOCKET server = Track(accept(listener, nullptr, nullptr));
  Expect(server, FD_WRITE);
  // Unread data, a pending connection nobody accepts, and a peer that has closed: all waiting on
  // calls the program has not made.
  ASSERT_EQ(send(client, "data", 4, 0), 4);
  Expect(server, FD_READ);
  SOCKET second = Track(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_EQ(connect(second, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  Expect(listener, FD_ACCEPT);
  shutdown(client, SD_SEND);

  std::clock_t before = std::clock();
  std::this_thread::sleep_for(500ms);
  double cpuMs = 1000.0 * static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
  EXPECT_LT(cpuMs, 100.0) << "the watching thread spins";
  EXPECT_FALSE(Next(10ms));
}

}  // namespace
